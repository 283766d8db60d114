#pragma once
// "What I Miss": what one player gets wrong across his computer runs, as
// MissAnalysis counts it: the commonest mistakes, every character as a heat
// map, the parts of the call, and his last runs; and from there a new case
// aimed at his weakest characters ("Practise these", Alt+P) or one at the
// level his last runs call for ("Next case at my level", Alt+N).

#include "CaseOffer.h"
#include "MissAnalysis.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TfmMisses;
}
class CharacterHeatMap;

class TfmMisses : public QDialog
{
    Q_OBJECT

public:
    explicit TfmMisses(QWidget *parent = nullptr);
    ~TfmMisses() override;

    // Shows `report`: up to 15 mistakes and the last 10 runs.
    void Fill(const MissAnalysis::Report &report);
    // Where the level of the next case is read from: the practice history
    // and the practice sources (referred to, not owned).
    void setHistory(const QString &historyFile, const std::vector<const TWaveSourcePair *> &sources);
    // What the two buttons ask for a new case with; none disables them.
    void setCaseMaker(CaseMaker maker);

    // The weakest characters of the report shown.
    const QList<QChar> &weakCharacters() const { return m_weak; }
    // A new case whose calls hold the weak characters about four times as
    // often as usual, at the player's level.
    void bnPractiseTheseClick();
    // A new case at the level of the player's last runs, with its reason.
    void bnNextLevelClick();

    CharacterHeatMap &heatMap() { return *m_heatMap; }
    Ui::TfmMisses *ui() const { return m_ui.get(); }

private:
    void enableButtons();

    std::unique_ptr<Ui::TfmMisses> m_ui;
    CharacterHeatMap *m_heatMap = nullptr; // owned by the window
    QString m_player;
    QList<QChar> m_weak;
    QString m_historyFile;
    std::vector<const TWaveSourcePair *> m_sources;
    CaseMaker m_caseMaker;
};
