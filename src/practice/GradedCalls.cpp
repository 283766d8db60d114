#include "GradedCalls.h"

#include "TPracticeScore.h"
#include "util/FileUtil.h"
#include "util/SortedTextList.h"
#include "util/TextFile.h"
#include "util/TextUtil.h"

#include <algorithm>

TGradedCall::TGradedCall(const QString &line, const QString &status)
    : call(CopyBounded(line, kCallMax)), good(status.contains(u"Good"))
{
}

std::vector<TGradedCall> GradeLog(const QStringList &logLines, const QStringList &checkLines)
{
    SortedTextList checkList;
    checkList.addAll(checkLines);
    std::vector<TGradedCall> graded;
    graded.reserve(logLines.size());
    for (const QString &line : logLines)
        graded.emplace_back(line, checkList.contains(line) ? QStringLiteral("Good call")
                                                           : QStringLiteral("Bad call"));
    std::stable_sort(graded.begin(), graded.end(), [](const TGradedCall &a, const TGradedCall &b) {
        if (a.good != b.good)
            return a.good;
        return a.call.compare(b.call, Qt::CaseInsensitive) < 0;
    });
    return graded;
}

std::optional<QString> ReadPracticeLogText(const QString &practiceLogs, const QString &logName)
{
    // The name comes from the history file: it must name a file in the
    // practice log folder, nothing beside or above it.
    if (logName.isEmpty() || !UnsafeNamePart(logName).isEmpty())
        return std::nullopt;
    return TextFile::tryReadText(ResolveCase(JoinPath(practiceLogs, logName)));
}

std::optional<QStringList> ReadPracticeLog(const QString &practiceLogs, const QString &logName)
{
    const std::optional<QString> text = ReadPracticeLogText(practiceLogs, logName);
    return text ? std::optional<QStringList>(TextFile::splitLines(*text)) : std::nullopt;
}

CallAnalysis AnalysePracticeLog(const QString &practiceLogs, const QString &logName, const QString &caseName,
                                const std::vector<const TWaveSourcePair *> &sources)
{
    CallAnalysis analysis;
    const auto log = ReadPracticeLog(practiceLogs, logName);
    if (!log) {
        analysis.problem = QStringLiteral("Requested log file no longer exists");
        return analysis;
    }
    // The history keeps the first characters of a long case name.
    const TWaveSourcePair *source = FindCase(sources, caseName, TPracticeScore::kCaseMax);
    const auto checkLines = source ? TextFile::tryReadLines(source->callsPath()) : std::nullopt;
    if (!checkLines) {
        analysis.problem = QStringLiteral("Requested check list file no longer exists");
        return analysis;
    }
    analysis.logName = logName;
    analysis.caseName = source->caseNameMatches(caseName) ? caseName : source->testCaseName();
    analysis.winningScore = source->winningScore();
    analysis.averageScore = source->averageScore();
    analysis.calls = GradeLog(*log, *checkLines);
    return analysis;
}
