#include "ScriptedDialogs.h"

#include <QDialog>

int ScriptedDialogs::Message(QWidget *, const QString &text, const QString &caption, Icon icon, int buttons)
{
    shown.append({text, caption, icon, buttons});
    if (!answers.isEmpty())
        return answers.takeFirst();
    return (buttons & Ok) ? Ok : Yes;
}

int ScriptedDialogs::ShowModal(QDialog *dialog)
{
    if (modalScripts.isEmpty())
        return QDialog::Rejected;
    return modalScripts.takeFirst()(dialog);
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const Shown &s : shown)
        out.append(s.text);
    return out;
}
