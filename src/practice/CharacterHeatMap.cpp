#include "CharacterHeatMap.h"

#include <QPainter>

#include <algorithm>

namespace {

const QString kCharacters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/");
constexpr int kColumns = 13;

} // namespace

CharacterHeatMap::CharacterHeatMap(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("shHeatMap"));
    setAccessibleName(tr("Mistakes by character"));
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CharacterHeatMap::setRates(const QHash<QChar, double> &rates)
{
    m_rates = rates;
    // Read out as the characters most missed, as a player asks for them.
    QList<QChar> worst(kCharacters.begin(), kCharacters.end());
    std::stable_sort(worst.begin(), worst.end(), [this](QChar a, QChar b) { return rateOf(a) > rateOf(b); });
    QStringList spoken;
    for (QChar c : worst.mid(0, 5)) {
        if (rateOf(c) > 0.0)
            spoken.append(tr("%1 %2 percent").arg(c).arg(qRound(rateOf(c) * 100)));
    }
    setAccessibleDescription(spoken.isEmpty() ? tr("No character missed")
                                              : spoken.join(QStringLiteral(", ")));
    update();
}

QSize CharacterHeatMap::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int cell = metrics.height() * 2 + 8;
    return QSize(kColumns * cell, 3 * cell);
}

void CharacterHeatMap::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int rows = int((kCharacters.size() + kColumns - 1) / kColumns);
    const qreal w = qreal(width()) / kColumns, h = qreal(height()) / rows;
    for (qsizetype i = 0; i < kCharacters.size(); ++i) {
        const QChar c = kCharacters[i];
        const QRectF cell(w * qreal(i % kColumns), h * qreal(i / kColumns), w - 2, h - 2);
        const double rate = rateOf(c);
        const QColor fill = rate < 0 ? QColor(220, 220, 220)
                                     : QColor::fromHsvF(0.0, std::clamp(0.1 + rate * 1.8, 0.1, 1.0), 1.0);
        painter.fillRect(cell, fill);
        painter.setPen(Qt::black);
        const QString text = rate < 0 ? QString(c) : QStringLiteral("%1\n%2%").arg(c).arg(qRound(rate * 100));
        painter.drawText(cell, Qt::AlignCenter, text);
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}
