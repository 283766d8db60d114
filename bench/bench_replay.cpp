// The replay of a past competition.
//
//   build/bin/bench_replay [competitors]         preparation and race ticks
//   build/bin/bench_replay --drift [seconds]     race against its audio, real time
//
// Preparation: PrepareReplay plus the replay window's activation (the
// player's best run, every table, the MinTop file, the wave found), median of
// 20 runs, over the bundled "Lakemont 2012" (40 competitors) and over a
// synthetic national-level event of 2,000 competitors (or the number given).
// Targets: at most 20 ms and 400 ms.
//
// Ticks: the race of "Lakemont 2012" on the offscreen platform, 360 ticks of
// the replay window (eight boxes, eight bars, three bands), p50 and p99 of
// the tick alone and of the tick with the window's repaint in the event loop. Target: p99 of the
// tick at most 1 ms.
//
// Drift: the real timer, the real clock and the silent backend; after the
// race (300 s by default) the race second and the audio position differ by
// at most 1 s.

#include "BenchStats.h"
#include "RandomCall.h"
#include "replay/ReplayEntry.h"
#include "replay/TfmReplay.h"
#include "ui/Dialogs.h"
#include "ui_TfmReplay.h"
#include "util/Clock.h"
#include "util/FileUtil.h"
#include "util/SessionPaths.h"
#include "util/TextFile.h"
#include "util/WavePlayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

class QuietDialogs : public Dialogs
{
public:
    int RunMessage(QWidget *, const QString &text, const QString &, Icon, int) override
    {
        std::printf("  message: %s\n", qPrintable(text));
        return Ok;
    }
    int RunModal(QDialog *) override { return 0; }
};

// Competitors as the station writes them: one line per correct call.
void WriteCompetitors(const QString &folder, int count)
{
    QDir().mkpath(folder);
    QRandomGenerator random(20261207);
    for (int i = 0; i < count; ++i) {
        QStringList lines;
        const int calls = 20 + int(random.bounded(130));
        int chars = 0;
        for (int c = 1; c <= calls; ++c) {
            chars += 4 + int(random.bounded(3));
            lines.append(QStringLiteral("%1,%2,%3").arg(5 + c * 295 / calls).arg(c).arg(chars));
        }
        TextFile::writeLines(
            folder + QStringLiteral("/TS_") + RandomCall(random) + QString::number(i) + ".txt", lines);
    }
}

double PrepareMs(TfmReplay &replay, const SessionPaths &paths, const QString &competition)
{
    std::vector<double> runs;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer timer;
        timer.start();
        PrepareReplay(paths, competition, replay.data());
        replay.FormActivate();
        runs.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return Percentile(runs, 0.5);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool drift = args.contains(QStringLiteral("--drift"));
    int number = drift ? 300 : 2000;
    for (const QString &a : args)
        if (a.toInt() > 0)
            number = a.toInt();

    QTemporaryDir dir;
    const QString bin = QCoreApplication::applicationDirPath();
    if (!CopyFolderTree(bin + "/PracticeWavesAndCalls", dir.path() + "/PracticeWavesAndCalls") ||
        !QFile::copy(bin + "/Vorlix_Player_ini.txt", dir.path() + "/Vorlix_Player_ini.txt")) {
        std::fprintf(stderr, "the sample data is missing from build/bin: build the project first\n");
        return 2;
    }
    const SessionPaths paths(dir.path());
    paths.CreateFolderTree();
    QuietDialogs dialogs;
    SystemClock systemClock;
    ManualClock manualClock;
    const Clock &clock = drift ? static_cast<const Clock &>(systemClock) : manualClock;
    WavePlayer player(clock, WavePlayer::Output::Silent);
    ReplayEntry entry(dialogs, player, nullptr);
    TfmReplay &replay = entry.Replay();
    Ui::TfmReplay &u = *replay.ui();

    if (!drift) {
        std::printf("prepare + activate, Lakemont 2012 (40):  %.2f ms (target 20 ms)\n",
                    PrepareMs(replay, paths, QStringLiteral("Lakemont 2012")));
        WriteCompetitors(paths.tesselTimedScores() + "/National", number);
        std::printf("prepare + activate, National (%d): %.2f ms (target 400 ms)\n", number,
                    PrepareMs(replay, paths, QStringLiteral("National")));
    }

    PrepareReplay(paths, QStringLiteral("Lakemont 2012"), replay.data());
    replay.show();
    u.cbSelect->setCurrentIndex(u.cbSelect->count() - 1);
    replay.bnStartReplayClick();
    if (!replay.race().Running) {
        std::fprintf(stderr, "the race did not start\n");
        return 1;
    }

    if (drift) {
        const int seconds = std::min(number, replay.race().AudioSeconds);
        QElapsedTimer timer;
        timer.start();
        double worst = 0;
        while (replay.race().ElapsedSeconds < seconds) {
            app.processEvents(QEventLoop::WaitForMoreEvents, 50);
            worst =
                std::max(worst, std::abs(replay.race().ElapsedSeconds - double(player.position()) / 1000));
        }
        const double end = replay.race().ElapsedSeconds - double(player.position()) / 1000;
        std::printf("after %d s (%.1f s of wall time): race second %d, audio at %.3f s, "
                    "difference %.3f s, largest %.3f s (target 1 s)\n",
                    seconds, double(timer.elapsed()) / 1000, replay.race().ElapsedSeconds,
                    double(player.position()) / 1000, end, worst);
        return std::abs(end) <= 1 ? 0 : 1;
    }

    replay.tmReplay().stop();
    replay.race().Begin(360'000);
    std::vector<double> tick, painted;
    for (int s = 0; s < 360 && !replay.race().Finished; ++s) {
        manualClock.advanceSecs(1);
        QElapsedTimer timer;
        timer.start();
        replay.tmReplayTimer();
        tick.push_back(double(timer.nsecsElapsed()) / 1e6);
        app.processEvents();
        painted.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("tick (%zu):           p50 %.3f ms, p99 %.3f ms (target p99 1 ms)\n", tick.size(),
                Percentile(tick, 0.5), Percentile(tick, 0.99));
    std::printf("tick + paint (%zu):   p50 %.3f ms, p99 %.3f ms\n", painted.size(), Percentile(painted, 0.5),
                Percentile(painted, 0.99));
    return 0;
}
