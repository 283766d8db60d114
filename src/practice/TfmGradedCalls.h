#pragma once
// "Call Analysis": the entries of one practice log, good calls first, with
// the case's winning and average scores of the original running.

#include <QDialog>
#include <memory>

namespace Ui {
class TfmGradedCalls;
}
struct CallAnalysis;

class TfmGradedCalls : public QDialog
{
    Q_OBJECT

public:
    explicit TfmGradedCalls(QWidget *parent = nullptr);
    ~TfmGradedCalls() override;

    void Fill(const CallAnalysis &analysis);

    Ui::TfmGradedCalls *ui() const { return m_ui.get(); }

private:
    std::unique_ptr<Ui::TfmGradedCalls> m_ui;
};
