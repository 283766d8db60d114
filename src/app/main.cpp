// The station's entry point: works out the base folder, creates the
// application object and the windows, runs the start-up sequence and the
// event loop.

#include "StationApplication.h"
#include "VorlixVersion.h"

#include "hostlink/TfmConnect.h"
#include "session/TfmMain.h"
#include "ui/Dialogs.h"
#include "util/BaseFolder.h"
#include "util/Clock.h"
#include "util/NoDisplay.h"
#include "util/SessionPaths.h"

#include <QCommandLineParser>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

// --help and --version need no display: the program then makes no window
// system connection at all.
bool OnlyPrints(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char *option : {"--help", "--help-all", "-h", "-?", "--version", "-v"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

// The names give the user's data folder of an installed station:
// ~/.local/share/vorlix/Vorlix Player.
void NameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("vorlix"));
    QCoreApplication::setApplicationName(QStringLiteral("Vorlix Player"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORLIX_VERSION));
}

struct StationOptions
{
    QCommandLineOption base{
        QStringLiteral("base-folder"),
        QStringLiteral("Keep the station's files in DIR instead of the executable's folder "
                       "(or, when installed, the user's data folder)."),
        QStringLiteral("DIR")};
    // For the start-up benchmark: end as soon as the main window is shown.
    QCommandLineOption quit{QStringLiteral("quit-when-shown")};

    explicit StationOptions(QCommandLineParser &parser)
    {
        parser.setApplicationDescription(QStringLiteral("Player station of a pileup-copying competition"));
        parser.addHelpOption();
        parser.addVersionOption();
        quit.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOptions({base, quit});
    }
};

} // namespace

int main(int argc, char *argv[])
{
    if (OnlyPrints(argc, argv)) {
        QCoreApplication app(argc, argv);
        NameApplication();
        QCommandLineParser parser;
        const StationOptions options(parser);
        parser.process(app);
        return 0;
    }
    NoDisplay::Watch("vorlix-player",
                     " (or with QT_QPA_PLATFORM=offscreen to run it unseen)");
    StationApplication app(argc, argv);
    NoDisplay::Release();
    NameApplication();
    QCommandLineParser parser;
    const StationOptions options(parser);
    parser.process(app);

    const QString executable = QCoreApplication::applicationFilePath();
    QString named = parser.value(options.base);
    if (named.isEmpty())
        named = qEnvironmentVariable("VORLIX_BASE_FOLDER");
    const BaseFolderChoice base = ChooseBaseFolder(
        named, executable, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    if (!SeedBaseFolder(base))
        std::fprintf(stderr, "Not all of the sample data in %s could be copied into %s\n",
                     qPrintable(base.seedFrom), qPrintable(base.folder));

    Dialogs dialogs;
    app.setDialogs(&dialogs);
    SystemClock clock;
    // The main window and the connection window, whose link works from the
    // start; the main window makes its dialogs at their first showing.
    TfmMain fmMain(SessionPaths(base.folder), executable, dialogs, clock);
    TfmConnect fmConnect(dialogs, clock, &fmMain);
    fmMain.SetConnectWindow(&fmConnect);

    if (!fmMain.FormActivate())
        return 1;
    fmMain.setToolTip(QStringLiteral("Vorlix Player %1").arg(QCoreApplication::applicationVersion()));
    fmMain.show();
    if (parser.isSet(options.quit))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
