#pragma once
// The choice of a practice case before a practice test. The main window
// fills the case box and the list of sources, shows the dialog, and reads the
// case-selected flag and the case box's text afterwards.

#include "util/TWaveSourcePair.h"

#include <QDialog>
#include <memory>
#include <vector>

namespace Ui {
class TfmSelectPractice;
}
class Dialogs;
class TfmWinners;

class TfmSelectPractice : public QDialog
{
    Q_OBJECT

public:
    // `winners` is the station's one winners table, shown from here too.
    TfmSelectPractice(Dialogs &dialogs, TfmWinners &winners, QWidget *parent = nullptr);
    ~TfmSelectPractice() override;

    // Clears the case box and the list of sources.
    void Clear();
    // Adds a source to the list, and its name to the case box when it is
    // available (or always, when `evenUnavailable`).
    void AddSource(const TWaveSourcePair *source, bool evenUnavailable = false);
    // Puts the names of all sources of the list in the case box, none selected.
    void OfferAllCases();
    void SelectFirstCase();
    // The case offered first at the next start (a case just made), when listed.
    void setPreferredCase(const QString &name) { m_preferred = name; }

    bool caseSelected() const { return m_caseSelected; }
    QString caseText() const;
    const std::vector<const TWaveSourcePair *> &sources() const { return m_sources; }

    void FormActivate();
    void bnSelectPracticeCaseClick();
    void bnCancelClick();
    // The winners of every listed case, available or not; the case of the
    // row last selected there becomes the chosen one when it is offered.
    void bnViewWinScoresClick();

    Ui::TfmSelectPractice *ui() const { return m_ui.get(); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TfmSelectPractice> m_ui;
    Dialogs &m_dialogs;
    TfmWinners &m_winners;
    std::vector<const TWaveSourcePair *> m_sources; // the main window's entries, not owned
    bool m_caseSelected = false;
    QString m_preferred;
};
