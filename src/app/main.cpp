// The station's entry point: works out the base folder, creates the
// application object and the windows, runs the start-up sequence and the
// event loop.

#include "StationApplication.h"

#include "hostlink/TfmConnect.h"
#include "session/TfmMain.h"
#include "ui/Dialogs.h"
#include "util/Clock.h"
#include "util/SessionPaths.h"

#include <QCommandLineParser>
#include <QDir>
#include <QTimer>

int main(int argc, char *argv[])
{
    StationApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Vorlix Player"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Player station of a pileup-copying competition"));
    parser.addHelpOption();
    const QCommandLineOption baseOption(
        QStringLiteral("base-folder"),
        QStringLiteral("Use DIR as the base folder instead of the executable's folder."), QStringLiteral("DIR"));
    parser.addOption(baseOption);
    // For the start-up benchmark: end as soon as the main window is shown.
    QCommandLineOption quitOption(QStringLiteral("quit-when-shown"));
    quitOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(quitOption);
    parser.process(app);

    const QString executable = QCoreApplication::applicationFilePath();
    QString base = parser.value(baseOption);
    if (base.isEmpty())
        base = qEnvironmentVariable("VORLIX_BASE_FOLDER");
    base = base.isEmpty() ? SessionPaths::BaseFolderOf(executable) : QDir(base).absolutePath();

    Dialogs dialogs;
    app.setDialogs(&dialogs);
    SystemClock clock;
    // The main window and the connection window, whose link works from the
    // start; the main window makes its dialogs at their first showing.
    TfmMain fmMain(SessionPaths(base), executable, dialogs, clock);
    TfmConnect fmConnect(dialogs, clock, &fmMain);
    fmMain.SetConnectWindow(&fmConnect);

    if (!fmMain.FormActivate())
        return 1;
    fmMain.show();
    if (parser.isSet(quitOption))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
