#pragma once
// What the replay window races: one past competition's top five, the average
// of all its competitors at every second, the other competitors to choose
// from, and where its files and the station's files lie. PrepareReplay fills
// it from the competition's folder of timed scores, without any window.

#include "util/TimedScore.h"

#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <vector>

struct ReplayData
{
    QString BaseFolder;          // the base folder, ending with a separator
    QString MinTopFileName;      // "TS_MinTop[2].txt", written in BaseFolder
    QString PracticeRoot;        // the player's practice timed scores
    QString CaseFolder;          // the competition's timed scores, ending with a separator
    QString ConfigFile;          // the player configuration
    QString PracticeWavesFolder; // the practice waves and calls
    QStringList Untouchable;     // files and folders no calls-file preparation may rewrite
    // The five best competitors in ranking order, as copies whose second
    // tables are built when the replay window is shown.
    std::vector<std::unique_ptr<TTimedScore>> TopFive;
    // The average cumulative characters at each second of all competitors
    // whose files could be read.
    std::array<qint32, TimedScoreSeconds> AverageChars{};
    // The choice of a further competitor: "None", then the others' calls.
    QStringList SelectItems{QStringLiteral("None")};
    // The competitors whose files could not be read, in ranking order.
    QStringList Unread;
    QString Caption;
    QString CaseName; // at most 20 characters
};

class SessionPaths;

// The replay's competition names: "Lakemont 2012" and "Lakemont 2013", then
// every further folder of `timedScoresFolder` named after one of `practiceCases`
// (letter case ignored), in the order of `practiceCases`.
QStringList ReplayCompetitions(const QString &timedScoresFolder, const QStringList &practiceCases);

// Loads and ranks every competitor of `competition` and fills `data` with it.
// A missing or empty competition folder gives an empty ranking.
void PrepareReplay(const SessionPaths &paths, const QString &competition, ReplayData &data);
