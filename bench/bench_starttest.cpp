// Test-start latency: from the host's START_TEST block leaving the host's
// socket on 127.0.0.1 to the first audio frame handed to the wave player's
// backend, over 100 starts. The time includes the station's read event,
// the start of the test (log file, audio opened and measured) and Play.
//
//   QT_QPA_PLATFORM=offscreen build/bin/bench_starttest [--device] [starts]
//
// Without --device the silent backend plays; with it the sound device does
// (PulseAudio; a null sink is enough, see the README).

#include "BenchStation.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool device = app.arguments().contains(QStringLiteral("--device"));
    int starts = 100;
    for (const QString &a : app.arguments().mid(1))
        if (a.toInt() > 0)
            starts = a.toInt();

    BenchStation station(device ? WavePlayer::Output::Automatic : WavePlayer::Output::Silent);
    const QString bin = QCoreApplication::applicationDirPath();
    if (!QFile::copy(bin + "/StandAlonePileup.wav", station.base.path() + "/Test.wav")) {
        std::fprintf(stderr, "build/bin/StandAlonePileup.wav is missing: build the project first\n");
        return 2;
    }
    if (!station.start())
        return 2;
    station.fmConnect->setRegisteredCall(QStringLiteral("K1ABC"));
    QTcpSocket *peer = station.peer;
    QElapsedTimer wait;

    WavePlayer &player = station.main->MediaPlayer1();
    if (device && player.isSilent())
        std::printf("note: no sound device found, the silent backend plays\n");
    QElapsedTimer sinceSend;
    qint64 firstFrameNs = -1;
    player.setFirstFrameObserver([&] {
        if (firstFrameNs < 0)
            firstFrameNs = sinceSend.nsecsElapsed();
    });
    peer->write(";SET_WAVEFILE:Test.wav");
    peer->flush();
    app.processEvents();

    std::vector<double> ms;
    for (int i = 0; i < starts; ++i) {
        firstFrameNs = -1;
        sinceSend.start();
        peer->write(";START_TEST:");
        peer->flush();
        wait.restart();
        while (firstFrameNs < 0 && wait.elapsed() < 5000)
            app.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        if (firstFrameNs < 0) {
            std::fprintf(stderr, "start %d: no audio frame within 5 s\n", i);
            return 2;
        }
        ms.push_back(firstFrameNs / 1e6);
        player.stop();
    }
    std::sort(ms.begin(), ms.end());
    auto pct = [&](double p) { return ms[std::min<size_t>(ms.size() - 1, size_t(p * ms.size()))]; };
    std::printf("%s backend, %d starts: START_TEST -> first frame p50 %.2f ms, p99 %.2f ms, max %.2f ms"
                " (target p99 <= 20 ms, silent backend)\n",
                player.isSilent() ? "silent" : "sound-device", starts, pct(0.5), pct(0.99), ms.back());
    return 0;
}
