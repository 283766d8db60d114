#pragma once
// The layout of one RIFF/WAVE file: its PCM format and where its sample data
// lie in the file. Only the chunk headers and the format chunk are read, so
// opening a recording of any length costs a handful of small reads; the
// samples themselves are streamed by whoever plays them.
//
// Accepted: PCM (format 1, or WAVE_FORMAT_EXTENSIBLE with the PCM
// subformat), 8 or 16 bits, mono or stereo, 8000 to 48000 samples per second.
// Unknown chunks (LIST, fact, cue...) are skipped, odd-sized chunks honour
// their pad byte. A data chunk that claims more bytes than the file holds
// yields the bytes really present, cut to whole frames, so a truncated
// recording plays what it has; a file without one whole frame of samples is
// refused, whatever its header says. Anything else raises a StationError
// whose text names the file and the reason. Header values are checked before
// they are used; no buffer is ever sized from them.

#include <QString>

class QIODevice;

class WaveFile
{
public:
    WaveFile() = default;

    // Reads the layout of the file at `path`; raises "Cannot open file %s"
    // when it cannot be read, or a text naming the defect.
    static WaveFile open(const QString &path);
    // Reads the layout from an open, random-access device; `name` is used in
    // the error texts and kept as the path.
    static WaveFile read(QIODevice &device, const QString &name);

    const QString &path() const { return m_path; }
    int channels() const { return m_channels; }
    int sampleRate() const { return m_sampleRate; }
    int bitsPerSample() const { return m_bitsPerSample; }
    int bytesPerFrame() const { return m_channels * m_bitsPerSample / 8; }
    // Offset of the first sample byte in the file, and the number of sample
    // bytes present (always whole frames).
    qint64 dataOffset() const { return m_dataOffset; }
    qint64 dataBytes() const { return m_dataBytes; }
    qint64 frameCount() const;

    // Length in milliseconds, rounded down: frames * 1000 / rate.
    qint64 lengthMs() const;
    // The frame that plays at `ms` (rounded down), kept within 0..frameCount().
    qint64 frameAtMs(qint64 ms) const;
    // The time of a frame in milliseconds, rounded down.
    qint64 msAtFrame(qint64 frame) const;

private:
    QString m_path;
    int m_channels = 0;
    int m_sampleRate = 0;
    int m_bitsPerSample = 0;
    qint64 m_dataOffset = 0;
    qint64 m_dataBytes = 0;
};
