#pragma once
// The runs of one practice case told apart by player, in the order they
// were played, for the progress chart. A practice log is named after its
// player: "<call>-MMddyy-hhmm.log", so the call is read from the name.

#include "TPracticeScore.h"

#include <QList>
#include <QString>
#include <vector>

class PlayerRuns
{
public:
    struct Run
    {
        QString date; // "dd-MMM-yyyy"
        int calls = 0;
        int chars = 0;
    };

    PlayerRuns() = default;
    // The history lines of one case as they were read, oldest first.
    explicit PlayerRuns(const TPracticeScoreList &inOrderPlayed);

    // The runs of `call`, letter case ignored, oldest first.
    QList<Run> of(const QString &call) const;
    bool isEmpty() const { return m_runs.empty(); }

    // The player's call in a practice log's name ("K1ABC-030524-1407.log"
    // gives "K1ABC"); a name not stamped with date and time stands for
    // itself, without ".log".
    static QString PlayerOf(const QString &logFile);

private:
    struct Entry
    {
        QString player; // upper case
        Run run;
    };
    std::vector<Entry> m_runs;
};
