#include "TfmPaperLogEntry.h"

#include "ui_TfmPaperLogEntry.h"

#include "ui/Dialogs.h"
#include "ui/KeyAccess.h"
#include "util/Clock.h"
#include "util/FileUtil.h"
#include "util/StationError.h"
#include "util/TextFile.h"

#include <QKeyEvent>

TfmPaperLogEntry::TfmPaperLogEntry(Dialogs &dialogs, Clock &clock, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfmPaperLogEntry>()), m_dialogs(dialogs), m_clock(clock)
{
    m_ui->setupUi(this);
    KeyAccess::Bind({{m_ui->bnSavePaper, Qt::Key_S}, {m_ui->bnCancel, Qt::Key_C}});
    // Key preview: Escape closes from anywhere, Enter acts in the call box.
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
    connect(m_ui->bnSavePaper, &QPushButton::clicked, this, &TfmPaperLogEntry::bnSavePaperClick);
    connect(m_ui->bnCancel, &QPushButton::clicked, this, &TfmPaperLogEntry::reject);
}

TfmPaperLogEntry::~TfmPaperLogEntry() = default;

void TfmPaperLogEntry::setLogFolder(const QString &folder, bool timeStamp, const QStringList &existingLogs)
{
    m_folder = folder;
    m_timeStamp = timeStamp;
    m_ui->moExistLogs->setPlainText(existingLogs.join(u'\n'));
    m_ui->Label4->setVisible(timeStamp);
    m_ui->cbPracticeCase->setVisible(timeStamp);
    if (!timeStamp)
        setPracticeCases({}, nullptr);
}

void TfmPaperLogEntry::setPracticeCases(const QStringList &cases,
                                        std::function<QString(const QString &)> playedBy)
{
    m_ui->cbPracticeCase->clear();
    m_ui->cbPracticeCase->addItems(cases);
    m_ui->cbPracticeCase->setCurrentIndex(-1);
    m_playedBy = std::move(playedBy);
}

QString TfmPaperLogEntry::chosenCase() const
{
    return m_ui->cbPracticeCase->currentIndex() < 0 ? QString() : m_ui->cbPracticeCase->currentText();
}

void TfmPaperLogEntry::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TfmPaperLogEntry::FormActivate()
{
    m_savedLog.clear();
    m_ui->moPaperLog->setEnabled(false);
    m_ui->ebCallSignPaper->setFocus();
}

bool TfmPaperLogEntry::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key == Qt::Key_Escape) {
        reject();
        return true;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && watched == m_ui->ebCallSignPaper) {
        m_dialogs.Guarded(this, [&] { ebCallSignPaperEnter(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmPaperLogEntry::ebCallSignPaperEnter()
{
    // The call sign names a file: it must stay one plain name in the folder.
    const QString refusal = CallSignRefusal(m_ui->ebCallSignPaper->text());
    if (!refusal.isEmpty()) {
        m_dialogs.Message(this, refusal, QStringLiteral("Entering Paper Logs"), Dialogs::Icon::None,
                          Dialogs::Ok);
        return;
    }
    if (m_timeStamp) {
        if (m_playedBy)
            m_ui->cbPracticeCase->setCurrentIndex(m_ui->cbPracticeCase->findText(
                m_playedBy(m_ui->ebCallSignPaper->text()), Qt::MatchFixedString));
        m_ui->ebCallSignPaper->setText(m_ui->ebCallSignPaper->text() +
                                       m_clock.now().toString(QStringLiteral("-MMddyy-hhmm")));
        m_dialogs.Message(this, QStringLiteral("You should enter and save your paper log at one sitting"),
                          QStringLiteral("Entering Paper Logs"), Dialogs::Icon::None, Dialogs::Ok);
    }
    const QString wanted = m_ui->ebCallSignPaper->text() + QStringLiteral(".log");
    const QStringList existing = m_ui->moExistLogs->toPlainText().split(u'\n');
    const auto found = std::find_if(existing.begin(), existing.end(), [&](const QString &name) {
        return name.compare(wanted, Qt::CaseInsensitive) == 0;
    });
    m_ui->moPaperLog->clear();
    if (found != existing.end()) {
        // A log found in a subfolder is not in the folder itself: then there
        // is nothing to load, as for a new player.
        if (const auto lines = TextFile::tryReadLines(ResolveCase(JoinPath(m_folder, *found))))
            m_ui->moPaperLog->setPlainText(lines->join(u'\n'));
    }
    m_ui->moPaperLog->setEnabled(true);
    m_ui->moPaperLog->setFocus();
}

void TfmPaperLogEntry::bnSavePaperClick()
{
    m_dialogs.Guarded(this, [&] {
        const QString name = m_ui->ebCallSignPaper->text();
        if (const QString refusal = CallSignRefusal(name);
            !refusal.isEmpty() || !m_ui->moPaperLog->isEnabled()) {
            m_dialogs.Message(this,
                              refusal.isEmpty()
                                  ? QStringLiteral("Type the call of the player and press Enter first")
                                  : refusal,
                              QStringLiteral("Entering Paper Logs"), Dialogs::Icon::None, Dialogs::Ok);
            return;
        }
        // An existing file of this name may differ in letter case: replace it.
        const QString path = ResolveCase(JoinPath(m_folder, name + QStringLiteral(".log")));
        QStringList lines = m_ui->moPaperLog->toPlainText().split(u'\n');
        if (!lines.isEmpty() && lines.constLast().isEmpty())
            lines.removeLast(); // the line end after the last call adds no line
        TextFile::writeLines(path, lines);
        m_savedLog = path;
        accept();
    });
}
