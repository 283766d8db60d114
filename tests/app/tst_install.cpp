// The Debian package, as a user gets it: built with cpack from this build,
// unpacked into a scratch root, and its programs run from there. The
// installed station must fill the user's data folder and write nothing
// under the installation.

#include "VorlixVersion.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
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
        for (const char *dependency : {"libqt6widgets6", "libqt6network6", "libpulse0"})
            QVERIFY2(fields.out.contains(QLatin1String(dependency)), dependency);

        for (const char *file :
             {"lib/vorlix/vorlix-audio-sink.so", "share/vorlix/DemoCalls.txt",
              "share/vorlix/PracticeComputerLogInstruct.txt", "share/applications/org.vorlix.Player.desktop",
              "share/applications/org.vorlix.Host.desktop", "share/metainfo/org.vorlix.Player.metainfo.xml",
              "share/icons/hicolor/scalable/apps/org.vorlix.Player.svg",
              "share/icons/hicolor/scalable/apps/org.vorlix.Host.svg"})
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
        const Run metainfo = RunProgram(
            appstream, {"validate", "--no-net", installed("share/metainfo/org.vorlix.Player.metainfo.xml")},
            m_env);
        QVERIFY2(metainfo.exitCode == 0, qPrintable(metainfo.out + metainfo.err));
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
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
