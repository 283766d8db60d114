#pragma once
// Practice aimed at what a player misses: his weakest characters, read from
// what he missed, and the offer of a new case whose calls hold them about
// four times as often as usual.

#include "MissAnalysis.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace AimedPractice {

// A character counts only once it has been sent this often, and missed or
// taken for another at least twice: one slip does not make it weak.
constexpr int MinSent = 10;
constexpr int MinWrong = 2;
constexpr int MostWeak = 3;
// The calls offered are enough for the longest case (6 minutes) at the level
// chosen, three times over, so its callers are a fresh draw from them.
constexpr double CaseMinutes = 6.0;
constexpr int CallsPerCaller = 3;

// The characters of calls (letters, digits, '/') with the highest share of
// their sendings missed or taken for another, at most MostWeak, highest
// share first (ties in character order).
QList<QChar> WeakestCharacters(const MissAnalysis::Report &report);

// "R, 5 and B about four times as often as usual".
QString AimText(const QList<QChar> &weak);

// The calls for a case of `level` (a preset; another name: the busiest
// preset) aimed at `weak`, drawn from `seed`.
QStringList CallList(const QList<QChar> &weak, const QString &level, quint64 seed);

} // namespace AimedPractice
