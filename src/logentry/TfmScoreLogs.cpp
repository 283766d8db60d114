#include "TfmScoreLogs.h"

#include "ui_TfmScoreLogs.h"

#include "util/TextUtil.h"

#include <QFileDialog>

TfmScoreLogs::TfmScoreLogs(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfmScoreLogs>()),
      m_chooseFile([](QWidget *owner, const QString &initialFolder) {
          return QFileDialog::getSaveFileName(owner, QString(), initialFolder);
      })
{
    m_ui->setupUi(this);
    setFixedSize(size());
    connect(m_ui->bnBrowse, &QPushButton::clicked, this, &TfmScoreLogs::bnBrowseClick);
    connect(m_ui->bnScoreLogs, &QPushButton::clicked, this, &TfmScoreLogs::bnScoreLogsClick);
    connect(m_ui->bnCancel, &QPushButton::clicked, this, &TfmScoreLogs::bnCancelClick);
}

TfmScoreLogs::~TfmScoreLogs() = default;

void TfmScoreLogs::setBaseFolder(const QString &folder)
{
    m_baseFolder = CopyBounded(folder, kPathMax);
}

void TfmScoreLogs::setFileChooser(FileChooser chooser)
{
    if (chooser)
        m_chooseFile = std::move(chooser);
}

QString TfmScoreLogs::destinationFile() const
{
    return m_ui->ebDestinationFile->text();
}

void TfmScoreLogs::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TfmScoreLogs::FormActivate()
{
    m_scoreRequested = false;
}

void TfmScoreLogs::bnBrowseClick()
{
    const QString chosen = m_chooseFile(this, m_baseFolder);
    if (!chosen.isEmpty())
        m_ui->ebDestinationFile->setText(chosen);
}

void TfmScoreLogs::bnScoreLogsClick()
{
    m_scoreRequested = true;
    accept();
}

void TfmScoreLogs::bnCancelClick()
{
    reject();
}
