#include "HostDisplay.h"

namespace HostDisplay {

Steps StepsFor(HostEngine::Stage stage, bool waveChosen)
{
    using Stage = HostEngine::Stage;
    switch (stage) {
    case Stage::Idle: {
        // The welcome needs no wave file; a reset clears wrong registrations
        // before the first round. A demonstration waits for the wave file.
        Steps steps = Step::ChooseWave | Step::Welcome | Step::Reset;
        if (waveChosen)
            steps |= Step::SendWave;
        return steps;
    }
    case Stage::WaveSet:
        // Sending again checks stations that joined late; another file may
        // still be chosen.
        return Step::ChooseWave | Step::SendWave | Step::Welcome | Step::StartDemo | Step::StartTest |
               Step::Reset;
    case Stage::Demo:
        return Step::StopDemo;
    case Stage::Running:
        return Step::Pause | Step::Submit;
    case Stage::Paused:
        // A reset would leave the stations' logs unsubmitted: submit first.
        return Step::Resume | Step::Submit;
    case Stage::Submitted:
        // Scoring does not have to wait for a station that never finalizes.
        return Step::Score | Step::Reset;
    case Stage::Scored:
        // Scoring again takes in a log finalized after the first scoring.
        return Step::Score | Step::Reset;
    }
    return {};
}

QString StageName(HostEngine::Stage stage)
{
    using Stage = HostEngine::Stage;
    switch (stage) {
    case Stage::Idle:
        return QStringLiteral("Idle");
    case Stage::WaveSet:
        return QStringLiteral("Wave set");
    case Stage::Demo:
        return QStringLiteral("Demonstration");
    case Stage::Running:
        return QStringLiteral("Running");
    case Stage::Paused:
        return QStringLiteral("Paused");
    case Stage::Submitted:
        return QStringLiteral("Submitted");
    case Stage::Scored:
        return QStringLiteral("Scored");
    }
    return QString();
}

QString LinkName(HostEngine::Link link)
{
    using Link = HostEngine::Link;
    switch (link) {
    case Link::Free:
        return QStringLiteral("Free");
    case Link::Connected:
        return QStringLiteral("Connected");
    case Link::Lost:
        return QStringLiteral("Lost");
    case Link::Dropped:
        return QStringLiteral("Dropped");
    case Link::Disconnected:
        return QStringLiteral("Disconnected");
    }
    return QString();
}

QString MethodName(HostProtocol::LogMethod method)
{
    return method == HostProtocol::LogMethod::Paper ? QStringLiteral("Paper") : QStringLiteral("Computer");
}

QStringList PositionHeaders()
{
    return {QStringLiteral("Position"), QStringLiteral("Call"), QStringLiteral("Log"),
            QStringLiteral("Link"),     QStringLiteral("Wave"), QStringLiteral("Calls")};
}

QStringList PositionCells(const HostEngine::Position &position)
{
    const bool player = !position.call.isEmpty();
    return {
        position.name,           position.call,       player ? MethodName(position.method) : QString(),
        LinkName(position.link), position.waveStatus, player ? QString::number(position.calls) : QString()};
}

QString PositionLine(const HostEngine::Position &position)
{
    QStringList parts{LinkName(position.link)};
    if (!position.call.isEmpty())
        parts << position.call << MethodName(position.method);
    if (!position.waveStatus.isEmpty())
        parts << position.waveStatus;
    if (!position.call.isEmpty())
        parts << QStringLiteral("%1 calls").arg(position.calls);
    if (position.finalized)
        parts << QStringLiteral("finalized");
    if (!position.rank.isEmpty())
        parts << QStringLiteral("rank %1").arg(position.rank);
    return position.name + QStringLiteral(": ") + parts.join(QStringLiteral(", "));
}

QStringList RankingHeaders()
{
    return {QStringLiteral("Rank"), QStringLiteral("Position"), QStringLiteral("Call"),
            QStringLiteral("Log"),  QStringLiteral("Calls"),    QStringLiteral("Chars")};
}

QStringList RankingCells(const QString &line)
{
    QStringList cells = line.split(u',');
    for (QString &cell : cells)
        cell = cell.trimmed();
    cells.resize(RankingHeaders().size());
    return cells;
}

QString RankingLine(const QString &line)
{
    const QStringList c = RankingCells(line);
    QString text = QStringLiteral("%1  %2  %3  %4").arg(c[0], c[1], c[2], c[3]);
    // A paper log has no numbers until it is scored by hand.
    if (!c[4].isEmpty() || !c[5].isEmpty())
        text += QStringLiteral("  %1 calls  %2 chars").arg(c[4], c[5]);
    return text;
}

QString CountdownText(int seconds)
{
    seconds = qMax(0, seconds);
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace HostDisplay
