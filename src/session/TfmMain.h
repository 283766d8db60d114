#pragma once
// The station's main window. It owns the session: the paths, the player
// configuration and the found-logs list, runs the start-up sequence at its
// first activation and keeps the sign-in controls and the mode buttons.

#include "PlayerConfig.h"
#include "util/SessionPaths.h"

#include <QButtonGroup>
#include <QMainWindow>
#include <QStringList>
#include <memory>

namespace Ui {
class TfmMain;
}
class Clock;
class Dialogs;

class TfmMain : public QMainWindow
{
    Q_OBJECT

public:
    TfmMain(const SessionPaths &paths, const QString &executablePath, Dialogs &dialogs, Clock &clock,
            QWidget *parent = nullptr);
    ~TfmMain() override;

    // The start-up sequence; false when the program must end (no
    // configuration). Runs once; later calls return the first answer.
    bool FormActivate();

    void ResetSignIn();
    void LoadInstructions();
    void rbNetworkedClick();
    void rbPracticeClick();
    void rgLogTypeClick();

    // Fill the found-logs list (emptied first) from a folder tree.
    void FindPlayerLogs(const QString &folder);
    void FindAllLogs(const QString &folder);
    const QStringList &foundLogs() const { return m_foundLogs; }

    const SessionPaths &paths() const { return m_paths; }
    const PlayerConfig &config() const { return m_config; }
    bool demoAvailable() const { return m_demoAvailable; }
    bool testCompleted() const { return m_testCompleted; }
    // rgLogType's selected item: 0 computer log, 1 paper log, -1 none.
    int logTypeIndex() const;
    void setLogTypeIndex(int index);

    // The caption: fixed text and the executable's last-modification time.
    static QString TitleFor(const QString &executablePath);

    Ui::TfmMain *ui() const { return m_ui.get(); }

private:
    bool isNetworkedMode() const;
    void showStartupMessage(const QString &text, const QString &caption);

    std::unique_ptr<Ui::TfmMain> m_ui;
    SessionPaths m_paths;
    QString m_executablePath;
    Dialogs &m_dialogs;
    Clock &m_clock;
    PlayerConfig m_config;
    QButtonGroup m_logTypeGroup;
    QStringList m_foundLogs;
    bool m_demoAvailable = false;
    bool m_testCompleted = false;
    int m_activation = -1; // -1 not yet activated, 0 must end, 1 running
};
