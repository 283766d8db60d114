#pragma once
// The one way the station shows message boxes and modal windows. Real runs
// use Qt's dialogs; tests substitute a scripted Dialogs that answers from a
// script and records every text, caption and order.

#include <QString>

class QDialog;
class QWidget;

class Dialogs
{
public:
    enum class Icon { None, Information, Warning, Error };
    enum Button { Ok = 0x1, Yes = 0x2, No = 0x4 };

    virtual ~Dialogs() = default;

    // Shows a message box and returns the button that closed it (for a box
    // closed without a choice: No when offered, else Ok).
    virtual int Message(QWidget *parent, const QString &text, const QString &caption, Icon icon,
                        int buttons = Ok);
    // Shows a window modally and returns its result code.
    virtual int ShowModal(QDialog *dialog);

    // Places `window` centred over `over`: left edge at over's left edge plus
    // half the difference of the widths, likewise for the top.
    static void CentreOver(QWidget *window, const QWidget *over);
};
