#pragma once
// For the benchmarks: the station's main and connection windows in a
// temporary base folder (offscreen), connected to a host that listens on
// 127.0.0.1 in the same process and keeps what it receives.

#include "hostlink/TfmConnect.h"
#include "session/TfmMain.h"
#include "ui/Dialogs.h"
#include "util/Clock.h"
#include "util/TextFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

struct BenchStation
{
    explicit BenchStation(WavePlayer::Output audio)
    {
        host.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&host, &QTcpServer::newConnection, [this] {
            peer = host.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead, [this] { received += peer->readAll(); });
        });
        const QString bin = QCoreApplication::applicationDirPath();
        for (const char *name : {"Vorlix_Player_ini.txt", "ComputerLogInstruct.txt", "DemoCalls.txt"})
            QFile::copy(bin + "/" + name, base.path() + "/" + name);
        TextFile::writeLines(base.path() + "/Vorlix_PRestart.txt",
                             {"HOST_ADDRESS=127.0.0.1",
                              "HOST_PORT_NUMBER=" + QString::number(host.serverPort()),
                              "PLAYER_POSITION=Position 1"});
        main = std::make_unique<TfmMain>(SessionPaths(base.path()), bin + "/vorlix-player", dialogs, clock,
                                         audio);
        fmConnect = std::make_unique<TfmConnect>(dialogs, clock, main.get());
        main->SetConnectWindow(fmConnect.get());
    }

    // Starts the station and connects it to the host; false on failure.
    bool start()
    {
        if (!main->FormActivate())
            return false;
        main->show();
        fmConnect->setSettingsFileName(base.path() + "/Vorlix_PRestart.txt");
        fmConnect->FormActivate();
        fmConnect->bnConnectClick();
        QElapsedTimer wait;
        wait.start();
        while ((!fmConnect->Connected() || !peer) && wait.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (!fmConnect->Connected() || !peer)
            std::fprintf(stderr, "could not connect to the host\n");
        // A registered player, whose calls the host takes.
        fmConnect->setRegisteredCall(QStringLiteral("BENCH1"));
        return fmConnect->Connected() && peer;
    }

    QTcpServer host;
    QTcpSocket *peer = nullptr;
    QByteArray received;
    QTemporaryDir base;
    Dialogs dialogs;
    SystemClock clock;
    std::unique_ptr<TfmMain> main;
    std::unique_ptr<TfmConnect> fmConnect;
};
