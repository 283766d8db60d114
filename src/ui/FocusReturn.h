#pragma once
// The boxes of a window where the player types. The box that last had the
// focus gets it back when a dialog over the window closes: a key or a click
// that opened the dialog from a button does not leave the focus on the
// button, where typing goes nowhere.

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

class FocusReturn : public QObject
{
    Q_OBJECT

public:
    // Made a child of `window`, so that Dialogs finds it.
    FocusReturn(QWidget *window, const QList<QWidget *> &boxes);

    // The focus back in `window`, if it has boxes to return to.
    static void After(QWidget *window);
    // Unless a box has the focus: to the box that had it last, or, when that
    // one is closed now, to the first box that is open.
    void Restore();

private:
    QList<QPointer<QWidget>> m_boxes;
    QPointer<QWidget> m_last;
};
