#include "IntervalRates.h"

#include "util/TimedScore.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The figure with at most four significant digits, then one decimal. Below
// 1000 that is one rounding to a tenth; from 1000 on the four digits leave
// no decimal, and the ".0" stays.
QString FormatRateFigure(float figure)
{
    double value = figure;
    const double magnitude = std::fabs(value);
    if (magnitude >= 1000) {
        const double unit = std::pow(10.0, std::floor(std::log10(magnitude)) - 3);
        value = std::round(value / unit) * unit;
    }
    return QString::number(value, 'f', 1);
}

qint32 IntervalCharsAt(const TIntervalRate &rate, int interval)
{
    return rate.Rates ? (*rate.Rates)[interval]->IntervalChars : 0;
}

} // namespace

std::unique_ptr<TIntervalRate> LoadIntervalRates(const QString &folder, const QString &fileName)
{
    auto rate = std::make_unique<TIntervalRate>();
    rate->Folder = TimedScoreFolder(folder);
    rate->FileName = fileName;
    rate->Call = TimedScoreKey(fileName);
    if (rate->Call.isEmpty())
        return rate;
    const std::optional<std::vector<TimedScorePoint>> points = ReadTimedScore(rate->Folder, fileName);
    if (!points)
        return rate;

    std::vector<std::unique_ptr<TRateData>> intervals;
    intervals.reserve(RateIntervalCount);
    for (int i = 0; i < RateIntervalCount; ++i) {
        auto interval = std::make_unique<TRateData>();
        interval->StartSecond = i * RateIntervalSeconds;
        interval->EndSecond = interval->StartSecond + RateIntervalSeconds - 1;
        intervals.push_back(std::move(interval));
    }
    for (const TimedScorePoint &point : *points)
        for (int i = point.seconds / RateIntervalSeconds; i < RateIntervalCount; ++i)
            intervals[i]->CumChars = point.chars;
    rate->Rates = std::move(intervals);
    return rate;
}

void ComputeIntervalRates(TIntervalRate &rate)
{
    rate.Average = 0;
    rate.Deviation = 0;
    if (!rate.Rates)
        return;
    const std::vector<std::unique_ptr<TRateData>> &intervals = *rate.Rates;
    qint64 previous = 0;
    for (const auto &interval : intervals) {
        // A damaged file may count down, or hold counts at the limits of an int.
        const qint64 gained = std::max<qint64>(0, qint64(interval->CumChars) - previous);
        interval->IntervalChars = qint32(std::min<qint64>(gained, std::numeric_limits<qint32>::max()));
        previous = interval->CumChars;
    }
    constexpr float counted = RateLastCounted - RateFirstCounted + 1;
    float sum = 0;
    for (int i = RateFirstCounted; i <= RateLastCounted; ++i)
        sum += float(intervals[i]->IntervalChars);
    rate.Average = sum / counted;
    float squares = 0;
    for (int i = RateFirstCounted; i <= RateLastCounted; ++i) {
        const float difference = float(intervals[i]->IntervalChars) - rate.Average;
        squares += difference * difference;
    }
    rate.Deviation = std::sqrt(squares / counted);
}

QString FormatRateRow(const TIntervalRate &rate, qsizetype capacity)
{
    QStringList fields{rate.Call};
    for (int i = 0; i < RateIntervalCount; ++i)
        fields.append(QString::number(IntervalCharsAt(rate, i)));
    fields.append(FormatRateFigure(rate.Average));
    fields.append(FormatRateFigure(rate.Deviation));
    return fields.join(u',').left(std::max<qsizetype>(0, capacity));
}
