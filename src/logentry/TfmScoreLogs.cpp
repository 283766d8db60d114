#include "TfmScoreLogs.h"

#include "ui_TfmScoreLogs.h"

#include "ui/KeyAccess.h"
#include "ui/TextFit.h"
#include "util/TextUtil.h"

#include <QFileDialog>

TfmScoreLogs::TfmScoreLogs(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfmScoreLogs>()),
      m_chooseFile([](QWidget *owner, const QString &initialFolder) {
          return QFileDialog::getSaveFileName(owner, QString(), initialFolder);
      })
{
    m_ui->setupUi(this);
    KeyAccess::Bind(
        {{m_ui->bnBrowse, Qt::Key_B}, {m_ui->bnScoreLogs, Qt::Key_S}, {m_ui->bnCancel, Qt::Key_C}});
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
    return m_destination;
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
    if (chosen.isEmpty())
        return;
    // A deep path shows shortened, its file name whole.
    m_destination = chosen;
    TextFit::ShowPath(m_ui->ebDestinationFile, chosen);
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
