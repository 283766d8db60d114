// The wave player on a real PulseAudio server of the test's own, with two
// null sinks ("Headset", the server's default, and "Speakers"): the outputs
// it offers, where its sound goes with and without a choice (what the
// server says and what each sink's monitor records), a device that goes away
// mid-test, and many short rounds back to back, as an event's stations play
// them, for the races at the end of a wave.

#include "SoundServer.h"
#include "TempBase.h"
#include "util/Clock.h"
#include "util/WavePlayer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

namespace {

// The loudest sample `recorder` (16-bit mono) delivers within `ms`, or a
// first one louder than `enough`.
int Loudest(QProcess &recorder, int ms, int enough = 32767)
{
    int loudest = 0;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms && loudest < enough) {
        recorder.waitForReadyRead(10);
        const QByteArray bytes = recorder.readAllStandardOutput();
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
            loudest = std::max(loudest, std::abs(int(qFromLittleEndian<qint16>(bytes.constData() + i))));
    }
    return loudest;
}

} // namespace

class TestSoundServer : public QObject
{
    Q_OBJECT

    TempBase m_base;
    ManualClock m_clock;
    std::unique_ptr<SoundServer> m_server;
    // Each sink's monitor, recorded all along: a low-latency client keeps
    // a null sink rendering in short blocks, as a sound card plays.
    QProcess m_headset, m_speakers;

    void openWave(WavePlayer &player, int ms)
    {
        m_base.Write("pileup.wav", MakeWave(48000, 16, 1, ms));
        player.setFileName(m_base.file("pileup.wav"));
        player.open();
    }

private slots:
    void initTestCase()
    {
        m_server = std::make_unique<SoundServer>(QStringList{"Headset", "Speakers"});
        QVERIFY2(m_server->error().isEmpty(), qPrintable(m_server->error()));
        qputenv("PULSE_SERVER", m_server->address().toUtf8());
        qunsetenv("VORLIX_SILENT_AUDIO");
        m_server->startRecorder(m_headset, "Headset", 8000);
        m_server->startRecorder(m_speakers, "Speakers", 8000);
        QVERIFY(m_headset.waitForStarted() && m_speakers.waitForStarted());
        // A fresh null sink has up to 2 s of silence rendered ahead.
        QVERIFY(m_server->waitForShortLatency(5000));
    }

    void cleanupTestCase()
    {
        m_headset.kill();
        m_speakers.kill();
        m_headset.waitForFinished();
        m_speakers.waitForFinished();
    }

    void choiceOfOutput()
    {
        // No choice: the server routes, and PULSE_SINK is its word.
        qputenv("PULSE_SINK", "Speakers");
        WavePlayer player(m_clock);
        qunsetenv("PULSE_SINK");
        const QList<AudioBackend::Output> outputs = player.soundOutputs();
        QCOMPARE(outputs.size(), 2);
        QCOMPARE(outputs[0].id + '/' + outputs[0].description, QStringLiteral("Headset/Headset device"));
        QCOMPARE(outputs[1].id + '/' + outputs[1].description, QStringLiteral("Speakers/Speakers device"));
        openWave(player, 4000);
        QVERIFY(!player.isSilent());
        // The stream stands ready, corked, from the moment the wave is set.
        QTRY_COMPARE(m_server->sinksOfStreams(), QStringList{"Speakers"});
        int frames = 0;
        player.setFirstFrameObserver([&frames] { ++frames; });
        player.play();
        QCOMPARE(frames, 1); // handed over within play(): the start only uncorks
        // The silent stream that kept the device awake is let go once the
        // play is under way, not in the moment of the start.
        const auto standby = [&] { return m_server->pactl({"list", "sink-inputs"}).contains("\"Standby\""); };
        QVERIFY(standby());
        QTRY_VERIFY(!standby());

        QVERIFY(Loudest(m_speakers, 1000, 4000) > 4000);
        // The mixer names the program and knows what the sound is for.
        const QString streams = m_server->pactl({"list", "sink-inputs"});
        QVERIFY2(streams.contains("application.name = \"Vorlix Player\"") &&
                     streams.contains("application.id = \"org.vorlix.Player\"") &&
                     streams.contains("media.role = \"game\"") && streams.contains("media.name = \"Pileup\""),
                 qPrintable(streams));

        // Chosen while playing: the sound moves there at once.
        player.setSoundOutput("Headset");
        QTRY_COMPARE(m_server->sinksOfStreams(), QStringList{"Headset"});
        QTest::qWait(100);
        m_speakers.readAllStandardOutput();
        m_headset.readAllStandardOutput();
        QVERIFY(Loudest(m_headset, 300) > 4000);
        QVERIFY(Loudest(m_speakers, 100) < 100);
        QVERIFY(player.isPlaying() && player.position() > 0);

        // Stopped, a choice applies to the stream that waits for the next play.
        player.stop();
        player.setSoundOutput("Speakers");
        QTRY_COMPARE(m_server->sinksOfStreams(), QStringList{"Speakers"});
        player.close();
        QTRY_COMPARE(m_server->sinksOfStreams(), QStringList());
    }

    void deviceGoneMidTest()
    {
        WavePlayer player(m_clock);
        player.setSoundOutput("Headset");
        openWave(player, 4000);
        QSignalSpy lost(&player, &WavePlayer::soundLost);
        QSignalSpy finished(&player, &WavePlayer::playbackFinished);
        player.play();
        QTRY_VERIFY(player.position() > 50);
        const QString modules = m_server->pactl({"list", "short", "modules"});
        QString headset;
        for (const QString &line : modules.split('\n'))
            if (line.contains("sink_name=Headset"))
                headset = line.section('\t', 0, 0);
        QVERIFY(!m_server->pactl({"unload-module", headset}).isNull());
        // Said, and the test goes on where it was, without sound.
        QVERIFY(lost.wait(3000));
        QVERIFY(player.isPlaying() && player.isSilent());
        const qint64 at = player.position();
        QVERIFY(at > 50 && at < 4000);
        m_clock.advanceMs(1000);
        QCOMPARE(player.position(), at + 1000);
        QCOMPARE(finished.count(), 0);
        m_server->pactl({"load-module", "module-null-sink", "sink_name=Headset"});
    }

    void manyShortRounds()
    {
        // Load, play to the end or stop part way, pause and go on, seek, let
        // go: the sequence of a round, 150 times over with short waves, so
        // that the server's thread ends streams while the station drops them
        // (VORLIX_SOUND_ROUNDS=1000 for a longer stress run).
        const int rounds = qEnvironmentVariableIntValue("VORLIX_SOUND_ROUNDS") > 0
                               ? qEnvironmentVariableIntValue("VORLIX_SOUND_ROUNDS")
                               : 150;
        WavePlayer player(m_clock);
        QSignalSpy finished(&player, &WavePlayer::playbackFinished);
        QSignalSpy lost(&player, &WavePlayer::soundLost);
        int ends = 0;
        for (int round = 0; round < rounds; ++round) {
            openWave(player, 30 + round % 4 * 10);
            player.play();
            switch (round % 5) {
            case 0:
                player.stop();
                player.rewind();
                player.play();
                [[fallthrough]];
            case 1:
            case 2:
                QVERIFY2(finished.wait(2000), qPrintable(QString::number(round)));
                ++ends;
                QCOMPARE(player.position(), player.length());
                break;
            case 3:
                player.pause();
                player.resume();
                player.setStartPosition(10);
                player.play();
                break;
            default:
                QCoreApplication::processEvents();
                break;
            }
            player.close();
        }
        QCoreApplication::processEvents();
        QCOMPARE(finished.count(), ends);
        QCOMPARE(lost.count(), 0);
        QVERIFY(!player.isSilent());
    }
};

QTEST_GUILESS_MAIN(TestSoundServer)
#include "tst_soundserver.moc"
