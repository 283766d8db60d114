#pragma once
// The one way the station shows message boxes and modal windows. Real runs
// use Qt's dialogs; tests substitute a scripted Dialogs that answers from a
// script and records every text, caption and order. When a box or window
// closes, the window below gives the focus back to the box where the player
// typed (FocusReturn).

#include "util/StationError.h"

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
    int Message(QWidget *parent, const QString &text, const QString &caption, Icon icon, int buttons = Ok);
    // Shows a window modally and returns its result code.
    int ShowModal(QDialog *dialog);

    // The general error handler's box: the text of an unexpected failure.
    void ShowError(QWidget *parent, const QString &text);

    // Runs an event handler at the boundary where Qt calls into the station:
    // an unexpected failure ends the handler and its text is shown.
    template <typename Handler>
    void Guarded(QWidget *parent, Handler &&handler)
    {
        try {
            handler();
        } catch (const StationError &e) {
            ShowError(parent, e.text());
        }
    }

    // Places `window` centred over `over`: left edge at over's left edge plus
    // half the difference of the widths, likewise for the top.
    static void CentreOver(QWidget *window, const QWidget *over);

protected:
    // How a message box and a modal window are really shown.
    virtual int RunMessage(QWidget *parent, const QString &text, const QString &caption, Icon icon,
                           int buttons);
    virtual int RunModal(QDialog *dialog);
};
