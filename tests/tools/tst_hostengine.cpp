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

// A station as the host sees it: bytes in, bytes out.
class RawStation
{
public:
    explicit RawStation(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { got += socket.readAll(); });
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.waitForConnected(5000);
    }
    void send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
    bool waitFor(const QByteArray &part)
    {
        return QTest::qWaitFor([&] { return got.contains(part); }, 5000);
    }

    QTcpSocket socket;
    QByteArray got;
};

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
};

void TestHostEngine::positionsAndPlayers()
{
    Rig rig;
    RawStation *first = rig.join(2, "K5XX");
    QVERIFY(first);

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

    // A station that keeps asking wrong is reported a few times, not each time.
    rig.problems.clear();
    unplaced.got.clear();
    unplaced.send(QByteArray(";CONNECT_POSITION:Position 9").repeated(500) + ";");
    QTRY_COMPARE(unplaced.got.count(";POSITION_REJECTED:"), 500);
    QVERIFY(rig.problems.size() <= 21 && rig.problems.last().contains(QStringLiteral("not shown")));

    // A station that leaves is told so; its place is free for another.
    third.got.clear();
    third.send(";REQUEST_DISCONNECT:");
    QVERIFY(third.waitFor(";PERFORM_DISCONNECT:"));
    QTRY_COMPARE(rig.engine.positions()[2].link, Link::Disconnected);
    QCOMPARE(rig.engine.positions()[2].call, QStringLiteral("W1AW"));
    RawStation &next = rig.connectStation();
    next.send(";CONNECT_POSITION:Position 3;");
    QVERIFY(next.waitFor(";POSITION_ACCEPTED:"));

    // Stations waiting without a position are limited; the next is closed.
    while (rig.engine.waitingStations() < HostEngine::MaxWaitingStations) {
        const int before = rig.engine.waitingStations();
        rig.connectStation();
        QTRY_COMPARE(rig.engine.waitingStations(), before + 1);
    }
    RawStation &closed = rig.connectStation();
    QTRY_COMPARE(closed.socket.state(), QAbstractSocket::UnconnectedState);

    // Nothing but the players' logs was written, all inside the round's folder.
    const QString round = QDir(rig.data).relativeFilePath(rig.engine.roundFolder());
    QCOMPARE(QDir(rig.base.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"data"});
    for (const QString &file : FilesUnder(rig.data))
        QVERIFY2(file.startsWith(round + u'/') && file.count(u'/') == 2 && file.endsWith(u".log"),
                 qPrintable(file));
}

void TestHostEngine::callsReachTheDiskWhateverTheLink()
{
    Rig rig;
    RawStation *a = rig.join(1, "K5XX");
    RawStation *b = rig.join(2, "W1AW");
    QVERIFY(a && b);
    a->send(";LOG_CALL:TOOEARLY;");
    QTRY_VERIFY(!rig.problems.filter(QStringLiteral("no test running")).isEmpty());
    QVERIFY(rig.waveReady(120000));
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
    a->send(";LOG_CALL:VK2X\x01Y ;");
    QTRY_VERIFY(rig.log(0).endsWith("\r\nVK2X?Y\r\n"));
    QVERIFY(rig.log(0).startsWith("DL1ABC\r\nG3A\r\nW1AW\r\nN1\r\nN2\r\nN3\r\n"));
    QCOMPARE(rig.log(0).count("\r\n"), 8); // the over-long call, cut, and nothing of the flood

    // A silent station is lost after 30 s, keeps its place, and is back when heard.
    rig.tick(29);
    QVERIFY(b->waitFor(";HEALTH_CHECK:"));
    QCOMPARE(rig.engine.positions()[0].link, Link::Connected);
    b->send(";CLIENT_ALIVE:");
    QTRY_COMPARE(rig.engine.positions()[1].lastHeard, rig.clock.now());
    rig.tick(1);
    QCOMPARE(rig.engine.positions()[0].link, Link::Lost);
    QCOMPARE(rig.engine.positions()[1].link, Link::Connected);
    a->send(";CLIENT_ALIVE:");
    QTRY_COMPARE(rig.engine.positions()[0].link, Link::Connected);

    // A crashed station: its position is dropped, then taken over by a new
    // connection that goes on logging for the same player.
    a->socket.abort();
    QTRY_COMPARE(rig.engine.positions()[0].link, Link::Dropped);
    RawStation &again = rig.connectStation();
    again.send(";CONNECT_POSITION:Position 1;LOG_CALL:OH2BH;");
    QVERIFY(again.waitFor(";POSITION_ACCEPTED:"));
    QTRY_VERIFY(rig.log(0).endsWith("\r\nOH2BH\r\n"));
    QCOMPARE(rig.engine.positions()[0].call, QStringLiteral("K5XX"));
    QCOMPARE(rig.engine.positions()[0].calls, 9);
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
    rig.engine.startDemo(5);
    QVERIFY(ready->waitFor(Ended({";START_DEMO:5"})));
    ready->send(";LOG_CALL:DEMO1;FINALIZE_LOG:");
    QTRY_COMPARE(FilesUnder(rig.engine.roundFolder()).filter(QStringLiteral("Demo/K5XX.log")).size(), 1);
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
    QVERIFY(!rig.engine.reset()); // not in the middle of a test

    // Five seconds of recording, with a ten-second pause that does not count.
    rig.tick(3);
    QCOMPARE(rig.engine.remainingSeconds(), 2);
    QVERIFY(rig.engine.pauseTest());
    rig.tick(10);
    QCOMPARE(rig.engine.remainingSeconds(), 2);
    QVERIFY(rig.engine.resumeTest());
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
    for (auto &s : rig.stations)
        s->send(";FINALIZE_LOG:");
    for (int i = 0; i < counts.size(); ++i)
        QTRY_VERIFY(rig.engine.positions()[i].finalized);
    rig.stations[4]->socket.abort(); // scored all the same, told nothing
    QTRY_COMPARE(rig.engine.positions()[4].link, Link::Dropped);

    QVERIFY(rig.engine.score());
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

QTEST_GUILESS_MAIN(TestHostEngine)
#include "tst_hostengine.moc"
