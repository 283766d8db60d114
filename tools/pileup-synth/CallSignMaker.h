#pragma once
// Plausible amateur call signs: a prefix drawn (weighted roughly by activity
// in contests) from real-world patterns, a call-area digit and a suffix of
// one to three letters; on request a few carry a portable part, either "/P"
// after the call or a foreign prefix before it ("F/DL1ABC").

#include <QSet>
#include <QString>

class SynthRandom;

class CallSignMaker
{
public:
    explicit CallSignMaker(SynthRandom &random) : m_random(random) {}

    // A call never returned before by this maker (letter case ignored).
    // `portableFraction` is the share of calls with a portable part.
    QString next(double portableFraction);

private:
    QString plainCall();

    SynthRandom &m_random;
    QSet<QString> m_used;
};
