// The competition host's engine against raw sockets on 127.0.0.1 standing in
// for the stations: positions and players, calls on the disk as they arrive
// whatever the network or the station does, lost and returning stations, the
// timing of a round, and the scores.

#include "FakeHost.h"
#include "HostEngine.h"
#include "HostStationLink.h"
#include "TempBase.h"
#include "util/Clock.h"

#include <QDirIterator>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>

using Link = HostEngine::Link;
using Stage = HostEngine::Stage;

namespace {

struct Rig
{
    TempBase base;
    ManualClock clock;
    QString data = base.file(QStringLiteral("data"));
    HostEngine engine{clock, data};
    QStringList problems;
    std::vector<std::unique_ptr<RawStation>> stations;

    Rig()
    {
        QObject::connect(&engine, &HostEngine::problem, [this](const QString &text) { problems << text; });
        engine.listen(QHostAddress::LocalHost, 0);
    }
    RawStation &connectStation()
    {
        stations.push_back(std::make_unique<RawStation>(engine.port()));
        return *stations.back();
    }
    // A station at position `n` (1..6) with the player registered; null when
    // the host said no.
    RawStation *join(int n, const QByteArray &call, const QByteArray &method = "COMPUTERLOG")
    {
        RawStation &s = connectStation();
        s.send(";CONNECT_POSITION:Position " + QByteArray::number(n) + ";");
        if (!s.waitFor(";POSITION_ACCEPTED:"))
            return nullptr;
        s.send(";REGISTER_PLAYER:" + call + "," + method + ";");
        return s.waitFor(";PLAYER_ACCEPTED:") ? &s : nullptr;
    }
    // A wave of `ms` and its check list chosen and sent; every station
    // answers that it holds the file.
    bool waveReady(int ms, const QStringList &checkList = {})
    {
        base.Write(QStringLiteral("Pileup.wav"), MakeWave(8000, 8, 1, ms));
        base.WriteLines(QStringLiteral("Pileup.txt"), checkList);
        if (!engine.chooseWave(base.file(QStringLiteral("Pileup.wav")),
                               base.file(QStringLiteral("Pileup.txt"))) ||
            !engine.sendWave())
            return false;
        for (auto &s : stations) {
            if (s->socket.state() != QAbstractSocket::ConnectedState)
                continue;
            if (!s->waitFor(Ended({";SET_WAVEFILE:Pileup.wav", ";VALIDATE_WAVEFILE:Pileup.wav"})))
                return false;
            s->send(";WAVEFILE_STATUS:FILE_OK;");
        }
        return QTest::qWaitFor([&] {
            for (const auto &p : engine.positions())
                if (!p.call.isEmpty() && p.link == Link::Connected && p.waveStatus != u"FILE_OK")
                    return false;
            return true;
        });
    }
    QByteArray log(int index) const
    {
        QFile f(engine.positions()[index].logPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }
    void tick(int seconds)
    {
        for (int i = 0; i < seconds; ++i) {
            clock.advanceSecs(1);
            engine.tick();
        }
    }
};

// Runs `send`, then the event loop until `done` holds or half the host's
// wait for a message's rest has passed, and then once more for what had
// arrived by then: true when `done` holds. A message that waited for its
// rest cannot have been handled yet, its wait having begun after this one.
bool BeforeMessageWait(const std::function<void()> &send, const std::function<bool()> &done)
{
    QTimer guard;
    guard.setSingleShot(true);
    guard.setTimerType(Qt::PreciseTimer);
    guard.start(HostStationLink::MessageWaitMs / 2);
    send();
    while (!done() && guard.isActive())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
    return done();
}

// Every file under `folder`, relative to it.
QStringList FilesUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace

class TestHostEngine : public QObject
{
    Q_OBJECT

private slots:
    void positionsAndPlayers();
    void callsReachTheDiskWhateverTheLink();
    void roundTimingAndWaveChoice();
    void scoresAndRanking();
    void roundTakenUpAfterAHostCrash();
};

void TestHostEngine::positionsAndPlayers()
{
    Rig rig;
    RawStation *first = rig.join(2, "K5XX");
    QVERIFY(first);
    first->send(";CONNECT_POSITION:Position 4;"); // one position to a station
    QVERIFY(first->waitFor(";POSITION_REJECTED:"));

    // Position requests: {request, accepted}.
    const QList<std::pair<QByteArray, bool>> requests = {
        {"position 3", true},  // letter case ignored
        {"Position 2", false}, // held by a live station
        {"Position 7", false}, {"Position 0", false}, {"../Position 1", false},
    };
    for (const auto &[request, accepted] : requests) {
        RawStation &s = rig.connectStation();
        s.send(";CONNECT_POSITION:" + request + ";");
        QVERIFY2(s.waitFor(accepted ? ";POSITION_ACCEPTED:" : ";POSITION_REJECTED:"), request.constData());
    }

    // Registrations: {station, call, accepted}.
    RawStation &third = *rig.stations[1];
    RawStation &unplaced = *rig.stations[2];
    const QList<std::tuple<RawStation *, QByteArray, bool>> registrations = {
        {&third, "k5xx", false}, // registered at Position 2
        {&unplaced, "N0CALL", false},
        {&third, "..\\X", false},
        {&third, "A/B", false},
        {&third, "..", false},
        {&third, "con", false},                   // a device to Windows
        {&third, "ABCDEFGHIJKLMNOPQRSTU", false}, // 21 characters
        {&third, "   ", false},
        {&third, "W1AW", true},
        {&third, "W1AW", true},  // the same again
        {first, "K5XX", true},   // likewise, at its own position
        {first, "DL1ABC", true}, // no calls logged yet: the player may change
    };
    for (const auto &[station, call, accepted] : registrations) {
        station->got.clear();
        station->send(";REGISTER_PLAYER:" + call + ",COMPUTERLOG;");
        QVERIFY2(station->waitFor(accepted ? ";PLAYER_ACCEPTED:" : ";PLAYER_REJECTED:"), call.constData());
    }
    QCOMPARE(rig.engine.positions()[2].call, QStringLiteral("W1AW"));
    QCOMPARE(rig.engine.positions()[1].call, QStringLiteral("DL1ABC"));
    QVERIFY(rig.problems.filter(QStringLiteral("cannot name a log file")).size() >= 6);

    // A station that keeps doing wrong is reported a few times, not each time;
    // its stray calls once.
    rig.problems.clear();
    unplaced.got.clear();
    unplaced.send(";LOG_CALL:W1A;LOG_CALL:W1B" + QByteArray(";CONNECT_POSITION:Position 9").repeated(500) +
                  ";");
    QTRY_COMPARE(unplaced.got.count(";POSITION_REJECTED:"), 500);
    QVERIFY(rig.problems.size() <= 21 && rig.problems.last().contains(QStringLiteral("not shown")));
    QCOMPARE(rig.problems.filter(QStringLiteral("no registered player")).size(), 1);

    // A station that leaves is told so; its place is free for another.
    third.got.clear();
    third.send(";REQUEST_DISCONNECT:");
    QVERIFY(third.waitFor(";PERFORM_DISCONNECT:"));
    QTRY_COMPARE(rig.engine.positions()[2].link, Link::Disconnected);
    QCOMPARE(rig.engine.positions()[2].call, QStringLiteral("W1AW"));
    RawStation &next = rig.connectStation();
    next.send(";CONNECT_POSITION:Position 3;");
    QVERIFY(next.waitFor(";POSITION_ACCEPTED:"));

    // With every position held, a station asking is told that all are taken.
    for (const QByteArray n : {"1", "4", "5", "6"}) {
        RawStation &s = rig.connectStation();
        s.send(";CONNECT_POSITION:Position " + n + ";");
        QVERIFY(s.waitFor(";POSITION_ACCEPTED:"));
    }
    RawStation &seventh = rig.connectStation();
    seventh.send(";CONNECT_POSITION:Position 2;");
    QVERIFY(seventh.waitFor(";POSITION_REJECTED:ALL_TAKEN"));

    // Stations waiting without a position are limited; the next is closed.
    while (rig.engine.waitingStations() < HostEngine::MaxWaitingStations) {
        const int before = rig.engine.waitingStations();
        rig.connectStation();
        QTRY_COMPARE(rig.engine.waitingStations(), before + 1);
    }
    RawStation &closed = rig.connectStation();
    QTRY_COMPARE(closed.socket.state(), QAbstractSocket::UnconnectedState);

    // Nothing but the players' logs and the round's state was written, all
    // inside the round's folder.
    const QString round = QDir(rig.data).relativeFilePath(rig.engine.roundFolder());
    QCOMPARE(QDir(rig.base.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"data"});
    for (const QString &file : FilesUnder(rig.data))
        QVERIFY2(file.startsWith(round + u'/') && file.count(u'/') == 2 &&
                     (file.endsWith(u".log") || file.endsWith(u"/RoundState.txt")),
                 qPrintable(file));
}

void TestHostEngine::callsReachTheDiskWhateverTheLink()
{
    Rig rig;
    RawStation *a = rig.join(1, "K5XX");
    RawStation *b = rig.join(2, "W1AW");
    QVERIFY(a && b);
    // Calls before the test are reported once per station and stage.
    const auto early = [&] { return rig.problems.filter(QStringLiteral("no test running")).size(); };
    a->got.clear();
    a->send(";LOG_CALL:TOOEARLY;LOG_CALL:TOOEARLY;CONNECT_POSITION:Position 1;");
    QVERIFY(a->waitFor(";POSITION_ACCEPTED:"));
    QCOMPARE(early(), 1);
    QVERIFY(rig.waveReady(120000));
    a->send(";LOG_CALL:TOOEARLY;");
    QTRY_COMPARE(early(), 2);
    QVERIFY(rig.engine.startTest());
    QVERIFY(a->waitFor(";START_TEST:") && b->waitFor(";START_TEST:"));

    // Each call is on the disk as soon as it came, whole and in order, however
    // the network cut or merged the blocks. Our station's ends with its mark:
    // on the disk at once, not after the wait for a message's rest.
    QVERIFY(
        BeforeMessageWait([&] { a->send(HostProtocol::EncodeWire(HostProtocol::LogCallMessage(u"DL1ABC"))); },
                          [&] { return rig.log(0) == "DL1ABC\r\n"; }));
    a->send(";LOG_CA");
    QTest::qWait(20);
    a->send("LL:G3A;LOG_CALL:W1A");
    QTest::qWait(10); // well within the moment a call at a block's end waits for its rest
    a->send("W");
    QTRY_COMPARE(rig.log(0), QByteArray("DL1ABC\r\nG3A\r\nW1AW\r\n"));

    // The organiser's window may run the event loop inside a signal (a message
    // box): the calls still land in the order sent.
    bool boxShown = false;
    const auto box = QObject::connect(&rig.engine, &HostEngine::positionChanged, [&](int index) {
        if (index == 0 && !std::exchange(boxShown, true))
            QTest::qWait(3 * HostStationLink::MessageWaitMs / 2);
    });
    a->send(";LOG_CALL:N1;LOG_CALL:N2;LOG_CALL:N3");
    QTRY_COMPARE(rig.log(0), QByteArray("DL1ABC\r\nG3A\r\nW1AW\r\nN1\r\nN2\r\nN3\r\n"));
    QObject::disconnect(box);

    // Garbage, binary bytes and a megabyte block from one station: the other
    // station's calls still go through, and the flooding one's next call too.
    QByteArray flood(1 << 20, '\0');
    QRandomGenerator random(7);
    for (char &c : flood)
        c = char(random.bounded(256));
    a->send("\x01\x02garbage:;;;:,,;LOG_CALL:" + QByteArray(5000, 'Z') + ";" + flood);
    b->send(";LOG_CALL:JA1QQ;");
    QTRY_COMPARE(rig.log(1), QByteArray("JA1QQ\r\n"));
    b->send(";REGISTER_PLAYER:G4NEW,COMPUTERLOG;"); // one call logged: the player stays
    QVERIFY(b->waitFor(";PLAYER_REJECTED:"));
    a->send(";LOG_CALL:VK2X\x01Y ;");
    QTRY_VERIFY(rig.log(0).endsWith("\r\nVK2X?Y\r\n"));
    QVERIFY(rig.log(0).startsWith("DL1ABC\r\nG3A\r\nW1AW\r\nN1\r\nN2\r\nN3\r\n"));
    QCOMPARE(rig.log(0).count("\r\n"), 8); // the over-long call, cut, and nothing of the flood

    // A silent station is lost after 30 s, keeps its place, and is back when heard.
    rig.tick(29);
    QVERIFY(b->waitFor(";HEALTH_CHECK:"));
    QCOMPARE(rig.engine.positions()[0].link, Link::Connected);
    b->send(";CLIENT_ALIVE:");
    QTRY_COMPARE(rig.engine.positions()[1].lastHeardMs, rig.clock.monotonicMs());
    rig.tick(1);
    QCOMPARE(rig.engine.positions()[0].link, Link::Lost);
    QCOMPARE(rig.engine.positions()[1].link, Link::Connected);
    a->send(";CLIENT_ALIVE:");
    QTRY_COMPARE(rig.engine.positions()[0].link, Link::Connected);

    // A crashed station: what it sent just before is logged, the call still
    // waiting for its rest too; its position is dropped, then taken over by a
    // new connection that goes on logging for the same player.
    QByteArray last;
    for (int i = 0; i < 1000; ++i)
        last += ";LOG_CALL:K" + QByteArray::number(i);
    a->send(last + ";LOG_CALL:LAST");
    a->socket.abort();
    QTRY_COMPARE(rig.engine.positions()[0].link, Link::Dropped);
    QVERIFY(rig.log(0).endsWith("\r\nK999\r\nLAST\r\n"));
    QCOMPARE(rig.engine.positions()[0].calls, 1009);
    RawStation &again = rig.connectStation();
    again.send(";CONNECT_POSITION:Position 1;LOG_CALL:OH2BH;");
    QVERIFY(again.waitFor(";POSITION_ACCEPTED:"));
    QTRY_VERIFY(rig.log(0).endsWith("\r\nOH2BH\r\n"));
    QCOMPARE(rig.engine.positions()[0].call, QStringLiteral("K5XX"));
    QCOMPARE(rig.engine.positions()[0].calls, 1010);
}

void TestHostEngine::roundTimingAndWaveChoice()
{
    Rig rig;
    // Choices refused, each with its reason.
    rig.base.Write(QStringLiteral("notwave.wav"), "RIFF....text, not a recording");
    rig.base.Write(QStringLiteral("good.wav"), MakeWave(8000, 8, 1, 1000));
    rig.base.Write(QStringLiteral("a;b.wav"), MakeWave(8000, 8, 1, 1000));
    const QList<std::tuple<QString, QString, QString>> refused = {
        {QStringLiteral("missing.wav"), QStringLiteral("good.wav"), QStringLiteral("does not exist")},
        {QStringLiteral("notwave.wav"), QStringLiteral("good.wav"), QStringLiteral("cannot be played")},
        {QStringLiteral("good.wav"), QStringLiteral("missing.txt"), QStringLiteral("check list")},
        {QStringLiteral("a;b.wav"), QStringLiteral("good.wav"), QStringLiteral("cannot be sent")},
    };
    for (const auto &[wave, list, reason] : refused) {
        rig.problems.clear();
        QVERIFY(!rig.engine.chooseWave(rig.base.file(wave), rig.base.file(list)));
        QVERIFY2(rig.problems.size() == 1 && rig.problems[0].contains(reason),
                 qPrintable(rig.problems.join('|')));
    }
    QVERIFY(!rig.engine.startTest()); // nothing chosen, nothing sent

    RawStation *ready = rig.join(1, "K5XX");
    RawStation *unready = rig.join(2, "W1AW");
    QVERIFY(ready && unready);
    QVERIFY(rig.waveReady(5000));
    // The organiser hears why a step will do nothing: the welcome at
    // stations with players, a demonstration too short for its first call.
    rig.problems.clear();
    QVERIFY(rig.engine.playWelcome());
    rig.engine.startDemo(5);
    QCOMPARE(rig.problems,
             (QStringList{"The welcome plays only at stations where no player has registered: 2 "
                          "station(s) with a player ignore it",
                          "The recording lasts 5 s; a demonstration logs its first call 90 s in, "
                          "so this one logs no call"}));
    QVERIFY(ready->waitFor(Ended({";START_DEMO:5"})));
    ready->send(";LOG_CALL:DEMO1;FINALIZE_LOG:");
    QTRY_COMPARE(FilesUnder(rig.engine.roundFolder()).filter(QStringLiteral("Demo/K5XX.log")).size(), 1);
    QVERIFY(!rig.engine.reset()); // not while a recording plays
    rig.engine.stopDemo();

    unready->send(";WAVEFILE_STATUS:FILE_ERROR;");
    QTRY_COMPARE(rig.engine.positions()[1].waveStatus, QStringLiteral("FILE_ERROR"));
    unready->got.clear();
    rig.problems.clear();
    QVERIFY(rig.engine.startTest());
    QVERIFY(ready->waitFor(";START_TEST:"));
    QVERIFY(rig.problems.filter(QStringLiteral("Position 2: not started")).size() == 1);
    unready->send(";LOG_CALL:NOTSTARTED;");
    QTRY_VERIFY(!rig.problems.filter(QStringLiteral("Position 2: logs calls with no part")).isEmpty());
    QCOMPARE(rig.log(1), QByteArray());
    QVERIFY(!rig.engine.reset());

    // Five seconds of recording, with pauses of ten and two seconds that do
    // not count. The wall clock set ten minutes forward, then back (a time
    // server reached), neither submits nor loses a station nor holds the
    // submit.
    rig.tick(2);
    for (const qint64 step : {10 * 60 * 1000, -20 * 60 * 1000}) {
        rig.clock.stepWallMs(step);
        rig.engine.tick();
        QCOMPARE(rig.engine.stage(), Stage::Running);
        QCOMPARE(rig.engine.positions()[0].link, Link::Connected);
    }
    QVERIFY(rig.engine.pauseTest());
    rig.tick(10);
    QVERIFY(!rig.engine.reset());
    QCOMPARE(rig.engine.remainingSeconds(), 3);
    QVERIFY(rig.engine.resumeTest());
    rig.tick(1);
    QVERIFY(rig.engine.pauseTest());
    rig.tick(2);
    QVERIFY(rig.engine.resumeTest());
    QCOMPARE(rig.engine.remainingSeconds(), 2);
    rig.tick(1);
    QCOMPARE(rig.engine.stage(), Stage::Running);
    QVERIFY(!ready->got.contains(";FORCE_SUBMIT:"));
    rig.tick(1);
    QCOMPARE(rig.engine.stage(), Stage::Submitted);
    QVERIFY(ready->waitFor(";PAUSE_TEST:") && ready->waitFor(";RESUME_TEST:;FORCE_SUBMIT:"));
    QVERIFY(!unready->got.contains(";START_TEST:") && !unready->got.contains(";FORCE_SUBMIT:"));
    QCOMPARE(rig.log(0), QByteArray());
}

void TestHostEngine::scoresAndRanking()
{
    Rig rig;
    const QList<std::tuple<QByteArray, QByteArray, QByteArray>> players = {
        // call, method, calls logged
        {"K5XX", "COMPUTERLOG", ";LOG_CALL:K1ABC;LOG_CALL:W2XYZ;LOG_CALL:DL9ZZZ;LOG_CALL:NOPE;"},
        {"W1AW", "COMPUTERLOG", ";LOG_CALL:w2xyz;LOG_CALL:DL9ZZZ;LOG_CALL:G3A;"},
        {"DL1ABC", "PAPERLOG", ""},
        {"N0CALL", "COMPUTERLOG", ";LOG_CALL:dl9zzz;LOG_CALL:K1ABC;LOG_CALL: W2XYZ ;"},
        {"OH2BH", "COMPUTERLOG", ";LOG_CALL:K1ABC;"},
    };
    for (int i = 0; i < players.size(); ++i)
        QVERIFY(rig.join(i + 1, std::get<0>(players[i]), std::get<1>(players[i])));
    QVERIFY(rig.waveReady(60000, {"K1ABC", "W2XYZ", "DL9ZZZ", "G3A", "JA1QQ"}));
    QVERIFY(!rig.engine.score());
    QVERIFY(rig.engine.startTest());
    for (int i = 0; i < players.size(); ++i) {
        QVERIFY(rig.stations[i]->waitFor(";START_TEST:"));
        rig.stations[i]->send(std::get<2>(players[i]));
    }
    const QList<int> counts = {4, 3, 0, 3, 1};
    for (int i = 0; i < counts.size(); ++i)
        QTRY_COMPARE(rig.engine.positions()[i].calls, counts[i]);
    QVERIFY(rig.engine.forceSubmit());
    rig.stations[4]->socket.abort(); // gone before it finalized: scored all the same, told nothing
    for (int i = 0; i < 4; ++i) {
        rig.stations[i]->send(";FINALIZE_LOG:");
        QTRY_VERIFY(rig.engine.positions()[i].finalized);
    }
    QTRY_COMPARE(rig.engine.positions()[4].link, Link::Dropped);

    QVERIFY(rig.engine.score());
    QCOMPARE(rig.problems.filter(QStringLiteral("OH2BH did not finalize")).size(), 1);
    const QList<QByteArray> told = {Ended({";SCORE_TEST:3,1 of 4"}), Ended({";SCORE_TEST:3,3 of 4"}),
                                    Ended({";SCORE_TEST:PAPER"}), Ended({";SCORE_TEST:3,1 of 4"})};
    for (int i = 0; i < told.size(); ++i) {
        QVERIFY2(rig.stations[i]->waitFor(";ENABLE_FINALSCORE:" + told[i]), rig.stations[i]->got.constData());
        QCOMPARE(rig.stations[i]->got.count(";SCORE_TEST:"), 1);
    }
    const QStringList results = {
        "Rank,Position,Call,Method,Calls,Chars", "1,Position 1,K5XX,Computer,3,16",
        "1,Position 4,N0CALL,Computer,3,16",     "3,Position 2,W1AW,Computer,3,14",
        "4,Position 5,OH2BH,Computer,1,5",       "PAPER,Position 3,DL1ABC,Paper,,",
    };
    QFile file(rig.engine.roundFolder() + "/Results.txt");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), results.join("\r\n").toUtf8() + "\r\n");
    QCOMPARE(rig.engine.ranking(), results.mid(1));

    // Back after the scoring, it is asked for its log, and its calls typed
    // meanwhile still reach the disk.
    RawStation &back = rig.connectStation();
    back.send(";CONNECT_POSITION:Position 5;");
    QVERIFY(back.waitFor(";POSITION_ACCEPTED:;FORCE_SUBMIT:"));
    back.send(";LOG_CALL:W2XYZ;FINALIZE_LOG:;");
    QTRY_VERIFY(rig.engine.positions()[4].finalized);
    QCOMPARE(rig.log(4), QByteArray("K1ABC\r\nW2XYZ\r\n"));

    // The next round: registrations cleared, positions kept, a new folder.
    const QString oldRound = rig.engine.roundFolder();
    QVERIFY(rig.engine.reset());
    QVERIFY(rig.stations[0]->waitFor(";RESET_TEST:"));
    QVERIFY(rig.engine.roundFolder() != oldRound);
    QCOMPARE(rig.engine.positions()[0].call, QString());
    QCOMPARE(rig.engine.positions()[0].link, Link::Connected);
    rig.stations[1]->send(";REGISTER_PLAYER:K5XX,COMPUTERLOG;");
    QVERIFY(rig.stations[1]->waitFor(";PLAYER_ACCEPTED:" + Ended({";SET_WAVEFILE:Pileup.wav"})));
}

void TestHostEngine::roundTakenUpAfterAHostCrash()
{
    // A host runs a round and dies in the middle of the test; the host
    // started again on its data folder (rig.engine) takes the round up.
    Rig rig;
    rig.base.Write(QStringLiteral("data/Pileup.wav"), MakeWave(8000, 8, 1, 60000));
    rig.base.WriteLines(QStringLiteral("data/Pileup.txt"), {"K1ABC", "W2XYZ", "DL9ZZZ"});
    QString roundFolder;
    {
        HostEngine first(rig.clock, rig.data);
        QVERIFY(first.listen(QHostAddress::LocalHost, 0));
        std::vector<std::unique_ptr<RawStation>> stations;
        for (const QByteArray call : {"K5XX", "W1AW"}) {
            stations.push_back(std::make_unique<RawStation>(first.port()));
            stations.back()->send(";CONNECT_POSITION:Position " + QByteArray::number(stations.size()) +
                                  ";REGISTER_PLAYER:" + call + ",COMPUTERLOG;");
            QVERIFY(stations.back()->waitFor(";PLAYER_ACCEPTED:"));
        }
        QVERIFY(first.chooseWave(rig.base.file(QStringLiteral("data/Pileup.wav")),
                                 rig.base.file(QStringLiteral("data/Pileup.txt"))));
        QVERIFY(first.sendWave());
        for (auto &s : stations)
            s->send(";WAVEFILE_STATUS:FILE_OK;");
        QTRY_COMPARE(first.positions()[1].waveStatus, QStringLiteral("FILE_OK"));
        QVERIFY(first.startTest());
        stations[0]->send(";LOG_CALL:K1ABC;LOG_CALL:W2XYZ;");
        // Ten seconds played, a pause of five that does not count, five more.
        for (const auto &[seconds, step] : {std::pair{10, 0}, {5, 1}, {5, 2}}) {
            if (step == 1)
                QVERIFY(first.pauseTest());
            if (step == 2)
                QVERIFY(first.resumeTest());
            rig.clock.advanceSecs(seconds);
            first.tick();
        }
        QTRY_COMPARE(first.positions()[0].calls, 2);
        roundFolder = first.roundFolder();
    } // the host is gone: its stations' links break, its logs stay as written

    // Down for twenty seconds while the stations played on.
    rig.clock.advanceSecs(20);
    QVERIFY(rig.engine.resumeRound());
    QCOMPARE(rig.engine.roundFolder(), roundFolder);
    QCOMPARE(rig.engine.stage(), Stage::Running);
    QCOMPARE(rig.engine.remainingSeconds(), 60 - 15 - 20);
    QCOMPARE(rig.engine.positions()[0].call, QStringLiteral("K5XX"));
    QCOMPARE(rig.engine.positions()[0].link, Link::Dropped);
    QCOMPARE(rig.engine.positions()[0].calls, 2);

    // The first station comes back to its place and goes on in the same log;
    // registered again, it is told where the test is (and ignores it, being
    // in it). The second is not back before the recording has played.
    RawStation &back = rig.connectStation();
    back.send(";CONNECT_POSITION:Position 1;REGISTER_PLAYER:K5XX,COMPUTERLOG;LOG_CALL:DL9ZZZ;");
    QVERIFY(back.waitFor(
        ";PLAYER_ACCEPTED:" + Ended({";SET_WAVEFILE:Pileup.wav", ";VALIDATE_WAVEFILE:Pileup.wav"}) +
        ";START_TEST:35000"));
    QTRY_COMPARE(rig.log(0), QByteArray("K1ABC\r\nW2XYZ\r\nDL9ZZZ\r\n"));
    QCOMPARE(rig.engine.positions()[0].calls, 3);
    // The second station takes its place back just before the end; its
    // player registers only once the test is over: he is asked for his log
    // and given no late start.
    RawStation &late = rig.connectStation();
    late.send(";CONNECT_POSITION:Position 2;");
    QVERIFY(late.waitFor(";POSITION_ACCEPTED:"));
    rig.tick(24);
    QCOMPARE(rig.engine.stage(), Stage::Running);
    rig.tick(1);
    QCOMPARE(rig.engine.stage(), Stage::Submitted);
    QVERIFY(back.waitFor(";FORCE_SUBMIT:") && late.waitFor(";FORCE_SUBMIT:"));
    back.send(";FINALIZE_LOG:");
    late.send(";REGISTER_PLAYER:W1AW,COMPUTERLOG;");
    QVERIFY(late.waitFor(Ended({";VALIDATE_WAVEFILE:Pileup.wav"})) && !late.got.contains("START_TEST"));
    late.send(";LOG_CALL:K1ABC;FINALIZE_LOG:");
    QTRY_VERIFY(rig.engine.positions()[1].finalized);
    QVERIFY(rig.engine.score());
    QCOMPARE(rig.engine.ranking(),
             (QStringList{"1,Position 1,K5XX,Computer,3,16", "2,Position 2,W1AW,Computer,1,5"}));

    // A host started after the round was closed (a new round began) takes
    // nothing up.
    QVERIFY(rig.engine.reset());
    HostEngine third(rig.clock, rig.data);
    QVERIFY(!third.resumeRound());
}

QTEST_GUILESS_MAIN(TestHostEngine)
#include "tst_hostengine.moc"
