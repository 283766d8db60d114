#include "MorseKeyer.h"

#include "SynthRandom.h"

#include <algorithm>

namespace {

struct CodeEntry
{
    char symbol;
    const char *code;
};

constexpr CodeEntry Codes[] = {
    {'A', ".-"},    {'B', "-..."},   {'C', "-.-."},  {'D', "-.."},   {'E', "."},     {'F', "..-."},
    {'G', "--."},   {'H', "...."},   {'I', ".."},    {'J', ".---"},  {'K', "-.-"},   {'L', ".-.."},
    {'M', "--"},    {'N', "-."},     {'O', "---"},   {'P', ".--."},  {'Q', "--.-"},  {'R', ".-."},
    {'S', "..."},   {'T', "-"},      {'U', "..-"},   {'V', "...-"},  {'W', ".--"},   {'X', "-..-"},
    {'Y', "-.--"},  {'Z', "--.."},   {'0', "-----"}, {'1', ".----"}, {'2', "..---"}, {'3', "...--"},
    {'4', "....-"}, {'5', "....."},  {'6', "-...."}, {'7', "--..."}, {'8', "---.."}, {'9', "----."},
    {'/', "-..-."}, {'?', "..--.."},
};

} // namespace

QString MorseKeyer::codeOf(QChar c)
{
    const QChar upper = c.toUpper();
    for (const CodeEntry &entry : Codes) {
        if (upper == QLatin1Char(entry.symbol))
            return QString::fromLatin1(entry.code);
    }
    return QString();
}

bool MorseKeyer::canSend(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' ' || !codeOf(c).isEmpty(); });
}

KeyedText MorseKeyer::key(QStringView text, double wpm, double jitter, SynthRandom *random)
{
    const double dit = ditSeconds(wpm);
    auto vary = [&](double units) {
        double length = units * dit;
        if (jitter > 0.0 && random) {
            const double factor = std::clamp(1.0 + jitter * random->normal(), 0.6, 1.4);
            length *= factor;
        }
        return length;
    };

    KeyedText keyed;
    double t = 0.0;
    double pendingGap = 0.0; // gap owed before the next element, in dits
    for (const QChar c : text) {
        if (c == u' ') {
            pendingGap = keyed.elements.empty() ? 0.0 : 7.0;
            continue;
        }
        const QString code = codeOf(c);
        if (code.isEmpty())
            continue;
        if (!keyed.elements.empty())
            pendingGap = std::max(pendingGap, 3.0);
        for (const QChar element : code) {
            if (pendingGap > 0.0)
                t += vary(pendingGap);
            const double on = vary(element == u'-' ? 3.0 : 1.0);
            keyed.elements.push_back({t, t + on});
            t += on;
            pendingGap = 1.0;
        }
        pendingGap = 0.0;
    }
    keyed.length = keyed.elements.empty() ? 0.0 : keyed.elements.back().end;
    return keyed;
}
