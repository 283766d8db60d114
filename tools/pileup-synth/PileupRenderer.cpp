#include "PileupRenderer.h"

#include "SynthRandom.h"

#include <algorithm>
#include <cmath>

namespace {

// A second-order filter section (direct form I, coefficients after the
// audio-EQ cookbook).
class Biquad
{
public:
    static Biquad lowPass(double cutoffHz, double rate) { return make(cutoffHz, rate, true); }
    static Biquad highPass(double cutoffHz, double rate) { return make(cutoffHz, rate, false); }

    float process(float x)
    {
        const double y = m_b0 * x + m_b1 * m_x1 + m_b2 * m_x2 - m_a1 * m_y1 - m_a2 * m_y2;
        m_x2 = m_x1;
        m_x1 = x;
        m_y2 = m_y1;
        m_y1 = y;
        return float(y);
    }

private:
    static Biquad make(double cutoffHz, double rate, bool low)
    {
        const double w = 2.0 * M_PI * cutoffHz / rate;
        const double alpha = std::sin(w) / (2.0 * M_SQRT1_2);
        const double c = std::cos(w);
        const double a0 = 1.0 + alpha;
        Biquad f;
        if (low) {
            f.m_b0 = (1.0 - c) / 2.0 / a0;
            f.m_b1 = (1.0 - c) / a0;
        } else {
            f.m_b0 = (1.0 + c) / 2.0 / a0;
            f.m_b1 = -(1.0 + c) / a0;
        }
        f.m_b2 = f.m_b0;
        f.m_a1 = -2.0 * c / a0;
        f.m_a2 = (1.0 - alpha) / a0;
        return f;
    }

    double m_b0 = 1.0, m_b1 = 0.0, m_b2 = 0.0, m_a1 = 0.0, m_a2 = 0.0;
    double m_x1 = 0.0, m_x2 = 0.0, m_y1 = 0.0, m_y2 = 0.0;
};

// Adds one key-down element of a tone: the oscillator runs by rotation, the
// edges rise and fall as raised cosines centred on the element's nominal
// edges, so the element keeps its length and has no click.
void AddElement(std::vector<float> &mix, double rate, double riseSeconds, double toneStart, double on,
                double off, double pitchHz, double amplitude)
{
    const qsizetype total = qsizetype(mix.size());
    const double half = riseSeconds / 2.0;
    const qsizetype first = std::max<qsizetype>(0, qsizetype(std::ceil((on - half) * rate)));
    const qsizetype last = std::min<qsizetype>(total - 1, qsizetype(std::floor((off + half) * rate)));
    if (last < first)
        return;
    const double w = 2.0 * M_PI * pitchHz / rate;
    // Phase runs continuously from the start of the transmission.
    const double phase0 = w * (double(first) - toneStart * rate);
    double s = std::sin(phase0), c = std::cos(phase0);
    const double dc = std::cos(w), ds = std::sin(w);
    const double riseSamples = riseSeconds * rate;
    const double upFrom = (on - half) * rate;
    const double downFrom = (off - half) * rate;
    for (qsizetype n = first; n <= last; ++n) {
        const double x = double(n);
        // How far into the rising edge and how far before the falling one;
        // a very short element takes the smaller of the two.
        const double edge = std::min((x - upFrom) / riseSamples, (downFrom + riseSamples - x) / riseSamples);
        const double env = edge >= 1.0 ? 1.0 : 0.5 - 0.5 * std::cos(M_PI * std::max(0.0, edge));
        mix[size_t(n)] += float(amplitude * env * s);
        const double nextS = s * dc + c * ds;
        c = c * dc - s * ds;
        s = nextS;
    }
}

// Band noise shaped like a receiver's CW passband.
void AddBandNoise(std::vector<float> &mix, double rate, double rms, SynthRandom &random)
{
    std::vector<float> noise(mix.size());
    Biquad high = Biquad::highPass(300.0, rate);
    Biquad low = Biquad::lowPass(1500.0, rate);
    double energy = 0.0;
    for (float &v : noise) {
        v = low.process(high.process(float(random.normal())));
        energy += double(v) * v;
    }
    const double measured = std::sqrt(energy / double(std::max<size_t>(1, noise.size())));
    const double scale = measured > 0.0 ? rms / measured : 0.0;
    for (size_t i = 0; i < mix.size(); ++i)
        mix[i] += float(noise[i] * scale);
}

// Static crashes: bursts of noise with a fast attack and a decay of some tens
// of milliseconds, a few times stronger than the strongest caller before the
// mix limits them.
void AddCrashes(std::vector<float> &mix, double rate, double seconds, double perMinute, SynthRandom &random)
{
    const int count = int(std::round(perMinute * seconds / 60.0));
    Biquad low = Biquad::lowPass(2500.0, rate);
    for (int i = 0; i < count; ++i) {
        const double at = random.uniform(0.0, seconds);
        const double decay = random.uniform(0.01, 0.06);
        const double amplitude = random.uniform(0.8, 2.5);
        const qsizetype first = qsizetype(at * rate);
        const qsizetype length = qsizetype((0.002 + decay * 5.0) * rate);
        for (qsizetype k = 0; k < length && first + k < qsizetype(mix.size()); ++k) {
            const double t = double(k) / rate;
            const double env = std::min(1.0, t / 0.002) * std::exp(-std::max(0.0, t - 0.002) / decay);
            mix[size_t(first + k)] += low.process(float(amplitude * env * random.normal()));
        }
    }
}

} // namespace

std::vector<qint16> PileupRenderer::render(const PileupPlan &plan, const SynthOptions &options)
{
    const double rate = options.sampleRate;
    const size_t count = size_t(std::llround(plan.lengthSeconds * rate));
    std::vector<float> mix(count, 0.0f);
    const double rise = options.riseMs / 1000.0;

    for (const PileupTransmission &t : plan.transmissions) {
        const PileupCaller &caller = plan.callerOf(t);
        const double level = std::pow(10.0, caller.levelDb / 20.0);
        for (const KeyElement &e : t.keying.elements) {
            const double on = t.start + e.start;
            const double off = t.start + e.end;
            const double amplitude = level * caller.fadeGain((on + off) / 2.0);
            AddElement(mix, rate, rise, t.start, on, off, caller.pitchHz, amplitude);
        }
    }

    SynthRandom random = SynthRandom(options.seed).fork(17);
    if (options.noise) {
        // The strongest possible caller has amplitude 1, an RMS of 1/sqrt(2).
        const double noiseRms = M_SQRT1_2 / std::pow(10.0, options.snrDb / 20.0);
        AddBandNoise(mix, rate, noiseRms, random);
    }
    // The callers set the level, not the crashes: a crash is limited softly
    // to the loudest the callers and the noise get, so that the peak of the
    // recording is at most twice theirs and a player who sets his volume on
    // the callers is not deafened by the next crash.
    const auto peakOf = [](const std::vector<float> &samples) {
        float peak = 0.0f;
        for (float v : samples)
            peak = std::max(peak, std::abs(v));
        return peak;
    };
    if (options.crashesPerMinute > 0.0) {
        std::vector<float> crashes(count, 0.0f);
        AddCrashes(crashes, rate, plan.lengthSeconds, options.crashesPerMinute, random);
        const float limit = std::max(peakOf(mix), 1e-6f);
        for (size_t i = 0; i < count; ++i)
            mix[i] += limit * std::tanh(crashes[i] / limit);
    }

    const float peak = peakOf(mix);
    const double target = 32767.0 * std::pow(10.0, options.peakDbfs / 20.0);
    const double scale = peak > 0.0f ? target / peak : 0.0;
    std::vector<qint16> samples(count);
    for (size_t i = 0; i < count; ++i)
        samples[i] = qint16(std::clamp(std::lround(mix[i] * scale), -32766L, 32766L));
    return samples;
}
