#include "ReplayData.h"

#include "util/FileUtil.h"
#include "util/SessionPaths.h"
#include "util/SortedTextList.h"
#include "util/TextUtil.h"

#include <QDir>

#include <algorithm>

namespace {

constexpr int CaseNameLength = 20;
constexpr int TopPlaces = 5;

QString WithSeparator(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

} // namespace

QStringList ReplayCompetitions(const QString &timedScoresFolder, const QStringList &practiceCases)
{
    QStringList names{QStringLiteral("Lakemont 2012"), QStringLiteral("Lakemont 2013")};
    const QStringList folders = QDir(timedScoresFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : practiceCases) {
        const bool present =
            std::any_of(folders.begin(), folders.end(), [&](const QString &f) { return SameText(f, name); });
        const bool offered =
            std::any_of(names.begin(), names.end(), [&](const QString &n) { return SameText(n, name); });
        if (present && !offered)
            names.append(name);
    }
    return names;
}

void PrepareReplay(const SessionPaths &paths, const QString &competition, ReplayData &data)
{
    data.BaseFolder = WithSeparator(paths.baseFolder());
    data.MinTopFileName = QStringLiteral("TS_MinTop[2].txt");
    data.PracticeRoot = paths.practiceTimedScores();
    data.CaseFolder = WithSeparator(JoinPath(paths.tesselTimedScores(), competition));
    data.ConfigFile = paths.playerConfig();
    data.PracticeWavesFolder = paths.practiceWavesAndCalls();
    data.Untouchable = paths.stationFiles() + paths.logFolders();

    QStringList names;
    ListTextFiles(data.CaseFolder, names);
    std::vector<std::unique_ptr<TTimedScore>> scores;
    scores.reserve(names.size());
    for (const QString &name : names)
        scores.push_back(LoadTimedScore(data.CaseFolder, name));
    SortTimedScores(scores);
    for (auto &score : scores)
        BuildSecondTable(*score);

    // The average competitor at each second, cut toward zero. A file that
    // could not be read still takes its place in the ranking with zeros, but
    // those are no result and stay out of the average.
    const auto count =
        std::count_if(scores.begin(), scores.end(), [](const auto &score) { return score->FileRead; });
    for (int s = 0; s < TimedScoreSeconds; ++s) {
        qint64 sum = 0;
        for (const auto &score : scores)
            sum += score->FileRead ? CharsAt(*score, s) : 0;
        data.AverageChars[s] = count ? static_cast<qint32>(sum / count) : 0;
    }

    data.TopFive.clear();
    data.Unread.clear();
    SortedTextList others;
    for (std::size_t i = 0; i < scores.size(); ++i) {
        const TTimedScore &score = *scores[i];
        if (!score.FileRead)
            data.Unread.append(score.Call.isEmpty() ? score.FileName : score.Call);
        if (i < TopPlaces)
            data.TopFive.push_back(CopyTimedScore(score.Folder, score.FileName, score.Call,
                                                  score.CorrectCalls, score.CorrectChars));
        else if (!score.Call.isEmpty())
            others.add(score.Call.toUpper());
    }
    data.SelectItems = QStringList{QStringLiteral("None")} + others.items();
    data.Caption = QStringLiteral("Replaying ") + competition;
    data.CaseName = competition.left(CaseNameLength);
}
