#pragma once
// "New Practice Case": the player names a case, picks a level (four presets
// with their figures, or the synthesizer's own settings) and a length, and
// the station makes it on a thread of its own while a progress bar runs;
// Cancel stops it with nothing left behind. A made case is reported and the
// window closes.

#include "CaseOffer.h"
#include "pileup-synth/PracticeCase.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TfmNewCase;
}
class CaseJob;
class Clock;
class QRadioButton;

class TfmNewCase : public QDialog
{
    Q_OBJECT

public:
    TfmNewCase(const Clock &clock, QWidget *parent = nullptr);
    ~TfmNewCase() override;

    void setBaseFolder(const QString &baseFolder) { m_baseFolder = baseFolder; }
    // Before showing: the level (kept from the last time when the offer
    // names none), and for aimed practice the calls to draw from. A new
    // default name follows the level until the player types his own.
    void offer(const CaseOffer &offer);

    // The request the window would make now (a new seed each time).
    PracticeCaseRequest request() const;
    // The level shown as chosen.
    QString levelName() const;
    bool busy() const;

    Ui::TfmNewCase *ui() const { return m_ui.get(); }

signals:
    void caseMade(const PracticeCaseResult &result, const QString &name);

public slots:
    void reject() override;

private:
    void bnCreateClick();
    void levelChosen();
    void jobFinished(const PracticeCaseResult &result, const QString &error, bool cancelled);
    void setWorking(bool working);
    void updateDefaultName();
    QList<QRadioButton *> levelButtons() const;

    std::unique_ptr<Ui::TfmNewCase> m_ui;
    const Clock &m_clock;
    CaseJob *m_job = nullptr; // owned by the window
    QString m_baseFolder;
    QStringList m_callList;
    QString m_aim;
    bool m_nameTyped = false;
};
