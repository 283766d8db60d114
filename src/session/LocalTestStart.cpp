#include "LocalTestStart.h"

#include "TfmMain.h"
#include "practice/TfmSelectPractice.h"
#include "ui/Announce.h"
#include "ui/Dialogs.h"
#include "ui_TfmMain.h"
#include "util/Clock.h"
#include "util/FileUtil.h"
#include "util/StationError.h"
#include "util/TextFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr qsizetype kPathMax = 260;

// A practice case's name as a folder name: it must stay one folder inside
// PracticeTimedScores whatever the configuration calls the case.
QString CaseFolderName(const QString &caseName)
{
    QString name = caseName;
    name.replace(u'/', u'_');
    name.replace(u'\\', u'_');
    if (name.isEmpty() || name == u"." || name == u"..")
        name = QStringLiteral("_") + name;
    return name;
}

} // namespace

Ui::TfmMain &LocalTestStart::ui()
{
    return *m_main.m_ui;
}

TestSession &LocalTestStart::session()
{
    return m_main.m_session;
}

void LocalTestStart::StartStandaloneTest()
{
    m_main.askLoggingMethod();
    ui().ebCallEntry->setEnabled(m_main.computerLog());
    if (m_main.computerLog())
        ui().ebCallEntry->setFocus();
    // Every standalone test counts against the standalone check list, also
    // one that follows a practice test.
    session().checkList() = m_main.config().standAloneCheckList();
    session().checkListPath = m_main.config().standAloneCallsPath();
    startLocalTest(false);
}

void LocalTestStart::StartPracticeTest()
{
    m_main.askLoggingMethod();
    ui().ebCallEntry->setEnabled(m_main.computerLog());
    if (m_main.computerLog())
        ui().ebCallEntry->setFocus();
    ui().ebCallSign->setEnabled(false);
    if (!choosePracticeCase())
        return;
    startLocalTest(true);
}

bool LocalTestStart::choosePracticeCase()
{
    TfmSelectPractice &dialog = m_main.SelectPractice();
    dialog.Clear();
    for (const TWaveSourcePair &source : m_main.config().practiceSources())
        dialog.AddSource(&source);
    dialog.SelectFirstCase();
    m_main.ShowCentred(&dialog);
    const QString caption = QStringLiteral("Practice case not selected");
    if (!dialog.caseSelected()) {
        const int retry = m_main.dialogs().Message(
            &m_main, QStringLiteral("You have not selected a practice case - Retry?"), caption,
            Dialogs::Icon::Warning, Dialogs::Yes | Dialogs::No);
        if (retry == Dialogs::Yes) {
            dialog.OfferAllCases();
            m_main.ShowCentred(&dialog);
            if (!dialog.caseSelected())
                m_main.dialogs().Message(&m_main, QStringLiteral("You have not selected a practice case"),
                                         caption, Dialogs::Icon::Warning, Dialogs::Ok);
        }
    }
    const TWaveSourcePair *chosen = nullptr;
    if (dialog.caseSelected()) {
        for (const TWaveSourcePair &source : m_main.config().practiceSources()) {
            if (source.testCaseName() == dialog.caseText()) {
                chosen = &source;
                break;
            }
        }
    }
    if (!chosen) {
        m_main.giveCallSignBack(QStringLiteral("Enter your id here"));
        return false;
    }
    session().checkList().clear();
    // A case whose check list is missing still plays; it is then logged on
    // paper and entered afterwards.
    if (const auto calls = TextFile::tryReadLines(chosen->callsPath()))
        session().checkList().addAll(*calls);
    session().checkListPath = chosen->callsPath();
    session().practiceCaseFolder =
        JoinPath(m_main.paths().practiceTimedScores(), CaseFolderName(chosen->testCaseName()));
    if (!QFileInfo(session().practiceCaseFolder).isDir() && !QDir().mkdir(session().practiceCaseFolder))
        throw StationError::cannotCreate(session().practiceCaseFolder);
    m_main.m_practiceWavePath = chosen->wavePath();
    session().practiceCaseName = dialog.caseText();
    return true;
}

void LocalTestStart::startLocalTest(bool practice)
{
    const QString callSign = ui().ebCallSign->text();
    QString id = callSign;
    QString timedFolder = m_main.paths().standAloneTimedScores();
    QString logFolder = m_main.paths().standAloneLogs();
    if (practice) {
        id = callSign + m_main.clock().now().toString(QStringLiteral("-MMddyy-hhmm"));
        timedFolder = session().practiceCaseFolder;
        logFolder = m_main.paths().practiceLogs();
    }
    // A test starts only where its files can be written under their own
    // names: a path that would have to be cut names a file nothing reads.
    const QString logFile = JoinPath(logFolder, id + QStringLiteral(".log"));
    const QString timedScoreFile = JoinPath(timedFolder, QStringLiteral("TS_") + id + QStringLiteral(".txt"));
    for (const QString &file : {logFile, timedScoreFile}) {
        if (file.size() > kPathMax)
            throw StationError(QStringLiteral("Cannot create file %1: the path is longer than %2 characters")
                                   .arg(file)
                                   .arg(kPathMax));
    }
    if (!CanWriteFile(logFile))
        throw StationError::cannotCreate(logFile);
    m_main.clearLastResult();
    ui().ebCallSign->setEnabled(false);
    session().BeginTest();
    ui().moCallsLogged->clear();
    session().player = callSign;
    session().NameLog(logFile, practice ? OperatingMode::Practice : OperatingMode::StandAlone,
                      m_main.computerLog());
    ui().ebCallEntry->setReadOnly(false);
    session().timedScoreFile = timedScoreFile;
    m_main.openAndPlay(practice ? m_main.m_practiceWavePath : m_main.config().standAloneWavePath(), true);
    m_main.BeginLog(session().logFile);
    ui().lblStandAloneStatus->setText((practice ? QStringLiteral("Practice test underway for ")
                                                : QStringLiteral("StandAlone test underway for ")) +
                                      callSign);
    ui().lblStandAloneStatus->setVisible(true);
    if (!m_main.computerLog())
        Announce::Text(ui().ebCallEntry, QStringLiteral("Logging on paper"));
}
