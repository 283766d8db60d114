#pragma once
// Alt keys for controls whose captions are fixed words of the station: Alt and
// a letter click a button as its mnemonic would, without an ampersand in the
// caption; Alt and a digit or letter take the focus to a box, or act on a
// control that has no key of its own (a panel, a list's heading). The key is
// added to the control's description, so a screen reader says it with the
// control.

#include <QKeySequence>
#include <QList>
#include <functional>
#include <utility>

class QAbstractButton;
class QWidget;

namespace KeyAccess {

// Alt+`key` runs `action` while `control`'s window is active and the control
// is visible and enabled.
void Bind(QWidget *control, Qt::Key key, std::function<void()> action);
// Alt+`key` clicks `button`.
void Bind(QAbstractButton *button, Qt::Key key);
void Bind(const QList<std::pair<QAbstractButton *, Qt::Key>> &keys);
// Alt+`key` gives the focus to `box`. No Alt key types into the box: one
// whose control is closed or hidden does nothing there.
void BindFocus(QWidget *box, Qt::Key key);

} // namespace KeyAccess
