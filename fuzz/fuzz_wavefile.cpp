// Fuzz target: the wave file reader. The input is a file the station is told
// to play. When the reader accepts it, the stretches the sound-device backend
// would stream (from the times of a play, a pause and a seek, wild ones
// included) are read through the same data device, and must lie inside the
// sample data of the file.

#include "FuzzSupport.h"
#include "util/StationError.h"
#include "util/WaveDataDevice.h"
#include "util/WaveFile.h"

#include <QtEndian>

#include <limits>

namespace {

// Streams [fromMs, toMs) the way the sound-device backend does; returns the
// number of bytes handed out.
qint64 Stream(QFile &file, const WaveFile &wave, qint64 fromMs, qint64 toMs)
{
    const qint64 frameBytes = wave.bytesPerFrame();
    const qint64 begin = wave.dataOffset() + wave.frameAtMs(fromMs) * frameBytes;
    const qint64 end = wave.dataOffset() + wave.frameAtMs(std::max(fromMs, toMs)) * frameBytes;
    FUZZ_CHECK(begin >= wave.dataOffset() && end <= wave.dataOffset() + wave.dataBytes());
    bool told = false;
    WaveDataDevice device(file, begin, end, [&told] { told = true; });
    FUZZ_CHECK(device.open(QIODevice::ReadOnly));
    char buffer[512];
    qint64 total = 0;
    while (!device.atEnd()) {
        const qint64 got = device.read(buffer, sizeof buffer);
        if (got <= 0)
            break;
        total += got;
    }
    FUZZ_CHECK(total == end - begin);
    FUZZ_CHECK(told == (total > 0));
    return total;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::ScratchFolder() + QStringLiteral("/Pileup.wav");
    Fuzz::WriteFile(path, Fuzz::Bytes(data, size));

    WaveFile wave;
    try {
        wave = WaveFile::open(path);
    } catch (const StationError &error) {
        FUZZ_CHECK(!error.text().isEmpty());
        return 0;
    }

    FUZZ_CHECK(wave.path() == path);
    FUZZ_CHECK(wave.channels() == 1 || wave.channels() == 2);
    FUZZ_CHECK(wave.bitsPerSample() == 8 || wave.bitsPerSample() == 16);
    FUZZ_CHECK(wave.sampleRate() >= 8000 && wave.sampleRate() <= 48000);
    FUZZ_CHECK(wave.dataOffset() >= 20 && wave.dataBytes() >= 0);
    FUZZ_CHECK(wave.dataOffset() + wave.dataBytes() <= qint64(size));
    FUZZ_CHECK(wave.dataBytes() % wave.bytesPerFrame() == 0);
    FUZZ_CHECK(wave.frameCount() * wave.bytesPerFrame() == wave.dataBytes());

    const qint64 length = wave.lengthMs();
    FUZZ_CHECK(length >= 0 && wave.msAtFrame(wave.frameCount()) == length);
    FUZZ_CHECK(wave.frameAtMs(length) <= wave.frameCount());
    FUZZ_CHECK(wave.frameAtMs(length + 1) == wave.frameCount());

    // Times as the station asks for them, and some no caller should send.
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    const qint64 last = size >= 8 ? qFromLittleEndian<qint64>(data + size - 8) : 0;
    const qint64 times[] = {0,
                            1,
                            length / 2,
                            length,
                            length + 1,
                            last,
                            -1,
                            std::numeric_limits<qint64>::min(),
                            std::numeric_limits<qint64>::max()};
    for (const qint64 from : times) {
        const qint64 frame = wave.frameAtMs(from);
        FUZZ_CHECK(frame >= 0 && frame <= wave.frameCount());
        const qint64 second = from > std::numeric_limits<qint64>::max() - 1000 ? from : from + 1000;
        for (const qint64 to : {length, second, last})
            Stream(file, wave, from, to);
    }
    FUZZ_CHECK(Stream(file, wave, 0, length + 1) == wave.dataBytes());
    return 0;
}
