// The main window in networked mode against a fake host on 127.0.0.1:
// connecting and getting a position, registering the player, logging calls
// to the host, and the link dropped for silence.

#include "TestStation.h"
#include "hostlink/TfmConnect.h"
#include "ui_TfmConnect.h"
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
        QCOMPARE(st.host.received(), QByteArray(";CONNECT_POSITION:Position 2"));
        QCOMPARE(st.ui().ebNetStatus->text(), QStringLiteral("Connected-Position 2"));
        QCOMPARE(st.ui().bnConnect->text(), QStringLiteral("Disconnect"));
        QVERIFY(!st.ui().bnConnect->isEnabled());
        QVERIFY(st.ui().ebCallSign->isEnabled());
        QCOMPARE(st.ui().pnMessage->text(), QStringLiteral("Type your call in box 1 and press the Enter key"));
        QCOMPARE(st.dialogs.modalCount, 1);

        // Registration: the identifier trimmed in the message, kept as typed.
        st.host.clearReceived();
        st.answerLogging(true);
        st.enterCallSign(" K1abc ");
        QVERIFY(st.host.waitForReceived(";REGISTER_PLAYER:K1abc,COMPUTERLOG"));
        QCOMPARE(st.host.received(), QByteArray(";REGISTER_PLAYER:K1abc,COMPUTERLOG"));
        QCOMPARE(st.fmConnect->RegisteredCall(), QStringLiteral(" K1abc "));
        QCOMPARE(st.main->logTypeIndex(), 0);
        QVERIFY(st.ui().ebCallEntry->isEnabled());
        QVERIFY(!st.main->MediaPlayer1().isPlaying());

        // Calls go out trimmed, in the case typed, repeats every time; Tab
        // is Enter.
        st.host.clearReceived();
        st.typeCall("  ab1cd  ");
        st.typeCall("AB1CD", Qt::Key_Tab);
        st.typeCall(QString(20, u'W'));
        const QByteArray expected = ";LOG_CALL:ab1cd;LOG_CALL:AB1CD;LOG_CALL:" + QByteArray(20, 'W');
        QVERIFY(st.host.waitForReceived(expected));
        QCOMPARE(st.host.received(), expected);
        QCOMPARE(st.main->session().calls(), (QStringList{"ab1cd", "AB1CD", QString(20, u'W')}));
        QCOMPARE(QApplication::focusWidget(), st.ui().ebCallEntry);

        // Enter on a score line empties box 2; on the waiting text it keeps
        // asking to wait; neither is logged.
        st.ui().ebCallEntry->setText("K1abc Score=57 Rank=3");
        QTest::keyClick(st.ui().ebCallEntry, Qt::Key_Return);
        QVERIFY(st.ui().ebCallEntry->text().isEmpty());
        st.ui().ebCallEntry->setText("Please wait");
        QTest::keyClick(st.ui().ebCallEntry, Qt::Key_Return);
        QCOMPARE(st.ui().ebCallEntry->text(), QStringLiteral("Please wait for the audio to start"));
        QCOMPARE(st.main->session().calls().size(), 3);

        // A 20-character identifier registers in 49 characters; a paper log
        // leaves box 2 closed.
        st.host.clearReceived();
        st.answerLogging(false);
        st.enterCallSign(QString(20, u'K'));
        const QByteArray paper = ";REGISTER_PLAYER:" + QByteArray(20, 'K') + ",PAPERLOG";
        QVERIFY(st.host.waitForReceived(paper));
        QVERIFY(!st.ui().ebCallEntry->isEnabled());
        st.host.clearReceived();
        st.answerLogging(true);
        st.enterCallSign(QString(20, u'K'));
        QVERIFY(st.host.waitForReceived(",COMPUTERLOG"));
        QCOMPARE(st.host.received().size(), 49);
    }

    void silentHostAndLostLink()
    {
        Station st;
        QVERIFY(st.start());
        QVERIFY(st.connectToHost());
        st.answerLogging(true);
        st.enterCallSign("K1ABC");

        // Thirty seconds of silence are tolerated; the next tick after more
        // drops the link.
        st.clock.advanceSecs(30);
        st.fmConnect->tmHealthCheckTimer();
        QVERIFY(st.fmConnect->Connected());
        st.clock.advanceSecs(1);
        st.fmConnect->tmHealthCheckTimer();
        QVERIFY(!st.fmConnect->Connected());
        QCOMPARE(st.ui().ebNetStatus->text(), QStringLiteral("Disconnected"));
        QVERIFY(st.ui().bnConnect->isEnabled());
        QCOMPARE(st.ui().bnConnect->text(), QStringLiteral("Disconnect"));

        // Calls typed now are kept, though they cannot be sent.
        st.dialogs.shown.clear();
        st.typeCall("DL1ABC");
        QCOMPARE(st.main->session().calls(), QStringList{"DL1ABC"});
        QCOMPARE(st.ui().moCallsLogged->toPlainText(), QStringLiteral("DL1ABC"));
        QVERIFY(st.dialogs.shown.isEmpty());

        // The stale Disconnect button tells the player and turns into Connect.
        st.ui().bnConnect->click();
        QCOMPARE(st.dialogs.texts(), QStringList{"MSG FAILED:Client is not connected to host"});
        QCOMPARE(st.ui().bnConnect->text(), QStringLiteral("Connect"));
        QVERIFY(st.ui().bnConnect->isEnabled());
    }

    void practiceModeKeepsTheLink()
    {
        Station st;
        QVERIFY(st.start());
        QVERIFY(st.connectToHost());
        st.ui().rbPractice->click();
        st.clock.advanceSecs(300);
        st.fmConnect->tmHealthCheckTimer();
        QVERIFY(st.fmConnect->Connected());

        // Still connected, so Enter in box 1 registers instead of starting
        // a local test.
        st.host.clearReceived();
        st.answerLogging(true);
        st.enterCallSign("K1ABC");
        QVERIFY(st.host.waitForReceived(";REGISTER_PLAYER:K1ABC,COMPUTERLOG"));
        QVERIFY(!st.main->MediaPlayer1().isPlaying());
    }

    void refusedPositionAndStatusBox()
    {
        Station st;
        QVERIFY(st.start());
        QVERIFY(st.connectToHost(false));
        // Connected, though the position was refused.
        QCOMPARE(st.ui().ebNetStatus->text(), QStringLiteral("Connected-Position 2"));

        // Double-clicking the status enables the button, which disconnects.
        QVERIFY(!st.ui().bnConnect->isEnabled());
        QTest::mouseDClick(st.ui().ebNetStatus, Qt::LeftButton);
        QVERIFY(st.ui().bnConnect->isEnabled());
        st.host.clearReceived();
        st.ui().bnConnect->click();
        QVERIFY(st.host.waitForReceived(";REQUEST_DISCONNECT:"));
        QCOMPARE(st.ui().bnConnect->text(), QStringLiteral("Connect"));
        QVERIFY(!st.ui().ebCallSign->isEnabled());
        QVERIFY(st.ui().pnMessage->text().isEmpty());
    }

    void hostFloodKeepsTheWindowResponsive()
    {
        Station st;
        QVERIFY(st.start());
        QVERIFY(st.connectToHost());
        st.host.clearReceived();
        QByteArray flood;
        for (int i = 0; i < 5000; ++i)
            flood += ";HEALTH_CHECK:;ENABLE_FINALSCORE:;NOT_A_COMMAND:" + QByteArray::number(i) + ",1";
        st.host.send(flood);
        st.host.send(QByteArray(1 << 20, 'x'));
        QVERIFY(st.host.waitForReceived(";CLIENT_ALIVE:"));
        st.answerLogging(true);
        st.enterCallSign("K1ABC");
        QVERIFY(st.host.waitForReceived(";REGISTER_PLAYER:K1ABC,COMPUTERLOG"));
        st.typeCall("OH2BH");
        QVERIFY(st.host.waitForReceived(";LOG_CALL:OH2BH"));
        QCOMPARE(st.main->session().calls(), QStringList{"OH2BH"});
    }
};

QTEST_MAIN(TestNetworked)
#include "tst_networked.moc"
