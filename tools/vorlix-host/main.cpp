// vorlix-host: the competition host. Listens for the player stations and
// runs the rounds, from the organiser's window or, with --headless, from
// command lines on standard input.

#include "HostConsole.h"
#include "HostEngine.h"
#include "TfmHost.h"
#include "VorlixVersion.h"
#include "util/BaseFolder.h"
#include "util/Clock.h"
#include "util/NoDisplay.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTextStream>

#include <cstring>
#include <memory>
#include <optional>

namespace {

// Options that need no display: the program then makes no window system
// connection at all.
bool NeedsNoDisplay(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char *option : {"--headless", "--help", "--help-all", "-h", "-?", "--version", "-v"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

std::optional<QHostAddress> AddressOf(const QString &text)
{
    const QString t = text.trimmed().toLower();
    if (t == u"any")
        return QHostAddress(QHostAddress::Any);
    if (t == u"localhost")
        return QHostAddress(QHostAddress::LocalHost);
    QHostAddress address;
    if (!address.setAddress(t))
        return std::nullopt;
    return address;
}

} // namespace

int main(int argc, char *argv[])
{
    std::unique_ptr<QCoreApplication> app;
    if (NeedsNoDisplay(argc, argv))
        app = std::make_unique<QCoreApplication>(argc, argv);
    else {
        NoDisplay::Watch("vorlix-host", ", or use vorlix-host --headless in a terminal");
        app = std::make_unique<QApplication>(argc, argv);
        NoDisplay::Release();
        // The window belongs to the menu entry and shows its icon.
        QGuiApplication::setDesktopFileName(QStringLiteral("org.vorlix.Host"));
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/org.vorlix.Host.svg")));
    }
    // An installed host keeps its data in ~/.local/share/vorlix/vorlix-host.
    QCoreApplication::setOrganizationName(QStringLiteral("vorlix"));
    QCoreApplication::setApplicationName(QStringLiteral("vorlix-host"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORLIX_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Competition host: the player stations connect to it, and it runs the rounds."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption headlessOption(
        QStringLiteral("headless"),
        QStringLiteral("No window: read commands from standard input (try help)."));
    const QCommandLineOption addressOption(QStringLiteral("address"),
                                           QStringLiteral("Listen on this address (default: any)."),
                                           QStringLiteral("A"), QStringLiteral("any"));
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("Listen on this TCP port (default: %1).").arg(HostEngine::DefaultPort),
        QStringLiteral("N"), QString::number(HostEngine::DefaultPort));
    const QCommandLineOption folderOption(
        QStringLiteral("folder"),
        QStringLiteral(
            "Data folder: wave files, check lists, players' logs (default: the program's folder, or "
            "the user's data folder when installed)."),
        QStringLiteral("DIR"));
    parser.addOptions({headlessOption, addressOption, portOption, folderOption});
    parser.process(*app);

    QTextStream err(stderr);
    const auto fail = [&err](const QString &text) {
        err << "vorlix-host: " << text << '\n';
        err.flush();
        return 1;
    };
    if (!parser.positionalArguments().isEmpty())
        return fail(
            QStringLiteral("unexpected argument %1 (see --help)").arg(parser.positionalArguments()[0]));
    const std::optional<QHostAddress> address = AddressOf(parser.value(addressOption));
    if (!address)
        return fail(QStringLiteral("%1 is not an address to listen on").arg(parser.value(addressOption)));
    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    if (!portOk || port > 65535)
        return fail(QStringLiteral("%1 is not a TCP port").arg(parser.value(portOption)));
    QString folder = parser.value(folderOption);
    if (folder.isEmpty()) {
        // Where the station would keep its files, filled with the same sample recordings.
        const BaseFolderChoice choice =
            ChooseBaseFolder(QString(), QCoreApplication::applicationFilePath(),
                             QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        QDir().mkpath(choice.folder);
        SeedBaseFolder(choice);
        folder = choice.folder;
    }
    folder = QDir(folder).absolutePath();
    if (!QFileInfo(folder).isDir())
        return fail(QStringLiteral("the data folder %1 does not exist").arg(folder));

    SystemClock clock;
    HostEngine engine(clock, folder);
    QString error;
    if (!engine.listen(*address, quint16(port), &error))
        return fail(
            QStringLiteral("cannot listen on %1 port %2: %3").arg(address->toString()).arg(port).arg(error));
    const QString listening = QStringLiteral("Listening on %1 port %2; data folder %3")
                                  .arg(address->toString())
                                  .arg(engine.port())
                                  .arg(QDir::toNativeSeparators(folder));

    if (parser.isSet(headlessOption)) {
        QTextStream out(stdout);
        HostConsole console(
            engine, folder,
            [&out](const QString &line) {
                out << line << '\n';
                out.flush();
            },
            [&err](const QString &line) {
                err << line << '\n';
                err.flush();
            });
        QObject::connect(&console, &HostConsole::finished, app.get(), &QCoreApplication::quit,
                         Qt::QueuedConnection);
        out << listening << "; type help for the commands" << Qt::endl;
        // A round this host (or one before it) left unfinished goes on.
        engine.resumeRound();
        console.readFrom(0);
        return app->exec();
    }

    TfmHost window(engine, clock, folder);
    window.setWindowTitle(QStringLiteral("Vorlix host - port %1").arg(engine.port()));
    window.show();
    window.statusBar()->showMessage(listening);
    engine.resumeRound();
    return app->exec();
}
