// Timing of the pileup synthesizer: a five-minute pileup of 150 calls at
// 11025 Hz (target: at least 300 times real time, 1 s or less) and the whole
// synthetic sample tree (target: 5 s or less). Single-threaded by design.

#include "pileup-synth/PileupPlanner.h"
#include "pileup-synth/PileupRenderer.h"
#include "pileup-synth/SampleTree.h"
#include "pileup-synth/SynthWave.h"

#include <QElapsedTimer>
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
    return 0;
}
