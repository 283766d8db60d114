#include "ScreenFit.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace ScreenFit {

QMargins FrameOf(const QWidget *window)
{
    // Window managers draw title bars of some 24 to 40 pixels and borders of
    // a few; the larger figures are assumed, so that a window keeps its size
    // whether its frame is known yet or not, unless the frame is larger.
    const QMargins assumed(8, 40, 8, 8);
    const QWindow *handle = window->windowHandle();
    if (!handle || !window->isVisible())
        return assumed;
    const QMargins known = handle->frameMargins();
    return QMargins(std::max(known.left(), assumed.left()), std::max(known.top(), assumed.top()),
                    std::max(known.right(), assumed.right()), std::max(known.bottom(), assumed.bottom()));
}

QSize Room(const QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const QMargins frame = FrameOf(window);
    return screen->availableGeometry().size().shrunkBy(frame);
}

QWidget *ScrollContents(QDialog *window)
{
    auto *contents = new QWidget;
    contents->setObjectName(window->objectName() + QStringLiteral("Contents"));
    for (QWidget *child : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const QRect place = child->geometry();
        const bool shown = !child->isHidden();
        child->setParent(contents);
        child->setGeometry(place);
        child->setVisible(shown);
    }
    contents->setFixedSize(window->size());
    auto *area = new QScrollArea(window);
    area->setObjectName(window->objectName() + QStringLiteral("Scroll"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidget(contents);
    area->setFocusPolicy(Qt::NoFocus);
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(area);
    return contents;
}

void FitAround(QDialog *window, QWidget *contents)
{
    const QSize room = Room(window);
    QSize size = contents->size();
    // Scrolling one way takes room for a bar the other way.
    const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window);
    const bool wide = size.width() > room.width(), tall = size.height() > room.height();
    if (wide)
        size.rheight() += bar;
    if (tall)
        size.rwidth() += bar;
    window->setFixedSize(size.boundedTo(room));
}

} // namespace ScreenFit
