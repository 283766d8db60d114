#include "SessionPaths.h"

#include "FileUtil.h"
#include "TextFile.h"

#include <QDir>
#include <QFileInfo>

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
    const QString folders[] = {networkedLogs(), demoLogs(),     standAloneLogs(),
                               standAloneTimedScores(), practiceLogs(), practiceTimedScores()};
    for (const QString &folder : folders) {
        if (!QFileInfo(folder).isDir())
            QDir().mkdir(folder);
    }
}

void SessionPaths::EnsurePracticeHistory() const
{
    const QString path = practiceHistory();
    if (QFileInfo::exists(path))
        return;
    TextFile::tryWriteLines(path, {QString::fromLatin1(kHistoryHeader)});
}
