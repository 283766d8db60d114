#pragma once
// File-system routines: paths joined the station's way, file names matched
// without regard to letter case (as players expect from their old Windows
// installations), file times to the minute and the recursive listings.

#include <QDateTime>
#include <QString>
#include <QStringList>

// The "zero date" of a file time that could not be read: 30 Dec 1899, 00:00.
QDateTime ZeroDateTime();

// folder + separator + relative name; backslashes in the relative name (as
// written in configuration files) become separators.
QString JoinPath(const QString &folder, const QString &relative);

// What keeps `name` from being one plain file name inside a folder, on Linux
// and on the Windows machines the station's files travel to: "/" or "\\",
// "..", a control character, or one of : * ? " < > |. Returns the first such
// character (or ".."); empty when the name is plain.
QString UnsafeNamePart(const QString &name);
// `name` with every character that UnsafeNamePart objects to, and every dot
// of a "..", replaced by '_': a plain name for files the station makes up
// itself from typed text.
QString PlainName(const QString &name);

// Whether Windows takes `name` for a device whatever its extension ("CON",
// "nul.log", "COM1.txt"), should the files ever travel to such a machine.
bool IsDeviceName(const QString &name);

// Why a typed call sign cannot name a log file, in the words box 1 uses
// ("Please do not use the / as part of your call sign"...); empty when it
// can. Blank text, '/', ',' and whatever UnsafeNamePart objects to.
QString CallSignRefusal(const QString &typed);

// Whether the station may write `path`: an existing file that is writable, or
// a new one in a folder it can write to. Nothing is created.
bool CanWriteFile(const QString &path);

// The path of an existing file or folder that equals `path` but for letter
// case, each component matched case-insensitively where the exact one is
// missing; `path` itself when nothing matches.
QString ResolveCase(const QString &path);

// Whether a regular file exists at `path`, letter case of its name ignored.
bool FileExistsAnyCase(const QString &path);

// The last-write time of a file, to the minute; ZeroDateTime() when the file
// cannot be opened for reading.
QDateTime FileDateTime(const QString &path);

// Appends the bare names of the readable ".txt" files of `folder` and of all
// its subfolders, depth first, each folder's own files before its subfolders'.
void ListTextFiles(const QString &folder, QStringList &list);

// The two log searches: bare names of readable log files under `folder`,
// recursively. FindPlayerLogs looks for `<id>.log`, FindAllLogs for `*.log`;
// names are compared without regard to letter case.
void FindPlayerLogs(const QString &folder, const QString &id, QStringList &list);
void FindAllLogs(const QString &folder, QStringList &list);

// Copies the files and folders of `from` into `to` (created as needed),
// keeping files already there; false when any could not be copied.
bool CopyFolderTree(const QString &from, const QString &to);
