#include "util/WaveFile.h"

#include "util/StationError.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr quint16 FormatPcm = 0x0001;
constexpr quint16 FormatExtensible = 0xFFFE;
constexpr int MinSampleRate = 8000;
constexpr int MaxSampleRate = 48000;
// The format chunk of WAVE_FORMAT_EXTENSIBLE is the longest one we look at.
constexpr int ExtensibleFormatSize = 40;

// KSDATAFORMAT_SUBTYPE_PCM: the format tag 0x0001 followed by the fixed tail
// 00000000-0010-8000-00AA00389B71.
constexpr std::array<unsigned char, 16> PcmSubformat = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                                        0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

quint16 le16(const unsigned char *p)
{
    return qFromLittleEndian<quint16>(p);
}

quint32 le32(const unsigned char *p)
{
    return qFromLittleEndian<quint32>(p);
}

// Reads exactly `count` bytes at `offset`; false when they are not all there.
bool readAt(QIODevice &device, qint64 offset, unsigned char *into, qint64 count)
{
    if (offset < 0 || offset + count > device.size() || !device.seek(offset))
        return false;
    return device.read(reinterpret_cast<char *>(into), count) == count;
}

[[noreturn]] void invalid(const QString &name, const QString &reason)
{
    throw StationError(QStringLiteral("%1 is not a valid wave file: %2").arg(name, reason));
}

[[noreturn]] void unsupportedEncoding(const QString &name)
{
    throw StationError(QStringLiteral("%1 is not a PCM wave file of 8 or 16 bits").arg(name));
}

struct Format
{
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
};

// Checks the format chunk (`size` bytes, of which the first `have` are in
// `fmt`) and returns the format it describes.
Format parseFormat(const unsigned char *fmt, quint32 size, const QString &name)
{
    if (size < 16)
        invalid(name, QStringLiteral("the format chunk is too short"));
    const quint16 tag = le16(fmt);
    Format f;
    f.channels = le16(fmt + 2);
    const quint32 rate = le32(fmt + 4);
    const quint16 blockAlign = le16(fmt + 12);
    f.bitsPerSample = le16(fmt + 14);

    if (tag == FormatExtensible) {
        if (size < ExtensibleFormatSize || le16(fmt + 16) < 22)
            invalid(name, QStringLiteral("the extensible format chunk is too short"));
        const quint16 validBits = le16(fmt + 18);
        if (validBits > f.bitsPerSample)
            invalid(
                name,
                QStringLiteral("%1 valid bits in samples of %2 bits").arg(validBits).arg(f.bitsPerSample));
        if (std::memcmp(fmt + 24, PcmSubformat.data(), PcmSubformat.size()) != 0)
            unsupportedEncoding(name);
    } else if (tag != FormatPcm) {
        unsupportedEncoding(name);
    }

    if (f.channels == 0)
        invalid(name, QStringLiteral("it has no channels"));
    if (rate == 0)
        invalid(name, QStringLiteral("its sample rate is 0"));
    if (f.bitsPerSample != 8 && f.bitsPerSample != 16)
        unsupportedEncoding(name);
    if (f.channels > 2)
        throw StationError(QStringLiteral("%1 has %2 channels; only mono and stereo wave files can be played")
                               .arg(name)
                               .arg(f.channels));
    if (rate < MinSampleRate || rate > MaxSampleRate)
        throw StationError(
            QStringLiteral("%1 has a sample rate of %2 Hz; wave files of %3 to %4 Hz can be played")
                .arg(name)
                .arg(rate)
                .arg(MinSampleRate)
                .arg(MaxSampleRate));
    f.sampleRate = int(rate);
    if (blockAlign != f.channels * f.bitsPerSample / 8)
        invalid(name, QStringLiteral("a block align of %1 does not suit %2 channel(s) of %3 bits")
                          .arg(blockAlign)
                          .arg(f.channels)
                          .arg(f.bitsPerSample));
    // The byte rate field is not checked: writers often get it wrong, and it
    // follows from the fields above anyway.
    return f;
}

} // namespace

WaveFile WaveFile::open(const QString &path)
{
    // Regular files only: opening a named pipe would wait for a writer.
    QFile file(path);
    if (path.isEmpty() || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw StationError::cannotOpen(path);
    return read(file, path);
}

WaveFile WaveFile::read(QIODevice &device, const QString &name)
{
    const qint64 size = device.size();
    std::array<unsigned char, 12> riff{};
    if (!readAt(device, 0, riff.data(), 12) || std::memcmp(riff.data(), "RIFF", 4) != 0 ||
        std::memcmp(riff.data() + 8, "WAVE", 4) != 0)
        throw StationError(QStringLiteral("%1 is not a wave file").arg(name));

    // The RIFF size is ignored: the chunks are walked up to the real end of
    // the file, which tolerates writers that never filled it in.
    std::array<unsigned char, ExtensibleFormatSize> fmt{};
    quint32 fmtSize = 0;
    bool haveFmt = false;
    bool haveData = false;
    qint64 dataOffset = 0;
    qint64 dataBytes = 0;
    qint64 at = 12;
    std::array<unsigned char, 8> header{};
    while (!(haveFmt && haveData) && readAt(device, at, header.data(), 8)) {
        const quint32 chunkSize = le32(header.data() + 4);
        const qint64 body = at + 8;
        if (std::memcmp(header.data(), "fmt ", 4) == 0 && !haveFmt) {
            fmtSize = chunkSize;
            const qint64 want = std::min<qint64>(chunkSize, ExtensibleFormatSize);
            if (!readAt(device, body, fmt.data(), want))
                invalid(name, QStringLiteral("the format chunk is cut short"));
            haveFmt = true;
        } else if (std::memcmp(header.data(), "data", 4) == 0 && !haveData) {
            dataOffset = body;
            dataBytes = std::min<qint64>(chunkSize, size - body);
            haveData = true;
        }
        // Every step moves at least 8 bytes on, so the walk always ends.
        at = body + qint64(chunkSize) + (chunkSize & 1);
    }
    if (!haveFmt)
        invalid(name, QStringLiteral("it has no format chunk"));
    if (!haveData)
        invalid(name, QStringLiteral("it has no data chunk"));

    const Format f = parseFormat(fmt.data(), fmtSize, name);
    WaveFile wave;
    wave.m_path = name;
    wave.m_channels = f.channels;
    wave.m_sampleRate = f.sampleRate;
    wave.m_bitsPerSample = f.bitsPerSample;
    wave.m_dataOffset = dataOffset;
    wave.m_dataBytes = dataBytes - dataBytes % wave.bytesPerFrame();
    // A header that promises samples the file does not hold would open as a
    // recording of no length, and a test would start and end in silence.
    if (wave.m_dataBytes == 0)
        throw StationError(
            QStringLiteral("%1 has no samples to play (its data chunk is empty or cut off)").arg(name));
    return wave;
}

qint64 WaveFile::frameCount() const
{
    return m_channels > 0 ? m_dataBytes / bytesPerFrame() : 0;
}

qint64 WaveFile::lengthMs() const
{
    return msAtFrame(frameCount());
}

qint64 WaveFile::frameAtMs(qint64 ms) const
{
    if (m_sampleRate <= 0 || ms <= 0)
        return 0;
    const qint64 frames = frameCount();
    // Clamp before multiplying so a wild position cannot overflow.
    if (ms >= lengthMs() + 1)
        return frames;
    return std::min(frames, ms * m_sampleRate / 1000);
}

qint64 WaveFile::msAtFrame(qint64 frame) const
{
    if (m_sampleRate <= 0 || frame <= 0)
        return 0;
    return frame * 1000 / m_sampleRate;
}
