#pragma once
// The replay of a past competition as a race: its audio plays while, once a
// second, bars show how far the top five, one chosen competitor, the average
// of all competitors and the player's own best practice run had got. A white
// band in the three lower rows spans the top five at that second. The race
// itself is a ReplayRace; this window shows it and plays the audio through
// the station's one wave player.

#include "ReplayRace.h"

#include <QDialog>
#include <QTimer>

#include <array>
#include <memory>

namespace Ui {
class TfmReplay;
}
class Dialogs;
class QLineEdit;
class RaceBar;
class TfmReviewRates;
class WavePlayer;

class TfmReplay : public QDialog
{
    Q_OBJECT

public:
    TfmReplay(Dialogs &dialogs, WavePlayer &player, TfmReviewRates &review, QWidget *parent = nullptr);
    ~TfmReplay() override;

    // The competition to race; PrepareReplay fills it before the window shows.
    ReplayData &data() { return m_data; }
    ReplayRace &race() { return m_race; }
    bool AudioOpen() const { return m_audioOpen; }

    // Runs each time the window is shown and when the rate review closes
    // over it: everything back to the ready state, the tables rebuilt.
    void FormActivate();
    void bnStartReplayClick();
    void tmReplayTimer();
    void bnResetClick();
    void ResetReplay();
    void bnReviewRatesClick();
    void FormClose();

    QTimer &tmReplay() { return m_tmReplay; }
    Ui::TfmReplay *ui() const { return m_ui.get(); }

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    int m_callColumnWidth = 0;     // as designed
    QWidget *m_contents = nullptr; // the race, in a scroll area
    struct Row
    {
        QLineEdit *now;
        QLineEdit *total;
        RaceBar *bar;
    };
    // The top five's rows, then the chosen competitor, the average and the user.
    std::array<Row, 8> rows() const;
    std::array<RaceBar *, 3> bands() const;
    void ebNowChange(const Row &row);
    void setControlsEnabled(bool start, bool others);
    // The call column at the width of its longest text, never below its
    // first width: a long call or the key of the player's best run shows whole.
    void fitCallColumn();
    // The top five's rows: each held one shows its competitor (and his total
    // when `totals`); the others are blank, their bars hidden.
    void showPlaces(bool totals);

    std::unique_ptr<Ui::TfmReplay> m_ui;
    Dialogs &m_dialogs;
    WavePlayer &m_player;
    TfmReviewRates &m_review;
    ReplayData m_data;
    ReplayRace m_race{m_data};
    QTimer m_tmReplay;
    bool m_audioOpen = false;
};
