#include "LogSaver.h"

#include "util/FileUtil.h"
#include "util/TextFile.h"

#include <QFileInfo>

QString RecoveryFileName(const QString &player, const QDateTime &now)
{
    const QString who = player.trimmed().isEmpty() ? QStringLiteral("unnamed") : PlainName(player.trimmed());
    return QStringLiteral("Recovered-%1-%2.log").arg(who, now.toString(QStringLiteral("yyyyMMdd-hhmmss")));
}

namespace {

// `path` with `suffix` put before its ".log", made unique in its folder.
QString FreeNameBeside(const QString &path, const QString &suffix)
{
    const QString stem = path.endsWith(QStringLiteral(".log"), Qt::CaseInsensitive) ? path.chopped(4) : path;
    QString name = stem + suffix + QStringLiteral(".log");
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = stem + suffix + QStringLiteral("-%1.log").arg(n);
    return name;
}

} // namespace

QString FreshLogFile(const QString &logFile, const QDateTime &now)
{
    const QFileInfo earlier(logFile);
    if (!earlier.exists() || (earlier.isFile() && earlier.size() == 0))
        return logFile;
    return FreeNameBeside(logFile, u'-' + now.toString(QStringLiteral("yyyyMMdd-hhmmss")));
}

LogSaveResult SaveLog(const QString &logFile, const QStringList &calls, const QString &baseFolder,
                      const QString &player, const QDateTime &now)
{
    LogSaveResult result;
    // The log written through call by call may already hold every call: a
    // failed rewrite (a full disk) then leaves it whole, and it counts.
    if (TextFile::tryWriteLines(logFile, calls) || TextFile::tryReadLines(logFile) == calls) {
        result.saved = true;
        return result;
    }
    result.problem = QStringLiteral("Cannot create file %1").arg(logFile);
    // Never over an earlier recovery: a second failure in the same second
    // gets a name of its own.
    const QString recovery = FreeNameBeside(JoinPath(baseFolder, RecoveryFileName(player, now)), QString());
    if (TextFile::tryWriteLines(recovery, calls)) {
        result.recoveryFile = recovery;
        result.problem += QStringLiteral("\nThe calls of this test were saved in %1").arg(recovery);
    } else {
        result.problem += QStringLiteral("\nThe calls of this test could not be saved anywhere: "
                                         "they stay in the Calls Logged box until the next test starts.");
    }
    return result;
}
