#include "TfmMisses.h"

#include "ui_TfmMisses.h"

#include "AimedPractice.h"
#include "CharacterHeatMap.h"
#include "NextLevel.h"
#include "ui/KeyAccess.h"
#include "ui/Looks.h"

#include <QKeySequence>
#include <QRandomGenerator>
#include <QTableWidgetItem>

namespace {

// The mistakes per 100 characters at each speed, for cases whose speeds are
// known (those made at the station); empty when none is.
QString speedSummary(const MissAnalysis::Report &report)
{
    QStringList bands;
    for (int band = 0; band < MissAnalysis::SpeedBands; ++band) {
        const MissAnalysis::SpeedCount &n = report.bySpeed[size_t(band)];
        if (n.sentChars > 0)
            bands << QStringLiteral("%1 %2")
                         .arg(MissAnalysis::SpeedBandName(band))
                         .arg(100.0 * n.errors / n.sentChars, 0, 'f', 1);
    }
    return bands.isEmpty() ? QString()
                           : QStringLiteral(" Mistakes per 100 characters by speed (cases made here): %1.")
                                 .arg(bands.join(QStringLiteral(", ")));
}

QString Shown(QChar c, const QString &none)
{
    return c.isNull() ? none : QString(c);
}

void SetRow(QTableWidget *list, int row, const QStringList &cells)
{
    for (int column = 0; column < cells.size(); ++column) {
        auto *item = new QTableWidgetItem(cells[column]);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (column >= 2)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        list->setItem(row, column, item);
    }
}

} // namespace

TfmMisses::TfmMisses(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::TfmMisses>())
{
    m_ui->setupUi(this);
    m_heatMap = new CharacterHeatMap(this);
    m_ui->layoutMain->insertWidget(m_ui->layoutMain->indexOf(m_ui->Label2) + 1, m_heatMap);
    m_ui->Label2->setBuddy(m_heatMap);
    Looks::HoldColumnWidths(m_ui->lvConfusions->horizontalHeader(),
                            {{40, 80}, {40, 80}, {40, 60}, {80, 140}});
    Looks::FitColumnsToTexts(m_ui->lvConfusions);
    Looks::HoldColumnWidths(m_ui->lvRuns->horizontalHeader(), {{60, 100}, {60, 200}, {40, 80}, {40, 120}});
    m_ui->bnNextLevel->setToolTip(QStringLiteral("A new case at the level your last runs call for"));
    KeyAccess::Bind({{m_ui->bnPractiseThese, Qt::Key_P}, {m_ui->bnNextLevel, Qt::Key_N}});
    connect(m_ui->bnPractiseThese, &QPushButton::clicked, this, [this] { bnPractiseTheseClick(); });
    connect(m_ui->bnNextLevel, &QPushButton::clicked, this, [this] { bnNextLevelClick(); });
    enableButtons();
}

TfmMisses::~TfmMisses() = default;

void TfmMisses::setHistory(const QString &historyFile, const std::vector<const TWaveSourcePair *> &sources)
{
    m_historyFile = historyFile;
    m_sources = sources;
}

void TfmMisses::setCaseMaker(CaseMaker maker)
{
    m_caseMaker = std::move(maker);
    enableButtons();
}

void TfmMisses::enableButtons()
{
    m_ui->bnPractiseThese->setEnabled(m_caseMaker && !m_weak.isEmpty());
    m_ui->bnNextLevel->setEnabled(bool(m_caseMaker));
    // What it aims at, with its key as KeyAccess words it.
    const QString aim = m_weak.isEmpty()
                            ? QStringLiteral("No character has been missed often enough yet to aim at")
                            : QStringLiteral("A new case with %1").arg(AimedPractice::AimText(m_weak));
    m_ui->bnPractiseThese->setToolTip(aim);
    m_ui->bnPractiseThese->setAccessibleDescription(QStringLiteral("%1 (%2)").arg(
        aim, QKeySequence(QKeyCombination(Qt::AltModifier, Qt::Key_P)).toString(QKeySequence::NativeText)));
}

void TfmMisses::bnPractiseTheseClick()
{
    if (!m_caseMaker || m_weak.isEmpty())
        return;
    CaseOffer offer;
    const LevelChoice choice = NextLevel::Choose(m_historyFile, m_sources, m_player);
    offer.level = choice.level;
    offer.levelReason = choice.reason;
    offer.aim = AimedPractice::AimText(m_weak);
    offer.callList = AimedPractice::CallList(m_weak, offer.level, QRandomGenerator::global()->generate64());
    m_caseMaker(offer);
}

void TfmMisses::bnNextLevelClick()
{
    if (!m_caseMaker)
        return;
    const LevelChoice choice = NextLevel::Choose(m_historyFile, m_sources, m_player);
    CaseOffer offer;
    offer.level = choice.level;
    offer.levelReason = choice.reason;
    m_caseMaker(offer);
}

void TfmMisses::Fill(const MissAnalysis::Report &report)
{
    setWindowTitle(QStringLiteral("What I Miss: ") + report.player);
    m_player = report.player;
    m_weak = AimedPractice::WeakestCharacters(report);
    enableButtons();
    int sent = 0, wrong = 0;
    QHash<QChar, double> rates;
    for (auto it = report.characters.cbegin(); it != report.characters.cend(); ++it) {
        sent += it->sent;
        wrong += it->missed + it->confused;
        if (it->sent > 0)
            rates.insert(it.key(), double(it->missed + it->confused) / it->sent);
    }
    m_heatMap->setRates(rates);
    m_ui->lbSummary->setText(
        report.runs.empty()
            ? QStringLiteral("No computer log of %1 could be read from the practice history.")
                  .arg(report.player)
            : QStringLiteral(
                  "%1 runs, %2 characters sent in the calls logged, %3 of them missed or taken for "
                  "another. Mistakes in the prefix: %4, in the number: %5, in the suffix: %6. "
                  "Calls logged that were not in the pileup: %7.")
                      .arg(report.runs.size())
                      .arg(sent)
                      .arg(wrong)
                      .arg(report.byPart[MissAnalysis::Prefix])
                      .arg(report.byPart[MissAnalysis::Number])
                      .arg(report.byPart[MissAnalysis::Suffix])
                      .arg(report.madeUp) +
                  speedSummary(report));

    const auto mistakes = report.commonest(15);
    QTableWidget *list = m_ui->lvConfusions;
    list->setRowCount(int(mistakes.size()));
    for (int row = 0; row < int(mistakes.size()); ++row) {
        const auto &[pair, times] = mistakes[row];
        const auto [then, now] = report.trend(pair);
        const auto rate = [](double perMille) {
            return perMille < 0 ? QStringLiteral("-") : QString::number(perMille, 'f', 1);
        };
        SetRow(list, row,
               {Shown(pair.first, QStringLiteral("(nothing)")),
                Shown(pair.second, QStringLiteral("(missed)")), QString::number(times),
                rate(then) + QStringLiteral(" / ") + rate(now)});
    }
    Looks::FitColumnsToTexts(list);

    const size_t shown = std::min<size_t>(report.runs.size(), 10);
    QTableWidget *runs = m_ui->lvRuns;
    runs->setRowCount(int(shown));
    for (size_t i = 0; i < shown; ++i) {
        const MissAnalysis::Run &run = report.runs[report.runs.size() - shown + i];
        SetRow(runs, int(i),
               {run.date, run.testCase, QString::number(run.sentChars),
                run.sentChars ? QString::number(100.0 * run.errors / run.sentChars, 'f', 1)
                              : QStringLiteral("-")});
    }
    Looks::FitColumnsToTexts(runs);
}
