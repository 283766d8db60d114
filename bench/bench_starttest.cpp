// Test-start latency: from the host's START_TEST block leaving the host's
// socket on 127.0.0.1 to the first audio frame handed to the wave player's
// backend, over 100 starts. The time includes the station's read event,
// the start of the test (log file, audio opened and measured) and Play.
//
//   QT_QPA_PLATFORM=offscreen build/bin/bench_starttest [--device] [starts]
//
// Without --device the silent backend plays; with it the sound device does
// (PulseAudio; a null sink is enough, see the README).

#include "hostlink/TfmConnect.h"
#include "session/TfmMain.h"
#include "ui/Dialogs.h"
#include "util/Clock.h"
#include "util/TextFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

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

    QTcpServer host;
    host.listen(QHostAddress::LocalHost, 0);
    QTcpSocket *peer = nullptr;
    QObject::connect(&host, &QTcpServer::newConnection, [&] {
        peer = host.nextPendingConnection();
        QObject::connect(peer, &QTcpSocket::readyRead, [&] { peer->readAll(); });
    });

    const QString bin = QCoreApplication::applicationDirPath();
    QTemporaryDir base;
    for (const char *name : {"Vorlix_Player_ini.txt", "ComputerLogInstruct.txt", "DemoCalls.txt"})
        QFile::copy(bin + "/" + name, base.path() + "/" + name);
    if (!QFile::copy(bin + "/StandAlonePileup.wav", base.path() + "/Test.wav")) {
        std::fprintf(stderr, "build/bin/StandAlonePileup.wav is missing: build the project first\n");
        return 2;
    }
    TextFile::writeLines(base.path() + "/Vorlix_PRestart.txt",
                         {"HOST_ADDRESS=127.0.0.1", "HOST_PORT_NUMBER=" + QString::number(host.serverPort()),
                          "PLAYER_POSITION=Position 1"});

    Dialogs dialogs;
    SystemClock clock;
    TfmMain fmMain(SessionPaths(base.path()), bin + "/vorlix-player", dialogs, clock,
                   device ? WavePlayer::Output::Automatic : WavePlayer::Output::Silent);
    TfmConnect fmConnect(dialogs, clock, &fmMain);
    fmMain.SetConnectWindow(&fmConnect);
    if (!fmMain.FormActivate())
        return 2;
    fmMain.show();
    fmConnect.setSettingsFileName(base.path() + "/Vorlix_PRestart.txt");
    fmConnect.FormActivate();
    fmConnect.bnConnectClick();
    QElapsedTimer wait;
    wait.start();
    while ((!fmConnect.Connected() || !peer) && wait.elapsed() < 5000)
        app.processEvents(QEventLoop::AllEvents, 10);
    if (!peer)
        return 2;
    fmConnect.setRegisteredCall(QStringLiteral("K1ABC"));

    WavePlayer &player = fmMain.MediaPlayer1();
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
