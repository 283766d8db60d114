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

// The recovery file's name for `player`'s log at `now`:
// "Recovered-<player>-<yyyyMMdd-hhmmss>.log", the player's text made plain.
QString RecoveryFileName(const QString &player, const QDateTime &now);

LogSaveResult SaveLog(const QString &logFile, const QStringList &calls, const QString &baseFolder,
                      const QString &player, const QDateTime &now);
