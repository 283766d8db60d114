#include "TestSession.h"

#include "util/LogScoring.h"
#include "util/TimedScoreLines.h"

QString TestSession::TrimBlanks(const QString &text)
{
    // The same trimming as the scoring's, so a call is kept as it will count.
    return TrimLogLine(text).toString();
}

void TestSession::BeginTest()
{
    m_calls.clear();
    m_seen.clear();
    m_timedScoreLines.clear();
    unsentCalls.clear();
    awaitingReset = false;
}

std::optional<TestSession::LoggedCall> TestSession::LogCall(const QString &typed, OperatingMode mode,
                                                            bool standAloneCallsPresent, qint64 nowMs)
{
    const QString call = TrimBlanks(typed);
    if (call.isEmpty())
        return std::nullopt;
    const bool isNew = m_seen.add(call);
    m_calls.append(call);
    const bool timed =
        (mode == OperatingMode::StandAlone && standAloneCallsPresent) || mode == OperatingMode::Practice;
    if (timed && isNew)
        AppendTimedScoreLine(m_timedScoreLines, m_checkList, call, timedScoreStartMs, nowMs);
    return LoggedCall{call, isNew};
}

void TestSession::SetAudio(qint64 lengthMs, qint64 startMs)
{
    m_audioLengthMs = lengthMs;
    m_audioLengthS = (lengthMs + 999) / 1000;
    m_audioStartMs = startMs;
}

qint64 TestSession::RemainingSeconds(qint64 nowMs) const
{
    return m_audioLengthS - RoundedSecondsBetween(m_audioStartMs, nowMs);
}

void TestSession::NameLog(const QString &path, OperatingMode mode, bool computerLog)
{
    logFile = path;
    logOpen = false;
    logPending = true;
    testMode = mode;
    testComputerLog = computerLog;
}
