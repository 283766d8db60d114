// The connection window against a fake host on 127.0.0.1: settings file, the two steps, the health check, the
// read event and hostile hosts.

#include "FakeHost.h"
#include "ScriptedDialogs.h"
#include "TempBase.h"
#include "hostlink/ConnectionSettings.h"
#include "hostlink/HostCommandHandler.h"
#include "hostlink/TfmConnect.h"
#include "ui_TfmConnect.h"
#include "util/Clock.h"

#include <QSignalSpy>
#include <QTest>

#include <poll.h>
#include <tuple>

using HostProtocol::HostCommand;
using HC = HostCommand;

namespace {

// Stands in for the main window: records the commands, failures and drops handed to it.
class RecordingHandler : public HostCommandHandler
{
public:
    QList<HC> commands;
    QStringList messages; // and "(dropped)" where the link dropped
    QStringList problems;
    bool local = false;
    int drops = 0;
    HC failOn = HC::None; // raises an error on this command
    // The main window opens a box on this command (or on its failure) and `whileBoxOpen` runs in the box's
    // event loop until it closes.
    HC boxOn = HC::None;
    std::function<void()> whileBoxOpen;

    void HandleHostCommand(const HostProtocol::DecodedHostCommand &message) override
    {
        const HC command = message.command;
        commands.append(command);
        messages.append(message.text);
        if (command == failOn)
            throw StationError(QStringLiteral("No MCI device open"));
        if (command == boxOn)
            openBox();
    }
    void ReportHostProblem(const QString &text) override
    {
        problems.append(text);
        if (commands.last() == boxOn)
            openBox();
    }
    bool IsLocalMode() const override { return local; }
    void LinkDropped() override { ++drops, messages.append("(dropped)"); }
    void clear() { commands.clear(), messages.clear(), problems.clear(); }
    void openBox()
    {
        if (whileBoxOpen)
            std::exchange(whileBoxOpen, nullptr)();
    }
};

// One station with its connection window, a settings file and a fake host.
struct Station
{
    TempBase base;
    ScriptedDialogs dialogs;
    ManualClock clock;
    RecordingHandler handler;
    FakeHost host;
    TfmConnect window{dialogs, clock};
    Ui::TfmConnect &ui = *window.ui();

    Station()
    {
        // Tests tick the health check and end the waiting moment by hand.
        window.tmHealthCheck.stop();
        window.tmMessageWait.setInterval(std::numeric_limits<int>::max());
        window.setHandler(&handler);
        window.setSettingsFileName(settingsFile());
    }
    QString settingsFile() const { return base.file("Vorlix_PRestart.txt"); }
    void writeSettings(const QStringList &lines) const { base.WriteLines("Vorlix_PRestart.txt", lines); }
    // Runs the event loop until the window has read what the host sent, then lets it hand the messages on (a
    // queued step).
    bool sendAndRead(const QByteArray &block)
    {
        QSignalSpy reads(&window.HaldenClientSocket, &QIODevice::readyRead);
        host.send(block);
        const bool read = reads.wait(5000);
        QCoreApplication::sendPostedEvents(&window, QEvent::MetaCall);
        return read;
    }
    // Sends the block in two reads, cut before byte `offset`.
    bool sendSplit(const QByteArray &block, qsizetype offset)
    {
        QSignalSpy reads(&window.HaldenClientSocket, &QIODevice::readyRead);
        return host.sendSplit(block, offset, [&] { return reads.count() > 0; });
    }

    // Step 1 against the host on `port`.
    void connectTo(quint16 port)
    {
        writeSettings({"; last used", "HOST_ADDRESS=127.0.0.1", "HOST_PORT_NUMBER=" + QString::number(port),
                       "PLAYER_POSITION=Position 3"});
        window.FormActivate();
        window.bnConnectClick();
    }
    // Step 1 and, when an answer is given, step 2 with that answer from the host.
    bool connect(const QByteArray &positionAnswer = QByteArray())
    {
        connectTo(host.port());
        if (!QTest::qWaitFor([&] { return window.Connected(); }, 5000) || !host.waitForClient())
            return false;
        if (positionAnswer.isEmpty())
            return true;
        host.clearReceived();
        window.bnContinueClick();
        return host.waitForReceived(";CONNECT_POSITION:Position 3") && sendAndRead(positionAnswer);
    }
    // The link has been reset by the station, quietly.
    bool linkReset()
    {
        return !window.Connected() && ui.pnPositionStatus->text() == "Position Unassigned" &&
               ui.bnConnect->text() == "Connect" && ui.bnConnect->isEnabled() &&
               !ui.bnDisconnect->isEnabled() && host.waitForClientGone() && dialogs.shown.isEmpty();
    }
};

} // namespace

class TestConnect : public QObject
{
    Q_OBJECT

private slots:
    void settingsFile()
    {
        Station s;
        // The file's content (empty: no file at all), then what is read from it.
        const QList<std::tuple<QByteArray, QString, int, QString>> rows = {
            {"", "0.0.0.0", 49152, "Position 1"},
            // A missing name gives empty text, and a port without digits 0.
            {"HOST_PORT_NUMBER=abc\r\n", "", 0, ""},
            // Names ignoring case, the first line wins, blanks around the name do not match.
            {"HOST_ADDRESS = 10.9.9.9\r\nother=1\r\nhost_address=10.0.0.5\r\nHOST_ADDRESS=10.1.1.1\r\n"
             "Host_Port_Number= -12x\r\nplayer_position=  position 5  \r\n",
             "10.0.0.5", -12, "position 5"},
            {"HOST_ADDRESS=123456789012345678901234=x\r\n", "1234567890123456789", 0, ""},
            // Binary bytes and an out-of-range number read without harm.
            {QByteArray("HOST_ADDRESS=\x01\xff\x00\xfe\r\nHOST_PORT_NUMBER=99999999999\n", 48),
             QString::fromLatin1("\x01\xff\x00\xfe", 4), std::numeric_limits<int>::max(), ""}};
        for (const auto &[content, address, port, position] : rows) {
            QFile::remove(s.settingsFile());
            if (!content.isEmpty())
                s.base.Write("Vorlix_PRestart.txt", content);
            const ConnectionSettings read = LoadConnectionSettings(s.settingsFile());
            QCOMPARE(read.HostAddress, address);
            QCOMPARE(read.HostPort, port);
            QCOMPARE(read.PlayerPosition, position);
        }
        // A folder where the file should be counts as missing.
        QDir().mkpath(s.base.file("folder"));
        QCOMPARE(LoadConnectionSettings(s.base.file("folder")).HostPort, 49152);

        // The window shows what it read; a position it does not offer selects none.
        s.writeSettings({"HOST_ADDRESS=10.0.0.5", "player_position=  position 5  "});
        s.window.FormActivate();
        QCOMPARE(s.ui.ebHostAddress->text(), QStringLiteral("10.0.0.5"));
        QCOMPARE(s.window.positionText(), QStringLiteral("Position 5"));
        s.writeSettings({"PLAYER_POSITION=Seat 9"});
        s.window.FormActivate();
        QCOMPARE(s.ui.cbPosition->currentIndex(), -1);
        s.window.bnConnectClick();
        QCOMPARE(s.dialogs.texts(), QStringList{"Please select a position before connecting"});
        QCOMPARE(s.window.HaldenClientSocket.state(), QAbstractSocket::UnconnectedState);
    }

    void stepsAgainstTheHost()
    {
        Station s;
        QVERIFY(s.connect(";POSITION_REJECTED:"));
        QCOMPARE(s.host.received(), Ended({";CONNECT_POSITION:Position 3"}));
        QCOMPARE(s.ui.pnStatus->text(), QStringLiteral("Connected"));
        QCOMPARE(s.ui.pnPositionStatus->text(), QStringLiteral("Position already in use "));
        QVERIFY(!s.window.PositionAssigned() && !s.ui.bnContinue->isEnabled());
        // Closing without a position writes nothing, and never disconnects.
        const QByteArray before = s.base.Read("Vorlix_PRestart.txt");
        s.window.reject();
        QCOMPARE(s.base.Read("Vorlix_PRestart.txt"), before);

        s.window.FormActivate(); // shown again: another try, then a third
        s.ui.cbPosition->setCurrentIndex(1);
        s.window.bnContinueClick();
        QVERIFY(s.sendAndRead(";POSITION_REJECTED:ALL_TAKEN;"));
        QCOMPARE(s.ui.pnPositionStatus->text(), QStringLiteral("All positions are taken"));
        QVERIFY(s.window.PositionRefused() && s.window.AllPositionsTaken());
        s.host.clearReceived();
        s.window.bnContinueClick();
        QVERIFY(s.host.waitForReceived(";CONNECT_POSITION:Position 2"));
        QVERIFY(s.sendAndRead(";POSITION_ACCEPTED:"));
        QVERIFY(s.window.PositionAssigned());
        QCOMPARE(s.ui.pnPositionStatus->text(), QStringLiteral("Position Assigned"));
        QVERIFY(s.handler.commands.isEmpty()); // link commands stay here
        s.window.reject();
        QCOMPARE(s.base.Read("Vorlix_PRestart.txt"),
                 "HOST_ADDRESS=127.0.0.1\r\nHOST_PORT_NUMBER=" + QByteArray::number(s.host.port()) +
                     "\r\nPLAYER_POSITION=Position 2\r\n");
        s.base.Write("plain", "x"); // a file that cannot be written: the failure is shown
        s.window.setSettingsFileName(s.base.file("plain/x.txt"));
        s.window.reject();
        QCOMPARE(s.dialogs.texts(), QStringList{"Cannot create file " + s.base.file("plain/x.txt")});
        s.dialogs.shown.clear();

        s.host.clearReceived();
        s.window.bnDisconnectClick();
        QVERIFY(s.host.waitForReceived(";REQUEST_DISCONNECT:"));
        QVERIFY(s.window.Connected()); // nothing changes until the host answers
    }

    void healthCheck()
    {
        Station s;
        QVERIFY(s.connect(";POSITION_ACCEPTED:"));
        for (const QByteArray block : {"HEALTH_CHECK:", ";HEALTH_CHECK:trailing text"}) {
            s.host.clearReceived();
            s.clock.advanceSecs(25);
            s.host.send(block);
            QVERIFY(s.host.waitForReceived(";CLIENT_ALIVE:"));
            QCOMPARE(s.host.received(), QByteArray(";CLIENT_ALIVE:"));
            QCOMPARE(s.window.LastHeard(), std::optional(s.clock.monotonicMs()));
        }

        // A station frozen for 40 s (a laptop lid, a stopped process) wakes
        // with the host's checks in its socket, unread: they are read before
        // the host is judged silent, and answered.
        s.host.clearReceived();
        s.host.send(";HEALTH_CHECK:");
        pollfd unread{int(s.window.HaldenClientSocket.socketDescriptor()), POLLIN, 0};
        QCOMPARE(::poll(&unread, 1, 5000), 1); // in the system, not yet read: no event loop ran
        s.clock.advanceSecs(40);
        s.window.tmHealthCheckTimer();
        QVERIFY(s.window.Connected());
        QVERIFY(s.host.waitForReceived(";CLIENT_ALIVE:"));

        // The wall clock set forward or back by ten minutes is no silence,
        // and hides none.
        s.clock.stepWallMs(10 * 60 * 1000);
        s.window.tmHealthCheckTimer();
        QVERIFY(s.window.Connected());
        s.clock.stepWallMs(-20 * 60 * 1000);

        // Silence drops the link in networked mode after more than 30 s only.
        s.handler.local = true;
        s.clock.advanceSecs(300);
        s.window.tmHealthCheckTimer();
        QVERIFY(s.window.Connected());
        s.handler.local = false;
        s.clock.advanceSecs(-300 + 30);
        s.window.tmHealthCheckTimer();
        QVERIFY(s.window.Connected());
        s.clock.advanceSecs(1);
        s.window.tmHealthCheckTimer();
        QVERIFY(s.linkReset());
        QCOMPARE(s.handler.drops, 1);
        // Reported once; a connect attempt that fails is no drop, not even when the health check resets it.
        QTcpServer gone;
        QVERIFY(gone.listen(QHostAddress::LocalHost));
        const quint16 port = gone.serverPort();
        gone.close();
        QSignalSpy failed(&s.window.HaldenClientSocket, &QAbstractSocket::errorOccurred);
        s.connectTo(port);
        QVERIFY(failed.wait(5000));
        s.clock.advanceSecs(31);
        s.window.tmHealthCheckTimer();
        QVERIFY(s.ui.bnConnect->isEnabled());
        QCOMPARE(s.handler.drops, 1);

        // Not connected: sending shows the failure and nothing leaves.
        s.host.clearReceived();
        s.window.SendToHost(";LOG_CALL:K5XX");
        QCOMPARE(s.dialogs.texts(), QStringList{"MSG FAILED:Client is not connected to host"});
        QCOMPARE(s.window.HaldenClientSocket.bytesToWrite(), 0);
        QVERIFY(s.host.received().isEmpty());
    }

    void hostEndsTheLink()
    {
        // The host closing the socket: what it sent before is handled first (a message waiting for its fields
        // as it stands), then the main window hears of the drop at once. The position panel stays as it was.
        Station s;
        QVERIFY(s.connect(";POSITION_ACCEPTED:"));
        s.host.send(";PLAYER_ACCEPTED:;SCORE_TEST:57");
        s.host.closeClient();
        QTRY_COMPARE(s.handler.drops, 1);
        QCOMPARE(s.handler.messages, (QStringList{"PLAYER_ACCEPTED:", "SCORE_TEST:57", "(dropped)"}));
        QVERIFY(!s.window.Connected() && s.ui.bnConnect->isEnabled() && !s.ui.bnDisconnect->isEnabled());
        QCOMPARE(s.ui.pnStatus->text(), QStringLiteral("Disconnected"));
        QCOMPARE(s.ui.pnPositionStatus->text(), QStringLiteral("Position Assigned"));
        QCOMPARE(s.ui.bnConnect->text(), QStringLiteral("Step 1. Connect"));

        // Step 1 again: a new link without a position. A piece cut before its colon dies with its link, and
        // the drop is not reported again.
        s.handler.clear();
        QVERIFY(s.connect());
        QVERIFY(!s.window.PositionAssigned());
        QCOMPARE(s.ui.pnPositionStatus->text(), QStringLiteral("Position Unassigned"));
        QVERIFY(s.sendAndRead(";SCORE_TE"));
        s.host.closeClient();
        QTRY_COMPARE(s.handler.drops, 2);
        s.clock.advanceSecs(31);
        s.window.tmHealthCheckTimer();
        QVERIFY(s.connect());
        s.host.send("ST:9;START_TEST:"); // the first bytes of the new link
        QTRY_VERIFY(!s.handler.commands.isEmpty());
        QCOMPARE(s.handler.commands, QList<HC>{HC::StartTest});

        // PERFORM_DISCONNECT resets it; what follows in that block is dropped.
        s.handler.clear();
        s.host.send(";RESET_TEST:;PERFORM_DISCONNECT:;HEALTH_CHECK:;START_TEST:");
        QTRY_VERIFY(!s.window.Connected());
        QCOMPARE(s.handler.commands, (QList<HC>{HC::ResetTest, HC::PerformDisconnect}));
        QVERIFY(s.linkReset() && s.handler.drops == 2);
    }

    void messagesHandedOnInOrder()
    {
        Station s;
        QVERIFY(s.connect());
        s.host.send("SET_WAVEFILE:a,b.wav;;junk;start_test:;bogus:;SCORE_TEST:57,3;;");
        QTRY_COMPARE(s.handler.commands, (QList<HC>{HC::SetWaveFile, HC::ScoreTest}));
        QCOMPARE(s.handler.messages, (QStringList{"SET_WAVEFILE:a,b.wav", "SCORE_TEST:57,3"}));

        // A message the network cut is mended: a piece without its colon waits for the next read, a message
        // with fields at the end of a read waits for its rest until a ';' comes or the moment is over, and a
        // command without fields never waits.
        s.handler.clear();
        QVERIFY(s.sendSplit(";HEALTH_CHECK:", 13));
        QVERIFY(s.host.waitForReceived(";CLIENT_ALIVE:"));
        QVERIFY(s.sendSplit(";SCORE_TEST:57,3;PLAYER_ACCEPTED:;SET_WAVEFILE:Welco", 13));
        QTRY_COMPARE(s.handler.commands.size(), 2);
        QVERIFY(s.sendAndRead("me.wav"));
        QVERIFY(s.window.tmMessageWait.isActive() && s.handler.commands.size() == 2);
        s.window.tmMessageWaitTimer();
        QTRY_COMPARE(s.handler.commands.size(), 3);
        QVERIFY(s.sendAndRead(",3;START_TEST:")); // too late to continue it
        QTRY_COMPARE(s.handler.commands.size(), 4);
        QCOMPARE(
            s.handler.messages,
            (QStringList{"SCORE_TEST:57,3", "PLAYER_ACCEPTED:", "SET_WAVEFILE:Welcome.wav", "START_TEST:"}));
        QVERIFY(!s.window.tmMessageWait.isActive());
        // Our host ends a message with fields with its mark: handed on with the read that brought it, where
        // the same message without the mark would wait (here for ever, the moment being ended by hand).
        s.handler.clear();
        QVERIFY(
            s.sendAndRead(HostProtocol::EncodeWire(HostProtocol::HostMessage(HC::ScoreTest, {"57", "3"}))));
        QVERIFY(!s.window.tmMessageWait.isActive());
        QCOMPARE(s.handler.messages, QStringList{"SCORE_TEST:57,3"});

        // A failure ends its own message only and goes to the main window to tell the player: this window
        // shows no box, however many fail.
        s.handler.clear();
        s.handler.failOn = HC::PauseTest;
        s.host.clearReceived();
        s.host.send(";START_TEST:" + QByteArray(";PAUSE_TEST:").repeated(20) + ";RESUME_TEST:;HEALTH_CHECK:");
        QVERIFY(s.host.waitForReceived(";CLIENT_ALIVE:"));
        QCOMPARE(s.handler.commands.size(), 22);
        QVERIFY(s.handler.commands.first() == HC::StartTest && s.handler.commands.last() == HC::ResumeTest);
        QCOMPARE(s.handler.problems, QStringList(20, "No MCI device open"));
        QVERIFY(s.dialogs.shown.isEmpty() && s.window.Connected());

        // While the main window holds a box open (its own, or a failure's), the messages behind it and those
        // that come meanwhile are handled, each once and in order, and the health check is answered.
        for (const HC failing : {HC::None, HC::SetWaveFile}) {
            s.handler.clear();
            s.host.clearReceived();
            s.handler.failOn = failing;
            s.handler.boxOn = HC::SetWaveFile;
            bool answered = false, closed = false;
            s.handler.whileBoxOpen = [&] {
                answered = s.host.waitForReceived(";CLIENT_ALIVE:");
                s.host.send(";HEALTH_CHECK:;PAUSE_TEST:");
                answered = answered && s.host.waitForReceived(";CLIENT_ALIVE:;CLIENT_ALIVE:") &&
                           QTest::qWaitFor([&] { return s.handler.commands.size() == 3; });
                closed = true;
            };
            s.host.send(";SET_WAVEFILE:;HEALTH_CHECK:;START_TEST:");
            QTRY_VERIFY(closed);
            QVERIFY(answered);
            QCOMPARE(s.handler.commands, (QList<HC>{HC::SetWaveFile, HC::StartTest, HC::PauseTest}));
            QCOMPARE(s.handler.problems.size(), failing == HC::None ? 0 : 1);
        }

        // A hostile host: 10,000 messages in one block, every one handled however the reads cut it, and a
        // megabyte-long message handled as it stands once it is too long to wait for, the rest of it skipped.
        auto stillAnswers = [&] {
            s.host.clearReceived();
            if (!s.host.waitForAllWritten())
                return false;
            s.host.send(";HEALTH_CHECK:");
            return s.host.waitForReceived(";CLIENT_ALIVE:", 10000);
        };
        s.handler.clear();
        s.host.send(QByteArray(";START_TEST:").repeated(10000));
        QVERIFY(stillAnswers());
        QCOMPARE(s.handler.commands, QList<HC>(10000, HC::StartTest));

        s.handler.clear();
        s.host.send(";SCORE_TEST:" + QByteArray(1 << 20, '9'));
        QVERIFY(stillAnswers());
        QCOMPARE(s.handler.commands, QList<HC>{HC::ScoreTest});
        QVERIFY(s.handler.messages[0].startsWith("SCORE_TEST:999"));
        QVERIFY(s.window.Connected() && s.dialogs.shown.isEmpty());
    }
};

QTEST_MAIN(TestConnect)
#include "tst_connect.moc"
