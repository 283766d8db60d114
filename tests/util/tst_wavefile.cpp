// Reading the layout of wave files: the formats the station plays, chunk
// walking, headers that lie, formats it refuses, and damaged headers.

#include "util/StationError.h"
#include "util/WaveFile.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// A chunk with its header; odd bodies get their pad byte unless `declaredSize` overrides the size.
QByteArray chunk(const char *id, const QByteArray &body, std::optional<quint32> declaredSize = {})
{
    QByteArray c = QByteArray(id, 4) + le32(declaredSize.value_or(quint32(body.size()))) + body;
    if (body.size() % 2)
        c.append('\0');
    return c;
}

struct Fmt
{
    quint16 tag = 1;
    quint16 channels = 1;
    quint32 rate = 8000;
    quint16 bits = 16;
    std::optional<quint16> blockAlign;
    bool extensible = false;
    quint16 subformat = 1; // of an extensible header
};

QByteArray fmtBody(const Fmt &f)
{
    const quint16 align = f.blockAlign.value_or(quint16(f.channels * f.bits / 8));
    QByteArray b = le16(f.extensible ? 0xFFFE : f.tag) + le16(f.channels) + le32(f.rate) +
                   le32(f.rate * align) + le16(align) + le16(f.bits);
    if (f.extensible) {
        b += le16(22) + le16(f.bits) + le32(f.channels == 2 ? 3 : 4);
        b += le16(f.subformat) + QByteArray::fromHex("000000001000800000aa00389b71");
    }
    return b;
}

// `frames` frames whose bytes count up, so a test can tell where data start.
QByteArray samples(const Fmt &f, qint64 frames)
{
    QByteArray d(frames * f.channels * f.bits / 8, '\0');
    for (qsizetype i = 0; i < d.size(); ++i)
        d[i] = char(i % 251);
    return d;
}

QByteArray riff(const QByteArray &chunks, std::optional<quint32> riffSize = {})
{
    return "RIFF" + le32(riffSize.value_or(quint32(chunks.size() + 4))) + "WAVE" + chunks;
}

QByteArray simpleWave(const Fmt &f, qint64 frames)
{
    return riff(chunk("fmt ", fmtBody(f)) + chunk("data", samples(f, frames)));
}

WaveFile readBytes(const QByteArray &bytes, const QString &name = QStringLiteral("test.wav"))
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return WaveFile::read(buffer, name);
}

QString errorOf(const QByteArray &bytes, const QString &name = QStringLiteral("test.wav"))
{
    try {
        readBytes(bytes, name);
    } catch (const StationError &e) {
        return e.text();
    }
    return {};
}

} // namespace

class TestWaveFile : public QObject
{
    Q_OBJECT

private slots:
    void playableFormats_data();
    void playableFormats();
    void headersThatLie();
    void refusedFiles_data();
    void refusedFiles();
    void filesOnDisk();
    void timeConversions();
    void mutatedHeadersNeverCrash();
};

void TestWaveFile::playableFormats_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("bits");
    QTest::addColumn<qint64>("frames");
    QTest::addColumn<qint64>("lengthMs");

    const Fmt mono8{1, 1, 8000, 8, {}, false, 1};
    QTest::newRow("8-bit mono 8000") << simpleWave(mono8, 8000) << 1 << 8000 << 8 << qint64(8000)
                                     << qint64(1000);

    const Fmt stereo16{1, 2, 44100, 16, {}, false, 1};
    QTest::newRow("16-bit stereo 44100")
        << simpleWave(stereo16, 44100 * 2 + 441) << 2 << 44100 << 16 << qint64(88641) << qint64(2010);

    // 16537 frames at 11025 Hz are 1499.95 ms: lengths round down.
    const Fmt mono11k{1, 1, 11025, 16, {}, false, 1};
    QTest::newRow("16-bit mono 11025")
        << simpleWave(mono11k, 16537) << 1 << 11025 << 16 << qint64(16537) << qint64(1499);

    Fmt ext{1, 2, 22050, 16, {}, true, 1};
    QTest::newRow("extensible PCM") << simpleWave(ext, 22050) << 2 << 22050 << 16 << qint64(22050)
                                    << qint64(1000);

    const QByteArray list = chunk("LIST", "INFOISFT" + le32(6) + QByteArray("Vorlix"));
    QTest::newRow("LIST before data")
        << riff(chunk("fmt ", fmtBody(mono11k)) + list + chunk("data", samples(mono11k, 11025))) << 1 << 11025
        << 16 << qint64(11025) << qint64(1000);

    // An odd-sized chunk is followed by a pad byte the size does not count.
    const QByteArray odd = chunk("junk", QByteArray(7, 'x'));
    QTest::newRow("odd chunk before data")
        << riff(chunk("fmt ", fmtBody(mono8)) + odd + chunk("data", samples(mono8, 400))) << 1 << 8000 << 8
        << qint64(400) << qint64(50);

    // An odd-sized data chunk of 8-bit samples, then a trailing chunk.
    QTest::newRow("odd data then LIST")
        << riff(chunk("fmt ", fmtBody(mono8)) + chunk("data", samples(mono8, 8001)) + list) << 1 << 8000 << 8
        << qint64(8001) << qint64(1000);

    QTest::newRow("format after data")
        << riff(chunk("data", samples(stereo16, 4410)) + chunk("fmt ", fmtBody(stereo16))) << 2 << 44100 << 16
        << qint64(4410) << qint64(100);

    QTest::newRow("longer format chunk")
        << riff(chunk("fmt ", fmtBody(mono8) + le16(0)) + chunk("data", samples(mono8, 80))) << 1 << 8000 << 8
        << qint64(80) << qint64(10);

    QTest::newRow("zero-length data") << simpleWave(mono8, 0) << 1 << 8000 << 8 << qint64(0) << qint64(0);
}

void TestWaveFile::playableFormats()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, channels);
    QFETCH(int, rate);
    QFETCH(int, bits);
    QFETCH(qint64, frames);
    QFETCH(qint64, lengthMs);
    const WaveFile wave = readBytes(bytes);
    QCOMPARE(wave.channels(), channels);
    QCOMPARE(wave.sampleRate(), rate);
    QCOMPARE(wave.bitsPerSample(), bits);
    QCOMPARE(wave.frameCount(), frames);
    QCOMPARE(wave.dataBytes(), frames * wave.bytesPerFrame());
    QCOMPARE(wave.lengthMs(), lengthMs);
    // The data offset points at the first sample byte (the pattern starts at 0, 1, 2...).
    if (frames > 0) {
        QVERIFY(wave.dataOffset() + wave.dataBytes() <= bytes.size());
        QCOMPARE(bytes.mid(wave.dataOffset(), 3), QByteArray::fromHex("000102"));
    }
}

void TestWaveFile::headersThatLie()
{
    const Fmt mono16{1, 1, 8000, 16, {}, false, 1};
    const QByteArray format = chunk("fmt ", fmtBody(mono16));

    // A recording cut short: the data chunk claims a minute, the file holds 0.5 s.
    const WaveFile truncated = readBytes(riff(format + chunk("data", samples(mono16, 4000), 8000u * 2 * 60)));
    QCOMPARE(truncated.frameCount(), qint64(4000));
    QCOMPARE(truncated.lengthMs(), qint64(500));

    // Cut in the middle of a frame: only whole frames count.
    const WaveFile halfFrame =
        readBytes(riff(format + "data" + le32(8000u * 2) + samples(mono16, 4000) + "x"));
    QCOMPARE(halfFrame.frameCount(), qint64(4000));
    QCOMPARE(halfFrame.dataBytes() % 2, qint64(0));

    // Writers that stream leave the sizes at their largest value.
    const WaveFile streamed =
        readBytes(riff(format + chunk("data", samples(mono16, 800), 0xFFFFFFFFu), 0xFFFFFFFFu));
    QCOMPARE(streamed.lengthMs(), qint64(100));

    // A RIFF size that is too small is ignored: the chunks are where they are.
    const WaveFile smallRiff = readBytes(riff(format + chunk("data", samples(mono16, 800)), 4));
    QCOMPARE(smallRiff.lengthMs(), qint64(100));

    // An empty data chunk opens with length 0.
    const WaveFile empty = readBytes(riff(format + chunk("data", {})));
    QCOMPARE(empty.lengthMs(), qint64(0));
    QCOMPARE(empty.frameCount(), qint64(0));

    // A wrong byte rate is ignored; it follows from the other fields.
    QByteArray badByteRate = fmtBody(mono16);
    badByteRate.replace(8, 4, le32(12345));
    QCOMPARE(readBytes(riff(chunk("fmt ", badByteRate) + chunk("data", samples(mono16, 80)))).lengthMs(),
             qint64(10));
}

void TestWaveFile::refusedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    const QString notPcm = QStringLiteral("test.wav is not a PCM wave file of 8 or 16 bits");
    const QString notWave = QStringLiteral("test.wav is not a wave file");
    const QString invalid = QStringLiteral("test.wav is not a valid wave file: ");
    const Fmt pcm{1, 1, 8000, 16, {}, false, 1};
    auto with = [](Fmt f, auto change) {
        change(f);
        return simpleWave(f, 100);
    };

    QTest::newRow("empty") << QByteArray() << notWave;
    QTest::newRow("garbage") << QByteArray("\x13\x37 this is no audio at all, just some text") << notWave;
    QTest::newRow("RIFF but not WAVE") << ("RIFF" + le32(4) + "AVI ") << notWave;
    QTest::newRow("big-endian RIFX") << simpleWave(pcm, 10).replace(0, 4, "RIFX") << notWave;
    QTest::newRow("header only") << riff({}) << invalid + "it has no format chunk";
    QTest::newRow("no format chunk") << riff(chunk("data", samples(pcm, 10)))
                                     << invalid + "it has no format chunk";
    QTest::newRow("no data chunk") << riff(chunk("fmt ", fmtBody(pcm)) + chunk("LIST", "INFO"))
                                   << invalid + "it has no data chunk";
    QTest::newRow("format chunk too short")
        << riff(chunk("fmt ", fmtBody(pcm).left(14)) + chunk("data", samples(pcm, 10)))
        << invalid + "the format chunk is too short";
    QTest::newRow("format chunk cut by end of file")
        << riff(chunk("data", samples(pcm, 10)) + chunk("fmt ", fmtBody(pcm)).left(20))
        << invalid + "the format chunk is cut short";
    QTest::newRow("float") << with(pcm, [](Fmt &f) { f.tag = 3, f.bits = 32; }) << notPcm;
    QTest::newRow("24 bits") << with(pcm, [](Fmt &f) { f.bits = 24; }) << notPcm;
    QTest::newRow("32-bit integers") << with(pcm, [](Fmt &f) { f.bits = 32; }) << notPcm;
    QTest::newRow("4 bits") << with(pcm, [](Fmt &f) { f.bits = 4, f.blockAlign = 1; }) << notPcm;
    QTest::newRow("ADPCM") << with(pcm, [](Fmt &f) { f.tag = 2; }) << notPcm;
    QTest::newRow("mu-law") << with(pcm, [](Fmt &f) { f.tag = 7, f.bits = 8; }) << notPcm;
    QTest::newRow("extensible float")
        << with(pcm, [](Fmt &f) { f.extensible = true, f.subformat = 3, f.bits = 32; }) << notPcm;
    QTest::newRow("extensible 24 bits")
        << with(pcm, [](Fmt &f) { f.extensible = true, f.bits = 24; }) << notPcm;
    QTest::newRow("extensible cut short")
        << riff(chunk("fmt ", fmtBody({1, 1, 8000, 16, {}, true, 1}).left(24)) +
                chunk("data", samples(pcm, 10)))
        << invalid + "the extensible format chunk is too short";
    QTest::newRow("no channels") << with(pcm, [](Fmt &f) { f.channels = 0, f.blockAlign = 2; })
                                 << invalid + "it has no channels";
    QTest::newRow("six channels") << with(pcm, [](Fmt &f) { f.channels = 6; })
                                  << "test.wav has 6 channels; only mono and stereo wave files can be played";
    QTest::newRow("rate 0") << with(pcm, [](Fmt &f) { f.rate = 0; }) << invalid + "its sample rate is 0";
    QTest::newRow("rate 96000") << with(pcm, [](Fmt &f) {
        f.rate = 96000;
    }) << "test.wav has a sample rate of 96000 Hz; wave files of 8000 to 48000 Hz can be played";
    QTest::newRow("rate 4000") << with(pcm, [](Fmt &f) {
        f.rate = 4000;
    }) << "test.wav has a sample rate of 4000 Hz; wave files of 8000 to 48000 Hz can be played";
    QTest::newRow("block align 3") << with(pcm, [](Fmt &f) { f.blockAlign = 3; })
                                   << invalid + "a block align of 3 does not suit 1 channel(s) of 16 bits";
    QTest::newRow("block align 0") << with(pcm, [](Fmt &f) { f.channels = 2, f.blockAlign = 0; })
                                   << invalid + "a block align of 0 does not suit 2 channel(s) of 16 bits";
}

void TestWaveFile::refusedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(errorOf(bytes), text);
}

void TestWaveFile::filesOnDisk()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("pileup.wav"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(simpleWave({1, 1, 11025, 16, {}, false, 1}, 11025 * 2));
    file.close();

    const WaveFile wave = WaveFile::open(path);
    QCOMPARE(wave.path(), path);
    QCOMPARE(wave.lengthMs(), qint64(2000));

    const QString missing = dir.filePath(QStringLiteral("missing.wav"));
    try {
        WaveFile::open(missing);
        QFAIL("a missing file opened");
    } catch (const StationError &e) {
        QCOMPARE(e.text(), QStringLiteral("Cannot open file %1").arg(missing));
    }
    // A folder cannot be read as a file either.
    QVERIFY_THROWS_EXCEPTION(StationError, WaveFile::open(dir.path()));

    // A five-minute recording that claims more than it holds reads its real length.
    const Fmt stereo{1, 2, 44100, 16, {}, false, 1};
    const QString longPath = dir.filePath(QStringLiteral("long.wav"));
    QFile longFile(longPath);
    QVERIFY(longFile.open(QIODevice::WriteOnly));
    longFile.write(riff(chunk("fmt ", fmtBody(stereo))) + "data" + le32(0xF0000000u));
    longFile.write(QByteArray(qint64(44100) * 4 * 300, '\0'));
    longFile.close();
    QCOMPARE(WaveFile::open(longPath).lengthMs(), qint64(300000));
}

void TestWaveFile::timeConversions()
{
    const WaveFile wave = readBytes(simpleWave({1, 1, 11025, 16, {}, false, 1}, 16537));
    QCOMPARE(wave.frameAtMs(-5), qint64(0));
    QCOMPARE(wave.frameAtMs(0), qint64(0));
    QCOMPARE(wave.frameAtMs(1000), qint64(11025));
    QCOMPARE(wave.frameAtMs(std::numeric_limits<qint64>::max()), wave.frameCount());
    QCOMPARE(wave.frameAtMs(wave.lengthMs()), qint64(16526));
    QCOMPARE(wave.msAtFrame(wave.frameCount()), wave.lengthMs());
    QCOMPARE(wave.msAtFrame(-1), qint64(0));
    for (qint64 ms = 0; ms <= wave.lengthMs(); ms += 37)
        QVERIFY(wave.msAtFrame(wave.frameAtMs(ms)) <= ms);

    const WaveFile none;
    QCOMPARE(none.lengthMs(), qint64(0));
    QCOMPARE(none.frameAtMs(100), qint64(0));
}

void TestWaveFile::mutatedHeadersNeverCrash()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("seed %u", seed);
    QRandomGenerator random(seed);
    const QByteArray list = chunk("LIST", "INFOISFT" + le32(5) + QByteArray("Vorl"));
    const QList<QByteArray> originals = {
        simpleWave({1, 1, 8000, 8, {}, false, 1}, 300),
        simpleWave({1, 2, 44100, 16, {}, true, 1}, 300),
        riff(chunk("fmt ", fmtBody({1, 1, 11025, 16, {}, false, 1})) + list +
             chunk("data", samples({1, 1, 11025, 16, {}, false, 1}, 300))),
    };
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = originals[round % originals.size()];
        const int changes = 1 + random.bounded(4);
        for (int i = 0; i < changes; ++i) {
            const int at = random.bounded(std::min<int>(bytes.size(), 120));
            switch (random.bounded(4)) {
            case 0:
                bytes[at] = char(random.bounded(256));
                break;
            case 1: // a size field gone wild
                bytes.replace(at & ~3, 4, le32(random.generate()));
                break;
            case 2:
                bytes.truncate(random.bounded(bytes.size() + 1));
                break;
            default:
                bytes[at] = char(bytes[at] ^ (1 << random.bounded(8)));
                break;
            }
            if (bytes.isEmpty())
                break;
        }
        try {
            const WaveFile wave = readBytes(bytes);
            ++accepted;
            QVERIFY(wave.channels() == 1 || wave.channels() == 2);
            QVERIFY(wave.bitsPerSample() == 8 || wave.bitsPerSample() == 16);
            QVERIFY(wave.sampleRate() >= 8000 && wave.sampleRate() <= 48000);
            QVERIFY(wave.dataOffset() >= 20);
            QVERIFY(wave.dataBytes() >= 0);
            QVERIFY(wave.dataOffset() + wave.dataBytes() <= bytes.size());
            QCOMPARE(wave.dataBytes() % wave.bytesPerFrame(), qint64(0));
            QCOMPARE(wave.lengthMs(), wave.frameCount() * 1000 / wave.sampleRate());
        } catch (const StationError &e) {
            QVERIFY(e.text().startsWith(QLatin1String("test.wav ")));
        }
    }
    // The mutations leave many files playable, so both paths were taken.
    QVERIFY(accepted > 100);
}

QTEST_GUILESS_MAIN(TestWaveFile)
#include "tst_wavefile.moc"
