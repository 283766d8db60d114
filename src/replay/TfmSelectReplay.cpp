#include "TfmSelectReplay.h"

#include "ui/KeyAccess.h"
#include "ui_TfmSelectReplay.h"

#include <QShowEvent>

TfmSelectReplay::TfmSelectReplay(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfmSelectReplay>())
{
    m_ui->setupUi(this);
    KeyAccess::Bind({{m_ui->bnReplaySelection, Qt::Key_R}, {m_ui->bnCancel, Qt::Key_C}});
    setFixedSize(size());
    connect(m_ui->bnReplaySelection, &QPushButton::clicked, this, &TfmSelectReplay::bnReplaySelectionClick);
    connect(m_ui->bnCancel, &QPushButton::clicked, this, &TfmSelectReplay::bnCancelClick);
}

TfmSelectReplay::~TfmSelectReplay() = default;

void TfmSelectReplay::setCompetitions(const QStringList &names)
{
    m_ui->cbSelectReplay->clear();
    m_ui->cbSelectReplay->addItems(names);
}

QString TfmSelectReplay::competition() const
{
    return m_ui->cbSelectReplay->currentText();
}

void TfmSelectReplay::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormActivate();
}

void TfmSelectReplay::FormActivate()
{
    m_replayChosen = false;
    m_ui->cbSelectReplay->setCurrentIndex(0);
    m_ui->cbSelectReplay->setFocus();
}

void TfmSelectReplay::bnReplaySelectionClick()
{
    m_replayChosen = true;
    accept();
}

void TfmSelectReplay::bnCancelClick()
{
    reject();
}
