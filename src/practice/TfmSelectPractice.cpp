#include "TfmSelectPractice.h"

#include "ui_TfmSelectPractice.h"

#include "TfmWinners.h"
#include "Winners.h"
#include "ui/Dialogs.h"
#include "ui/KeyAccess.h"

TfmSelectPractice::TfmSelectPractice(Dialogs &dialogs, TfmWinners &winners, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfmSelectPractice>()), m_dialogs(dialogs), m_winners(winners)
{
    m_ui->setupUi(this);
    KeyAccess::Bind({{m_ui->bnViewWinScores, Qt::Key_V},
                     {m_ui->bnSelectPracticeCase, Qt::Key_S},
                     {m_ui->bnCancel, Qt::Key_C}});
    connect(m_ui->bnViewWinScores, &QPushButton::clicked, this, &TfmSelectPractice::bnViewWinScoresClick);
    connect(m_ui->bnSelectPracticeCase, &QPushButton::clicked, this,
            &TfmSelectPractice::bnSelectPracticeCaseClick);
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
        m_ui->cbPracticeCases->setCurrentIndex(std::max(0, m_ui->cbPracticeCases->findText(m_preferred)));
}

QString TfmSelectPractice::caseText() const
{
    return m_ui->cbPracticeCases->currentText();
}

void TfmSelectPractice::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The focus opens on the cases, so the case chosen is said first; Enter
    // there presses Select, the default button.
    m_ui->cbPracticeCases->setFocus();
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

void TfmSelectPractice::bnViewWinScoresClick()
{
    QStringList texts;
    for (const TWaveSourcePair *source : m_sources)
        texts.append(WinnerRowText(*source));
    m_winners.Fill(texts);
    Dialogs::CentreOver(&m_winners, this);
    m_dialogs.ShowModal(&m_winners);
    // An unavailable case is not in the case box: nothing changes then.
    const QString remembered = m_winners.rememberedTest();
    const int found =
        remembered.isEmpty() ? -1 : m_ui->cbPracticeCases->findText(remembered, Qt::MatchFixedString);
    if (found >= 0)
        m_ui->cbPracticeCases->setCurrentIndex(found);
}
