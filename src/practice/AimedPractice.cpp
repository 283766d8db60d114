#include "AimedPractice.h"

#include "pileup-synth/PracticeCase.h"
#include "pileup-synth/WeakCalls.h"

#include <algorithm>
#include <cmath>

namespace AimedPractice {

namespace {

bool InCalls(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'/';
}

} // namespace

QList<QChar> WeakestCharacters(const MissAnalysis::Report &report)
{
    struct Share
    {
        QChar c;
        double share;
    };
    std::vector<Share> shares;
    for (auto it = report.characters.cbegin(); it != report.characters.cend(); ++it) {
        const int wrong = it->missed + it->confused;
        if (InCalls(it.key()) && it->sent >= MinSent && wrong >= MinWrong)
            shares.push_back({it.key(), double(wrong) / it->sent});
    }
    std::sort(shares.begin(), shares.end(), [](const Share &a, const Share &b) {
        return a.share != b.share ? a.share > b.share : a.c < b.c;
    });
    QList<QChar> weak;
    for (size_t i = 0; i < shares.size() && i < size_t(MostWeak); ++i)
        weak << shares[i].c;
    return weak;
}

QString AimText(const QList<QChar> &weak)
{
    QStringList names;
    for (QChar c : weak)
        names << QString(c);
    QString list = names.join(QStringLiteral(", "));
    if (names.size() > 1)
        list = names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
               names.last();
    return list + QStringLiteral(" about four times as often as usual");
}

QStringList CallList(const QList<QChar> &weak, const QString &level, quint64 seed)
{
    const CaseLevel *preset = CaseLevel::find(level);
    if (!preset)
        preset = &CaseLevel::presets().back();
    const int callers = std::max(1, int(std::lround(preset->callersPerMinute * CaseMinutes)));
    return WeakCalls::make(weak, CallsPerCaller * callers, seed);
}

} // namespace AimedPractice
