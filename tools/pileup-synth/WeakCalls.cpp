#include "WeakCalls.h"

#include "CallSignMaker.h"
#include "SynthRandom.h"

#include <algorithm>
#include <cmath>

namespace {

QList<QChar> CallCharacters(const QList<QChar> &weak)
{
    QList<QChar> kept;
    for (QChar c : weak) {
        const QChar upper = c.toUpper();
        const bool inCalls =
            (upper >= u'A' && upper <= u'Z') || (upper >= u'0' && upper <= u'9') || upper == u'/';
        if (inCalls && !kept.contains(upper))
            kept << upper;
    }
    return kept;
}

} // namespace

int WeakCalls::weakIn(const QString &call, const QList<QChar> &weak)
{
    int k = 0;
    for (QChar c : call)
        if (weak.contains(c.toUpper()))
            ++k;
    return k;
}

QStringList WeakCalls::make(const QList<QChar> &weakCharacters, int count, quint64 seed, double aim,
                            double portableFraction)
{
    const QList<QChar> weak = CallCharacters(weakCharacters);
    SynthRandom random(seed);
    SynthRandom keep = random.fork(1);
    double factor = 1.0;
    if (!weak.isEmpty()) {
        SynthRandom sampleRandom = random.fork(2);
        CallSignMaker sample(sampleRandom);
        qint64 weakCount = 0, all = 0;
        for (int i = 0; i < SampleCalls; ++i) {
            const QString call = sample.next(portableFraction);
            weakCount += weakIn(call, weak);
            all += call.size();
        }
        const double p = double(weakCount) / double(std::max<qint64>(all, 1));
        factor = aim * p < 1.0 ? std::clamp(aim * (1.0 - p) / (1.0 - aim * p), 1.0, MaxWeight) : MaxWeight;
    }
    CallSignMaker maker(random);
    // A call made up is never made again, kept or not, so the calls are
    // distinct.
    QStringList calls;
    const double top = std::pow(factor, MaxCounted);
    while (calls.size() < count) {
        const QString call = maker.next(portableFraction);
        const int k = std::min(weakIn(call, weak), MaxCounted);
        if (keep.chance(std::pow(factor, k) / top))
            calls << call;
    }
    return calls;
}
