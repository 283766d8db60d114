#include "TfmShowScores.h"

#include "ui_TfmShowScores.h"

#include "ui/KeyAccess.h"
#include "ui/TextFit.h"
#include "util/TextUtil.h"

#include <QHeaderView>
#include <QTableWidgetItem>

namespace {

enum Column
{
    Rank,
    Player,
    Calls,
    Chars
};

QTableWidgetItem *MakeItem(const QString &text, Qt::Alignment alignment)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

} // namespace

TfmShowScores::TfmShowScores(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::TfmShowScores>())
{
    m_ui->setupUi(this);
    KeyAccess::Bind({{m_ui->Button1, Qt::Key_C}});
    // The player's box shows what box 2 showed at the end of the test.
    TextFit::ReserveWidth(m_ui->ebPlayer, {QStringLiteral("Use Enter Paper Log button to enter your log"),
                                           QStringLiteral("Correct calls/chars=9999/99999")});
    QHeaderView *header = m_ui->lvScores->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionResizeMode(Player, QHeaderView::Stretch);
    for (int column : {Calls, Chars}) {
        if (QTableWidgetItem *title = m_ui->lvScores->horizontalHeaderItem(column))
            title->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    connect(m_ui->Button1, &QPushButton::clicked, this, &TfmShowScores::Button1Click);
}

TfmShowScores::~TfmShowScores() = default;

void TfmShowScores::Fill(const QString &player, const QStringList &resultLines)
{
    m_ui->ebPlayer->setText(player);
    QTableWidget *list = m_ui->lvScores;
    list->setUpdatesEnabled(false);
    list->clearContents();
    list->setRowCount(0);
    int row = 0;
    for (const QString &line : resultLines) {
        const QStringList fields = SplitFields(line, u",");
        if (fields.size() != 3)
            continue;
        list->insertRow(row);
        list->setItem(row, Rank, MakeItem(QString::number(row + 1), Qt::AlignLeft));
        list->setItem(row, Player, MakeItem(fields[0], Qt::AlignLeft));
        list->setItem(row, Calls, MakeItem(fields[1], Qt::AlignRight));
        list->setItem(row, Chars, MakeItem(fields[2], Qt::AlignRight));
        ++row;
    }
    list->setUpdatesEnabled(true);
}

void TfmShowScores::Button1Click()
{
    accept();
}
