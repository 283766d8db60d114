#pragma once
// What a host started again needs to go on with a round it was running: the
// wave and check list, the stage, the played time, and each position's
// player. It lives as one small text file, "RoundState.txt", in the round's
// folder, replaced atomically whenever one of these changes (never per call:
// the calls are in the players' logs, appended as they arrive). A round that
// ended (a new one began) is marked closed and is never taken up again.
//
// The file, one "NAME=value" a line, CR LF:
//   WAVE=<path>  CHECK_LIST=<path>  WAVE_MS=<n>  WAVE_SENT=0|1
//   STAGE=Idle|WaveSet|Demo|Running|Paused|Submitted|Scored  DEMO_SECONDS=<n>
//   PLAYED_MS=<n>            the recording's played time when written
//   SAVED_MONOTONIC_MS=<n>   the monotonic clock then (the same on the whole
//                            machine until it restarts)
//   SAVED_AT=<ISO date>      the wall clock then, for a machine restarted since
//   BOOT=<id>                the machine's boot then (Linux boot_id)
//   POSITION_<1..6>=<call>,<COMPUTER|PAPER>,<in test 0|1>,<finalized 0|1>
//   CLOSED=0|1

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

struct HostRoundState
{
    static constexpr int Positions = 6;

    struct Player
    {
        QString call; // empty: nobody registered
        bool paper = false;
        bool inTest = false;
        bool finalized = false;
    };

    QString wavePath;
    QString checkListPath;
    qint64 waveMs = 0;
    bool waveSent = false;
    QString stage = QStringLiteral("Idle");
    int demoSeconds = 10;
    qint64 playedMs = 0;
    qint64 savedMonotonicMs = 0;
    QDateTime savedAt;
    QString bootId;
    std::array<Player, Positions> players;
    bool closed = false;

    bool anyPlayer() const;

    static QString FileName() { return QStringLiteral("RoundState.txt"); }

    QStringList toLines() const;
    // None when the lines are no round state (a file damaged beyond use).
    static std::optional<HostRoundState> fromLines(const QStringList &lines);

    // The played time now: what was played when written, plus, while the
    // recording played, the time since - the stations' audio played on while
    // the host was down. Measured on the monotonic clock; after a restart of
    // the machine (another boot: the clock began again) on the wall clock.
    qint64 playedMsAt(qint64 monotonicMs, const QDateTime &now, const QString &currentBootId) const;
    // This boot of the machine; empty where the system does not say.
    static QString CurrentBootId();

    // The round to take up under `hostLogs`: the newest round with a state,
    // unless that one is closed, damaged, or has neither a player nor a
    // stage past sending the wave; its folder in `folder`.
    static std::optional<HostRoundState> FindUnfinished(const QString &hostLogs, QString *folder);
};
