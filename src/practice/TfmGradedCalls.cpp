#include "TfmGradedCalls.h"

#include "ui_TfmGradedCalls.h"

#include "GradedCalls.h"
#include "ui/Looks.h"

#include <QTableWidgetItem>

TfmGradedCalls::TfmGradedCalls(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfmGradedCalls>())
{
    m_ui->setupUi(this);
    setFixedSize(size());
    // Item, Calls, Status.
    Looks::HoldColumnWidths(m_ui->lvGoodBad->horizontalHeader(), {{10, 50}, {50, 110}, {50, 90}});
}

TfmGradedCalls::~TfmGradedCalls() = default;

void TfmGradedCalls::Fill(const CallAnalysis &analysis)
{
    m_ui->ebLog->setText(analysis.logName);
    m_ui->ebCase->setText(analysis.caseName);
    m_ui->ebWinScore->setText(analysis.winningScore);
    m_ui->ebAvgScore->setText(analysis.averageScore);
    QTableWidget *list = m_ui->lvGoodBad;
    list->setUpdatesEnabled(false);
    list->clearContents();
    list->setRowCount(int(analysis.calls.size()));
    int good = 0;
    int row = 0;
    for (const TGradedCall &entry : analysis.calls) {
        const QString cells[] = {QString::number(row + 1), entry.call,
                                 entry.good ? QStringLiteral("Good call") : QStringLiteral("Bad call")};
        for (int column = 0; column < 3; ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            list->setItem(row, column, item);
        }
        good += entry.good ? 1 : 0;
        ++row;
    }
    Looks::FitColumnsToTexts(list);
    list->setUpdatesEnabled(true);
    m_ui->ebEntries->setText(QString::number(row));
    m_ui->ebGood->setText(QString::number(good));
}
