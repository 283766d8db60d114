#include "TempBase.h"

#include "util/StationError.h"

#include <csignal>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cmath>

TempBase::TempBase() : m_path(m_dir.path()) {}

QString TempBase::file(const QString &relative) const
{
    return m_path + u'/' + relative;
}

void TempBase::CopyShippedData() const
{
    const QDir data(QStringLiteral(VORLIX_DATA_DIR));
    for (const QString &name :
         data.entryList({QStringLiteral("*Instruct.txt"), QStringLiteral("DemoCalls.txt")}))
        QFile::copy(data.filePath(name), file(name));
}

void TempBase::Write(const QString &relative, const QByteArray &bytes) const
{
    const QString target = file(relative);
    QDir().mkpath(QFileInfo(target).path());
    QFile f(target);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

void TempBase::WriteLines(const QString &relative, const QStringList &lines) const
{
    QByteArray bytes;
    for (const QString &l : lines)
        bytes += l.toUtf8() + "\r\n";
    Write(relative, bytes);
}

QByteArray TempBase::Read(const QString &relative) const
{
    QFile f(file(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TempBase::SetModified(const QString &relative, const QDateTime &time) const
{
    QFile f(file(relative));
    if (f.open(QIODevice::ReadWrite))
        f.setFileTime(time, QFileDevice::FileModificationTime);
}

void TempBase::WriteConfig(const QStringList &lines) const
{
    CopyShippedData();
    WriteLines(QStringLiteral("Vorlix_Player_ini.txt"), lines);
}

QByteArray MakeWave(int sampleRate, int bits, int channels, int milliseconds)
{
    const int frames = int(qint64(sampleRate) * milliseconds / 1000);
    const int bytesPerSample = bits / 8;
    QByteArray data;
    data.reserve(frames * channels * bytesPerSample);
    for (int i = 0; i < frames; ++i) {
        const double v = 0.25 * std::sin(2 * M_PI * 600.0 * i / sampleRate);
        for (int c = 0; c < channels; ++c) {
            if (bits == 8) {
                data.append(char(quint8(128 + v * 127)));
            } else {
                const qint16 s = qint16(v * 32767);
                data.append(char(s & 0xff));
                data.append(char((s >> 8) & 0xff));
            }
        }
    }
    QByteArray out;
    auto u32 = [&](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    auto u16 = [&](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    };
    out += "RIFF";
    u32(36 + data.size());
    out += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(channels);
    u32(sampleRate);
    u32(sampleRate * channels * bytesPerSample);
    u16(channels * bytesPerSample);
    u16(bits);
    out += "data";
    u32(data.size());
    out += data;
    return out;
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    // The kernel signals a write past the limit; the failed write is enough.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    m_saved = qint64(limit.rlim_cur);
    limit.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_saved);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

QString StationErrorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const StationError &e) {
        return e.text();
    }
    return QString();
}
