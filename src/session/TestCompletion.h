#pragma once
// The end of a test: the networked log close that the host asks for, and
// the station's own completion of standalone and practice tests (the log
// and timed scores saved, the log scored, the practice history line, the
// ranking of all standalone players); and the administrator's scoring of
// every standalone log into a results file.

#include <QString>

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

private:
    Ui::TfmMain &ui();
    // Writes the test's calls over the log file; raises when it cannot.
    void writeLog();
    void completeStandAlone();
    void completePractice();

    TfmMain &m_main;
};
