// The main window in networked mode against a fake host on 127.0.0.1:
// connecting and getting a position, registering the player, logging calls
// to the host, and the link dropped for silence.

#include "TestStation.h"
#include "ui_TfmMain.h"

#include <QTest>

using Station = HostedTestStation;

class TestNetworked : public QObject
{
    Q_OBJECT

private slots:
    void connectRegisterAndLog()
    {
        Station st;
        QVERIFY(st.start());
        QVERIFY(st.connectToHost());
        QVERIFY(st.hostGot(Ended({";CONNECT_POSITION:Position 2"})));
        QCOMPARE(st.ui().ebNetStatus->text(), QStringLiteral("Connected-Position 2"));
        QCOMPARE(st.ui().bnConnect->text(), QStringLiteral("Disconnect"));
        QVERIFY(!st.ui().bnConnect->isEnabled() && st.ui().ebCallSign->isEnabled());
        QCOMPARE(st.ui().pnMessage->text(),
                 QStringLiteral("Type your call in box 1 and press the Enter key"));
        // No mode click gives a stray click on "Disconnect" a chance: not the
        // mode already chosen, nor a return to it.
        st.ui().rbNetworked->click();
        st.ui().rbPractice->click();
        st.ui().rbNetworked->click();
        QVERIFY(!st.ui().bnConnect->isEnabled() && st.fmConnect->Connected());

        // Registration: the identifier trimmed in the message, kept as typed.
        st.signIn(" K1abc ");
        QVERIFY(st.hostGot(Ended({";REGISTER_PLAYER:K1abc,COMPUTERLOG"})));
        QCOMPARE(st.fmConnect->RegisteredCall(), QStringLiteral(" K1abc "));
        QVERIFY(st.ui().ebCallEntry->isEnabled());
        QVERIFY(!st.main->MediaPlayer1().isPlaying());

        // Calls go out trimmed, in the case typed, repeats every time; Tab
        // is Enter.
        st.typeCall("  ab1cd  ");
        st.typeCall("AB1CD", Qt::Key_Tab);
        st.typeCall(QString(20, u'W'));
        QVERIFY(
            st.hostGot(Ended({";LOG_CALL:ab1cd", ";LOG_CALL:AB1CD", ";LOG_CALL:" + QByteArray(20, 'W')})));
        QCOMPARE(st.main->session().calls(), (QStringList{"ab1cd", "AB1CD", QString(20, u'W')}));
        QCOMPARE(QApplication::focusWidget(), st.ui().ebCallEntry);

        // Enter on a score line empties box 2; on the waiting text it keeps
        // asking to wait; neither is logged.
        for (const auto &[shown, after] : QList<QPair<QString, QString>>{
                 {"K1abc Score=57 Rank=3", ""}, {"Please wait", "Please wait for the audio to start"}}) {
            st.ui().ebCallEntry->setText(shown);
            QTest::keyClick(st.ui().ebCallEntry, Qt::Key_Return);
            QCOMPARE(st.ui().ebCallEntry->text(), after);
        }
        QCOMPARE(st.main->session().calls().size(), 3);

        // A 20-character identifier registers in 49 characters; a paper log
        // leaves box 2 closed.
        st.signIn(QString(20, u'K'), false);
        QVERIFY(st.hostGot(Ended({";REGISTER_PLAYER:" + QByteArray(20, 'K') + ",PAPERLOG"})));
        QVERIFY(!st.ui().ebCallEntry->isEnabled());
        st.signIn(QString(20, u'K'));
        QVERIFY(st.hostGot(Ended({";REGISTER_PLAYER:" + QByteArray(20, 'K') + ",COMPUTERLOG"})));
    }

    void practiceModeKeepsTheLink()
    {
        // In practice mode a silent host never drops the link, and Enter in
        // box 1 still registers instead of starting a local test. (Silence in
        // networked mode: lateStartSilenceAndRefusedReturn.)
        Station practice;
        QVERIFY(practice.start());
        QVERIFY(practice.connectToHost());
        practice.ui().rbPractice->click();
        practice.clock.advanceSecs(300);
        practice.fmConnect->tmHealthCheckTimer();
        QVERIFY(practice.fmConnect->Connected());
        practice.host.clearReceived();
        practice.signIn("K1ABC");
        QVERIFY(practice.hostGot(Ended({";REGISTER_PLAYER:K1ABC,COMPUTERLOG"})));
        QVERIFY(!practice.main->MediaPlayer1().isPlaying());
    }

    void returningPlayerAndDroppedHost()
    {
        Station st;
        st.base.Write("Test.wav", MakeWave(8000, 8, 1, 185000));
        st.clock.set(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 30)));
        // A player back after a crash: the log that survived it is kept, and
        // the new test is logged beside it.
        st.base.WriteLines("NetworkedLogs/AUD1.log", {"K5XX", "OH2BH"});
        QVERIFY(st.start());
        QVERIFY(st.connectToHost());
        st.signIn("AUD1");
        st.host.send(";SET_WAVEFILE:Test.wav;START_TEST:");
        QVERIFY(QTest::qWaitFor([&] { return st.main->tmPCComplete().isActive(); }));
        QCOMPARE(st.base.Read("NetworkedLogs/AUD1.log"), QByteArray("K5XX\r\nOH2BH\r\n"));
        QCOMPARE(st.main->session().logFile, st.base.file("NetworkedLogs/AUD1-20240305-140730.log"));
        QCOMPARE(st.ui().pnMessage->text(),
                 QStringLiteral(
                     "The earlier log AUD1.log is kept; this test is logged as AUD1-20240305-140730.log"));
        st.typeCall("W1AW");
        QVERIFY(st.host.waitForReceived(";LOG_CALL:W1AW"));

        // While one of the host's boxes is open, the host goes on: its later
        // notices go to the panel instead of piling up boxes.
        st.dialogs.whileOpen.append([&] {
            st.host.send(";SET_WAVEFILE:;SET_WAVEFILE:;HEALTH_CHECK:");
            QVERIFY(st.host.waitForReceived(";CLIENT_ALIVE:"));
        });
        QCOMPARE(st.shownBy([&] {
            st.host.send(";SET_WAVEFILE:");
            QVERIFY(QTest::qWaitFor([&] { return !st.dialogs.shown.isEmpty(); }));
        }),
                 QStringList{"DEBUG:No wave file specified by host"});
        QCOMPARE(st.ui().pnMessage->text(), QStringLiteral("DEBUG:No wave file specified by host"));

        // The host drops mid-test: said at once, Connect open, calls kept;
        // the station tries again by itself.
        const QString log = st.main->session().logFile;
        st.host.closeClient();
        QVERIFY(QTest::qWaitFor([&] { return st.fmConnect->Reconnecting(); }));
        QCOMPARE(st.ui().ebNetStatus->text(), QStringLiteral("Link lost -- reconnecting to the host"));
        QVERIFY(st.ui().bnConnect->isEnabled() && st.ui().bnConnect->text() == u"Connect");
        QVERIFY(st.ui().pnMessage->text().startsWith("The link to the host is lost"));
        st.typeCall("DL1ABC");
        QCOMPARE(st.ui().moCallsLogged->toPlainText(), QStringLiteral("W1AW\nDL1ABC   (not sent)"));
        QCOMPARE(st.base.Read("NetworkedLogs/" + QFileInfo(log).fileName()),
                 QByteArray("W1AW\r\nDL1ABC\r\n"));

        // Back in by itself a few seconds later, with the same position and
        // player: he is registered again before the calls typed meanwhile go
        // out. The host's answers (the player accepted, a late start) leave
        // the test as it is; it goes on to its end with the same log.
        st.host.clearReceived();
        st.clock.advanceMs(TfmConnect::ReconnectIntervalMs - 1);
        st.fmConnect->tmReconnectTimer();
        QCOMPARE(st.host.connectionCount(), 1);
        st.clock.advanceMs(1);
        st.fmConnect->tmReconnectTimer();
        QCOMPARE(st.ui().ebNetStatus->text(),
                 QStringLiteral("Link lost -- reconnecting to the host (try 1)"));
        QVERIFY(st.host.waitForReceived(";CONNECT_POSITION:Position 2"));
        st.host.send(";POSITION_ACCEPTED:");
        QVERIFY(st.host.waitForReceived(";LOG_CALL:DL1ABC"));
        QVERIFY(!st.fmConnect->Reconnecting());
        QCOMPARE(st.ui().ebNetStatus->text(), QStringLiteral("Connected-Position 2"));
        QCOMPARE(st.ui().pnMessage->text(),
                 QStringLiteral("Connected again -- 1 calls typed meanwhile were sent"));
        // Paused already, the station takes up the late start's state: the
        // PAUSE_TEST behind a paused one does not toggle it back, and a late
        // start without the mark resumes it.
        st.host.send(";PAUSE_TEST:;PLAYER_ACCEPTED:;START_TEST:5000,PAUSED;;PAUSE_TEST:;HEALTH_CHECK:");
        QVERIFY(st.host.waitForReceived(";CLIENT_ALIVE:")); // handled in order: those before are done
        QVERIFY(st.main->MediaPlayer1().isPaused() && !st.main->tmPCComplete().isActive());
        st.host.send(";START_TEST:6000;;HEALTH_CHECK:");
        QVERIFY(QTest::qWaitFor([&] { return st.host.received().count(";CLIENT_ALIVE:") == 2; }));
        QVERIFY(st.main->MediaPlayer1().isPlaying());
        QCOMPARE(st.ui().moCallsLogged->toPlainText(), QStringLiteral("W1AW\nDL1ABC"));
        QVERIFY(!st.ui().ebCallSign->isEnabled() && st.main->tmPCComplete().isActive());
        QVERIFY(st.ui().ebCallEntry->isEnabled() && st.ui().ebCallEntry->text().isEmpty());
        st.typeCall("G4XYZ");
        QVERIFY(st.host.waitForReceived(";LOG_CALL:G4XYZ"));
        st.host.send(";FORCE_SUBMIT:");
        QVERIFY(st.host.waitForReceived(";FINALIZE_LOG:"));
        QCOMPARE(
            st.host.received(),
            Ended({";CONNECT_POSITION:Position 2", ";REGISTER_PLAYER:AUD1,COMPUTERLOG", ";LOG_CALL:DL1ABC"}) +
                ";CLIENT_ALIVE:;CLIENT_ALIVE:" + Ended({";LOG_CALL:G4XYZ"}) + ";FINALIZE_LOG:");
        QCOMPARE(st.base.Read("NetworkedLogs/" + QFileInfo(log).fileName()),
                 QByteArray("W1AW\r\nDL1ABC\r\nG4XYZ\r\n"));
    }

    void lateStartSilenceAndRefusedReturn()
    {
        // A station back after a crash joins the test where the others are:
        // the recording from 30 s in, the countdown from the host's start.
        Station st;
        st.base.Write("Test.wav", MakeWave(8000, 8, 1, 60000));
        QVERIFY(st.start());
        QVERIFY(st.connectToHost());
        st.signIn("K1ABC");
        st.host.send(";PLAYER_ACCEPTED:;SET_WAVEFILE:Test.wav;START_TEST:30000");
        QVERIFY(QTest::qWaitFor([&] { return st.main->tmPCComplete().isActive(); }));
        QCOMPARE(st.main->MediaPlayer1().position(), qint64(30000));
        st.main->tmPCCompleteTimer();
        QCOMPARE(st.ui().pnDemo->text(), QStringLiteral("Demo Time Remaining=00:30"));
        QVERIFY(st.ui().ebCallEntry->isEnabled() && !st.ui().ebCallEntry->isReadOnly());
        st.typeCall("W1AW");

        // A step of the wall clock is no silence, and moves no countdown;
        // after one back, silence still counts from the last sign of life:
        // more than 30 s of it drop the link, and the station tries again.
        st.clock.stepWallMs(10 * 60 * 1000);
        st.fmConnect->tmHealthCheckTimer();
        st.main->tmPCCompleteTimer();
        QVERIFY(st.fmConnect->Connected());
        QCOMPARE(st.ui().pnDemo->text(), QStringLiteral("Demo Time Remaining=00:30"));
        st.clock.stepWallMs(-20 * 60 * 1000);
        st.clock.advanceSecs(30);
        st.fmConnect->tmHealthCheckTimer();
        QVERIFY(st.fmConnect->Connected());
        st.clock.advanceSecs(1);
        st.fmConnect->tmHealthCheckTimer();
        QVERIFY(!st.fmConnect->Connected() && st.fmConnect->Reconnecting());
        QCOMPARE(st.ui().ebNetStatus->text(), QStringLiteral("Link lost -- reconnecting to the host"));
        // The way back is open at once: Connect, not a stale Disconnect.
        QVERIFY(st.ui().bnConnect->isEnabled() && st.ui().gbConnection->isEnabled());
        QCOMPARE(st.ui().bnConnect->text(), QStringLiteral("Connect"));
        // Calls typed now are kept, though they cannot be sent yet.
        QVERIFY(st.shownBy([&] { st.typeCall("DL1ABC"); }).isEmpty());
        QCOMPARE(st.ui().moCallsLogged->toPlainText(), QStringLiteral("W1AW\nDL1ABC   (not sent)"));

        // Back, the host no longer knows the player: what he typed stays in
        // the local log, and he is told so.
        // The host has not seen the old link go yet: the position is refused,
        // the station asks again, and a call typed meanwhile is not sent.
        st.host.clearReceived();
        st.clock.advanceMs(TfmConnect::ReconnectIntervalMs);
        st.fmConnect->tmReconnectTimer();
        QVERIFY(st.host.waitForReceived(";CONNECT_POSITION:Position 2"));
        st.host.send(";POSITION_REJECTED:");
        QVERIFY(QTest::qWaitFor([&] { return !st.fmConnect->Connected(); }));
        QVERIFY(st.fmConnect->Reconnecting());
        QCOMPARE(st.ui().ebNetStatus->text(),
                 QStringLiteral("Link lost -- Position 2 still held, trying again"));
        st.host.clearReceived();
        st.clock.advanceMs(TfmConnect::ReconnectIntervalMs);
        st.fmConnect->tmReconnectTimer();
        QVERIFY(st.host.waitForReceived(";CONNECT_POSITION:Position 2"));
        // Connected, the position not given back yet: a call waits.
        st.typeCall("K5XX");
        QVERIFY(st.ui().moCallsLogged->toPlainText().endsWith("K5XX   (not sent)"));
        st.host.send(";POSITION_ACCEPTED:;PLAYER_REJECTED:");
        QVERIFY(QTest::qWaitFor([&] {
            return st.ui().pnMessage->text() == u"The host refused K1ABC: your calls stay in the local log";
        }));
        QCOMPARE(st.ui().ebCallSign->text(), QStringLiteral("K1ABC"));
        QCOMPARE(st.base.Read("NetworkedLogs/K1ABC.log"), QByteArray("W1AW\r\nDL1ABC\r\nK5XX\r\n"));

        // A link the player ends is not tried again.
        st.ui().bnConnect->setEnabled(true);
        st.ui().bnConnect->click();
        st.host.closeClient();
        QVERIFY(st.host.waitForClientGone());
        QVERIFY(!st.fmConnect->Reconnecting());
    }

    void unregisteredPlayerJoinsDuringTest()
    {
        // The host's test starts before the player registered: his calls are
        // kept in the local log only, marked, and he is asked to register.
        Station st;
        st.base.Write("Test.wav", MakeWave(8000, 8, 1, 185000));
        QVERIFY(st.start());
        QVERIFY(st.connectToHost());
        st.host.clearReceived();
        st.host.send(";SET_WAVEFILE:Test.wav;START_TEST:");
        QVERIFY(QTest::qWaitFor([&] { return st.main->tmPCComplete().isActive(); }));
        const QString askToRegister = QStringLiteral(
            "Your calls are not reaching the host: type your call in box 1 and press Enter to register");
        QCOMPARE(st.ui().pnMessage->text(), askToRegister);
        st.typeCall("K5XX");
        st.typeCall("W1AW");
        QCOMPARE(st.ui().moCallsLogged->toPlainText(),
                 QStringLiteral("K5XX   (not sent)\nW1AW   (not sent)"));
        QCOMPARE(st.ui().pnMessage->text(), askToRegister);

        // He registers during the test, with the test's logging method: the
        // calls from then on go to the host, the earlier ones stay local.
        const int questions = st.dialogs.modalCount;
        st.enterCallSign("K1ABC");
        QVERIFY(st.hostGot(Ended({";REGISTER_PLAYER:K1ABC,COMPUTERLOG"})));
        QCOMPARE(st.dialogs.modalCount, questions);
        QVERIFY(st.ui().pnMessage->text().endsWith(
            "your calls from now on go to the host; the 2 typed before stay only in the local log "
            "Unregistered.log"));
        st.host.send(";PLAYER_ACCEPTED:");
        QVERIFY(QTest::qWaitFor([&] { return st.ui().ebCallSign->isReadOnly(); }));
        QVERIFY(st.ui().pnMessage->text().startsWith("Callsign ok -- your calls from now on go to the host"));
        QVERIFY(st.ui().ebCallEntry->isEnabled() && !st.ui().ebCallEntry->isReadOnly());
        st.typeCall("G4XYZ");
        QVERIFY(st.host.waitForReceived(";LOG_CALL:G4XYZ"));

        // A lost link meanwhile sends the earlier calls neither on return nor
        // at the end; no call is lost or doubled in the local log.
        st.host.closeClient();
        QVERIFY(QTest::qWaitFor([&] { return !st.fmConnect->Connected(); }));
        st.typeCall("DL1ABC");
        QVERIFY(st.connectToHost());
        QVERIFY(st.host.waitForReceived(";LOG_CALL:DL1ABC"));
        QCOMPARE(st.ui().moCallsLogged->toPlainText(),
                 QStringLiteral("K5XX   (not sent)\nW1AW   (not sent)\nG4XYZ\nDL1ABC"));
        st.host.send(";FORCE_SUBMIT:");
        QVERIFY(st.host.waitForReceived(";FINALIZE_LOG:"));
        QCOMPARE(st.host.received(), Ended({";LOG_CALL:G4XYZ", ";CONNECT_POSITION:Position 2",
                                            ";REGISTER_PLAYER:K1ABC,COMPUTERLOG", ";LOG_CALL:DL1ABC"}) +
                                         ";FINALIZE_LOG:");
        QCOMPARE(st.base.Read("NetworkedLogs/Unregistered.log"),
                 QByteArray("K5XX\r\nW1AW\r\nG4XYZ\r\nDL1ABC\r\n"));
    }

    void refusedPositionAndStatusBox()
    {
        // Connected, though the position was refused: box 1 stays closed,
        // the status says so, and Disconnect is at hand.
        Station st;
        QVERIFY(st.start());
        QVERIFY(st.connectToHost(false));
        QCOMPARE(st.ui().ebNetStatus->text(), QStringLiteral("Connected-no position"));
        QCOMPARE(st.ui().pnMessage->text(),
                 QStringLiteral("Position 2 is in use: press Disconnect, then Connect to ask for another"));
        QVERIFY(!st.ui().ebCallSign->isEnabled());
        QVERIFY(st.ui().bnConnect->isEnabled());
        st.host.clearReceived();
        st.ui().bnConnect->click();
        QVERIFY(st.hostGot(";REQUEST_DISCONNECT:"));
        QCOMPARE(st.ui().bnConnect->text(), QStringLiteral("Connect"));
        QVERIFY(!st.ui().ebCallSign->isEnabled() && st.ui().pnMessage->text().isEmpty());
    }
};

QTEST_MAIN(TestNetworked)
#include "tst_networked.moc"
