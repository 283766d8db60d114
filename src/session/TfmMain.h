#pragma once
// The station's main window. It owns the session: the paths, the player
// configuration, the test in progress and the wave player. It runs the
// start-up sequence, switches between the three modes of operation, signs the
// player in, starts the tests and takes the typed calls; it handles the
// host's commands that act on the session.

#include "DemoCalls.h"
#include "LocalTestStart.h"
#include "MainHostCommands.h"
#include "PlayerConfig.h"
#include "TestCompletion.h"
#include "TestSession.h"
#include "hostlink/HostCommandHandler.h"
#include "util/SessionPaths.h"
#include "util/WavePlayer.h"

#include <QButtonGroup>
#include <QMainWindow>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

namespace Ui {
class TfmMain;
}
class Clock;
class Dialogs;
class QDialog;
class TfmCollectScores;
class TfmConnect;
class TfmLogQuery;
class TfmPracticeScores;
class TfmScoreLogs;
class TfmPaperLogEntry;
class TfmSelectPractice;
class TfmShowScores;
class TfmWinners;
class TfmGradedCalls;
class ReplayEntry;
class NewCaseFlow;

class TfmMain : public QMainWindow, public HostCommandHandler
{
    Q_OBJECT
    friend class LocalTestStart; // the local test starts work on the session
public:
    TfmMain(const SessionPaths &paths, const QString &executablePath, Dialogs &dialogs, Clock &clock,
            WavePlayer::Output audio = WavePlayer::Output::Automatic, QWidget *parent = nullptr);
    ~TfmMain() override;

    // The connection window, created after the main window and handed over
    // once: its socket and health check work from the start.
    void SetConnectWindow(TfmConnect *connect);
    TfmConnect *connectWindow() const { return m_connect; }
    // The dialogs. Each is made at its first showing and kept from then on,
    // with its state, so start-up pays only for the main window.
    TfmLogQuery &LogQuery();
    TfmCollectScores &CollectScores();
    TfmScoreLogs &ScoreLogs();
    TfmShowScores &ShowScores();
    TfmSelectPractice &SelectPractice();
    TfmPaperLogEntry &PaperLogEntry();
    TfmWinners &Winners();
    TfmPracticeScores &PracticeScores();

    // The start-up sequence; false when the program must end (no
    // configuration). Runs once; later calls return the first answer.
    bool FormActivate();

    // Mode switches and buttons.
    void rbNetworkedClick();
    void rbStandAloneClick();
    void rbPracticeClick();
    void rgLogTypeClick();
    void bnConnectClick();
    void ebNetStatusDblClick();

    // The Enter key (and Tab, which acts as Enter), pressed in `focus`.
    void FormKeyPress(QWidget *focus);
    // Logs box 2's call; what became of it besides the local log.
    TestSession::Delivery LogCall();

    // A networked test; `playedMs` > 0 joins one the host started that long ago.
    void StartTest(qint64 playedMs = 0);
    // The end of a test: the host's (log saved, FINALIZE_LOG) and the
    // station's own in standalone and practice mode (saved and scored).
    void CloseLog();
    void CompleteLocalTest();
    // Scores every standalone log, writes zzSAResults.txt and shows the ranking.
    void ShowStandAloneScores(const QString &player);
    void bnCollectScoresClick();
    void bnEnterPaperClick();
    void pnMessageClick();
    // The practice scores of the case just played, and of all cases.
    void ShowCaseScores();
    void bnShowPrevPracticeClick();
    // The replay of a past competition; not while a test owns the audio.
    void bnReplayClick();
    void bnNewPracticeCaseClick();
    // Starts the current log file empty; every call then goes to it at once.
    void BeginLog(const QString &path);
    // Opens the host's current wave file and plays it, counting down.
    void OpenAndPlayCurrentWave();
    // Opens a file with the desktop's application for its type, not waiting.
    void OpenWithShell(const QString &path);
    // The connection window's link is up.
    bool isConnected() const;
    // Shows a window modally, centred over the main window.
    int ShowCentred(QDialog *dialog);
    // The identifier that names a networked or demonstration log.
    QString logIdentifier() const;
    void setShellOpener(std::function<void(const QString &)> opener) { m_shellOpener = std::move(opener); }
    void StartStandaloneTest();
    void StartPracticeTest();
    int LoadDemoCalls();
    void ResetSignIn();
    void LoadInstructions();

    // Timers, called by their QTimer and by tests.
    void tmPCCompleteTimer();
    void tmDemoTimerTimer();
    // Three seconds after a practice test is scored: the prompt to see the scores.
    void tmPracticePromptTimer();
    QTimer &tmPracticePrompt() { return m_tmPracticePrompt; }

    // Fill the found-logs list (emptied first) from a folder tree.
    void FindPlayerLogs(const QString &folder);
    void FindAllLogs(const QString &folder);
    const QStringList &foundLogs() const { return m_foundLogs; }

    // HostCommandHandler.
    void HandleHostCommand(const HostProtocol::DecodedHostCommand &message) override;
    bool IsLocalMode() const override;
    void LinkDropped() override;
    bool WantsLink() const override;
    void ReconnectStatus(const QString &text) override;
    void LinkRestored() override;
    void ReportHostProblem(const QString &text) override;

    OperatingMode mode() const;
    const SessionPaths &paths() const { return m_paths; }
    const PlayerConfig &config() const { return m_config; }
    // A case made at the station joins the practice cases.
    void addPracticeSource(const QString &line);
    NewCaseFlow &newCase();
    TestSession &session() { return m_session; }
    DemoCalls &demoCalls() { return m_demoCalls; }
    bool demoAvailable() const { return m_demoAvailable; }
    bool testCompleted() const { return m_session.testCompleted; }
    // rgLogType's selected item: 0 computer log, 1 paper log, -1 none.
    int logTypeIndex() const;
    void setLogTypeIndex(int index);
    bool computerLog() const { return logTypeIndex() == 0; }
    // A player is registered with the host (the call is not blank).
    bool registeredWithHost() const;
    // The host's current wave file (set by SET_WAVEFILE).
    void setCurrentWaveFile(const QString &name);
    const QString &currentWaveName() const { return m_currentWaveName; }
    const QString &currentWavePath() const { return m_currentWavePath; }
    Dialogs &dialogs() { return m_dialogs; }
    Clock &clock() { return m_clock; }
    WavePlayer &MediaPlayer1();
    QTimer &tmPCComplete() { return m_tmPCComplete; }
    QTimer &tmDemoTimer() { return m_tmDemoTimer; }

    // The caption: fixed text and the executable's last-modification time.
    static QString TitleFor(const QString &executablePath);

    Ui::TfmMain *ui() const { return m_ui.get(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void askLoggingMethod();
    void promptForCallSign();
    void enterInCallSign();
    void enterInCallEntry();
    void giveCallSignBack(const QString &text);
    void setEntryNormalColour();
    void openAndPlay(const QString &wavePath, bool localTest, qint64 fromMs = 0);
    void clearLastResult();

    void showStartupMessage(const QString &text, const QString &caption);

    std::unique_ptr<Ui::TfmMain> m_ui;
    SessionPaths m_paths;
    QString m_executablePath;
    Dialogs &m_dialogs;
    Clock &m_clock;
    WavePlayer::Output m_audio;
    std::unique_ptr<WavePlayer> m_player; // created at first use, so start-up stays quick
    PlayerConfig m_config;
    TestSession m_session;
    DemoCalls m_demoCalls;
    QButtonGroup m_logTypeGroup;
    QTimer m_tmPCComplete;
    QTimer m_tmDemoTimer;
    QStringList m_foundLogs;
    QString m_currentWaveName;
    QString m_currentWavePath;
    QString m_practiceWavePath;
    QTimer m_tmPracticePrompt;
    TfmConnect *m_connect = nullptr;
    std::unique_ptr<TfmLogQuery> m_logQuery;
    std::unique_ptr<TfmCollectScores> m_collectScores;
    std::unique_ptr<TfmScoreLogs> m_scoreLogs;
    std::unique_ptr<TfmShowScores> m_showScores;
    std::unique_ptr<TfmSelectPractice> m_selectPractice;
    std::unique_ptr<TfmPaperLogEntry> m_paperLogEntry;
    std::unique_ptr<TfmWinners> m_winners;
    std::unique_ptr<TfmGradedCalls> m_gradedCalls;
    std::unique_ptr<TfmPracticeScores> m_practiceScores;
    std::unique_ptr<ReplayEntry> m_replay;
    std::unique_ptr<NewCaseFlow> m_newCase;
    MainHostCommands m_hostCommands{*this};
    TestCompletion m_completion{*this};
    LocalTestStart m_localStart{*this};
    std::function<void(const QString &)> m_shellOpener;
    bool m_demoAvailable = false;
    OperatingMode m_chosenMode = OperatingMode::Networked; // the mode whose handler ran last
    int m_activation = -1;                                 // -1 not yet activated, 0 must end, 1 running
};
