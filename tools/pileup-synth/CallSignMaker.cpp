#include "CallSignMaker.h"

#include "SynthRandom.h"

namespace {

// A prefix pattern: '#' is any call-area digit; the suffix length range and a
// weight for how often the pattern is drawn.
struct PrefixPattern
{
    const char *prefix;
    int suffixMin;
    int suffixMax;
    int weight;
};

constexpr PrefixPattern Patterns[] = {
    {"K#", 1, 3, 10},  {"W#", 1, 3, 10}, {"N#", 2, 3, 7},  {"AA#", 2, 2, 2}, {"KB#", 3, 3, 2},
    {"DL#", 2, 3, 10}, {"DK#", 2, 3, 4}, {"DJ#", 2, 3, 3}, {"DF#", 2, 3, 2}, {"G#", 2, 3, 6},
    {"M#", 1, 3, 3},   {"F#", 2, 3, 5},  {"I#", 2, 3, 3},  {"IK#", 3, 3, 3}, {"EA#", 2, 3, 5},
    {"JA#", 2, 3, 5},  {"JH#", 3, 3, 2}, {"VE#", 2, 3, 4}, {"VA#", 2, 3, 2}, {"OH#", 1, 3, 4},
    {"SM#", 2, 3, 4},  {"LA#", 2, 3, 2}, {"OZ#", 1, 3, 2}, {"PA#", 1, 3, 3}, {"ON#", 2, 3, 3},
    {"OK#", 2, 3, 4},  {"OM#", 2, 2, 2}, {"SP#", 2, 3, 5}, {"HA#", 2, 3, 2}, {"YO#", 2, 3, 2},
    {"LZ#", 2, 2, 2},  {"UA#", 2, 3, 5}, {"RA#", 2, 3, 2}, {"UR#", 2, 3, 3}, {"S5#", 2, 3, 2},
    {"9A#", 1, 3, 2},  {"YU#", 2, 3, 1}, {"ES#", 1, 3, 1}, {"YL#", 2, 3, 1}, {"LY#", 2, 3, 1},
    {"HB9", 2, 3, 2},  {"OE#", 2, 3, 2}, {"ZS#", 1, 3, 1}, {"VK#", 2, 3, 2}, {"ZL#", 2, 3, 1},
    {"PY#", 2, 3, 2},  {"LU#", 2, 3, 1}, {"CE#", 2, 3, 1}, {"XE#", 2, 3, 1}, {"4X#", 2, 2, 1},
    {"EI#", 2, 3, 1},  {"GM#", 2, 3, 1}, {"CT#", 2, 3, 1}, {"SV#", 2, 3, 1},
};

// Prefixes of stations operating abroad, sent before the home call.
constexpr const char *PortablePrefixes[] = {"F", "DL", "EA8", "OH0", "SV9", "PA", "HB0", "I", "VP9", "KH6"};

} // namespace

QString CallSignMaker::plainCall()
{
    int total = 0;
    for (const PrefixPattern &p : Patterns)
        total += p.weight;
    int pick = m_random.range(0, total - 1);
    const PrefixPattern *chosen = &Patterns[0];
    for (const PrefixPattern &p : Patterns) {
        if (pick < p.weight) {
            chosen = &p;
            break;
        }
        pick -= p.weight;
    }
    QString call;
    for (const char *c = chosen->prefix; *c; ++c) {
        if (*c == '#')
            call += QChar(u'0' + m_random.range(0, 9));
        else
            call += QLatin1Char(*c);
    }
    const int suffix = m_random.range(chosen->suffixMin, chosen->suffixMax);
    for (int i = 0; i < suffix; ++i)
        call += QChar(u'A' + m_random.range(0, 25));
    return call;
}

QString CallSignMaker::next(double portableFraction)
{
    for (;;) {
        QString call = plainCall();
        if (portableFraction > 0.0 && m_random.chance(portableFraction)) {
            if (m_random.chance(0.5)) {
                call += QStringLiteral("/P");
            } else {
                const int count = int(sizeof(PortablePrefixes) / sizeof(PortablePrefixes[0]));
                call = QLatin1String(PortablePrefixes[m_random.range(0, count - 1)]) + u'/' + call;
            }
        }
        const QString key = call.toUpper();
        if (!m_used.contains(key)) {
            m_used.insert(key);
            return call;
        }
    }
}
