// The end of standalone and practice tests: the saved log and timed scores,
// the score, the ranking of all standalone players, the practice history
// line and the texts on the main window; the log on disk during the test.

#include "TestStation.h"
#include "logentry/TfmPaperLogEntry.h"
#include "session/LogSaver.h"
#include "ui_TfmCollectScores.h"
#include "ui_TfmMain.h"
#include "ui_TfmPaperLogEntry.h"
#include "ui_TfmScoreLogs.h"
#include "ui_TfmShowScores.h"

#include <QTableWidget>
#include <QTest>

namespace {

struct LocalStation : TestStation
{
    LocalStation()
        : TestStation({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo", "STANDALONE_WAVEFILE=sa.wav",
                       "STANDALONE_CALLSFILE=sa.txt", "VORLIX_WAVESOURCE_PRACTICE=p.wav,p.txt,Lakemont 2012"})
    {
        base.Write("sa.wav", MakeWave(8000, 8, 1, 30000));
        base.WriteLines("sa.txt", {"K5XX", "OH2BH", "W1AW"});
        base.Write("PracticeWavesAndCalls/p.wav", MakeWave(8000, 8, 1, 30000));
        base.WriteLines("PracticeWavesAndCalls/p.txt", {"K5XX", "OH2BH"});
        base.WriteLines("StandAloneLogs/ALPHA.log", {"K5XX", "W1AW"});
        base.WriteLines("StandAloneLogs/old/BRAVO.log", {"OH2BH"});
    }
    // Starts a standalone (or practice) test for `id`.
    bool begin(bool standAlone, bool computer, const QString &id)
    {
        if (!start())
            return false;
        if (standAlone) {
            standalone();
            signIn(id, computer);
        } else {
            ui().rbPractice->click();
            answerLogging(computer);
            answerCase("Lakemont 2012");
            enterCallSign(id);
        }
        return main->tmPCComplete().isActive();
    }
    // The ranking window, when shown, records what it showed.
    void watchRanking()
    {
        dialogs.modalScripts.append([this](QDialog *d) {
            auto *s = qobject_cast<TfmShowScores *>(d);
            rankedPlayer = s->ui()->ebPlayer->text();
            rankedRows.clear();
            const QTableWidget *table = s->ui()->lvScores;
            for (int r = 0; r < table->rowCount(); ++r) {
                QStringList cells;
                for (int c = 0; c < table->columnCount(); ++c)
                    cells.append(table->item(r, c) ? table->item(r, c)->text() : QString());
                rankedRows.append(cells.join(u' '));
            }
            return 0;
        });
    }
    // The next password dialog is answered with `typed` and submitted.
    void password(const QString &typed)
    {
        dialogs.modalScripts.append([typed](QDialog *d) {
            auto *c = qobject_cast<TfmCollectScores *>(d);
            QTest::keyClicks(c->ui()->ebPassWord, typed);
            c->ui()->bnSubmit->click();
            return int(c->result());
        });
    }
    // The next paper log window: `script` works it, as the administrator would.
    void paperLog(const std::function<void(TfmPaperLogEntry *)> &script)
    {
        dialogs.modalScripts.append([script](QDialog *d) {
            auto *p = qobject_cast<TfmPaperLogEntry *>(d);
            script(p);
            return int(p->result());
        });
    }
    // As the timer runs it: a failure is shown, not thrown.
    void runToEnd()
    {
        clock.setMonotonicMs(main->session().audioStartMs() + 30000);
        dialogs.Guarded(main.get(), [&] { main->tmPCCompleteTimer(); });
    }
    QString rankedPlayer;
    QStringList rankedRows;
};

} // namespace

class TestLocalCompletion : public QObject
{
    Q_OBJECT

private slots:
    void standaloneTest()
    {
        LocalStation st;
        QVERIFY(st.begin(true, true, "PLAYER1"));
        QCOMPARE(st.base.Read("StandAloneLogs/PLAYER1.log"), QByteArray());
        // Every call is on the disk as soon as it is logged.
        st.clock.advanceSecs(4);
        st.typeCall("k5xx");
        QCOMPARE(st.base.Read("StandAloneLogs/PLAYER1.log"), QByteArray("k5xx\r\n"));
        st.clock.advanceSecs(6);
        for (const char *call : {"OH2BH", "K5XX", "XX1XX"})
            st.typeCall(call);

        st.watchRanking();
        st.runToEnd();
        QCOMPARE(st.base.Read("StandAloneLogs/PLAYER1.log"),
                 QByteArray("k5xx\r\nOH2BH\r\nK5XX\r\nXX1XX\r\n"));
        QCOMPARE(st.base.Read("StandAloneLogs/TimedScores/TS_PLAYER1.txt"),
                 QByteArray("4,1,4\r\n10,2,9\r\n"));
        QCOMPARE(st.ui().ebCallEntry->text(), QStringLiteral("Correct calls/chars=3/13"));
        QCOMPARE(st.base.Read("zzSAResults.txt"), QByteArray("PLAYER1,3,13\r\nALPHA,2,8\r\nBRAVO,1,5\r\n"));
        QCOMPARE(st.rankedPlayer, QStringLiteral("PLAYER1"));
        QCOMPARE(st.rankedRows, (QStringList{"1 PLAYER1 3 13", "2 ALPHA 2 8", "3 BRAVO 1 5"}));
        QCOMPARE(st.ui().lblStandAloneStatus->text(),
                 "StandAlone test logged for " + st.main->paths().standAloneLogs() + "/PLAYER1.log");
        QCOMPARE(st.ui().pnMessage->text(), QStringLiteral("Click here to see other scores"));
        QVERIFY(st.ui().moCallsLogged->toPlainText().isEmpty());
        QVERIFY(st.ui().ebCallSign->text().isEmpty() && st.ui().ebCallSign->isEnabled());
        QCOMPARE(st.main->MediaPlayer1().position(), qint64(0));

        // A click on the panel shows the ranking with the score text, then
        // readies the station for the next player; a second click does nothing.
        st.watchRanking();
        QTest::mouseClick(st.ui().pnMessage, Qt::LeftButton);
        QCOMPARE(st.rankedPlayer, QStringLiteral("Correct calls/chars=3/13"));
        QVERIFY(st.ui().ebCallEntry->text().isEmpty() && st.ui().pnMessage->text().isEmpty());
        const int shownBefore = st.dialogs.modalCount;
        QTest::mouseClick(st.ui().pnMessage, Qt::LeftButton);
        QCOMPARE(st.dialogs.modalCount, shownBefore);
    }

    void standaloneOnPaper()
    {
        LocalStation st;
        QVERIFY(st.begin(true, false, "PLAYER1"));
        st.runToEnd();
        QCOMPARE(st.base.Read("StandAloneLogs/PLAYER1.log"), QByteArray());
        QCOMPARE(st.ui().ebCallEntry->text(), QStringLiteral("Your score will be available later"));
        for (const char *absent : {"StandAloneLogs/TimedScores/TS_PLAYER1.txt", "zzSAResults.txt"})
            QVERIFY2(!QFileInfo::exists(st.base.file(absent)), absent);
        QCOMPARE(st.main->logTypeIndex(), 0);
        QCOMPARE(st.ui().pnMessage->text(), QStringLiteral("Click here to see other scores"));

        // The next player's test starts with neither the prompt nor the
        // completion of this one: a click during it opens no ranking and
        // leaves the test running.
        st.answerLogging(false);
        st.enterCallSign("PLAYER2");
        QVERIFY(st.main->tmPCComplete().isActive());
        QVERIFY(st.ui().pnMessage->text().isEmpty() && !st.main->testCompleted());
        st.ui().pnMessage->setText("Click here to see other scores");
        const int modals = st.dialogs.modalCount;
        QTest::mouseClick(st.ui().pnMessage, Qt::LeftButton);
        QCOMPARE(st.dialogs.modalCount, modals);
        QVERIFY(!st.ui().ebCallSign->isEnabled());
    }

    void practiceTest()
    {
        LocalStation st;
        st.clock.set(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 30)));
        QVERIFY(st.begin(false, true, "K1ABC"));
        st.clock.advanceSecs(3);
        for (const char *call : {"oh2bh", "oh2bh", "W1AW"})
            st.typeCall(call);
        // Clicks during the test do not change how it ends.
        st.ui().rbNetworked->click();
        st.ui().rbLogPaper->click();
        st.runToEnd();

        const QString log = st.main->paths().practiceLogs() + "/K1ABC-030524-1407.log";
        QCOMPARE(st.base.Read("PracticeLogs/K1ABC-030524-1407.log"),
                 QByteArray("oh2bh\r\noh2bh\r\nW1AW\r\n"));
        QCOMPARE(st.base.Read("PracticeLogs/PracticeTimedScores/Lakemont 2012/TS_K1ABC-030524-1407.txt"),
                 QByteArray("3,1,5\r\n"));
        QCOMPARE(st.base.Read("PracticeHistory.csv"),
                 "Date,Time,LogFile,Logging Method,Test Case,Calls,Chars\r\n05-Mar-2024, 14:08," +
                     log.toUtf8() + ",Computer,Lakemont 2012,2,10\r\n");
        QCOMPARE(st.ui().ebCallEntry->text(), QStringLiteral("Correct calls/chars=2/10"));
        QCOMPARE(st.ui().pnMessage->text(),
                 QStringLiteral("Your log was saved locally in the PracticeLogs directory"));
        QCOMPARE(st.ui().lblStandAloneStatus->text(), "Practice test logged as " + log);
        // The "saved locally" text stays for the 3000 ms pause, then the
        // prompt: the pause's own timer fires as Qt would fire it.
        QTimer &pause = st.main->tmPracticePrompt();
        QVERIFY(pause.isActive() && pause.isSingleShot());
        QCOMPARE(pause.interval(), 3000);
        QVERIFY(QMetaObject::invokeMethod(&pause, "timeout"));
        QCOMPARE(st.ui().pnMessage->text(), QStringLiteral("Click here to see previous practice scores"));

        // The next player's test clears the prompt and the completion: a
        // click on the panel while the audio plays opens nothing.
        pause.start();
        QVERIFY(st.begin(false, true, "K2DEF"));
        QVERIFY(!pause.isActive() && !st.main->testCompleted());
        QVERIFY(st.ui().pnMessage->text().isEmpty());
    }

    void practiceOnPaper()
    {
        LocalStation st;
        QVERIFY(st.begin(false, false, "K1ABC"));
        const QByteArray history = st.base.Read("PracticeHistory.csv");
        QCOMPARE(st.shownBy([&] { st.runToEnd(); }),
                 QStringList{"To ensure accurate scoring of your paper log you should enter it NOW"});
        QCOMPARE(st.dialogs.shown[0].caption, QStringLiteral("Enter paper log now!"));
        QCOMPARE(st.ui().ebCallEntry->text(), QStringLiteral("Use Enter Paper Log button to enter your log"));
        QCOMPARE(st.ui().lblStandAloneStatus->text(), QStringLiteral("Practice test ended for K1ABC"));
        QCOMPARE(st.main->logTypeIndex(), 1);
        QCOMPARE(st.ui().Label4->text(), QStringLiteral("Instructions for Practice Logging on Paper"));
        QCOMPARE(st.base.Read("PracticeHistory.csv"), history);
        QCOMPARE(
            QDir(st.main->paths().practiceTimedScores() + "/Lakemont 2012").entryList(QDir::Files).size(), 1);
    }

    void practiceCaseWithoutItsCheckList()
    {
        LocalStation st;
        st.base.Write("PracticeWavesAndCalls/q.wav", MakeWave(8000, 8, 1, 30000));
        st.base.WriteLines("Vorlix_Player_ini.txt",
                           {"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo",
                            "VORLIX_WAVESOURCE_PRACTICE=q.wav,missing.txt,Old Case"});
        QVERIFY(st.start());
        st.ui().rbPractice->click();
        // Offered after Retry; it plays, and at its end asks for the paper log.
        st.answerLogging(true);
        st.answerCase("");
        st.answerCase("Old Case");
        st.dialogs.answers = {Dialogs::Yes};
        st.enterCallSign("K1ABC");
        QVERIFY(st.main->MediaPlayer1().isPlaying());
        st.dialogs.shown.clear();
        st.runToEnd();
        QCOMPARE(st.dialogs.texts(),
                 QStringList{"To ensure accurate scoring of your paper log you should enter it NOW"});
    }

    void administratorCollectsScores()
    {
        LocalStation st;
        QVERIFY(st.start());
        QVERIFY(!st.ui().bnCollectScores->isHidden());
        const QString results = st.base.file("ranking.txt");
        st.main->ScoreLogs().setFileChooser([&](QWidget *, const QString &) { return results; });
        // Escape closes the dialog without a word; a wrong password opens
        // nothing; the right one, in any letter case, leads to the scoring.
        QVERIFY(st.shownBy([&] { st.ui().bnCollectScores->click(); }).isEmpty());
        QCOMPARE(st.dialogs.modalCount, 1);
        st.password("guess");
        QCOMPARE(st.shownBy([&] { st.ui().bnCollectScores->click(); }),
                 QStringList{"The password is not correct"});
        QCOMPARE(st.dialogs.modalCount, 2);
        QVERIFY(!QFileInfo::exists(results));
        st.password("OWNER-Rattle-owner");
        st.dialogs.modalScripts.append([](QDialog *d) {
            auto *s = qobject_cast<TfmScoreLogs *>(d);
            s->ui()->bnBrowse->click();
            s->ui()->bnScoreLogs->click();
            return int(s->result());
        });
        st.ui().bnCollectScores->click();
        QCOMPARE(st.base.Read("ranking.txt"), QByteArray("ALPHA,2,8\r\nBRAVO,1,5\r\n"));
    }

    void paperLogs()
    {
        LocalStation st;
        QVERIFY(st.start());
        // Networked mode has no paper log folder: nothing opens.
        QVERIFY(st.ui().bnEnterPaper->isHidden());
        QCOMPARE(st.shownBy([&] { st.main->bnEnterPaperClick(); }),
                 QStringList{"Paper logs are entered in Standalone or Practice mode"});
        QCOMPARE(st.dialogs.modalCount, 0);

        // Standalone: behind the password; an earlier log, found in any
        // letter case, is loaded for editing and saved back to its file.
        st.standalone();
        QStringList existing;
        st.password("owner-rattle-owner");
        st.paperLog([&](TfmPaperLogEntry *p) {
            existing = p->ui()->moExistLogs->toPlainText().split(u'\n');
            QVERIFY(!p->ui()->moPaperLog->isEnabled());
            for (const char *bad : {"..\\NetworkedLogs\\P1", "a:b"}) {
                p->ui()->ebCallSignPaper->setText(bad);
                QTest::keyClick(p->ui()->ebCallSignPaper, Qt::Key_Return);
                QVERIFY(!p->ui()->moPaperLog->isEnabled());
            }
            p->ui()->ebCallSignPaper->setText("alpha");
            QTest::keyClick(p->ui()->ebCallSignPaper, Qt::Key_Return);
            QCOMPARE(p->ui()->moPaperLog->toPlainText(), QStringLiteral("K5XX\nW1AW"));
            QTest::keyClick(p->ui()->moPaperLog, Qt::Key_End, Qt::ControlModifier);
            QTest::keyClick(p->ui()->moPaperLog, Qt::Key_Return);
            QTest::keyClicks(p->ui()->moPaperLog, "OH2BH");
            p->ui()->bnSavePaper->click();
        });
        QCOMPARE(st.shownBy([&] { st.ui().bnEnterPaper->click(); }),
                 (QStringList{"Please do not use the \\ as part of your call sign",
                              "Please do not use the : as part of your call sign"}));
        // Only what can be loaded is listed: not old/BRAVO.log of a sub-folder.
        QCOMPARE(existing, QStringList{"ALPHA.log"});
        QCOMPARE(st.base.Read("StandAloneLogs/ALPHA.log"), QByteArray("K5XX\r\nW1AW\r\nOH2BH\r\n"));

        // Practice, where the player types in his own sheet without a
        // password: the name gets the time stamp, the case he played is
        // chosen for him, and the log is scored against it and added to the
        // history as ",Paper,".
        QVERIFY(st.begin(false, false, "K1ABC"));
        st.runToEnd();
        st.clock.set(QDateTime(QDate(2026, 5, 26), QTime(8, 15)));
        const QByteArray history = st.base.Read("PracticeHistory.csv");
        st.paperLog([&](TfmPaperLogEntry *p) {
            QVERIFY(p->ui()->cbPracticeCase->isVisibleTo(p) && p->chosenCase().isEmpty());
            p->ui()->ebCallSignPaper->setText("k1abc");
            QTest::keyClick(p->ui()->ebCallSignPaper, Qt::Key_Return);
            QCOMPARE(p->ui()->ebCallSignPaper->text(), QStringLiteral("k1abc-052626-0815"));
            QCOMPARE(p->chosenCase(), QStringLiteral("Lakemont 2012"));
            QVERIFY(p->ui()->moPaperLog->isEnabled() && p->ui()->moPaperLog->toPlainText().isEmpty());
            p->ui()->moPaperLog->setPlainText("K5XX\n oh2bh \nW1AW\nK5XX\n");
            p->ui()->bnSavePaper->click();
        });
        QCOMPARE(st.shownBy([&] { st.ui().bnEnterPaper->click(); }),
                 QStringList{"You should enter and save your paper log at one sitting"});
        const QString log = st.main->paths().practiceLogs() + "/k1abc-052626-0815.log";
        QCOMPARE(st.base.Read("PracticeLogs/k1abc-052626-0815.log"),
                 QByteArray("K5XX\r\n oh2bh \r\nW1AW\r\nK5XX\r\n"));
        QCOMPARE(st.base.Read("PracticeHistory.csv"),
                 history + "26-May-2026, 08:15," + log.toUtf8() + ",Paper,Lakemont 2012,3,13\r\n");
        QCOMPARE(st.ui().ebCallEntry->text(), QStringLiteral("Correct calls/chars=3/13"));
        QCOMPARE(st.ui().lblStandAloneStatus->text(), "Practice test logged for " + log);
        QCOMPARE(st.main->logTypeIndex(), 1);

        // The sheet of a player the station saw play no case on paper: no
        // case is chosen for him, and the log is saved unscored, as he is told.
        st.paperLog([&](TfmPaperLogEntry *p) {
            p->ui()->ebCallSignPaper->setText("PLAYER1");
            QTest::keyClick(p->ui()->ebCallSignPaper, Qt::Key_Return);
            QVERIFY(p->chosenCase().isEmpty());
            p->ui()->moPaperLog->setPlainText("K5XX\n");
            p->ui()->bnSavePaper->click();
        });
        QCOMPARE(st.shownBy([&] { st.ui().bnEnterPaper->click(); }).last(),
                 QStringLiteral("Your paper log is saved but not scored: no practice case was chosen"));
        QVERIFY(QFileInfo::exists(st.base.file("PracticeLogs/PLAYER1-052626-0815.log")));
        QCOMPARE(st.base.Read("PracticeHistory.csv").count('\n'), history.count('\n') + 1);

        // Escape closes the window without saving anything.
        st.paperLog([&](TfmPaperLogEntry *p) {
            p->ui()->ebCallSignPaper->setText("NOBODY");
            QTest::keyClick(p->ui()->ebCallSignPaper, Qt::Key_Escape);
        });
        st.ui().bnEnterPaper->click();
        QVERIFY(!QFileInfo::exists(st.base.file("PracticeLogs/NOBODY.log")));
        QCOMPARE(st.base.Read("PracticeHistory.csv").count('\n'), history.count('\n') + 1);
    }

    void aFullDisk()
    {
        // The disk fills up during the test: the calls already on it stay,
        // the score counts them, and nothing after them is written short.
        LocalStation st;
        QVERIFY(st.begin(true, true, "PLAYER1"));
        st.typeCall("K5XX");
        st.typeCall("OH2BH");
        QStringList shown;
        {
            FileSizeLimit full(1);
            shown = st.shownBy([&] { st.runToEnd(); });
        }
        QCOMPARE(st.base.Read("StandAloneLogs/PLAYER1.log"), QByteArray("K5XX\r\nOH2BH\r\n"));
        QCOMPARE(st.ui().ebCallEntry->text(), QStringLiteral("Correct calls/chars=2/9"));
        QCOMPARE(shown, QStringList{"Cannot create file " + st.base.file("zzSAResults.txt") +
                                    "\nCannot create file " + st.main->session().timedScoreFile});
        for (const char *absent : {"zzSAResults.txt", "StandAloneLogs/TimedScores/TS_PLAYER1.txt"})
            QVERIFY2(!QFileInfo::exists(st.base.file(absent)), absent);
        QCOMPARE(st.ui().pnMessage->text(), QStringLiteral("Click here to see other scores"));

        // A practice test on a full disk adds no history line, not even 0,0.
        const QByteArray history = st.base.Read("PracticeHistory.csv");
        QVERIFY(st.begin(false, true, "K1ABC"));
        st.typeCall("K5XX");
        {
            FileSizeLimit full(1);
            shown = st.shownBy([&] { st.runToEnd(); });
        }
        QCOMPARE(st.base.Read("PracticeHistory.csv"), history);
        QVERIFY(shown.last().endsWith("Cannot create file " + st.base.file("PracticeHistory.csv")));
        QVERIFY(st.ui().ebCallSign->isEnabled());

        // A history that cannot be written (a folder in its place) while the
        // log is saved: the score is shown all the same, and the panel says
        // that it is not in the history.
        QVERIFY(QFile::remove(st.base.file("PracticeHistory.csv")));
        QVERIFY(QDir(st.base.path()).mkdir("PracticeHistory.csv"));
        QVERIFY(st.begin(false, true, "K1ABC"));
        st.typeCall("K5XX");
        QCOMPARE(st.shownBy([&] { st.runToEnd(); }),
                 QStringList{"Cannot create file " + st.base.file("PracticeHistory.csv")});
        QCOMPARE(st.ui().ebCallEntry->text(), QStringLiteral("Correct calls/chars=1/4"));
        QVERIFY(st.ui().pnMessage->text().endsWith("this score was not added to your practice history"));
    }

    void aLogThatCannotBeWritten()
    {
        LocalStation st;
        st.clock.set(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 30)));
        QVERIFY(st.begin(true, true, "PLAYER1"));
        st.typeCall("K5XX");
        // The folder disappears under the running test.
        QVERIFY(QDir(st.base.file("StandAloneLogs")).removeRecursively());
        st.base.Write("StandAloneLogs", "not a folder");
        st.typeCall("OH2BH");
        const QString recovery = st.base.file("Recovered-PLAYER1-20240305-140800.log");
        QCOMPARE(st.shownBy([&] { st.runToEnd(); }),
                 QStringList{"Cannot create file " + st.main->paths().standAloneLogs() +
                             "/PLAYER1.log\nThe calls of this test were saved in " + recovery});
        // The calls are kept where the administrator finds them; nothing is
        // scored from a log that was not saved, and the next player can sign in.
        QCOMPARE(st.base.Read("Recovered-PLAYER1-20240305-140800.log"), QByteArray("K5XX\r\nOH2BH\r\n"));
        QCOMPARE(st.ui().ebCallEntry->text(), QStringLiteral("Your score will be available later"));
        QVERIFY(!QFileInfo::exists(st.base.file("zzSAResults.txt")));
        QCOMPARE(st.ui().lblStandAloneStatus->text(), "StandAlone test logged for " + recovery);
        QVERIFY(st.ui().ebCallSign->isEnabled() && !st.ui().ebCallSign->isReadOnly());
        QVERIFY(st.ui().ebCallSign->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), st.ui().ebCallSign);

        // A second failure in the same second gets a file of its own; with
        // the base folder gone too, the calls stay on screen.
        const LogSaveResult again = SaveLog(st.base.file("StandAloneLogs/PLAYER1.log"), {"W1AW"},
                                            st.base.path(), "PLAYER1", st.clock.now());
        QCOMPARE(again.recoveryFile, st.base.file("Recovered-PLAYER1-20240305-140800-2.log"));
        QCOMPARE(RecoveryFileName("..\\A:B", st.clock.now()),
                 QStringLiteral("Recovered-___A_B-20240305-140800.log"));
        st.begin(false, true, "K1ABC");
        st.typeCall("DL1ABC");
        QVERIFY(QDir(st.base.file("PracticeLogs")).removeRecursively());
        st.base.Write("PracticeLogs", "x");
        const QString base = st.base.path();
        QVERIFY(QDir().rename(base, base + "-gone"));
        st.runToEnd();
        QVERIFY(QDir().rename(base + "-gone", base));
        const QStringList problem = st.dialogs.texts().last().split(u'\n');
        QVERIFY(problem.contains(QStringLiteral("The calls of this test could not be saved anywhere: they "
                                                "stay in the Calls Logged box until the next test starts.")));
        QCOMPARE(st.ui().moCallsLogged->toPlainText(), QStringLiteral("DL1ABC"));
        QVERIFY(st.ui().ebCallSign->isEnabled());

        // The host's log close meets the same fault the same way, and still
        // waits for the host's reset.
        st.main->session().NameLog(st.base.file("StandAloneLogs/NET1.log"), OperatingMode::Networked, true);
        st.main->session().player = "NET1";
        st.clock.set(QDateTime(QDate(2024, 3, 5), QTime(14, 8, 0)));
        const QStringList closed = st.shownBy([&] { st.main->CloseLog(); });
        QVERIFY(closed.size() == 1 && closed[0].endsWith(st.base.file("Recovered-NET1-20240305-140800.log")));
        QCOMPARE(st.base.Read("Recovered-NET1-20240305-140800.log"), QByteArray("DL1ABC\r\n"));
        QCOMPARE(st.ui().ebCallSign->text(), QStringLiteral("Wait for reset"));
        QCOMPARE(st.ui().pnMessage->text(),
                 QStringLiteral("Your session has completed -- thanks for playing."));
    }
};

QTEST_MAIN(TestLocalCompletion)
#include "tst_localcompletion.moc"
