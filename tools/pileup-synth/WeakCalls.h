#pragma once
// Calls for practice aimed at a player's weak characters: plausible calls,
// made as CallSignMaker makes them, in which the weak characters occur about
// `aim` times as often as in calls made up as usual.
//
// The method: candidates are drawn from CallSignMaker one after another, and
// each is kept with a probability proportional to w^k, k being the number of
// weak characters it holds (each occurrence counts). The weights are
// normalised by their cap w^MaxCounted, so a call holding MaxCounted or more
// weak characters is always kept and one holding none is kept with
// probability w^-MaxCounted. Weighting calls by w^k makes each character
// weak with odds w times the usual: a share p of weak characters among
// usual calls becomes w p / (1 + (w - 1) p). So w is worked out from the
// usual share p, measured on a first draw of usual calls, to make that
// `aim` times p: w = aim (1 - p) / (1 - aim p), at most MaxWeight (when
// the weak characters are so common that `aim` times their share cannot be
// reached). The calls keep CallSignMaker's prefixes, lengths and mix of
// every other character.

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class WeakCalls
{
public:
    static constexpr double Aim = 4.0;
    // Weak characters counted per call: beyond it the weight stays the same.
    static constexpr int MaxCounted = 4;
    static constexpr double MaxWeight = 8.0;
    // Usual calls drawn to measure the usual share of the weak characters.
    static constexpr int SampleCalls = 2000;

    // `count` distinct calls (letter case ignored) for `weak` (letters,
    // digits or '/', letter case ignored; other characters cannot be in a
    // call and are passed over), from `seed`. No weak character that can be
    // in a call: calls made up as usual. `portableFraction` as in
    // CallSignMaker::next.
    static QStringList make(const QList<QChar> &weak, int count, quint64 seed, double aim = Aim,
                            double portableFraction = 0.06);

    // The weak characters `call` holds, each occurrence counted.
    static int weakIn(const QString &call, const QList<QChar> &weak);
};
