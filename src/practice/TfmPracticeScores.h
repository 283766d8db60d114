#pragma once
// "Practice Scores": the practice history as a list, of one case or of all.
// The window shows the records, caption and instruction lines it is given,
// and keeps the PracticeLogs folder and the practice sources handed to it
// for the winners and the call analysis; the caller shows it modally.

#include "CaseOffer.h"
#include "PlayerRuns.h"
#include "PracticeScoresModel.h"
#include "util/TWaveSourcePair.h"

#include <QDialog>
#include <QStringList>
#include <memory>
#include <vector>

namespace Ui {
class TfmPracticeScores;
}
class Dialogs;
class ProgressChart;
class TfmGradedCalls;
class TfmMisses;
class TfmWinners;

class TfmPracticeScores : public QDialog
{
    Q_OBJECT

public:
    explicit TfmPracticeScores(QWidget *parent = nullptr);
    ~TfmPracticeScores() override;

    // Replaces the rows by `scores` in their order, the caption and the
    // lines of moInstruct, and fits the columns to their contents within
    // their limits.
    void Fill(const QString &caption, const QStringList &instructions, TPracticeScoreList scores);

    void setLogsFolder(const QString &folder);
    // The practice history file, read again for what a player misses.
    void setHistoryFile(const QString &file) { m_historyFile = file; }
    const QString &logsFolder() const { return m_logsFolder; }
    // The main window's practice sources, referred to and not owned.
    void setSources(const std::vector<TWaveSourcePair> &sources);
    const std::vector<const TWaveSourcePair *> &sources() const { return m_sources; }

    const PracticeScoresModel &scores() const { return m_model; }

    // The windows the list leads to: the winners of its cases (a click on
    // "Test Case", or Alt+T) and the call analysis of a run (Enter on a row,
    // or a click). Handed over once by the main window.
    void setViews(Dialogs &dialogs, TfmWinners &winners, TfmGradedCalls &gradedCalls);
    void lvPracticeScoresColumnClick(int column);
    // The chart follows the player of the row, then the row's calls open.
    void lvPracticeScoresSelectItem(int row);
    // What the player of the chart (or of the current row) misses, across
    // all his computer runs of every case.
    void bnWhatIMissClick();
    TfmMisses *misses() const { return m_misses.get(); }
    // What What I Miss asks for a new case with; handed on to it (kept
    // until it is first shown).
    void setCaseMaker(CaseMaker maker);

    // The runs of the case shown, as played; the chart follows `player`
    // (who has just played) and then the player of the row chosen. No runs
    // hide the chart (the view of all cases).
    void ShowProgress(PlayerRuns runs, const QString &player);
    ProgressChart &progressChart() { return *m_chart; }
    Ui::TfmPracticeScores *ui() const { return m_ui.get(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fitColumns();
    // The chart follows the player of the row (the row selected, as it moves).
    void followRow(int row);
    void openRow(int row);

    std::unique_ptr<Ui::TfmPracticeScores> m_ui;
    PracticeScoresModel m_model;
    QString m_logsFolder;
    QString m_historyFile;
    std::unique_ptr<TfmMisses> m_misses; // made at its first showing
    CaseMaker m_caseMaker;
    std::vector<const TWaveSourcePair *> m_sources;
    ProgressChart *m_chart = nullptr; // owned by the window
    PlayerRuns m_runs;
    Dialogs *m_dialogs = nullptr;
    TfmWinners *m_winners = nullptr;
    TfmGradedCalls *m_gradedCalls = nullptr;
};
