#pragma once
// The call-by-call analysis of one practice log: every line of the log is an
// entry, good when it stands in the case's check list exactly as typed
// (letter case aside, blanks not trimmed: a call typed with blanks around it
// is bad here, though the scoring forgives them).

#include "util/TWaveSourcePair.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

struct TGradedCall
{
    static constexpr qsizetype kCallMax = 22;

    // Good when the status text contains "Good"; the call cut to 22 characters.
    TGradedCall(const QString &line, const QString &status);

    QString call;
    bool good = false;
};

// Grades the lines of a log against a check list: good entries first, each
// group by call in ascending order without regard to letter case.
std::vector<TGradedCall> GradeLog(const QStringList &logLines, const QStringList &checkLines);

struct CallAnalysis
{
    QString problem; // the message instead of an analysis; empty when there is one
    QString logName;
    QString caseName;
    QString winningScore;
    QString averageScore;
    std::vector<TGradedCall> calls;
};

// The lines of the practice log `logName`, a name in `practiceLogs` (as
// the history gives it); none when it is gone or names anything but a file
// in that folder.
std::optional<QStringList> ReadPracticeLog(const QString &practiceLogs, const QString &logName);
// The same log as one text.
std::optional<QString> ReadPracticeLogText(const QString &practiceLogs, const QString &logName);

// The analysis of the practice log `logName` (a name in `practiceLogs`) of
// the case `caseName`, graded against the first source of that name.
CallAnalysis AnalysePracticeLog(const QString &practiceLogs, const QString &logName, const QString &caseName,
                                const std::vector<const TWaveSourcePair *> &sources);
