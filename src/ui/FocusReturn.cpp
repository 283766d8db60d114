#include "FocusReturn.h"

#include <QApplication>
#include <QWidget>

FocusReturn::FocusReturn(QWidget *window, const QList<QWidget *> &boxes) : QObject(window)
{
    for (QWidget *box : boxes)
        m_boxes.append(box);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && m_boxes.contains(now))
            m_last = now;
    });
}

void FocusReturn::After(QWidget *window)
{
    if (!window)
        return;
    if (auto *focusReturn = window->findChild<FocusReturn *>(QString(), Qt::FindDirectChildrenOnly))
        focusReturn->Restore();
}

void FocusReturn::Restore()
{
    auto *window = qobject_cast<QWidget *>(parent());
    if (window && m_boxes.contains(window->focusWidget()))
        return;
    QList<QWidget *> order;
    if (m_last)
        order.append(m_last);
    for (QWidget *box : std::as_const(m_boxes))
        if (box && box != m_last)
            order.append(box);
    for (QWidget *box : order) {
        if (box->isEnabled() && box->isVisible()) {
            box->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}
