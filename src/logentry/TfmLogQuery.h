#pragma once
// The "Logging Method" question before a test: on the computer or on paper.
// The choice is true (computer) unless "Log On Paper" closed the dialog.

#include <QDialog>
#include <memory>

namespace Ui {
class TfmLogQuery;
}

class TfmLogQuery : public QDialog
{
    Q_OBJECT

public:
    explicit TfmLogQuery(QWidget *parent = nullptr);
    ~TfmLogQuery() override;

    bool computerLog() const { return m_computerLog; }

    void FormActivate();
    void bnLogOnComputerClick();
    void bnLogOnPaperClick();

    Ui::TfmLogQuery *ui() const { return m_ui.get(); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TfmLogQuery> m_ui;
    bool m_computerLog = true;
};
