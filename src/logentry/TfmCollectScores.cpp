#include "TfmCollectScores.h"

#include "ui_TfmCollectScores.h"

#include "util/TextUtil.h"

TfmCollectScores::TfmCollectScores(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfmCollectScores>())
{
    m_ui->setupUi(this);
    setFixedSize(size());
    connect(m_ui->bnSubmit, &QPushButton::clicked, this, &TfmCollectScores::bnSubmitClick);
}

TfmCollectScores::~TfmCollectScores() = default;

void TfmCollectScores::setExpectedPassword(const QString &password)
{
    m_expected = CopyBounded(password, kPasswordMax);
}

void TfmCollectScores::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TfmCollectScores::FormActivate()
{
    m_accepted = false;
    m_ui->ebPassWord->setFocus();
}

void TfmCollectScores::bnSubmitClick()
{
    m_accepted = SameText(m_ui->ebPassWord->text(), m_expected);
    m_ui->ebPassWord->clear();
    accept();
}
