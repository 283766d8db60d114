// Reading the layout of wave files: the formats the station plays, chunk
// walking, headers that lie, formats it refuses, files without sound, and
// damaged headers.

#include "TempBase.h"
#include "util/StationError.h"
#include "util/WaveFile.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>
#include <numeric>

namespace {

template <typename T> QByteArray le(T v)
{
    QByteArray b(sizeof v, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// A chunk with its header; odd bodies get their pad byte unless `declaredSize` overrides the size.
QByteArray chunk(const char *id, const QByteArray &body, std::optional<quint32> declaredSize = {})
{
    return QByteArray(id, 4) + le(declaredSize.value_or(quint32(body.size()))) + body +
           QByteArray(body.size() % 2, '\0');
}

struct Fmt
{
    quint16 tag = 1, channels = 1;
    quint32 rate = 8000;
    quint16 bits = 16;
    std::optional<quint16> blockAlign = {};
    bool extensible = false;
    quint16 subformat = 1; // of an extensible header
};

QByteArray fmtBody(const Fmt &f)
{
    const quint16 align = f.blockAlign.value_or(quint16(f.channels * f.bits / 8));
    QByteArray b = le<quint16>(f.extensible ? 0xFFFE : f.tag) + le(f.channels) + le(f.rate) +
                   le(f.rate * align) + le(align) + le(f.bits);
    if (f.extensible)
        b += le<quint16>(22) + le(f.bits) + le<quint32>(f.channels == 2 ? 3 : 4) + le(f.subformat) +
             QByteArray::fromHex("000000001000800000aa00389b71");
    return b;
}

// `frames` frames whose bytes count up, so a test can tell where data start.
QByteArray samples(const Fmt &f, qint64 frames)
{
    QByteArray d(frames * f.channels * f.bits / 8, '\0');
    std::iota(d.begin(), d.end(), '\0');
    return d;
}

QByteArray riff(const QByteArray &chunks, std::optional<quint32> riffSize = {})
{
    return "RIFF" + le(riffSize.value_or(quint32(chunks.size() + 4))) + "WAVE" + chunks;
}

QByteArray wave(const Fmt &f, qint64 frames = 100)
{
    return riff(chunk("fmt ", fmtBody(f)) + chunk("data", samples(f, frames)));
}

WaveFile readBytes(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return WaveFile::read(buffer, QStringLiteral("test.wav"));
}

QString errorOf(const QByteArray &bytes)
{
    return StationErrorOf([&] { readBytes(bytes); });
}

} // namespace

class TestWaveFile : public QObject
{
    Q_OBJECT

private slots:
    void playableFormatsAndLyingHeaders()
    {
        const Fmt mono8{1, 1, 8000, 8}, mono16, stereo{1, 2, 44100}, ext{1, 2, 22050, 16, {}, true};
        const QByteArray list = chunk("LIST", "INFOISFT" + le<quint32>(6) + "Vorlix"),
                         fmt16 = chunk("fmt ", fmtBody(mono16));
        QByteArray badByteRate = fmtBody(mono16);
        badByteRate.replace(8, 4, le<quint32>(12345));
        const QList<std::tuple<QByteArray, Fmt, qint64>> cases = {
            {wave(mono8, 8000), mono8, 8000},
            {wave(stereo, 88641), stereo, 88641},
            {wave(ext, 22050), ext, 22050},
            // Chunk walking: odd sizes padded, chunks skipped, the format after the data.
            {riff(chunk("fmt ", fmtBody(mono8)) + chunk("junk", "1234567") + list +
                  chunk("data", samples(mono8, 8001)) + list),
             mono8, 8001},
            {riff(chunk("data", samples(stereo, 4410)) + chunk("fmt ", fmtBody(stereo) + le<quint16>(0))),
             stereo, 4410},
            // Headers that lie: a data chunk claiming more than is there and cut inside a frame (down to
            // a single whole frame), sizes left at their largest by streaming writers, a wrong byte rate.
            {riff(fmt16 + "data" + le<quint32>(16000) + samples(mono16, 4000) + "x"), mono16, 4000},
            {riff(chunk("fmt ", fmtBody(stereo)) + "data" + le<quint32>(16000) + samples(stereo, 1) + "xyz"),
             stereo, 1},
            {riff(fmt16 + chunk("data", samples(mono16, 800), 0xFFFFFFFFu), 0xFFFFFFFFu), mono16, 800},
            {riff(chunk("fmt ", badByteRate) + chunk("data", samples(mono16, 80))), mono16, 80},
        };
        for (const auto &[bytes, f, frames] : cases) {
            QCOMPARE(errorOf(bytes), QString());
            const WaveFile w = readBytes(bytes);
            QCOMPARE((QList<qint64>{w.channels(), w.sampleRate(), w.bitsPerSample(), w.frameCount(),
                                    w.lengthMs(), w.dataBytes()}),
                     (QList<qint64>{f.channels, f.rate, f.bits, frames, frames * 1000 / f.rate,
                                    frames * f.channels * f.bits / 8}));
            // The data offset points at the first sample byte (the pattern starts 0, 1, 2...).
            QVERIFY(w.dataOffset() + w.dataBytes() <= bytes.size() &&
                    bytes.mid(w.dataOffset(), 3) == QByteArray::fromHex("000102"));
        }
    }

    void refusedFiles()
    {
        const QString notPcm = QStringLiteral("test.wav is not a PCM wave file of 8 or 16 bits");
        const QString notWave = QStringLiteral("test.wav is not a wave file");
        const QString invalid = QStringLiteral("test.wav is not a valid wave file: ");
        const QString noSamples =
            QStringLiteral("test.wav has no samples to play (its data chunk is empty or cut off)");
        const Fmt pcm;
        const QList<std::pair<QByteArray, QString>> cases = {
            {QByteArray(), notWave},
            {wave(pcm).replace(0, 4, "RIFX"), notWave},
            {riff(chunk("data", samples(pcm, 10))), invalid + "it has no format chunk"},
            {riff(chunk("fmt ", fmtBody(pcm)) + chunk("LIST", "INFO")), invalid + "it has no data chunk"},
            {riff(chunk("fmt ", fmtBody(pcm).left(14)) + chunk("data", "")),
             invalid + "the format chunk is too short"},
            {riff(chunk("data", "") + chunk("fmt ", fmtBody(pcm)).left(20)),
             invalid + "the format chunk is cut short"},
            {wave({3, 1, 8000, 32}), notPcm},
            {wave({1, 2, 48000, 24}), notPcm},
            {wave({1, 1, 8000, 32, {}, true, 3}), notPcm},
            {riff(chunk("fmt ", fmtBody({1, 1, 8000, 16, {}, true}).left(24)) + chunk("data", "")),
             invalid + "the extensible format chunk is too short"},
            {wave({1, 0, 8000, 16, 2}), invalid + "it has no channels"},
            {wave({1, 6}), "test.wav has 6 channels; only mono and stereo wave files can be played"},
            {wave({1, 1, 0}), invalid + "its sample rate is 0"},
            {wave({1, 1, 96000}),
             "test.wav has a sample rate of 96000 Hz; wave files of 8000 to 48000 Hz can be played"},
            {wave({1, 2, 8000, 16, 3}), invalid + "a block align of 3 does not suit 2 channel(s) of 16 bits"},
            // No sound at all: an empty data chunk, one that promises samples the file does not hold
            // (a header alone), one cut inside its first frame.
            {wave(pcm, 0), noSamples},
            {riff(chunk("fmt ", fmtBody(pcm)) + "data" + le<quint32>(16000)), noSamples},
            {riff(chunk("fmt ", fmtBody({1, 2})) + "data" + le<quint32>(16000) + "abc"), noSamples},
        };
        for (const auto &[bytes, text] : cases)
            QCOMPARE(errorOf(bytes), text);
    }

    void filesOnDiskAndTimeConversions()
    {
        TempBase dir;
        dir.Write("pileup.wav", wave({1, 1, 11025}, 16537));
        const WaveFile w = WaveFile::open(dir.file("pileup.wav"));
        QVERIFY(w.path() == dir.file("pileup.wav") && w.lengthMs() == 1499); // lengths round down
        // Missing files and folders are no wave files (the message is the player's test).
        QVERIFY_THROWS_EXCEPTION(StationError, WaveFile::open(dir.file("missing.wav")));
        QVERIFY_THROWS_EXCEPTION(StationError, WaveFile::open(dir.path()));

        QVERIFY(w.frameAtMs(-5) == 0 && w.frameAtMs(1000) == 11025 && w.frameAtMs(w.lengthMs()) == 16526);
        QCOMPARE(w.frameAtMs(std::numeric_limits<qint64>::max()), w.frameCount());
        for (qint64 ms = 0; ms <= w.lengthMs(); ms += 37)
            QVERIFY(w.msAtFrame(w.frameAtMs(ms)) <= ms);
        QCOMPARE(WaveFile().frameAtMs(100), qint64(0));
    }

    void mutatedHeadersNeverCrash()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);
        const Fmt ext{1, 2, 44100, 16, {}, true};
        const QList<QByteArray> originals = {
            wave({1, 1, 8000, 8}, 300),
            riff(chunk("fmt ", fmtBody(ext)) + chunk("LIST", "INFOISFT") + chunk("data", samples(ext, 300)))};
        int accepted = 0;
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes = originals[round % 2];
            for (int i = 0, changes = 1 + random.bounded(4); i < changes && !bytes.isEmpty(); ++i) {
                const int at = random.bounded(std::min<int>(bytes.size(), 120)), kind = random.bounded(3);
                if (kind == 0)
                    bytes[at] = char(random.bounded(256));
                else if (kind == 1) // a size field gone wild
                    bytes.replace(at & ~3, 4, le(random.generate()));
                else
                    bytes.truncate(random.bounded(bytes.size() + 1));
            }
            const QString error = errorOf(bytes);
            if (!error.isEmpty()) {
                QVERIFY(error.startsWith(QLatin1String("test.wav ")));
                continue;
            }
            const WaveFile w = readBytes(bytes);
            ++accepted;
            QVERIFY((w.channels() == 1 || w.channels() == 2) &&
                    (w.bitsPerSample() == 8 || w.bitsPerSample() == 16));
            QVERIFY(w.sampleRate() >= 8000 && w.sampleRate() <= 48000 && w.dataOffset() >= 20 &&
                    w.dataBytes() > 0 && w.dataOffset() + w.dataBytes() <= bytes.size());
            QCOMPARE(w.dataBytes() % w.bytesPerFrame(), qint64(0));
        }
        QVERIFY(accepted > 100); // both paths were taken
    }
};

QTEST_GUILESS_MAIN(TestWaveFile)
#include "tst_wavefile.moc"
