#include "PlayerRuns.h"

namespace {

// "-MMddyy-hhmm": the stamp a practice log's name ends with.
bool EndsWithStamp(QStringView name)
{
    constexpr qsizetype kStamp = 12;
    if (name.size() <= kStamp)
        return false;
    const QStringView stamp = name.right(kStamp);
    for (qsizetype i = 0; i < kStamp; ++i) {
        const bool dash = i == 0 || i == 7;
        if (dash ? stamp[i] != u'-' : !stamp[i].isDigit())
            return false;
    }
    return true;
}

} // namespace

PlayerRuns::PlayerRuns(const TPracticeScoreList &inOrderPlayed)
{
    m_runs.reserve(inOrderPlayed.size());
    for (const TPracticeScore &score : inOrderPlayed)
        m_runs.push_back({PlayerOf(score.logFile).toUpper(), {score.date, score.calls, score.chars}});
}

QList<PlayerRuns::Run> PlayerRuns::of(const QString &call) const
{
    const QString player = call.trimmed().toUpper();
    QList<Run> runs;
    if (player.isEmpty())
        return runs;
    for (const Entry &entry : m_runs) {
        if (entry.player == player)
            runs.append(entry.run);
    }
    return runs;
}

QString PlayerRuns::PlayerOf(const QString &logFile)
{
    QStringView name(logFile);
    const qsizetype slash = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    name = name.mid(slash + 1);
    if (name.endsWith(u".log", Qt::CaseInsensitive))
        name.chop(4);
    if (EndsWithStamp(name))
        name.chop(12);
    return name.toString();
}
