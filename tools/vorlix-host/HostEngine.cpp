#include "HostEngine.h"

#include "HostPlayerLog.h"
#include "HostResults.h"
#include "HostRoundState.h"
#include "HostStationLink.h"
#include "util/Clock.h"
#include "util/FileUtil.h"
#include "util/StationError.h"
#include "util/TextFile.h"
#include "util/WaveFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

using namespace HostProtocol;

// How the host runs an event, where the station leaves it open:
//
// Positions. A station asks for "Position 1" .. "Position 6" (letter case and
// surrounding blanks ignored). A position is free for the asking unless a
// station that is still there (Connected) holds it. A position whose station
// dropped, went silent (Lost) or left keeps its player, calls and round data,
// and a new connection may take it over and go on: a crashed station comes
// back and sends the calls typed meanwhile without registering again. A lost
// station's old connection is closed when another takes its place. A station
// holds one position; asking for another one is refused. Stations waiting
// without a position are limited to MaxWaitingStations, and one silent for
// LostAfterSeconds is closed, so idle connections cannot squat.
//
// Players. A call is registered at one position per round (letter case
// ignored). It names the player's log file, so it must be one plain file name
// of at most MaxCallLength characters, without a comma (the results file is
// comma-separated). The same call again at the same position is accepted
// (its logging method may change); another call at a position whose player
// has already logged calls this round is refused, so nobody's log is lost;
// so is the same call at another position, even one its station left: a
// player moving seats is registered again after reset().
//
// The round. chooseWave and sendWave happen between rounds; startTest starts
// every ready station (answering, registered, FILE_OK); reset() is refused
// while a test or demonstration runs. Every registered player of the round is
// scored, also one whose station has gone since (it is told nothing); one
// who did not finalize is scored as received, with a report.
//
// Logs. <dataFolder>/HostLogs/<yyyy-MM-dd_HHmmss of the round's start>/ holds
// one "<call>.log" per player, the demonstration logs in "Demo/<call>.log",
// and "Results.txt" after scoring. A LOG_CALL is taken from a position that
// was started in this test, while the test runs, is paused, or is submitted
// or scored (a station back late) but that position has not finalized yet;
// during a demonstration it goes to the demonstration log. Any other LOG_CALL
// (no registered player, no test, no part in it) is dropped and reported,
// once per station and stage, so a flooding station cannot flood the
// organiser's window too. A player's calls beyond MaxCallsPerRound are
// dropped with one report.
// Control characters inside a call become '?' so one call stays one line.
//
// Reading. HostStationLink reads each station; the engine takes its whole
// messages one by one and hears of its end.

namespace {

// A registered call names the player's log: one plain file name in the
// round's folder, short, without a comma (the results file is
// comma-separated), and no device.
bool NamesALog(const QString &call)
{
    return !call.isEmpty() && call.size() <= HostEngine::MaxCallLength && UnsafeNamePart(call).isEmpty() &&
           !call.contains(u',') && !IsDeviceName(call);
}

// One call as one log line: blanks and control characters around it go, and
// those inside become '?'.
QString LogLine(QStringView received)
{
    QString line = TrimLogLine(received).toString();
    for (QChar &c : line) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
            c = u'?';
    }
    return line;
}

} // namespace

struct HostEngine::Station
{
    std::unique_ptr<HostStationLink> link;
    int position = -1;
    qint64 lastHeardMs = 0; // monotonic
    bool gone = false;      // its link has ended; it is removed soon
    int strayStage = -1;    // the stage in which a stray call was last reported
    int problems = 0;       // problems reported about this station
    // It took back a registered position during a test or demonstration:
    // once its player is accepted it joins where the others are.
    bool joinsLate = false;
};

struct HostEngine::RoundFiles
{
    HostPlayerLog log;
    HostPlayerLog demo;
    int demoCalls = 0;
    bool capReported = false;
};

HostEngine::HostEngine(const Clock &clock, const QString &dataFolder, QObject *parent)
    : QObject(parent), m_clock(clock), m_dataFolder(dataFolder), m_server(std::make_unique<QTcpServer>())
{
    for (int i = 0; i < Positions; ++i) {
        m_positions[i].name = PositionName(i);
        m_files[i] = std::make_unique<RoundFiles>();
    }
    connect(m_server.get(), &QTcpServer::newConnection, this, &HostEngine::acceptStations);
    newRound();
}

HostEngine::~HostEngine() = default;

QString HostEngine::PositionName(int index)
{
    return QStringLiteral("Position %1").arg(index + 1);
}

bool HostEngine::listen(const QHostAddress &address, quint16 port, QString *error)
{
    if (m_server->listen(address, port))
        return true;
    if (error)
        *error = m_server->errorString();
    return false;
}

quint16 HostEngine::port() const
{
    return m_server->serverPort();
}

int HostEngine::waitingStations() const
{
    return int(std::count_if(m_stations.begin(), m_stations.end(),
                             [](const auto &s) { return !s->gone && s->position < 0; }));
}

// ---- Stations ------------------------------------------------------------------

void HostEngine::acceptStations()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        const QString peer = socket->peerAddress().toString();
        if (waitingStations() >= MaxWaitingStations) {
            socket->abort();
            socket->deleteLater();
            if (!std::exchange(m_turnedAwayReported, true))
                emit problem(
                    QStringLiteral("A station at %1 was turned away: %2 stations are already waiting for "
                                   "a position")
                        .arg(peer, QString::number(MaxWaitingStations)));
            continue;
        }
        m_turnedAwayReported = false;
        auto station = std::make_unique<Station>();
        Station *st = station.get();
        st->lastHeardMs = m_clock.monotonicMs();
        st->link = std::make_unique<HostStationLink>(
            socket, [this, st](const QString &message) { handleMessage(st, message); },
            [this, st] { stationGone(st); });
        m_stations.push_back(std::move(station));
        emit event(QStringLiteral("A station connected from %1").arg(peer));
    }
}

HostEngine::Station *HostEngine::stationAt(int index) const
{
    for (const auto &station : m_stations) {
        if (station->position == index && !station->gone)
            return station.get();
    }
    return nullptr;
}

void HostEngine::handleMessage(Station *station, const QString &text)
{
    // Taken apart once; the handlers read the value.
    const DecodedStationMessage message = DecodeStationMessage(text);
    if (message.kind == StationMessage::None)
        return; // not a message of the station's: ignored, like any garbage
    heard(station);
    switch (message.kind) {
    case StationMessage::ConnectPosition:
        connectPosition(station, message.text);
        break;
    case StationMessage::RegisterPlayer:
        registerPlayer(station, message.registration);
        break;
    case StationMessage::LogCall:
        logCall(station, message.text);
        break;
    case StationMessage::WaveFileStatus:
        waveFileStatus(station, message.text);
        break;
    case StationMessage::RequestDisconnect:
        requestDisconnect(station);
        break;
    case StationMessage::FinalizeLog:
        finalizeLog(station);
        break;
    case StationMessage::ClientAlive:
    case StationMessage::None:
        break;
    }
}

void HostEngine::heard(Station *station)
{
    station->lastHeardMs = m_clock.monotonicMs();
    if (station->position < 0)
        return;
    Position &p = m_positions[station->position];
    p.lastHeardMs = station->lastHeardMs;
    if (p.link == Link::Lost) {
        p.link = Link::Connected;
        emit event(QStringLiteral("%1: heard again").arg(p.name));
        emit positionChanged(station->position);
    }
}

void HostEngine::connectPosition(Station *station, const QString &position)
{
    const QString asked = position.trimmed();
    int index = -1;
    for (int i = 0; i < Positions; ++i) {
        if (asked.compare(PositionName(i), Qt::CaseInsensitive) == 0)
            index = i;
    }
    if (index < 0) {
        send(station, HostMessage(HostCommand::PositionRejected));
        stationProblem(station, QStringLiteral("asked for \"%1\", which is no position").arg(asked));
        return;
    }
    Position &p = m_positions[index];
    if (station->position == index) { // asked again: still its own
        send(station, HostMessage(HostCommand::PositionAccepted));
        return;
    }
    if (station->position >= 0 || p.link == Link::Connected) {
        // A station that finds every place held is told so (a field a
        // station may ignore), and does not go on as if it had one.
        const bool allTaken =
            station->position < 0 && std::all_of(m_positions.begin(), m_positions.end(),
                                                 [](const Position &q) { return q.link == Link::Connected; });
        send(station, allTaken ? HostMessage(HostCommand::PositionRejected, {AllPositionsTaken.toString()})
                               : HostMessage(HostCommand::PositionRejected));
        emit event(station->position >= 0 ? QStringLiteral("%1 refused to the station at %2")
                                                .arg(p.name, m_positions[station->position].name)
                                          : QStringLiteral("%1 refused: in use").arg(p.name));
        return;
    }
    // A lost station's place is taken: its old connection is of no more use.
    if (Station *old = stationAt(index)) {
        old->position = -1;
        old->link->abort();
    }
    station->position = index;
    const bool resumed = !p.call.isEmpty();
    station->joinsLate = resumed && ((p.inTest && (m_stage == Stage::Running || m_stage == Stage::Paused)) ||
                                     m_stage == Stage::Demo);
    p.link = Link::Connected;
    p.lastHeardMs = station->lastHeardMs;
    send(station, HostMessage(HostCommand::PositionAccepted));
    emit event(resumed ? QStringLiteral("%1: taken over by a new connection (%2 goes on)").arg(p.name, p.call)
                       : QStringLiteral("%1: connected").arg(p.name));
    // Back after the submit it missed: it is asked for its log now (the
    // station sends the calls typed meanwhile before it finalizes).
    if (resumed && p.inTest && !p.finalized && (m_stage == Stage::Submitted || m_stage == Stage::Scored))
        send(station, HostMessage(HostCommand::ForceSubmit));
    emit positionChanged(index);
}

void HostEngine::registerPlayer(Station *station, const Registration &registration)
{
    const QString &call = registration.call;
    if (station->position < 0) {
        send(station, HostMessage(HostCommand::PlayerRejected));
        stationProblem(station, QStringLiteral("%1 cannot register before it has a position").arg(call));
        return;
    }
    const int index = station->position;
    Position &p = m_positions[index];
    QString refusal;
    if (!NamesALog(call))
        refusal = QStringLiteral("\"%1\" cannot name a log file").arg(call);
    for (int i = 0; i < Positions && refusal.isEmpty(); ++i) {
        if (i != index && m_positions[i].call.compare(call, Qt::CaseInsensitive) == 0)
            refusal = QStringLiteral("%1 is registered at %2").arg(call, m_positions[i].name);
    }
    const bool same = p.call.compare(call, Qt::CaseInsensitive) == 0;
    if (refusal.isEmpty() && !p.call.isEmpty() && !same && p.calls > 0)
        refusal = QStringLiteral("%1 has logged calls here this round").arg(p.call);
    if (!refusal.isEmpty()) {
        send(station, HostMessage(HostCommand::PlayerRejected));
        stationProblem(station, QStringLiteral("%1 refused: %2")
                                    .arg(call.isEmpty() ? QStringLiteral("(no call)") : call, refusal));
        return;
    }
    if (!same || !m_files[index]->log.isOpen()) {
        RoundFiles &files = *m_files[index];
        files.log.close();
        const QString path = QDir(m_roundFolder).filePath(call + QStringLiteral(".log"));
        if (!ensureRoundFolder() || !files.log.open(path)) {
            send(station, HostMessage(HostCommand::PlayerRejected));
            stationProblem(station, QStringLiteral("%1 refused: cannot create %2").arg(call, path));
            return;
        }
        p.call = call;
        p.logPath = path;
    }
    p.method = registration.method;
    saveState();
    send(station, HostMessage(HostCommand::PlayerAccepted));
    emit event(QStringLiteral("%1: %2 registered (%3 log)")
                   .arg(p.name, p.call,
                        registration.method == LogMethod::Paper ? QStringLiteral("paper")
                                                                : QStringLiteral("computer")));
    emit positionChanged(index);
    if (m_waveSent)
        sendWaveTo(station);
    if (std::exchange(station->joinsLate, false))
        joinLate(station);
}

void HostEngine::joinLate(Station *station)
{
    // A station that crashed comes back without its test: it starts the
    // recording where the others are (a station of ours seeks there; one
    // that ignores the field starts from the top), and its calls go on in
    // the player's one log of the round. One still in its test (its link came
    // back) only takes up the test's pause or run from it.
    const Position &p = m_positions[station->position];
    if (m_stage == Stage::Demo) {
        send(station, HostMessage(HostCommand::StartDemo, {QString::number(m_demoSeconds)}));
        emit event(QStringLiteral("%1: %2 joins the demonstration").arg(p.name, p.call));
        return;
    }
    // Only into a test that still plays: the stage may have moved on while
    // the player typed his call (a station back after the submit was asked
    // for its log when it took the position).
    if ((m_stage != Stage::Running && m_stage != Stage::Paused) || !p.inTest)
        return;
    const qint64 played = playedMs();
    const bool paused = m_stage == Stage::Paused;
    send(station, HostMessage(HostCommand::StartTest,
                              paused ? QStringList{QString::number(played), QStringLiteral("PAUSED")}
                                     : QStringList{QString::number(played)}));
    // A station that reads no fields starts playing: it is paused like the
    // others (ours takes this as "paused", whatever it was).
    if (paused)
        send(station, HostMessage(HostCommand::PauseTest));
    emit event(QStringLiteral("%1: %2 joins the test %3 s in").arg(p.name, p.call).arg(played / 1000));
}

void HostEngine::logCall(Station *station, const QString &received)
{
    const QString call = LogLine(received);
    const int index = station->position;
    if (index < 0 || m_positions[index].call.isEmpty()) {
        stray(station, QStringLiteral("no registered player"));
        return;
    }
    Position &p = m_positions[index];
    RoundFiles &files = *m_files[index];
    const bool demo = m_stage == Stage::Demo;
    const bool test = m_stage == Stage::Running || m_stage == Stage::Paused ||
                      ((m_stage == Stage::Submitted || m_stage == Stage::Scored) && !p.finalized);
    if (!demo && !test) {
        stray(station, QStringLiteral("no test running"));
        return;
    }
    if (test && !p.inTest) {
        stray(station, QStringLiteral("no part in this test"));
        return;
    }
    int &count = demo ? files.demoCalls : p.calls;
    if (count >= MaxCallsPerRound) {
        if (!std::exchange(files.capReported, true))
            report(index, QStringLiteral("more than %1 calls from %2; the rest are dropped")
                              .arg(MaxCallsPerRound)
                              .arg(p.call));
        return;
    }
    if (demo && !files.demo.isOpen()) {
        const QString folder = QDir(m_roundFolder).filePath(QStringLiteral("Demo"));
        if (!ensureRoundFolder() || !QDir().mkpath(folder) ||
            !files.demo.open(QDir(folder).filePath(p.call + QStringLiteral(".log")))) {
            stationProblem(station, QStringLiteral("cannot create the demonstration log of %1").arg(p.call));
            return;
        }
    }
    if (!(demo ? files.demo : files.log).append(call)) {
        stationProblem(station, QStringLiteral("cannot write the log of %1: %2 lost").arg(p.call, call));
        return;
    }
    ++count;
    if (!demo)
        emit positionChanged(index);
}

void HostEngine::stray(Station *station, const QString &why)
{
    if (station->strayStage == int(m_stage))
        return;
    station->strayStage = int(m_stage);
    stationProblem(station, QStringLiteral("logs calls with %1; they are dropped").arg(why));
}

void HostEngine::stationProblem(Station *station, const QString &text)
{
    // A station that keeps doing wrong is told about a few times, not for
    // every message it floods the host with.
    constexpr int shown = 20;
    const QString who = station->position < 0 ? QStringLiteral("A station without a position")
                                              : m_positions[station->position].name;
    if (station->problems < shown)
        emit problem(QStringLiteral("%1: %2").arg(who, text));
    else if (station->problems == shown)
        emit problem(QStringLiteral("%1: further problems of this station are not shown").arg(who));
    ++station->problems;
}

void HostEngine::waveFileStatus(Station *station, const QString &received)
{
    if (station->position < 0)
        return;
    Position &p = m_positions[station->position];
    const QString status = received.trimmed();
    p.waveStatus = status.left(20);
    if (status == WaveFileStatusText(WaveFileStatus::FileOk))
        emit event(QStringLiteral("%1: wave file ok").arg(p.name));
    else
        stationProblem(station, QStringLiteral("wave file %1").arg(p.waveStatus));
    emit positionChanged(station->position);
}

void HostEngine::finalizeLog(Station *station)
{
    const int index = station->position;
    if (index < 0 || m_positions[index].call.isEmpty())
        return;
    Position &p = m_positions[index];
    RoundFiles &files = *m_files[index];
    // The end of a demonstration (STOP_DEMO) closes the demonstration log.
    if (!p.inTest || m_stage == Stage::Demo) {
        files.demo.sync();
        return;
    }
    if (!files.log.sync())
        report(index, QStringLiteral("cannot put the log of %1 on the disk").arg(p.call));
    p.finalized = true;
    saveState();
    emit event(
        QStringLiteral("%1: %2 finalized the log (%3 calls)").arg(p.name, p.call, QString::number(p.calls)));
    emit positionChanged(index);
}

void HostEngine::requestDisconnect(Station *station)
{
    send(station, HostMessage(HostCommand::PerformDisconnect));
    if (station->position >= 0)
        releasePosition(station, Link::Disconnected, QStringLiteral("left"));
    // Closed once the goodbye has gone out.
    station->link->closeAfterSending();
}

void HostEngine::releasePosition(Station *station, Link link, const QString &what)
{
    const int index = std::exchange(station->position, -1);
    if (index < 0)
        return;
    m_positions[index].link = link;
    emit event(QStringLiteral("%1: %2").arg(m_positions[index].name, what));
    emit positionChanged(index);
}

void HostEngine::stationGone(Station *station)
{
    station->gone = true;
    if (station->position >= 0)
        releasePosition(station, Link::Dropped, QStringLiteral("dropped"));
    if (!std::exchange(m_reapQueued, true))
        QMetaObject::invokeMethod(this, &HostEngine::reapStations, Qt::QueuedConnection);
}

void HostEngine::reapStations()
{
    m_reapQueued = false;
    std::erase_if(m_stations, [](const std::unique_ptr<Station> &station) { return station->gone; });
}

void HostEngine::send(Station *station, const QString &message, bool flush)
{
    if (!station->gone)
        station->link->send(message, flush);
}

void HostEngine::sendToAll(const QString &message)
{
    // By index: a write that fails ends its station, which only marks it.
    for (std::size_t i = 0; i < m_stations.size(); ++i) {
        if (m_stations[i]->position >= 0)
            send(m_stations[i].get(), message);
    }
}

// ---- The round -------------------------------------------------------------------

void HostEngine::setStage(Stage stage)
{
    if (m_stage == stage)
        return;
    m_stage = stage;
    saveState();
    emit stageChanged(stage);
}

bool HostEngine::refuse(const QString &text)
{
    emit problem(text);
    return false;
}

void HostEngine::report(int index, const QString &text)
{
    emit problem(QStringLiteral("%1: %2").arg(m_positions[index].name, text));
}

bool HostEngine::chooseWave(const QString &wavePath, const QString &checkListPath)
{
    if (m_stage != Stage::Idle && m_stage != Stage::WaveSet)
        return refuse(QStringLiteral("The wave file can be changed only between rounds"));
    qint64 lengthMs = 0;
    if (!QFileInfo(wavePath).isFile())
        return refuse(QStringLiteral("The wave file %1 does not exist").arg(wavePath));
    try {
        lengthMs = WaveFile::open(wavePath).lengthMs();
    } catch (const StationError &e) {
        return refuse(QStringLiteral("The wave file cannot be played: %1").arg(QString::fromUtf8(e.what())));
    }
    // The name goes to the stations in SET_WAVEFILE: a ';' would end that
    // message early, and the station keeps at most WaveFileNameLimit characters.
    const QString name = QFileInfo(wavePath).fileName();
    if (name.contains(u';') || name.size() > WaveFileNameLimit)
        return refuse(
            QStringLiteral("The wave file's name %1 cannot be sent to the stations: no ';', at most %2 "
                           "characters")
                .arg(name, QString::number(WaveFileNameLimit)));
    if (!QFileInfo(checkListPath).isFile())
        return refuse(QStringLiteral("The check list %1 does not exist").arg(checkListPath));
    m_wavePath = wavePath;
    m_checkListPath = checkListPath;
    m_waveMs = lengthMs;
    m_waveSent = false;
    for (int i = 0; i < Positions; ++i) {
        m_positions[i].waveStatus.clear();
        emit positionChanged(i);
    }
    emit event(QStringLiteral("Wave file %1 (%2 s), check list %3")
                   .arg(QFileInfo(wavePath).fileName(), QString::number(lengthMs / 1000),
                        QFileInfo(checkListPath).fileName()));
    setStage(Stage::Idle);
    saveState();
    return true;
}

void HostEngine::sendWaveTo(Station *station)
{
    const QString name = QFileInfo(m_wavePath).fileName();
    send(station, HostMessage(HostCommand::SetWaveFile, {name}));
    send(station, HostMessage(HostCommand::ValidateWaveFile, {name}));
}

bool HostEngine::sendWave()
{
    if (m_wavePath.isEmpty())
        return refuse(QStringLiteral("Choose the wave file first"));
    if (m_stage != Stage::Idle && m_stage != Stage::WaveSet)
        return refuse(QStringLiteral("The wave file can be sent only between rounds"));
    for (int i = 0; i < Positions; ++i) {
        m_positions[i].waveStatus.clear();
        emit positionChanged(i);
    }
    m_waveSent = true;
    for (std::size_t i = 0; i < m_stations.size(); ++i) {
        if (m_stations[i]->position >= 0)
            sendWaveTo(m_stations[i].get());
    }
    setStage(Stage::WaveSet);
    return true;
}

bool HostEngine::playWelcome()
{
    if (m_stage == Stage::Running || m_stage == Stage::Paused || m_stage == Stage::Demo)
        return refuse(QStringLiteral("The welcome cannot be played while a recording plays"));
    sendToAll(HostMessage(HostCommand::PlayWelcome));
    // A station plays it only while both its boxes are closed: a registered
    // player's station has one open.
    const auto registered = std::count_if(m_positions.begin(), m_positions.end(), [](const Position &p) {
        return p.link == Link::Connected && !p.call.isEmpty();
    });
    if (registered > 0)
        emit problem(QStringLiteral("The welcome plays only at stations where no player has registered: %1 "
                                    "station(s) with a player ignore it")
                         .arg(registered));
    return true;
}

bool HostEngine::startDemo(int seconds)
{
    if (m_stage != Stage::WaveSet)
        return refuse(QStringLiteral("A demonstration needs the wave file sent, and no test running"));
    seconds = std::clamp(seconds, DemoIntervalMinimum, DemoIntervalMaximum);
    m_demoSeconds = seconds;
    sendToAll(HostMessage(HostCommand::StartDemo, {QString::number(seconds)}));
    setStage(Stage::Demo);
    if (m_waveMs <= DemoFirstCallDelayMs)
        emit problem(
            QStringLiteral("The recording lasts %1 s; a demonstration logs its first call %2 s in, so "
                           "this one logs no call")
                .arg(m_waveMs / 1000)
                .arg(DemoFirstCallDelayMs / 1000));
    return true;
}

bool HostEngine::stopDemo()
{
    if (m_stage != Stage::Demo)
        return refuse(QStringLiteral("No demonstration runs"));
    sendToAll(HostMessage(HostCommand::StopDemo));
    setStage(Stage::WaveSet);
    return true;
}

bool HostEngine::startTest()
{
    if (m_stage != Stage::WaveSet)
        return refuse(
            QStringLiteral("The test can start once the wave file is sent (and no demonstration runs)"));
    // Every ready station gets its START_TEST in this one pass, before the
    // event loop runs again; then all go out together.
    std::vector<Station *> started;
    for (int i = 0; i < Positions; ++i) {
        Position &p = m_positions[i];
        Station *station = stationAt(i);
        QString why;
        if (!station)
            why = p.call.isEmpty() ? QString() : QStringLiteral("no station");
        else if (p.link != Link::Connected)
            why = QStringLiteral("not answering");
        else if (p.call.isEmpty())
            why = QStringLiteral("no player registered");
        else if (p.waveStatus != WaveFileStatusText(WaveFileStatus::FileOk))
            why = p.waveStatus.isEmpty() ? QStringLiteral("no wave file status") : p.waveStatus;
        if (station && why.isEmpty()) {
            send(station, HostMessage(HostCommand::StartTest), false);
            started.push_back(station);
            p.inTest = true;
        } else if (!why.isEmpty()) {
            report(i, QStringLiteral("not started: %1").arg(why));
        }
    }
    for (Station *station : started) {
        if (!station->gone)
            station->link->flush();
    }
    if (started.empty())
        return refuse(QStringLiteral("No station is ready: the test did not start"));
    m_testStartedMs = m_clock.monotonicMs();
    m_pausedMs = 0;
    m_pausedAtMs.reset();
    setStage(Stage::Running);
    emit event(QStringLiteral("Test started at %1 stations").arg(started.size()));
    for (int i = 0; i < Positions; ++i)
        emit positionChanged(i);
    return true;
}

bool HostEngine::pauseTest()
{
    if (m_stage != Stage::Running)
        return refuse(QStringLiteral("No test runs"));
    // PAUSE_TEST toggles at the station: only the test's stations get it.
    for (int i = 0; i < Positions; ++i) {
        if (Station *station = stationAt(i); station && m_positions[i].inTest)
            send(station, HostMessage(HostCommand::PauseTest));
    }
    m_pausedAtMs = m_clock.monotonicMs();
    setStage(Stage::Paused);
    return true;
}

bool HostEngine::resumeTest()
{
    if (m_stage != Stage::Paused)
        return refuse(QStringLiteral("The test is not paused"));
    for (int i = 0; i < Positions; ++i) {
        if (Station *station = stationAt(i); station && m_positions[i].inTest)
            send(station, HostMessage(HostCommand::ResumeTest));
    }
    m_pausedMs += m_clock.monotonicMs() - m_pausedAtMs.value_or(m_clock.monotonicMs());
    m_pausedAtMs.reset();
    setStage(Stage::Running);
    return true;
}

qint64 HostEngine::playedMs() const
{
    if (m_stage != Stage::Running && m_stage != Stage::Paused)
        return 0;
    const qint64 until = m_stage == Stage::Paused && m_pausedAtMs ? *m_pausedAtMs : m_clock.monotonicMs();
    return until - m_testStartedMs - m_pausedMs;
}

int HostEngine::remainingSeconds() const
{
    if (m_stage != Stage::Running && m_stage != Stage::Paused)
        return 0;
    const qint64 left = m_waveMs - playedMs();
    return left <= 0 ? 0 : int((left + 999) / 1000);
}

bool HostEngine::forceSubmit()
{
    if (m_stage != Stage::Running && m_stage != Stage::Paused)
        return refuse(QStringLiteral("No test runs"));
    for (int i = 0; i < Positions; ++i) {
        if (Station *station = stationAt(i); station && m_positions[i].inTest)
            send(station, HostMessage(HostCommand::ForceSubmit));
    }
    setStage(Stage::Submitted);
    emit event(QStringLiteral("Logs submitted"));
    return true;
}

bool HostEngine::score()
{
    if (m_stage != Stage::Submitted && m_stage != Stage::Scored)
        return refuse(QStringLiteral("Scores come after the logs are submitted"));
    CheckList checkList;
    try {
        checkList = CheckList::Load(m_checkListPath);
    } catch (const StationError &e) {
        return refuse(QStringLiteral("The check list cannot be read: %1").arg(QString::fromUtf8(e.what())));
    }
    sendToAll(HostMessage(HostCommand::EnableFinalScore));

    std::vector<HostResult> results;
    for (int i = 0; i < Positions; ++i) {
        Position &p = m_positions[i];
        if (p.call.isEmpty())
            continue;
        if (!p.finalized && p.inTest)
            report(i, QStringLiteral("%1 did not finalize the log; scored as received").arg(p.call));
        HostResult result{i, p.name, p.call, p.method, TScore(), QString()};
        if (p.method == LogMethod::Computer) {
            m_files[i]->log.sync();
            try {
                result.score = ScoreLog(checkList, p.logPath);
            } catch (const StationError &e) {
                report(i, QStringLiteral("scored 0: %1").arg(QString::fromUtf8(e.what())));
            }
        }
        results.push_back(result);
    }
    m_ranking = RankResults(results);
    for (const HostResult &result : results) {
        m_positions[result.index].score = result.score;
        m_positions[result.index].rank = result.rank;
    }
    const QStringList lines = QStringList{ResultsHeader()} + m_ranking;

    for (int i = 0; i < Positions; ++i) {
        const Position &p = m_positions[i];
        Station *station = stationAt(i);
        if (!station || p.call.isEmpty())
            continue;
        // The station shows at most 4 digits of the score.
        send(station, p.method == LogMethod::Paper
                          ? HostMessage(HostCommand::ScoreTest, {QStringLiteral("PAPER")})
                          : HostMessage(HostCommand::ScoreTest,
                                        {QString::number(std::min(p.score.calls, 9999)), p.rank}));
    }
    const QString resultsPath = QDir(m_roundFolder).filePath(QStringLiteral("Results.txt"));
    if (!ensureRoundFolder() || !TextFile::tryWriteLines(resultsPath, lines))
        emit problem(QStringLiteral("Cannot write the results file %1").arg(resultsPath));
    else
        emit event(QStringLiteral("Scores sent; results in %1").arg(resultsPath));
    setStage(Stage::Scored);
    for (int i = 0; i < Positions; ++i)
        emit positionChanged(i);
    return true;
}

bool HostEngine::reset()
{
    // A test or demonstration is ended first (forceSubmit, stopDemo): a
    // station keeps playing through RESET_TEST, and its log would be lost.
    if (m_stage == Stage::Running || m_stage == Stage::Paused || m_stage == Stage::Demo)
        return refuse(QStringLiteral("Submit the test or stop the demonstration before a new round"));
    sendToAll(HostMessage(HostCommand::ResetTest));
    saveState(true);
    newRound();
    setStage(m_waveSent ? Stage::WaveSet : Stage::Idle);
    emit event(QStringLiteral("A new round begins"));
    return true;
}

void HostEngine::newRound()
{
    for (int i = 0; i < Positions; ++i) {
        m_files[i] = std::make_unique<RoundFiles>(); // the old logs are closed and put on the disk
        Position &p = m_positions[i];
        p.call.clear();
        p.method = LogMethod::Computer;
        p.calls = 0;
        p.inTest = false;
        p.finalized = false;
        p.logPath.clear();
        p.score = TScore();
        p.rank.clear();
        // A position left for good is free again; a dropped station may still
        // come back to its place.
        if (p.link == Link::Disconnected)
            p.link = Link::Free;
        emit positionChanged(i);
    }
    m_ranking.clear();
    m_pausedMs = 0;
    m_pausedAtMs.reset();
    const QString base = JoinPath(m_dataFolder, QStringLiteral("HostLogs"));
    const QString stamp = m_clock.now().toString(QStringLiteral("yyyy-MM-dd_HHmmss"));
    QString folder = JoinPath(base, stamp);
    for (int n = 2; folder == m_roundFolder || QFileInfo::exists(folder); ++n)
        folder = JoinPath(base, QStringLiteral("%1-%2").arg(stamp).arg(n));
    m_roundFolder = folder;
}

namespace {

constexpr std::array<QStringView, 7> StageKeys{u"Idle",   u"WaveSet",   u"Demo",  u"Running",
                                               u"Paused", u"Submitted", u"Scored"};

} // namespace

void HostEngine::saveState(bool closed)
{
    HostRoundState state;
    state.wavePath = m_wavePath;
    state.checkListPath = m_checkListPath;
    state.waveMs = m_waveMs;
    state.waveSent = m_waveSent;
    state.stage = StageKeys[std::size_t(m_stage)].toString();
    state.demoSeconds = m_demoSeconds;
    state.playedMs = playedMs();
    state.savedMonotonicMs = m_clock.monotonicMs();
    state.savedAt = m_clock.now();
    state.bootId = HostRoundState::CurrentBootId();
    for (int i = 0; i < Positions; ++i) {
        const Position &p = m_positions[i];
        state.players[i] = {p.call, p.method == LogMethod::Paper, p.inTest, p.finalized};
    }
    state.closed = closed;
    // Nothing to take up before a wave is chosen or a player registered.
    if (state.wavePath.isEmpty() && !state.anyPlayer() && !QFileInfo::exists(m_roundFolder))
        return;
    const QString path = QDir(m_roundFolder).filePath(HostRoundState::FileName());
    if (!ensureRoundFolder() || !TextFile::tryWriteLines(path, state.toLines()))
        emit problem(QStringLiteral("Cannot write the round's state %1: a host started again could not take "
                                    "this round up")
                         .arg(path));
}

bool HostEngine::resumeRound()
{
    QString folder;
    const std::optional<HostRoundState> state =
        HostRoundState::FindUnfinished(JoinPath(m_dataFolder, QStringLiteral("HostLogs")), &folder);
    if (!state)
        return false;
    const auto stage = std::find(StageKeys.begin(), StageKeys.end(), state->stage);
    if (stage == StageKeys.end())
        return false;
    m_roundFolder = folder;
    m_wavePath = state->wavePath;
    m_checkListPath = state->checkListPath;
    m_waveMs = state->waveMs;
    m_waveSent = state->waveSent;
    m_demoSeconds = std::clamp(state->demoSeconds, DemoIntervalMinimum, DemoIntervalMaximum);
    m_stage = Stage(stage - StageKeys.begin());
    // The played time goes on from where it was; the time the host was down
    // counts as played while the test ran, since the stations played on.
    const qint64 now = m_clock.monotonicMs();
    m_testStartedMs = now - state->playedMsAt(now, m_clock.now(), HostRoundState::CurrentBootId());
    m_pausedMs = 0;
    m_pausedAtMs.reset();
    if (m_stage == Stage::Paused)
        m_pausedAtMs = now;
    int players = 0;
    for (int i = 0; i < Positions; ++i) {
        const HostRoundState::Player &player = state->players[i];
        Position &p = m_positions[i];
        if (player.call.isEmpty())
            continue;
        // The file may have been damaged or edited: its names are held to
        // the registration's rules, so no log is opened outside the round.
        if (!NamesALog(player.call)) {
            report(i, QStringLiteral("\"%1\" in the round's state cannot name a log file; not taken up")
                          .arg(player.call));
            continue;
        }
        ++players;
        // Stations come back to their places and go on.
        p.link = Link::Dropped;
        p.call = player.call;
        p.method = player.paper ? LogMethod::Paper : LogMethod::Computer;
        p.inTest = player.inTest;
        p.finalized = player.finalized;
        p.logPath = QDir(m_roundFolder).filePath(p.call + QStringLiteral(".log"));
        RoundFiles &files = *m_files[i];
        if (!files.log.open(p.logPath))
            report(i, QStringLiteral("cannot open the log of %1 again").arg(p.call));
        p.calls = files.log.lineCount();
        emit positionChanged(i);
    }
    emit stageChanged(m_stage);
    emit event(
        QStringLiteral("Resuming the unfinished round in %1: %2, %3 players; their stations may come back")
            .arg(QDir::toNativeSeparators(m_roundFolder), state->stage)
            .arg(players));
    return true;
}

bool HostEngine::ensureRoundFolder()
{
    if (QDir().mkpath(m_roundFolder))
        return true;
    emit problem(QStringLiteral("Cannot create the round's folder %1").arg(m_roundFolder));
    return false;
}

void HostEngine::tick()
{
    const qint64 now = m_clock.monotonicMs();
    if (++m_sinceHealthCheck >= HealthCheckSeconds) {
        m_sinceHealthCheck = 0;
        for (std::size_t i = 0; i < m_stations.size(); ++i)
            send(m_stations[i].get(), HostMessage(HostCommand::HealthCheck));
    }
    for (std::size_t i = 0; i < m_stations.size(); ++i) {
        Station *station = m_stations[i].get();
        if (station->gone || station->link->ending() || now - station->lastHeardMs < LostAfterSeconds * 1000)
            continue;
        if (station->position < 0) {
            // Silent without a position: it only holds a waiting place.
            emit event(QStringLiteral("A silent station without a position was closed"));
            station->link->abort();
        } else if (m_positions[station->position].link == Link::Connected) {
            m_positions[station->position].link = Link::Lost;
            emit event(QStringLiteral("%1: lost").arg(m_positions[station->position].name));
            emit positionChanged(station->position);
        }
    }
    if (m_stage == Stage::Running && playedMs() >= m_waveMs) {
        emit event(QStringLiteral("The recording has played"));
        forceSubmit();
    }
}
