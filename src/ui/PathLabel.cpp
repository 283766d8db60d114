#include "PathLabel.h"

#include "TextFit.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace {

// The width a status line asks for, in average characters.
constexpr int kAskedCharacters = 24;

} // namespace

QString PathLabel::shownText() const
{
    const int margin = this->margin();
    return TextFit::ElidedPath(text(), fontMetrics(), contentsRect().width() - 2 * margin);
}

QSize PathLabel::minimumSizeHint() const
{
    const QSize full = QLabel::minimumSizeHint();
    const int asked = fontMetrics().averageCharWidth() * kAskedCharacters + 2 * margin() + 2 * frameWidth();
    return {std::min(full.width(), asked), full.height()};
}

QSize PathLabel::sizeHint() const
{
    return minimumSizeHint();
}

void PathLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(&painter);
    const int margin = this->margin();
    const QRect room = contentsRect().adjusted(margin, margin, -margin, -margin);
    style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(), shownText(),
                          foregroundRole());
}

bool PathLabel::event(QEvent *event)
{
    // The whole text shows on hovering, when it was shortened.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && shownText() != text()) {
        QToolTip::showText(mapToGlobal(QPoint(0, height())), text(), this);
        return true;
    }
    return QLabel::event(event);
}
