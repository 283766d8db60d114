#include "FileUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <functional>

#include <unistd.h>

QDateTime ZeroDateTime()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

QString JoinPath(const QString &folder, const QString &relative)
{
    QString rel = relative;
    rel.replace(u'\\', u'/');
    if (folder.endsWith(u'/'))
        return folder + rel;
    return folder + u'/' + rel;
}

namespace {

bool UnsafeNameChar(QChar c)
{
    return c.category() == QChar::Other_Control || QStringView(u"/\\:*?\"<>|").contains(c);
}

} // namespace

QString UnsafeNamePart(const QString &name)
{
    for (const QChar c : name) {
        if (UnsafeNameChar(c))
            return QString(c);
    }
    if (name.contains(QStringLiteral("..")))
        return QStringLiteral("..");
    return QString();
}

QString CallSignRefusal(const QString &typed)
{
    if (std::all_of(typed.begin(), typed.end(),
                    [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; }))
        return QStringLiteral("Please enter your call sign or some identifier");
    if (typed.contains(u'/'))
        return QStringLiteral("Please do not use the / as part of your call sign");
    if (typed.contains(u','))
        return QStringLiteral("Please do not use the comma as part of your call sign");
    const QString unsafe = UnsafeNamePart(typed);
    if (unsafe.isEmpty())
        return QString();
    if (unsafe == u"..")
        return QStringLiteral("Please do not use .. as part of your call sign");
    if (unsafe.at(0).category() == QChar::Other_Control)
        return QStringLiteral("Please do not use control characters as part of your call sign");
    return QStringLiteral("Please do not use the %1 as part of your call sign").arg(unsafe);
}

QString PlainName(const QString &name)
{
    QString plain = name;
    for (QChar &c : plain) {
        if (UnsafeNameChar(c))
            c = u'_';
    }
    while (plain.contains(QStringLiteral("..")))
        plain.replace(QStringLiteral(".."), QStringLiteral("__"));
    return plain;
}

bool IsDeviceName(const QString &name)
{
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
    return device.match(name).hasMatch();
}

bool CanWriteFile(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.isFile() && ::access(QFile::encodeName(path).constData(), W_OK) == 0;
    return ::access(QFile::encodeName(info.absolutePath()).constData(), W_OK | X_OK) == 0;
}

QString ResolveCase(const QString &path)
{
    if (path.isEmpty() || QFileInfo::exists(path))
        return path;
    const bool absolute = path.startsWith(u'/');
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    QString current = absolute ? QStringLiteral("/") : QStringLiteral(".");
    QString built = absolute ? QStringLiteral("/") : QString();
    for (const QString &part : parts) {
        const QString exact = JoinPath(current, part);
        QString chosen = part;
        if (!QFileInfo::exists(exact)) {
            const QStringList entries = QDir(current).entryList(QDir::AllEntries | QDir::Hidden |
                                                                QDir::System | QDir::NoDotAndDotDot);
            auto it = std::find_if(entries.begin(), entries.end(), [&](const QString &e) {
                return e.compare(part, Qt::CaseInsensitive) == 0;
            });
            if (it == entries.end())
                return path;
            chosen = *it;
        }
        current = JoinPath(current, chosen);
        built = built.isEmpty() || built == u'/' ? built + chosen : built + u'/' + chosen;
    }
    return built;
}

bool FileExistsAnyCase(const QString &path)
{
    return QFileInfo(ResolveCase(path)).isFile();
}

QDateTime FileDateTime(const QString &path)
{
    // Opening a named pipe would wait for a writer: regular files only.
    if (!QFileInfo(path).isFile())
        return ZeroDateTime();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return ZeroDateTime();
    const QDateTime t = QFileInfo(f).lastModified();
    if (!t.isValid())
        return ZeroDateTime();
    return QDateTime(t.date(), QTime(t.time().hour(), t.time().minute()));
}

namespace {

// Depth-first walk: the matching readable files of a folder, then its
// subfolders in name order.
void SearchTree(const QString &folder, const std::function<bool(const QString &)> &matches, QStringList &list)
{
    const QDir dir(folder);
    const auto sort = QDir::Name | QDir::IgnoreCase;
    // Regular files only: opening a pipe or a device named *.log would hang.
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden, sort)) {
        if (matches(name) && FileDateTime(JoinPath(folder, name)) > ZeroDateTime())
            list.append(name);
    }
    for (const QString &sub : dir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, sort)) {
        const QFileInfo info(JoinPath(folder, sub));
        if (!info.isSymLink())
            SearchTree(info.filePath(), matches, list);
    }
}

} // namespace

void ListTextFiles(const QString &folder, QStringList &list)
{
    SearchTree(
        folder, [](const QString &n) { return n.endsWith(u".txt", Qt::CaseInsensitive); }, list);
}

void FindPlayerLogs(const QString &folder, const QString &id, QStringList &list)
{
    const QString wanted = id + QStringLiteral(".log");
    SearchTree(
        folder, [&](const QString &n) { return n.compare(wanted, Qt::CaseInsensitive) == 0; }, list);
}

void FindAllLogs(const QString &folder, QStringList &list)
{
    SearchTree(
        folder, [](const QString &n) { return n.endsWith(u".log", Qt::CaseInsensitive); }, list);
}

bool CopyFolderTree(const QString &from, const QString &to)
{
    bool copied = QDir().mkpath(to);
    for (const QFileInfo &entry : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = JoinPath(to, entry.fileName());
        if (entry.isDir() && !entry.isSymLink())
            copied = CopyFolderTree(entry.filePath(), target) && copied;
        else if (entry.isFile() && !QFileInfo::exists(target))
            copied = QFile::copy(entry.filePath(), target) && copied;
    }
    return copied;
}
