#pragma once
// Saves a test's calls to its log file at the end of the test. When that
// file cannot be written (a folder gone, a full or read-only disk), the calls
// go to a recovery file in the base folder instead, named so the
// administrator finds it, and the caller learns what to tell the player: no
// typed call is lost and the station can go on with the next player.

#include <QDateTime>
#include <QString>
#include <QStringList>

struct LogSaveResult
{
    bool saved = false;   // the log file holds the calls
    QString recoveryFile; // where the calls went instead (empty: nowhere)
    QString problem;      // what to tell the player; empty when saved
};

// The log file a starting test may use. An earlier log of that name that
// holds calls (a player back after a crash, a test started again) is never
// emptied or replaced: the new test then gets a name of its own beside it,
// "<name>-<yyyyMMdd-hhmmss>.log", and whatever refers to the earlier log
// (the practice history, the administrator) still finds it.
QString FreshLogFile(const QString &logFile, const QDateTime &now);

// The recovery file's name for `player`'s log at `now`:
// "Recovered-<player>-<yyyyMMdd-hhmmss>.log", the player's text made plain.
QString RecoveryFileName(const QString &player, const QDateTime &now);

LogSaveResult SaveLog(const QString &logFile, const QStringList &calls, const QString &baseFolder,
                      const QString &player, const QDateTime &now);
