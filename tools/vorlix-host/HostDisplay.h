#pragma once
// What the organiser sees of the engine, as plain text and flags: the names
// of stages and links, one position as table cells or a status line, the
// ranking's lines as cells, the countdown, and which steps of the round make
// sense at each stage. Shared by the organiser's window and the headless
// console, so both say the same thing; no widgets.

#include "HostEngine.h"

#include <QFlags>
#include <QString>
#include <QStringList>

namespace HostDisplay {

// The organiser's steps of a round, in their natural order.
enum class Step
{
    ChooseWave = 0x001,
    SendWave = 0x002,
    Welcome = 0x004,
    StartDemo = 0x008,
    StopDemo = 0x010,
    StartTest = 0x020,
    Pause = 0x040,
    Resume = 0x080,
    Submit = 0x100,
    Score = 0x200,
    Reset = 0x400,
};
Q_DECLARE_FLAGS(Steps, Step)

// The steps worth offering at `stage`. `waveChosen`: a wave file and check
// list have been chosen, so they can be sent before the stage moves on.
Steps StepsFor(HostEngine::Stage stage, bool waveChosen);

QString StageName(HostEngine::Stage stage);         // "Idle", "Wave set", ... "Scored"
QString LinkName(HostEngine::Link link);            // "Free", "Connected", ... "Disconnected"
QString MethodName(HostProtocol::LogMethod method); // "Computer", "Paper"

// The columns of the positions table, and one position's cells in their
// order. A position without a player shows no log method and no count.
QStringList PositionHeaders(); // Position, Call, Log, Link, Wave, Calls
QStringList PositionCells(const HostEngine::Position &position);
// One line: "Position 2: Connected, K5XX, Computer, FILE_OK, 12 calls".
QString PositionLine(const HostEngine::Position &position);

// The columns of the ranking, and a ranking line of the engine
// ("rank,position,call,method,calls,chars") as six cells; missing fields are
// empty and extra ones are dropped.
QStringList RankingHeaders(); // Rank, Position, Call, Log, Calls, Chars
QStringList RankingCells(const QString &line);
// "1 of 4  Position 2  K5XX  Computer  45 calls  230 chars"; without the
// numbers when the line has none (a paper log).
QString RankingLine(const QString &line);

// Seconds as "mm:ss" (minutes grow past 99 rather than wrap); negative
// seconds show as "00:00".
QString CountdownText(int seconds);

} // namespace HostDisplay

Q_DECLARE_OPERATORS_FOR_FLAGS(HostDisplay::Steps)
