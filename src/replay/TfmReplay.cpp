#include "TfmReplay.h"

#include "ui_TfmReplay.h"

#include "ui/ScreenFit.h"
#include "ui/TextFit.h"

#include "RaceBar.h"
#include "RateReview.h"
#include "TfmReviewRates.h"
#include "ui/Dialogs.h"
#include "ui/KeyAccess.h"
#include "util/WavePlayer.h"

#include <QShowEvent>

#include <algorithm>

namespace {

constexpr int Places = 5;

} // namespace

TfmReplay::TfmReplay(Dialogs &dialogs, WavePlayer &player, TfmReviewRates &review, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfmReplay>()), m_dialogs(dialogs), m_player(player),
      m_review(review)
{
    m_ui->setupUi(this);
    KeyAccess::Bind(
        {{m_ui->bnStartReplay, Qt::Key_S}, {m_ui->bnReset, Qt::Key_R}, {m_ui->bnReviewRates, Qt::Key_V}});
    // On a small screen the race scrolls; its bars keep their scale.
    m_contents = ScreenFit::ScrollContents(this);
    ScreenFit::FitAround(this, m_contents);
    const QColor colours[] = {Qt::green, Qt::red,   Qt::yellow,          Qt::blue,
                              Qt::cyan,  Qt::black, QColor(128, 0, 128), Qt::gray};
    const auto all = rows();
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Row row = all[i];
        row.bar->setColour(colours[i]);
        row.bar->setFullWidth(ReplayRace::FullWidth);
        connect(row.now, &QLineEdit::textChanged, this, [this, row] { ebNowChange(row); });
    }
    for (RaceBar *band : bands())
        band->setColour(Qt::white);

    // Precise, and restarted with the audio, so the race keeps in step with it.
    m_tmReplay.setInterval(1000);
    m_tmReplay.setTimerType(Qt::PreciseTimer);
    connect(&m_tmReplay, &QTimer::timeout, this,
            [this] { m_dialogs.Guarded(this, [this] { tmReplayTimer(); }); });
    connect(m_ui->bnStartReplay, &QPushButton::clicked, this,
            [this] { m_dialogs.Guarded(this, [this] { bnStartReplayClick(); }); });
    connect(m_ui->bnReset, &QPushButton::clicked, this,
            [this] { m_dialogs.Guarded(this, [this] { bnResetClick(); }); });
    connect(m_ui->bnReviewRates, &QPushButton::clicked, this,
            [this] { m_dialogs.Guarded(this, [this] { bnReviewRatesClick(); }); });
}

TfmReplay::~TfmReplay() = default;

std::array<TfmReplay::Row, 8> TfmReplay::rows() const
{
    const Ui::TfmReplay &u = *m_ui;
    return {{{u.ebNowChar0, u.ebTotChar0, u.shTop0},
             {u.ebNowChar1, u.ebTotChar1, u.shTop1},
             {u.ebNowChar2, u.ebTotChar2, u.shTop2},
             {u.ebNowChar3, u.ebTotChar3, u.shTop3},
             {u.ebNowChar4, u.ebTotChar4, u.shTop4},
             {u.ebNowSelect, u.ebTotSelect, u.shSelect},
             {u.ebNowAvg, u.ebTotAvg, u.shAvg},
             {u.ebNowUser, u.ebTotUser, u.shUser}}};
}

std::array<RaceBar *, 3> TfmReplay::bands() const
{
    return {m_ui->shSelectMinMax, m_ui->shAvgMinMax, m_ui->shUserMinMax};
}

void TfmReplay::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    m_dialogs.Guarded(this, [this] { FormActivate(); });
    m_tmReplay.start();
}

void TfmReplay::done(int result)
{
    m_dialogs.Guarded(this, [this] { FormClose(); });
    m_tmReplay.stop();
    QDialog::done(result);
}

void TfmReplay::setControlsEnabled(bool start, bool others)
{
    m_ui->bnStartReplay->setEnabled(start);
    m_ui->cbSelect->setEnabled(start);
    m_ui->bnReset->setEnabled(others);
    m_ui->bnReviewRates->setEnabled(others);
}

void TfmReplay::FormActivate()
{
    setControlsEnabled(true, true);
    Ui::TfmReplay &u = *m_ui;
    const bool minTopWritten = m_race.Activate();
    const QString caseName = m_data.CaseName;
    const TTimedScore *user = m_race.UserBest();
    u.ebUser->setText(user ? user->Call : QString());
    u.ebUser->setCursorPosition(0); // a long key shows its call, the rest is in the hint
    u.ebUser->setToolTip(user ? user->Call
                              : QStringLiteral("No User Timed Scores were found for ") + caseName);
    u.ebTotUser->setText(user ? QString::number(user->CorrectChars) : QString());
    u.ebTotSelect->setText(QStringLiteral("0"));

    m_audioOpen = false;
    u.cbSelect->clear();
    u.cbSelect->addItems(m_data.SelectItems);
    u.cbSelect->setCurrentIndex(0);
    for (const Row &row : rows()) {
        row.now->setText(QStringLiteral("0"));
        row.bar->setBarWidth(ReplayRace::RestWidth);
    }
    u.gbTop->setTitle(QStringLiteral("Top Five Players from ") + caseName);
    u.gbSelect->setTitle(QStringLiteral("Select a Player from ") + caseName + QStringLiteral(" (optional)"));
    u.gbUser->setTitle(QStringLiteral("My Best Practice Results from ") + caseName);
    u.gbAvg->setTitle(QStringLiteral("Average of All Players at ") + caseName);
    setWindowTitle(m_data.Caption);

    showPlaces(true);
    fitCallColumn();
    m_player.setFileName(m_race.WavePath());
    u.ebTotAvg->setText(QString::number(m_data.AverageChars.back()));
    if (!minTopWritten)
        m_dialogs.ShowError(
            this, QStringLiteral("Cannot create file %1").arg(m_data.BaseFolder + m_data.MinTopFileName));
}

void TfmReplay::fitCallColumn()
{
    Ui::TfmReplay &u = *m_ui;
    const QList<QLineEdit *> boxes{u.ebTopCall0, u.ebTopCall1, u.ebTopCall2, u.ebTopCall3,
                                   u.ebTopCall4, u.ebAvg,      u.ebUser};
    if (m_callColumnWidth == 0)
        m_callColumnWidth = u.ebUser->width();
    int needed = m_callColumnWidth;
    for (QLineEdit *box : boxes)
        needed = std::max(needed, TextFit::WidthFor(box, {box->text()}));
    u.cbSelect->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    needed = std::max(needed, u.cbSelect->sizeHint().width());
    const int shift = needed - u.ebUser->width();
    if (shift == 0)
        return;
    // The bars and the counts move right (or back) with the column's edge;
    // the window grows by as much.
    const int edge = u.ebUser->geometry().right();
    for (QGroupBox *group : {u.gbTop, u.gbSelect, u.gbAvg, u.gbUser}) {
        group->resize(group->width() + shift, group->height());
        for (QWidget *child : group->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (child->x() > edge)
                child->move(child->x() + shift, child->y());
            else
                child->resize(needed, child->height());
        }
    }
    for (QWidget *right : {static_cast<QWidget *>(u.lbRemainingTime), static_cast<QWidget *>(u.ebRemTime)})
        right->move(right->x() + shift, right->y());
    m_contents->setFixedWidth(m_contents->width() + shift);
    ScreenFit::FitAround(this, m_contents);
}

void TfmReplay::showPlaces(bool totals)
{
    QLineEdit *calls[Places] = {m_ui->ebTopCall0, m_ui->ebTopCall1, m_ui->ebTopCall2, m_ui->ebTopCall3,
                                m_ui->ebTopCall4};
    const auto all = rows();
    for (std::size_t i = 0; i < Places; ++i) {
        const bool held = i < m_data.TopFive.size();
        all[i].bar->setVisible(held);
        if (held) {
            calls[i]->setText(m_data.TopFive[i]->Call);
            if (totals)
                all[i].total->setText(QString::number(m_data.TopFive[i]->CorrectChars));
            continue;
        }
        calls[i]->clear();
        all[i].now->clear();
        all[i].total->clear();
    }
}

void TfmReplay::bnStartReplayClick()
{
    Ui::TfmReplay &u = *m_ui;
    setControlsEnabled(false, false);
    for (RaceBar *band : bands())
        band->lower();
    m_race.ElapsedSeconds = 0;

    m_race.ChooseCompetitor(u.cbSelect->currentText());
    const TTimedScore *selected = m_race.SelectedScore();
    if (selected)
        u.ebTotSelect->setText(QString::number(selected->CorrectChars));
    showPlaces(true);
    u.ebTotAvg->setText(QString::number(m_data.AverageChars.back()));
    const TTimedScore *user = m_race.UserBest();
    u.ebTotUser->setText(QString::number(user ? user->CorrectChars : 0));

    // Without its audio there is no race: the controls come back at once.
    try {
        if (m_race.WavePath().isEmpty())
            throw StationError(
                QStringLiteral("The configuration names no practice wave file for %1").arg(m_data.CaseName));
        m_player.setFileName(m_race.WavePath());
        m_player.open();
    } catch (const StationError &e) {
        setControlsEnabled(true, true);
        throw;
    }
    m_audioOpen = true;
    m_player.setTimeFormatMilliseconds();
    m_race.Begin(m_player.length());
    m_player.rewind();
    m_player.play();
    if (m_tmReplay.isActive())
        m_tmReplay.start();
}

void TfmReplay::tmReplayTimer()
{
    if (!m_race.Tick())
        return;
    Ui::TfmReplay &u = *m_ui;
    if (m_race.Finished) {
        u.bnReset->setEnabled(true);
        u.bnReviewRates->setEnabled(true);
    }
    u.ebRemTime->setText(m_race.RemainingText());
    const auto all = rows();
    for (std::size_t i = 0; i < m_data.TopFive.size() && i < Places; ++i)
        all[i].now->setText(QString::number(m_race.TopNow(int(i))));
    if (m_race.SelectedScore())
        u.ebNowSelect->setText(QString::number(m_race.SelectNow()));
    if (m_race.UserBest())
        u.ebNowUser->setText(QString::number(m_race.UserNow()));
    u.ebNowAvg->setText(QString::number(m_race.AvgNow()));

    const ReplayRace::Band band = m_race.TopBand();
    const int left = u.shTop0->x() + band.left;
    const int width = std::max(ReplayRace::MinBandWidth,
                               std::min(band.width, u.shTop0->x() + ReplayRace::FullWidth - left));
    const bool shown[] = {band.shown && m_race.SelectedScore() != nullptr, band.shown,
                          band.shown && !u.ebUser->text().trimmed().isEmpty()};
    const auto all3 = bands();
    for (std::size_t i = 0; i < all3.size(); ++i) {
        all3[i]->setGeometry(left, all3[i]->y(), width, all3[i]->height());
        all3[i]->setVisible(shown[i]);
    }
}

void TfmReplay::ebNowChange(const Row &row)
{
    if (m_race.Running)
        row.bar->setBarWidth(m_race.BarWidth(row.now->text().toLongLong()));
}

void TfmReplay::bnResetClick()
{
    ResetReplay();
}

void TfmReplay::ResetReplay()
{
    m_ui->bnStartReplay->setEnabled(true);
    m_ui->cbSelect->setEnabled(true);
    for (const Row &row : rows()) {
        row.now->setText(QStringLiteral("0"));
        row.total->setText(QStringLiteral("0"));
    }
    m_race.Reset();
    for (RaceBar *band : bands())
        band->hide();
    for (const Row &row : rows())
        row.bar->setBarWidth(ReplayRace::RestWidth);
    showPlaces(false);
    m_player.close();
    m_audioOpen = false;
}

void TfmReplay::FormClose()
{
    m_race.Running = false;
    m_race.Finished = true;
    m_ui->ebRemTime->clear();
    if (m_audioOpen) {
        m_player.stop();
        m_player.rewind();
    }
    m_ui->bnStartReplay->setEnabled(true);
    m_ui->bnReset->setEnabled(false);
    ResetReplay();
}

void TfmReplay::bnReviewRatesClick()
{
    if (m_audioOpen)
        m_player.close();
    m_player.setFileName(m_race.WavePath());

    const QString entry = m_ui->cbSelect->currentText();
    m_race.ChooseCompetitor(entry);
    RateReviewInput input;
    for (const auto &score : m_data.TopFive)
        input.topFive.push_back(score.get());
    input.baseFolder = m_data.BaseFolder;
    input.minTopFileName = m_data.MinTopFileName;
    input.competitor = m_race.SelectedScore();
    input.competitorCall = input.competitor ? entry : QString();
    input.userText = m_ui->ebUser->text();
    input.userBest = m_race.UserBest();
    m_review.ShowRows(BuildRateRows(input), m_data.CaseName);
    m_dialogs.ShowModal(&m_review);
    FormActivate();
}
