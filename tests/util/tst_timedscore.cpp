// Reading timed-score files: totals, the per-second table, the key taken from
// the file name, the ranking order and the 20-second interval rates.

#include "TempBase.h"
#include "util/IntervalRates.h"
#include "util/TimedScore.h"
#include "util/TimedScoreLines.h"

#include <QtTest>

namespace {

// The table as (first second, characters) at each change, seconds 0 to 359.
using Runs = QList<QPair<int, int>>;
Runs TableRuns(const TTimedScore &score)
{
    Runs runs;
    for (int s = 0; s < TimedScoreSeconds; ++s)
        if (runs.isEmpty() || runs.last().second != CharsAt(score, s))
            runs.append({s, CharsAt(score, s)});
    return runs;
}

// A rate row: the caption, the characters of the first intervals (the rest
// 0), then average and deviation.
QString RateRow(const QString &call, const QList<int> &chars, const QString &figures)
{
    QStringList fields{call};
    for (int i = 0; i < RateIntervalCount; ++i)
        fields.append(QString::number(i < chars.size() ? chars[i] : 0));
    return fields.join(u',') + u',' + figures;
}

} // namespace

class TestTimedScore : public QObject
{
    Q_OBJECT

private slots:
    void keyFromFileName()
    {
        // clang-format off
        const QList<QPair<QString, QString>> keys = {
            {"TS_K5XX.txt", "K5XX"}, {"TS_MinTop[2].txt", "MinTop[2]"}, {"TS.txt", "txt"}, {"nokey", ""},
            {"TS__DL1ABC-010213-1405.txt", "DL1ABC-010213-1405"}, {"TS_K5_XX.txt", "K5"},
            {"TS_ABCDEFGHIJKLMNOPQRSTUVWXYZ.txt", "ABCDEFGHIJKLMNOPQRSTUV"}};
        // clang-format on
        for (const auto &[name, key] : keys)
            QCOMPARE(TimedScoreKey(name), key);
    }

    void totalsAndSecondTable()
    {
        TempBase base;
        const struct
        {
            QString file;
            QStringList lines;
            int calls, chars;
            Runs table; // once built; empty: not looked at
        } rows[] = {    // clang-format off
            {"TS_K5XX.txt", {"5,1,4", "12,2,9", "12,3,13", "30,4,18"}, 4, 18, {{0, 0}, {5, 4}, {12, 13}, {30, 18}}},
            // A last line early in the test keeps its total to the end.
            {"TS_W1AW.txt", {"1,1,4", "3,2,8"}, 2, 8, {{0, 0}, {1, 4}, {3, 8}}},
            // Numbers from their leading digits (none: 0), doubled commas vanish; lines at
            // 360 s or later, or logged before the line ahead of them ("abc": second 0), are left out.
            {"TS_JUNK.txt", {" 7x,1,4abc", "abc,2,9", "20,,3,,12", "400,4,30", "200,5,36"}, 5, 36,
             {{0, 0}, {7, 4}, {20, 12}, {200, 36}}},
            // Neither a line back in time, nor a blank one, nor a dropping count pulls the value back.
            {"TS_BACK.txt", {"50,1,5", "40,2,10", "60,3,14", "", "65,4,12"}, 4, 14, {{0, 0}, {50, 5}, {60, 14}}},
            // A lone call counts from second 10; a line without its counts is left out.
            {"TS_ONE.txt", {"45,1,5", "50,2"}, 1, 5, {{0, 0}, {10, 5}}},
            // The last second takes a line logged at it.
            {"TS_MinTop[2].txt", {"10,1,4", "358,2,9", "359,3,12"}, 3, 12, {{0, 0}, {10, 4}, {358, 9}, {359, 12}}},
            {"TS_EMPTY.txt", {}, 0, 0, {{0, 0}}},
            // A name without a key: zero totals. Long files are read whole.
            {"nokey", {"5,1,4"}, 0, 0, {}},
            {"TS_HUGE.txt", QStringList(150'000, "100,1,10") << "300,99,999", 99, 999,
             {{0, 0}, {100, 10}, {300, 999}}}};
        // clang-format on
        for (const auto &row : rows) {
            base.WriteLines(row.file, row.lines);
            auto score = LoadTimedScore(base.path(), row.file);
            QVERIFY(score->Folder == base.path() + '/' && score->FileName == row.file);
            QCOMPARE(score->Call, TimedScoreKey(row.file));
            QCOMPARE(score->CorrectCalls, row.calls);
            QCOMPARE(score->CorrectChars, row.chars);
            // Until the table is built: 0 up to second 9, the total from 10 on.
            QCOMPARE(TableRuns(*score), (row.chars ? Runs{{0, 0}, {10, row.chars}} : Runs{{0, 0}}));
            BuildSecondTable(*score);
            if (!row.table.isEmpty())
                QCOMPARE(TableRuns(*score), row.table);
        }
    }

    void missingFilesCaseCopiesAndRanking()
    {
        TempBase base;
        auto missing = LoadTimedScore(base.path(), "TS_NOBODY.txt");
        BuildSecondTable(*missing);
        QVERIFY(missing->Call == "NOBODY" && missing->CorrectCalls == 0 && missing->CorrectChars == 0);
        QCOMPARE(TableRuns(*missing), (Runs{{0, 0}}));

        // File names match without letter case.
        base.WriteLines("TS_ve3zz.txt", {"10,1,5", "20,2,9"});
        auto score = LoadTimedScore(base.path() + '/', "TS_VE3ZZ.TXT");
        QCOMPARE(score->CorrectChars, 9);
        BuildSecondTable(*score);
        QCOMPARE(CharsAt(*score, 15), 5);
        QVERIFY(CharsAt(*score, -1) == 0 && CharsAt(*score, TimedScoreSeconds) == 0);

        // A copied record's table is all 0; built without a file, the total from second 10 on.
        auto copy = CopyTimedScore(base.path(), "TS_MISSING.txt", "MISSING", 3, 14);
        QVERIFY((copy->CorrectCalls == 3 && TableRuns(*copy) == Runs{{0, 0}}));
        BuildSecondTable(*copy);
        QCOMPARE(TableRuns(*copy), (Runs{{0, 0}, {10, 14}}));

        // More correct calls rank higher, then more characters.
        auto compare = [&](int callsA, int charsA, int callsB, int charsB) {
            return CompareTimedScores(*CopyTimedScore(base.path(), "TS_A.txt", "A", callsA, charsA),
                                      *CopyTimedScore(base.path(), "TS_B.txt", "B", callsB, charsB));
        };
        QVERIFY(compare(120, 640, 118, 700) < 0 && compare(118, 700, 120, 640) > 0);
        QVERIFY(compare(120, 650, 120, 640) < 0 && compare(120, 640, 120, 650) > 0);
        QCOMPARE(compare(120, 650, 120, 650), 0);
    }

    void intervalRates()
    {
        TempBase base;
        QStringList steady{"5,1,7"}; // twelve middle intervals of 10, the start-up left out
        for (int i = 0; i < 12; ++i)
            steady.append(QStringLiteral("%1,%2,%3").arg(60 + 20 * i).arg(i + 2).arg(17 + 10 * i));
        const QList<int> tens{7, 0, 0, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10};
        const struct
        {
            QString file;
            QStringList lines; // empty: no file
            QString row;
            bool rates;
        } rows[] = {// clang-format off
            {"TS_K5XX.txt", {"5,1,4", "12,2,9", "12,3,13", "30,4,18"}, RateRow("K5XX", {13, 5}, "0.0,0.0"), true},
            // A line at second 20 counts in the interval starting at 20.
            {"TS_EDGE.txt", {"19,1,4", "20,2,9"}, RateRow("EDGE", {4, 5}, "0.0,0.0"), true},
            {"TS_STEADY.txt", steady, RateRow("STEADY", tens, "10.0,0.0"), true},
            // One burst in the middle: average 12/12, deviation the square root of 11.
            {"TS_BURST.txt", {"130,1,12"}, RateRow("BURST", {0, 0, 0, 0, 0, 0, 12}, "1.0,3.3"), true},
            // A dropping count gains nothing, not even when it rises again; blank lines and
            // lines outside 0 to 359 change nothing.
            {"TS_DROP.txt", {"5,1,10", "", "25,2,4", "45,3,9", "-5,4,50", "360,5,60"},
             RateRow("DROP", {10, 0, 0}, "0.0,0.0"), true},
            {"TS_MinTop[2].txt", {"70,0,6"}, RateRow("MinTop[2]", {0, 0, 0, 6}, "0.5,1.7"), true},
            // A missing file, or a name without a key: no rates, a row of zeros.
            {"TS_NOBODY.txt", {}, RateRow("NOBODY", {}, "0.0,0.0"), false},
            {"nokey", {"5,1,4"}, RateRow("", {}, "0.0,0.0"), false}};
        // clang-format on
        for (const auto &row : rows) {
            if (!row.lines.isEmpty())
                base.WriteLines(row.file, row.lines);
            auto rate = LoadIntervalRates(base.path(), row.file);
            QVERIFY(rate->Folder == base.path() + '/' && rate->FileName == row.file);
            QCOMPARE(rate->Rates.has_value(), row.rates);
            ComputeIntervalRates(*rate);
            QCOMPARE(FormatRateRow(*rate, RateRowCapacity), row.row);
        }

        // Cumulative counts carry forward through intervals without lines.
        auto k5xx = LoadIntervalRates(base.path(), "TS_K5XX.txt");
        ComputeIntervalRates(*k5xx);
        const auto &intervals = *k5xx->Rates;
        QCOMPARE(int(intervals.size()), RateIntervalCount);
        QVERIFY(intervals[0]->CumChars == 13 && intervals[17]->CumChars == 18);
        QVERIFY(intervals[17]->StartSecond == 340 && intervals[17]->EndSecond == 359);

        // Figures: four significant digits, then one decimal; the row cut to its capacity.
        const QList<QPair<float, QString>> figures = {
            {12.345f, "12.3"}, {1234.56f, "1235.0"}, {0.05f, "0.1"},        {0.04f, "0.0"},
            {99.94f, "99.9"},  {999.96f, "1000.0"},  {12345.6f, "12350.0"}, {7.0f, "7.0"}};
        for (const auto &[figure, text] : figures) {
            k5xx->Average = figure;
            QCOMPARE(FormatRateRow(*k5xx).section(u',', 19, 19), text);
        }
        QCOMPARE(FormatRateRow(*k5xx, 7), QStringLiteral("K5XX,13"));
    }

    void appendingLinesDuringATest()
    {
        SortedTextList checkList;
        checkList.addAll({"K5XX", "DL1ABC"});
        const qint64 start = 5000000; // a reading of the monotonic clock
        QStringList lines;
        AppendTimedScoreLine(lines, checkList, "k5xx", start, start + 12499);
        AppendTimedScoreLine(lines, checkList, "W1AW", start, start + 20000);
        AppendTimedScoreLine(lines, checkList, "DL1ABC", start, start + 30500);
        QCOMPARE(lines, (QStringList{"12,1,4", "31,2,10"}));

        // A previous line without its counts stops the appending.
        lines = QStringList{"5,1"};
        AppendTimedScoreLine(lines, checkList, "K5XX", start, start);
        QCOMPARE(lines, QStringList{"5,1"});

        // Counts at the limit of an int (a damaged file) are carried on, not wrapped.
        lines = QStringList{"7,2147483647,2147483647"};
        AppendTimedScoreLine(lines, checkList, "K5XX", start, start + 8000);
        QCOMPARE(lines.last(), QStringLiteral("8,2147483648,2147483651"));
    }
};

QTEST_GUILESS_MAIN(TestTimedScore)
#include "tst_timedscore.moc"
