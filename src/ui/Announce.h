#pragma once
// Texts that change while the player listens, told to screen readers: the
// station sets the text and has it spoken in one step, so a blind player
// hears the message panel, the score in box 2 and the connection status
// without moving the focus there.
//
// Qt 6.4 cannot say "speak this" to a screen reader: it drops alerts and
// announcements, and Orca speaks name and text changes only of the focused
// control. Orca does speak a notification the moment it shows, wherever the
// focus is. So the texts announced in a window are shown in notifications of
// that window: invisible, out of the tab order, one for each utterance.

class QLabel;
class QLineEdit;
class QString;
class QWidget;

namespace Announce {

// Shows `text` in the label and, when it is not empty, announces it.
void Text(QLabel *label, const QString &text);
// Shows `text` in the edit box and, when it is not empty, announces it.
void Text(QLineEdit *box, const QString &text);

// Has `text` spoken from `widget`'s window, without showing it anywhere.
// The texts announced in one window while the station is busy are spoken
// together once it is idle again, in the order announced, after any focus
// move made meanwhile; an empty text says nothing.
void Say(QWidget *widget, const QString &text);

// What `widget`'s window said last: the texts of its last utterance joined
// into one, empty while it has said nothing.
QString Spoken(const QWidget *widget);

} // namespace Announce
