#include "TimedScore.h"

#include "util/FileUtil.h"
#include "util/TextFile.h"
#include "util/TextUtil.h"

#include <QFile>
#include <QFileInfo>
#include <QStringTokenizer>

#include <algorithm>
#include <optional>

namespace {

// The readers look at the first 50 characters of a line only.
constexpr int LineLookLength = 50;

// The first three comma-separated fields of a line, empty pieces skipped;
// nothing when one of them is missing.
std::optional<TimedScorePoint> ParseLine(QStringView line)
{
    int values[3] = {};
    int count = 0;
    for (QStringView field : qTokenize(line.left(LineLookLength), u',', Qt::SkipEmptyParts)) {
        values[count] = LeadingInt(field);
        if (++count == 3)
            return TimedScorePoint{values[0], values[1], values[2]};
    }
    return std::nullopt;
}

std::optional<std::vector<TimedScorePoint>> ReadScoreFile(const TTimedScore &score)
{
    if (score.FileName.isEmpty())
        return std::nullopt;
    return ReadTimedScore(score.Folder, score.FileName);
}

void FillFromSecondTen(TTimedScore &score)
{
    for (int s = 10; s < TimedScoreSeconds; ++s)
        score.CharsAtSecond[s] = score.CorrectChars;
}

} // namespace

std::optional<std::vector<TimedScorePoint>> ReadTimedScore(const QString &folder, const QString &fileName)
{
    const QString path = ResolveCase(JoinPath(folder, fileName));
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > MaxTimedScoreBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString text = TextFile::decode(file.readAll());

    std::vector<TimedScorePoint> points;
    TimedScorePoint last;
    // Lines end with CR LF, LF or a lone CR; the empty pieces between are
    // blank lines, left out with the other lines lacking their fields.
    for (QStringView line : qTokenize(text, u'\n')) {
        for (QStringView piece : qTokenize(line, u'\r')) {
            // Starting from second 0, `last` also keeps out negative seconds.
            const std::optional<TimedScorePoint> point = ParseLine(piece);
            if (!point || point->seconds < last.seconds || point->seconds >= TimedScoreSeconds)
                continue;
            last = {point->seconds, std::max(last.calls, point->calls), std::max(last.chars, point->chars)};
            points.push_back(last);
        }
    }
    return points;
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
    const std::optional<std::vector<TimedScorePoint>> points = ReadScoreFile(*score);
    if (!points)
        return score;
    score->FileRead = true;
    if (!points->empty()) {
        score->CorrectCalls = points->back().calls;
        score->CorrectChars = points->back().chars;
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
    const std::optional<std::vector<TimedScorePoint>> points = ReadScoreFile(score);
    if (!points || points->size() < 2)
        return;
    // The points run forward in time with counts that never drop, so each
    // second takes the last point at or before it.
    std::size_t next = 0;
    qint32 current = 0;
    for (int s = 0; s < TimedScoreSeconds; ++s) {
        for (; next < points->size() && (*points)[next].seconds <= s; ++next)
            current = (*points)[next].chars;
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
