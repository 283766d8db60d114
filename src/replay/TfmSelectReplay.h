#pragma once
// The choice of a past competition to replay or review. Closed with
// "Replay/Review Rates" it leaves ReplayChosen on and the competition's name
// in cbSelectReplay; Cancel, Escape and the close box leave it off.

#include <QDialog>
#include <memory>

namespace Ui {
class TfmSelectReplay;
}

class TfmSelectReplay : public QDialog
{
    Q_OBJECT

public:
    explicit TfmSelectReplay(QWidget *parent = nullptr);
    ~TfmSelectReplay() override;

    // The competitions offered, in order.
    void setCompetitions(const QStringList &names);
    QString competition() const;
    bool ReplayChosen() const { return m_replayChosen; }

    void FormActivate();
    void bnReplaySelectionClick();
    void bnCancelClick();

    Ui::TfmSelectReplay *ui() const { return m_ui.get(); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TfmSelectReplay> m_ui;
    bool m_replayChosen = false;
};
