#pragma once
// The competition host: it listens for up to six player stations, gives each
// an operating position, registers its player, and runs rounds - the wave
// file and its check list chosen, checked at every station, welcome and
// demonstration, the test started at every ready station at once, paused,
// resumed, submitted when the recording has played, scored with the
// station's own rule and ranked. Every call a station logs is appended to
// that player's log on the host's disk as it arrives, so a host crash loses
// nothing. Stations are read by the same message rules the station uses for
// the host (HostProtocol), so split and merged blocks work and nothing else
// is assumed of the network.
//
// No widgets: the organiser's window and the headless console both drive
// this class, and show what it reports through its signals. Time comes from
// a Clock (durations from its monotonic reading); tick() is called once a second (by the owner's timer, or a
// test).

#include "hostlink/HostProtocol.h"
#include "util/LogScoring.h"

#include <QDateTime>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class Clock;
class QFile;
class QTcpServer;
class QTcpSocket;

class HostEngine : public QObject
{
    Q_OBJECT

public:
    static constexpr int Positions = 6;
    static constexpr quint16 DefaultPort = 49152;
    static constexpr int HealthCheckSeconds = 10;
    // A station silent this long is shown lost; its position and calls stay.
    static constexpr int LostAfterSeconds = 30;
    // Connections without a position beyond this many are closed at once.
    static constexpr int MaxWaitingStations = 6;
    // Calls kept per player and round (and per demonstration log); a station
    // sending more is flooding, and the rest are dropped with one report.
    static constexpr int MaxCallsPerRound = 50000;
    // A registered call names the player's log file: at most this long.
    static constexpr int MaxCallLength = 20;

    enum class Link
    {
        Free,         // nobody holds the position
        Connected,    // a station holds it and has been heard lately
        Lost,         // its station has not answered for LostAfterSeconds
        Dropped,      // its station's socket closed without a goodbye; it may come back
        Disconnected, // its station asked to leave (REQUEST_DISCONNECT)
    };

    enum class Stage
    {
        Idle,    // no wave file chosen
        WaveSet, // SET_WAVEFILE and VALIDATE_WAVEFILE sent
        Demo,    // a demonstration runs
        Running, // the test plays
        Paused,
        Submitted, // FORCE_SUBMIT sent; waiting for FINALIZE_LOG
        Scored,    // scores sent and the results file written
    };

    struct Position
    {
        QString name; // "Position 1" .. "Position 6"
        Link link = Link::Free;
        QString call; // the registered player; empty when none
        HostProtocol::LogMethod method = HostProtocol::LogMethod::Computer;
        QString waveStatus;     // "FILE_OK", "FILE_ERROR", "NAME_ERROR"; empty before an answer
        int calls = 0;          // calls logged in this round
        bool inTest = false;    // sent START_TEST in this round
        bool finalized = false; // FINALIZE_LOG received this round
        QString logPath;        // the player's log of this round on the host's disk
        qint64 lastHeardMs = 0; // monotonic (Clock::monotonicMs)
        TScore score;           // after scoring (computer logs)
        QString rank;           // after scoring; "PAPER" for a paper log
    };

    HostEngine(const Clock &clock, const QString &dataFolder, QObject *parent = nullptr);
    ~HostEngine() override;

    // Takes up the unfinished round of a host that stopped (crashed) on this
    // data folder: the newest round's state, unless that round was closed.
    // Its players keep their positions (as dropped, so that their stations
    // come back to them), their logs go on, and the played time counts the
    // time the host was down. False, with nothing changed, when there is
    // no round to take up.
    bool resumeRound();

    // Starts listening; false with the reason in `error` when the address
    // or port cannot be taken.
    bool listen(const QHostAddress &address, quint16 port, QString *error = nullptr);
    quint16 port() const;

    // --- The round, in its natural order. Each returns false, and reports a
    // problem, when the step makes no sense now.

    // Chooses the recording and its check list (paths on the host's disk;
    // the stations must hold a file of the same name beside their program).
    // Reads the recording's length from its WAV header. False with a clear
    // problem when either is missing, the wave is not a playable WAV, or its
    // name cannot travel in SET_WAVEFILE. Only between rounds (Idle, WaveSet).
    bool chooseWave(const QString &wavePath, const QString &checkListPath);
    // SET_WAVEFILE and VALIDATE_WAVEFILE to every station holding a position;
    // a player registering later gets them after PLAYER_ACCEPTED.
    bool sendWave();
    bool playWelcome();
    // Calls logged during a demonstration go to <round>/Demo/<call>.log.
    bool startDemo(int seconds = HostProtocol::DemoIntervalDefault);
    bool stopDemo();
    // START_TEST to every ready station (connected, registered, FILE_OK) in
    // one pass of the event loop; stations not ready are reported.
    bool startTest();
    bool pauseTest();
    bool resumeTest();
    // FORCE_SUBMIT to every station of the test; also sent by tick() once
    // the recording's length has played (pauses not counted).
    bool forceSubmit();
    // Scores every player of the round (ScoreLog against the check list;
    // PAPER for paper logs), ranks by calls then characters, sends
    // ENABLE_FINALSCORE then SCORE_TEST, and writes the results file
    // atomically.
    bool score();
    // RESET_TEST to every station; a new round begins in a new folder
    // (players register again, positions stay). Refused while a test or a
    // demonstration runs: submit or stop it first.
    bool reset();

    // Once a second: health checks every HealthCheckSeconds, lost stations,
    // the automatic submit.
    void tick();

    const std::array<Position, Positions> &positions() const { return m_positions; }
    // "Position 1" .. "Position 6" for the index 0 .. 5.
    static QString PositionName(int index);
    Stage stage() const { return m_stage; }
    // Seconds of the recording left to play in the running test; 0 otherwise.
    int remainingSeconds() const;
    // The ranking of the last scoring, best first: "rank,position,call,method,calls,chars"
    // (the lines of the results file after its header; paper logs last, ranked PAPER).
    const QStringList &ranking() const { return m_ranking; }
    // This round's folder on the host's disk (logs and results).
    QString roundFolder() const { return m_roundFolder; }
    // The recording and check list chosen; empty before the first choice.
    const QString &wavePath() const { return m_wavePath; }
    const QString &checkListPath() const { return m_checkListPath; }
    // Stations connected that have no position yet.
    int waitingStations() const;

signals:
    // Something about position `index` (0 to 5) changed.
    void positionChanged(int index);
    void stageChanged(HostEngine::Stage stage);
    // A line for the organiser: what happened ("Position 2: K5XX registered").
    void event(const QString &text);
    // A problem the organiser should see; the round goes on.
    void problem(const QString &text);

private:
    struct Station;    // one TCP connection and what it has said
    struct RoundFiles; // the open logs of one position in this round

    void acceptStations();
    void handleMessage(Station *station, const QString &text);
    void connectPosition(Station *station, const QString &position);
    void registerPlayer(Station *station, const HostProtocol::Registration &registration);
    void logCall(Station *station, const QString &received);
    void waveFileStatus(Station *station, const QString &received);
    void finalizeLog(Station *station);
    void requestDisconnect(Station *station);
    void heard(Station *station);
    void stationGone(Station *station);
    void releasePosition(Station *station, Link link, const QString &what);
    void reapStations();
    Station *stationAt(int index) const;
    void send(Station *station, const QString &message, bool flush = true);
    void sendToAll(const QString &message);
    void sendWaveTo(Station *station);
    void joinLate(Station *station);
    void setStage(Stage stage);
    bool refuse(const QString &text);
    void report(int index, const QString &text);
    void stray(Station *station, const QString &why);
    void stationProblem(Station *station, const QString &text);
    bool ensureRoundFolder();
    // Writes the round's state (HostRoundState) at every change of it;
    // `closed` when the round is over.
    void saveState(bool closed = false);
    void newRound();
    qint64 playedMs() const;

    const Clock &m_clock;
    QString m_dataFolder;
    std::unique_ptr<QTcpServer> m_server;
    std::vector<std::unique_ptr<Station>> m_stations;
    std::array<Position, Positions> m_positions;
    Stage m_stage = Stage::Idle;
    QString m_wavePath;
    QString m_checkListPath;
    qint64 m_waveMs = 0;
    // The played time, from the monotonic clock: a step of the wall clock
    // neither submits early nor holds the submit back.
    qint64 m_testStartedMs = 0;
    qint64 m_pausedMs = 0;
    std::optional<qint64> m_pausedAtMs;
    QString m_roundFolder;
    QStringList m_ranking;
    int m_demoSeconds = HostProtocol::DemoIntervalDefault;
    int m_sinceHealthCheck = 0;
    bool m_waveSent = false;
    bool m_reapQueued = false;
    bool m_turnedAwayReported = false;
    std::array<std::unique_ptr<RoundFiles>, Positions> m_files;
};
