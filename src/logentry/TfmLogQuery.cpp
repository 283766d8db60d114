#include "TfmLogQuery.h"

#include "ui_TfmLogQuery.h"

#include "ui/KeyAccess.h"
#include "ui/Looks.h"

TfmLogQuery::TfmLogQuery(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::TfmLogQuery>())
{
    m_ui->setupUi(this);
    KeyAccess::Bind({{m_ui->bnLogOnComputer, Qt::Key_C}, {m_ui->bnLogOnPaper, Qt::Key_P}});
    Looks::SetFieldColour(m_ui->Memo1, Looks::Yellow());
    Looks::SetBold(m_ui->Memo1);
    setFixedSize(size());
    connect(m_ui->bnLogOnComputer, &QPushButton::clicked, this, &TfmLogQuery::bnLogOnComputerClick);
    connect(m_ui->bnLogOnPaper, &QPushButton::clicked, this, &TfmLogQuery::bnLogOnPaperClick);
}

TfmLogQuery::~TfmLogQuery() = default;

void TfmLogQuery::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TfmLogQuery::FormActivate()
{
    m_computerLog = true;
    m_ui->bnLogOnComputer->setFocus();
}

void TfmLogQuery::bnLogOnComputerClick()
{
    m_computerLog = true;
    accept();
}

void TfmLogQuery::bnLogOnPaperClick()
{
    m_computerLog = false;
    accept();
}
