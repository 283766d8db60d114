#pragma once
// Texts that change while the player listens, told to screen readers: the
// station sets the text and announces the change in one step, so a blind
// player hears the message panel, the score in box 2 and the connection
// status without moving the focus there.

class QLabel;
class QLineEdit;
class QString;

namespace Announce {

// Shows `text` in the label and, when it is not empty, announces it.
void Text(QLabel *label, const QString &text);
// Shows `text` in the edit box and, when it is not empty, announces it.
void Text(QLineEdit *box, const QString &text);

} // namespace Announce
