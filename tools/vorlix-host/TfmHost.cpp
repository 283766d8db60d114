#include "TfmHost.h"

#include "ui_TfmHost.h"

#include "util/Clock.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QShortcut>

using HostDisplay::Step;

namespace {

constexpr Step kSteps[] = {Step::ChooseWave, Step::SendWave,  Step::Welcome, Step::StartDemo,
                           Step::StopDemo,   Step::StartTest, Step::Pause,   Step::Resume,
                           Step::Submit,     Step::Score,     Step::Reset};

void SetRow(QTableWidget *table, int row, const QStringList &cells)
{
    for (int column = 0; column < cells.size(); ++column) {
        QTableWidgetItem *item = table->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            table->setItem(row, column, item);
        }
        item->setText(cells[column]);
    }
}

} // namespace

TfmHost::TfmHost(HostEngine &engine, const Clock &clock, const QString &dataFolder, QWidget *parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::TfmHost>()), m_engine(engine), m_clock(clock),
      m_dataFolder(dataFolder)
{
    m_ui->setupUi(this);

    const QStringList positionHeaders = HostDisplay::PositionHeaders();
    m_ui->lvPositions->setColumnCount(int(positionHeaders.size()));
    m_ui->lvPositions->setHorizontalHeaderLabels(positionHeaders);
    m_ui->lvPositions->setRowCount(HostEngine::Positions);
    const QStringList rankingHeaders = HostDisplay::RankingHeaders();
    m_ui->lvRanking->setColumnCount(int(rankingHeaders.size()));
    m_ui->lvRanking->setHorizontalHeaderLabels(rankingHeaders);
    m_ui->moEvents->setMaximumBlockCount(10000);

    m_ui->sbDemoSeconds->setRange(HostProtocol::DemoIntervalMinimum, HostProtocol::DemoIntervalMaximum);
    m_ui->sbDemoSeconds->setValue(HostProtocol::DemoIntervalDefault);

    const std::pair<Step, std::function<bool()>> actions[] = {
        {Step::SendWave, [this] { return m_engine.sendWave(); }},
        {Step::Welcome, [this] { return m_engine.playWelcome(); }},
        {Step::StartDemo, [this] { return m_engine.startDemo(m_ui->sbDemoSeconds->value()); }},
        {Step::StopDemo, [this] { return m_engine.stopDemo(); }},
        {Step::StartTest, [this] { return m_engine.startTest(); }},
        {Step::Pause, [this] { return m_engine.pauseTest(); }},
        {Step::Resume, [this] { return m_engine.resumeTest(); }},
        {Step::Submit, [this] { return m_engine.forceSubmit(); }},
        {Step::Score,
         [this] {
             const bool scored = m_engine.score();
             showRanking();
             return scored;
         }},
        {Step::Reset, [this] { return m_engine.reset(); }},
    };
    connect(m_ui->bnChooseWave, &QPushButton::clicked, this, &TfmHost::bnChooseWaveClick);
    for (const auto &[step, action] : actions)
        connect(buttonOf(step), &QPushButton::clicked, this, action);
    for (const Step step : kSteps) {
        QPushButton *button = buttonOf(step);
        auto *shortcut = new QShortcut(ShortcutOf(step), this);
        // click() does nothing while the button is disabled.
        connect(shortcut, &QShortcut::activated, button, &QPushButton::click);
        button->setToolTip(ShortcutOf(step).toString(QKeySequence::NativeText));
    }

    connect(&m_engine, &HostEngine::positionChanged, this, &TfmHost::showPosition);
    connect(&m_engine, &HostEngine::stageChanged, this, &TfmHost::showStage);
    connect(&m_engine, &HostEngine::event, this, [this](const QString &text) { addEvent(text, false); });
    connect(&m_engine, &HostEngine::problem, this, [this](const QString &text) { addEvent(text, true); });

    tmTick.setInterval(1000);
    connect(&tmTick, &QTimer::timeout, this, &TfmHost::tmTickTimer);
    tmTick.start();

    for (int index = 0; index < HostEngine::Positions; ++index)
        showPosition(index);
    // All six positions in sight, the columns sharing the width.
    QTableWidget *table = m_ui->lvPositions;
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_ui->lvRanking->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->setMinimumHeight(table->horizontalHeader()->sizeHint().height() +
                            HostEngine::Positions * table->verticalHeader()->defaultSectionSize() +
                            2 * table->frameWidth());
    showStage(m_engine.stage());
}

TfmHost::~TfmHost() = default;

QPushButton *TfmHost::buttonOf(Step step) const
{
    switch (step) {
    case Step::ChooseWave:
        return m_ui->bnChooseWave;
    case Step::SendWave:
        return m_ui->bnSendWave;
    case Step::Welcome:
        return m_ui->bnWelcome;
    case Step::StartDemo:
        return m_ui->bnStartDemo;
    case Step::StopDemo:
        return m_ui->bnStopDemo;
    case Step::StartTest:
        return m_ui->bnStartTest;
    case Step::Pause:
        return m_ui->bnPause;
    case Step::Resume:
        return m_ui->bnResume;
    case Step::Submit:
        return m_ui->bnSubmit;
    case Step::Score:
        return m_ui->bnScore;
    case Step::Reset:
        return m_ui->bnReset;
    }
    return nullptr;
}

QKeySequence TfmHost::ShortcutOf(Step step)
{
    switch (step) {
    case Step::ChooseWave:
        return QKeySequence(Qt::CTRL | Qt::Key_O);
    case Step::SendWave:
        return QKeySequence(Qt::Key_F2);
    case Step::Welcome:
        return QKeySequence(Qt::Key_F3);
    case Step::StartDemo:
        return QKeySequence(Qt::Key_F4);
    case Step::StopDemo:
        return QKeySequence(Qt::SHIFT | Qt::Key_F4);
    case Step::StartTest:
        return QKeySequence(Qt::Key_F5);
    case Step::Pause:
        return QKeySequence(Qt::Key_F6);
    case Step::Resume:
        return QKeySequence(Qt::Key_F7);
    case Step::Submit:
        return QKeySequence(Qt::Key_F8);
    case Step::Score:
        return QKeySequence(Qt::Key_F9);
    case Step::Reset:
        return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R);
    }
    return QKeySequence();
}

std::optional<TfmHost::WaveChoice> TfmHost::ChooseWithDialogs(QWidget *parent, const QString &folder)
{
    WaveChoice choice;
    choice.wavePath = QFileDialog::getOpenFileName(parent, QStringLiteral("Wave file of the round"), folder,
                                                   QStringLiteral("Wave files (*.wav *.WAV);;All files (*)"));
    if (choice.wavePath.isEmpty())
        return std::nullopt;
    choice.checkListPath = QFileDialog::getOpenFileName(
        parent, QStringLiteral("Check list of %1").arg(QFileInfo(choice.wavePath).fileName()),
        QFileInfo(choice.wavePath).path(), QStringLiteral("Text files (*.txt *.TXT);;All files (*)"));
    if (choice.checkListPath.isEmpty())
        return std::nullopt;
    return choice;
}

bool TfmHost::ConfirmWithBox(QWidget *parent, const QString &question)
{
    return QMessageBox::question(parent, QStringLiteral("Vorlix host"), question,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void TfmHost::closeEvent(QCloseEvent *event)
{
    using Stage = HostEngine::Stage;
    const Stage stage = m_engine.stage();
    const bool underWay = stage == Stage::Demo || stage == Stage::Running || stage == Stage::Paused ||
                          stage == Stage::Submitted;
    if (underWay &&
        !m_confirm(this, QStringLiteral("The round is %1 and not yet scored. Quit the host anyway?")
                             .arg(HostDisplay::StageName(stage).toLower()))) {
        event->ignore();
        return;
    }
    event->accept();
}

void TfmHost::bnChooseWaveClick()
{
    const std::optional<WaveChoice> choice = m_chooseWave(this, m_dataFolder);
    if (choice && m_engine.chooseWave(choice->wavePath, choice->checkListPath))
        showStage(m_engine.stage());
}

void TfmHost::tmTickTimer()
{
    m_engine.tick();
    showCountdown();
}

void TfmHost::showPosition(int index)
{
    if (index < 0 || index >= HostEngine::Positions)
        return;
    SetRow(m_ui->lvPositions, index, HostDisplay::PositionCells(m_engine.positions()[size_t(index)]));
}

void TfmHost::showStage(HostEngine::Stage stage)
{
    const bool waveChosen = !m_engine.wavePath().isEmpty();
    if (waveChosen)
        m_ui->lbWave->setText(QStringLiteral("%1 with %2").arg(QFileInfo(m_engine.wavePath()).fileName(),
                                                               QFileInfo(m_engine.checkListPath()).fileName()));
    const HostDisplay::Steps steps = HostDisplay::StepsFor(stage, waveChosen);
    for (const Step step : kSteps)
        buttonOf(step)->setEnabled(steps.testFlag(step));
    m_ui->sbDemoSeconds->setEnabled(steps.testFlag(Step::StartDemo));
    m_ui->lbStage->setText(HostDisplay::StageName(stage));
    showCountdown();
    showRanking();
}

void TfmHost::showRanking()
{
    const QStringList &ranking = m_engine.ranking();
    m_ui->lvRanking->setRowCount(int(ranking.size()));
    for (int row = 0; row < ranking.size(); ++row)
        SetRow(m_ui->lvRanking, row, HostDisplay::RankingCells(ranking[row]));
}

void TfmHost::showCountdown()
{
    m_ui->lbCountdown->setText(HostDisplay::CountdownText(m_engine.remainingSeconds()));
}

void TfmHost::addEvent(const QString &text, bool isProblem)
{
    const QString line = m_clock.now().toString(QStringLiteral("HH:mm:ss ")) +
                         (isProblem ? QStringLiteral("problem: ") : QString()) + text;
    if (isProblem)
        m_ui->moEvents->appendHtml(
            QStringLiteral("<span style=\"color:#c00000\">%1</span>").arg(line.toHtmlEscaped()));
    else
        m_ui->moEvents->appendHtml(line.toHtmlEscaped());
}
