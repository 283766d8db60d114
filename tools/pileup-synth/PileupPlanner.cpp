#include "PileupPlanner.h"

#include "CallSignMaker.h"
#include "SynthError.h"
#include "SynthRandom.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

// Quiet time kept at the start and the end of the recording.
constexpr double LeadSeconds = 0.4;
constexpr double TailSeconds = 0.4;
// Tries to find a start that keeps clear of the others before giving up.
constexpr int PlacementTries = 400;

QStringList DistinctCalls(const QStringList &list)
{
    QStringList calls;
    QSet<QString> seen;
    for (const QString &line : list) {
        const QString call = line.trimmed();
        if (call.isEmpty() || seen.contains(call.toUpper()))
            continue;
        if (!MorseKeyer::canSend(call) || call.contains(u' '))
            throw SynthError(
                QStringLiteral("The call list holds \"%1\", which cannot be sent in Morse").arg(call));
        seen.insert(call.toUpper());
        calls << call;
    }
    return calls;
}

std::vector<QString> ChooseCalls(const SynthOptions &options, const QStringList &callList,
                                 SynthRandom &random)
{
    std::vector<QString> calls;
    if (callList.isEmpty()) {
        CallSignMaker maker(random);
        for (int i = 0; i < options.callers; ++i)
            calls.push_back(maker.next(options.portableFraction));
        return calls;
    }
    QStringList pool = DistinctCalls(callList);
    if (pool.isEmpty())
        throw SynthError(QStringLiteral("The call list holds no calls"));
    if (pool.size() < options.callers)
        throw SynthError(QStringLiteral("The call list holds %1 distinct calls, fewer than --callers %2")
                             .arg(pool.size())
                             .arg(options.callers));
    // A partial shuffle picks the callers in a seed-given order.
    for (int i = 0; i < options.callers; ++i) {
        const int j = random.range(i, int(pool.size()) - 1);
        pool.swapItemsAt(i, j);
        calls.push_back(pool.at(i));
    }
    return calls;
}

PileupCaller MakeCaller(const QString &call, const SynthOptions &options, SynthRandom &random)
{
    PileupCaller c;
    c.call = call;
    c.wpm = std::round(random.uniform(options.wpmMin, options.wpmMax) * 2.0) / 2.0;
    c.pitchHz =
        std::round((options.pitchCenterHz + random.uniform(-0.5, 0.5) * options.pitchSpreadHz) * 10.0) / 10.0;
    c.levelDb = -random.uniform(0.0, options.levelSpreadDb);
    c.jitter = options.jitter * random.uniform(0.3, 1.0);
    c.fading = random.chance(options.fadingFraction) && options.fadingDepthDb > 0.0;
    c.fadePeriodSeconds = random.uniform(4.0, 16.0);
    c.fadeDepthDb = options.fadingDepthDb * random.uniform(0.4, 1.0);
    c.fadePhase = random.uniform(0.0, 2.0 * M_PI);
    return c;
}

// Start times follow a density that swells and ebbs over the recording.
class StartPlacer
{
public:
    StartPlacer(const SynthOptions &options, SynthRandom &random)
        : m_options(options), m_random(random), m_phase(random.uniform(0.0, 2.0 * M_PI))
    {
    }

    // A start in [earliest, latest] at least the stagger away from every
    // start placed so far; a negative value when there is none.
    double place(double earliest, double latest)
    {
        const double stagger = m_options.staggerMs / 1000.0;
        for (int i = 0; i < PlacementTries; ++i) {
            const double t = m_random.uniform(earliest, latest);
            if (!m_random.chance(density(t)))
                continue;
            if (isClear(t, stagger)) {
                m_starts.insert(std::upper_bound(m_starts.begin(), m_starts.end(), t), t);
                return t;
            }
        }
        return -1.0;
    }

private:
    double density(double t) const
    {
        const double wave =
            std::sin(2.0 * M_PI * m_options.densityWaves * t / m_options.lengthSeconds + m_phase);
        return (1.0 + m_options.densityDepth * wave) / (1.0 + m_options.densityDepth);
    }

    bool isClear(double t, double stagger) const
    {
        const auto next = std::lower_bound(m_starts.begin(), m_starts.end(), t);
        if (next != m_starts.end() && *next - t < stagger)
            return false;
        return next == m_starts.begin() || t - *(next - 1) >= stagger;
    }

    const SynthOptions &m_options;
    SynthRandom &m_random;
    double m_phase;
    std::vector<double> m_starts;
};

QString CallRepeated(const QString &call, int repeats)
{
    QStringList parts;
    for (int i = 0; i < repeats; ++i)
        parts << call;
    return parts.join(u' ');
}

} // namespace

PileupPlan PileupPlanner::plan(const SynthOptions &options, const QStringList &callList)
{
    const QString problem = options.validate();
    if (!problem.isEmpty())
        throw SynthError(problem);

    SynthRandom root(options.seed);
    SynthRandom callRandom = root.fork(1);
    SynthRandom voiceRandom = root.fork(2);
    SynthRandom keyRandom = root.fork(3);
    SynthRandom placeRandom = root.fork(4);

    PileupPlan plan;
    plan.lengthSeconds = options.lengthSeconds;
    for (const QString &call : ChooseCalls(options, callList, callRandom))
        plan.callers.push_back(MakeCaller(call, options, voiceRandom));

    StartPlacer placer(options, placeRandom);
    const double latestEnd = options.lengthSeconds - TailSeconds;
    for (int index = 0; index < int(plan.callers.size()); ++index) {
        const PileupCaller &caller = plan.callers[size_t(index)];
        double earliest = LeadSeconds;
        int appearances = 0;
        do {
            int repeats = 1;
            while (repeats < options.maxRepeats && placeRandom.chance(options.repeatProbability))
                ++repeats;
            KeyedText keyed;
            double start = -1.0;
            // A transmission that does not fit is sent with fewer repeats.
            for (; repeats >= 1 && start < 0.0; --repeats) {
                keyed = MorseKeyer::key(CallRepeated(caller.call, repeats), caller.wpm, caller.jitter,
                                        &keyRandom);
                const double latestStart = latestEnd - keyed.length;
                if (latestStart >= earliest)
                    start = placer.place(earliest, latestStart);
                if (start >= 0.0)
                    break;
            }
            if (start < 0.0) {
                if (appearances > 0)
                    break; // a return call that no longer fits is left out
                throw SynthError(
                    QStringLiteral("A recording of %1 s cannot hold %2 callers at these speeds "
                                   "(no room for %3 at %4 WPM); make it longer or use fewer callers")
                        .arg(options.lengthSeconds)
                        .arg(options.callers)
                        .arg(caller.call)
                        .arg(caller.wpm));
            }
            PileupTransmission t;
            t.caller = index;
            t.repeats = repeats;
            t.start = start;
            t.end = start + keyed.length;
            t.keying = std::move(keyed);
            earliest = t.end + placeRandom.uniform(2.0, 30.0);
            plan.transmissions.push_back(std::move(t));
            ++appearances;
        } while (placeRandom.chance(options.returnProbability) && appearances < 4);
    }
    std::sort(plan.transmissions.begin(), plan.transmissions.end(),
              [](const PileupTransmission &a, const PileupTransmission &b) { return a.start < b.start; });
    return plan;
}
