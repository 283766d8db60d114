#pragma once
// The rows of the rate review: one per player of the competition being
// replayed (the top five, the MinTop row, the chosen competitor, the user's
// best practice run), each its caption then the characters of the 18
// intervals, average and deviation; then, for the competitor and the user, a
// "MinTop-" row with the ground lost (+) or gained (-) against MinTop in
// every interval. Also what a click on an interval's heading asks for.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

struct TTimedScore;

struct RateReviewInput
{
    std::vector<const TTimedScore *> topFive; // in ranking order
    QString baseFolder;                       // ends with a separator
    QString minTopFileName;                   // "TS_MinTop[2].txt"
    // The competitor chosen in the replay, loaded from the competition's
    // folder; null for "None".
    const TTimedScore *competitor = nullptr;
    QString competitorCall; // the chosen entry, upper case; empty for "None"
    QString userText;       // the replay's user box; empty without a practice result
    const TTimedScore *userBest = nullptr;
};

// The review's rows in order: caption first, then up to 20 cells.
QList<QStringList> BuildRateRows(const RateReviewInput &input);

// The caption of a ground row, "MinTop-" + the player's call.
QString GroundRowCaption(const QString &call);

// A click on the heading of an interval column of the rate table.
struct IntervalClick
{
    int startSecond = 0; // the audio starts here, `offset` seconds before the interval
    int endSecond = 0;   // and ends with the interval
    int selectedColumn = 0;
    int previousColumn = -1; // shown red until the audio reaches the interval; -1 for none
};

// What a click on the column `column` headed `caption` asks for, with the
// offset text of the review; nothing for "Call", "Average[1]" and
// "Deviation[1]". The first interval always starts at second 0 and has no
// previous column, nor has any interval with the offset 0.
std::optional<IntervalClick> IntervalClickFor(const QString &caption, int column, const QString &offsetText);
