#pragma once
// "Entering Paper Logs": the administrator types in a log written on paper.
// The call sign names the log file in the folder the main window sets (with
// a time stamp in practice mode); an earlier log of that name is loaded for
// editing; Save writes the lines exactly as typed. After the modal showing
// the caller reads savedLog(): the file written, empty when nothing was.
// A practice log also names the case it was played on (cbPracticeCase),
// chosen for the player when the station knows it; the caller reads
// chosenCase() to score it.

#include <QDialog>
#include <QStringList>
#include <functional>
#include <memory>

namespace Ui {
class TfmPaperLogEntry;
}
class Clock;
class Dialogs;

class TfmPaperLogEntry : public QDialog
{
    Q_OBJECT

public:
    TfmPaperLogEntry(Dialogs &dialogs, Clock &clock, QWidget *parent = nullptr);
    ~TfmPaperLogEntry() override;

    // Set at every opening: the log folder, whether names get the practice
    // time stamp, and the logs already there (bare names, shown in moExistLogs).
    void setLogFolder(const QString &folder, bool timeStamp, const QStringList &existingLogs);
    const QString &logFolder() const { return m_folder; }
    const QString &savedLog() const { return m_savedLog; }

    // Practice mode: the cases, and the case a player (by his call) played
    // last, empty when not known. The box shows while names get the stamp.
    void setPracticeCases(const QStringList &cases, std::function<QString(const QString &)> playedBy);
    // The case chosen in the box; empty when none is.
    QString chosenCase() const;

    void FormActivate();
    // Enter in ebCallSignPaper: stamps the name, loads or clears the calls.
    void ebCallSignPaperEnter();
    void bnSavePaperClick();

    Ui::TfmPaperLogEntry *ui() const { return m_ui.get(); }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::unique_ptr<Ui::TfmPaperLogEntry> m_ui;
    Dialogs &m_dialogs;
    Clock &m_clock;
    QString m_folder;
    bool m_timeStamp = false;
    QString m_savedLog;
    std::function<QString(const QString &)> m_playedBy;
};
