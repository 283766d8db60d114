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
    m_delivery.clear();
    m_seen.clear();
    m_timedScoreLines.clear();
    awaitingReset = false;
}

std::optional<TestSession::LoggedCall> TestSession::LogCall(const QString &typed, OperatingMode mode,
                                                            bool standAloneCallsPresent, qint64 nowMs,
                                                            HostLink host)
{
    const QString call = TrimBlanks(typed);
    if (call.isEmpty())
        return std::nullopt;
    const bool isNew = m_seen.add(call);
    Delivery delivery = Delivery::Local;
    if (host.linked && host.registered)
        delivery = Delivery::Sent;
    else if (logPending && hostTest)
        delivery = host.registered ? Delivery::Queued : Delivery::KeptLocal;
    m_calls.append(call);
    m_delivery.append(delivery);
    const bool timed =
        (mode == OperatingMode::StandAlone && standAloneCallsPresent) || mode == OperatingMode::Practice;
    if (timed && isNew)
        AppendTimedScoreLine(m_timedScoreLines, m_checkList, call, timedScoreStartMs, nowMs);
    return LoggedCall{call, isNew, delivery};
}

QStringList TestSession::TakeUnsentCalls()
{
    QStringList unsent;
    for (qsizetype i = 0; i < m_calls.size(); ++i) {
        if (m_delivery[i] == Delivery::Queued) {
            unsent.append(m_calls[i]);
            m_delivery[i] = Delivery::Sent;
        }
    }
    return unsent;
}

qsizetype TestSession::keptLocalCount() const
{
    return m_delivery.count(Delivery::KeptLocal);
}

QString TestSession::ShownLine(const QString &call, Delivery delivery)
{
    const bool notSent = delivery == Delivery::Queued || delivery == Delivery::KeptLocal;
    return notSent ? call + QStringLiteral("   (not sent)") : call;
}

QString TestSession::CallsLoggedText() const
{
    QStringList lines;
    for (qsizetype i = 0; i < m_calls.size(); ++i)
        lines.append(ShownLine(m_calls[i], m_delivery[i]));
    return lines.join(u'\n');
}

bool TestSession::hasQueuedCalls() const
{
    return m_delivery.contains(Delivery::Queued);
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
