#include "TfmCollectScores.h"

#include "ui_TfmCollectScores.h"

#include "ui/KeyAccess.h"
#include "util/TextUtil.h"

TfmCollectScores::TfmCollectScores(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfmCollectScores>())
{
    m_ui->setupUi(this);
    KeyAccess::Bind({{m_ui->bnSubmit, Qt::Key_S}});
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
    // Typed characters show as dots. Set at the first showing: a style sheet
    // made at start-up would slow every start for a window few ever open.
    if (m_ui->ebPassWord->styleSheet().isEmpty())
        m_ui->ebPassWord->setStyleSheet(QStringLiteral("lineedit-password-character: 46"));
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
