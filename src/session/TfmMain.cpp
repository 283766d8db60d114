#include "TfmMain.h"

#include "NewCaseFlow.h"

#include "ui_TfmMain.h"

#include "LogSaver.h"
#include "MainWindowLooks.h"
#include "NewCaseFlow.h"
#include "SignInRules.h"
#include "SoundSetting.h"
#include "hostlink/TfmConnect.h"
#include "logentry/StandAloneScoring.h"
#include "logentry/TfmCollectScores.h"
#include "logentry/TfmLogQuery.h"
#include "logentry/TfmPaperLogEntry.h"
#include "logentry/TfmScoreLogs.h"
#include "logentry/TfmShowScores.h"
#include "practice/PracticeScoreViews.h"
#include "practice/TfmGradedCalls.h"
#include "practice/TfmPracticeScores.h"
#include "practice/TfmSelectPractice.h"
#include "practice/TfmWinners.h"
#include "replay/ReplayEntry.h"
#include "ui/Announce.h"
#include "ui/Dialogs.h"
#include "ui/FocusReturn.h"
#include "ui/KeyAccess.h"
#include "ui/Looks.h"
#include "util/Clock.h"
#include "util/FileUtil.h"
#include "util/Instructions.h"
#include "util/LogScoring.h"
#include "util/StationError.h"
#include "util/TextFile.h"
#include "util/TextUtil.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QScopeGuard>
#include <QUrl>

namespace {

constexpr qsizetype kStartupMessageMax = 310;

} // namespace

TfmMain::TfmMain(const SessionPaths &paths, const QString &executablePath, Dialogs &dialogs, Clock &clock,
                 WavePlayer::Output audio, QWidget *parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::TfmMain>()), m_paths(paths),
      m_executablePath(executablePath), m_dialogs(dialogs), m_clock(clock), m_audio(audio)
{
    m_ui->setupUi(this);
    MainWindowLooks::Dress(*m_ui);
    m_logTypeGroup.addButton(m_ui->rbLogComputer, 0);
    m_logTypeGroup.addButton(m_ui->rbLogPaper, 1);
    m_tmPCComplete.setInterval(5000);
    m_tmPracticePrompt.setSingleShot(true);
    m_tmPracticePrompt.setInterval(3000);
    m_shellOpener = [](const QString &path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    m_session.logFolder = m_paths.networkedLogs();

    auto guarded = [this](void (TfmMain::*handler)()) {
        return [this, handler] { m_dialogs.Guarded(this, [&] { (this->*handler)(); }); };
    };
    // A radio button's clicked fires also when it is already selected; a mode
    // handler runs only when the mode really changes.
    auto modeChosen = [this](OperatingMode chosen, void (TfmMain::*handler)()) {
        return [this, chosen, handler] {
            if (chosen != m_chosenMode)
                m_dialogs.Guarded(this, [&] { (this->*handler)(); });
        };
    };
    connect(m_ui->rbNetworked, &QRadioButton::clicked, this,
            modeChosen(OperatingMode::Networked, &TfmMain::rbNetworkedClick));
    connect(m_ui->rbStandAlone, &QRadioButton::clicked, this,
            modeChosen(OperatingMode::StandAlone, &TfmMain::rbStandAloneClick));
    connect(m_ui->rbPractice, &QRadioButton::clicked, this,
            modeChosen(OperatingMode::Practice, &TfmMain::rbPracticeClick));
    connect(&m_logTypeGroup, &QButtonGroup::idClicked, this, guarded(&TfmMain::rgLogTypeClick));
    connect(m_ui->bnConnect, &QPushButton::clicked, this, guarded(&TfmMain::bnConnectClick));
    connect(&m_tmPCComplete, &QTimer::timeout, this, guarded(&TfmMain::tmPCCompleteTimer));
    connect(&m_tmDemoTimer, &QTimer::timeout, this, guarded(&TfmMain::tmDemoTimerTimer));
    connect(&m_tmPracticePrompt, &QTimer::timeout, this, guarded(&TfmMain::tmPracticePromptTimer));
    connect(m_ui->bnCollectScores, &QPushButton::clicked, this, guarded(&TfmMain::bnCollectScoresClick));
    connect(m_ui->bnEnterPaper, &QPushButton::clicked, this, guarded(&TfmMain::bnEnterPaperClick));
    connect(m_ui->bnShowPrevPractice, &QPushButton::clicked, this,
            guarded(&TfmMain::bnShowPrevPracticeClick));
    connect(m_ui->bnReplay, &QPushButton::clicked, this, guarded(&TfmMain::bnReplayClick));
    connect(m_ui->bnNewPracticeCase, &QPushButton::clicked, this, guarded(&TfmMain::bnNewPracticeCaseClick));
    m_ui->pnMessage->installEventFilter(this);
    // The panel's "Click here" prompts are answered from the keyboard too.
    KeyAccess::Bind(m_ui->pnMessage, Qt::Key_M, guarded(&TfmMain::pnMessageClick));
    new FocusReturn(this, {m_ui->ebCallSign, m_ui->ebCallEntry});
    m_ui->ebNetStatus->installEventFilter(this);

    // The saved sound output is shown by its id: the outputs are listed (and
    // the sound server reached) only when the player turns to the box.
    m_ui->cbSoundOutput->showChoice(SoundSetting::Load(m_paths.soundSettings()));
    m_ui->cbSoundOutput->setLister([this] { return MediaPlayer1().soundOutputs(); });
    connect(m_ui->cbSoundOutput, &SoundOutputBox::chosen, this, [this](const QString &id) {
        MediaPlayer1().setSoundOutput(id);
        if (!SoundSetting::Save(m_paths.soundSettings(), id))
            m_dialogs.ShowError(this, StationError::cannotCreate(m_paths.soundSettings()).text());
    });
    // Key preview: the window sees Enter and Tab before any of its controls.
    qApp->installEventFilter(this);
}

TfmMain::~TfmMain()
{
    qApp->removeEventFilter(this);
}

void TfmMain::SetConnectWindow(TfmConnect *connect)
{
    m_connect = connect;
    if (m_connect)
        m_connect->setHandler(this);
}

namespace {

template <typename Window> Window &MadeOnce(std::unique_ptr<Window> &window, QWidget *parent)
{
    if (!window)
        window = std::make_unique<Window>(parent);
    return *window;
}

} // namespace

TfmLogQuery &TfmMain::LogQuery()
{
    return MadeOnce(m_logQuery, this);
}

TfmCollectScores &TfmMain::CollectScores()
{
    return MadeOnce(m_collectScores, this);
}

TfmScoreLogs &TfmMain::ScoreLogs()
{
    return MadeOnce(m_scoreLogs, this);
}

TfmShowScores &TfmMain::ShowScores()
{
    return MadeOnce(m_showScores, this);
}

TfmWinners &TfmMain::Winners()
{
    return MadeOnce(m_winners, this);
}

TfmSelectPractice &TfmMain::SelectPractice()
{
    if (!m_selectPractice)
        m_selectPractice = std::make_unique<TfmSelectPractice>(m_dialogs, Winners(), this);
    return *m_selectPractice;
}

TfmPaperLogEntry &TfmMain::PaperLogEntry()
{
    if (!m_paperLogEntry)
        m_paperLogEntry = std::make_unique<TfmPaperLogEntry>(m_dialogs, m_clock, this);
    return *m_paperLogEntry;
}

TfmPracticeScores &TfmMain::PracticeScores()
{
    if (!m_practiceScores) {
        m_practiceScores = std::make_unique<TfmPracticeScores>(this);
        m_practiceScores->setViews(m_dialogs, Winners(), MadeOnce(m_gradedCalls, this));
        m_practiceScores->setCaseMaker([this](const CaseOffer &offer) { newCase().open(offer); });
    }
    return *m_practiceScores;
}

WavePlayer &TfmMain::MediaPlayer1()
{
    if (!m_player) {
        m_player = std::make_unique<WavePlayer>(m_clock, m_audio);
        m_player->setSoundOutput(m_ui->cbSoundOutput->choice());
        // The wave plays on silently: the player keeps copying by the clock,
        // told in the panel (and by the screen reader), not stopped by a box.
        connect(m_player.get(), &WavePlayer::soundLost, this, [this] {
            Announce::Text(m_ui->pnMessage,
                           QStringLiteral("The sound device is gone; the test goes on without sound."));
        });
    }
    return *m_player;
}

// ---------------------------------------------------------------- start-up

QString TfmMain::TitleFor(const QString &executablePath)
{
    const QDateTime built = FileDateTime(executablePath);
    return QStringLiteral("Vorlix Player de Qelvan: ") + QStringLiteral(" [Built: ") +
           built.toString(QStringLiteral("dd-MMM-yy hh:mm]"));
}

void TfmMain::showStartupMessage(const QString &text, const QString &caption)
{
    m_dialogs.Message(this, CopyBounded(text, kStartupMessageMax), caption, Dialogs::Icon::Warning,
                      Dialogs::Ok);
}

bool TfmMain::FormActivate()
{
    if (m_activation >= 0)
        return m_activation == 1;

    m_paths.CreateFolderTree();
    QStringList problems;
    if (!m_paths.EnsurePracticeHistory())
        problems.append(StationError::cannotCreate(m_paths.practiceHistory()).text());

    const QString configPath = m_paths.playerConfig();
    int result = PlayerConfig::FileMissing;
    try {
        result = m_config.ReadPlayerConfig(configPath, m_paths.baseFolder(), m_paths.practiceWavesAndCalls());
    } catch (const StationError &e) {
        // A configuration that exists but cannot be read is as fatal as a missing one.
        m_dialogs.Message(this, e.text(), QStringLiteral("Missing ini file"), Dialogs::Icon::Warning);
        m_activation = 0;
        return false;
    }
    if (result == PlayerConfig::FileMissing) {
        showStartupMessage(configPath + QStringLiteral(" is missing--fatal error, can't start"),
                           QStringLiteral("Missing ini file"));
        m_activation = 0;
        return false;
    }
    if (result == PlayerConfig::NoDemoSource) {
        showStartupMessage(configPath + QStringLiteral(" contains no demo pileup source specs, can't start"),
                           QStringLiteral("Missing demo source specs in ini file"));
    }
    m_demoAvailable = result == PlayerConfig::Loaded;
    m_ui->bnCollectScores->setVisible(m_config.standAloneCallsPresent());

    setWindowTitle(TitleFor(m_executablePath));
    ResetSignIn();
    m_foundLogs.clear();
    m_activation = 1;

    // A missing instruction file is reported by the loader; every step runs.
    setLogTypeIndex(0);
    if (m_config.hidePracticeMode())
        m_ui->rbPractice->setVisible(false);
    if (!m_ui->rbPractice->isHidden() && m_ui->rbPractice->isEnabled() && m_config.startInPracticeMode()) {
        m_ui->rbPractice->setChecked(true);
        rbPracticeClick();
    }
    const bool practice = m_ui->rbPractice->isChecked();
    MainWindowLooks::ShowPracticeButtons(*m_ui, practice);
    // Paper logs are entered in the local modes only, as after any mode switch.
    m_ui->bnEnterPaper->setVisible(practice);

    // What the station cannot write is said now, not at the end of a test.
    problems += m_config.problems();
    for (const QString &folder : m_paths.unwritableFolders())
        problems.append(
            QStringLiteral("The station cannot write to %1: no log can be saved there").arg(folder));
    if (!problems.isEmpty())
        m_dialogs.Message(this, problems.join(u'\n'), QStringLiteral("Files the station cannot write"),
                          Dialogs::Icon::Warning);
    return true;
}

// ------------------------------------------------------------------ modes

OperatingMode TfmMain::mode() const
{
    if (m_ui->rbStandAlone->isChecked())
        return OperatingMode::StandAlone;
    if (m_ui->rbPractice->isChecked())
        return OperatingMode::Practice;
    return OperatingMode::Networked;
}

bool TfmMain::IsLocalMode() const
{
    return mode() != OperatingMode::Networked;
}

bool TfmMain::isConnected() const
{
    return m_connect && m_connect->Connected();
}

int TfmMain::logTypeIndex() const
{
    return m_logTypeGroup.checkedId();
}

void TfmMain::setLogTypeIndex(int index)
{
    if (QAbstractButton *b = m_logTypeGroup.button(index)) {
        b->setChecked(true);
    } else if (QAbstractButton *checked = m_logTypeGroup.checkedButton()) {
        m_logTypeGroup.setExclusive(false);
        checked->setChecked(false);
        m_logTypeGroup.setExclusive(true);
    }
    rgLogTypeClick();
}

void TfmMain::LoadInstructions()
{
    const OperatingMode m = mode();
    const InstructionText &row = InstructionsFor(m == OperatingMode::StandAlone ? InstructionMode::StandAlone
                                                 : m == OperatingMode::Practice ? InstructionMode::Practice
                                                                                : InstructionMode::Networked,
                                                 logTypeIndex() != 0);
    m_ui->Label4->setText(QString::fromLatin1(row.title));
    m_ui->moInstruct->clear();
    // A missing instruction text is reported, and whatever asked for the
    // instructions (start-up, a mode switch, a test's end) goes on.
    const QString file = m_paths.instructionFile(QString::fromLatin1(row.file));
    const auto lines = TextFile::tryReadLines(file);
    if (!lines) {
        m_dialogs.ShowError(this, StationError::cannotOpen(file).text());
        return;
    }
    m_ui->moInstruct->setPlainText(lines->join(u'\n'));
}

void TfmMain::rgLogTypeClick()
{
    LoadInstructions();
}

void TfmMain::rbNetworkedClick()
{
    m_chosenMode = OperatingMode::Networked;
    // While connected the button reads "Disconnect": it stays disabled until
    // the status box is double-clicked, so a mode switch cannot end the link.
    m_ui->bnConnect->setEnabled(!isConnected());
    m_ui->bnEnterPaper->setVisible(false);
    MainWindowLooks::ShowPracticeButtons(*m_ui, false);
    LoadInstructions();
}

void TfmMain::rbStandAloneClick()
{
    m_chosenMode = OperatingMode::StandAlone;
    m_ui->bnConnect->setEnabled(false);
    m_ui->bnCollectScores->setVisible(m_config.standAloneCallsPresent());
    m_ui->bnCollectScores->setEnabled(true); // practice mode disables it
    m_ui->bnEnterPaper->setVisible(m_config.standAloneCallsPresent());
    MainWindowLooks::ShowPracticeButtons(*m_ui, false);
    const int answer = m_dialogs.Message(this,
                                         QStringLiteral("You should only use the standalone mode at the ") +
                                             QStringLiteral("administrator's request. Continue?"),
                                         QStringLiteral("Changing to Standalone mode"),
                                         Dialogs::Icon::Warning, Dialogs::Yes | Dialogs::No);
    if (answer != Dialogs::Yes) {
        m_ui->rbNetworked->setChecked(true);
        rbNetworkedClick();
        LoadInstructions();
        return;
    }
    LoadInstructions();
    promptForCallSign();
}

void TfmMain::promptForCallSign()
{
    // Only before any audio has played and while box 1 is still empty.
    if (MediaPlayer1().position() < 1 && m_ui->ebCallSign->text().trimmed().isEmpty()) {
        m_ui->ebCallSign->setEnabled(true);
        m_ui->ebCallSign->setReadOnly(false);
        m_ui->ebCallSign->setFocus();
        Announce::Text(m_ui->pnMessage,
                       QStringLiteral("Please enter your call sign in the Player's Call Sign window"));
    }
}

void TfmMain::rbPracticeClick()
{
    m_chosenMode = OperatingMode::Practice;
    m_ui->bnConnect->setEnabled(false);
    m_ui->bnCollectScores->setEnabled(false);
    m_ui->bnEnterPaper->setVisible(true);
    MainWindowLooks::ShowPracticeButtons(*m_ui, true);
    LoadInstructions();
    promptForCallSign();
}

// ------------------------------------------------------------- connection

int TfmMain::ShowCentred(QDialog *dialog)
{
    Dialogs::CentreOver(dialog, this);
    return m_dialogs.ShowModal(dialog);
}

void TfmMain::bnConnectClick()
{
    if (!m_connect)
        return;
    if (m_ui->bnConnect->text() == u"Connect") {
        m_connect->setSettingsFileName(m_paths.restartSettings());
        ShowCentred(m_connect);
        if (!m_connect->Connected())
            return;
        if (m_connect->PositionRefused()) {
            // Without a position the host takes no player: box 1 stays
            // closed, and Disconnect is at hand to ask for another.
            Announce::Text(m_ui->ebNetStatus, QStringLiteral("Connected-no position"));
            Announce::Text(
                m_ui->pnMessage,
                m_connect->AllPositionsTaken()
                    ? QStringLiteral("All six positions are taken: this station cannot play now")
                    : QStringLiteral("%1 is in use: press Disconnect, then Connect to ask for another")
                          .arg(m_connect->positionText()));
            m_ui->ebCallSign->setEnabled(false);
            m_ui->bnConnect->setText(QStringLiteral("Disconnect"));
            m_ui->bnConnect->setEnabled(true);
            return;
        }
        if (m_hostCommands.Rejoin())
            return;
        m_ui->ebCallSign->setEnabled(true);
        m_ui->ebCallSign->setReadOnly(false);
        m_ui->ebCallSign->setFocus();
        m_ui->bnConnect->setEnabled(false);
        Announce::Text(m_ui->pnMessage, QStringLiteral("Type your call in box 1 and press the Enter key"));
        return;
    }
    // The caption is set back even when the request could not be sent.
    m_ui->bnConnect->setText(QStringLiteral("Connect"));
    m_ui->ebCallSign->setEnabled(false);
    m_ui->ebCallSign->setReadOnly(true);
    m_ui->bnConnect->setEnabled(true);
    m_ui->pnMessage->clear();
    m_connect->RequestDisconnect();
}

void TfmMain::ebNetStatusDblClick()
{
    m_ui->bnConnect->setEnabled(true);
}

void TfmMain::LinkDropped()
{
    m_hostCommands.LinkDropped();
}

bool TfmMain::WantsLink() const
{
    return !IsLocalMode() && (m_session.logPending || m_session.awaitingReset || registeredWithHost());
}

void TfmMain::ReconnectStatus(const QString &text)
{
    Announce::Text(m_ui->ebNetStatus, text);
}

void TfmMain::LinkRestored()
{
    m_hostCommands.Rejoin();
}

void TfmMain::ReportHostProblem(const QString &text)
{
    m_hostCommands.ShowHostBox(text, true);
}

void TfmMain::HandleHostCommand(const HostProtocol::DecodedHostCommand &message)
{
    m_hostCommands.Handle(message);
}

QString TfmMain::logIdentifier() const
{
    // The identifier registered with the host names the player's logs, also
    // after a demonstration has left "Wait for reset" in box 1.
    // Connected before anyone registered, the log still gets a plain name that
    // says what it is, never one made of half-typed text or of nothing.
    if (isConnected())
        return registeredWithHost() ? m_connect->RegisteredCall() : QStringLiteral("Unregistered");
    return m_ui->ebCallSign->text();
}

bool TfmMain::registeredWithHost() const
{
    return m_connect && !TestSession::TrimBlanks(m_connect->RegisteredCall()).isEmpty();
}

void TfmMain::OpenWithShell(const QString &path)
{
    if (m_shellOpener && !path.isEmpty())
        m_shellOpener(path);
}

// ---------------------------------------------------------------- sign-in

void TfmMain::ResetSignIn()
{
    m_session.testCompleted = false;
    m_ui->ebCallSign->clear();
    m_ui->ebCallSign->setEnabled(true);
    m_ui->ebCallSign->setReadOnly(false);
    m_ui->ebCallEntry->setEnabled(false);
    if (IsLocalMode())
        m_ui->pnMessage->clear();
    m_ui->ebCallSign->setFocus();
}

bool TfmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->ebNetStatus && event->type() == QEvent::MouseButtonDblClick) {
        ebNetStatusDblClick();
        return true;
    }
    if (watched == m_ui->pnMessage && event->type() == QEvent::MouseButtonRelease) {
        m_dialogs.Guarded(this, [&] { pnMessageClick(); });
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool tab = key == Qt::Key_Tab || key == Qt::Key_Backtab;
    if (!enter && !tab)
        return false;
    m_dialogs.Guarded(this, [&] { FormKeyPress(widget); });
    return true;
}

void TfmMain::FormKeyPress(QWidget *focus)
{
    if (focus == m_ui->ebCallSign)
        enterInCallSign();
    else if (focus == m_ui->ebCallEntry)
        enterInCallEntry();
}

void TfmMain::giveCallSignBack(const QString &text)
{
    m_ui->ebCallSign->setEnabled(true);
    m_ui->ebCallSign->setText(text);
    m_ui->ebCallSign->setFocus();
}

void TfmMain::askLoggingMethod()
{
    ShowCentred(&LogQuery());
    setLogTypeIndex(LogQuery().computerLog() ? 0 : 1);
}

void TfmMain::enterInCallSign()
{
    // A read-only box 1 holds an identifier already registered, or "Wait for
    // reset": Enter there must not register anything again.
    if (m_ui->ebCallSign->isReadOnly())
        return;
    const QString typed = m_ui->ebCallSign->text();
    const bool linked = isConnected();
    // A networked test is the host's: before the link, the player is told
    // how to get one, or how to play without it.
    if (!linked && mode() == OperatingMode::Networked && !m_session.hostTestRunning()) {
        m_dialogs.Message(this, QStringLiteral("Connect to the host first, or choose Standalone or Practice"),
                          QApplication::applicationName(), Dialogs::Icon::None, Dialogs::Ok);
        m_ui->ebCallSign->setFocus();
        return;
    }
    SignInCheck check = CheckIdentifier(typed, mode() == OperatingMode::StandAlone, linked, m_paths);
    m_foundLogs = std::move(check.foundLogs);
    if (!check.refusal.isEmpty()) {
        m_dialogs.Message(this, check.refusal, QApplication::applicationName(), Dialogs::Icon::None,
                          Dialogs::Ok);
        m_ui->ebCallSign->setFocus();
        return;
    }
    // Registering during the host's test keeps the test's logging method.
    const bool duringTest = m_session.hostTestRunning();
    if (linked) {
        if (!duringTest)
            askLoggingMethod();
        const auto method =
            computerLog() ? HostProtocol::LogMethod::Computer : HostProtocol::LogMethod::Paper;
        m_ui->ebCallEntry->setEnabled(computerLog());
        m_connect->SendToHost(HostProtocol::RegisterPlayerMessage(typed, method));
        m_connect->setRegisteredCall(typed);
        if (duringTest)
            m_hostCommands.RegisteredDuringTest(typed);
        return;
    }
    // Without the link box 1 cannot register, and the host's test goes on.
    if (duringTest)
        return;
    setEntryNormalColour();
    m_ui->ebCallEntry->clear();
    try {
        if (mode() == OperatingMode::StandAlone)
            StartStandaloneTest();
        else
            StartPracticeTest();
    } catch (const StationError &) {
        // The test did not start (its audio or check list could not be
        // read): the player gets box 1 back to try again.
        m_tmPCComplete.stop();
        m_ui->ebCallEntry->setEnabled(false);
        m_ui->rgLogType->setEnabled(true);
        m_ui->gbConnection->setEnabled(true);
        giveCallSignBack(typed);
        throw;
    }
}

void TfmMain::enterInCallEntry()
{
    const QString text = m_ui->ebCallEntry->text();
    if (text.contains(u"Rank")) {
        m_ui->ebCallEntry->clear();
        setEntryNormalColour();
    } else if (text.contains(u"Please wait")) {
        m_ui->ebCallEntry->setText(QStringLiteral("Please wait for the audio to start"));
    } else if (LogCall() != TestSession::Delivery::KeptLocal) {
        // The request to register stays up while calls go nowhere but the log.
        m_ui->pnMessage->clear();
    }
}

TestSession::Delivery TfmMain::LogCall()
{
    // Timed scores count only within a running local test.
    const OperatingMode testMode = m_session.logPending ? m_session.testMode : OperatingMode::Networked;
    const auto logged =
        m_session.LogCall(m_ui->ebCallEntry->text(), testMode, m_config.standAloneCallsPresent(),
                          m_clock.monotonicMs(), {m_connect && m_connect->LinkReady(), registeredWithHost()});
    if (!logged)
        return TestSession::Delivery::Local;
    m_ui->moCallsLogged->appendPlainText(TestSession::ShownLine(logged->call, logged->delivery));
    if (logged->delivery == TestSession::Delivery::Sent)
        m_connect->SendToHost(HostProtocol::LogCallMessage(logged->call));
    else if (logged->delivery == TestSession::Delivery::KeptLocal && isConnected() && !m_session.demoRunning)
        m_hostCommands.AskToRegister();
    // On the disk at once: a crash, a power cut or a vanished host loses
    // nothing. If the file cannot take it, the call is still in the list,
    // which is written whole when the log closes.
    if (m_session.logOpen && !TextFile::tryAppendLine(m_session.logFile, logged->call))
        m_session.logOpen = false;
    m_ui->ebCallEntry->clear();
    return logged->delivery;
}

void TfmMain::setEntryNormalColour()
{
    Looks::SetFieldColour(m_ui->ebCallEntry, QColor());
}

// ------------------------------------------------------------ test starts

void TfmMain::openAndPlay(const QString &wavePath, bool localTest, qint64 fromMs)
{
    WavePlayer &player = MediaPlayer1();
    // A wave opened when it was set, and not played since, is ready to go.
    if (!player.standsReadyWith(wavePath)) {
        player.setFileName(wavePath);
        player.open();
    }
    player.setTimeFormatMilliseconds();
    const qint64 now = m_clock.monotonicMs();
    // Joined late, the recording plays from where the others are, and the
    // countdown counts from when it started for them.
    fromMs = std::clamp<qint64>(fromMs, 0, player.length());
    m_session.SetAudio(player.length(), now - fromMs);
    if (fromMs > 0)
        player.setStartPosition(fromMs);
    if (localTest)
        m_session.timedScoreStartMs = now;
    player.play();
    m_tmPCComplete.start();
}

void TfmMain::clearLastResult()
{
    // The previous player's prompt and completion must not act on this test.
    m_tmPracticePrompt.stop();
    m_session.testCompleted = false;
    m_ui->pnMessage->clear();
}

void TfmMain::StartTest(qint64 playedMs)
{
    // The audio first, so all stations start as the command arrives; the
    // test's window and its log follow, the log on the disk before a call can
    // be typed, even when the wave cannot play.
    std::exception_ptr audioFault;
    try {
        openAndPlay(m_currentWavePath, false, playedMs);
    } catch (...) {
        audioFault = std::current_exception();
    }
    clearLastResult();
    m_session.demoRunning = false;
    m_ui->pnDemo->setVisible(false);
    m_ui->ebCallSign->setEnabled(false);
    m_session.BeginTest();
    m_ui->moCallsLogged->clear();
    m_session.player = logIdentifier();
    m_session.NameLog(JoinPath(m_paths.networkedLogs(), m_session.player + QStringLiteral(".log")),
                      OperatingMode::Networked, computerLog());
    setEntryNormalColour();
    m_ui->ebCallEntry->clear();
    m_ui->ebCallEntry->setReadOnly(false);
    m_ui->ebCallEntry->setEnabled(computerLog());
    if (computerLog())
        m_ui->ebCallEntry->setFocus();
    m_session.testCompleted = false;
    m_session.hostTest = isConnected();
    m_ui->rgLogType->setEnabled(false);
    m_ui->gbConnection->setEnabled(false);
    Announce::Text(m_ui->pnMessage,
                   computerLog()
                       ? QStringLiteral("Type each call you copy in box 2 and press Enter key after each")
                       : QStringLiteral("Make sure your call is at the top of your log sheet"));
    if (m_session.hostTest && computerLog() && !registeredWithHost())
        m_hostCommands.AskToRegister();
    BeginLog(m_session.logFile);
    if (audioFault)
        std::rethrow_exception(audioFault);
}

void TfmMain::StartStandaloneTest()
{
    m_localStart.StartStandaloneTest();
}

void TfmMain::StartPracticeTest()
{
    m_localStart.StartPracticeTest();
}

// ----------------------------------------------------------------- timers

void TfmMain::tmPCCompleteTimer()
{
    const qint64 remaining = m_session.RemainingSeconds(m_clock.monotonicMs());
    m_ui->pnDemo->setText(QStringLiteral("Demo Time Remaining=") +
                          FormatMinSec(int(std::clamp<qint64>(remaining, 0, 1 << 30))));
    if (remaining >= 1)
        return;
    m_tmPCComplete.stop();
    m_session.testCompleted = true;
    if (m_session.testMode != OperatingMode::Networked)
        CompleteLocalTest();
}

void TfmMain::setCurrentWaveFile(const QString &name)
{
    m_currentWaveName = name;
    m_currentWavePath = JoinPath(m_paths.baseFolder(), name);
    WavePlayer &player = MediaPlayer1();
    player.setFileName(m_currentWavePath);
    // The sound device stands ready with the first samples. A file that is
    // not there (yet) is opened, and its fault shown, at the start.
    if (QFileInfo(m_currentWavePath).isFile())
        player.standBy();
}

int TfmMain::LoadDemoCalls()
{
    QStringList problems;
    const int count =
        m_demoCalls.LoadDemoCalls(m_config.demoSources(), m_currentWaveName, m_paths.demoCalls(), problems);
    if (!problems.isEmpty())
        m_dialogs.Message(this, problems.join(u'\n'), QStringLiteral("Demo calls"), Dialogs::Icon::Warning);
    return count;
}

void TfmMain::tmDemoTimerTimer()
{
    if (IsLocalMode() || !m_session.demoRunning)
        return;
    if (m_clock.monotonicMs() - m_session.audioStartMs() <= HostProtocol::DemoFirstCallDelayMs)
        return;
    const QString call = m_demoCalls.PickCall();
    if (call.isEmpty())
        return;
    m_ui->ebCallEntry->setText(call);
    LogCall();
}

// ------------------------------------------------------------- log search

void TfmMain::FindPlayerLogs(const QString &folder)
{
    m_foundLogs.clear();
    ::FindPlayerLogs(folder, m_ui->ebCallSign->text(), m_foundLogs);
}

void TfmMain::FindAllLogs(const QString &folder)
{
    m_foundLogs.clear();
    ::FindAllLogs(folder, m_foundLogs);
}

// ------------------------------------------------------------- completion

void TfmMain::BeginLog(const QString &named)
{
    const QString path = named; // `named` may be the session's own logFile
    m_session.logFile = FreshLogFile(path, m_clock.now());
    m_session.logOpen = TextFile::tryWriteLines(m_session.logFile, {});
    if (m_session.logFile != path)
        Announce::Text(m_ui->pnMessage,
                       QStringLiteral("The earlier log %1 is kept; this test is logged as %2")
                           .arg(QFileInfo(path).fileName(), QFileInfo(m_session.logFile).fileName()));
}

void TfmMain::OpenAndPlayCurrentWave()
{
    openAndPlay(m_currentWavePath, false);
}

void TfmMain::tmPracticePromptTimer()
{
    Announce::Text(m_ui->pnMessage, QStringLiteral("Click here to see previous practice scores"));
}

void TfmMain::pnMessageClick()
{
    if (!m_ui->pnMessage->text().startsWith(u"Click here"))
        return;
    m_ui->moCallsLogged->clear();
    if (!m_session.testCompleted)
        return;
    // The standalone ranking shows the score text of the test just ended.
    if (mode() == OperatingMode::Practice)
        ShowCaseScores();
    else
        ShowStandAloneScores(m_ui->ebCallEntry->text());
    m_ui->ebCallEntry->clear();
    ResetSignIn();
}

void TfmMain::ShowCaseScores()
{
    // A history that cannot be read is told, and the station still gets
    // ready for the next player.
    m_dialogs.Guarded(this, [&] {
        ::ShowCaseScores(PracticeScores(), m_dialogs, this,
                         {m_paths.practiceHistory(), m_paths.practiceLogs(), m_config.practiceSources()},
                         SelectPractice().caseText(), PlayerRuns::PlayerOf(m_session.logFile));
    });
}

void TfmMain::bnReplayClick()
{
    if (!m_replay)
        m_replay = std::make_unique<ReplayEntry>(m_dialogs, MediaPlayer1(), this);
    m_replay->bnReplayClick(m_paths, m_config.practiceSources(),
                            m_session.logPending || MediaPlayer1().isPlaying());
}

void TfmMain::bnNewPracticeCaseClick()
{
    newCase().open();
}

NewCaseFlow &TfmMain::newCase()
{
    if (!m_newCase)
        m_newCase = std::make_unique<NewCaseFlow>(*this);
    return *m_newCase;
}

void TfmMain::addPracticeSource(const QString &line)
{
    m_config.AddPracticeSource(line, m_paths.baseFolder(), m_paths.practiceWavesAndCalls());
}

void TfmMain::bnShowPrevPracticeClick()
{
    ShowAllPracticeScores(PracticeScores(), m_dialogs, this,
                          {m_paths.practiceHistory(), m_paths.practiceLogs(), m_config.practiceSources()});
}

void TfmMain::CloseLog()
{
    m_completion.CloseLog();
}

void TfmMain::CompleteLocalTest()
{
    m_completion.CompleteLocalTest();
}

void TfmMain::ShowStandAloneScores(const QString &player)
{
    m_completion.ShowStandAloneScores(player);
}

void TfmMain::bnCollectScoresClick()
{
    m_completion.CollectScores();
}

void TfmMain::bnEnterPaperClick()
{
    m_completion.EnterPaperLog();
}
