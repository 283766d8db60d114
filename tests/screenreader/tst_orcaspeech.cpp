// What the Orca screen reader really says while a blind player plays: the
// station runs on a private X server (Xvfb) and D-Bus session with the
// accessibility bus, Orca beside it with a debug file, and speech-dispatcher
// on a silent output. Orca's "SPEECH OUTPUT" lines are what the player hears.
// Skipped, with the reason, where Orca or its companions are not installed.

#include "TempBase.h"
#include "TestStation.h"
#include "ui_TfmMain.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// One program of the stage, started with its output in a file and ended by
// its own process id.
struct Child
{
    pid_t pid = 0;

    // Starts `argv`; `fd` (when not -1) is the write end of a pipe it keeps.
    bool start(const QStringList &argv, const QString &log, int keepFd = -1)
    {
        QList<QByteArray> args;
        for (const QString &a : argv)
            args.append(a.toLocal8Bit());
        const QByteArray logPath = log.toLocal8Bit();
        pid = fork();
        if (pid < 0)
            return false;
        if (pid == 0) {
            // A test killed on its timeout takes its stage with it: a
            // leftover Orca would keep the next one from starting.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int out = open(logPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (out >= 0) {
                dup2(out, 1);
                dup2(out, 2);
            }
            const int in = open("/dev/null", O_RDONLY);
            if (in >= 0)
                dup2(in, 0);
            for (int fd = 3; fd < 256; ++fd)
                if (fd != keepFd)
                    close(fd);
            std::vector<char *> raw;
            for (QByteArray &a : args)
                raw.push_back(a.data());
            raw.push_back(nullptr);
            execvp(raw[0], raw.data());
            _exit(127);
        }
        return true;
    }

    bool running() { return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0; }

    void stop()
    {
        if (pid <= 0)
            return;
        kill(pid, SIGTERM);
        for (int i = 0; i < 50; ++i) {
            if (waitpid(pid, nullptr, WNOHANG) != 0) {
                pid = 0;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = 0;
    }
};

// Reads one line from `fd` within `ms` milliseconds.
QByteArray ReadLine(int fd, int ms)
{
    QByteArray line;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        char c;
        if (read(fd, &c, 1) != 1)
            break;
        if (c == '\n')
            return line;
        line.append(c);
    }
    return line;
}

// Xvfb, a D-Bus session, speech-dispatcher and Orca, for this process: set
// up before the application object, which connects to them.
class Stage
{
public:
    ~Stage()
    {
        orca.stop();
        speech.stop();
        dbus.stop();
        xvfb.stop();
    }

    // Empty when the stage is up, else why not.
    QString start()
    {
        for (const char *program : {"Xvfb", "dbus-daemon", "speech-dispatcher", "orca"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
                return QStringLiteral("%1 is not installed (scripts/install-deps.sh installs it)")
                    .arg(QString::fromLatin1(program));
        if (!QFile::exists(QStringLiteral("/usr/lib/speech-dispatcher-modules/sd_generic")))
            return QStringLiteral("speech-dispatcher's generic module is not installed");
        if (!dir.isValid())
            return QStringLiteral("no temporary folder");
        // The stage's logs and Orca's debug file, kept to be read.
        if (qEnvironmentVariableIsSet("VORLIX_KEEP_ORCA_LOGS")) {
            dir.setAutoRemove(false);
            qInfo("Orca's stage: %s", qPrintable(dir.path()));
        }
        const QString home = dir.filePath(QStringLiteral("home"));
        const QString run = dir.filePath(QStringLiteral("run"));
        QDir().mkpath(home + QStringLiteral("/.config/speech-dispatcher/modules"));
        QDir().mkpath(run);
        QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // Speech that is spoken to nobody: every phrase ends at once, and the
        // sound goes to libao's null device (there is no sound server).
        write(home + QStringLiteral("/.config/speech-dispatcher/speechd.conf"),
              "AddModule \"silent\" \"sd_generic\" \"silent.conf\"\nDefaultModule silent\n"
              "AudioOutputMethod \"libao\"\n");
        write(home + QStringLiteral("/.libao"), "default_driver=null\n");
        write(home + QStringLiteral("/.config/speech-dispatcher/modules/silent.conf"),
              "GenericExecuteSynth \"true\"\nAddVoice \"en\" \"MALE1\" \"en\"\n");
        qputenv("HOME", home.toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", run.toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toLocal8Bit());
        qputenv("XDG_CACHE_HOME", (home + QStringLiteral("/.cache")).toLocal8Bit());
        qunsetenv("AT_SPI_BUS_ADDRESS");
        qunsetenv("SPEECHD_ADDRESS");

        int fds[2];
        if (pipe(fds) != 0)
            return QStringLiteral("no pipe");
        xvfb.start({"Xvfb", "-displayfd", QString::number(fds[1]), "-screen", "0", "1280x1024x24",
                    "-nolisten", "tcp"},
                   dir.filePath(QStringLiteral("xvfb.log")), fds[1]);
        close(fds[1]);
        const QByteArray display = ReadLine(fds[0], 10000).trimmed();
        close(fds[0]);
        if (display.isEmpty())
            return QStringLiteral("Xvfb did not start");
        qputenv("DISPLAY", ":" + display);

        if (pipe(fds) != 0)
            return QStringLiteral("no pipe");
        dbus.start({"dbus-daemon", "--session", "--nofork", "--nopidfile",
                    "--print-address=" + QString::number(fds[1])},
                   dir.filePath(QStringLiteral("dbus.log")), fds[1]);
        close(fds[1]);
        const QByteArray address = ReadLine(fds[0], 10000).trimmed();
        close(fds[0]);
        if (address.isEmpty())
            return QStringLiteral("dbus-daemon did not start");
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);

        speech.start({"speech-dispatcher", "--run-single", "--timeout", "0"},
                     dir.filePath(QStringLiteral("speechd.log")));
        const QString socket = run + QStringLiteral("/speech-dispatcher/speechd.sock");
        if (!waitFor([&] { return QFile::exists(socket); }, 10000))
            return QStringLiteral("speech-dispatcher did not start");

        debugFile = dir.filePath(QStringLiteral("orca.debug"));
        // Orca writes its debug file through a buffer: flushed after every
        // line, it can be read while Orca runs. Its finest details and
        // braille (there is no display) are left out: Orca keeps up better.
        const QString orcaProgram = QStandardPaths::findExecutable(QStringLiteral("orca"));
        // Orca's own Python, named on its first line.
        const QString python =
            QString::fromLocal8Bit(read(orcaProgram).split('\n').value(0).mid(2)).trimmed();
        orca.start({python, "-c",
                    "import runpy, sys\n"
                    "import orca.debug as debug, orca.settings as settings\n"
                    "settings.enableBraille = False\n"
                    "plain = debug.println\n"
                    "def println(level, *args, **kwargs):\n"
                    "    if level >= debug.LEVEL_INFO:\n"
                    "        plain(level, *args, **kwargs)\n"
                    "    if debug.debugFile:\n"
                    "        debug.debugFile.flush()\n"
                    "debug.println = println\n"
                    "sys.argv = sys.argv[1:]\n"
                    "runpy.run_path(sys.argv[0], run_name='__main__')\n",
                    orcaProgram, "--debug-file=" + debugFile},
                   dir.filePath(QStringLiteral("orca.log")));
        if (!waitFor(
                [&] { return spoken().contains(QStringLiteral("Screen reader on.")) || !orca.running(); },
                30000) ||
            !orca.running()) {
            const QString log = QString::fromLocal8Bit(read(dir.filePath(QStringLiteral("orca.log"))));
            return QStringLiteral("Orca did not start (another Orca of this user may be running): ") +
                   log.trimmed().left(300);
        }
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        return {};
    }

    // Every phrase Orca has said so far, in order; a line ends in the voice
    // Orca used, which is not said.
    QStringList spoken() const
    {
        static const QRegularExpression said(
            QStringLiteral("SPEECH OUTPUT: '(.*)'(?: voice=\\w+)?(?:\\{.*\\})?\\s*$"));
        QStringList phrases;
        for (const QString &line : QString::fromUtf8(read(debugFile)).split(u'\n')) {
            const QRegularExpressionMatch m = said.match(line);
            if (m.hasMatch())
                phrases.append(m.captured(1));
        }
        return phrases;
    }

    QTemporaryDir dir;
    QString debugFile;
    Child xvfb, dbus, speech, orca;

private:
    static bool waitFor(const std::function<bool()> &ready, int ms)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!ready()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }
    static void write(const QString &path, const QByteArray &text)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(text);
    }
    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

Stage *g_stage = nullptr;
QString g_skip;

} // namespace

class TestOrcaSpeech : public QObject
{
    Q_OBJECT

    // True once Orca has said a phrase containing `text` after the first
    // `from` phrases; waits for it while the station keeps answering Orca.
    static bool says(const QString &text, qsizetype from = 0)
    {
        return QTest::qWaitFor(
            [&] {
                const QStringList phrases = g_stage->spoken();
                for (qsizetype i = from; i < phrases.size(); ++i)
                    if (phrases[i].contains(text))
                        return true;
                return false;
            },
            20000);
    }

private slots:
    void practiceTestIsHeard()
    {
        if (!g_skip.isEmpty())
            QSKIP(qPrintable(g_skip));
        TestStation st({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo",
                        "VORLIX_WAVESOURCE_PRACTICE=p.wav,p.txt,Lakemont 2012"});
        st.base.Write("PracticeWavesAndCalls/p.wav", MakeWave(8000, 8, 1, 30000));
        st.base.WriteLines("PracticeWavesAndCalls/p.txt", {"K5XX", "OH2BH"});
        QVERIFY(st.start());
        Ui::TfmMain &ui = st.ui();
        // Orca has found the window and the focus in it.
        QVERIFY2(says(st.main->windowTitle()), qPrintable(g_stage->spoken().join(u'|')));

        // A practice test, its calls typed in box 2; at its end the score
        // in box 2 and the message panel are heard, and the focus is in box 1.
        qsizetype mark = g_stage->spoken().size();
        ui.rbPractice->click();
        // The panel's prompt, heard while the focus moves to box 1.
        const QString prompt = ui.pnMessage->text();
        QVERIFY(!prompt.isEmpty());
        QVERIFY2(says(prompt, mark), qPrintable(g_stage->spoken().mid(mark).join(u'|')));
        st.answerLogging(true);
        st.answerCase("Lakemont 2012");
        // With a screen reader listening, Qt hands each key to it first and
        // delivers it once the reader has let it pass: the keys take effect
        // a moment later.
        st.enterCallSign("K1ABC");
        QTRY_VERIFY_WITH_TIMEOUT(ui.ebCallEntry->hasFocus(), 10000);
        st.clock.advanceSecs(3);
        st.typeCall("K5XX");
        QTRY_VERIFY_WITH_TIMEOUT(ui.moCallsLogged->toPlainText().contains("K5XX"), 10000);
        QVERIFY(ui.ebCallEntry->hasFocus());
        mark = g_stage->spoken().size();
        st.clock.setMonotonicMs(st.main->session().audioStartMs() + 30000);
        st.main->tmPCCompleteTimer();
        QCOMPARE(ui.ebCallEntry->text().left(23), QStringLiteral("Correct calls/chars=1/4"));
        QVERIFY(ui.ebCallSign->hasFocus());
        QVERIFY2(says(QStringLiteral("Correct calls/chars=1/4"), mark) &&
                     says(QStringLiteral("Your log was saved locally in the PracticeLogs directory"), mark),
                 qPrintable(g_stage->spoken().mid(mark).join(u'|')));
    }
};

int main(int argc, char **argv)
{
    Stage stage;
    g_stage = &stage;
#if defined(__SANITIZE_ADDRESS__)
    // Not in the sanitizer build: the screen reader's timing there has not
    // been tried, and the accessibility bus's allocations are Qt's, not ours.
    g_skip = QStringLiteral("not run in the sanitizer build");
#else
    g_skip = stage.start();
#endif
    if (!g_skip.isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestOrcaSpeech test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_orcaspeech.moc"
