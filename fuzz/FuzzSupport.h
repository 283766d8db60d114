#pragma once
// Shared pieces of the fuzz targets: one scratch folder per fuzzing process
// for the files a reader under test opens, and a check that stops the run
// (so libFuzzer keeps the input) when a reader breaks one of its promises.

#include <QByteArray>
#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace Fuzz {

// The scratch folder, made on first use below TMPDIR and removed when the
// process ends normally.
inline const QString &ScratchFolder()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/vorlix-fuzz-XXXXXX"));
    static const QString path = [] {
        if (!dir.isValid()) {
            std::fprintf(stderr, "fuzz: cannot create a scratch folder below %s\n",
                         qPrintable(QDir::tempPath()));
            std::abort();
        }
        return dir.path();
    }();
    return path;
}

inline QByteArrayView Bytes(const uint8_t *data, size_t size)
{
    return QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
}

// Replaces the file at `path` with exactly `bytes`; a failure is the
// harness's own fault, so it stops the run.
inline void WriteFile(const QString &path, QByteArrayView bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(bytes.data(), bytes.size()) != bytes.size()) {
        std::fprintf(stderr, "fuzz: cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

inline QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

[[noreturn]] inline void Failed(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "fuzz: %s:%d: broken promise: %s\n", file, line, what);
    std::abort();
}

} // namespace Fuzz

#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            Fuzz::Failed(#condition, __FILE__, __LINE__);                                                    \
    } while (false)
