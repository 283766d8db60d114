#pragma once
// "Password Entry": asks for the administrator's password. After the modal
// showing the caller reads accepted(): whether the submitted text equalled
// the expected password, letter case ignored. The typed text never stays in
// the box.

#include <QDialog>
#include <memory>

namespace Ui {
class TfmCollectScores;
}

class TfmCollectScores : public QDialog
{
    Q_OBJECT

public:
    static constexpr qsizetype kPasswordMax = 30;

    explicit TfmCollectScores(QWidget *parent = nullptr);
    ~TfmCollectScores() override;

    // The administrator's password (cut to 30 characters).
    void setExpectedPassword(const QString &password);
    bool accepted() const { return m_accepted; }

    void FormActivate();
    void bnSubmitClick();

    Ui::TfmCollectScores *ui() const { return m_ui.get(); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TfmCollectScores> m_ui;
    QString m_expected;
    bool m_accepted = false;
};
