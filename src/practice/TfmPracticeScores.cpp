#include "TfmPracticeScores.h"

#include "ui_TfmPracticeScores.h"

#include "GradedCalls.h"
#include "ProgressChart.h"
#include "TfmGradedCalls.h"
#include "TfmMisses.h"
#include "TfmWinners.h"
#include "Winners.h"
#include "ui/Dialogs.h"
#include "ui/KeyAccess.h"
#include "ui/Looks.h"
#include "util/TextUtil.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr qsizetype kPathMax = 260;

struct WidthLimits
{
    int minimum;
    int maximum; // 0: as wide as the contents
};

constexpr WidthLimits kLimits[PracticeScoresModel::ColumnCount] = {
    {10, 50}, {50, 100}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {50, 100}, {50, 150},
};

} // namespace

TfmPracticeScores::TfmPracticeScores(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfmPracticeScores>()), m_model(this)
{
    m_ui->setupUi(this);
    m_ui->lvPracticeScores->setModel(&m_model);
    QHeaderView *header = m_ui->lvPracticeScores->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    // Widths follow the first rows; a long history costs no more to fit.
    header->setResizeContentsPrecision(200);
    m_chart = new ProgressChart(this);
    m_chart->setVisible(false);
    m_ui->layoutMain->insertWidget(m_ui->layoutMain->indexOf(m_ui->Label1), m_chart);
    connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
        if (m_dialogs)
            m_dialogs->Guarded(this, [&] { lvPracticeScoresColumnClick(column); });
    });
    // The chart follows the row selected as the arrow keys move (the list
    // taking the focus makes a row current, not selected); the call
    // analysis, a window of its own, opens only on Enter or a click.
    QTableView *list = m_ui->lvPracticeScores;
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected) {
                if (!selected.isEmpty())
                    followRow(selected.indexes().first().row());
            });
    connect(list, &QAbstractItemView::clicked, this,
            [this](const QModelIndex &index) { openRow(index.row()); });
    list->installEventFilter(this);
    // The "Test Case" heading's key: headings take no focus.
    KeyAccess::Bind(list, Qt::Key_T, [this] {
        if (m_dialogs)
            m_dialogs->Guarded(this, [&] { lvPracticeScoresColumnClick(PracticeScoresModel::TestCase); });
    });
    list->setAccessibleDescription(
        QStringLiteral("Enter shows the calls of the run; Alt+T the winners of the test cases"));
    KeyAccess::Bind(m_ui->bnWhatIMiss, Qt::Key_W);
    connect(m_ui->bnWhatIMiss, &QPushButton::clicked, this, [this] {
        if (m_dialogs)
            m_dialogs->Guarded(this, [&] { bnWhatIMissClick(); });
    });
}

bool TfmPracticeScores::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->lvPracticeScores && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openRow(m_ui->lvPracticeScores->currentIndex().row());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfmPracticeScores::openRow(int row)
{
    if (m_dialogs)
        m_dialogs->Guarded(this, [&] { lvPracticeScoresSelectItem(row); });
}

TfmPracticeScores::~TfmPracticeScores() = default;

void TfmPracticeScores::Fill(const QString &caption, const QStringList &instructions,
                             TPracticeScoreList scores)
{
    setWindowTitle(caption);
    m_ui->lvPracticeScores->setUpdatesEnabled(false);
    m_model.setScores(std::move(scores));
    fitColumns();
    m_ui->lvPracticeScores->setUpdatesEnabled(true);
    m_ui->moInstruct->setPlainText(instructions.join(u'\n'));
}

void TfmPracticeScores::fitColumns()
{
    QTableView *list = m_ui->lvPracticeScores;
    for (int column = 0; column < PracticeScoresModel::ColumnCount; ++column) {
        list->resizeColumnToContents(column);
        const WidthLimits limits = kLimits[column];
        if (limits.maximum > 0)
            list->setColumnWidth(column,
                                 std::clamp(list->columnWidth(column), limits.minimum, limits.maximum));
    }
    Looks::WidenToColumns(list);
}

void TfmPracticeScores::setLogsFolder(const QString &folder)
{
    m_logsFolder = CopyBounded(folder, kPathMax);
}

void TfmPracticeScores::setSources(const std::vector<TWaveSourcePair> &sources)
{
    m_sources.clear();
    for (const TWaveSourcePair &source : sources)
        m_sources.push_back(&source);
}

void TfmPracticeScores::setViews(Dialogs &dialogs, TfmWinners &winners, TfmGradedCalls &gradedCalls)
{
    m_dialogs = &dialogs;
    m_winners = &winners;
    m_gradedCalls = &gradedCalls;
}

void TfmPracticeScores::lvPracticeScoresColumnClick(int column)
{
    if (column != PracticeScoresModel::TestCase || !m_winners)
        return;
    QStringList cases;
    for (int row = 0; row < m_model.rowCount(); ++row)
        cases.append(m_model.text(row, PracticeScoresModel::TestCase));
    m_winners->Fill(WinnerRowTextsFor(cases, m_sources));
    Dialogs::CentreOver(m_winners, parentWidget());
    m_dialogs->ShowModal(m_winners);
}

void TfmPracticeScores::followRow(int row)
{
    if (row < 0 || row >= m_model.rowCount() || m_runs.isEmpty())
        return;
    const QString player = PlayerRuns::PlayerOf(m_model.text(row, PracticeScoresModel::LogFile)).toUpper();
    m_chart->setRuns(player, m_runs.of(player));
}

void TfmPracticeScores::lvPracticeScoresSelectItem(int row)
{
    if (row < 0 || row >= m_model.rowCount())
        return;
    followRow(row);
    if (!m_gradedCalls)
        return;
    const CallAnalysis analysis =
        AnalysePracticeLog(m_logsFolder, m_model.text(row, PracticeScoresModel::LogFile),
                           m_model.text(row, PracticeScoresModel::TestCase), m_sources);
    if (!analysis.problem.isEmpty()) {
        m_dialogs->Message(this, analysis.problem, QStringLiteral("Call Analysis"), Dialogs::Icon::None,
                           Dialogs::Ok);
        return;
    }
    m_gradedCalls->Fill(analysis);
    Dialogs::CentreOver(m_gradedCalls, parentWidget());
    m_dialogs->ShowModal(m_gradedCalls);
}

void TfmPracticeScores::setCaseMaker(CaseMaker maker)
{
    m_caseMaker = std::move(maker);
    if (m_misses)
        m_misses->setCaseMaker(m_caseMaker);
}

void TfmPracticeScores::bnWhatIMissClick()
{
    QString player = m_chart->player();
    if (player.isEmpty() && m_ui->lvPracticeScores->currentIndex().isValid())
        player = PlayerRuns::PlayerOf(
            m_model.text(m_ui->lvPracticeScores->currentIndex().row(), PracticeScoresModel::LogFile));
    if (player.isEmpty()) {
        m_dialogs->Message(this, QStringLiteral("Choose a row to see what its player misses"),
                           QStringLiteral("What I Miss"), Dialogs::Icon::Information, Dialogs::Ok);
        return;
    }
    if (!m_misses) {
        m_misses = std::make_unique<TfmMisses>(this);
        m_misses->setCaseMaker(m_caseMaker);
    }
    m_misses->setHistory(m_historyFile, m_sources);
    m_misses->Fill(MissAnalysis::Analyse(m_historyFile, m_logsFolder, m_sources, player));
    Dialogs::CentreOver(m_misses.get(), parentWidget());
    m_dialogs->ShowModal(m_misses.get());
}

void TfmPracticeScores::ShowProgress(PlayerRuns runs, const QString &player)
{
    m_runs = std::move(runs);
    const QString call = player.trimmed().toUpper();
    QList<PlayerRuns::Run> ofPlayer = m_runs.of(call);
    m_chart->setRuns(ofPlayer.isEmpty() ? QString() : call, ofPlayer);
    m_chart->setVisible(!m_runs.isEmpty());
}
