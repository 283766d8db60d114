// The wave player as the windows use it, on the silent backend and a clock
// moved by hand: opening real files, positions, one-shot start and end
// positions, Play/Pause/Resume/Stop/Rewind/Close and their failures.

#include "util/Clock.h"
#include "util/StationError.h"
#include "util/WavePlayer.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
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

// A PCM wave file of silence; `declaredData` overrides the data chunk size.
QByteArray waveBytes(quint16 channels, quint32 rate, quint16 bits, qint64 frames, quint16 tag = 1,
                     std::optional<quint32> declaredData = {})
{
    const quint16 align = quint16(channels * bits / 8);
    const QByteArray fmt =
        le16(tag) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits);
    const QByteArray data(frames * align, bits == 8 ? '\x80' : '\0');
    const QByteArray body = "WAVE" + QByteArray("fmt ") + le32(16) + fmt + "data" +
                            le32(declaredData.value_or(quint32(data.size()))) + data;
    return "RIFF" + le32(quint32(body.size())) + body;
}

} // namespace

class TestWavePlayer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void operationsWithoutFile();
    void openAndLength();
    void openFailures();
    void positionFollowsTheClock();
    void playAtEndRewinds();
    void startAndEndApplyToOnePlay();
    void pauseToggles();
    void resumeAndItsFallback();
    void stopAndRewind();
    void closeReleasesTheFile();
    void emptyRecording();
    void outputChoice();
    void firstFrameObserver();
    void mutatedFilesNeverCrash();

private:
    QString write(const QString &name, const QByteArray &bytes);
    // A 16-bit mono 8000 Hz file of `ms` milliseconds.
    QString recording(qint64 ms, const QString &name = QStringLiteral("pileup.wav"));

    std::unique_ptr<QTemporaryDir> m_dir;
    ManualClock m_clock;
};

QString TestWavePlayer::write(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString TestWavePlayer::recording(qint64 ms, const QString &name)
{
    return write(name, waveBytes(1, 8000, 16, ms * 8));
}

void TestWavePlayer::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestWavePlayer::operationsWithoutFile()
{
    WavePlayer player(m_clock, WavePlayer::Output::Silent);
    const QString noDevice = QStringLiteral("No MCI device open");
    auto failsWithoutFile = [&] {
        QCOMPARE(player.isOpen(), false);
        for (auto operation : {&WavePlayer::play, &WavePlayer::pause, &WavePlayer::resume, &WavePlayer::stop,
                               &WavePlayer::rewind}) {
            try {
                (player.*operation)();
                QFAIL("an operation without a file did not fail");
            } catch (const StationError &e) {
                QCOMPARE(e.text(), noDevice);
            }
        }
        try {
            player.length();
            QFAIL("length without a file did not fail");
        } catch (const StationError &e) {
            QCOMPARE(e.text(), noDevice);
        }
        // These never fail.
        QCOMPARE(player.position(), qint64(0));
        player.setTimeFormatMilliseconds();
        player.setStartPosition(100);
        player.setEndPosition(200);
        player.close();
        player.close();
        QCOMPARE(player.isPlaying(), false);
        QCOMPARE(player.isPaused(), false);
    };
    failsWithoutFile();
    QVERIFY(!QTest::currentTestFailed());

    // The same after a file was open and closed again.
    player.setFileName(recording(1000));
    player.open();
    player.play();
    m_clock.advanceMs(300);
    player.close();
    failsWithoutFile();
}

void TestWavePlayer::openAndLength()
{
    WavePlayer player(m_clock, WavePlayer::Output::Silent);
    const QString stereo = write(QStringLiteral("stereo.wav"), waveBytes(2, 44100, 16, 44100 * 3 + 22050));
    player.setFileName(stereo);
    QCOMPARE(player.fileName(), stereo);
    player.open();
    player.setTimeFormatMilliseconds();
    QVERIFY(player.isOpen());
    QCOMPARE(player.length(), qint64(3500));
    QCOMPARE(player.position(), qint64(0));
    QVERIFY(!player.isPlaying());

    player.play();
    m_clock.advanceMs(1200);
    QCOMPARE(player.position(), qint64(1200));

    // Open closes the playing file first and starts the new one at 0.
    player.setFileName(write(QStringLiteral("mono8.wav"), waveBytes(1, 8000, 8, 8000 * 2)));
    player.open();
    QCOMPARE(player.length(), qint64(2000));
    QCOMPARE(player.position(), qint64(0));
    QVERIFY(!player.isPlaying());

    player.setFileName(write(QStringLiteral("mono11k.wav"), waveBytes(1, 11025, 16, 16537)));
    player.open();
    QCOMPARE(player.length(), qint64(1499));
}

void TestWavePlayer::openFailures()
{
    WavePlayer player(m_clock, WavePlayer::Output::Silent);
    auto openError = [&](const QString &path) {
        player.setFileName(path);
        try {
            player.open();
        } catch (const StationError &e) {
            return e.text();
        }
        return QString();
    };

    // A failed Open leaves nothing open, even when a file was open before.
    player.setFileName(recording(1000));
    player.open();
    const QString missing = m_dir->filePath(QStringLiteral("missing.wav"));
    QCOMPARE(openError(missing), QStringLiteral("Cannot open file %1").arg(missing));
    QVERIFY(!player.isOpen());
    QVERIFY_THROWS_EXCEPTION(StationError, player.length());
    QCOMPARE(openError(QString()), QStringLiteral("Cannot open file "));

    const QString floats = write(QStringLiteral("float.wav"), waveBytes(1, 8000, 32, 800, 3));
    QCOMPARE(openError(floats), floats + QStringLiteral(" is not a PCM wave file of 8 or 16 bits"));
    const QString deep = write(QStringLiteral("deep.wav"), waveBytes(2, 48000, 24, 480));
    QCOMPARE(openError(deep), deep + QStringLiteral(" is not a PCM wave file of 8 or 16 bits"));

    QByteArray noise(4096, '\0');
    QRandomGenerator random(7);
    for (char &c : noise)
        c = char(random.bounded(256));
    const QString garbage = write(QStringLiteral("garbage.wav"), noise);
    QCOMPARE(openError(garbage), garbage + QStringLiteral(" is not a wave file"));
    QVERIFY(!player.isOpen());

    // A recording cut short still plays what it has; its length is what is there.
    const QString truncated =
        write(QStringLiteral("truncated.wav"), waveBytes(1, 8000, 16, 4000, 1, 8000 * 2 * 300));
    QCOMPARE(openError(truncated), QString());
    QCOMPARE(player.length(), qint64(500));
    player.play();
    m_clock.advanceMs(2000);
    QCOMPARE(player.position(), qint64(500));
    QVERIFY(!player.isPlaying());
}

void TestWavePlayer::positionFollowsTheClock()
{
    WavePlayer player(m_clock, WavePlayer::Output::Silent);
    QSignalSpy finished(&player, &WavePlayer::playbackFinished);
    player.setFileName(recording(1000));
    player.open();
    player.play();
    QVERIFY(player.isPlaying());
    QCOMPARE(player.position(), qint64(0));
    m_clock.advanceMs(250);
    QCOMPARE(player.position(), qint64(250));
    m_clock.advanceMs(700);
    QCOMPARE(player.position(), qint64(950));
    QVERIFY(player.isPlaying());
    QCOMPARE(finished.count(), 0);

    // A clock set back does not move the position back.
    m_clock.advanceMs(-500);
    QCOMPARE(player.position(), qint64(950));

    m_clock.advanceMs(5000);
    QCOMPARE(player.position(), qint64(1000));
    QVERIFY(!player.isPlaying());
    QTRY_COMPARE(finished.count(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 1);
}

void TestWavePlayer::playAtEndRewinds()
{
    WavePlayer player(m_clock, WavePlayer::Output::Silent);
    QSignalSpy finished(&player, &WavePlayer::playbackFinished);
    player.setFileName(recording(1000));
    player.open();
    player.play();
    m_clock.advanceMs(1000);
    QCOMPARE(player.position(), qint64(1000));
    QVERIFY(!player.isPlaying());

    // Play at the end starts over; the end report of the run before is dropped.
    player.play();
    QVERIFY(player.isPlaying());
    QCOMPARE(player.position(), qint64(0));
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 0);
    m_clock.advanceMs(100);
    QCOMPARE(player.position(), qint64(100));

    // Play elsewhere plays on from the current position.
    player.stop();
    m_clock.advanceMs(100);
    player.play();
    m_clock.advanceMs(100);
    QCOMPARE(player.position(), qint64(200));
}

void TestWavePlayer::startAndEndApplyToOnePlay()
{
    WavePlayer player(m_clock, WavePlayer::Output::Silent);
    player.setFileName(recording(2000));
    player.open();

    player.setStartPosition(200);
    player.setEndPosition(500);
    player.play();
    QCOMPARE(player.position(), qint64(200));
    m_clock.advanceMs(250);
    QCOMPARE(player.position(), qint64(450));
    m_clock.advanceMs(1000);
    QCOMPARE(player.position(), qint64(500));
    QVERIFY(!player.isPlaying());

    // The next Play has no positions: from where it stopped to the end.
    player.play();
    QCOMPARE(player.position(), qint64(500));
    m_clock.advanceMs(3000);
    QCOMPARE(player.position(), qint64(2000));

    // An end alone plays from the current position up to it.
    player.rewind();
    player.setEndPosition(300);
    player.play();
    m_clock.advanceMs(1000);
    QCOMPARE(player.position(), qint64(300));

    // A start alone plays from it to the end of the file.
    player.setStartPosition(1800);
    player.play();
    QCOMPARE(player.position(), qint64(1800));
    m_clock.advanceMs(1000);
    QCOMPARE(player.position(), qint64(2000));

    // Positions beyond the file are held to it; an end before the start plays nothing.
    player.setStartPosition(-50);
    player.setEndPosition(99999);
    player.play();
    QCOMPARE(player.position(), qint64(0));
    m_clock.advanceMs(2500);
    QCOMPARE(player.position(), qint64(2000));
    player.setStartPosition(700);
    player.setEndPosition(400);
    player.play();
    QCOMPARE(player.position(), qint64(700));
    QVERIFY(!player.isPlaying());

    // Positions set before an Open do not outlive it.
    player.setStartPosition(900);
    player.setEndPosition(950);
    player.open();
    player.play();
    m_clock.advanceMs(1000);
    QCOMPARE(player.position(), qint64(1000));
}

void TestWavePlayer::pauseToggles()
{
    WavePlayer player(m_clock, WavePlayer::Output::Silent);
    player.setFileName(recording(1000));
    player.open();

    // Pause on a stopped player does nothing.
    player.pause();
    QVERIFY(!player.isPlaying());
    QVERIFY(!player.isPaused());

    player.play();
    m_clock.advanceMs(100);
    player.pause();
    QVERIFY(player.isPaused());
    QVERIFY(!player.isPlaying());
    m_clock.advanceMs(500);
    QCOMPARE(player.position(), qint64(100));

    // Pause again resumes.
    player.pause();
    QVERIFY(player.isPlaying());
    m_clock.advanceMs(50);
    QCOMPARE(player.position(), qint64(150));
}

void TestWavePlayer::resumeAndItsFallback()
{
    WavePlayer player(m_clock, WavePlayer::Output::Silent);
    player.setFileName(recording(1000));
    player.open();

    // A paused stretch resumes up to its own end position.
    player.setStartPosition(100);
    player.setEndPosition(400);
    player.play();
    m_clock.advanceMs(100);
    player.pause();
    m_clock.advanceMs(1000);
    player.resume();
    QVERIFY(player.isPlaying());
    m_clock.advanceMs(50);
    QCOMPARE(player.position(), qint64(250));
    // Resume while playing changes nothing.
    player.resume();
    m_clock.advanceMs(1000);
    QCOMPARE(player.position(), qint64(400));

    // Nothing to resume: play on from the current position.
    player.resume();
    QVERIFY(player.isPlaying());
    QCOMPARE(player.position(), qint64(400));
    m_clock.advanceMs(100);
    QCOMPARE(player.position(), qint64(500));
    player.stop();
    player.resume();
    m_clock.advanceMs(100);
    QCOMPARE(player.position(), qint64(600));

    // ...without starting over at the end.
    m_clock.advanceMs(1000);
    QCOMPARE(player.position(), qint64(1000));
    player.resume();
    m_clock.advanceMs(100);
    QCOMPARE(player.position(), qint64(1000));
    QVERIFY(!player.isPlaying());
}

void TestWavePlayer::stopAndRewind()
{
    WavePlayer player(m_clock, WavePlayer::Output::Silent);
    QSignalSpy finished(&player, &WavePlayer::playbackFinished);
    player.setFileName(recording(1000));
    player.open();
    player.play();
    m_clock.advanceMs(300);
    player.stop();
    QVERIFY(!player.isPlaying());
    QCOMPARE(player.position(), qint64(300));
    m_clock.advanceMs(2000);
    QCOMPARE(player.position(), qint64(300));
    player.stop();

    player.rewind();
    QCOMPARE(player.position(), qint64(0));

    // Rewind while playing or paused stops at the start.
    player.play();
    m_clock.advanceMs(200);
    player.rewind();
    QVERIFY(!player.isPlaying());
    m_clock.advanceMs(200);
    QCOMPARE(player.position(), qint64(0));
    player.play();
    m_clock.advanceMs(200);
    player.pause();
    player.rewind();
    QVERIFY(!player.isPaused());
    QCOMPARE(player.position(), qint64(0));

    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 0);
}

void TestWavePlayer::closeReleasesTheFile()
{
    WavePlayer player(m_clock, WavePlayer::Output::Silent);
    QSignalSpy finished(&player, &WavePlayer::playbackFinished);
    const QString path = recording(1000);
    player.setFileName(path);
    player.open();
    player.play();
    m_clock.advanceMs(999);
    QCOMPARE(player.position(), qint64(999));
    player.close();
    QVERIFY(!player.isOpen());
    QCOMPARE(player.position(), qint64(0));
    QCOMPARE(player.fileName(), path);
    m_clock.advanceMs(1000);
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 0);

    // The file is free again: it can be replaced and reopened.
    QVERIFY(QFile::remove(path));
    recording(3000);
    player.open();
    QCOMPARE(player.length(), qint64(3000));
}

void TestWavePlayer::emptyRecording()
{
    WavePlayer player(m_clock, WavePlayer::Output::Silent);
    QSignalSpy finished(&player, &WavePlayer::playbackFinished);
    player.setFileName(write(QStringLiteral("empty.wav"), waveBytes(1, 8000, 16, 0)));
    player.open();
    QCOMPARE(player.length(), qint64(0));
    player.play();
    QVERIFY(!player.isPlaying());
    QCOMPARE(player.position(), qint64(0));
    QTRY_COMPARE(finished.count(), 1);
    player.pause();
    player.resume();
    player.rewind();
    QCOMPARE(player.position(), qint64(0));
}

void TestWavePlayer::outputChoice()
{
    QVERIFY(WavePlayer(m_clock, WavePlayer::Output::Silent).isSilent());

    const QByteArray saved = qgetenv("VORLIX_SILENT_AUDIO");
    qputenv("VORLIX_SILENT_AUDIO", "1");
    {
        WavePlayer player(m_clock);
        QVERIFY(player.isSilent());
        player.setFileName(recording(1000));
        player.open();
        QVERIFY(player.isSilent());
        player.play();
        m_clock.advanceMs(400);
        QCOMPARE(player.position(), qint64(400));
    }
    if (saved.isNull())
        qunsetenv("VORLIX_SILENT_AUDIO");
    else
        qputenv("VORLIX_SILENT_AUDIO", saved);

    // With the sound device when there is one, silently when there is none
    // (or when the device module cannot be loaded): the station plays.
    {
        WavePlayer player(m_clock);
        player.setFileName(recording(1000));
        player.open();
        player.play();
        QVERIFY(player.isPlaying());
        player.stop();
    }
}

void TestWavePlayer::firstFrameObserver()
{
    WavePlayer player(m_clock, WavePlayer::Output::Silent);
    int frames = 0;
    player.setFirstFrameObserver([&frames] { ++frames; });
    player.setFileName(recording(1000));
    player.open();
    QCOMPARE(frames, 0);
    player.play();
    QCOMPARE(frames, 1);
    player.pause();
    player.pause();
    QCOMPARE(frames, 1);
    player.stop();
    player.play();
    QCOMPARE(frames, 2);
}

void TestWavePlayer::mutatedFilesNeverCrash()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("seed %u", seed);
    QRandomGenerator random(seed);
    WavePlayer player(m_clock, WavePlayer::Output::Silent);
    const QByteArray original = waveBytes(2, 22050, 16, 2205);
    int opened = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = original;
        for (int i = 0, n = 1 + random.bounded(3); i < n; ++i)
            bytes[random.bounded(48)] = char(random.bounded(256));
        if (random.bounded(4) == 0)
            bytes.truncate(random.bounded(bytes.size()));
        player.setFileName(write(QStringLiteral("mutated.wav"), bytes));
        try {
            player.open();
        } catch (const StationError &e) {
            QVERIFY(!e.text().isEmpty());
            QVERIFY(!player.isOpen());
            continue;
        }
        ++opened;
        const qint64 length = player.length();
        QVERIFY(length >= 0);
        player.play();
        m_clock.advanceMs(random.bounded(200));
        QVERIFY(player.position() <= length);
        player.close();
    }
    QVERIFY(opened > 10);
}

QTEST_GUILESS_MAIN(TestWavePlayer)
#include "tst_waveplayer.moc"
