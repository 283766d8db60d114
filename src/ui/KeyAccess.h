#pragma once
// Keys for buttons whose captions are fixed words of the station: Alt and a
// letter click the button as its mnemonic would, without an ampersand in the
// caption. The key is added to the button's description, so a screen reader
// says it with the button.

#include <QKeySequence>
#include <QList>
#include <utility>

class QAbstractButton;

namespace KeyAccess {

// Alt+`key` clicks `button` while its window is active and it is visible and
// enabled.
void Bind(QAbstractButton *button, Qt::Key key);
void Bind(const QList<std::pair<QAbstractButton *, Qt::Key>> &keys);

} // namespace KeyAccess
