#include "TfmNewCase.h"

#include "CaseJob.h"
#include "ui/Announce.h"
#include "ui/KeyAccess.h"
#include "ui_TfmNewCase.h"
#include "util/Clock.h"

#include <QRandomGenerator>

TfmNewCase::TfmNewCase(const Clock &clock, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfmNewCase>()), m_clock(clock), m_job(new CaseJob(this))
{
    m_ui->setupUi(this);
    const auto &presets = CaseLevel::presets();
    const QList<QLabel *> figures = {m_ui->lblFirstPileup, m_ui->lblClub, m_ui->lblContest, m_ui->lblExpert};
    const QList<QRadioButton *> buttons = levelButtons();
    for (qsizetype i = 0; i < figures.size(); ++i) {
        figures[i]->setText(presets[size_t(i)].figures());
        buttons[i]->setAccessibleDescription(figures[i]->text());
    }
    m_ui->lblCustom->setText(QStringLiteral("Set each of the synthesizer's settings yourself"));
    m_ui->rbCustom->setAccessibleDescription(m_ui->lblCustom->text());
    m_ui->rbClub->setChecked(true);
    KeyAccess::Bind({{m_ui->rbFirstPileup, Qt::Key_F},
                     {m_ui->rbClub, Qt::Key_B},
                     {m_ui->rbContest, Qt::Key_T},
                     {m_ui->rbExpert, Qt::Key_X},
                     {m_ui->rbCustom, Qt::Key_U},
                     {m_ui->bnCancel, Qt::Key_C}});
    // A level is chosen when its button becomes checked, not when a checked
    // one is clicked again.
    for (QRadioButton *button : buttons)
        connect(button, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                levelChosen();
        });
    connect(m_ui->ebCaseName, &QLineEdit::textEdited, this, [this] { m_nameTyped = true; });
    connect(m_ui->bnCreate, &QPushButton::clicked, this, &TfmNewCase::bnCreateClick);
    connect(m_ui->bnCancel, &QPushButton::clicked, this, &TfmNewCase::reject);
    connect(m_job, &CaseJob::progress, m_ui->pbProgress, &QProgressBar::setValue);
    connect(m_job, &CaseJob::finished, this, &TfmNewCase::jobFinished);
}

TfmNewCase::~TfmNewCase() = default;

QList<QRadioButton *> TfmNewCase::levelButtons() const
{
    return {m_ui->rbFirstPileup, m_ui->rbClub, m_ui->rbContest, m_ui->rbExpert, m_ui->rbCustom};
}

QString TfmNewCase::levelName() const
{
    for (QRadioButton *button : levelButtons())
        if (button->isChecked())
            return button->text();
    return QStringLiteral("Custom");
}

bool TfmNewCase::busy() const
{
    return m_job->running();
}

void TfmNewCase::offer(const CaseOffer &offer)
{
    m_callList = offer.callList;
    m_aim = offer.aim;
    m_ui->lblAim->setText(offer.aim.isEmpty() ? QString() : QStringLiteral("Aimed at: ") + offer.aim);
    m_ui->lblAim->setVisible(!offer.aim.isEmpty());
    m_ui->lblLevelReason->setText(offer.levelReason);
    m_ui->lblLevelReason->setVisible(!offer.levelReason.isEmpty());
    for (QRadioButton *button : levelButtons())
        if (!offer.level.isEmpty() && button->text().compare(offer.level, Qt::CaseInsensitive) == 0)
            button->setChecked(true);
    m_ui->lblStatus->clear();
    m_ui->pbProgress->setVisible(false);
    m_nameTyped = false;
    updateDefaultName();
    m_ui->ebCaseName->setFocus();
    m_ui->ebCaseName->selectAll();
}

void TfmNewCase::levelChosen()
{
    const bool custom = m_ui->rbCustom->isChecked();
    // Custom starts from the figures of the preset chosen before it.
    if (!custom) {
        const CaseLevel *level = CaseLevel::find(levelName());
        m_ui->sbCallersPerMinute->setValue(level->callersPerMinute);
        m_ui->sbWpmMin->setValue(level->wpmMin);
        m_ui->sbWpmMax->setValue(level->wpmMax);
        m_ui->sbPitchSpread->setValue(int(level->pitchSpreadHz));
        m_ui->sbSnr->setValue(level->snrDb);
        m_ui->sbFading->setValue(int(level->fadingFraction * 100));
        m_ui->sbRepeats->setValue(int(level->repeatProbability * 100));
        m_ui->sbCrashes->setValue(level->crashesPerMinute);
        m_ui->cbNoise->setChecked(true);
    }
    m_ui->gbCustom->setVisible(custom);
    updateDefaultName();
}

void TfmNewCase::updateDefaultName()
{
    if (m_nameTyped)
        return;
    const QString level = m_aim.isEmpty() ? levelName() : levelName() + QStringLiteral(" aimed");
    m_ui->ebCaseName->setText(
        PracticeCase::defaultName(m_baseFolder, m_clock.now().date().toString(Qt::ISODate), level));
}

PracticeCaseRequest TfmNewCase::request() const
{
    PracticeCaseRequest request;
    request.name = m_ui->ebCaseName->text();
    request.level = levelName();
    request.callList = m_callList;
    CaseLevel level;
    level.callersPerMinute = m_ui->sbCallersPerMinute->value();
    level.wpmMin = m_ui->sbWpmMin->value();
    level.wpmMax = m_ui->sbWpmMax->value();
    level.pitchSpreadHz = m_ui->sbPitchSpread->value();
    level.snrDb = m_ui->sbSnr->value();
    level.fadingFraction = m_ui->sbFading->value() / 100.0;
    level.repeatProbability = m_ui->sbRepeats->value() / 100.0;
    level.crashesPerMinute = m_ui->sbCrashes->value();
    const CaseLevel *preset = CaseLevel::find(request.level);
    request.options = (preset ? *preset : level)
                          .options(m_ui->sbMinutes->value(), QRandomGenerator::global()->generate64() >> 16);
    request.options.noise = preset || m_ui->cbNoise->isChecked();
    return request;
}

void TfmNewCase::bnCreateClick()
{
    if (busy())
        return;
    const PracticeCaseRequest made = request();
    if (const QString why = PracticeCase::refusal(m_baseFolder, made.name); !why.isEmpty()) {
        Announce::Text(m_ui->lblStatus, why);
        m_ui->ebCaseName->setFocus();
        return;
    }
    setWorking(true);
    m_job->start(m_baseFolder, made);
}

void TfmNewCase::setWorking(bool working)
{
    for (QWidget *input : {static_cast<QWidget *>(m_ui->ebCaseName), static_cast<QWidget *>(m_ui->sbMinutes),
                           static_cast<QWidget *>(m_ui->gbLevel), static_cast<QWidget *>(m_ui->gbCustom),
                           static_cast<QWidget *>(m_ui->bnCreate)})
        input->setEnabled(!working);
    m_ui->pbProgress->setValue(0);
    m_ui->pbProgress->setVisible(working);
    if (working) {
        Announce::Text(m_ui->lblStatus, QStringLiteral("Making the case..."));
        m_ui->bnCancel->setFocus();
    }
}

void TfmNewCase::jobFinished(const PracticeCaseResult &result, const QString &error, bool cancelled)
{
    const QString name = m_ui->ebCaseName->text();
    setWorking(false);
    if (!error.isEmpty()) {
        Announce::Text(m_ui->lblStatus, cancelled ? error : QStringLiteral("No case was made: ") + error);
        (cancelled ? m_ui->bnCancel : m_ui->bnCreate)->setFocus();
        return;
    }
    m_nameTyped = false;
    emit caseMade(result, name);
    accept();
}

void TfmNewCase::reject()
{
    // Escape or Cancel while the case is being made stops the making; the
    // window stays to say so.
    if (busy()) {
        m_job->cancel();
        return;
    }
    QDialog::reject();
}
