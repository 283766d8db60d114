// Timing of the pileup synthesizer: a five-minute pileup of 150 calls at
// 11025 Hz (target: at least 300 times real time, 1 s or less) and the whole
// synthetic sample tree (target: 5 s or less). Single-threaded by design.
// Then a new five-minute practice case of each level as the station makes
// it: plan, audio, the simulated field of 40, every file synced into a base
// folder and the configuration line added (target: 2 s or less).

#include "pileup-synth/PileupPlanner.h"
#include "pileup-synth/PileupRenderer.h"
#include "pileup-synth/PracticeCase.h"
#include "pileup-synth/SampleTree.h"
#include "pileup-synth/SynthWave.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main()
{
    SynthOptions options; // defaults: 300 s, 150 callers, 11025 Hz, noise and crashes on
    std::vector<double> runs;
    qsizetype bytes = 0;
    for (int i = 0; i < 5; ++i) {
        options.seed = quint64(100 + i);
        QElapsedTimer timer;
        timer.start();
        const PileupPlan plan = PileupPlanner::plan(options);
        const QByteArray wave = SynthWave::encode(PileupRenderer::render(plan, options), options.sampleRate);
        runs.push_back(double(timer.nsecsElapsed()) / 1e9);
        bytes = wave.size();
    }
    std::sort(runs.begin(), runs.end());
    const double median = runs[runs.size() / 2];
    std::printf(
        "pileup %.0f s, %d calls, %d Hz: median %.3f s (best %.3f s) = %.0fx real time [target >= 300x], "
        "%lld bytes\n",
        options.lengthSeconds, options.callers, options.sampleRate, median, runs.front(),
        options.lengthSeconds / median, static_cast<long long>(bytes));

    QTemporaryDir dir;
    QElapsedTimer timer;
    timer.start();
    SampleTree::generate(dir.path());
    std::printf("whole sample tree: %.3f s [target <= 5 s]\n", double(timer.nsecsElapsed()) / 1e9);

    QFile config(dir.filePath("Vorlix_Player_ini.txt"));
    if (!config.open(QIODevice::WriteOnly))
        return 1;
    config.close();
    int made = 0;
    for (const CaseLevel &level : CaseLevel::presets()) {
        std::vector<double> times;
        for (int i = 0; i < 5; ++i) {
            PracticeCaseRequest request;
            request.name = QStringLiteral("Case %1").arg(++made);
            request.level = level.name;
            request.options = level.options(5.0, quint64(made));
            QElapsedTimer caseTimer;
            caseTimer.start();
            PracticeCase::make(dir.path(), request);
            times.push_back(double(caseTimer.nsecsElapsed()) / 1e9);
        }
        std::sort(times.begin(), times.end());
        std::printf("new 5-minute practice case, %s: median %.3f s, worst %.3f s [target <= 2 s]\n",
                    qPrintable(level.name), times[times.size() / 2], times.back());
    }
    return 0;
}
