// Fuzz target: the timed-score readers. The input is a timed-score file
// "TS_FUZZ.txt" as the replay finds it in a folder: its totals are read, its
// second table built, and it is ranked against a copy of itself; its interval
// rates are read and written as a rate review row. The running test's writer
// then appends a call after the file's last line.

#include "FuzzSupport.h"
#include "util/IntervalRates.h"
#include "util/SortedTextList.h"
#include "util/TextFile.h"
#include "util/TimedScore.h"
#include "util/TimedScoreLines.h"


#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input = Fuzz::Bytes(data, size);
    const QString folder = Fuzz::ScratchFolder();
    const QString fileName = QStringLiteral("TS_FUZZ.txt");
    Fuzz::WriteFile(folder + u'/' + fileName, input);

    const std::unique_ptr<TTimedScore> score = LoadTimedScore(folder, fileName);
    FUZZ_CHECK(score && score->Call == u"FUZZ");
    for (int s = 0; s < 10; ++s)
        FUZZ_CHECK(CharsAt(*score, s) == 0);
    for (int s = 10; s < TimedScoreSeconds; ++s)
        FUZZ_CHECK(CharsAt(*score, s) == score->CorrectChars);

    BuildSecondTable(*score);
    FUZZ_CHECK(CharsAt(*score, -1) == 0 && CharsAt(*score, TimedScoreSeconds) == 0);

    const std::unique_ptr<TTimedScore> copy =
        CopyTimedScore(folder, fileName, score->Call, score->CorrectCalls, score->CorrectChars);
    FUZZ_CHECK(CompareTimedScores(*score, *copy) == 0);
    if (score->CorrectChars < INT32_MAX) {
        const std::unique_ptr<TTimedScore> better =
            CopyTimedScore(folder, fileName, score->Call, score->CorrectCalls, score->CorrectChars + 1);
        FUZZ_CHECK(CompareTimedScores(*better, *score) < 0 && CompareTimedScores(*score, *better) > 0);
    }

    // Interval rates never go negative, and the row keeps its 21 fields.
    const std::unique_ptr<TIntervalRate> rate = LoadIntervalRates(folder, fileName);
    FUZZ_CHECK(rate && rate->Rates && int(rate->Rates->size()) == RateIntervalCount);
    ComputeIntervalRates(*rate);
    for (const auto &interval : *rate->Rates)
        FUZZ_CHECK(interval->IntervalChars >= 0);
    FUZZ_CHECK(std::isfinite(rate->Average) && rate->Average >= 0 && std::isfinite(rate->Deviation));
    const QString row = FormatRateRow(*rate, RateRowCapacity);
    FUZZ_CHECK(row.size() <= RateRowCapacity && row.startsWith(u"FUZZ,") && row.count(u',') == 20);

    // The file name's key, from a name made of the input.
    const QString name = QString::fromUtf8(input.first(std::min<qsizetype>(input.size(), 64)));
    FUZZ_CHECK(TimedScoreKey(name).size() <= TimedScoreKeyLength);

    // One more correct call after the file's lines, some seconds into the test.
    QStringList lines = TextFile::splitLines(TextFile::decode(input.toByteArray()));
    const qsizetype before = lines.size();
    SortedTextList checkList;
    checkList.add(QStringLiteral("K5XX"));
    const qint64 start = 5000000; // a reading of the monotonic clock
    const qint64 ms = size > 0 ? qint64(data[0]) * 1733 - 20000 : 0;
    AppendTimedScoreLine(lines, checkList, QStringLiteral("k5xx"), start, start + ms);
    FUZZ_CHECK(lines.size() == before || lines.size() == before + 1);
    AppendTimedScoreLine(lines, checkList, QStringLiteral("W1AW"), start, start + ms);
    FUZZ_CHECK(lines.size() <= before + 1);
    return 0;
}
