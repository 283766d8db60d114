#pragma once
// Dialogs for tests: records every message box and answers it from a queue,
// and runs a script on every modal window instead of a user.

#include "ui/Dialogs.h"

#include <QList>
#include <QString>
#include <functional>

class ScriptedDialogs : public Dialogs
{
public:
    struct Shown
    {
        QString text;
        QString caption;
        Icon icon;
        int buttons;
    };
    using ModalScript = std::function<int(QDialog *)>;

    int RunMessage(QWidget *parent, const QString &text, const QString &caption, Icon icon,
                   int buttons) override;
    int RunModal(QDialog *dialog) override;

    // Answers for the next message boxes, in order; without one a box is
    // answered Ok (or Yes when Ok is not offered).
    QList<int> answers;
    // Scripts for the next modal windows, in order; without one the window
    // is rejected.
    QList<ModalScript> modalScripts;
    // Run while the next message boxes are open, in order: what a player's
    // box lets happen meanwhile (timers, host messages).
    QList<std::function<void()>> whileOpen;

    QList<Shown> shown;
    int modalCount = 0;
    QStringList texts() const;
};
