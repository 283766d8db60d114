#include "TestCompletion.h"

#include "TfmMain.h"
#include "hostlink/TfmConnect.h"
#include "logentry/StandAloneScoring.h"
#include "logentry/TfmCollectScores.h"
#include "logentry/TfmPaperLogEntry.h"
#include "logentry/TfmScoreLogs.h"
#include "logentry/TfmShowScores.h"
#include "practice/TfmSelectPractice.h"
#include "ui/Announce.h"
#include "ui/Dialogs.h"
#include "ui/Looks.h"
#include "ui_TfmMain.h"
#include "util/Clock.h"
#include "util/FileUtil.h"
#include "util/LogScoring.h"
#include "util/StationError.h"
#include "util/TextFile.h"

#include <QDialog>
#include <QFileInfo>

#include <algorithm>
#include <utility>

#include "LogSaver.h"

Ui::TfmMain &TestCompletion::ui()
{
    return *m_main.ui();
}

bool TestCompletion::writeLog()
{
    TestSession &session = m_main.session();
    session.logOpen = false;
    // Only a test's or a demonstration's own log is saved, once: the calls of
    // a closed demonstration never land in a networked log.
    if (!session.logPending)
        return true;
    session.logPending = false;
    const LogSaveResult result = SaveLog(session.logFile, session.calls(), m_main.paths().baseFolder(),
                                         session.player, m_main.clock().now());
    if (result.saved)
        return true;
    m_problems.append(result.problem);
    m_savedTo = result.recoveryFile;
    m_savedNowhere = result.recoveryFile.isEmpty();
    return false;
}

void TestCompletion::writeTimedScores()
{
    const TestSession &session = m_main.session();
    if (!TextFile::tryWriteLines(session.timedScoreFile, session.timedScoreLines()))
        m_problems.append(StationError::cannotCreate(session.timedScoreFile).text());
}

void TestCompletion::beginEnding()
{
    m_problems.clear();
    m_savedTo = m_main.session().logFile;
    m_savedNowhere = false;
}

QString TestCompletion::notSaved()
{
    return QStringLiteral("Test not saved -- its calls are in the Calls Logged box");
}

void TestCompletion::finishEnding()
{
    // Calls that could not be saved anywhere stay in sight until the next test.
    if (m_savedNowhere)
        ui().moCallsLogged->setPlainText(m_main.session().calls().join(u'\n'));
    if (!m_problems.isEmpty())
        m_main.dialogs().ShowError(&m_main, m_problems.join(u'\n'));
}

void TestCompletion::CloseLog()
{
    beginEnding();
    ui().moCallsLogged->clear();
    if (m_main.isConnected()) {
        // Calls typed while the link was down go first: the host's log is whole.
        MainHostCommands::SendTypedMeanwhile(m_main.session(), *m_main.connectWindow());
        m_main.connectWindow()->SendToHost(HostProtocol::FinalizeLogMessage());
    }
    ui().ebCallEntry->setEnabled(false);
    Looks::SetFieldColour(ui().ebCallEntry, Looks::Yellow());
    writeLog();
    m_main.ResetSignIn();
    ui().ebCallSign->setText(QStringLiteral("Wait for reset"));
    m_main.session().awaitingReset = true;
    // Until the host's reset: Enter here must not register "Wait for reset".
    ui().ebCallSign->setReadOnly(true);
    Announce::Text(ui().pnMessage, QStringLiteral("Your session has completed -- thanks for playing."));
    finishEnding();
}

void TestCompletion::CompleteLocalTest()
{
    beginEnding();
    if (m_main.session().testMode == OperatingMode::Practice)
        completePractice();
    else
        completeStandAlone();
    finishEnding();
}

void TestCompletion::completeStandAlone()
{
    // A log that could not be saved in its folder is not scored here: the
    // administrator scores the recovered calls later.
    const bool saved = writeLog();
    readyForNextPlayer();
    if (!saved || !m_main.config().standAloneCallsPresent() || !m_main.session().testComputerLog) {
        Announce::Text(ui().ebCallEntry, QStringLiteral("Your score will be available later"));
    } else {
        const TScore score = ScoreLog(m_main.config().standAloneCallsPath(), m_main.session().logFile);
        Announce::Text(ui().ebCallEntry, ScoreText(score));
        // The ranking names the player who has just finished. A results file
        // that cannot be written is told at the end, like every problem.
        try {
            ShowStandAloneScores(m_main.session().player);
        } catch (const StationError &e) {
            m_problems.append(e.text());
        }
        writeTimedScores();
    }
    m_main.MediaPlayer1().rewind();
    ui().lblStandAloneStatus->setText(
        m_savedNowhere ? notSaved() : QStringLiteral("StandAlone test logged for ") + m_savedTo);
    ui().moCallsLogged->clear();
    Announce::Text(ui().pnMessage, QStringLiteral("Click here to see other scores"));
    m_main.setLogTypeIndex(0);
}

void TestCompletion::readyForNextPlayer()
{
    ui().ebCallSign->clear();
    ui().ebCallSign->setEnabled(true);
    ui().ebCallSign->setReadOnly(false);
    ui().ebCallSign->setFocus();
    ui().ebCallEntry->clear();
}

void TestCompletion::completePractice()
{
    const bool saved = writeLog();
    writeTimedScores();
    readyForNextPlayer();
    if (!saved) {
        // Nothing to score from: the calls are in the recovery file (or on
        // screen), as the message at the end says.
        ui().lblStandAloneStatus->setText(
            m_savedNowhere ? notSaved() : QStringLiteral("Practice test logged as ") + m_savedTo);
    } else if (!FileExistsAnyCase(m_main.session().checkListPath) || !m_main.session().testComputerLog) {
        m_main.dialogs().Message(&m_main,
                                 QStringLiteral("To ensure accurate scoring of your paper log ") +
                                     QStringLiteral("you should enter it NOW"),
                                 QStringLiteral("Enter paper log now!"), Dialogs::Icon::Warning, Dialogs::Ok);
        Announce::Text(ui().ebCallEntry, QStringLiteral("Use Enter Paper Log button to enter your log"));
        // His sheet is scored against this case, whatever is played meanwhile.
        m_paperCases.insert(m_main.session().player.toUpper(), m_main.session().practiceCaseName);
        ui().lblStandAloneStatus->setText(QStringLiteral("Practice test ended for ") +
                                          m_main.session().player);
        m_main.setLogTypeIndex(1);
    } else {
        const TScore score = ScoreLog(m_main.session().checkListPath, m_main.session().logFile);
        const QString line =
            PracticeHistoryLine(m_main.clock().now(), m_main.session().logFile, QStringLiteral("Computer"),
                                m_main.session().practiceCaseName, score);
        // The score is known even when the history cannot take it: it is
        // shown all the same, and the history's fault told at the end.
        const bool inHistory = TextFile::tryAppendLine(m_main.paths().practiceHistory(), line);
        if (!inHistory)
            m_problems.append(StationError::cannotCreate(m_main.paths().practiceHistory()).text());
        Announce::Text(ui().ebCallEntry, ScoreText(score));
        Announce::Text(ui().pnMessage,
                       inHistory ? QStringLiteral("Your log was saved locally in the PracticeLogs directory")
                                 : QStringLiteral("Your log was saved locally in the PracticeLogs directory; "
                                                  "this score was not added to your practice history"));
        ui().lblStandAloneStatus->setText(QStringLiteral("Practice test logged as ") +
                                          m_main.session().logFile);
        // The window stays responsive during the pause.
        if (inHistory)
            m_main.tmPracticePrompt().start();
        m_main.setLogTypeIndex(0);
    }
    m_main.MediaPlayer1().rewind();
    ui().moCallsLogged->clear();
}

void TestCompletion::ShowStandAloneScores(const QString &player)
{
    const QStringList lines =
        ScoreStandAloneLogs(m_main.paths().standAloneLogs(), m_main.config().standAloneCallsPath());
    TextFile::writeLines(m_main.paths().standAloneResults(), lines);
    m_main.ShowScores().Fill(player, lines);
    m_main.ShowCentred(&m_main.ShowScores());
}

bool TestCompletion::askPassword()
{
    TfmCollectScores &password = m_main.CollectScores();
    password.setExpectedPassword(m_main.config().adminPassword());
    // Escape or the close box withdraws quietly; only a submitted wrong
    // password is told so.
    if (m_main.ShowCentred(&password) != QDialog::Accepted)
        return false;
    if (!password.accepted()) {
        m_main.dialogs().Message(&m_main, QStringLiteral("The password is not correct"),
                                 QStringLiteral("Password Entry"), Dialogs::Icon::Warning, Dialogs::Ok);
        return false;
    }
    return true;
}

void TestCompletion::CollectScores()
{
    // The administrator's password stands in front of the scoring.
    if (!askPassword())
        return;
    TfmScoreLogs &scoring = m_main.ScoreLogs();
    scoring.setBaseFolder(m_main.paths().baseFolder());
    m_main.ShowCentred(&scoring);
    if (!scoring.scoreRequested())
        return;
    const QStringList lines =
        ScoreStandAloneLogs(m_main.paths().standAloneLogs(), m_main.config().standAloneCallsPath());
    TextFile::writeLines(scoring.destinationFile(), lines);
}

void TestCompletion::EnterPaperLog()
{
    const OperatingMode mode = m_main.mode();
    // A paper log belongs in the standalone or practice logs; in networked
    // mode the host scores the player's paper log itself.
    if (mode == OperatingMode::Networked) {
        m_main.dialogs().Message(&m_main,
                                 QStringLiteral("Paper logs are entered in Standalone or Practice mode"),
                                 QStringLiteral("Entering Paper Logs"), Dialogs::Icon::None, Dialogs::Ok);
        return;
    }
    // Standalone sheets are the administrator's to enter, behind his
    // password; a player practising alone types in his own sheet.
    const bool practice = mode == OperatingMode::Practice;
    if (!practice && !askPassword())
        return;
    const QString folder = practice ? m_main.paths().practiceLogs() : m_main.paths().standAloneLogs();
    // The logs the entry can load: those in the folder itself, not the
    // ones of its sub-folders that the search finds too.
    m_main.FindAllLogs(folder);
    QStringList loadable;
    for (const QString &name : m_main.foundLogs())
        if (!loadable.contains(name) && QFileInfo(JoinPath(folder, name)).isFile())
            loadable.append(name);
    TfmPaperLogEntry &entry = m_main.PaperLogEntry();
    entry.setLogFolder(folder, practice, loadable);
    if (practice) {
        QStringList cases;
        for (const TWaveSourcePair &source : m_main.config().practiceSources())
            cases.append(source.testCaseName());
        entry.setPracticeCases(cases,
                               [this](const QString &call) { return m_paperCases.value(call.toUpper()); });
    }
    m_main.ShowCentred(&entry);
    // Standalone logs are scored together by the administrator; a practice
    // log against the check list of the case it was played on.
    const QString log = entry.savedLog();
    if (log.isEmpty() || !practice)
        return;
    const QString caseName = entry.chosenCase();
    const auto &sources = m_main.config().practiceSources();
    const auto source = std::find_if(sources.begin(), sources.end(),
                                     [&](const TWaveSourcePair &s) { return s.caseNameMatches(caseName); });
    if (caseName.isEmpty() || source == sources.end() || !FileExistsAnyCase(source->callsPath())) {
        m_main.dialogs().Message(&m_main,
                                 QStringLiteral("Your paper log is saved but not scored: ") +
                                     (caseName.isEmpty() ? QStringLiteral("no practice case was chosen")
                                                         : QStringLiteral("the check list of ") + caseName +
                                                               QStringLiteral(" is missing")),
                                 QStringLiteral("Entering Paper Logs"), Dialogs::Icon::Warning, Dialogs::Ok);
        return;
    }
    const TScore score = ScoreLog(source->callsPath(), log);
    const QString line =
        PracticeHistoryLine(m_main.clock().now(), log, QStringLiteral("Paper"), caseName, score);
    if (!TextFile::tryAppendLine(m_main.paths().practiceHistory(), line))
        throw StationError::cannotCreate(m_main.paths().practiceHistory());
    Announce::Text(ui().ebCallEntry, ScoreText(score));
    Announce::Text(ui().pnMessage,
                   QStringLiteral("Your log was saved locally in the PracticeLogs directory"));
    ui().lblStandAloneStatus->setText(QStringLiteral("Practice test logged for ") + log);
    m_main.setLogTypeIndex(1);
}
