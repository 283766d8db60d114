#include "TfmMain.h"

#include "ui_TfmMain.h"

#include "ui/Dialogs.h"
#include "util/Clock.h"
#include "util/FileUtil.h"
#include "util/StationError.h"
#include "util/TextFile.h"
#include "util/TextUtil.h"

namespace {

constexpr qsizetype kStartupMessageMax = 310;

struct InstructionRow
{
    const char *title;
    const char *file;
};

} // namespace

TfmMain::TfmMain(const SessionPaths &paths, const QString &executablePath, Dialogs &dialogs, Clock &clock,
                 QWidget *parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::TfmMain>()), m_paths(paths),
      m_executablePath(executablePath), m_dialogs(dialogs), m_clock(clock)
{
    m_ui->setupUi(this);
    m_logTypeGroup.addButton(m_ui->rbLogComputer, 0);
    m_logTypeGroup.addButton(m_ui->rbLogPaper, 1);

    connect(m_ui->rbNetworked, &QRadioButton::clicked, this, &TfmMain::rbNetworkedClick);
    connect(m_ui->rbPractice, &QRadioButton::clicked, this, &TfmMain::rbPracticeClick);
    connect(&m_logTypeGroup, &QButtonGroup::idClicked, this, &TfmMain::rgLogTypeClick);
}

TfmMain::~TfmMain() = default;

QString TfmMain::TitleFor(const QString &executablePath)
{
    const QDateTime built = FileDateTime(executablePath);
    return QStringLiteral("Vorlix Player de Qelvan: ") + QStringLiteral(" [Built: ") +
           built.toString(QStringLiteral("dd-MMM-yy hh:mm]"));
}

void TfmMain::showStartupMessage(const QString &text, const QString &caption)
{
    m_dialogs.Message(this, CopyBounded(text, kStartupMessageMax), caption, Dialogs::Icon::Warning, Dialogs::Ok);
}

bool TfmMain::FormActivate()
{
    if (m_activation >= 0)
        return m_activation == 1;

    m_paths.CreateFolderTree();
    m_paths.EnsurePracticeHistory();

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

    // The remaining steps reload the instructions; a missing instruction file
    // is reported but does not stop the station from starting.
    try {
        setLogTypeIndex(0);
        if (m_config.hidePracticeMode())
            m_ui->rbPractice->setVisible(false);
        if (!m_ui->rbPractice->isHidden() && m_ui->rbPractice->isEnabled() && m_config.startInPracticeMode()) {
            m_ui->rbPractice->setChecked(true);
            rbPracticeClick();
        }
    } catch (const StationError &e) {
        m_dialogs.Message(this, e.text(), QStringLiteral("Error"), Dialogs::Icon::Error);
    }
    const bool practice = m_ui->rbPractice->isChecked();
    m_ui->bnShowPrevPractice->setVisible(practice);
    m_ui->bnReplay->setVisible(practice);
    return true;
}

bool TfmMain::isNetworkedMode() const
{
    return !m_ui->rbStandAlone->isChecked() && !m_ui->rbPractice->isChecked();
}

void TfmMain::ResetSignIn()
{
    m_testCompleted = false;
    m_ui->ebCallSign->clear();
    m_ui->ebCallSign->setEnabled(true);
    m_ui->ebCallEntry->setEnabled(false);
    if (!isNetworkedMode())
        m_ui->pnMessage->clear();
    m_ui->ebCallSign->setFocus();
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
    static constexpr InstructionRow computer[] = {
        {"Instructions for Non-Networked Computer Logging", "StandAloneComputerLogInstruct.txt"},
        {"Instructions for Practice Computer Logging", "PracticeComputerLogInstruct.txt"},
        {"Instructions for Networked Computer Logging", "ComputerLogInstruct.txt"},
    };
    static constexpr InstructionRow paper[] = {
        {"Instructions for Paper Logging in Non-Networked System", "StandAlonePaperLogInstruct.txt"},
        {"Instructions for Practice Logging on Paper", "PracticePaperLogInstruct.txt"},
        {"Instructions for Paper Logging in Networked System", "PaperLogInstruct.txt"},
    };
    const InstructionRow *rows = logTypeIndex() == 0 ? computer : paper;
    const int mode = m_ui->rbStandAlone->isChecked() ? 0 : m_ui->rbPractice->isChecked() ? 1 : 2;
    const InstructionRow &row = rows[mode];
    m_ui->Label4->setText(QString::fromLatin1(row.title));
    m_ui->moInstruct->clear();
    const QStringList lines = TextFile::readLines(m_paths.instructionFile(QString::fromLatin1(row.file)));
    m_ui->moInstruct->setPlainText(lines.join(u'\n'));
}

void TfmMain::rgLogTypeClick()
{
    LoadInstructions();
}

void TfmMain::rbNetworkedClick()
{
    m_ui->bnConnect->setEnabled(true);
    m_ui->bnEnterPaper->setVisible(false);
    m_ui->bnShowPrevPractice->setVisible(false);
    m_ui->bnReplay->setVisible(false);
    LoadInstructions();
}

void TfmMain::rbPracticeClick()
{
    m_ui->bnConnect->setEnabled(false);
    m_ui->bnCollectScores->setEnabled(false);
    m_ui->bnEnterPaper->setVisible(true);
    m_ui->bnShowPrevPractice->setVisible(true);
    m_ui->bnReplay->setVisible(true);
    LoadInstructions();
    const QString callSign = m_ui->ebCallSign->text();
    if (callSign.trimmed().isEmpty()) {
        m_ui->ebCallSign->setEnabled(true);
        m_ui->ebCallSign->setFocus();
        m_ui->pnMessage->setText(QStringLiteral("Please enter your call sign in the Player's Call Sign window"));
    }
}

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
