#pragma once
// Checks that walk every control of a window: texts that would not show
// whole, controls a screen reader could not name, buttons without a key and
// keys used twice, and the order in which Tab visits the controls. Each
// returns what it found wrong, one line a control, empty when all is well.

#include <QHash>
#include <QStringList>

class QWidget;

namespace WindowChecks {

// Puts each text of `longest` (object name -> text) into its label, edit box
// or combo box and shows the window; then every visible label, read-only edit
// box and combo box (and each box named in `longest`) must show its text
// whole at its laid-out size, and every visible list each column, heading
// and cell whole, without scrolling sideways.
QStringList Clipped(QWidget *window, const QHash<QString, QString> &longest);
// Focusable controls with an empty accessible name, groups read by another
// title than their own, and list columns without a heading.
QStringList Unnamed(QWidget *window);
// Buttons without an Alt key (a mnemonic or a bound shortcut), and keys
// that two controls of the window share.
QStringList KeyProblems(QWidget *window);
// The object names of the controls Tab reaches, in order, from `first`.
QStringList TabOrder(QWidget *first);
// The contrast (WCAG 2, from 1 to 21) of a box's text with its field, as
// drawn: the widget grabbed, inside its frame the commonest colour taken for
// the field and the pixel that stands out most from it for the text.
double DrawnTextContrast(QWidget *box);

} // namespace WindowChecks
