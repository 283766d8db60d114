#pragma once
// "What I Miss": what one player gets wrong across his computer runs, as
// MissAnalysis counts it: the commonest mistakes, every character as a heat
// map, the parts of the call, and his last runs.

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

    CharacterHeatMap &heatMap() { return *m_heatMap; }
    Ui::TfmMisses *ui() const { return m_ui.get(); }

private:
    std::unique_ptr<Ui::TfmMisses> m_ui;
    CharacterHeatMap *m_heatMap = nullptr; // owned by the window
};
