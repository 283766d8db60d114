#pragma once
// The end of a test: the networked log close that the host asks for, and
// the station's own completion of standalone and practice tests (the log
// and timed scores saved, the log scored, the practice history line, the
// ranking of all standalone players); and the administrator's scoring of
// every standalone log into a results file.

#include <QHash>
#include <QString>
#include <QStringList>

namespace Ui {
class TfmMain;
}
class TfmMain;

class TestCompletion
{
public:
    explicit TestCompletion(TfmMain &main) : m_main(main) {}

    void CloseLog();
    void CompleteLocalTest();
    // Scores every standalone log, writes zzSAResults.txt and shows the ranking.
    void ShowStandAloneScores(const QString &player);
    // Password, then the choice of the results file, then the scoring.
    void CollectScores();
    // "Enter Paper Log": password, then the paper log window for the mode's
    // log folder; a practice log is scored and added to the history.
    void EnterPaperLog();

private:
    Ui::TfmMain &ui();
    // The administrator's password; false when withdrawn or wrong.
    bool askPassword();
    // Writes the test's calls over the log file; false when it could not (the
    // calls then went to a recovery file, and the end of the test says so).
    bool writeLog();
    void writeTimedScores();
    // Box 1 empty and ready for the next player; box 2 empty.
    void readyForNextPlayer();
    void completeStandAlone();
    void completePractice();
    // Every ending starts with no problems and shows those it met at its end,
    // after the station is ready again.
    void beginEnding();
    void finishEnding();
    static QString notSaved();

    TfmMain &m_main;
    QStringList m_problems;
    // The case of each player's last practice test on paper (his call in
    // capitals): his sheet is scored against it.
    QHash<QString, QString> m_paperCases;
    QString m_savedTo;           // where the calls of the ending test are
    bool m_savedNowhere = false; // neither the log nor a recovery file took them
};
