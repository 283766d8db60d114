#include "KeyAccess.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QShortcut>

namespace KeyAccess {

namespace {

// An Alt key that reaches a box found no control to act on (its control is
// closed or hidden now): it does nothing, rather than type its letter.
class AltKeysOut : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const Qt::KeyboardModifiers modifiers = static_cast<QKeyEvent *>(event)->modifiers();
        // Ctrl+Alt is AltGr on some keyboards, which types characters.
        return (modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier);
    }
};

} // namespace

void Bind(QWidget *control, Qt::Key key, std::function<void()> action)
{
    const QKeySequence sequence(QKeyCombination(Qt::AltModifier, key));
    auto *shortcut = new QShortcut(sequence, control);
    QObject::connect(shortcut, &QShortcut::activated, control, [control, action = std::move(action)] {
        if (control->isEnabled())
            action();
    });
    const QString keyText = sequence.toString(QKeySequence::NativeText);
    const QString hint = control->toolTip();
    control->setAccessibleDescription(hint.isEmpty() ? keyText : hint + QStringLiteral(" (") + keyText + u')');
}

void Bind(QAbstractButton *button, Qt::Key key)
{
    Bind(button, key, [button] {
        button->setFocus(Qt::ShortcutFocusReason);
        button->click();
    });
}

void Bind(const QList<std::pair<QAbstractButton *, Qt::Key>> &keys)
{
    for (const auto &[button, key] : keys)
        Bind(button, key);
}

void BindFocus(QWidget *box, Qt::Key key)
{
    Bind(box, key, [box] { box->setFocus(Qt::ShortcutFocusReason); });
    box->installEventFilter(new AltKeysOut(box));
}

} // namespace KeyAccess
