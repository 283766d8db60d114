// A whole networked competition driven by a fake host over 127.0.0.1, every
// byte the station sends checked in order; and the host's commands in odd
// orders and with bad fields.

#include "TestStation.h"
#include "WindowChecks.h"
#include "ui_TfmConnect.h"
#include "ui_TfmMain.h"

#include <QAccessible>
#include <QTest>

namespace {

const QStringList kConfig{"VORLIX_WAVESOURCE_DEMO=DemoPileup.wav,DemoPileupCalls.txt,Demo",
                          "VORLIX_WELCOME=Welcome.wav"};

struct Competition : HostedTestStation
{
    Competition() : HostedTestStation(kConfig)
    {
        base.Write("DemoPileup.wav", MakeWave(8000, 8, 1, 200000));
        base.Write("Test.wav", MakeWave(8000, 8, 1, 185000));
        base.WriteLines("DemoPileupCalls.txt", {"OH2BH"});
        base.WriteLines("DemoCalls.txt", {"OH2BH"});
        main->setShellOpener([this](const QString &path) { opened.append(path); });
        // This host's blocks arrive whole: a trailing message with fields need
        // not wait the full moment for a rest that never comes.
        fmConnect->tmMessageWait.setInterval(1);
    }
    // Sends a block and waits until the station has handled it.
    bool command(const QByteArray &block, const std::function<bool()> &handled)
    {
        host.send(block);
        return QTest::qWaitFor(handled, 5000);
    }
    // Sends a block that the station answers and waits for the answer.
    bool exchange(const QByteArray &block, const QByteArray &answer)
    {
        const qsizetype before = host.received().size();
        host.send(block);
        return QTest::qWaitFor([&] { return host.received().indexOf(answer, before) >= 0; }, 5000);
    }
    QByteArray sent; // what the station must have sent so far, in order
    QStringList opened;
};

} // namespace

class TestCompetition : public QObject
{
    Q_OBJECT

private slots:
    void wholeCompetition()
    {
        Competition st;
        QVERIFY(st.start());
        QVERIFY(st.connectToHost());
        st.sent += Ended({";CONNECT_POSITION:Position 2"});
        st.signIn("K1ABC");
        st.sent += Ended({";REGISTER_PLAYER:K1ABC,COMPUTERLOG"});
        QVERIFY(st.host.waitForReceived(st.sent));
        QVERIFY(st.command(";PLAYER_ACCEPTED:", [&] { return st.ui().ebCallSign->isReadOnly(); }));
        QCOMPARE(st.ui().pnMessage->text(), QStringLiteral("Callsign ok -- please wait for start"));
        QCOMPARE(st.ui().ebCallEntry->text(), QStringLiteral("Please wait for the audio to start"));

        // Wave files: the name in any letter case; another name; a missing
        // file; names that would leave the program's folder do not replace it.
        for (const auto &[block, status] : QList<QPair<QByteArray, QByteArray>>{
                 {";SET_WAVEFILE:DemoPileup.wav;VALIDATE_WAVEFILE:demopileup.WAV", "FILE_OK"},
                 {";VALIDATE_WAVEFILE:Other.wav", "NAME_ERROR"},
                 {";SET_WAVEFILE:Missing,1.wav;VALIDATE_WAVEFILE:Missing,1.wav", "FILE_ERROR"},
                 {";SET_WAVEFILE:../Test.wav;VALIDATE_WAVEFILE:../Test.wav", "NAME_ERROR"},
                 {";SET_WAVEFILE:/tmp/Test.wav;VALIDATE_WAVEFILE:/tmp/Test.wav", "NAME_ERROR"}}) {
            QVERIFY(st.exchange(block, status));
            st.sent += Ended({";WAVEFILE_STATUS:" + status});
        }
        QCOMPARE(st.dialogs.texts().last(), QStringLiteral("DEBUG:No wave file specified by host"));
        QCOMPARE(st.main->currentWaveName(), QStringLiteral("Missing,1.wav"));
        // Welcome only while both boxes are closed.
        QVERIFY(st.exchange(";PLAY_WELCOME:;HEALTH_CHECK:", ";CLIENT_ALIVE:"));
        st.sent += ";CLIENT_ALIVE:";
        QVERIFY(st.opened.isEmpty());

        // A demonstration: its automatic calls start after 90 s and go to the
        // host; FORCE_SUBMIT is ignored; its log is saved under DemoLogs.
        QVERIFY(st.command(";SET_WAVEFILE:DemoPileup.wav;START_DEMO:5",
                           [&] { return st.main->session().demoRunning; }));
        QCOMPARE(st.ui().pnDemo->text(), QStringLiteral("Demo underway"));
        QVERIFY(st.main->MediaPlayer1().isPlaying());
        QCOMPARE(st.main->session().logFile, st.main->paths().demoLogs() + "/K1ABC.log");
        st.clock.advanceSecs(90);
        st.main->tmDemoTimerTimer();
        QVERIFY(st.main->session().calls().isEmpty());
        st.clock.advanceSecs(5);
        st.main->tmDemoTimerTimer();
        QCOMPARE(st.main->session().calls(), QStringList{"OH2BH"});
        st.sent += Ended({";LOG_CALL:OH2BH"});
        QVERIFY(st.exchange(";FORCE_SUBMIT:;STOP_DEMO:", ";FINALIZE_LOG:"));
        st.sent += ";FINALIZE_LOG:";
        QCOMPARE(st.base.Read("DemoLogs/K1ABC.log"), QByteArray("OH2BH\r\n"));
        QCOMPARE(st.ui().pnDemo->text(), QStringLiteral("Demo over"));
        // A FORCE_SUBMIT before the test saves no demonstration calls as the
        // player's networked log.
        QVERIFY(st.exchange(";FORCE_SUBMIT:", ";FINALIZE_LOG:"));
        st.sent += ";FINALIZE_LOG:";
        QVERIFY(!QFileInfo::exists(st.base.file("NetworkedLogs/K1ABC.log")));

        // The test: every call on the disk as soon as it is logged.
        QVERIFY(st.command(";SET_WAVEFILE:Test.wav;START_TEST:",
                           [&] { return !st.ui().ebCallSign->isEnabled(); }));
        QVERIFY(st.main->tmPCComplete().isActive());
        QVERIFY(st.main->MediaPlayer1().isPlaying());
        QVERIFY(st.ui().ebCallEntry->isEnabled());
        QCOMPARE(st.ui().pnMessage->text(),
                 QStringLiteral("Type each call you copy in box 2 and press Enter key after each"));
        st.typeCall("k5xx");
        QCOMPARE(st.base.Read("NetworkedLogs/K1ABC.log"), QByteArray("k5xx\r\n"));
        st.typeCall("K5XX", Qt::Key_Tab);
        QCOMPARE(st.base.Read("NetworkedLogs/K1ABC.log"), QByteArray("k5xx\r\nK5XX\r\n"));
        st.sent += Ended({";LOG_CALL:k5xx", ";LOG_CALL:K5XX"});

        // Pause twice: paused, then playing again with the countdown still stopped.
        QVERIFY(st.command(";PAUSE_TEST:", [&] { return st.main->MediaPlayer1().isPaused(); }));
        QVERIFY(!st.main->tmPCComplete().isActive());
        QVERIFY(st.command(";PAUSE_TEST:", [&] { return st.main->MediaPlayer1().isPlaying(); }));
        QVERIFY(!st.main->tmPCComplete().isActive());
        QVERIFY(st.command(";RESUME_TEST:", [&] { return st.main->tmPCComplete().isActive(); }));

        // The countdown runs out; in networked mode the log stays open.
        st.clock.advanceSecs(200);
        st.main->tmPCCompleteTimer();
        QVERIFY(!st.main->tmPCComplete().isActive());
        st.typeCall(" oh2bh ");
        st.sent += Ended({";LOG_CALL:oh2bh"});
        QVERIFY(st.exchange(";FORCE_SUBMIT:", ";FINALIZE_LOG:"));
        st.sent += ";FINALIZE_LOG:";
        QCOMPARE(st.base.Read("NetworkedLogs/K1ABC.log"), QByteArray("k5xx\r\nK5XX\r\noh2bh\r\n"));
        QCOMPARE(st.ui().ebCallSign->text(), QStringLiteral("Wait for reset"));
        QCOMPARE(st.ui().pnMessage->text(),
                 QStringLiteral("Your session has completed -- thanks for playing."));
        QVERIFY(!st.ui().ebCallEntry->isEnabled() && st.ui().moCallsLogged->toPlainText().isEmpty());
        // Enter on "Wait for reset" registers nothing (the bytes are checked below).
        st.ui().ebCallSign->setFocus();
        QTest::keyClick(st.ui().ebCallSign, Qt::Key_Return);

        // The paper result; score and rank, cut to their limits. The closed
        // box reads well on its yellow field and is told to screen readers.
        QVERIFY(st.command(";ENABLE_FINALSCORE:", [&] {
            return st.ui().pnMessage->text() == u"Results will appear in a few seconds";
        }));
        for (const auto &[block, shown] : QList<QPair<QByteArray, QString>>{
                 {";SCORE_TEST:PAPER", "K1ABC Paper log - score posted later"},
                 {";SCORE_TEST:12345,123456789012345", "K1ABC Score=1234 Rank=12345678901"},
                 {";SCORE_TEST:", "K1ABC Score= Rank="},
                 {";SCORE_TEST:57,3 of 5", "K1ABC Score=57 Rank=3 of 5"}})
            QVERIFY2(st.command(block, [&] { return st.ui().ebCallEntry->text() == shown; }), block);
        QVERIFY(!st.ui().ebCallEntry->isEnabled());
        const double contrast = WindowChecks::DrawnTextContrast(st.ui().ebCallEntry);
        QVERIFY2(contrast >= 4.5, qPrintable(QString::number(contrast)));
        QAccessibleInterface *box2 = QAccessible::queryAccessibleInterface(st.ui().ebCallEntry);
        QCOMPARE(box2->text(QAccessible::Value), QStringLiteral("K1ABC Score=57 Rank=3 of 5"));
        QVERIFY(!box2->text(QAccessible::Name).isEmpty());

        // Both boxes closed: the welcome recording opens, without waiting.
        st.ui().ebCallSign->setEnabled(false);
        QVERIFY(st.command(";PLAY_WELCOME:", [&] { return !st.opened.isEmpty(); }));
        QCOMPARE(st.opened, QStringList{st.base.file("Welcome.wav")});

        QVERIFY(st.command(";RESET_TEST:", [&] { return st.ui().pnDemo->text() == u"Demo reset"; }));
        QVERIFY(st.ui().ebCallSign->text().isEmpty() && !st.ui().ebCallSign->isReadOnly());
        QVERIFY(st.ui().ebCallEntry->isReadOnly());
        QCOMPARE(st.ui().pnMessage->text(),
                 QStringLiteral("Type your call in box 1 and press the Enter key"));
        QVERIFY(st.ui().rgLogType->isEnabled() && st.ui().gbConnection->isEnabled());

        QVERIFY(st.command(";PERFORM_DISCONNECT:", [&] { return !st.fmConnect->Connected(); }));
        QCOMPARE(st.ui().ebNetStatus->text(), QStringLiteral("Disconnected"));
        QCOMPARE(st.ui().bnConnect->text(), QStringLiteral("Connect"));
        QCOMPARE(st.fmConnect->ui()->pnPositionStatus->text(), QStringLiteral("Position Unassigned"));
        QVERIFY(st.host.waitForClientGone());
        QCOMPARE(st.host.received(), st.sent);
    }

    void commandsInOddOrders()
    {
        Competition st;
        QVERIFY(st.start());
        QVERIFY(st.connectToHost());
        st.host.clearReceived();

        // A test before any wave file and before anyone registered: the error
        // is shown, no audio plays, but a call typed all the same is on the
        // disk at once, in a log with a plain name, and not sent to a host
        // that knows no player here.
        QVERIFY(st.command(";START_TEST:", [&] { return !st.dialogs.shown.isEmpty(); }));
        QVERIFY(st.dialogs.shown[0].text.startsWith("Cannot open file"));
        QVERIFY(!st.main->tmPCComplete().isActive());
        st.typeCall("K5XX");
        QCOMPARE(st.base.Read("NetworkedLogs/Unregistered.log"), QByteArray("K5XX\r\n"));

        // Pausing with nothing open: the player's error, and the rest of
        // that block is still handled, the health check answered.
        st.dialogs.shown.clear();
        QVERIFY(st.exchange(";PAUSE_TEST:;ENABLE_FINALSCORE:;HEALTH_CHECK:", ";CLIENT_ALIVE:"));
        QCOMPARE(st.dialogs.texts(), QStringList{"No MCI device open"});
        QCOMPARE(st.ui().pnMessage->text(), QStringLiteral("Results will appear in a few seconds"));
        st.host.clearReceived();

        // STOP_DEMO without a demonstration writes nothing; FORCE_SUBMIT saves
        // the failed test's log once and sends nothing but FINALIZE_LOG (no
        // LOG_CALL went out for the unregistered call either).
        QVERIFY(st.exchange(";STOP_DEMO:;FORCE_SUBMIT:;FORCE_SUBMIT:", ";FINALIZE_LOG:;FINALIZE_LOG:"));
        QCOMPARE(st.host.received(), QByteArray(";FINALIZE_LOG:;FINALIZE_LOG:"));
        QCOMPARE(QDir(st.main->paths().networkedLogs()).entryList(QDir::Files),
                 QStringList{"Unregistered.log"});
        QCOMPARE(st.base.Read("NetworkedLogs/Unregistered.log"), QByteArray("K5XX\r\n"));

        // Demonstration intervals that must never flood the host.
        for (const auto &[field, ms] : QList<QPair<QByteArray, int>>{
                 {"", 10000}, {"abc", 10000}, {"0", 1000}, {"-5", 1000}, {"99999999999", 3600000}}) {
            QVERIFY(st.command(";SET_WAVEFILE:DemoPileup.wav;START_DEMO:" + field,
                               [&] { return st.main->session().demoRunning; }));
            QCOMPARE(st.main->tmDemoTimer().interval(), ms);
            QVERIFY(st.command(";STOP_DEMO:", [&] { return !st.main->session().demoRunning; }));
        }
    }

    void demonstrationWithoutSources()
    {
        HostedTestStation st({"HIDE_PRACTICE_MODE=NO"});
        QVERIFY(st.start());
        QVERIFY(st.connectToHost());
        st.host.send(";START_DEMO:5");
        QVERIFY(QTest::qWaitFor([&] { return st.ui().pnDemo->text() == u"Demos not supported"; }));
        QVERIFY(!st.main->tmDemoTimer().isActive());
        QVERIFY(!st.main->session().demoRunning);
    }
};

QTEST_MAIN(TestCompetition)
#include "tst_competition.moc"
