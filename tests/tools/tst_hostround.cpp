// A whole round of the competition host with real stations: six station
// windows (offscreen, silent audio) on six positions over 127.0.0.1, a call
// refused, a paper-log player, stations whose links break mid-test and that
// come back, before or after the submit, the logs on the host's disk after
// each call, the scores and ranks each station shows, and the next round.

#include "HostEngine.h"
#include "TestStation.h"
#include "ui_TfmConnect.h"
#include "ui_TfmMain.h"

#include <QTest>

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
};

QTEST_MAIN(TestHostRound)
#include "tst_hostround.moc"
