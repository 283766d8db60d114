// The Debian package, as a user gets it: built with cpack from this build,
// unpacked into a scratch root, and its programs run from there. The
// installed station must fill the user's data folder and write nothing
// under the installation.

#include "VorlixVersion.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run RunProgram(const QString &program, const QStringList &arguments, const QProcessEnvironment &env,
               const QByteArray &input = QByteArray(), int timeoutMs = 60000)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    if (!p.waitForStarted())
        return {};
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

// Every file and folder under `root` with its size and modification time.
QStringList Snapshot(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        entries << QString("%1 %2 %3")
                       .arg(info.filePath())
                       .arg(info.isDir() ? 0 : info.size())
                       .arg(info.lastModified().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_deb;
    QString m_root;
    QProcessEnvironment m_env; // a user of his own: HOME and the XDG folders in the scratch folder

    QString installed(const QString &relative) const { return m_root + "/usr/" + relative; }

private slots:
    void initTestCase()
    {
#ifdef VORLIX_SANITIZED
        QSKIP("Packages are made from the normal build; this build is instrumented for the sanitizers");
#endif
        QVERIFY(m_tmp.isValid());
        const QString packages = m_tmp.filePath("packages");
        const Run cpack = RunProgram(
            VORLIX_CPACK, {"-G", "DEB", "--config", VORLIX_BUILD_DIR "/CPackConfig.cmake", "-B", packages},
            QProcessEnvironment::systemEnvironment(), {}, 100000);
        QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.out + cpack.err));
        const QStringList debs = QDir(packages).entryList({"*.deb"}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        m_deb = QDir(packages).filePath(debs.first());
        m_root = m_tmp.filePath("root");
        const Run unpack =
            RunProgram("dpkg-deb", {"-x", m_deb, m_root}, QProcessEnvironment::systemEnvironment());
        QVERIFY2(unpack.exitCode == 0, qPrintable(unpack.err));

        const QString home = m_tmp.filePath("home");
        QVERIFY(QDir().mkpath(home + "/runtime"));
        QFile::setPermissions(home + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"VORLIX_BASE_FOLDER", "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            m_env.remove(QString::fromLatin1(name));
        m_env.insert("HOME", home);
        m_env.insert("XDG_DATA_HOME", home + "/data");
        m_env.insert("XDG_CONFIG_HOME", home + "/config");
        m_env.insert("XDG_CACHE_HOME", home + "/cache");
        m_env.insert("XDG_RUNTIME_DIR", home + "/runtime");
    }

    // The programs and the configuration are run and compared below; here the rest of the layout.
    void packageFieldsAndLayout()
    {
        const Run fields = RunProgram("dpkg-deb", {"-f", m_deb, "Package", "Version", "Section", "Depends"},
                                      QProcessEnvironment::systemEnvironment());
        QCOMPARE(fields.exitCode, 0);
        QVERIFY2(fields.out.contains("Package: vorlix-player\n"), qPrintable(fields.out));
        QVERIFY(fields.out.contains("Version: " VORLIX_VERSION "\n"));
        QVERIFY(fields.out.contains("Section: hamradio\n"));
        // Found by dpkg-shlibdeps: the sound-device module plays through libpulse.
        // The SVG icon engine is a plugin no program links: named by hand.
        for (const char *dependency : {"libqt6widgets6", "libqt6network6", "libpulse0", "libqt6svg6"})
            QVERIFY2(fields.out.contains(QLatin1String(dependency)), dependency);
        // The long description is wrapped as dpkg and apt show it.
        const Run description =
            RunProgram("dpkg-deb", {"-f", m_deb, "Description"}, QProcessEnvironment::systemEnvironment());
        const QStringList lines = description.out.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.size() > 3, qPrintable(description.out));
        for (const QString &line : lines)
            QVERIFY2(line.size() <= 80, qPrintable(line));

        for (const char *file :
             {"lib/vorlix/vorlix-audio-sink.so", "share/vorlix/DemoCalls.txt",
              "share/vorlix/PracticeComputerLogInstruct.txt", "share/applications/org.vorlix.Player.desktop",
              "share/applications/org.vorlix.Host.desktop", "share/metainfo/org.vorlix.Player.metainfo.xml",
              "share/icons/hicolor/scalable/apps/org.vorlix.Player.svg",
              "share/icons/hicolor/scalable/apps/org.vorlix.Host.svg",
              "share/metainfo/org.vorlix.Host.metainfo.xml", "share/doc/vorlix-player/copyright",
              "share/doc/vorlix-player/changelog.gz"})
            QVERIFY2(QFileInfo(installed(QLatin1String(file))).isFile(), file);
        QVERIFY(!QDir(installed("share/vorlix/PracticeWavesAndCalls"))
                     .entryList({"*.wav"}, QDir::Files)
                     .isEmpty());
    }

    // Without any display: the texts alone, no window system needed.
    void helpAndVersion()
    {
        const QList<QPair<QString, QString>> checks = {{"vorlix-player", "--base-folder"},
                                                       {"vorlix-host", "--headless"},
                                                       {"pileup-synth", "--sample-tree"}};
        for (const auto &[program, option] : checks) {
            const QString path = installed("bin/" + program);
            const Run help = RunProgram(path, {"--help"}, m_env);
            QCOMPARE(help.exitCode, 0);
            QVERIFY2(help.out.contains("Usage: " + path) && help.out.contains(option),
                     qPrintable(help.out + help.err));
            QVERIFY(help.out.contains("--version"));
            const Run version = RunProgram(path, {"--version"}, m_env);
            QCOMPARE(version.exitCode, 0);
            const QString name = program == u"vorlix-player" ? QString("Vorlix Player") : program;
            QCOMPARE(version.out, name + " " VORLIX_VERSION "\n");

            // Its manual page, of this version, names every option --help gives.
            const Run page =
                RunProgram("gzip", {"-dc", installed("share/man/man1/" + program + ".1.gz")}, m_env);
            QVERIFY2(page.out.startsWith(".TH " + program.toUpper() + " 1 ") &&
                         page.out.contains("\"Vorlix " + QLatin1String(VORLIX_VERSION) + "\""),
                     qPrintable(program + page.err));
            static const QRegularExpression optionLine(R"(^\s+(?:-\w, )?(--[\w-]+))");
            for (const QString &line : help.out.split(u'\n')) {
                const QRegularExpressionMatch named = optionLine.match(line);
                if (named.hasMatch() && named.captured(1) != u"--help-all")
                    QVERIFY2(page.out.contains(QString(named.captured(1)).replace("-", "\\-")),
                             qPrintable(program + " " + named.captured(1)));
            }
        }
        // Without a display the windowed programs say so in one line and end
        // with status 1, not Qt's abort.
        for (const QStringList &command : {QStringList{"vorlix-player"}, QStringList{"vorlix-host"}}) {
            const Run alone = RunProgram(installed("bin/" + command.first()), command.mid(1), m_env);
            QVERIFY2(alone.exitCode == 1 && alone.err.count(u'\n') == 1 && alone.err.contains("no display"),
                     qPrintable(QString::number(alone.exitCode) + alone.err));
        }
    }

    void firstStartFillsTheUserDataFolder()
    {
        const QStringList before = Snapshot(m_root);
        QProcessEnvironment env = m_env;
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VORLIX_SILENT_AUDIO", "1");
        const Run station = RunProgram(installed("bin/vorlix-player"), {"--quit-when-shown"}, env);
        QVERIFY2(station.exitCode == 0, qPrintable(station.err));

        const QString data = m_env.value("XDG_DATA_HOME") + "/vorlix/Vorlix Player";
        QFile shipped(installed("share/vorlix/Vorlix_Player_ini.txt"));
        QFile copied(data + "/Vorlix_Player_ini.txt");
        QVERIFY(shipped.open(QIODevice::ReadOnly) && copied.open(QIODevice::ReadOnly));
        QCOMPARE(copied.readAll(), shipped.readAll());
        // The sample data came along, and the station made its folders and history there.
        QCOMPARE(QDir(data + "/PracticeWavesAndCalls").entryList({"*.wav"}, QDir::Files),
                 QDir(installed("share/vorlix/PracticeWavesAndCalls")).entryList({"*.wav"}, QDir::Files));
        QVERIFY(QFileInfo(data + "/PracticeLogs/PracticeTimedScores").isDir());
        QVERIFY(QFileInfo(data + "/PracticeHistory.csv").isFile());

        // The host keeps its folder beside it, filled with the same recordings.
        const Run host = RunProgram(installed("bin/vorlix-host"),
                                    {"--headless", "--address", "localhost", "--port", "0"}, m_env, "quit\n");
        QVERIFY2(host.exitCode == 0, qPrintable(host.out + host.err));
        const QString hostData = m_env.value("XDG_DATA_HOME") + "/vorlix/vorlix-host";
        QVERIFY2(host.out.contains("data folder " + hostData), qPrintable(host.out));
        QVERIFY(QFileInfo(hostData + "/Welcome.wav").isFile());

        QCOMPARE(Snapshot(m_root), before);
    }

    void desktopFilesAndMetainfoValidate()
    {
        const QString appstream = QStandardPaths::findExecutable("appstreamcli");
        if (appstream.isEmpty())
            QSKIP("appstreamcli is not installed (package appstream; scripts/install-deps.sh installs it)");
        for (const char *file : {"org.vorlix.Player.metainfo.xml", "org.vorlix.Host.metainfo.xml"}) {
            const Run metainfo = RunProgram(
                appstream, {"validate", "--no-net", installed("share/metainfo/" + QLatin1String(file))},
                m_env);
            QVERIFY2(metainfo.exitCode == 0, qPrintable(metainfo.out + metainfo.err));
        }
        QFile file(installed("share/metainfo/org.vorlix.Player.metainfo.xml"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("<release version=\"" VORLIX_VERSION "\""));
        const QString desktop = QStandardPaths::findExecutable("desktop-file-validate");
        if (desktop.isEmpty())
            QSKIP("desktop-file-validate is not installed (package desktop-file-utils)");
        for (const char *file : {"org.vorlix.Player.desktop", "org.vorlix.Host.desktop"}) {
            const Run check =
                RunProgram(desktop, {installed("share/applications/" + QLatin1String(file))}, m_env);
            QVERIFY2(check.exitCode == 0 && check.out.isEmpty(), qPrintable(check.out + check.err));
        }
    }

    // On a real X server: each program's window carries the class its menu
    // entry names (so the desktop shows the entry's name and icon for it)
    // and the program's own icon, drawn through the SVG icon engine.
    void windowsBelongToTheirMenuEntries()
    {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        const QString xprop = QStandardPaths::findExecutable("xprop");
        const QString xwininfo = QStandardPaths::findExecutable("xwininfo");
        if (xvfb.isEmpty() || xprop.isEmpty() || xwininfo.isEmpty())
            QSKIP("Xvfb, xprop or xwininfo is not installed (packages xvfb, x11-utils; "
                  "scripts/install-deps.sh)");
        QProcess server;
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.start(xvfb, {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
        QVERIFY(server.waitForReadyRead(10000));
        const QString display = ":" + QString::fromLatin1(server.readLine()).trimmed();
        QProcessEnvironment env = m_env;
        env.insert("DISPLAY", display);
        env.insert("VORLIX_SILENT_AUDIO", "1");
        const QList<QPair<QString, QString>> programs = {{"vorlix-player", "org.vorlix.Player"},
                                                         {"vorlix-host", "org.vorlix.Host"}};
        for (const auto &[program, entry] : programs) {
            QFile desktop(installed("share/applications/" + entry + ".desktop"));
            QVERIFY(desktop.open(QIODevice::ReadOnly));
            const QString wmClass =
                QString::fromUtf8(desktop.readAll()).section("StartupWMClass=", 1).section(u'\n', 0, 0);
            QVERIFY2(!wmClass.isEmpty(), qPrintable(entry));
            QProcess running;
            running.setProcessEnvironment(env);
            running.start(installed("bin/" + program),
                          program == u"vorlix-host" ? QStringList{"--address", "localhost", "--port", "0"}
                                                    : QStringList{});
            QVERIFY(running.waitForStarted());
            // The first top-level window of the program's class, once it is mapped.
            QString classes, icon;
            for (int attempt = 0; attempt < 100 && classes.isEmpty(); ++attempt) {
                const Run tree = RunProgram(xwininfo, {"-root", "-children"}, env);
                for (const QString &line : tree.out.split(u'\n')) {
                    const QString id = line.trimmed().section(u' ', 0, 0);
                    if (!id.startsWith("0x") || !line.contains(QStringLiteral("\"%1\")").arg(wmClass)))
                        continue;
                    classes = RunProgram(xprop, {"-id", id, "WM_CLASS"}, env).out;
                    icon = RunProgram(xprop, {"-id", id, "-notype", "_NET_WM_ICON"}, env).out.left(200);
                    break;
                }
                if (classes.isEmpty())
                    QTest::qWait(100);
            }
            running.kill();
            running.waitForFinished();
            QVERIFY2(classes.contains(QStringLiteral(", \"%1\"").arg(wmClass)),
                     qPrintable(program + classes));
            QVERIFY2(icon.contains("Icon ("), qPrintable(program + icon));
        }
        server.kill();
        server.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
