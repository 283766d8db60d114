#pragma once
// "Scoring Standalone Logs": the administrator chooses the results file and
// asks for all standalone logs to be scored into it. The window only
// collects the request; the caller reads scoreRequested() and
// destinationFile() after the modal showing and does the scoring.

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class TfmScoreLogs;
}

class TfmScoreLogs : public QDialog
{
    Q_OBJECT

public:
    // Asks for the results file to save to, starting in `initialFolder`;
    // an empty text when the user cancels.
    using FileChooser = std::function<QString(QWidget *parent, const QString &initialFolder)>;

    static constexpr qsizetype kPathMax = 260;

    explicit TfmScoreLogs(QWidget *parent = nullptr);
    ~TfmScoreLogs() override;

    // The save dialog starts in the base folder (cut to 260 characters).
    void setBaseFolder(const QString &folder);
    const QString &baseFolder() const { return m_baseFolder; }
    // Replaces the save dialog (tests answer it without a real dialog).
    void setFileChooser(FileChooser chooser);

    bool scoreRequested() const { return m_scoreRequested; }
    QString destinationFile() const;

    void FormActivate();
    void bnBrowseClick();
    void bnScoreLogsClick();
    void bnCancelClick();

    Ui::TfmScoreLogs *ui() const { return m_ui.get(); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TfmScoreLogs> m_ui;
    FileChooser m_chooseFile;
    QString m_destination;
    QString m_baseFolder;
    bool m_scoreRequested = false;
};
