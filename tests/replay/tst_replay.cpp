// Replaying a past competition: its preparation from the competitors' timed
// scores, and the race in the replay window driven tick by tick with the
// audio on the silent wave player.

#include "ScriptedDialogs.h"
#include "TempBase.h"
#include "TestStation.h"
#include "replay/RaceBar.h"
#include "replay/ReplayEntry.h"
#include "replay/TfmReplay.h"
#include "replay/TfmReviewRates.h"
#include "replay/TfmSelectReplay.h"
#include "ui_TfmMain.h"
#include "ui_TfmReplay.h"
#include "ui_TfmSelectReplay.h"
#include "util/Clock.h"
#include "util/SessionPaths.h"
#include "util/TWaveSourcePair.h"
#include "util/WavePlayer.h"

#include <QTest>

namespace {

const QString Competitions = "PracticeWavesAndCalls/Tessel-TimedScores/";

// One competitor per (file, lines) in the competition's folder.
void WriteCompetition(const TempBase &base, const QString &name,
                      const QList<QPair<QString, QStringList>> &files)
{
    for (const auto &[file, lines] : files)
        base.WriteLines(Competitions + name + "/" + file, lines);
}

QStringList Calls(const ReplayData &data)
{
    QStringList calls;
    for (const auto &score : data.TopFive)
        calls.append(score->Call);
    return calls;
}

} // namespace

class TestReplay : public QObject
{
    Q_OBJECT

private slots:
    void preparation()
    {
        TempBase base;
        const SessionPaths paths(base.path());
        // Ranked by calls, then characters; a file without numbers ranks
        // last and still counts; the others are offered in upper case.
        // clang-format off
        WriteCompetition(base, "Seven", {{"TS_K1A.txt", {"30,50,300"}}, {"TS_K2B.txt", {"30,50,310"}},
                                         {"TS_K3C.txt", {"30,40,200"}}, {"TS_K4D.txt", {"30,60,100"}},
                                         {"TS_K5E.txt", {"30,30,500"}}, {"TS_k7g.txt", {"30,20,95"}},
                                         {"TS_k6f.txt", {"30,20,90"}}, {"notes.txt", {"nothing to see"}}});
        // clang-format on
        ReplayData data;
        PrepareReplay(paths, "Seven", data);
        QCOMPARE(Calls(data), (QStringList{"K4D", "K2B", "K1A", "K3C", "K5E"}));
        QCOMPARE(data.SelectItems, (QStringList{"None", "K6F", "K7G", "TXT"}));
        // Each competitor's lone call counts from second 10.
        QCOMPARE(data.AverageChars[9], 0);
        QCOMPARE(data.AverageChars[10], (300 + 310 + 200 + 100 + 500 + 95 + 90) / 8);

        // The average is cut toward zero; a long file counts, one that cannot be read
        // (listed from a subfolder) does not; a missing folder ranks nobody.
        WriteCompetition(base, "Trio",
                         {{"TS_A.txt", {"50,1,10"}},
                          {"TS_B.txt", {"50,1,11"}},
                          {"TS_C.txt", {"50,1,11"}},
                          {"TS_D.txt", QStringList(120'000, "50,1,12")},
                          {"old/TS_E.txt", {"50,1,90"}}});
        PrepareReplay(paths, "Trio", data);
        QCOMPARE(data.AverageChars[50], (10 + 11 + 11 + 12) / 4);
        QCOMPARE(data.Unread, QStringList{"E"});
        PrepareReplay(paths, "A competition name of many letters", data);
        QVERIFY(data.TopFive.empty() && data.SelectItems == QStringList{"None"});
        QVERIFY(
            std::all_of(data.AverageChars.begin(), data.AverageChars.end(), [](int c) { return c == 0; }));
        QCOMPARE(data.CaseName, QString("A competition name o"));

        // Further competitions: folders named like a configured case.
        base.Write(Competitions + "Unconfigured/TS_X.txt", "1,1,1");
        QCOMPARE(ReplayCompetitions(paths.tesselTimedScores(), {"lakemont 2012", "trio", "Gone", "Seven"}),
                 (QStringList{"Lakemont 2012", "Lakemont 2013", "trio", "Seven"}));
    }

    void race()
    {
        TempBase base;
        const SessionPaths paths(base.path());
        base.WriteConfig({"VORLIX_WAVESOURCE_PRACTICE=Race.wav,RaceCalls.txt,Race 1,P1,3,2"});
        base.Write("PracticeWavesAndCalls/Race.wav", MakeWave(8000, 8, 1, 300200));
        base.WriteLines("PracticeWavesAndCalls/RaceCalls.txt", {"P1", "P2"});
        // P1 logs first; from second 60 to 99 the top five stand equal.
        // clang-format off
        WriteCompetition(base, "Race 1",
                         {{"TS_P1.txt", {"30,1,10", "100,2,320", "200,3,640"}},
                          {"TS_P2.txt", {"60,1,10", "250,2,600"}}, {"TS_P3.txt", {"60,1,10", "250,2,500"}},
                          {"TS_P4.txt", {"60,1,10", "260,2,400"}}, {"TS_P5.txt", {"60,1,10", "280,2,300"}},
                          {"TS_zz9zz.txt", {"1,1,5", "100,1,700"}}});
        // clang-format on
        const QString userFolder = "PracticeLogs/PracticeTimedScores/Race 1/";
        base.WriteLines(userFolder + "TS_K1ABC-030524-1407.txt", {"10,1,5", "290,2,1000"});
        base.WriteLines(userFolder + "TS_K1ABC-020524-1200.txt", {"10,1,4"});

        ScriptedDialogs dialogs;
        ManualClock clock;
        WavePlayer player(clock, WavePlayer::Output::Silent);
        ReplayEntry entry(dialogs, player, nullptr);
        auto choose = [](const QString &name) {
            return [name](QDialog *d) {
                auto *select = static_cast<TfmSelectReplay *>(d);
                select->ui()->cbSelectReplay->setCurrentText(name);
                select->bnReplaySelectionClick();
                return int(QDialog::Accepted);
            };
        };
        QStringList reviewCaptions;
        // The whole race while the replay window is shown; a failed check ends it.
        const auto raceInWindow = [&](QDialog *d) {
            auto &w = *static_cast<TfmReplay *>(d);
            Ui::TfmReplay &u = *w.ui();
            const auto tickTo = [&](int second) {
                while (w.race().ElapsedSeconds < second) {
                    clock.advanceSecs(1);
                    w.tmReplayTimer();
                }
            };
            // Ready: the top five, the player's best run, the MinTop file.
            QCOMPARE(w.windowTitle(), QString("Replaying Race 1"));
            QVERIFY(u.ebTopCall0->text() == "P1" && u.ebTotChar0->text() == "640" &&
                    u.ebTopCall4->text() == "P5");
            QVERIFY(u.ebUser->text() == "K1ABC-030524-1407" && u.ebTotUser->text() == "1000");
            QCOMPARE(u.cbSelect->count(), 2);
            const QStringList minTop =
                QString(base.Read("TS_MinTop[2].txt")).split("\r\n", Qt::SkipEmptyParts);
            QVERIFY(minTop.size() == 360 && minTop[59] == "59,0,0" && minTop[60] == "60,0,10");
            QCOMPARE(minTop[359], QString("359,0,300"));

            u.cbSelect->setCurrentText("ZZ9ZZ");
            w.bnStartReplayClick();
            QVERIFY(!u.bnStartReplay->isEnabled() && !u.bnReset->isEnabled() && !u.cbSelect->isEnabled());
            QVERIFY(player.isPlaying());
            QCOMPARE(w.race().AudioSeconds, 301);
            QCOMPARE(u.ebTotSelect->text(), QString("700"));

            // Before the fifth has logged there is no band; equal places
            // give one of two pixels at their common count.
            tickTo(45);
            QVERIFY(u.shAvgMinMax->isHidden() && u.ebNowChar0->text() == "10" && u.ebNowChar4->text() == "0");
            tickTo(70);
            QVERIFY(!u.shAvgMinMax->isHidden() && !u.shSelectMinMax->isHidden() &&
                    !u.shUserMinMax->isHidden());
            // The bars start past the call column, widened for the user's key.
            QVERIFY(u.ebUser->width() > 100 &&
                    u.shTop0->x() == ReplayRace::BarLeft + u.ebUser->width() - 100);
            QCOMPARE(u.shAvgMinMax->geometry().left(), u.shTop0->x() + 14);
            QCOMPARE(u.shUserMinMax->width(), 2);
            // 951 pixels for 640 characters: 320 draw 475; 700 run past the end.
            tickTo(150);
            QCOMPARE(u.ebRemTime->text(), QString("02:31"));
            QCOMPARE(u.shTop0->barWidth(), 475);
            QVERIFY(u.shSelect->barWidth() == 1040 && u.shSelect->overflowing() &&
                    u.shSelect->width() == 951);
            QVERIFY(!u.shTop0->overflowing());
            tickTo(300);
            QVERIFY(u.ebNowUser->text() == "1000" && u.shUser->barWidth() == 1485);
            QVERIFY(u.ebRemTime->text() == "00:01" && !u.bnReset->isEnabled());
            tickTo(301);
            QVERIFY(u.ebRemTime->text() == "00:00" && u.bnReset->isEnabled() && u.bnReviewRates->isEnabled());
            QVERIFY(!u.bnStartReplay->isEnabled());
            w.tmReplayTimer();
            QCOMPARE(w.race().ElapsedSeconds, 301);

            // The review, and back to the ready state.
            dialogs.modalScripts.prepend([&](QDialog *review) {
                reviewCaptions.append(review->windowTitle());
                return int(QDialog::Rejected);
            });
            w.bnReviewRatesClick();
            QVERIFY(u.bnStartReplay->isEnabled() && u.cbSelect->currentText() == "None");
            QVERIFY(u.shTop0->barWidth() == 5 && u.shSelect->barWidth() == 5 && u.ebNowChar0->text() == "0");

            // With "None" the chosen row stays at rest; closing stops the audio.
            w.bnStartReplayClick();
            tickTo(120);
            QVERIFY(u.ebNowSelect->text() == "0" && u.ebTotSelect->text() == "0" &&
                    u.shSelect->barWidth() == 5);
            QVERIFY(u.shSelectMinMax->isHidden() && !u.shAvgMinMax->isHidden());
            w.reject();
            QVERIFY(!player.isOpen() && u.ebRemTime->text().isEmpty() && u.bnStartReplay->isEnabled());
        };
        dialogs.modalScripts = {choose("Race 1"), [&](QDialog *d) {
                                    raceInWindow(d);
                                    return int(QDialog::Rejected);
                                }};
        entry.bnReplayClick(
            paths, {TWaveSourcePair("VORLIX_WAVESOURCE_PRACTICE=Race.wav,RaceCalls.txt,Race 1,P1,3,2",
                                    paths.practiceWavesAndCalls())});
        QCOMPARE(dialogs.modalCount, 3);
        QCOMPARE(reviewCaptions, QStringList{"Reviewing Rates for Race 1"});

        // A cancelled choice leaves the replay as it was; none while a test runs.
        entry.bnReplayClick(paths, {});
        QCOMPARE(entry.Replay().data().Caption, QString("Replaying Race 1"));
        entry.bnReplayClick(paths, {}, true);
        QCOMPARE(dialogs.modalCount, 4);
        QCOMPARE(dialogs.texts(), QStringList{"A replay can start once the test has ended"});
    }

    void troubles()
    {
        // Two competitors, no wave source for the case, no practice runs.
        TempBase base;
        base.WriteConfig({"VORLIX_WAVESOURCE_PRACTICE=Other.wav,OtherCalls.txt,Other,K1ZZ,3,2"});
        WriteCompetition(base, "Duo",
                         {{"TS_A1.txt", {"10,1,4"}}, {"TS_B2.txt", {"garbage\x01\x02", "", "-5,x,"}}});
        ScriptedDialogs dialogs;
        ManualClock clock;
        WavePlayer player(clock, WavePlayer::Output::Silent);
        ReplayEntry entry(dialogs, player, nullptr);
        TfmReplay &w = entry.Replay();
        Ui::TfmReplay &u = *w.ui();
        PrepareReplay(SessionPaths(base.path()), "Duo", w.data());
        w.show();
        QVERIFY(u.ebTopCall1->text() == "B2" && u.ebTotChar1->text() == "0");
        QVERIFY(u.ebTopCall2->text().isEmpty() && u.ebNowChar2->text().isEmpty() && u.shTop2->isHidden());
        QVERIFY(u.ebUser->text().isEmpty() && u.ebTotUser->text().isEmpty());
        QCOMPARE(u.ebUser->toolTip(), QString("No User Timed Scores were found for Duo"));

        // Without its audio the race does not start, and the controls come back.
        QTest::mouseClick(u.bnStartReplay, Qt::LeftButton);
        QCOMPARE(dialogs.texts(), QStringList{"The configuration names no practice wave file for Duo"});
        QVERIFY(u.bnStartReplay->isEnabled() && u.cbSelect->isEnabled() && u.bnReviewRates->isEnabled());
        QVERIFY(!w.race().Running && !w.AudioOpen());

        // A wave longer than the tables: the race holds their last second.
        w.race().Begin(400'000);
        for (int s = 0; s < 370; ++s)
            w.tmReplayTimer();
        QVERIFY(u.ebNowChar0->text() == "4" && u.ebRemTime->text() == "00:30");
        w.reject();

        // A best practice run of one call counts from second 10.
        base.WriteLines("PracticeLogs/PracticeTimedScores/Duo/TS_ME-010213-1405.txt", {"45,1,5"});
        w.show();
        QVERIFY(w.race().UserBest() && CharsAt(*w.race().UserBest(), 10) == 5);
        w.reject();

        // The main window's button leads to the choice of a competition; a
        // competitor whose file cannot be read is named before the race.
        TestStation station({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo"});
        QVERIFY(station.start());
        station.base.WriteLines(Competitions + "Lakemont 2012/TS_K1A.txt", {"30,1,5"});
        station.base.WriteLines(Competitions + "Lakemont 2012/old/TS_K2B.txt", {"30,1,5"});
        QStringList captions;
        station.dialogs.modalScripts = {[&](QDialog *d) {
                                            captions.append(d->windowTitle());
                                            auto *select = static_cast<TfmSelectReplay *>(d);
                                            select->ui()->cbSelectReplay->setCurrentText("Lakemont 2012");
                                            select->bnReplaySelectionClick();
                                            return int(QDialog::Accepted);
                                        },
                                        [&](QDialog *d) { return captions.append(d->windowTitle()), 0; }};
        station.ui().bnReplay->click();
        QCOMPARE(captions,
                 (QStringList{"Selecting a Competition to Replay and/or Review", "Replaying Lakemont 2012"}));
        QCOMPARE(
            station.dialogs.texts(),
            QStringList{"The timed scores of K2B could not be read (damaged, or too large); they race at 0 "
                        "and are left out of the average"});
    }
};

QTEST_MAIN(TestReplay)
#include "tst_replay.moc"
