#include "RateReview.h"

#include "util/IntervalRates.h"
#include "util/TextUtil.h"
#include "util/TimedScore.h"

#include <algorithm>
#include <memory>

namespace {

// Caption and 20 cells.
constexpr int RowFields = 1 + RateIntervalCount + 2;

const QStringList *FindRow(const QList<QStringList> &rows, const QString &caption)
{
    for (const QStringList &row : rows)
        if (SameText(row.first(), caption))
            return &row;
    return nullptr;
}

// The MinTop cell minus the player's cell, in every interval.
void AddGroundRow(QList<QStringList> &rows, const QString &minTopCaption, const QString &call)
{
    const QStringList *minTop = FindRow(rows, minTopCaption);
    const QStringList *player = FindRow(rows, call);
    if (!minTop || !player)
        return;
    QStringList ground{GroundRowCaption(call)};
    for (int i = 1; i <= RateIntervalCount; ++i) {
        const qint64 lost = qint64(LeadingInt(minTop->value(i))) - LeadingInt(player->value(i));
        ground.append(QString::number(lost));
    }
    rows.append(ground);
}

} // namespace

QString GroundRowCaption(const QString &call)
{
    return QStringLiteral("MinTop-") + call;
}

QList<QStringList> BuildRateRows(const RateReviewInput &input)
{
    std::vector<std::unique_ptr<TIntervalRate>> rates;
    for (const TTimedScore *score : input.topFive)
        rates.push_back(LoadIntervalRates(score->Folder, score->FileName));
    const bool competitorChosen = input.competitor != nullptr;
    const bool userShown = !input.userText.isEmpty();
    if (competitorChosen || userShown)
        rates.push_back(LoadIntervalRates(input.baseFolder, input.minTopFileName));
    if (competitorChosen)
        rates.push_back(LoadIntervalRates(input.competitor->Folder, input.competitor->FileName));
    if (userShown && input.userBest)
        rates.push_back(LoadIntervalRates(input.userBest->Folder, input.userBest->FileName));

    QList<QStringList> rows;
    for (const auto &rate : rates) {
        ComputeIntervalRates(*rate);
        rows.append(FormatRateRow(*rate, RateRowCapacity).split(u',').mid(0, RowFields));
    }
    // The MinTop row is captioned with its file's key, "MinTop[2]".
    const QString minTopCaption = TimedScoreKey(input.minTopFileName);
    if (competitorChosen)
        AddGroundRow(rows, minTopCaption, input.competitorCall);
    if (userShown)
        AddGroundRow(rows, minTopCaption, input.userText);
    return rows;
}

std::optional<IntervalClick> IntervalClickFor(const QString &caption, int column, const QString &offsetText)
{
    for (const char *other : {"Call", "Average", "Deviation"})
        if (caption.contains(QLatin1String(other)))
            return std::nullopt;
    const int intervalStart = LeadingInt(caption);
    const int offset = LeadingInt(offsetText);
    // The first interval starts the recording, and its left neighbour is the
    // Call column: nothing to play before it, nothing to mark.
    const bool first = intervalStart < RateIntervalSeconds;
    IntervalClick click;
    click.startSecond = first ? intervalStart : std::max(0, intervalStart - offset);
    click.endSecond = intervalStart + RateIntervalSeconds;
    click.selectedColumn = column;
    click.previousColumn = offset == 0 || first ? -1 : column - 1;
    return click;
}
