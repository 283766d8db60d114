#pragma once
// Simulates the competitors of a past running of a pileup: players of
// different skill copying its timeline. A player misses more calls where
// many transmissions overlap, where the caller is fast for him or weak, and
// logs each call he copies a few seconds after its transmission ends, one
// after the other as he types. The result is each player's timed score.

#include "PileupPlan.h"

#include <QString>
#include <QStringList>

#include <vector>

struct TimedScoreStep
{
    int seconds = 0;
    int calls = 0; // cumulative
    int chars = 0; // cumulative
};

struct SimulatedCompetitor
{
    QString call;
    double skill = 0.0; // 0 (novice) to 1 (champion)
    std::vector<TimedScoreStep> steps;

    int correctCalls() const { return steps.empty() ? 0 : steps.back().calls; }
    int correctChars() const { return steps.empty() ? 0 : steps.back().chars; }
    // "seconds,calls,chars" lines of the timed-score file.
    QStringList fileLines() const;
    // More correct calls first, then more characters (the station's ranking).
    static bool ranksAbove(const SimulatedCompetitor &a, const SimulatedCompetitor &b);
};

struct SimulatedContest
{
    std::vector<SimulatedCompetitor> competitors; // ranked, the winner first
    int averageCalls = 0;                         // mean correct calls, rounded
};

class CompetitorSimulator
{
public:
    // `count` competitors with calls of their own; the seed fixes skills,
    // calls and every copying decision. The winner is always unique.
    static SimulatedContest simulate(const PileupPlan &plan, int count, quint64 seed);
};
