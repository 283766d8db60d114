#include "TimedScore.h"

#include "util/FileUtil.h"
#include "util/TextFile.h"
#include "util/TextUtil.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <optional>

namespace {

// The totals and the per-second table look at the first 50 characters of a
// line only.
constexpr int LineLookLength = 50;

TimedScoreLine ReadLookedAt(const QString &line)
{
    return ParseTimedScoreLine(QStringView(line).left(LineLookLength));
}

std::optional<QStringList> ReadScoreFile(const TTimedScore &score)
{
    if (score.FileName.isEmpty())
        return std::nullopt;
    return ReadTimedScoreLines(score.Folder, score.FileName);
}

void FillFromSecondTen(TTimedScore &score)
{
    for (int s = 10; s < TimedScoreSeconds; ++s)
        score.CharsAtSecond[s] = score.CorrectChars;
}

} // namespace

TimedScoreLine ParseTimedScoreLine(QStringView line)
{
    const QStringList fields = SplitFields(line, u",");
    TimedScoreLine parsed;
    parsed.seconds = fields.isEmpty() ? 0 : LeadingInt(fields.at(0));
    parsed.calls = fields.size() > 1 ? LeadingInt(fields.at(1)) : 0;
    parsed.chars = fields.size() > 2 ? LeadingInt(fields.at(2)) : 0;
    parsed.hasCallsAndChars = fields.size() > 2;
    return parsed;
}

std::optional<QStringList> ReadTimedScoreLines(const QString &folder, const QString &fileName)
{
    const QString path = ResolveCase(JoinPath(folder, fileName));
    if (QFileInfo(path).size() > MaxTimedScoreBytes)
        return std::nullopt;
    return TextFile::tryReadLines(path);
}

QString TimedScoreFolder(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(u'/') || folder.endsWith(u'\\'))
        return folder;
    return folder + u'/';
}

QString TimedScoreKey(const QString &fileName)
{
    const QStringList pieces = SplitFields(fileName, u"_.");
    if (pieces.size() < 2)
        return QString();
    return CopyBounded(pieces.at(1), TimedScoreKeyLength);
}

std::unique_ptr<TTimedScore> LoadTimedScore(const QString &folder, const QString &fileName)
{
    auto score = std::make_unique<TTimedScore>();
    score->Folder = TimedScoreFolder(folder);
    score->FileName = fileName;
    score->Call = TimedScoreKey(fileName);
    if (score->Call.isEmpty())
        return score;
    const std::optional<QStringList> lines = ReadScoreFile(*score);
    if (!lines)
        return score;
    if (!lines->isEmpty()) {
        const TimedScoreLine last = ReadLookedAt(lines->last());
        if (last.hasCallsAndChars) {
            score->CorrectCalls = last.calls;
            score->CorrectChars = last.chars;
        }
    }
    FillFromSecondTen(*score);
    return score;
}

std::unique_ptr<TTimedScore> CopyTimedScore(const QString &folder, const QString &fileName,
                                            const QString &call, qint32 correctCalls, qint32 correctChars)
{
    auto score = std::make_unique<TTimedScore>();
    score->Folder = TimedScoreFolder(folder);
    score->FileName = fileName;
    score->Call = CopyBounded(call, TimedScoreKeyLength);
    score->CorrectCalls = correctCalls;
    score->CorrectChars = correctChars;
    return score;
}

void BuildSecondTable(TTimedScore &score)
{
    FillFromSecondTen(score);
    const std::optional<QStringList> lines = ReadScoreFile(score);
    if (!lines || lines->isEmpty())
        return;

    // Walk the seconds with a cursor on the lines. Every line whose time has
    // come (including one whose time runs backwards in a damaged file) is
    // taken in file order, so a second shows the last line logged at or
    // before it; lines at 360 s or later never come.
    qsizetype cursor = 0;
    int current = 0;
    for (int s = 0; s < TimedScoreSeconds; ++s) {
        while (cursor < lines->size()) {
            const TimedScoreLine line = ReadLookedAt(lines->at(cursor));
            if (line.seconds > s)
                break;
            current = line.chars;
            ++cursor;
        }
        score.CharsAtSecond[s] = current;
    }
}

qint32 CharsAt(const TTimedScore &score, int second)
{
    if (second < 0 || second >= TimedScoreSeconds)
        return 0;
    return score.CharsAtSecond[second];
}

int CompareTimedScores(const TTimedScore &a, const TTimedScore &b)
{
    if (a.CorrectCalls != b.CorrectCalls)
        return a.CorrectCalls > b.CorrectCalls ? -1 : 1;
    if (a.CorrectChars != b.CorrectChars)
        return a.CorrectChars > b.CorrectChars ? -1 : 1;
    return 0;
}

void SortTimedScores(std::vector<std::unique_ptr<TTimedScore>> &scores)
{
    std::stable_sort(scores.begin(), scores.end(),
                     [](const auto &a, const auto &b) { return CompareTimedScores(*a, *b) < 0; });
}
