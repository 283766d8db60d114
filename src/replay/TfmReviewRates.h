#pragma once
// "Reviewing Rates": the characters every player of a replayed competition
// logged in each 20-second interval, with the MinTop rows, and the audio of
// any interval played again from a chosen number of seconds before it. The
// window is made once and reused: the interval selected, its colours and
// the offset chosen stay from one showing to the next.

#include <QColor>
#include <QDialog>
#include <QList>
#include <QStringList>
#include <QTimer>
#include <memory>

namespace Ui {
class TfmReviewRates;
}
class Dialogs;
class QKeyEvent;
class RatesChart;
class WavePlayer;

class TfmReviewRates : public QDialog
{
    Q_OBJECT

public:
    // `player` is the station's wave player; its file name is set to the
    // competition's recording before the window is shown.
    TfmReviewRates(Dialogs &dialogs, WavePlayer &player, QWidget *parent = nullptr);
    ~TfmReviewRates() override;

    // Fills the table (rows as BuildRateRows gives them: caption, then the
    // cells from column "0" on) and the chart, and names the case in the
    // caption. The caller then shows the window modally.
    void ShowRows(const QList<QStringList> &rows, const QString &caseName);

    void FormCreate();
    // Runs each time the window is shown.
    void FormActivate();
    // Stops and closes the player when audio started here is still playing.
    void FormClose();
    // Escape closes the window.
    void FormKeyPress(QKeyEvent *event);
    // A click on a column heading: plays that interval and colours it.
    void lvRatesColumnClick(int column);
    void tmPrevIntervalTimer();

    Ui::TfmReviewRates *ui() const { return m_ui.get(); }
    RatesChart *chart() const { return m_chart; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The fill of a cell in `column`; invalid for cells that keep their own.
    QColor CellFill(int column) const;
    // Gives every cell its fill and shades the selected interval in the chart.
    void PaintColumns();

    std::unique_ptr<Ui::TfmReviewRates> m_ui;
    Dialogs &m_dialogs;
    WavePlayer &m_player;
    RatesChart *m_chart = nullptr;
    QTimer m_tmPrevInterval;

    int m_selectedColumn = 0;
    int m_previousColumn = 0;
    QColor m_previousColour = Qt::white;
    int m_ticks = 0;
    bool m_redrawn = false;
    bool m_playing = false;
};
