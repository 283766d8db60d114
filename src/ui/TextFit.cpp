#include "TextFit.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace {

// QLineEdit keeps this many pixels free on each side of its text, and one
// more for the cursor.
constexpr int kInnerMargin = 2;

QStyleOptionFrame FrameOption(const QLineEdit *box)
{
    QStyleOptionFrame option;
    option.initFrom(box);
    option.rect = box->rect();
    option.lineWidth =
        box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    if (box->isReadOnly())
        option.state |= QStyle::State_ReadOnly;
    option.features = QStyleOptionFrame::None;
    return option;
}

} // namespace

namespace TextFit {

int TextAreaWidth(const QLineEdit *box)
{
    const QStyleOptionFrame option = FrameOption(box);
    const QRect contents = box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box);
    const QMargins margins = box->textMargins();
    return contents.width() - margins.left() - margins.right() - 2 * kInnerMargin - 1;
}

namespace {

int WidthIn(const QLineEdit *box, const QFont &font, const QStringList &texts)
{
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const QString &text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    // The frame and margins are what the box's width has beyond its text area.
    return widest + box->width() - TextAreaWidth(box);
}

} // namespace

int WidthFor(const QLineEdit *box, const QStringList &texts)
{
    return WidthIn(box, box->font(), texts);
}

void ReserveWidth(QLineEdit *box, const QStringList &texts, int pointSize)
{
    QFont font = box->font();
    if (pointSize > 0)
        font.setPointSize(pointSize);
    box->setMinimumWidth(std::max(box->minimumWidth(), WidthIn(box, font, texts)));
}

void ShrinkToFit(QLineEdit *box, int smallestPointSize)
{
    const QFont own = box->font();
    const auto fit = [box, own, smallestPointSize] {
        QFont font = own;
        const int room = TextAreaWidth(box);
        while (font.pointSize() > smallestPointSize &&
               QFontMetrics(font).horizontalAdvance(box->text()) > room)
            font.setPointSize(font.pointSize() - 1);
        if (font != box->font()) {
            box->setFont(font);
            box->setCursorPosition(0);
        }
    };
    QObject::connect(box, &QLineEdit::textChanged, box, fit);
}

QString ElidedPath(const QString &path, const QFontMetrics &metrics, int width)
{
    if (metrics.horizontalAdvance(path) <= width)
        return path;
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1;
    const QString name = path.mid(cut);
    const int room = width - metrics.horizontalAdvance(name);
    if (cut == 0 || room < 3 * metrics.horizontalAdvance(QChar(0x2026)))
        return metrics.elidedText(path, Qt::ElideLeft, width);
    return metrics.elidedText(path.left(cut), Qt::ElideMiddle, room) + name;
}

void ShowPath(QLineEdit *box, const QString &path)
{
    box->setToolTip(path);
    box->setText(ElidedPath(path, QFontMetrics(box->font()), TextAreaWidth(box)));
    box->setCursorPosition(0);
}

} // namespace TextFit
