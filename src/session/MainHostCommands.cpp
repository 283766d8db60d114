#include "MainHostCommands.h"

#include "TfmMain.h"
#include "hostlink/TfmConnect.h"
#include "ui/Announce.h"
#include "ui/Dialogs.h"
#include "ui/Looks.h"
#include "ui_TfmMain.h"
#include "util/Clock.h"
#include "util/FileUtil.h"
#include "util/WavePlayer.h"

#include <QFileInfo>

using HostProtocol::HostCommand;

void MainHostCommands::Handle(const HostProtocol::DecodedHostCommand &message)
{
    Ui::TfmMain &ui = *m_main.ui();
    switch (message.command) {
    case HostCommand::StartTest:
        startTest(message.playedMs, message.latePaused);
        break;
    case HostCommand::PauseTest:
        pauseTest();
        break;
    case HostCommand::ResumeTest:
        resumeTest();
        break;
    case HostCommand::ResetTest:
        resetTest();
        break;
    case HostCommand::EnableFinalScore:
        Announce::Text(ui.pnMessage, QStringLiteral("Results will appear in a few seconds"));
        break;
    case HostCommand::ForceSubmit:
        if (!m_main.session().demoRunning)
            m_main.CloseLog();
        break;
    case HostCommand::PerformDisconnect:
        performDisconnect();
        break;
    case HostCommand::ScoreTest:
        scoreTest(message.score);
        break;
    case HostCommand::PlayerAccepted:
        playerAccepted();
        break;
    case HostCommand::PlayerRejected:
        playerRejected();
        break;
    case HostCommand::StartDemo:
        startDemo(message.demoSeconds);
        break;
    case HostCommand::StopDemo:
        stopDemo();
        break;
    case HostCommand::SetWaveFile:
        setWaveFile(message.waveFile);
        break;
    case HostCommand::ValidateWaveFile:
        validateWaveFile(message.waveFile);
        break;
    case HostCommand::PlayWelcome:
        playWelcome();
        break;
    // The link's own commands stay with the connection window.
    case HostCommand::HealthCheck:
    case HostCommand::PositionAccepted:
    case HostCommand::PositionRejected:
    case HostCommand::None:
        break;
    }
}

bool MainHostCommands::IsPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != u"." && UnsafeNamePart(name).isEmpty();
}

void MainHostCommands::startTest(std::optional<qint64> played, bool paused)
{
    // A late start is for a station that came back without its test. One
    // still in the test (its link came back) plays on, paused or going as
    // the host's test is now: it may have missed a pause or a resume.
    const TestSession &session = m_main.session();
    // The PAUSE_TEST that follows a paused late start (for stations that
    // read no fields) means "paused", not "pause or resume".
    m_latePauseFollows = played && paused;
    if (played && session.logPending && session.hostTest && !session.demoRunning) {
        if (!paused && m_main.MediaPlayer1().isOpen() && m_main.MediaPlayer1().isPaused())
            resumeTest();
        return;
    }
    // The test's start sets the audio going before anything else, box 2
    // included.
    m_main.StartTest(played.value_or(0));
    Ui::TfmMain &ui = *m_main.ui();
    const bool computer = m_main.logTypeIndex() == 0;
    ui.ebCallEntry->setEnabled(computer);
    if (computer)
        ui.ebCallEntry->setFocus();
}

void MainHostCommands::pauseTest()
{
    WavePlayer &player = m_main.MediaPlayer1();
    if (!std::exchange(m_latePauseFollows, false) || player.isPlaying())
        player.pause();
    m_main.tmPCComplete().stop();
}

void MainHostCommands::resumeTest()
{
    m_main.MediaPlayer1().resume();
    m_main.tmPCComplete().start();
}

void MainHostCommands::resetTest()
{
    Ui::TfmMain &ui = *m_main.ui();
    m_main.session().awaitingReset = false;
    m_reregistering = false;
    ui.ebCallSign->clear();
    ui.ebCallSign->setReadOnly(false);
    ui.ebCallEntry->clear();
    ui.ebCallEntry->setReadOnly(true);
    Looks::SetFieldColour(ui.ebCallEntry, QColor());
    Announce::Text(ui.pnMessage, QStringLiteral("Type your call in box 1 and press the Enter key"));
    ui.pnDemo->setText(QStringLiteral("Demo reset"));
    ui.rgLogType->setEnabled(true);
    ui.gbConnection->setEnabled(true);
    m_main.setLogTypeIndex(0);
    ui.ebCallSign->setFocus();
}

void MainHostCommands::performDisconnect()
{
    // The connection window has already reset the link and its own panels.
    Ui::TfmMain &ui = *m_main.ui();
    m_reregistering = false;
    Announce::Text(ui.ebNetStatus, QStringLiteral("Disconnected"));
    ui.bnConnect->setText(QStringLiteral("Connect"));
}

void MainHostCommands::scoreTest(const HostProtocol::ScoreResult &result)
{
    Ui::TfmMain &ui = *m_main.ui();
    const QString call = m_main.connectWindow() ? m_main.connectWindow()->RegisteredCall() : QString();
    if (result.paperLog)
        Announce::Text(ui.ebCallEntry, call + QStringLiteral(" Paper log - score posted later"));
    else
        Announce::Text(ui.ebCallEntry, call + QStringLiteral(" Score=") + result.score +
                                           QStringLiteral(" Rank=") + result.rank);
    ui.ebCallEntry->setEnabled(false);
}

void MainHostCommands::playerAccepted()
{
    Ui::TfmMain &ui = *m_main.ui();
    const TestSession &session = m_main.session();
    // Registered again on a link that came back: the test, or the wait for
    // the host's reset, goes on as it was.
    if (std::exchange(m_reregistering, false) || session.awaitingReset)
        return;
    ui.ebCallSign->setReadOnly(true);
    if (session.hostTestRunning()) {
        // Registered during the test: box 2 goes on taking calls.
        Announce::Text(ui.pnMessage, QStringLiteral("Callsign ok -- ") + callsFromNowOn());
        return;
    }
    const bool computer = m_main.logTypeIndex() == 0;
    Announce::Text(ui.pnMessage, QStringLiteral("Callsign ok -- please wait for start"));
    ui.ebCallEntry->setEnabled(computer);
    Announce::Text(ui.ebCallEntry, QStringLiteral("Please wait for the audio to start"));
    if (computer)
        ui.ebCallEntry->setFocus();
    ui.ebCallEntry->setReadOnly(true);
}

void MainHostCommands::playerRejected()
{
    Ui::TfmMain &ui = *m_main.ui();
    const TestSession &session = m_main.session();
    if (std::exchange(m_reregistering, false) || session.awaitingReset) {
        // Registered again on a link that came back, the host (started
        // again, or another player took the place) does not know this
        // player: what he typed stays in the local log, and his calls from
        // now on are kept there, marked.
        Announce::Text(ui.pnMessage,
                       QStringLiteral("The host refused %1: your calls stay in the local log")
                           .arg(TestSession::TrimBlanks(m_main.connectWindow()->RegisteredCall())));
        m_main.connectWindow()->setRegisteredCall(QString());
        return;
    }
    Announce::Text(ui.pnMessage, QStringLiteral("Callsign already in use -- try another"));
    // The host knows no player here: calls are not sent until another call
    // is accepted, and a link that comes back registers no one.
    if (m_main.connectWindow())
        m_main.connectWindow()->setRegisteredCall(QString());
    ui.ebCallSign->clear();
    ui.ebCallSign->setReadOnly(false);
    ui.ebCallSign->setFocus();
}

void MainHostCommands::startDemo(int seconds)
{
    Ui::TfmMain &ui = *m_main.ui();
    TestSession &session = m_main.session();
    // Back on a link while its demonstration plays: it goes on as it is.
    if (session.demoRunning && session.logPending)
        return;
    ui.pnDemo->setVisible(true);
    ui.pnMessage->clear();
    if (!m_main.demoAvailable()) {
        ui.pnDemo->setText(QStringLiteral("Demos not supported"));
        return;
    }
    m_main.demoCalls().Seed(quint32(m_main.clock().now().toMSecsSinceEpoch()));
    Announce::Text(ui.ebCallEntry, QStringLiteral("Demo underway"));
    ui.ebCallEntry->setReadOnly(true);
    // The interval is held to a sane range, so no value can flood the host.
    m_main.tmDemoTimer().start(seconds * 1000);
    session.demoRunning = true;
    session.setAudioStartMs(m_main.clock().monotonicMs());
    session.logFolder = m_main.paths().demoLogs();
    // The demonstration's log holds the demonstration's calls only.
    session.BeginTest();
    ui.moCallsLogged->clear();
    session.NameLog(JoinPath(session.logFolder, m_main.logIdentifier() + QStringLiteral(".log")),
                    OperatingMode::Networked, true);
    session.hostTest = m_main.isConnected();
    m_main.LoadDemoCalls();
    m_main.BeginLog(session.logFile);
    m_main.OpenAndPlayCurrentWave();
    ui.pnDemo->setText(QStringLiteral("Demo underway"));
}

void MainHostCommands::stopDemo()
{
    TestSession &session = m_main.session();
    // Without a demonstration there is nothing to stop, and no running
    // test's log may be closed early.
    if (!session.demoRunning)
        return;
    Ui::TfmMain &ui = *m_main.ui();
    Announce::Text(ui.ebCallEntry, QStringLiteral("Demo over"));
    ui.ebCallEntry->setReadOnly(true);
    m_main.tmDemoTimer().stop();
    ui.pnDemo->setText(QStringLiteral("Demo over"));
    session.demoRunning = false;
    m_main.CloseLog();
    session.logFolder = m_main.paths().networkedLogs();
    session.logFile = JoinPath(session.logFolder, m_main.logIdentifier() + QStringLiteral(".log"));
}

void MainHostCommands::setWaveFile(const QString &name)
{
    if (!IsPlainFileName(name)) {
        ShowHostBox(QStringLiteral("DEBUG:No wave file specified by host"), false);
        return;
    }
    m_main.setCurrentWaveFile(name);
}

void MainHostCommands::validateWaveFile(const QString &name)
{
    if (name.isEmpty() || !m_main.connectWindow())
        return;
    HostProtocol::WaveFileStatus status = HostProtocol::WaveFileStatus::NameError;
    if (IsPlainFileName(name))
        status = HostProtocol::WaveFileStatusFor(name, m_main.currentWaveName(),
                                                 FileExistsAnyCase(m_main.currentWavePath()));
    m_main.connectWindow()->SendToHost(HostProtocol::WaveFileStatusMessage(status));
}

void MainHostCommands::playWelcome()
{
    Ui::TfmMain &ui = *m_main.ui();
    if (ui.ebCallSign->isEnabled() || ui.ebCallEntry->isEnabled())
        return;
    m_main.OpenWithShell(m_main.config().welcomePath());
}

void MainHostCommands::LinkDropped()
{
    Ui::TfmMain &ui = *m_main.ui();
    m_reregistering = false; // its answer will not come on this link
    Announce::Text(ui.ebNetStatus, QStringLiteral("Disconnected"));
    ui.bnConnect->setText(QStringLiteral("Connect"));
    ui.bnConnect->setEnabled(true);
    ui.gbConnection->setEnabled(true);
    if (m_main.session().logPending && m_main.session().hostTest)
        Announce::Text(ui.pnMessage,
                       QStringLiteral("The link to the host is lost: your calls stay in the local "
                                      "log until it is back."));
}

qsizetype MainHostCommands::SendTypedMeanwhile(TestSession &session, TfmConnect &link)
{
    const QStringList calls = session.TakeUnsentCalls();
    // A host started again since knows the player only once he registers:
    // the registration goes before his calls.
    if (!calls.isEmpty())
        SendRegistration(session, link);
    for (const QString &call : calls)
        link.SendToHost(HostProtocol::LogCallMessage(call));
    return calls.size();
}

void MainHostCommands::SendRegistration(const TestSession &session, TfmConnect &link, bool computerChosen)
{
    // The logging method of the test under way, else the one chosen.
    const bool computer = session.logPending ? session.testComputerLog : computerChosen;
    link.SendToHost(HostProtocol::RegisterPlayerMessage(link.RegisteredCall(),
                                                        computer ? HostProtocol::LogMethod::Computer
                                                                 : HostProtocol::LogMethod::Paper));
}

bool MainHostCommands::Rejoin()
{
    TestSession &session = m_main.session();
    Ui::TfmMain &ui = *m_main.ui();
    TfmConnect &link = *m_main.connectWindow();
    m_reregistering = false;
    Announce::Text(ui.ebNetStatus, QStringLiteral("Connected-") + link.positionText());
    ui.bnConnect->setText(QStringLiteral("Disconnect"));
    ui.bnConnect->setEnabled(false);
    const bool inTest = session.logPending && session.hostTest;
    if (!inTest && !session.awaitingReset && !m_main.registeredWithHost())
        return false;
    // The host may have started again since: it hears who plays here before
    // it hears his calls (SendTypedMeanwhile registers him first when there
    // are any). Its answer only confirms it (playerAccepted, playerRejected).
    // A player still waiting for the start hears the answer as usual.
    m_reregistering = m_main.registeredWithHost() && (inTest || session.awaitingReset);
    if (m_main.registeredWithHost() && !(inTest && session.hasQueuedCalls()))
        SendRegistration(session, link, m_main.computerLog());
    if (inTest) {
        // Back into the host's test that went on meanwhile: the player stays
        // signed in and goes on typing.
        ui.gbConnection->setEnabled(false);
        const qsizetype sent = SendTypedMeanwhile(session, link);
        ui.moCallsLogged->setPlainText(session.CallsLoggedText());
        if (!m_main.registeredWithHost() && m_main.computerLog())
            AskToRegister();
        else
            Announce::Text(ui.pnMessage,
                           QStringLiteral("Connected again -- %1 calls typed meanwhile were sent").arg(sent));
        if (ui.ebCallEntry->isEnabled())
            ui.ebCallEntry->setFocus();
    }
    // Between the host's submit and its reset box 1 waits; a registered
    // player waiting for the start keeps waiting.
    return true;
}

void MainHostCommands::AskToRegister()
{
    Ui::TfmMain &ui = *m_main.ui();
    ui.ebCallSign->setEnabled(true);
    ui.ebCallSign->setReadOnly(false);
    Announce::Text(ui.pnMessage, QStringLiteral("Your calls are not reaching the host: type your call "
                                                "in box 1 and press Enter to register"));
}

void MainHostCommands::RegisteredDuringTest(const QString &call)
{
    Ui::TfmMain &ui = *m_main.ui();
    Announce::Text(ui.pnMessage, TestSession::TrimBlanks(call) + QStringLiteral(" sent to the host -- ") +
                                     callsFromNowOn());
    if (ui.ebCallEntry->isEnabled())
        ui.ebCallEntry->setFocus();
}

QString MainHostCommands::callsFromNowOn() const
{
    const TestSession &session = m_main.session();
    const qsizetype kept = session.keptLocalCount();
    QString text = QStringLiteral("your calls from now on go to the host");
    if (kept > 0)
        text += QStringLiteral("; the %1 typed before stay only in the local log %2")
                    .arg(kept)
                    .arg(QFileInfo(session.logFile).fileName());
    return text;
}

void MainHostCommands::ShowHostBox(const QString &text, bool error)
{
    if (m_hostBoxOpen) {
        Announce::Text(m_main.ui()->pnMessage, text);
        return;
    }
    m_hostBoxOpen = true;
    if (error)
        m_main.dialogs().ShowError(&m_main, text);
    else
        m_main.dialogs().Message(&m_main, text, QStringLiteral("Vorlix Player"), Dialogs::Icon::None,
                                 Dialogs::Ok);
    m_hostBoxOpen = false;
}
