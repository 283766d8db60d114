#include "TfmWinners.h"

#include "ui_TfmWinners.h"

#include "Winners.h"
#include "ui/Looks.h"
#include "util/TextUtil.h"

#include <QTableWidgetItem>

namespace {

// Test, Available*, Winner, Winning Score, Average Score.
constexpr Qt::Alignment kAlignments[] = {Qt::AlignLeft, Qt::AlignLeft, Qt::AlignLeft, Qt::AlignRight,
                                         Qt::AlignRight};

constexpr qsizetype kTestNameMax = 260;

} // namespace

TfmWinners::TfmWinners(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::TfmWinners>())
{
    m_ui->setupUi(this);
    setFixedSize(size());
    Looks::HoldColumnWidths(m_ui->lvWinners->horizontalHeader(),
                            {{20, 100}, {40, 70}, {40, 170}, {40, 90}, {40, 75}});
    for (int column = 0; column < int(std::size(kAlignments)); ++column) {
        if (QTableWidgetItem *title = m_ui->lvWinners->horizontalHeaderItem(column))
            title->setTextAlignment(kAlignments[column] | Qt::AlignVCenter);
    }
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
            item->setTextAlignment(kAlignments[column] | Qt::AlignVCenter);
            list->setItem(row, column, item);
        }
    }
    Looks::FitColumnsToTexts(list);
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
