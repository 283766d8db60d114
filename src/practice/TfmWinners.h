#pragma once
// "Winning Information from Original Test": the winners, winning and average
// scores of the original running of each practice case. It remembers the
// case of the row last selected, from one showing to the next.

#include <QDialog>
#include <QStringList>
#include <memory>

namespace Ui {
class TfmWinners;
}

class TfmWinners : public QDialog
{
    Q_OBJECT

public:
    explicit TfmWinners(QWidget *parent = nullptr);
    ~TfmWinners() override;

    // Fills the table from winner row texts, in their order.
    void Fill(const QStringList &rowTexts);
    // The "Test" text of the row last selected (kept between showings).
    const QString &rememberedTest() const { return m_rememberedTest; }

    void lvWinnersSelectItem();

    Ui::TfmWinners *ui() const { return m_ui.get(); }

private:
    std::unique_ptr<Ui::TfmWinners> m_ui;
    QString m_rememberedTest;
};
