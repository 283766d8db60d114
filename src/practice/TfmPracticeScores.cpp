#include "TfmPracticeScores.h"

#include "ui_TfmPracticeScores.h"

#include "util/TextUtil.h"

#include <QHeaderView>

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
