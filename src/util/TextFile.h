#pragma once
// Reading and writing the station's plain text files.
//
// Files are read as bytes and decoded as UTF-8 when that is valid, otherwise
// as Windows-1252 (files from older single-byte installations). Lines may end
// with CR LF, LF or a lone CR; a final line end adds no empty line.
// Files are written as UTF-8 with CR LF line ends: whole files are replaced
// atomically (a crash or a full disk leaves the old file), appended lines are
// flushed at once.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace TextFile {

QString decode(const QByteArray &bytes);
QStringList splitLines(const QString &text);
// Hands each line of `text` to `take`, without copying it.
void forEachLine(QStringView text, const std::function<void(QStringView)> &take);

// The decoded text of a file, or nothing when it cannot be opened for reading.
std::optional<QString> tryReadText(const QString &path);
// The lines of a file, or nothing when it cannot be opened for reading.
std::optional<QStringList> tryReadLines(const QString &path);
// The lines of a file; raises "Cannot open file %s" when it cannot be read.
QStringList readLines(const QString &path);

// Replaces the whole file; false when it could not be written (the old
// content then stays as it was).
bool tryWriteLines(const QString &path, const QStringList &lines);
// Same, raising "Cannot create file %s" on failure.
void writeLines(const QString &path, const QStringList &lines);

// Appends one line and has it written through to the disk; false on failure.
bool tryAppendLine(const QString &path, const QString &line);

} // namespace TextFile
