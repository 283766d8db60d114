#pragma once
// Interval rates: the characters a player gained in each 20-second interval
// of a test, read from his timed-score file (see TimedScore.h), with the
// average and the deviation over the middle of the test. The rate review
// lists one row of them per player.

#include <QString>

#include <memory>
#include <optional>
#include <vector>

// The test's 360 seconds in 18 intervals of 20, starting at 0, 20, ... 340.
inline constexpr int RateIntervalCount = 18;
inline constexpr int RateIntervalSeconds = 20;
// Average and deviation leave out the first three and the last three
// intervals (start-up and padding): intervals 3 to 14, seconds 60 to 299.
inline constexpr int RateFirstCounted = 3;
inline constexpr int RateLastCounted = 14;
// The row texts' buffer size.
inline constexpr qsizetype RateRowCapacity = 300;

// One 20-second interval.
struct TRateData
{
    qint32 StartSecond = 0;
    qint32 EndSecond = 0;     // StartSecond + 19
    qint32 CumChars = 0;      // cumulative characters at the end of the interval
    qint32 IntervalChars = 0; // characters gained in the interval
};

// One player's interval rates.
struct TIntervalRate
{
    QString Folder;   // folder of the file, ending with a separator
    QString FileName; // file name without folder
    QString Call;     // key of the file name, at most 22 characters
    // The 18 intervals in order; absent when the file could not be read.
    std::optional<std::vector<std::unique_ptr<TRateData>>> Rates;
    float Average = 0;
    float Deviation = 0;
};

// Reads the cumulative characters of every interval of folder + fileName:
// each interval holds the count of its last point (the lines as
// ReadTimedScore takes them), carried forward through intervals without
// points. A name without a key, or a file that cannot be read, gives no Rates.
std::unique_ptr<TIntervalRate> LoadIntervalRates(const QString &folder, const QString &fileName);

// Fills IntervalChars (a drop of the cumulative count gives 0), Average and
// Deviation (the population standard deviation) over intervals 3 to 14, in
// single precision as the rows show them. Without Rates both are 0.
void ComputeIntervalRates(TIntervalRate &rate);

// The row text: Call, the 18 IntervalChars, Average and Deviation, separated
// by commas; the two figures rounded to at most four significant digits and
// written with one decimal (12.345 gives "12.3"). Cut to `capacity`
// characters.
QString FormatRateRow(const TIntervalRate &rate, qsizetype capacity = RateRowCapacity);
