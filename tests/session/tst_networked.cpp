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

    void silentHostAndLostLink()
    {
        // Thirty seconds of silence are tolerated, more drop the link; in
        // practice mode the link is never dropped, and Enter in box 1 still
        // registers instead of starting a local test.
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

        Station st;
        QVERIFY(st.start());
        QVERIFY(st.connectToHost());
        st.signIn("K1ABC");
        st.clock.advanceSecs(30);
        st.fmConnect->tmHealthCheckTimer();
        QVERIFY(st.fmConnect->Connected());
        st.clock.advanceSecs(1);
        st.fmConnect->tmHealthCheckTimer();
        QVERIFY(!st.fmConnect->Connected());
        QCOMPARE(st.ui().ebNetStatus->text(), QStringLiteral("Disconnected"));
        // The way back is open at once: Connect, not a stale Disconnect.
        QVERIFY(st.ui().bnConnect->isEnabled() && st.ui().gbConnection->isEnabled());
        QCOMPARE(st.ui().bnConnect->text(), QStringLiteral("Connect"));

        // Calls typed now are kept, though they cannot be sent.
        QVERIFY(st.shownBy([&] { st.typeCall("DL1ABC"); }).isEmpty());
        QCOMPARE(st.main->session().calls(), QStringList{"DL1ABC"});
        QCOMPARE(st.ui().moCallsLogged->toPlainText(), QStringLiteral("DL1ABC"));
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

        // The host drops mid-test: said at once, Connect open, calls kept.
        const QString log = st.main->session().logFile;
        st.host.closeClient();
        QVERIFY(QTest::qWaitFor([&] { return st.ui().ebNetStatus->text() == u"Disconnected"; }));
        QVERIFY(st.ui().bnConnect->isEnabled() && st.ui().bnConnect->text() == u"Connect");
        QVERIFY(st.ui().pnMessage->text().startsWith("The link to the host is lost"));
        st.typeCall("DL1ABC");
        QCOMPARE(st.ui().moCallsLogged->toPlainText(), QStringLiteral("W1AW\nDL1ABC   (not sent)"));
        QCOMPARE(st.base.Read("NetworkedLogs/" + QFileInfo(log).fileName()),
                 QByteArray("W1AW\r\nDL1ABC\r\n"));

        // Back in: the calls typed meanwhile go out, and the test goes on to
        // its end with the same log.
        st.host.clearReceived();
        QVERIFY(st.connectToHost());
        QVERIFY(st.host.waitForReceived(";LOG_CALL:DL1ABC"));
        QCOMPARE(st.ui().moCallsLogged->toPlainText(), QStringLiteral("W1AW\nDL1ABC"));
        QVERIFY(!st.ui().ebCallSign->isEnabled() && st.main->tmPCComplete().isActive());
        st.typeCall("G4XYZ");
        QVERIFY(st.host.waitForReceived(";LOG_CALL:G4XYZ"));
        st.host.send(";FORCE_SUBMIT:");
        QVERIFY(st.host.waitForReceived(";FINALIZE_LOG:"));
        QCOMPARE(st.host.received(),
                 Ended({";CONNECT_POSITION:Position 2", ";LOG_CALL:DL1ABC", ";LOG_CALL:G4XYZ"}) +
                     ";FINALIZE_LOG:");
        QCOMPARE(st.base.Read("NetworkedLogs/" + QFileInfo(log).fileName()),
                 QByteArray("W1AW\r\nDL1ABC\r\nG4XYZ\r\n"));
    }

    void refusedPositionAndStatusBox()
    {
        // Connected, though the position was refused; double-clicking the
        // status enables the button, which disconnects.
        Station st;
        QVERIFY(st.start());
        QVERIFY(st.connectToHost(false));
        QCOMPARE(st.ui().ebNetStatus->text(), QStringLiteral("Connected-Position 2"));
        QVERIFY(!st.ui().bnConnect->isEnabled());
        QTest::mouseDClick(st.ui().ebNetStatus, Qt::LeftButton);
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
