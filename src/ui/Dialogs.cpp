#include "Dialogs.h"

#include "FocusReturn.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

int Dialogs::Message(QWidget *parent, const QString &text, const QString &caption, Icon icon, int buttons)
{
    QWidget *below = QApplication::activeWindow();
    const int answer = RunMessage(parent, text, caption, icon, buttons);
    FocusReturn::After(below);
    return answer;
}

int Dialogs::ShowModal(QDialog *dialog)
{
    QWidget *below = QApplication::activeWindow();
    const int result = RunModal(dialog);
    FocusReturn::After(below);
    return result;
}

int Dialogs::RunMessage(QWidget *parent, const QString &text, const QString &caption, Icon icon, int buttons)
{
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Error: box.setIcon(QMessageBox::Critical); break;
    }
    QMessageBox::StandardButtons qtButtons;
    if (buttons & Yes)
        qtButtons |= QMessageBox::Yes;
    if (buttons & No)
        qtButtons |= QMessageBox::No;
    if ((buttons & Ok) || !qtButtons)
        qtButtons |= QMessageBox::Ok;
    box.setStandardButtons(qtButtons);
    if (parent)
        CentreOver(&box, parent);
    switch (box.exec()) {
    case QMessageBox::Yes: return Yes;
    case QMessageBox::No: return No;
    case QMessageBox::Ok: return Ok;
    default: return (buttons & No) ? No : Ok;
    }
}

void Dialogs::ShowError(QWidget *parent, const QString &text)
{
    Message(parent, text, QStringLiteral("Vorlix Player"), Icon::Error, Ok);
}

int Dialogs::RunModal(QDialog *dialog)
{
    return dialog->exec();
}

void Dialogs::CentreOver(QWidget *window, const QWidget *over)
{
    if (!window || !over)
        return;
    const QRect outer = over->frameGeometry();
    const QSize size = window->frameGeometry().size();
    QPoint at(outer.left() + (outer.width() - size.width()) / 2,
              outer.top() + (outer.height() - size.height()) / 2);
    // Never past the screen's edges (nor under its panels): a main window
    // near the top of the screen would put a tall window's title bar above
    // it, out of reach. A window larger than the screen keeps its top left.
    if (const QScreen *screen = over->screen()) {
        const QRect free = screen->availableGeometry();
        at.setX(std::max(free.left(), std::min(at.x(), free.right() + 1 - size.width())));
        at.setY(std::max(free.top(), std::min(at.y(), free.bottom() + 1 - size.height())));
    }
    window->move(at);
}
