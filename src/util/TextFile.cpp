#include "TextFile.h"

#include <functional>

#include "StationError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <unistd.h>

namespace {

// Windows-1252 code points for the bytes 0x80 to 0x9F; the rest of the
// code page coincides with Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decodeCp1252(const QByteArray &bytes)
{
    QString out;
    out.resize(bytes.size());
    QChar *d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        d[i] = (b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return out;
}

QByteArray encodeLines(const QStringList &lines)
{
    QByteArray out;
    for (const QString &line : lines) {
        out += line.toUtf8();
        out += "\r\n";
    }
    return out;
}

} // namespace

namespace TextFile {

QString decode(const QByteArray &bytes)
{
    // A byte-order mark names the encoding: editors save "Unicode" text as
    // UTF-16 with one, and some put one before UTF-8.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool little = bytes.startsWith("\xFF\xFE");
        QStringDecoder utf16(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return utf16.decode(QByteArrayView(bytes).sliced(2));
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decode(bytes.sliced(3));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    // Not UTF-8 as a whole: decide line by line, so a file that an old
    // installation and a new one both appended to reads right everywhere.
    QString mixed;
    mixed.reserve(bytes.size());
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        const QByteArray line = bytes.mid(start, end - start);
        QStringDecoder lineDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = lineDecoder.decode(line);
        mixed += lineDecoder.hasError() ? decodeCp1252(line) : decoded;
        if (end < bytes.size())
            mixed += u'\n';
        start = end + 1;
    }
    return mixed;
}

void forEachLine(QStringView text, const std::function<void(QStringView)> &take)
{
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\n' || c == u'\r') {
            take(text.sliced(start, i - start));
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        take(text.sliced(start));
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    forEachLine(text, [&](QStringView line) { lines.append(line.toString()); });
    return lines;
}

std::optional<QString> tryReadText(const QString &path)
{
    // Regular files only: a named pipe or a device would block or never end.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return decode(f.readAll());
}

std::optional<QStringList> tryReadLines(const QString &path)
{
    const std::optional<QString> text = tryReadText(path);
    return text ? std::optional<QStringList>(splitLines(*text)) : std::nullopt;
}

QStringList readLines(const QString &path)
{
    auto lines = tryReadLines(path);
    if (!lines)
        throw StationError::cannotOpen(path);
    return *lines;
}

bool tryWriteLines(const QString &path, const QStringList &lines)
{
    // Into a temporary file beside the target, renamed over it only when
    // every byte is on the disk. QSaveFile's commit() alone is not enough: on
    // a full disk its buffered write fails late, and commit() still renames
    // the short file over the old one.
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = encodeLines(lines);
    const bool written = f.write(bytes) == bytes.size() && f.flush() && f.error() == QFileDevice::NoError &&
                         ::fdatasync(f.handle()) == 0;
    if (!written) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

void writeLines(const QString &path, const QStringList &lines)
{
    if (!tryWriteLines(path, lines))
        throw StationError::cannotCreate(path);
}

bool tryAppendLine(const QString &path, const QString &line)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    // A line always starts on a line of its own, also after a last line that
    // lost its line end (edited by hand, or cut by a crash).
    QByteArray bytes = encodeLines({line});
    const qint64 size = f.size();
    char last = '\n';
    if (size > 0 && !(f.seek(size - 1) && f.getChar(&last)))
        return false;
    if (last != '\n' && last != '\r')
        bytes.prepend("\r\n");
    // On the disk before we return: a crash or a power cut keeps the line.
    return f.seek(size) && f.write(bytes) == bytes.size() && f.flush() && ::fdatasync(f.handle()) == 0;
}

} // namespace TextFile
