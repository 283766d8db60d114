#include "TfmWinners.h"

#include "ui_TfmWinners.h"

#include "Winners.h"
#include "util/TextUtil.h"

#include <QHeaderView>
#include <QTableWidgetItem>

namespace {

struct ColumnLook
{
    Qt::Alignment alignment;
    int minWidth;
    int maxWidth;
};

// Test, Available*, Winner, Winning Score, Average Score.
constexpr ColumnLook kColumns[] = {
    {Qt::AlignLeft, 20, 100}, {Qt::AlignLeft, 40, 70},  {Qt::AlignLeft, 40, 170},
    {Qt::AlignRight, 40, 90}, {Qt::AlignRight, 40, 75},
};

constexpr qsizetype kTestNameMax = 260;

} // namespace

TfmWinners::TfmWinners(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::TfmWinners>())
{
    m_ui->setupUi(this);
    setFixedSize(size());
    QHeaderView *header = m_ui->lvWinners->horizontalHeader();
    for (int column = 0; column < int(std::size(kColumns)); ++column) {
        header->resizeSection(column, kColumns[column].maxWidth);
        if (QTableWidgetItem *title = m_ui->lvWinners->horizontalHeaderItem(column))
            title->setTextAlignment(kColumns[column].alignment | Qt::AlignVCenter);
    }
    // A column can be made wider or narrower only within its limits.
    connect(header, &QHeaderView::sectionResized, this, [header](int column, int, int width) {
        if (column < 0 || column >= int(std::size(kColumns)))
            return;
        const int held = std::clamp(width, kColumns[column].minWidth, kColumns[column].maxWidth);
        if (held != width)
            header->resizeSection(column, held);
    });
    connect(m_ui->lvWinners, &QTableWidget::itemSelectionChanged, this, &TfmWinners::lvWinnersSelectItem);
}

TfmWinners::~TfmWinners() = default;

void TfmWinners::Fill(const QStringList &rowTexts)
{
    QTableWidget *list = m_ui->lvWinners;
    list->setUpdatesEnabled(false);
    const QSignalBlocker quiet(list); // filling selects nothing for the player
    list->clearContents();
    list->setRowCount(0);
    for (const QStringList &fields : WinnerRows(rowTexts)) {
        const int row = list->rowCount();
        list->insertRow(row);
        for (int column = 0; column < fields.size(); ++column) {
            auto *item = new QTableWidgetItem(fields[column]);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setTextAlignment(kColumns[column].alignment | Qt::AlignVCenter);
            list->setItem(row, column, item);
        }
    }
    list->setUpdatesEnabled(true);
}

void TfmWinners::lvWinnersSelectItem()
{
    const QList<QTableWidgetItem *> selected = m_ui->lvWinners->selectedItems();
    if (selected.isEmpty())
        return;
    if (const QTableWidgetItem *test = m_ui->lvWinners->item(selected.first()->row(), 0))
        m_rememberedTest = CopyBounded(test->text(), kTestNameMax);
}
