#include "ScriptedDialogs.h"

#include <QDialog>
#include <QTest>

int ScriptedDialogs::RunMessage(QWidget *, const QString &text, const QString &caption, Icon icon, int buttons)
{
    shown.append({text, caption, icon, buttons});
    if (!whileOpen.isEmpty())
        whileOpen.takeFirst()();
    if (!answers.isEmpty())
        return answers.takeFirst();
    return (buttons & Ok) ? Ok : Yes;
}

int ScriptedDialogs::RunModal(QDialog *dialog)
{
    // The window is really shown, so it activates as it would for a user.
    dialog->show();
    const int result = modalScripts.isEmpty() ? int(QDialog::Rejected) : modalScripts.takeFirst()(dialog);
    dialog->hide();
    // As after a real modal showing, the window below is active again.
    if (QWidget *below = dialog->parentWidget()) {
        below->window()->activateWindow();
        (void)QTest::qWaitForWindowActive(below->window(), 1000);
    }
    ++modalCount;
    return result;
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const Shown &s : shown)
        out.append(s.text);
    return out;
}
