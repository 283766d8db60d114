#include "SessionPaths.h"

#include "FileUtil.h"
#include "Instructions.h"
#include "TextFile.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

SessionPaths::SessionPaths(const QString &baseFolder) : m_base(baseFolder)
{
    while (m_base.size() > 1 && m_base.endsWith(u'/'))
        m_base.chop(1);
}

QString SessionPaths::BaseFolderOf(const QString &executablePath)
{
    const qsizetype sep = executablePath.lastIndexOf(u'/');
    if (sep < 0)
        return QStringLiteral(".");
    if (sep == 0)
        return QStringLiteral("/");
    return executablePath.left(sep);
}

QString SessionPaths::sub(QStringView relative) const
{
    return ResolveCase(JoinPath(m_base, relative.toString()));
}

void SessionPaths::CreateFolderTree() const
{
    const QString folders[] = {networkedLogs(),         demoLogs(),     standAloneLogs(),
                               standAloneTimedScores(), practiceLogs(), practiceTimedScores()};
    for (const QString &folder : folders) {
        if (!QFileInfo(folder).isDir())
            QDir().mkdir(folder);
    }
}

bool SessionPaths::EnsurePracticeHistory() const
{
    const QString path = practiceHistory();
    if (QFileInfo::exists(path))
        return true;
    return TextFile::tryWriteLines(path, {QString::fromLatin1(kHistoryHeader)});
}

QStringList SessionPaths::stationFiles() const
{
    // Joined as they are named, without looking up their letter case on the
    // disk: the callers compare paths without regard to case, and start-up
    // stays free of a folder listing per missing file.
    QStringList files;
    for (const char16_t *name : {u"Vorlix_Player_ini.txt", u"DemoCalls.txt", u"PracticeHistory.csv",
                                 u"Vorlix_PRestart.txt", u"Vorlix_Sound.txt", u"zzSAResults.txt"})
        files.append(JoinPath(m_base, QString::fromUtf16(name)));
    for (const QString &name : InstructionFileNames())
        files.append(JoinPath(m_base, name));
    return files;
}

QStringList SessionPaths::logFolders() const
{
    QStringList folders;
    for (const char16_t *name : {u"NetworkedLogs", u"DemoLogs", u"StandAloneLogs", u"PracticeLogs"})
        folders.append(JoinPath(m_base, QString::fromUtf16(name)));
    return folders;
}

QStringList SessionPaths::unwritableFolders() const
{
    QStringList unwritable;
    for (const QString &folder : {m_base, networkedLogs(), demoLogs(), standAloneLogs(),
                                  standAloneTimedScores(), practiceLogs(), practiceTimedScores()}) {
        // access() knows read-only disks and permissions alike, for root too.
        if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
            unwritable.append(folder);
    }
    return unwritable;
}
