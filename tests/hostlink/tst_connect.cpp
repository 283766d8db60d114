// The connection window against a fake host on 127.0.0.1: settings file,
// the two steps, the health check, the read event and hostile hosts.

#include "FakeHost.h"
#include "ScriptedDialogs.h"
#include "TempBase.h"
#include "hostlink/ConnectionSettings.h"
#include "hostlink/HostCommandHandler.h"
#include "hostlink/TfmConnect.h"
#include "ui_TfmConnect.h"
#include "util/Clock.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <functional>

using HostProtocol::HostCommand;

namespace {

// Stands in for the main window: records the commands handed to it.
class RecordingHandler : public HostCommandHandler
{
public:
    struct Entry
    {
        HostCommand command;
        QString message;
    };
    QList<Entry> entries;
    bool local = false;
    int drops = 0;
    HostCommand failOn = HostCommand::None; // raises "No MCI device open" on this command
    std::function<void()> onPlayWelcome;    // runs inside the handler, as a message box would

    void HandleHostCommand(HostCommand command, const QString &message) override
    {
        entries.append({command, message});
        if (command == failOn)
            throw StationError(QStringLiteral("No MCI device open"));
        if (command == HostCommand::PlayWelcome && onPlayWelcome)
            onPlayWelcome();
    }
    bool IsLocalMode() const override { return local; }
    void LinkDropped() override { ++drops; }
    QList<HostCommand> commands() const
    {
        QList<HostCommand> out;
        for (const Entry &e : entries)
            out.append(e.command);
        return out;
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
        window.tmHealthCheck.stop(); // tests tick it by hand
        window.setHandler(&handler);
        window.setSettingsFileName(settingsFile());
    }
    QString settingsFile() const { return base.file("Vorlix_PRestart.txt"); }
    void writeSettings(const QStringList &lines) const { base.WriteLines("Vorlix_PRestart.txt", lines); }

    // Steps 1 and (when a position is given) 2 against the fake host.
    bool connect(const QString &position = QString())
    {
        writeSettings({"; last used", "HOST_ADDRESS=127.0.0.1",
                       "HOST_PORT_NUMBER=" + QString::number(host.port()), "PLAYER_POSITION=Position 3"});
        window.FormActivate();
        window.bnConnectClick();
        if (!QTest::qWaitFor([&] { return window.Connected(); }, 5000) || !host.waitForClient())
            return false;
        if (position.isEmpty())
            return true;
        window.bnContinueClick();
        if (!host.waitForReceived(";CONNECT_POSITION:Position 3"))
            return false;
        QSignalSpy reads(&window.HaldenClientSocket, &QIODevice::readyRead);
        host.send(position.toLatin1());
        return reads.wait(5000);
    }
};

QColor colourOf(const QLabel *panel)
{
    return panel->palette().color(QPalette::Window);
}

} // namespace

class TestConnect : public QObject
{
    Q_OBJECT

private slots:
    void formAsCreated()
    {
        Station s;
        QCOMPARE(s.window.windowTitle(), QStringLiteral("Connecting to Vorlix Host"));
        QCOMPARE(s.window.layout()->sizeConstraint(), QLayout::SetFixedSize);
        QCOMPARE(s.ui.gbHostInfo->title(), QStringLiteral("  1. Host Information  "));
        QCOMPARE(s.ui.gbClientInfo->title(), QStringLiteral("  2. Client Information  "));
        QVERIFY(s.ui.ebHostAddress->text().isEmpty());
        QCOMPARE(s.ui.ebHostPort->text(), QStringLiteral("49152"));
        QCOMPARE(s.ui.bnConnect->text(), QStringLiteral("Step 1. Connect"));
        QCOMPARE(s.ui.pnStatus->text(), QStringLiteral("Disconnected"));
        QCOMPARE(colourOf(s.ui.pnStatus), TfmConnect::BadColour());
        QCOMPARE(s.ui.pnStatus->palette().color(QPalette::WindowText), QColor(Qt::white));
        QVERIFY(s.ui.pnStatus->font().bold());
        QCOMPARE(s.ui.cbPosition->count(), 6);
        QCOMPARE(s.ui.cbPosition->itemText(5), QStringLiteral("Position 6"));
        QCOMPARE(s.window.positionText(), QStringLiteral("Position 1"));
        QCOMPARE(s.ui.bnContinue->text(), QStringLiteral("Step 2. Request Position"));
        QCOMPARE(s.ui.bnContinue->toolTip(), QStringLiteral("Register operating position and ID"));
        QVERIFY(!s.ui.bnContinue->isEnabled());
        QCOMPARE(s.ui.pnPositionStatus->text(), QStringLiteral("Position unassigned"));
        QCOMPARE(s.ui.pnPositionStatus->toolTip(), QStringLiteral("Free means not in use"));
        QCOMPARE(colourOf(s.ui.pnPositionStatus), TfmConnect::NeutralColour());
        QCOMPARE(s.ui.pnPositionStatus->palette().color(QPalette::WindowText), QColor(Qt::black));
        QVERIFY(!s.ui.bnDisconnect->isEnabled());
        QCOMPARE(s.ui.bnCancel->text(), QStringLiteral("Close"));
        QVERIFY(!s.window.Connected() && !s.window.PositionAssigned() && !s.window.LastHeard().isValid());

        TfmConnect fresh(s.dialogs, s.clock);
        QVERIFY(fresh.tmHealthCheck.isActive());
        QCOMPARE(fresh.tmHealthCheck.interval(), 10000);
    }

    void settingsFileRead()
    {
        Station s;
        // No file: the defaults.
        s.window.FormActivate();
        QCOMPARE(s.ui.ebHostAddress->text(), QStringLiteral("0.0.0.0"));
        QCOMPARE(s.ui.ebHostPort->text(), QStringLiteral("49152"));
        QCOMPARE(s.ui.cbPosition->currentIndex(), 0);

        // Only the port, and no number in it: empty address, port 0, no position.
        s.writeSettings({"HOST_PORT_NUMBER=abc"});
        s.window.FormActivate();
        QVERIFY(s.ui.ebHostAddress->text().isEmpty());
        QCOMPARE(s.ui.ebHostPort->text(), QStringLiteral("0"));
        QCOMPARE(s.ui.cbPosition->currentIndex(), -1);
        QVERIFY(s.window.positionText().isEmpty());
        s.window.bnConnectClick();
        QCOMPARE(s.dialogs.texts(), QStringList{"Please select a position before connecting"});
        QVERIFY(s.ui.bnConnect->isEnabled());
        QCOMPARE(s.window.HaldenClientSocket.state(), QAbstractSocket::UnconnectedState);
        s.window.bnContinueClick();
        QCOMPARE(s.dialogs.texts().last(), QStringLiteral("Please specify a position"));

        // Names ignoring case, first line wins, blanks around the name do not match.
        s.writeSettings({"HOST_ADDRESS = 10.9.9.9", "other=1", "host_address=10.0.0.5",
                         "HOST_ADDRESS=10.1.1.1", "Host_Port_Number= -12x",
                         "player_position=  position 5  "});
        s.window.FormActivate();
        QCOMPARE(s.ui.ebHostAddress->text(), QStringLiteral("10.0.0.5"));
        QCOMPARE(s.ui.ebHostPort->text(), QStringLiteral("-12"));
        QCOMPARE(s.window.positionText(), QStringLiteral("Position 5"));
        s.writeSettings(
            {"HOST_ADDRESS = 10.0.0.5", "HOST_ADDRESS=123456789012345678901234=x", "PLAYER_POSITION=Seat 9"});
        s.window.FormActivate();
        QCOMPARE(s.ui.ebHostAddress->text(), QStringLiteral("1234567890123456789"));
        QCOMPARE(s.ui.ebHostPort->text(), QStringLiteral("0"));
        QCOMPARE(s.ui.cbPosition->currentIndex(), -1);

        // Binary bytes and an out-of-range number read without harm.
        static const char raw[] = "HOST_ADDRESS=\x01\xff\x00\xfe\r\nHOST_PORT_NUMBER=99999999999\n"
                                  "PLAYER_POSITION=\x00\x80Position 2\rjunk\xc3";
        s.base.Write("Vorlix_PRestart.txt", QByteArray(raw, sizeof(raw) - 1));
        const ConnectionSettings binary = LoadConnectionSettings(s.settingsFile());
        QCOMPARE(binary.HostAddress.size(), 4);
        QCOMPARE(binary.HostPort, std::numeric_limits<int>::max());
        s.window.FormActivate();
        QCOMPARE(s.ui.cbPosition->currentIndex(), -1);

        // A folder where the file should be counts as missing.
        QDir().mkpath(s.base.file("folder"));
        QCOMPARE(LoadConnectionSettings(s.base.file("folder")).HostPort, 49152);
    }

    void settingsSavedOnCloseWithPosition()
    {
        Station s;
        QVERIFY(s.connect());
        // Connected without a position: closing writes nothing.
        const QByteArray before = s.base.Read("Vorlix_PRestart.txt");
        s.ui.bnCancel->click();
        QCOMPARE(s.base.Read("Vorlix_PRestart.txt"), before);
        QVERIFY(s.window.Connected()); // closing never disconnects
        QCOMPARE(s.window.LastHeard(), s.clock.now());

        s.window.bnContinueClick();
        QVERIFY(s.host.waitForReceived(";CONNECT_POSITION:Position 3"));
        s.host.send(";POSITION_ACCEPTED:");
        QTRY_VERIFY(s.window.PositionAssigned());
        s.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&s.window));
        s.ui.cbPosition->setCurrentIndex(3); // after showing re-read the file
        s.clock.advanceSecs(7);
        QTest::keyClick(s.ui.cbPosition, Qt::Key_Escape);
        QVERIFY(s.window.isHidden());
        QCOMPARE(s.window.LastHeard(), s.clock.now());
        const QByteArray expected =
            "HOST_ADDRESS=127.0.0.1\r\nHOST_PORT_NUMBER=" + QByteArray::number(s.host.port()) +
            "\r\nPLAYER_POSITION=Position 4\r\n";
        QCOMPARE(s.base.Read("Vorlix_PRestart.txt"), expected);
        QVERIFY(s.window.Connected());

        TfmConnect next(s.dialogs, s.clock);
        next.setSettingsFileName(s.settingsFile());
        next.FormActivate();
        QCOMPARE(next.ui()->ebHostAddress->text(), QStringLiteral("127.0.0.1"));
        QCOMPARE(next.ui()->ebHostPort->text(), QString::number(s.host.port()));
        QCOMPARE(next.positionText(), QStringLiteral("Position 4"));

        // A file that cannot be written: the window still closes, the failure is shown.
        s.base.Write("plain", "x");
        s.window.setSettingsFileName(s.base.file("plain/Vorlix_PRestart.txt"));
        s.window.reject();
        QCOMPARE(s.dialogs.texts().last(), "Cannot create file " + s.base.file("plain/Vorlix_PRestart.txt"));
        QCOMPARE(s.dialogs.shown.last().icon, Dialogs::Icon::Error);
    }

    void stepsAgainstTheHost()
    {
        Station s;
        QVERIFY(s.connect());
        QCOMPARE(s.ui.pnStatus->text(), QStringLiteral("Connected"));
        QCOMPARE(colourOf(s.ui.pnStatus), TfmConnect::GoodColour());
        QVERIFY(!s.ui.bnConnect->isEnabled() && !s.ui.ebHostAddress->isEnabled() &&
                !s.ui.ebHostPort->isEnabled());
        QVERIFY(s.ui.bnContinue->isEnabled() && s.ui.bnDisconnect->isEnabled());

        s.window.bnContinueClick();
        QVERIFY(s.host.waitForReceived(";CONNECT_POSITION:Position 3"));
        QCOMPARE(s.host.received(), QByteArray(";CONNECT_POSITION:Position 3"));
        QVERIFY(!s.ui.bnContinue->isEnabled());
        s.host.send(";POSITION_REJECTED:");
        QTRY_COMPARE(s.ui.pnPositionStatus->text(), QStringLiteral("Position already in use "));
        QCOMPARE(colourOf(s.ui.pnPositionStatus), TfmConnect::BadColour());
        QVERIFY(!s.window.PositionAssigned());
        QVERIFY(!s.ui.bnContinue->isEnabled());

        s.window.FormActivate(); // shown again
        QVERIFY(s.ui.bnContinue->isEnabled());
        s.ui.cbPosition->setCurrentIndex(1);
        s.host.clearReceived();
        s.window.bnContinueClick();
        QVERIFY(s.host.waitForReceived(";CONNECT_POSITION:Position 2"));
        s.host.send(";POSITION_ACCEPTED:");
        QTRY_VERIFY(s.window.PositionAssigned());
        QCOMPARE(s.ui.pnPositionStatus->text(), QStringLiteral("Position Assigned"));
        QCOMPARE(colourOf(s.ui.pnPositionStatus), TfmConnect::GoodColour());
        QVERIFY(s.handler.entries.isEmpty()); // link commands stay here

        s.host.clearReceived();
        s.window.bnDisconnectClick();
        QVERIFY(s.host.waitForReceived(";REQUEST_DISCONNECT:"));
        QVERIFY(s.window.Connected()); // nothing changes until the host answers
        QVERIFY(s.dialogs.shown.isEmpty());
    }

    void portAndAddressInput()
    {
        Station s;
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 refusedPort = closed.serverPort();
        closed.close();

        // Not a number, negative, beyond 65535, 0: the default port, shown.
        for (const char *typed : {"xyz", "-5", "70000", "0", ""}) {
            s.window.FormActivate();
            s.ui.ebHostAddress->setText("127.0.0.1");
            s.ui.ebHostPort->setText(typed);
            s.window.bnConnectClick();
            QCOMPARE(s.ui.ebHostPort->text(), QStringLiteral("49152"));
            QVERIFY(!s.ui.bnConnect->isEnabled());
        }

        // Not an IPv4 address: no attempt, no box, Step 1 waits for the health check.
        for (const char *typed : {"localhost", "::1", "", "300.1.1.1", "1.2.3.4.5", "\x01\xff"}) {
            s.window.FormActivate();
            s.ui.ebHostAddress->setText(QString::fromLatin1(typed));
            s.window.bnConnectClick();
            QCOMPARE(s.window.HaldenClientSocket.state(), QAbstractSocket::UnconnectedState);
            QVERIFY(!s.window.Connected() && !s.ui.bnConnect->isEnabled());
        }

        // A refused connect is silent too.
        s.window.FormActivate();
        s.ui.ebHostAddress->setText(" 127.0.0.1 ");
        s.ui.ebHostPort->setText(QString::number(refusedPort));
        QSignalSpy errors(&s.window.HaldenClientSocket, &QTcpSocket::errorOccurred);
        s.window.bnConnectClick();
        QTRY_COMPARE(errors.count(), 1);
        QVERIFY(!s.window.Connected() && !s.ui.bnConnect->isEnabled());
        QVERIFY(s.dialogs.shown.isEmpty());
        s.clock.advanceSecs(31);
        s.window.tmHealthCheckTimer();
        QVERIFY(s.ui.bnConnect->isEnabled() && s.ui.ebHostAddress->isEnabled());
        QCOMPARE(s.ui.bnConnect->text(), QStringLiteral("Connect"));
    }

    void healthCheck()
    {
        Station s;
        QVERIFY(s.connect(";POSITION_ACCEPTED:"));
        s.host.clearReceived();
        s.clock.advanceSecs(25);
        s.host.send("HEALTH_CHECK:"); // a block without semicolon is one message
        QVERIFY(s.host.waitForReceived(";CLIENT_ALIVE:"));
        QCOMPARE(s.host.received(), QByteArray(";CLIENT_ALIVE:"));
        QCOMPARE(s.window.LastHeard(), s.clock.now());
        s.host.clearReceived();
        s.host.send(";HEALTH_CHECK:trailing text");
        QVERIFY(s.host.waitForReceived(";CLIENT_ALIVE:"));
        QCOMPARE(s.host.received(), QByteArray(";CLIENT_ALIVE:"));

        s.handler.local = true;
        s.clock.advanceSecs(300);
        s.window.tmHealthCheckTimer();
        QVERIFY(s.window.Connected());
        s.handler.local = false;
        s.clock.advanceSecs(-300 + 30); // exactly 30 s of silence
        s.window.tmHealthCheckTimer();
        QVERIFY(s.window.Connected());
        QCOMPARE(s.handler.drops, 0);

        s.clock.advanceSecs(1);
        s.window.tmHealthCheckTimer();
        QVERIFY(!s.window.Connected());
        QCOMPARE(s.handler.drops, 1);
        QVERIFY(s.dialogs.shown.isEmpty());
        QCOMPARE(s.ui.bnConnect->text(), QStringLiteral("Connect"));
        QCOMPARE(s.ui.pnStatus->text(), QStringLiteral("Disconnected"));
        QCOMPARE(s.ui.pnPositionStatus->text(), QStringLiteral("Position Unassigned"));
        QCOMPARE(colourOf(s.ui.pnPositionStatus), TfmConnect::NeutralColour());
        for (QWidget *w :
             {static_cast<QWidget *>(s.ui.bnConnect), static_cast<QWidget *>(s.ui.bnContinue),
              static_cast<QWidget *>(s.ui.ebHostAddress), static_cast<QWidget *>(s.ui.cbPosition)})
            QVERIFY(w->isEnabled());
        QVERIFY(!s.ui.bnDisconnect->isEnabled() && !s.ui.ebHostPort->isReadOnly());
        QVERIFY(s.host.waitForClientGone());

        // Not connected: sending shows the failure and nothing leaves.
        s.host.clearReceived();
        s.window.SendToHost(";LOG_CALL:K5XX");
        QCOMPARE(s.dialogs.texts(), QStringList{"MSG FAILED:Client is not connected to host"});
        QCOMPARE(s.window.HaldenClientSocket.bytesToWrite(), 0);
        QVERIFY(s.host.received().isEmpty());
        s.window.RequestDisconnect();
        QCOMPARE(s.dialogs.shown.size(), 2);
    }

    void hostEndsTheLink()
    {
        // The host closing the socket leaves the position panel as it was.
        Station s;
        QVERIFY(s.connect(";POSITION_ACCEPTED:"));
        s.host.send(";PLAYER_ACCEPTED:;START_TE"); // closes mid-block
        s.host.closeClient();
        QTRY_VERIFY(!s.window.Connected());
        QTRY_COMPARE(s.ui.pnStatus->text(), QStringLiteral("Disconnected"));
        QCOMPARE(s.handler.commands(), QList<HostCommand>{HostCommand::PlayerAccepted});
        QCOMPARE(s.ui.pnPositionStatus->text(), QStringLiteral("Position Assigned"));
        QVERIFY(s.ui.bnConnect->isEnabled() && !s.ui.bnDisconnect->isEnabled());
        QCOMPARE(s.ui.bnConnect->text(), QStringLiteral("Step 1. Connect"));
        QVERIFY(s.dialogs.shown.isEmpty());

        // PERFORM_DISCONNECT resets it; what follows in that block is dropped.
        s.handler.entries.clear();
        QVERIFY(s.connect(";POSITION_ACCEPTED:"));
        QCOMPARE(s.host.connectionCount(), 2);
        s.host.send(";RESET_TEST:;PERFORM_DISCONNECT:;HEALTH_CHECK:;START_TEST:");
        QTRY_VERIFY(!s.window.Connected());
        QCOMPARE(s.handler.commands(),
                 (QList<HostCommand>{HostCommand::ResetTest, HostCommand::PerformDisconnect}));
        QCOMPARE(s.ui.pnPositionStatus->text(), QStringLiteral("Position Unassigned"));
        QCOMPARE(s.ui.bnConnect->text(), QStringLiteral("Connect"));
        QVERIFY(s.ui.bnConnect->isEnabled() && !s.window.PositionAssigned());
        QVERIFY(s.host.waitForClientGone());
        QVERIFY(s.dialogs.shown.isEmpty());
    }

    void messagesHandedOnInOrder()
    {
        Station s;
        QVERIFY(s.connect());
        s.host.send(
            "SET_WAVEFILE:a,b.wav;;PAUSE_TEST:;junk;RESUME_TEST:x;start_test:;bogus:;SCORE_TEST:57,3;;");
        QTRY_COMPARE(s.handler.entries.size(), 4);
        QCOMPARE(s.handler.commands(), (QList<HostCommand>{HostCommand::SetWaveFile, HostCommand::PauseTest,
                                                           HostCommand::ResumeTest, HostCommand::ScoreTest}));
        QCOMPARE(s.handler.entries[0].message, QStringLiteral("SET_WAVEFILE:a,b.wav"));
        QCOMPARE(s.handler.entries[2].message, QStringLiteral("RESUME_TEST:x"));
        QCOMPARE(s.handler.entries[3].message, QStringLiteral("SCORE_TEST:57,3"));
        QCOMPARE(s.window.HostMessages().size(), 6);

        // A message split after its colon keeps its first part only; one split
        // before its colon is lost. The two parts arrive as two reads.
        s.handler.entries.clear();
        QSignalSpy reads(&s.window.HaldenClientSocket, &QIODevice::readyRead);
        QVERIFY(
            s.host.sendSplit(";SCORE_TEST:57,3;PLAYER_ACCEPTED:", 13, [&] { return reads.count() >= 1; }));
        QTRY_COMPARE(s.handler.entries.size(), 2);
        QCOMPARE(reads.count(), 2);
        QCOMPARE(s.handler.entries[0].message, QStringLiteral("SCORE_TEST:5"));
        QCOMPARE(s.handler.entries[1].command, HostCommand::PlayerAccepted);
        s.handler.entries.clear();
        QVERIFY(s.host.sendSplit(";START_TEST:;RESET_TEST:", 9, [&] { return reads.count() >= 3; }));
        QTRY_COMPARE(reads.count(), 4);
        QTRY_COMPARE(s.handler.commands(), QList<HostCommand>{HostCommand::ResetTest});

        // A failure in a handler ends its block and is shown; the next block is handled.
        s.handler.entries.clear();
        s.handler.failOn = HostCommand::PauseTest;
        s.host.send(";START_TEST:;PAUSE_TEST:;RESUME_TEST:");
        QTRY_COMPARE(s.dialogs.shown.size(), 1);
        QCOMPARE(s.dialogs.shown.size(), 1);
        QCOMPARE(s.handler.commands(), (QList<HostCommand>{HostCommand::StartTest, HostCommand::PauseTest}));
        s.host.send(";RESUME_TEST:");
        QTRY_COMPARE(s.handler.entries.size(), 3);
        QVERIFY(s.window.Connected());

        // A block that arrives while a handler runs an event loop of its own
        // (a message box) is handled once that handler is done, after the rest
        // of its own block.
        s.handler.entries.clear();
        s.handler.failOn = HostCommand::None;
        s.handler.onPlayWelcome = [&] {
            s.host.send(";PAUSE_TEST:");
            QVERIFY(QTest::qWaitFor([&] { return s.window.HaldenClientSocket.bytesAvailable() > 0; }));
            QCOMPARE(s.window.HostMessages(), (QStringList{"PLAY_WELCOME:", "STOP_DEMO:"}));
        };
        s.host.send(";PLAY_WELCOME:;STOP_DEMO:");
        QTRY_COMPARE(s.handler.entries.size(), 3);
        QCOMPARE(s.handler.commands(), (QList<HostCommand>{HostCommand::PlayWelcome, HostCommand::StopDemo,
                                                           HostCommand::PauseTest}));
        s.handler.onPlayWelcome = nullptr;

        // After a socket error the link counts as gone: a late HEALTH_CHECK is
        // noted but neither answered nor reported.
        s.window.HaldenClientSocketError(QAbstractSocket::NetworkError);
        QVERIFY(!s.window.Connected());
        s.clock.advanceSecs(5);
        QSignalSpy more(&s.window.HaldenClientSocket, &QIODevice::readyRead);
        s.host.send(";HEALTH_CHECK:");
        QVERIFY(more.wait());
        QCOMPARE(s.window.LastHeard(), s.clock.now());
        QCOMPARE(s.dialogs.shown.size(), 1);
        QCOMPARE(s.window.HaldenClientSocket.bytesToWrite(), 0);
    }

    void hostileHost()
    {
        Station s;
        QVERIFY(s.connect());
        QSignalSpy reads(&s.window.HaldenClientSocket, &QIODevice::readyRead);
        auto stillAnswers = [&] {
            s.host.clearReceived();
            if (!s.host.waitForAllWritten())
                return false;
            s.host.send(";HEALTH_CHECK:");
            return s.host.waitForReceived(";CLIENT_ALIVE:", 10000);
        };

        // 10,000 messages in one block. A read boundary can cut at most one.
        QElapsedTimer timer;
        timer.start();
        s.host.send(QByteArray(";START_TEST:").repeated(10000));
        QVERIFY(stillAnswers());
        qInfo("10000 messages handled in %lld ms over %lld reads", timer.elapsed(), qint64(reads.count()));
        const qsizetype handled = s.handler.entries.size();
        QVERIFY2(handled <= 10000 && handled >= 10000 - (reads.count() - 1),
                 qPrintable(QString::number(handled)));
        QVERIFY(s.handler.commands().count(HostCommand::StartTest) == handled);

        // A megabyte of noise (semicolons, colons, NULs, high bytes), then one
        // megabyte-long message.
        s.handler.entries.clear();
        QByteArray noise(1 << 20, Qt::Uninitialized);
        QRandomGenerator random(20240305);
        random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        s.host.send(noise);
        QVERIFY(stillAnswers());
        QVERIFY(s.handler.entries.isEmpty());
        s.host.send(";SCORE_TEST:" + QByteArray(1 << 20, '9'));
        QVERIFY(stillAnswers());
        QCOMPARE(s.handler.entries.size(), 1);
        QVERIFY(s.handler.entries[0].message.startsWith("SCORE_TEST:999"));
        QVERIFY(s.window.Connected());
        QVERIFY(s.dialogs.shown.isEmpty());
    }
};

QTEST_MAIN(TestConnect)
#include "tst_connect.moc"
