#include "SynthOptions.h"

namespace {

QString OutOfRange(const char *name, double value, double low, double high)
{
    return QStringLiteral("--%1 must lie between %2 and %3 (got %4)")
        .arg(QLatin1String(name))
        .arg(low)
        .arg(high)
        .arg(value);
}

} // namespace

QString SynthOptions::validate() const
{
    struct Check
    {
        const char *name;
        double value;
        double low;
        double high;
    };
    const Check checks[] = {
        {"rate", double(sampleRate), 8000, 22050},
        {"length", lengthSeconds, 1, 360},
        {"callers", double(callers), 1, 1000},
        {"wpm-min", wpmMin, 5, 60},
        {"wpm-max", wpmMax, 5, 60},
        {"pitch", pitchCenterHz, 200, 2000},
        {"pitch-spread", pitchSpreadHz, 0, 1500},
        {"level-spread", levelSpreadDb, 0, 40},
        {"jitter", jitter, 0, 0.3},
        {"repeat-prob", repeatProbability, 0, 0.95},
        {"max-repeats", double(maxRepeats), 1, 5},
        {"return-prob", returnProbability, 0, 1},
        {"density-depth", densityDepth, 0, 1},
        {"density-waves", densityWaves, 0, 20},
        {"fading", fadingFraction, 0, 1},
        {"fading-depth", fadingDepthDb, 0, 40},
        {"snr", snrDb, -20, 80},
        {"crashes", crashesPerMinute, 0, 60},
        {"portable", portableFraction, 0, 1},
        {"rise-ms", riseMs, 1, 20},
        {"stagger-ms", staggerMs, 0, 5000},
        {"peak", peakDbfs, -40, -0.5},
    };
    for (const Check &c : checks) {
        if (!(c.value >= c.low && c.value <= c.high)) // also catches NaN
            return OutOfRange(c.name, c.value, c.low, c.high);
    }
    if (wpmMin > wpmMax)
        return QStringLiteral("--wpm-min (%1) must not exceed --wpm-max (%2)").arg(wpmMin).arg(wpmMax);
    const double lowest = pitchCenterHz - pitchSpreadHz / 2.0;
    const double highest = pitchCenterHz + pitchSpreadHz / 2.0;
    if (lowest < 150.0)
        return QStringLiteral("--pitch and --pitch-spread put the lowest pitch at %1 Hz, below 150 Hz")
            .arg(lowest);
    if (highest > sampleRate / 2.0 - 1000.0)
        return QStringLiteral(
                   "--pitch and --pitch-spread put the highest pitch at %1 Hz, too close to half the "
                   "sample rate (%2 Hz)")
            .arg(highest)
            .arg(sampleRate / 2.0);
    return QString();
}
