// Signing in and running standalone and practice tests from the main window:
// the refusals of an identifier, the keys, the test starts with their audio
// and countdown, the practice case choice and the logging of calls.

#include "TestStation.h"
#include "hostlink/TfmConnect.h"
#include "ui_TfmMain.h"
#include "util/StationError.h"

#include <QTest>

namespace {

const QStringList kStandAloneConfig{"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo", "STANDALONE_WAVEFILE=sa.wav",
                                    "STANDALONE_CALLSFILE=sa.txt"};

} // namespace

class TestLocalTests : public QObject
{
    Q_OBJECT

private slots:
    void refusalsOfAnIdentifier()
    {
        TestStation st(kStandAloneConfig);
        st.base.Write("sa.wav", MakeWave(8000, 8, 1, 1000));
        st.base.WriteLines("sa.txt", {"K5XX"});
        QVERIFY(st.start());
        st.dialogs.answers = {Dialogs::Yes};
        st.ui().rbStandAlone->click();
        QVERIFY(st.ui().rbStandAlone->isChecked());
        QCOMPARE(st.dialogs.shown.last().caption, QStringLiteral("Changing to Standalone mode"));

        st.base.Write("StandAloneLogs/old/W1AW.log", "x");
        st.base.Write("NetworkedLogs/deep/G4XYZ.log", "x");
        const QList<QPair<QString, QString>> cases{
            {"   ", "Please enter your call sign or some identifier"},
            {"F/K5XX", "Please do not use the / as part of your call sign"},
            {"K5XX,1", "Please do not use the comma as part of your call sign"},
            {"w1aw", "This identifier has already been used -- choose another"},
            {"G4XYZ", "This identifier has already been used -- choose another"},
        };
        for (const auto &[typed, refusal] : cases) {
            st.dialogs.shown.clear();
            st.enterCallSign(typed, Qt::Key_Tab);
            QCOMPARE(st.dialogs.texts(), QStringList{refusal});
            QCOMPARE(st.ui().ebCallSign->text(), typed);
            QVERIFY(st.ui().ebCallSign->isEnabled());
            QCOMPARE(QApplication::focusWidget(), st.ui().ebCallSign);
            QVERIFY(!st.main->MediaPlayer1().isPlaying());
        }
        // Practice mode allows a standalone player's identifier again, but
        // never a networked one.
        st.ui().rbPractice->click();
        st.dialogs.shown.clear();
        st.enterCallSign("G4XYZ");
        QCOMPARE(st.dialogs.texts(), QStringList{"This identifier has already been used -- choose another"});
    }

    void standaloneTestAndCountdown()
    {
        TestStation st(kStandAloneConfig);
        st.base.Write("sa.wav", MakeWave(8000, 8, 1, 185000));
        st.base.WriteLines("sa.txt", {"K5XX", "DL1ABC", "G4XYZ"});
        QVERIFY(st.start());
        st.dialogs.answers = {Dialogs::No};
        st.ui().rbStandAlone->click();
        QVERIFY(st.ui().rbNetworked->isChecked());
        QVERIFY(st.ui().bnConnect->isEnabled());
        st.dialogs.answers = {Dialogs::Yes};
        st.ui().rbStandAlone->click();
        QCOMPARE(st.ui().pnMessage->text(),
                 QStringLiteral("Please enter your call sign in the Player's Call Sign window"));

        st.answerLogging(true);
        st.enterCallSign("K1ABC", Qt::Key_Tab);
        QCOMPARE(st.dialogs.modalCount, 1);
        QCOMPARE(st.main->logTypeIndex(), 0);
        QVERIFY(st.main->MediaPlayer1().isPlaying());
        QVERIFY(st.main->tmPCComplete().isActive());
        QVERIFY(!st.ui().ebCallSign->isEnabled());
        QVERIFY(st.ui().ebCallEntry->isEnabled());
        QCOMPARE(QApplication::focusWidget(), st.ui().ebCallEntry);
        QCOMPARE(st.ui().lblStandAloneStatus->text(), QStringLiteral("StandAlone test underway for K1ABC"));
        QVERIFY(st.ui().lblStandAloneStatus->isVisible());
        QCOMPARE(st.main->session().logFile, st.main->paths().standAloneLogs() + "/K1ABC.log");
        QCOMPARE(st.main->session().timedScoreFile, st.main->paths().standAloneTimedScores() + "/TS_K1ABC.txt");
        QCOMPARE(st.main->session().audioLengthSeconds(), 185);

        // Calls: trimmed, letter case kept, repeats kept; Tab acts as Enter
        // and the focus stays in box 2.
        st.clock.advanceSecs(3);
        st.typeCall("  dl1abc  ");
        st.clock.advanceMs(1600);
        st.typeCall("XX9XX", Qt::Key_Tab);
        st.typeCall("DL1ABC");
        st.typeCall("k5xx");
        st.typeCall("   ");
        QCOMPARE(QApplication::focusWidget(), st.ui().ebCallEntry);
        QCOMPARE(st.main->session().calls(), (QStringList{"dl1abc", "XX9XX", "DL1ABC", "k5xx"}));
        QCOMPARE(st.ui().moCallsLogged->toPlainText(), QStringLiteral("dl1abc\nXX9XX\nDL1ABC\nk5xx"));
        QCOMPARE(st.main->session().timedScoreLines(), (QStringList{"3,1,6", "5,2,10"}));

        // The countdown: 185 000 ms is 185 s; the first tick shows 03:00,
        // the tick at 185 s ends the test.
        st.clock.set(st.main->session().audioStart().addSecs(5));
        st.main->tmPCCompleteTimer();
        QCOMPARE(st.ui().pnDemo->text(), QStringLiteral("Demo Time Remaining=03:00"));
        QVERIFY(!st.ui().pnDemo->isVisible());
        st.clock.set(st.main->session().audioStart().addSecs(180));
        st.main->tmPCCompleteTimer();
        QVERIFY(st.main->tmPCComplete().isActive());
        st.clock.set(st.main->session().audioStart().addSecs(185));
        st.main->tmPCCompleteTimer();
        QVERIFY(!st.main->tmPCComplete().isActive());
        QVERIFY(st.main->testCompleted());
    }

    void countdownOfAnOddLength()
    {
        TestStation st(kStandAloneConfig);
        st.base.Write("sa.wav", MakeWave(8000, 8, 1, 185001));
        QVERIFY(st.start());
        st.dialogs.answers = {Dialogs::Yes};
        st.ui().rbStandAlone->click();
        st.answerLogging(false);
        st.enterCallSign("K1ABC");
        QCOMPARE(st.main->logTypeIndex(), 1);
        QVERIFY(!st.ui().ebCallEntry->isEnabled());
        QCOMPARE(st.ui().ebCallEntry->text(), QStringLiteral("Logging on paper"));
        QCOMPARE(st.main->session().audioLengthSeconds(), 186);
        const QDateTime start = st.main->session().audioStart();
        for (int t = 5; t <= 185; t += 5) {
            st.clock.set(start.addSecs(t));
            st.main->tmPCCompleteTimer();
            QVERIFY2(st.main->tmPCComplete().isActive(), qPrintable(QString::number(t)));
        }
        st.clock.set(start.addSecs(190));
        st.main->tmPCCompleteTimer();
        QVERIFY(!st.main->tmPCComplete().isActive());
    }

    void aWaveFileThatCannotBeOpened()
    {
        TestStation st(kStandAloneConfig);
        QVERIFY(st.start());
        st.dialogs.answers = {Dialogs::Yes};
        st.ui().rbStandAlone->click();
        st.answerLogging(true);
        st.dialogs.shown.clear();
        st.enterCallSign("K1ABC");
        QCOMPARE(st.dialogs.shown.size(), 1);
        QVERIFY(st.dialogs.shown[0].text.contains(st.base.file("sa.wav")));
        QVERIFY(!st.main->tmPCComplete().isActive());
        QVERIFY(!st.main->MediaPlayer1().isPlaying());
        QVERIFY(st.ui().ebCallSign->isEnabled());
        QCOMPARE(st.ui().ebCallSign->text(), QStringLiteral("K1ABC"));
        QVERIFY(!st.ui().ebCallEntry->isEnabled());
    }

    void practiceCaseChoice()
    {
        TestStation st({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo",
                    "VORLIX_WAVESOURCE_PRACTICE=p1.wav,p1.txt,Case One",
                    "VORLIX_WAVESOURCE_PRACTICE=missing.wav,p1.txt,Case Two"});
        QVERIFY(st.start());
        st.ui().rbPractice->click();
        QVERIFY(!st.ui().bnConnect->isEnabled());

        // No valid case: the first dialog offers nothing; Retry offers every
        // case, none selected; cancelling again gives box 1 back.
        QStringList first, second;
        st.answerLogging(true);
        st.answerCase("", &first);
        st.answerCase("", &second);
        st.dialogs.answers = {Dialogs::Yes, Dialogs::Ok};
        st.dialogs.shown.clear();
        st.enterCallSign("K1ABC");
        QCOMPARE(first, QStringList{"-1"});
        QCOMPARE(second, (QStringList{"Case One", "Case Two", "-1"}));
        QCOMPARE(st.dialogs.texts(), (QStringList{"You have not selected a practice case - Retry?",
                                                  "You have not selected a practice case"}));
        QCOMPARE(st.dialogs.shown[0].caption, QStringLiteral("Practice case not selected"));
        QCOMPARE(st.ui().ebCallSign->text(), QStringLiteral("Enter your id here"));
        QVERIFY(st.ui().ebCallSign->isEnabled());
        QVERIFY(!st.main->MediaPlayer1().isPlaying());

        // Answering No gives box 1 back at once.
        st.answerLogging(true);
        st.answerCase("");
        st.dialogs.answers = {Dialogs::No};
        st.dialogs.shown.clear();
        st.enterCallSign("K1ABC");
        QCOMPARE(st.dialogs.shown.size(), 1);
        QCOMPARE(st.ui().ebCallSign->text(), QStringLiteral("Enter your id here"));
    }

    void practiceTest()
    {
        TestStation st({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo",
                    "VORLIX_WAVESOURCE_PRACTICE=missing.wav,p1.txt,Case Zero",
                    "VORLIX_WAVESOURCE_PRACTICE=p1.wav,p1.txt,Lakemont 2012",
                    "VORLIX_WAVESOURCE_PRACTICE=p1.wav,p1.txt,../../Outside"});
        st.base.Write("PracticeWavesAndCalls/p1.wav", MakeWave(11025, 16, 1, 3000));
        st.base.WriteLines("PracticeWavesAndCalls/p1.txt", {"K5XX", "OH2BH"});
        QVERIFY(st.start());
        st.ui().rbPractice->click();
        st.clock.set(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 30)));

        QStringList offered;
        st.answerLogging(true);
        st.answerCase("Lakemont 2012", &offered);
        st.enterCallSign("K1ABC");
        QCOMPARE(offered, (QStringList{"Lakemont 2012", "../../Outside", "0"}));
        QVERIFY(st.main->MediaPlayer1().isPlaying());
        QCOMPARE(st.ui().lblStandAloneStatus->text(), QStringLiteral("Practice test underway for K1ABC"));
        const QString caseFolder = st.main->paths().practiceTimedScores() + "/Lakemont 2012";
        QVERIFY(QFileInfo(caseFolder).isDir());
        QCOMPARE(st.main->session().logFile, st.main->paths().practiceLogs() + "/K1ABC-030524-1407.log");
        QCOMPARE(st.main->session().timedScoreFile, caseFolder + "/TS_K1ABC-030524-1407.txt");

        st.clock.advanceMs(2400);
        st.typeCall("oh2bh");
        st.typeCall("OH2BH");
        st.clock.advanceMs(100);
        st.typeCall("K5XX");
        QCOMPARE(st.main->session().timedScoreLines(), (QStringList{"2,1,5", "3,2,9"}));

        // A case whose name would climb out of the timed-score folder gets a
        // folder inside it all the same.
        st.answerLogging(true);
        st.answerCase("../../Outside");
        st.enterCallSign("K1ABC");
        QCOMPARE(QFileInfo(st.main->session().practiceCaseFolder).dir().absolutePath(),
                 QFileInfo(st.main->paths().practiceTimedScores()).absoluteFilePath());
    }

    void demonstrationCalls()
    {
        TestStation st({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo"});
        st.base.Write("d.wav", MakeWave(8000, 8, 1, 1000));
        st.base.WriteLines("d.txt", {"K5XX", "OH2BH"});
        st.base.WriteLines("DemoCalls.txt", {"W1AW", "k5xx"});
        QVERIFY(st.start());
        st.main->setCurrentWaveFile("D.WAV");
        QCOMPARE(st.main->LoadDemoCalls(), 3);
        QCOMPARE(st.main->demoCalls().calls().items(), (QStringList{"K5XX", "OH2BH", "W1AW"}));

        st.main->session().demoRunning = true;
        st.main->session().setAudioStart(st.clock.now());
        st.clock.advanceSecs(90);
        st.main->tmDemoTimerTimer();
        QVERIFY(st.main->session().calls().isEmpty());
        st.clock.advanceMs(1);
        st.main->tmDemoTimerTimer();
        QCOMPARE(st.main->session().calls().size(), 1);
        QVERIFY(st.main->demoCalls().calls().contains(st.main->session().calls().first()));
        // Not in a local mode, and not without a running demonstration.
        st.main->session().demoRunning = false;
        st.main->tmDemoTimerTimer();
        QCOMPARE(st.main->session().calls().size(), 1);

        // A wave file without a demonstration source is reported.
        st.main->setCurrentWaveFile("other.wav");
        st.dialogs.shown.clear();
        QCOMPARE(st.main->LoadDemoCalls(), 2);
        QCOMPARE(st.dialogs.shown.size(), 1);
    }
};

QTEST_MAIN(TestLocalTests)
#include "tst_localtests.moc"
