#include "TfmSelectPractice.h"

#include "ui_TfmSelectPractice.h"

TfmSelectPractice::TfmSelectPractice(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfmSelectPractice>())
{
    m_ui->setupUi(this);
    // The winners table arrives with the practice views.
    m_ui->bnViewWinScores->setVisible(false);
    connect(m_ui->bnSelectPracticeCase, &QPushButton::clicked, this, &TfmSelectPractice::bnSelectPracticeCaseClick);
    connect(m_ui->bnCancel, &QPushButton::clicked, this, &TfmSelectPractice::bnCancelClick);
}

TfmSelectPractice::~TfmSelectPractice() = default;

void TfmSelectPractice::Clear()
{
    m_ui->cbPracticeCases->clear();
    m_sources.clear();
}

void TfmSelectPractice::AddSource(const TWaveSourcePair *source, bool evenUnavailable)
{
    if (source->available() || evenUnavailable)
        m_ui->cbPracticeCases->addItem(source->testCaseName());
    m_sources.push_back(source);
}

void TfmSelectPractice::OfferAllCases()
{
    m_ui->cbPracticeCases->clear();
    for (const TWaveSourcePair *source : m_sources)
        m_ui->cbPracticeCases->addItem(source->testCaseName());
    m_ui->cbPracticeCases->setCurrentIndex(-1);
}

void TfmSelectPractice::SelectFirstCase()
{
    if (m_ui->cbPracticeCases->count() > 0)
        m_ui->cbPracticeCases->setCurrentIndex(0);
}

QString TfmSelectPractice::caseText() const
{
    return m_ui->cbPracticeCases->currentText();
}

void TfmSelectPractice::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TfmSelectPractice::FormActivate()
{
    m_caseSelected = false;
}

void TfmSelectPractice::bnSelectPracticeCaseClick()
{
    m_caseSelected = true;
    accept();
}

void TfmSelectPractice::bnCancelClick()
{
    reject();
}
