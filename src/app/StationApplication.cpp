#include "StationApplication.h"

#include "ui/Dialogs.h"
#include "util/StationError.h"

#include <QIcon>
#include <QWidget>
#include <cstdio>

StationApplication::StationApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // The windows belong to the menu entry: the desktop finds it by this
    // name (Wayland's application id; X11 matches its StartupWMClass).
    setDesktopFileName(QStringLiteral("org.vorlix.Player"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/org.vorlix.Player.svg")));
}

bool StationApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const StationError &e) {
        ShowError(e.text());
    } catch (const std::exception &e) {
        ShowError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

void StationApplication::ShowError(const QString &text)
{
    if (!m_dialogs) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return;
    }
    try {
        m_dialogs->Message(activeWindow(), text, applicationName(), Dialogs::Icon::Error);
    } catch (...) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
}
