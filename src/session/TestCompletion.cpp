#include "TestCompletion.h"

#include "TfmMain.h"
#include "hostlink/TfmConnect.h"
#include "logentry/StandAloneScoring.h"
#include "logentry/TfmCollectScores.h"
#include "logentry/TfmScoreLogs.h"
#include "logentry/TfmShowScores.h"
#include "ui/Dialogs.h"
#include "ui/Looks.h"
#include "ui_TfmMain.h"
#include "util/Clock.h"
#include "util/FileUtil.h"
#include "util/LogScoring.h"
#include "util/StationError.h"
#include "util/TextFile.h"

Ui::TfmMain &TestCompletion::ui()
{
    return *m_main.ui();
}

void TestCompletion::writeLog()
{
    TestSession &session = m_main.session();
    session.logOpen = false;
    // Only a test's or a demonstration's own log is saved, once: the calls of
    // a closed demonstration never land in a networked log.
    if (!session.logPending)
        return;
    TextFile::writeLines(session.logFile, session.calls());
    session.logPending = false;
}

void TestCompletion::CloseLog()
{
    ui().moCallsLogged->clear();
    if (m_main.isConnected())
        m_main.connectWindow()->SendToHost(HostProtocol::FinalizeLogMessage());
    ui().ebCallEntry->setEnabled(false);
    Looks::SetFieldColour(ui().ebCallEntry, Looks::Yellow());
    writeLog();
    m_main.ResetSignIn();
    ui().ebCallSign->setText(QStringLiteral("Wait for reset"));
    // Until the host's reset: Enter here must not register "Wait for reset".
    ui().ebCallSign->setReadOnly(true);
    ui().pnMessage->setText(QStringLiteral("Your session has completed -- thanks for playing."));
}

void TestCompletion::CompleteLocalTest()
{
    if (m_main.session().testMode == OperatingMode::Practice)
        completePractice();
    else
        completeStandAlone();
}

void TestCompletion::completeStandAlone()
{
    writeLog();
    ui().ebCallSign->clear();
    ui().ebCallSign->setEnabled(true);
    ui().ebCallSign->setFocus();
    ui().ebCallEntry->clear();
    if (!m_main.config().standAloneCallsPresent() || !m_main.session().testComputerLog) {
        ui().ebCallEntry->setText(QStringLiteral("Your score will be available later"));
    } else {
        const TScore score = ScoreLog(m_main.config().standAloneCallsPath(), m_main.session().logFile);
        ui().ebCallEntry->setText(ScoreText(score));
        // The ranking names the player who has just finished.
        ShowStandAloneScores(m_main.session().player);
        TextFile::writeLines(m_main.session().timedScoreFile, m_main.session().timedScoreLines());
    }
    m_main.MediaPlayer1().rewind();
    ui().lblStandAloneStatus->setText(QStringLiteral("StandAlone test logged for ") +
                                      m_main.session().logFile);
    ui().moCallsLogged->clear();
    ui().pnMessage->setText(QStringLiteral("Click here to see other scores"));
    m_main.setLogTypeIndex(0);
}

void TestCompletion::completePractice()
{
    writeLog();
    TextFile::writeLines(m_main.session().timedScoreFile, m_main.session().timedScoreLines());
    ui().ebCallSign->clear();
    ui().ebCallSign->setEnabled(true);
    ui().ebCallSign->setFocus();
    ui().ebCallEntry->clear();
    if (!FileExistsAnyCase(m_main.session().checkListPath) || !m_main.session().testComputerLog) {
        m_main.dialogs().Message(&m_main,
                                 QStringLiteral("To ensure accurate scoring of your paper log ") +
                                     QStringLiteral("you should enter it NOW"),
                                 QStringLiteral("Enter paper log now!"), Dialogs::Icon::Warning, Dialogs::Ok);
        ui().ebCallEntry->setText(QStringLiteral("Use Enter Paper Log button to enter your log"));
        m_main.setLogTypeIndex(1);
    } else {
        const TScore score = ScoreLog(m_main.session().checkListPath, m_main.session().logFile);
        const QString line = m_main.clock().now().toString(QStringLiteral("dd-MMM-yyyy, hh:mm")) + u',' +
                             m_main.session().logFile + QStringLiteral(",Computer,") +
                             m_main.session().practiceCaseName + u',' + QString::number(score.calls) + u',' +
                             QString::number(score.chars);
        if (!TextFile::tryAppendLine(m_main.paths().practiceHistory(), line))
            throw StationError::cannotOpen(m_main.paths().practiceHistory());
        ui().ebCallEntry->setText(ScoreText(score));
        ui().pnMessage->setText(QStringLiteral("Your log was saved locally in the PracticeLogs directory"));
        ui().lblStandAloneStatus->setText(QStringLiteral("Practice test logged as ") +
                                          m_main.session().logFile);
        // The window stays responsive during the pause.
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

void TestCompletion::CollectScores()
{
    // The administrator's password stands in front of the scoring.
    TfmCollectScores &password = m_main.CollectScores();
    password.setExpectedPassword(m_main.config().adminPassword());
    m_main.ShowCentred(&password);
    if (!password.accepted()) {
        m_main.dialogs().Message(&m_main, QStringLiteral("The password is not correct"),
                                 QStringLiteral("Password Entry"), Dialogs::Icon::Warning, Dialogs::Ok);
        return;
    }
    TfmScoreLogs &scoring = m_main.ScoreLogs();
    scoring.setBaseFolder(m_main.paths().baseFolder());
    m_main.ShowCentred(&scoring);
    if (!scoring.scoreRequested())
        return;
    const QStringList lines =
        ScoreStandAloneLogs(m_main.paths().standAloneLogs(), m_main.config().standAloneCallsPath());
    TextFile::writeLines(scoring.destinationFile(), lines);
}
