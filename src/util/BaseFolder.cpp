#include "util/BaseFolder.h"

#include "util/FileUtil.h"
#include "util/SessionPaths.h"

#include <QDir>
#include <QFileInfo>

QString InstalledDataFolder(const QString &executablePath)
{
    return QDir::cleanPath(SessionPaths::BaseFolderOf(executablePath) + QStringLiteral("/../share/vorlix"));
}

bool CanWriteFolder(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

BaseFolderChoice ChooseBaseFolder(const QString &named, const QString &executablePath,
                                  const QString &userDataFolder,
                                  const std::function<bool(const QString &)> &canWrite)
{
    if (!named.isEmpty())
        return {QDir(named).absolutePath(), QString()};
    const QString executableFolder = SessionPaths::BaseFolderOf(executablePath);
    const QString shared = InstalledDataFolder(executablePath);
    const bool installed = QFileInfo::exists(SessionPaths(shared).playerConfig());
    if (!installed && canWrite(executableFolder))
        return {executableFolder, QString()};
    return {QDir(userDataFolder).absolutePath(), installed ? shared : QString()};
}

bool SeedBaseFolder(const BaseFolderChoice &choice)
{
    if (choice.seedFrom.isEmpty() || QFileInfo::exists(SessionPaths(choice.folder).playerConfig()))
        return true;
    return CopyFolderTree(choice.seedFrom, choice.folder);
}
