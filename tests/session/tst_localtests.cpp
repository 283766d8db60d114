// Signing in and running standalone and practice tests from the main window:
// the refusals of an identifier, the keys, the test starts with their audio
// and countdown, the practice case choice and the demonstration calls.

#include "TempBase.h"
#include "TestStation.h"
#include "practice/TfmNewCase.h"
#include "practice/TfmWinners.h"
#include "practice/Winners.h"
#include "replay/TfmReplay.h"
#include "ui_TfmMain.h"
#include "ui_TfmNewCase.h"
#include "ui_TfmSelectPractice.h"
#include "ui_TfmWinners.h"
#include "util/TextFile.h"

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
        QVERIFY(st.start());
        st.standalone();
        QCOMPARE(st.dialogs.shown.last().caption, QStringLiteral("Changing to Standalone mode"));
        st.base.Write("StandAloneLogs/old/W1AW.log", "x");
        st.base.Write("NetworkedLogs/deep/G4XYZ.log", "x");
        st.base.Write("NetworkedLogs/P1.log", "K5XX\r\n");
        const QString used = "This identifier has already been used -- choose another";
        // An identifier names a log file: it must stay one plain name inside
        // its folder, refused before any file is made or emptied.
        for (const auto &[typed, refusal] : QList<QPair<QString, QString>>{
                 {"   ", "Please enter your call sign or some identifier"},
                 {"F/K5XX", "Please do not use the / as part of your call sign"},
                 {"K5XX,1", "Please do not use the comma as part of your call sign"},
                 {"..\\NetworkedLogs\\P1", "Please do not use the \\ as part of your call sign"},
                 {"..", "Please do not use .. as part of your call sign"},
                 {"K5XX:1", "Please do not use the : as part of your call sign"},
                 {"K5XX|\"", "Please do not use the | as part of your call sign"},
                 {QString("K5\u0007XX"), "Please do not use control characters as part of your call sign"},
                 {"w1aw", used},
                 {"G4XYZ", used}}) {
            QCOMPARE(st.shownBy([&] { st.enterCallSign(typed, Qt::Key_Tab); }), QStringList{refusal});
            QCOMPARE(st.ui().ebCallSign->text(), typed);
            QCOMPARE(QApplication::focusWidget(), st.ui().ebCallSign);
        }
        QCOMPARE(st.base.Read("NetworkedLogs/P1.log"), QByteArray("K5XX\r\n"));
        QCOMPARE(QDir(st.base.file("StandAloneLogs")).entryList(QDir::Files), QStringList());

        // No test starts where its log cannot be created, nor where a file
        // name would have to be cut to fit 260 characters.
        st.base.Write("sa.wav", MakeWave(8000, 8, 1, 30000));
        QVERIFY(QDir(st.base.file("StandAloneLogs")).removeRecursively());
        st.base.Write("StandAloneLogs", "x");
        QCOMPARE(st.shownBy([&] { st.signIn("K1ABC"); }),
                 QStringList{"Cannot create file " + st.base.file("StandAloneLogs/K1ABC.log")});
        QVERIFY(!st.main->MediaPlayer1().isPlaying() && st.ui().ebCallSign->isEnabled());
        QFile::remove(st.base.file("StandAloneLogs"));
        QVERIFY(QDir().mkpath(st.base.file("StandAloneLogs/TimedScores")));
        QFile::remove(st.base.file("sa.wav"));

        // A click on the mode already chosen asks nothing again.
        QVERIFY(st.shownBy([&] { st.ui().rbStandAlone->click(); }).isEmpty());
        QVERIFY(st.ui().rbStandAlone->isChecked());

        // A wave file that cannot be opened gives box 1 back.
        const QStringList shown = st.shownBy([&] { st.signIn("K1ABC"); });
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].contains(st.base.file("sa.wav")));
        QVERIFY(!st.main->tmPCComplete().isActive());
        QVERIFY(st.ui().ebCallSign->isEnabled() && !st.ui().ebCallEntry->isEnabled());
        QCOMPARE(st.ui().ebCallSign->text(), QStringLiteral("K1ABC"));

        // Practice mode allows a standalone player's identifier again, but
        // never a networked one.
        st.ui().rbPractice->click();
        QCOMPARE(st.shownBy([&] { st.enterCallSign("G4XYZ"); }), QStringList{used});
    }

    void standaloneTestAndCalls()
    {
        TestStation st(kStandAloneConfig);
        st.base.Write("sa.wav", MakeWave(8000, 8, 1, 30000));
        st.base.WriteLines("sa.txt", {"K5XX", "DL1ABC", "G4XYZ"});
        QVERIFY(st.start());
        st.dialogs.answers = {Dialogs::No};
        st.ui().rbStandAlone->click();
        QVERIFY(st.ui().rbNetworked->isChecked());
        // What a networked session and a look at practice mode leave behind:
        // read-only boxes and a disabled Collect Scores.
        st.ui().ebCallSign->setReadOnly(true);
        st.ui().ebCallEntry->setReadOnly(true);
        st.ui().rbPractice->click();
        st.standalone();
        QVERIFY(st.ui().bnCollectScores->isEnabled());
        QCOMPARE(st.ui().pnMessage->text(),
                 QStringLiteral("Please enter your call sign in the Player's Call Sign window"));

        // Tab acts as Enter in both boxes; the focus moves to box 2 only
        // when the test starts, and stays there.
        st.signIn("K1ABC", true, Qt::Key_Tab);
        QCOMPARE(st.dialogs.modalCount, 1);
        QVERIFY(st.main->MediaPlayer1().isPlaying());
        QVERIFY(!st.ui().ebCallSign->isEnabled());
        QCOMPARE(QApplication::focusWidget(), st.ui().ebCallEntry);
        QCOMPARE(st.ui().lblStandAloneStatus->text(), QStringLiteral("StandAlone test underway for K1ABC"));

        // Calls: trimmed, letter case kept, repeats kept, blanks ignored.
        // The wall clock set ten minutes forward, then back, moves neither
        // the timed scores nor the end of the test.
        st.clock.advanceSecs(3);
        st.clock.stepWallMs(10 * 60 * 1000);
        st.typeCall("  dl1abc  ");
        st.clock.advanceMs(1600);
        st.clock.stepWallMs(-20 * 60 * 1000);
        st.main->tmPCCompleteTimer();
        QCOMPARE(st.ui().pnDemo->text(), QStringLiteral("Demo Time Remaining=00:25"));
        QVERIFY(st.main->MediaPlayer1().isPlaying() && st.main->session().logPending);
        st.typeCall("XX9XX", Qt::Key_Tab);
        for (const char *call : {"DL1ABC", "k5xx", "   "})
            st.typeCall(call);
        QCOMPARE(QApplication::focusWidget(), st.ui().ebCallEntry);
        QCOMPARE(st.main->session().calls(), (QStringList{"dl1abc", "XX9XX", "DL1ABC", "k5xx"}));
        QCOMPARE(st.ui().moCallsLogged->toPlainText(), QStringLiteral("dl1abc\nXX9XX\nDL1ABC\nk5xx"));
        QCOMPARE(st.main->session().timedScoreLines(), (QStringList{"3,1,6", "5,2,10"}));
    }

    void countdown()
    {
        // Ticks every 5 s: 185 000 ms of audio end at the 185 s tick, one
        // millisecond more at the 190 s tick. A paper log leaves box 2 closed.
        for (const auto &[ms, end, firstTick] :
             {std::tuple{185000, 185, "03:00"}, std::tuple{185001, 190, "03:01"}}) {
            TestStation st(kStandAloneConfig);
            st.base.Write("sa.wav", MakeWave(8000, 8, 1, ms));
            QVERIFY(st.start());
            st.standalone();
            st.signIn("K1ABC", false);
            QCOMPARE(st.main->logTypeIndex(), 1);
            QVERIFY(!st.ui().ebCallEntry->isEnabled());
            QCOMPARE(st.ui().ebCallEntry->text(), QStringLiteral("Logging on paper"));
            for (int t = 5; t < end; t += 5) {
                st.tickAt(t);
                QVERIFY2(st.main->tmPCComplete().isActive(), qPrintable(QString::number(t)));
                if (t == 5)
                    QCOMPARE(st.ui().pnDemo->text(), QStringLiteral("Demo Time Remaining=") + firstTick);
            }
            QVERIFY(!st.ui().pnDemo->isVisible());
            st.tickAt(end);
            QVERIFY(!st.main->tmPCComplete().isActive());
            QVERIFY(st.main->testCompleted());
        }
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
        QCOMPARE(st.shownBy([&] { st.enterCallSign("K1ABC"); }),
                 (QStringList{"You have not selected a practice case - Retry?",
                              "You have not selected a practice case"}));
        QCOMPARE(first, QStringList{"-1"});
        QCOMPARE(second, (QStringList{"Case One", "Case Two", "-1"}));
        QCOMPARE(st.dialogs.shown[0].caption, QStringLiteral("Practice case not selected"));
        QCOMPARE(st.ui().ebCallSign->text(), QStringLiteral("Enter your id here"));
        QVERIFY(st.ui().ebCallSign->isEnabled());

        // Answering No gives box 1 back at once.
        st.answerLogging(true);
        st.answerCase("");
        st.dialogs.answers = {Dialogs::No};
        QCOMPARE(st.shownBy([&] { st.enterCallSign("K1ABC"); }).size(), 1);
        QCOMPARE(st.ui().ebCallSign->text(), QStringLiteral("Enter your id here"));

        // Case names too long for a folder, or for a timed-score path, stop
        // the start with a clear message instead of a file under a cut name.
        const QString huge(260, u'A'), long200(200, u'B');
        TestStation named({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo",
                           "VORLIX_WAVESOURCE_PRACTICE=p1.wav,p1.txt," + huge,
                           "VORLIX_WAVESOURCE_PRACTICE=p1.wav,p1.txt," + long200});
        named.base.Write("PracticeWavesAndCalls/p1.wav", MakeWave(8000, 8, 1, 30000));
        named.base.Write("PracticeWavesAndCalls/p1.txt", "K5XX\r\n");
        QVERIFY(named.start());
        named.ui().rbPractice->click();
        const QString cases = named.main->paths().practiceTimedScores() + "/";
        for (const QString &name : {huge, long200}) {
            named.answerLogging(true);
            named.answerCase(name);
            const QStringList shown = named.shownBy([&] { named.enterCallSign("K1ABC"); });
            QCOMPARE(shown.size(), 1);
            QVERIFY2(shown[0].startsWith("Cannot create file " + cases + name), qPrintable(shown[0]));
            QVERIFY(!named.main->MediaPlayer1().isPlaying() && named.ui().ebCallSign->isEnabled());
        }
        QCOMPARE(QDir(named.main->paths().practiceLogs()).entryList(QDir::Files), QStringList());
    }

    void winnersOfTheOriginalRunnings()
    {
        TestStation st({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo",
                        "VORLIX_WAVESOURCE_PRACTICE=a.wav,a.txt,Alpha,K1ZZ,80,40",
                        "VORLIX_WAVESOURCE_PRACTICE=b.wav,b.txt,Bravo",
                        "VORLIX_WAVESOURCE_PRACTICE=c.wav,missing.txt,Charlie,W9XX,95,50"});
        for (const char *file : {"a.wav", "a.txt", "b.wav", "b.txt", "c.wav"})
            st.base.Write(QStringLiteral("PracticeWavesAndCalls/") + file, "K5XX\r\n");
        QVERIFY(st.start());
        st.ui().rbPractice->click();
        // Every listed case is shown, the missing one as not available; the
        // row last selected there becomes the chosen case when it is offered.
        QStringList rows, chosen;
        auto winners = [&](int pick) {
            st.dialogs.modalScripts.prepend([&rows, pick](QDialog *d) {
                auto *w = qobject_cast<TfmWinners *>(d);
                rows.clear();
                for (int r = 0; r < w->ui()->lvWinners->rowCount(); ++r) {
                    QStringList cells;
                    for (int c = 0; c < 5; ++c)
                        cells.append(w->ui()->lvWinners->item(r, c)->text());
                    rows.append(cells.join(u' '));
                }
                w->ui()->lvWinners->selectRow(pick);
                return 0;
            });
        };
        st.answerLogging(true);
        st.dialogs.modalScripts.append([&](QDialog *d) {
            auto *s = qobject_cast<TfmSelectPractice *>(d);
            for (int pick : {1, 2}) {
                winners(pick);
                s->ui()->bnViewWinScores->click();
                chosen.append(s->caseText());
            }
            s->ui()->bnCancel->click();
            return int(s->result());
        });
        st.dialogs.answers = {Dialogs::No};
        st.enterCallSign("K1ABC");
        QCOMPARE(rows,
                 (QStringList{"Alpha Yes K1ZZ 80 40", "Bravo Yes N/A N/A N/A", "Charlie No W9XX 95 50"}));
        QCOMPARE(chosen, (QStringList{"Bravo", "Bravo"}));

        // Rows from texts: fewer than five fields leave a text out; the cases
        // of the practice scores come sorted, once each, and only configured.
        QCOMPARE(WinnerRows({"A,Yes,W1,5,3,extra", "B,No,,X", "C,Yes,W,1,,2"}).size(), size_t(2));
        std::vector<const TWaveSourcePair *> sources;
        for (const TWaveSourcePair &source : st.main->config().practiceSources())
            sources.push_back(&source);
        QCOMPARE(WinnerRowTextsFor({"bravo", "Alpha", "ALPHA", "Gone"}, sources),
                 (QStringList{"Alpha,Yes,K1ZZ,80,40", "Bravo,Yes,N/A,N/A,N/A"}));
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
        QStringList offered;
        st.answerLogging(true);
        st.answerCase("Lakemont 2012", &offered);
        st.enterCallSign("K1ABC");
        // Only available cases are offered, the first one selected.
        QCOMPARE(offered, (QStringList{"Lakemont 2012", "../../Outside", "0"}));
        QCOMPARE(st.ui().lblStandAloneStatus->text(), QStringLiteral("Practice test underway for K1ABC"));

        // A case whose name would climb out of the timed-score folder gets a
        // folder inside it all the same.
        st.answerLogging(true);
        st.answerCase("../../Outside");
        st.enterCallSign("K1ABC");
        QCOMPARE(QFileInfo(st.main->session().practiceCaseFolder).dir().absolutePath(),
                 QFileInfo(st.main->paths().practiceTimedScores()).absoluteFilePath());
    }

    void newPracticeCase()
    {
        TestStation st({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo",
                        "VORLIX_WAVESOURCE_PRACTICE=p1.wav,p1.txt,Lakemont 2012"});
        st.base.Write("PracticeWavesAndCalls/p1.wav", MakeWave(8000, 8, 1, 3000));
        st.base.WriteLines("PracticeWavesAndCalls/p1.txt", {"K5XX"});
        QVERIFY(st.start());
        QVERIFY(!st.ui().bnNewPracticeCase->isVisible());
        st.ui().rbPractice->click();
        QVERIFY(st.ui().bnNewPracticeCase->isVisible());
        const QString config = st.base.file("Vorlix_Player_ini.txt");
        const QStringList before = TextFile::readLines(config);
        // One window, made ready by the script, and made to Make the case.
        bool first = true;
        const auto make = [&](const std::function<void(TfmNewCase &)> &fill, QString *status = nullptr) {
            st.dialogs.modalScripts.append([&, fill, status](QDialog *d) -> int {
                auto &w = *qobject_cast<TfmNewCase *>(d);
                fill(w);
                w.ui()->bnCreate->click();
                const bool done = QTest::qWaitFor([&] { return !w.busy(); }, 60000);
                if (status)
                    *status = done ? w.ui()->lblStatus->text() : QStringLiteral("still making");
                const int result = w.result();
                w.reject(); // the player closes a window that made nothing
                return result;
            });
            if (!first) {
                st.ui().bnNewPracticeCase->click();
                return;
            }
            // The first time by its key, once the main window is the active one.
            first = false;
            st.main->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(st.main.get()));
            QTest::keyClick(st.main.get(), Qt::Key_W, Qt::AltModifier);
        };
        QString status;
        make(
            [](TfmNewCase &w) {
                // The default follows the level until a name is typed.
                QCOMPARE(w.ui()->ebCaseName->text(), "Synth 2024-03-05 Club");
                w.ui()->rbExpert->setChecked(true);
                QCOMPARE(w.ui()->ebCaseName->text(), "Synth 2024-03-05 Expert");
                QVERIFY(!w.ui()->gbCustom->isVisibleTo(&w));
                QTest::keyClicks(w.ui()->ebCaseName, "/x");
            },
            &status);
        QCOMPARE(status, "A case name cannot hold \"/\"");
        // Cancelled while it is made, or failing for want of disk: nothing is
        // left, and the window says why.
        make(
            [](TfmNewCase &w) {
                w.ui()->ebCaseName->setText("Evening");
                w.ui()->bnCreate->click();
                w.reject();
            },
            &status);
        QCOMPARE(status, "Cancelled: no case was made");
        {
            FileSizeLimit full(100'000);
            make([](TfmNewCase &w) { w.ui()->ebCaseName->setText("Evening"); }, &status);
        }
        QVERIFY2(status.startsWith("No case was made: Cannot write"), qPrintable(status));
        QCOMPARE(TextFile::readLines(config), before);
        QVERIFY(!QFileInfo::exists(st.base.file("PracticeWavesAndCalls/Evening")));

        // Made from Custom settings: the case is the station's at once, and
        // offered first at the next practice start.
        make(
            [](TfmNewCase &w) {
                w.ui()->sbMinutes->setValue(1);
                w.ui()->rbCustom->setChecked(true);
                QCOMPARE(w.ui()->sbCallersPerMinute->value(), 40.0); // from Expert, chosen before
                w.ui()->sbCallersPerMinute->setValue(5);
                w.ui()->ebCaseName->setText("Evening");
            },
            &status);
        QVERIFY2(TextFile::readLines(config).size() == before.size() + 1, qPrintable(status));
        QVERIFY(st.ui().pnMessage->text().startsWith("Practice case \"Evening\" is made: 5 calls"));
        QStringList offered;
        st.answerLogging(true);
        st.answerCase("Evening", &offered);
        st.enterCallSign("K1ABC");
        QCOMPARE(offered, (QStringList{"Lakemont 2012", "Evening", "1"}));
        QCOMPARE(st.main->MediaPlayer1().length(), qint64(60'000));
        QCOMPARE(st.main->session().practiceCaseFolder, st.main->paths().practiceTimedScores() + "/Evening");

        // Its field races in the replay, on its own recording.
        st.tickAt(61);
        QStringList competitions;
        st.dialogs.modalScripts = {[&](QDialog *d) {
                                       auto *select = d->findChild<QComboBox *>("cbSelectReplay");
                                       for (int i = 0; i < select->count(); ++i)
                                           competitions << select->itemText(i);
                                       select->setCurrentText("Evening");
                                       d->findChild<QPushButton *>("bnReplaySelection")->click();
                                       return int(QDialog::Accepted);
                                   },
                                   [&](QDialog *d) {
                                       auto &replay = *qobject_cast<TfmReplay *>(d);
                                       replay.race().FindReplayWave();
                                       competitions << QString::number(replay.data().SelectItems.size())
                                                    << QFileInfo(replay.race().WavePath()).fileName();
                                       return int(QDialog::Rejected);
                                   }};
        st.ui().bnReplay->click();
        // Offered with the bundled ones; "None" and the field but its top five to choose from.
        QVERIFY(competitions.contains("Evening"));
        QCOMPARE(competitions.mid(competitions.size() - 2),
                 (QStringList{QString::number(1 + PracticeCase::Competitors - 5), "Evening.wav"}));
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

        // Calls only after more than 90 s, and only while a demonstration runs.
        st.main->session().demoRunning = true;
        st.main->session().setAudioStartMs(st.clock.monotonicMs());
        st.clock.advanceSecs(90);
        st.main->tmDemoTimerTimer();
        QVERIFY(st.main->session().calls().isEmpty());
        st.clock.advanceMs(1);
        st.main->tmDemoTimerTimer();
        QCOMPARE(st.main->session().calls().size(), 1);
        QVERIFY(st.main->demoCalls().calls().contains(st.main->session().calls().first()));
        st.main->session().demoRunning = false;
        st.main->tmDemoTimerTimer();
        QCOMPARE(st.main->session().calls().size(), 1);

        // A wave file without a demonstration source is reported.
        st.main->setCurrentWaveFile("other.wav");
        QCOMPARE(st.shownBy([&] { QCOMPARE(st.main->LoadDemoCalls(), 2); }).size(), 1);
    }
};

QTEST_MAIN(TestLocalTests)
#include "tst_localtests.moc"
