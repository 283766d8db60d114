#pragma once
// The ranking of all standalone logs: every ".log" file under the
// StandAloneLogs folder (sub-folders included, each log read where it lies)
// is scored against the standalone calls file, and the result lines
// "name,calls,chars" come back in ranking order.

#include <QString>
#include <QStringList>

#include <vector>

// A log file found by the recursive search: its folder (ending with a
// separator) and its bare file name.
struct FoundLog
{
    QString folder;
    QString fileName;
};

// Every regular file whose name ends in ".log" (letter case ignored) under
// `folder` and its sub-folders, depth first: each folder's own files in name
// order, then its sub-folders in name order (names compared without regard
// to letter case). Linked folders are not followed; readability is not
// checked here, so an unreadable log is reported when it is scored.
std::vector<FoundLog> FindAllLogFiles(const QString &folder);

// Scores every log under `standAloneLogsFolder` against the check list at
// `standAloneCallsPath` and returns one result line per log (cut to 50
// characters): more correct calls first, then more characters, then the
// player's name in alphabetical order without regard to letter case (and
// the log's path, so the order never depends on the file system). Raises
// "Cannot open file %s" when the calls file or a log cannot be read; the
// calls file is read first, so a missing one fails even without logs.
QStringList ScoreStandAloneLogs(const QString &standAloneLogsFolder, const QString &standAloneCallsPath);
