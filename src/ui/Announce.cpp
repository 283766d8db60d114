#include "Announce.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>

namespace {

// After the change itself an alert: what screen readers speak for a widget
// that does not have the focus. Nothing is sent while no reader listens.
void Alert(QWidget *widget)
{
    QAccessibleEvent alert(widget, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

} // namespace

namespace Announce {

void Text(QLabel *label, const QString &text)
{
    const bool differs = label->text() != text;
    // A label without a name of its own is named by its text.
    label->setText(text);
    if (!differs || text.isEmpty())
        return;
    QAccessibleEvent changed(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
    Alert(label);
}

void Text(QLineEdit *box, const QString &text)
{
    const bool differs = box->text() != text;
    box->setText(text);
    if (!differs || text.isEmpty())
        return;
    QAccessibleValueChangeEvent changed(box, text);
    QAccessible::updateAccessibility(&changed);
    Alert(box);
}

} // namespace Announce
