// The wave player as the windows use it, on the silent backend and a clock
// moved by hand: opening real files, positions, one-shot start and end
// positions, Play/Pause/Resume/Stop/Rewind/Close and their failures.

#include "TempBase.h"
#include "util/Clock.h"
#include "util/StationError.h"
#include "util/WavePlayer.h"

#include <QSignalSpy>
#include <QTest>
#include <QtEndian>
#include <map>
#include <sys/stat.h>

namespace {

// One step of a script: an operation ("-" for none), then the clock moves on
// `advance` ms; then the player stands at `position`, playing (P), paused (Z)
// or stopped (S), and has reported `finished` ends so far.
struct Step
{
    const char *operation;
    int advance, position;
    char state;
    int finished;
};

} // namespace

class TestWavePlayer : public QObject
{
    Q_OBJECT

    TempBase m_base;
    ManualClock m_clock;

    // Writes `bytes` as pileup.wav and opens it; returns what Open raised.
    QString open(WavePlayer &player, const QByteArray &bytes)
    {
        m_base.Write("pileup.wav", bytes);
        player.setFileName(m_base.file("pileup.wav"));
        return StationErrorOf([&] { player.open(); });
    }

private slots:
    void operationsWithoutFile()
    {
        WavePlayer player(m_clock, WavePlayer::Output::Silent);
        QSignalSpy finished(&player, &WavePlayer::playbackFinished);
        // Before any Open, and again after a file was open, playing and closed: its end is never reported.
        for (int round = 0; round < 2; ++round) {
            QVERIFY(!player.isOpen() && player.position() == 0);
            for (const auto &operation : QList<std::function<void()>>{
                     [&] { player.play(); }, [&] { player.pause(); }, [&] { player.resume(); },
                     [&] { player.stop(); }, [&] { player.rewind(); }, [&] { player.length(); }})
                QCOMPARE(StationErrorOf(operation), QStringLiteral("No MCI device open"));
            // These never fail.
            player.setTimeFormatMilliseconds();
            player.setStartPosition(100);
            player.setEndPosition(200);
            player.close();
            QVERIFY(!player.isPlaying() && !player.isPaused());
            QCOMPARE(open(player, MakeWave(8000, 16, 1, 1000)), QString());
            player.play();
            m_clock.advanceMs(999);
            player.close();
            QVERIFY(player.fileName().endsWith(QLatin1String("pileup.wav")));
        }
        m_clock.advanceMs(1000);
        QCoreApplication::processEvents();
        QCOMPARE(finished.count(), 0);
    }

    void openLengthAndFailures()
    {
        WavePlayer player(m_clock, WavePlayer::Output::Silent);
        // Open closes the file playing before and starts the new one at 0.
        for (const auto &[bytes, length] :
             {std::pair(MakeWave(44100, 16, 2, 3500), 3500), std::pair(MakeWave(11025, 8, 1, 1500), 1499)}) {
            QCOMPARE(open(player, bytes), QString());
            QVERIFY(player.length() == length && player.position() == 0 && !player.isPlaying());
            player.play();
            m_clock.advanceMs(1200);
            QCOMPARE(player.position(), qint64(1200));
        }
        // A failed Open leaves nothing open, even when a file was open before.
        QCOMPARE(open(player, MakeWave(48000, 24, 2, 10)),
                 m_base.file("pileup.wav") + " is not a PCM wave file of 8 or 16 bits");
        QVERIFY(!player.isOpen());
        player.setFileName(m_base.file("missing.wav"));
        QCOMPARE(StationErrorOf([&] { player.open(); }), "Cannot open file " + player.fileName());
        // A named pipe is refused at once, not waited on.
        player.setFileName(m_base.file("pipe.wav"));
        QCOMPARE(::mkfifo(QFile::encodeName(player.fileName()).constData(), 0600), 0);
        QCOMPARE(StationErrorOf([&] { player.open(); }), "Cannot open file " + player.fileName());

        // A recording cut short plays what it has and reports its end.
        QSignalSpy finished(&player, &WavePlayer::playbackFinished);
        QByteArray cut = MakeWave(8000, 16, 1, 500);
        qToLittleEndian<quint32>(8000 * 2 * 300, cut.data() + 40); // its data chunk claims 300 s
        QCOMPARE(open(player, cut), QString());
        QCOMPARE(player.length(), qint64(500));
        player.play();
        m_clock.advanceMs(2000);
        QVERIFY(player.position() == 500 && !player.isPlaying());
        QTRY_COMPARE(finished.count(), 1);
        // One without a single sample is refused and leaves nothing open.
        QCOMPARE(open(player, MakeWave(8000, 16, 1, 0)),
                 m_base.file("pileup.wav") + " has no samples to play (its data chunk is empty or cut off)");
        QCOMPARE(StationErrorOf([&] { player.play(); }), QStringLiteral("No MCI device open"));
    }

    void standingByForTheNextStart()
    {
        WavePlayer player(m_clock, WavePlayer::Output::Silent);
        QSignalSpy finished(&player, &WavePlayer::playbackFinished);
        m_base.Write("next.wav", MakeWave(8000, 16, 1, 700));
        const QString next = m_base.file("next.wav");
        // Set while another file plays: it waits for that play's end, then stands ready.
        QCOMPARE(open(player, MakeWave(8000, 16, 1, 1000)), QString());
        player.play();
        player.setFileName(next);
        player.standBy();
        QVERIFY(player.isPlaying() && !player.standsReadyWith(next));
        m_clock.advanceMs(1500);
        QCOMPARE(player.position(), qint64(1000));
        QVERIFY(!player.standsReadyWith(m_base.file("pileup.wav"))); // played to its end
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(player.standsReadyWith(next) && player.length() == 700);
        // Played or paused it is not ready; one paused when the next is set is opened at the start.
        player.play();
        player.pause();
        QVERIFY(!player.standsReadyWith(next));
        player.standBy();
        player.stop();
        QVERIFY(!player.standsReadyWith(next));
        // A file that is not there leaves the player closed, without a fault.
        player.setFileName(m_base.file("missing.wav"));
        player.standBy();
        QVERIFY(!player.isOpen());
        player.setFileName(next);
        player.standBy();
        QVERIFY(player.standsReadyWith(next));
    }

    void scriptedPlaying_data()
    {
        QTest::addColumn<QList<Step>>("script");
        QTest::newRow("play, stop, rewind")
            << QList<Step>{{"play", 250, 250, 'P', 0},
                           {"-", -100, 250, 'P', 0}, // a clock set back does not move it back
                           {"-", 5000, 2000, 'S', 1},
                           {"play", 0, 0, 'P', 1}, // Play at the end starts over, old end dropped
                           {"-", 300, 300, 'P', 1},
                           {"stop", 2000, 300, 'S', 1},
                           {"play", 100, 400, 'P', 1},
                           {"rewind", 200, 0, 'S', 1},
                           {"play", 200, 200, 'P', 1},
                           {"pause", 0, 200, 'Z', 1},
                           {"rewind", 0, 0, 'S', 1}};
        QTest::newRow("start and end positions apply to one Play") << QList<Step>{
            {"start 200", 0, 0, 'S', 0},    {"end 500", 0, 0, 'S', 0},       {"play", 0, 200, 'P', 0},
            {"-", 3000, 500, 'S', 1},       {"end 800", 0, 500, 'S', 1},     {"play", 3000, 800, 'S', 2},
            {"play", 3000, 2000, 'S', 3},   {"start 1800", 0, 2000, 'S', 3}, {"play", 0, 1800, 'P', 3},
            {"-", 3000, 2000, 'S', 4},      {"start -50", 0, 2000, 'S', 4},  {"end 99999", 0, 2000, 'S', 4},
            {"play", 0, 0, 'P', 4},         {"-", 3000, 2000, 'S', 5}, // held to the file
            {"start 700", 0, 2000, 'S', 5}, {"end 400", 0, 2000, 'S', 5},    {"play", 0, 700, 'S', 6},
            {"start 900", 0, 700, 'S', 6},  {"end 950", 0, 700, 'S', 6}, // do not outlive an Open
            {"open", 0, 0, 'S', 6},         {"play", 3000, 2000, 'S', 7}};
        QTest::newRow("Pause toggles, Resume falls back") << QList<Step>{
            {"pause", 0, 0, 'S', 0},    {"start 100", 0, 0, 'S', 0},    {"end 400", 0, 0, 'S', 0},
            {"play", 100, 200, 'P', 0}, {"pause", 500, 200, 'Z', 0},    {"pause", 50, 250, 'P', 0},
            {"pause", 0, 250, 'Z', 0},  {"resume", 50, 300, 'P', 0},    {"resume", 0, 300, 'P', 0},
            {"-", 1000, 400, 'S', 1},   {"resume", 100, 500, 'P', 1}, // nothing to resume: plays on
            {"stop", 0, 500, 'S', 1},   {"resume", 3000, 2000, 'S', 2}, {"resume", 100, 2000, 'S', 3}};
    }

    void scriptedPlaying()
    {
        QFETCH(QList<Step>, script);
        WavePlayer player(m_clock, WavePlayer::Output::Silent);
        QSignalSpy finished(&player, &WavePlayer::playbackFinished);
        QCOMPARE(open(player, MakeWave(8000, 16, 1, 2000)), QString());
        qint64 argument = 0;
        const std::map<QString, std::function<void()>> operations = {
            {"play", [&] { player.play(); }},
            {"pause", [&] { player.pause(); }},
            {"resume", [&] { player.resume(); }},
            {"stop", [&] { player.stop(); }},
            {"rewind", [&] { player.rewind(); }},
            {"open", [&] { player.open(); }},
            {"start", [&] { player.setStartPosition(argument); }},
            {"end", [&] { player.setEndPosition(argument); }},
            {"-", [] {}}};
        for (qsizetype i = 0; i < script.size(); ++i) {
            const Step &s = script[i];
            const QStringList op = QString::fromLatin1(s.operation).split(u' ');
            argument = op.value(1).toLongLong();
            operations.at(op[0])();
            m_clock.advanceMs(s.advance);
            const qint64 position = player.position();
            QCoreApplication::processEvents();
            const char state = player.isPlaying() ? 'P' : player.isPaused() ? 'Z' : 'S';
            const QString format = QStringLiteral("step %1 (%2): at %3 %4, %5 ends");
            QCOMPARE(format.arg(i).arg(s.operation).arg(position).arg(state).arg(finished.count()),
                     format.arg(i).arg(s.operation).arg(s.position).arg(s.state).arg(s.finished));
        }
    }

    void observerAndOutputChoice()
    {
        WavePlayer player(m_clock, WavePlayer::Output::Silent);
        int frames = 0;
        player.setFirstFrameObserver([&frames] { ++frames; });
        QCOMPARE(open(player, MakeWave(8000, 16, 1, 1000)), QString());
        player.play();
        player.pause();
        player.pause();
        player.stop();
        player.play();
        QVERIFY(frames == 2 && player.isSilent());

        const QByteArray saved = qgetenv("VORLIX_SILENT_AUDIO");
        qputenv("VORLIX_SILENT_AUDIO", "1");
        QVERIFY(WavePlayer(m_clock).isSilent());
        saved.isNull() ? qunsetenv("VORLIX_SILENT_AUDIO") : qputenv("VORLIX_SILENT_AUDIO", saved);
        // With the sound device when there is one, silently when there is none: the station plays.
        WavePlayer automatic(m_clock);
        QCOMPARE(open(automatic, MakeWave(8000, 16, 1, 1000)), QString());
        automatic.play();
        QVERIFY(automatic.isPlaying());
        automatic.stop();
    }
};

QTEST_GUILESS_MAIN(TestWavePlayer)
#include "tst_waveplayer.moc"
