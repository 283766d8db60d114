// A whole round of the competition host with real stations: six station
// windows (offscreen, silent audio) on six positions over 127.0.0.1, a call
// refused, a paper-log player, stations whose links break mid-test and that
// come back, before or after the submit, the logs on the host's disk after
// each call, the scores and ranks each station shows, and the next round.

#include "HostEngine.h"
#include "TestStation.h"
#include "ui_TfmConnect.h"
#include "ui_TfmMain.h"

#include <QProcess>
#include <QTest>

#include <csignal>

namespace {

const QStringList RoundCalls{"K1AA", "K2BB", "K3CC", "K4DD", "K5EE", "K6FF", "W1AW", "DL1ABC"};

// A station whose connection settings point at the host.
struct Player : TestStation
{
    Player(quint16 port, int position) : TestStation({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo"})
    {
        base.WriteLines("Vorlix_PRestart.txt",
                        {"HOST_ADDRESS=127.0.0.1", "HOST_PORT_NUMBER=" + QString::number(port),
                         "PLAYER_POSITION=Position " + QString::number(position)});
        base.Write("Round.wav", MakeWave(8000, 8, 1, 20000));
    }

    // Both steps of the connection window; true when the host gave the position.
    bool connect()
    {
        bool assigned = false;
        dialogs.modalScripts.append([&](QDialog *d) {
            auto *c = qobject_cast<TfmConnect *>(d);
            c->ui()->bnConnect->click();
            if (QTest::qWaitFor([&] { return c->Connected(); })) {
                c->ui()->bnContinue->click();
                (void)QTest::qWaitFor(
                    [&] { return c->ui()->pnPositionStatus->text() != "Position Unassigned"; });
                assigned = c->PositionAssigned();
            }
            c->ui()->bnCancel->click();
            return 0;
        });
        ui().bnConnect->click();
        return assigned;
    }
    QString message() { return ui().pnMessage->text(); }
    QString box2() { return ui().ebCallEntry->text(); }
};

// The host program itself, run headless on a data folder and driven by its
// commands, so that it can die the hard way (SIGKILL) and start again.
struct HostProcess
{
    QProcess process;
    QByteArray output;

    bool start(const QString &folder, quint16 port)
    {
        output.clear();
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(
            qEnvironmentVariable("VORLIX_TEST_BIN") + "/vorlix-host",
            {"--headless", "--address", "127.0.0.1", "--port", QString::number(port), "--folder", folder});
        return process.waitForStarted() && saw("Listening on");
    }
    // True once the host has printed `text` (within ten seconds).
    bool saw(const QByteArray &text)
    {
        return QTest::qWaitFor(
            [&] {
                output += process.readAll();
                return output.contains(text);
            },
            10000);
    }
    void command(const QByteArray &line) { process.write(line + "\n"); }
    quint16 port() const
    {
        const qsizetype at = output.indexOf(" port ");
        return at < 0 ? 0 : quint16(output.mid(at + 6, 6).split(';').first().toUInt());
    }
    void kill()
    {
        ::kill(pid_t(process.processId()), SIGKILL);
        process.waitForFinished();
    }
    ~HostProcess()
    {
        if (process.state() != QProcess::NotRunning)
            kill();
    }
};

} // namespace

class TestHostRound : public QObject
{
    Q_OBJECT

private slots:
    void wholeRound()
    {
        TempBase hostFolder;
        hostFolder.Write("Round.wav", MakeWave(8000, 8, 1, 20000));
        hostFolder.WriteLines("RoundCalls.txt", RoundCalls);
        ManualClock clock;
        HostEngine host(clock, hostFolder.path());
        QVERIFY(host.listen(QHostAddress::LocalHost, 0));
        // True once `count` positions are as `is` says, within the usual wait.
        const auto positionsWhere = [&](int count, auto is) {
            return QTest::qWaitFor(
                [&] { return std::count_if(host.positions().begin(), host.positions().end(), is) == count; });
        };

        std::vector<std::unique_ptr<Player>> players;
        for (int p = 1; p <= 6; ++p) {
            players.push_back(std::make_unique<Player>(host.port(), p));
            QVERIFY(players.back()->start());
            QVERIFY2(players.back()->connect(), qPrintable(QString::number(p)));
        }
        // Six players; one call refused first; the sixth logs on paper.
        const QStringList calls{"W1XYZ", "DL2ZZZ", "OH2BH", "JA1AA", "VK2CC", "G3PAP"};
        for (int p = 0; p < 6; ++p) {
            Player &player = *players[std::size_t(p)];
            if (p == 1) {
                player.signIn("w1xyz");
                QVERIFY(QTest::qWaitFor(
                    [&] { return player.message() == "Callsign already in use -- try another"; }));
            }
            player.signIn(calls[p], p != 5);
            QVERIFY(
                QTest::qWaitFor([&] { return player.message() == "Callsign ok -- please wait for start"; }));
        }

        // The wave file, checked at every station, then the test.
        QVERIFY(host.chooseWave(hostFolder.file("Round.wav"), hostFolder.file("RoundCalls.txt")));
        QVERIFY(host.sendWave());
        QVERIFY(positionsWhere(6, [](const HostEngine::Position &p) { return p.waveStatus == "FILE_OK"; }));
        QVERIFY(host.startTest());
        for (auto &player : players)
            QVERIFY(QTest::qWaitFor([&] { return player->main->session().logPending; }));
        QVERIFY(!players[5]->ui().ebCallEntry->isEnabled());

        // Every call is on the host's disk as soon as it has arrived.
        const auto hostLog = [&](int p) {
            return QString(
                hostFolder.Read(QDir(hostFolder.path()).relativeFilePath(host.positions()[p].logPath)));
        };
        const QList<QStringList> typed = {{"K1AA", "K2BB", "K3CC", "XX1XX"},
                                          {"K1AA", "W1AW"},
                                          {"K1AA", "K2BB", "K3CC"},
                                          {"DL1ABC"},
                                          {},
                                          {}};
        for (int p = 0; p < 4; ++p) {
            for (const QString &call : typed[p]) {
                players[std::size_t(p)]->typeCall(call);
                QVERIFY2(QTest::qWaitFor([&] { return hostLog(p).contains(call); }), qPrintable(call));
            }
        }

        // The third station's link breaks; the player goes on typing, and
        // his station joins again and sends what was typed meanwhile.
        Player &third = *players[2];
        third.fmConnect->HaldenClientSocket.abort();
        QVERIFY(QTest::qWaitFor([&] { return host.positions()[2].link == HostEngine::Link::Dropped; }));
        third.typeCall("W1AW");
        QVERIFY(third.connect());
        QVERIFY(QTest::qWaitFor([&] { return hostLog(2).contains("W1AW"); }));
        QCOMPARE(host.positions()[2].calls, 4);

        // The fourth station's link breaks too, and stays down past the end.
        Player &fourth = *players[3];
        fourth.fmConnect->HaldenClientSocket.abort();
        QVERIFY(QTest::qWaitFor([&] { return host.positions()[3].link == HostEngine::Link::Dropped; }));
        fourth.typeCall("K4DD");

        // The recording has played: the host submits, the stations finalize;
        // the fourth when it is back, with the call typed meanwhile first.
        clock.advanceSecs(21);
        host.tick();
        const auto finalized = [&](int count) {
            return positionsWhere(count, [](const HostEngine::Position &p) { return p.finalized; });
        };
        QVERIFY(finalized(5) && !host.positions()[3].finalized);
        QVERIFY(fourth.connect());
        QVERIFY(finalized(6) && hostLog(3).contains("K4DD"));
        QVERIFY(fourth.ui().ebCallSign->text() == "Wait for reset" && fourth.ui().ebCallSign->isReadOnly());

        // Scores and ranks as each station shows them.
        QVERIFY(host.score());
        const QStringList shown{"W1XYZ Score=3 Rank=2 of 5", "DL2ZZZ Score=2 Rank=4 of 5",
                                "OH2BH Score=4 Rank=1 of 5", "JA1AA Score=2 Rank=3 of 5",
                                "VK2CC Score=0 Rank=5 of 5", "G3PAP Paper log - score posted later"};
        for (int p = 0; p < 6; ++p)
            QVERIFY2(QTest::qWaitFor([&] { return players[std::size_t(p)]->box2() == shown[p]; }),
                     qPrintable(players[std::size_t(p)]->box2()));
        QVERIFY(QFileInfo::exists(host.roundFolder() + "/Results.txt"));

        // The next round: every station is ready for a new player.
        QVERIFY(host.reset());
        for (auto &player : players)
            QVERIFY(QTest::qWaitFor(
                [&] { return player->message() == "Type your call in box 1 and press the Enter key"; }));
    }

    void stationAndHostCrashMidTest()
    {
        // Two stations in a round of the host program. The first station's
        // process dies after two calls and starts again: the player joins the
        // test where it is and types two more. Then the host dies (SIGKILL)
        // and starts again on its data folder: the stations come back by
        // themselves, with the calls typed meanwhile. Every call is in the
        // host's log and counted in the score each station shows.
        TempBase hostFolder;
        hostFolder.Write("Round.wav", MakeWave(8000, 8, 1, 120000));
        hostFolder.WriteLines("RoundCalls.txt", RoundCalls);
        HostProcess host;
        QVERIFY(host.start(hostFolder.path(), 0));
        const quint16 port = host.port();
        QVERIFY(port != 0);

        std::vector<std::unique_ptr<Player>> players;
        const QStringList calls{"W1XYZ", "DL2ZZZ"};
        for (int p = 0; p < 2; ++p) {
            players.push_back(std::make_unique<Player>(port, p + 1));
            QVERIFY(players.back()->start() && players.back()->connect());
            players.back()->signIn(calls[p]);
            QVERIFY(QTest::qWaitFor(
                [&] { return players.back()->message() == "Callsign ok -- please wait for start"; }));
        }
        Player &first = *players[0];
        Player &second = *players[1];
        host.command("wave Round.wav RoundCalls.txt");
        host.command("send");
        QVERIFY(host.saw("Position 1: wave file ok") && host.saw("Position 2: wave file ok"));
        host.command("start");
        for (auto &player : players)
            QVERIFY(QTest::qWaitFor([&] { return player->main->session().logPending; }));
        // The calls of `call` in the round's log on the host's disk.
        const auto hostLog = [&](const QString &call) {
            const QFileInfoList rounds =
                QDir(hostFolder.file("HostLogs")).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot);
            QFile log(rounds.isEmpty() ? QString() : rounds.first().filePath() + "/" + call + ".log");
            return log.open(QIODevice::ReadOnly) ? QString(log.readAll()).split("\r\n", Qt::SkipEmptyParts)
                                                 : QStringList();
        };
        const auto type = [&](Player &player, const QString &call, const QString &owner) {
            player.typeCall(call);
            return QTest::qWaitFor([&] { return hostLog(owner).contains(call); });
        };
        QVERIFY(type(first, "K1AA", "W1XYZ") && type(first, "K2BB", "W1XYZ"));
        QVERIFY(type(second, "K3CC", "DL2ZZZ"));

        // The first station dies and starts again; its player registers and
        // is put into the running test, some way into the recording.
        QVERIFY(first.crashAndRestart());
        QVERIFY(first.connect());
        first.signIn("W1XYZ");
        QVERIFY(QTest::qWaitFor([&] { return first.main->session().logPending; }));
        QVERIFY(first.main->MediaPlayer1().position() > 0);
        QVERIFY(type(first, "K4DD", "W1XYZ") && type(first, "W1AW", "W1XYZ"));

        // The host dies. The stations' players type on; the host starts
        // again on the same folder and port and says it takes the round up.
        host.kill();
        for (auto &player : players)
            QVERIFY(QTest::qWaitFor([&] { return player->fmConnect->Reconnecting(); }));
        first.typeCall("K5EE");
        second.typeCall("K6FF");
        second.typeCall("DL1ABC");
        QVERIFY(host.start(hostFolder.path(), port));
        QVERIFY(host.saw("Resuming the unfinished round"));
        for (auto &player : players) {
            player->clock.advanceMs(TfmConnect::ReconnectIntervalMs);
            player->fmConnect->tmReconnectTimer();
        }
        for (auto &player : players)
            QVERIFY(QTest::qWaitFor([&] { return player->message().startsWith("Connected again -- "); }));
        QVERIFY(
            QTest::qWaitFor([&] { return hostLog("W1XYZ").size() == 5 && hostLog("DL2ZZZ").size() == 3; }));

        // The round ends as usual.
        host.command("submit");
        QVERIFY(host.saw("W1XYZ finalized") && host.saw("DL2ZZZ finalized"));
        host.command("score");
        QCOMPARE(hostLog("W1XYZ"), (QStringList{"K1AA", "K2BB", "K4DD", "W1AW", "K5EE"}));
        QCOMPARE(hostLog("DL2ZZZ"), (QStringList{"K3CC", "K6FF", "DL1ABC"}));
        QVERIFY(QTest::qWaitFor([&] { return first.box2() == "W1XYZ Score=5 Rank=1 of 2"; }));
        QVERIFY(QTest::qWaitFor([&] { return second.box2() == "DL2ZZZ Score=3 Rank=2 of 2"; }));
    }
};

QTEST_MAIN(TestHostRound)
#include "tst_hostround.moc"
