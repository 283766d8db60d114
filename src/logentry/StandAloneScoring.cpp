#include "StandAloneScoring.h"

#include "util/FileUtil.h"
#include "util/LogScoring.h"
#include "util/TPlayerScore.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

void SearchLogs(const QString &folder, std::vector<FoundLog> &found)
{
    const QDir dir(folder);
    const auto sort = QDir::Name | QDir::IgnoreCase;
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    // Regular files only (links to them included): a named pipe or a device
    // that happens to end in ".log" would block or never end when read.
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden, sort)) {
        if (name.endsWith(u".log", Qt::CaseInsensitive))
            found.push_back({prefix, name});
    }
    for (const QString &sub : dir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, sort)) {
        const QFileInfo info(JoinPath(folder, sub));
        if (!info.isSymLink())
            SearchLogs(info.filePath(), found);
    }
}

struct RankedLog
{
    TPlayerScore record;
    QString path; // where the log lies, never cut
};

bool RanksBefore(const RankedLog &a, const RankedLog &b)
{
    if (const int byScore = ComparePlayerScores(a.record, b.record))
        return byScore < 0;
    if (const int byName = a.record.name.compare(b.record.name, Qt::CaseInsensitive))
        return byName < 0;
    if (const int byPath = a.path.compare(b.path, Qt::CaseInsensitive))
        return byPath < 0;
    return a.path < b.path;
}

} // namespace

std::vector<FoundLog> FindAllLogFiles(const QString &folder)
{
    std::vector<FoundLog> found;
    if (!folder.isEmpty())
        SearchLogs(folder, found);
    return found;
}

QStringList ScoreStandAloneLogs(const QString &standAloneLogsFolder, const QString &standAloneCallsPath)
{
    const CheckList checkList = CheckList::Load(standAloneCallsPath);
    std::vector<RankedLog> ranked;
    for (const FoundLog &log : FindAllLogFiles(standAloneLogsFolder)) {
        RankedLog entry{TPlayerScore(log.fileName, log.folder), log.folder + log.fileName};
        // Read from the full path: a record's path is bounded text, and a
        // deep folder must not make the ranking fail.
        const TScore score = ScoreLog(checkList, entry.path);
        entry.record.calls = score.calls;
        entry.record.chars = score.chars;
        ranked.push_back(std::move(entry));
    }
    std::sort(ranked.begin(), ranked.end(), RanksBefore);
    QStringList lines;
    lines.reserve(qsizetype(ranked.size()));
    for (const RankedLog &entry : ranked)
        lines.append(entry.record.ResultLine(TPlayerScore::kResultLineMax));
    return lines;
}
