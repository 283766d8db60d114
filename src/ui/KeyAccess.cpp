#include "KeyAccess.h"

#include <QAbstractButton>
#include <QShortcut>

namespace KeyAccess {

void Bind(QAbstractButton *button, Qt::Key key)
{
    const QKeySequence sequence(QKeyCombination(Qt::AltModifier, key));
    auto *shortcut = new QShortcut(sequence, button);
    QObject::connect(shortcut, &QShortcut::activated, button, [button] {
        if (!button->isEnabled())
            return;
        button->setFocus(Qt::ShortcutFocusReason);
        button->click();
    });
    const QString keyText = sequence.toString(QKeySequence::NativeText);
    const QString hint = button->toolTip();
    button->setAccessibleDescription(hint.isEmpty() ? keyText : hint + QStringLiteral(" (") + keyText + u')');
}

void Bind(const QList<std::pair<QAbstractButton *, Qt::Key>> &keys)
{
    for (const auto &[button, key] : keys)
        Bind(button, key);
}

} // namespace KeyAccess
