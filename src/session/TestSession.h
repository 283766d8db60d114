#pragma once
// The state of the test in progress, without widgets: the calls logged so
// far, the check list and timed-score lines of a local test, the audio's
// length and start, and the files the test is saved to. The main window
// shows it; this class decides what logging a call does.

#include "util/SortedTextList.h"

#include <QString>
#include <QStringList>
#include <optional>

enum class OperatingMode
{
    Networked,
    StandAlone,
    Practice
};

class TestSession
{
public:
    // What becomes of a logged call besides the local log.
    enum class Delivery
    {
        Local,    // no host takes part
        Sent,     // sent to the host
        Queued,   // the host's test with the link down: sent when it is back
        KeptLocal // the host's test before the player registered: the host never gets it
    };
    // The station's standing with the host as a call is logged.
    struct HostLink
    {
        bool linked;
        bool registered;
    };
    struct LoggedCall
    {
        QString call; // as typed, without leading and trailing blanks
        bool isNew;   // not yet in the test's call list (letter case ignored)
        Delivery delivery;
    };

    // Empties the call list and the timed-score lines for a new test.
    void BeginTest();

    // Logs one typed call: trims it, notes whether it is new and appends it
    // to the call list. In standalone mode (with a check list present) and in
    // practice mode a new call may add a timed-score line. Nothing is logged
    // for text that is empty or blank. A call goes to the host whenever the
    // link is up and a player is registered; in the host's test it is kept
    // for later while the link is down, and only in the local log while
    // nobody is registered.
    std::optional<LoggedCall> LogCall(const QString &typed, OperatingMode mode, bool standAloneCallsPresent,
                                      qint64 nowMs, HostLink host = {false, false});

    // The calls of the host's test typed while the link was down, in typing
    // order; from now on they count as sent.
    QStringList TakeUnsentCalls();
    // Calls of the host's test the host will never get: typed before the
    // player registered.
    qsizetype keptLocalCount() const;
    // One line of the Calls Logged box: the call, marked when the host has
    // not got it.
    static QString ShownLine(const QString &call, Delivery delivery);
    // The whole Calls Logged box.
    QString CallsLoggedText() const;
    // Calls typed while the link was down wait to be sent.
    bool hasQueuedCalls() const;

    // The audio of the test: its length and when it started. Times here are
    // readings of the monotonic clock (Clock::monotonicMs), so a step of the
    // wall clock never shortens or lengthens a test.
    void SetAudio(qint64 lengthMs, qint64 startMs);
    // Seconds left of the audio at `nowMs`: its length in whole seconds
    // (rounded up) less the elapsed seconds (rounded to the nearest).
    qint64 RemainingSeconds(qint64 nowMs) const;

    const QStringList &calls() const { return m_calls; }
    const QStringList &timedScoreLines() const { return m_timedScoreLines; }
    SortedTextList &checkList() { return m_checkList; }
    const SortedTextList &checkList() const { return m_checkList; }

    qint64 audioLengthMs() const { return m_audioLengthMs; }
    qint64 audioLengthSeconds() const { return m_audioLengthS; }
    qint64 audioStartMs() const { return m_audioStartMs; }
    void setAudioStartMs(qint64 ms) { m_audioStartMs = ms; }

    // When the timed scores of the local test count from (monotonic).
    qint64 timedScoreStartMs = 0;

    QString logFile;        // where the calls are saved
    QString timedScoreFile; // where the timed scores are saved (local tests)
    QString logFolder;      // NetworkedLogs, or DemoLogs while a demonstration runs
    QString practiceCaseFolder;
    QString practiceCaseName;
    QString checkListPath; // the calls file the test is scored against
    QString player;        // the identifier the test was started with
    // The log file on disk receives each call as it is logged, from the
    // test's start until its log is closed.
    bool logOpen = false;
    // A test or demonstration owns the current log and has not closed it.
    bool logPending = false;
    // How the running test was started; its end follows these, whatever the
    // player clicks in the meantime.
    OperatingMode testMode = OperatingMode::Networked;
    bool testComputerLog = true;
    // The host started the running test: its calls belong to the host too.
    bool hostTest = false;

    // Names the log of a test or demonstration that is starting.
    void NameLog(const QString &path, OperatingMode mode, bool computerLog);
    bool testCompleted = false;
    // The host's test, not a demonstration, owns the current log.
    bool hostTestRunning() const { return logPending && hostTest && !demoRunning; }
    // The host has the log; box 1 waits for the host's reset.
    bool awaitingReset = false;
    bool demoRunning = false;

    // Blanks for call logging: spaces and control characters.
    static QString TrimBlanks(const QString &text);

private:
    QStringList m_calls;
    QList<Delivery> m_delivery; // of each call in m_calls
    SortedTextList m_seen;
    SortedTextList m_checkList;
    QStringList m_timedScoreLines;
    qint64 m_audioLengthMs = 0;
    qint64 m_audioLengthS = 0;
    qint64 m_audioStartMs = 0;
};
