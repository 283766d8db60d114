#pragma once
// The two views of the practice history: the scores of the case just
// played, and the scores of every case. Each reads the history afresh,
// sorts it, fills TfmPracticeScores and shows it modally over the main
// window, or tells why there is nothing to show.

#include "util/TWaveSourcePair.h"

#include <QString>
#include <vector>

class Dialogs;
class QWidget;
class TfmPracticeScores;

struct PracticeScoresSession
{
    QString historyFile;
    QString logsFolder;
    const std::vector<TWaveSourcePair> &sources;
};

// The scores of `caseName` only, with the progress of `player` (the player of
// the test just ended) charted.
void ShowCaseScores(TfmPracticeScores &window, Dialogs &dialogs, QWidget *mainWindow,
                    const PracticeScoresSession &session, const QString &caseName, const QString &player);
// The scores of all cases.
void ShowAllPracticeScores(TfmPracticeScores &window, Dialogs &dialogs, QWidget *mainWindow,
                           const PracticeScoresSession &session);
