#pragma once
// "Scores of Previous Players": the ranking of all standalone players, with
// the player who has just finished named above it. The window only shows
// the result lines it is given; the caller shows it modally.

#include <QDialog>
#include <QStringList>
#include <memory>

namespace Ui {
class TfmShowScores;
}

class TfmShowScores : public QDialog
{
    Q_OBJECT

public:
    explicit TfmShowScores(QWidget *parent = nullptr);
    ~TfmShowScores() override;

    // Puts `player` into the player box and one row per result line
    // ("name,calls,chars", split as the station's field tokenizer does);
    // lines that do not give exactly three fields are left out, and the
    // rows are numbered from 1.
    void Fill(const QString &player, const QStringList &resultLines);

    void Button1Click();

    Ui::TfmShowScores *ui() const { return m_ui.get(); }

private:
    std::unique_ptr<Ui::TfmShowScores> m_ui;
};
