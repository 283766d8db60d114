// Reading timed-score files: totals, the per-second table, the key taken from
// the file name and the ranking order.

#include "util/TextFile.h"
#include "util/TimedScore.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <vector>

class TestTimedScore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeScore(const QString &fileName, const QStringList &lines)
    {
        TextFile::writeLines(m_dir.filePath(fileName), lines);
        return fileName;
    }

    static void compareRange(const TTimedScore &score, int from, int to, int chars)
    {
        for (int s = from; s <= to; ++s) {
            if (CharsAt(score, s) != chars)
                QFAIL(qPrintable(QStringLiteral("second %1 holds %2, expected %3")
                                     .arg(s)
                                     .arg(CharsAt(score, s))
                                     .arg(chars)));
        }
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void keyIsSecondPieceOfFileName()
    {
        QCOMPARE(TimedScoreKey("TS_K5XX.txt"), QString("K5XX"));
        QCOMPARE(TimedScoreKey("TS_MinTop[2].txt"), QString("MinTop[2]"));
        QCOMPARE(TimedScoreKey("TS__DL1ABC-010213-1405.txt"), QString("DL1ABC-010213-1405"));
        // A key that holds "_" or "." is cut short.
        QCOMPARE(TimedScoreKey("TS_K5_XX.txt"), QString("K5"));
        QCOMPARE(TimedScoreKey("TS.txt"), QString("txt"));
        QCOMPARE(TimedScoreKey("nokey"), QString());
        QCOMPARE(TimedScoreKey("TS_ABCDEFGHIJKLMNOPQRSTUVWXYZ.txt"), QString("ABCDEFGHIJKLMNOPQRSTUV"));
    }

    void loadsTotalsAndBuildsSecondTable()
    {
        const QString name = writeScore("TS_K5XX.txt", {"5,1,4", "12,2,9", "12,3,13", "30,4,18"});
        auto score = LoadTimedScore(m_dir.path(), name);
        QCOMPARE(score->Call, QString("K5XX"));
        QCOMPARE(score->CorrectCalls, 4);
        QCOMPARE(score->CorrectChars, 18);
        QVERIFY(score->Folder.endsWith('/'));
        QCOMPARE(score->FileName, name);
        // Before the table is built: 0 up to second 9, the total from 10 on.
        compareRange(*score, 0, 9, 0);
        compareRange(*score, 10, 359, 18);

        BuildSecondTable(*score);
        compareRange(*score, 0, 4, 0);
        compareRange(*score, 5, 11, 4);
        compareRange(*score, 12, 29, 13);
        compareRange(*score, 30, 359, 18);
        QCOMPARE(CharsAt(*score, -1), 0);
        QCOMPARE(CharsAt(*score, 360), 0);
    }

    void singleLineFileCountsFromItsOwnSecond()
    {
        // The call was logged at second 45: the table shows it from then on,
        // not from second 10.
        const QString name = writeScore("TS_G4XYZ.txt", {"45,1,5"});
        auto score = LoadTimedScore(m_dir.path(), name);
        QCOMPARE(score->CorrectCalls, 1);
        QCOMPARE(score->CorrectChars, 5);
        BuildSecondTable(*score);
        compareRange(*score, 0, 44, 0);
        compareRange(*score, 45, 359, 5);

        // A last line early in the test keeps the total, no drop back to 0.
        const QString early = writeScore("TS_W1AW.txt", {"1,1,4", "3,2,8"});
        auto second = LoadTimedScore(m_dir.path(), early);
        BuildSecondTable(*second);
        compareRange(*second, 0, 0, 0);
        compareRange(*second, 1, 2, 4);
        compareRange(*second, 3, 359, 8);
    }

    void missingAndMalformedFiles()
    {
        auto missing = LoadTimedScore(m_dir.path(), "TS_NOBODY.txt");
        QCOMPARE(missing->Call, QString("NOBODY"));
        QCOMPARE(missing->CorrectCalls, 0);
        QCOMPARE(missing->CorrectChars, 0);
        BuildSecondTable(*missing);
        compareRange(*missing, 0, 359, 0);

        auto noKey = LoadTimedScore(m_dir.path(), writeScore("nokey", {"5,1,4"}));
        QCOMPARE(noKey->Call, QString());
        QCOMPARE(noKey->CorrectCalls, 0);

        // A last line with two fields leaves the totals at 0.
        auto shortLast = LoadTimedScore(m_dir.path(), writeScore("TS_SHORT.txt", {"5,1,4", "9,2"}));
        QCOMPARE(shortLast->CorrectCalls, 0);
        QCOMPARE(shortLast->CorrectChars, 0);

        // Numbers read from their leading digits; blanks, signs and junk after
        // them are accepted, a field without digits reads 0, doubled commas
        // vanish, lines at 360 s or later are ignored by the table.
        auto junk = LoadTimedScore(
            m_dir.path(), writeScore("TS_JUNK.txt", {" 7x,1,4abc", "abc,2,9", "20,,3,,12", "400,4,30"}));
        QCOMPARE(junk->CorrectCalls, 4);
        QCOMPARE(junk->CorrectChars, 30);
        BuildSecondTable(*junk);
        // "abc" reads as second 0 but stands after the line of second 7: both
        // count once second 7 has come, in file order.
        compareRange(*junk, 0, 6, 0);
        compareRange(*junk, 7, 19, 9);
        compareRange(*junk, 20, 359, 12);

        // A file whose times run backwards still fills every second.
        auto back = LoadTimedScore(m_dir.path(), writeScore("TS_BACK.txt", {"50,1,5", "40,2,10", "60,3,14"}));
        BuildSecondTable(*back);
        compareRange(*back, 0, 49, 0);
        compareRange(*back, 50, 59, 10);
        compareRange(*back, 60, 359, 14);

        // An empty file: zero totals, zero table.
        auto empty = LoadTimedScore(m_dir.path(), writeScore("TS_EMPTY.txt", {}));
        BuildSecondTable(*empty);
        QCOMPARE(empty->CorrectChars, 0);
        compareRange(*empty, 0, 359, 0);
    }

    void fileNamesMatchWithoutLetterCase()
    {
        writeScore("TS_ve3zz.txt", {"10,1,5", "20,2,9"});
        auto score = LoadTimedScore(m_dir.path() + '/', "TS_VE3ZZ.TXT");
        QCOMPARE(score->Call, QString("VE3ZZ"));
        QCOMPARE(score->CorrectChars, 9);
        BuildSecondTable(*score);
        QCOMPARE(CharsAt(*score, 15), 5);
    }

    void copiedRecordAndRanking()
    {
        auto copy = CopyTimedScore(m_dir.path(), "TS_MISSING.txt", "MISSING", 3, 14);
        QCOMPARE(copy->CorrectCalls, 3);
        compareRange(*copy, 0, 359, 0);
        BuildSecondTable(*copy); // no file: the total from second 10 on
        compareRange(*copy, 0, 9, 0);
        compareRange(*copy, 10, 359, 14);

        auto a = LoadTimedScore(m_dir.path(), writeScore("TS_A.txt", {"359,120,640"}));
        auto b = LoadTimedScore(m_dir.path(), writeScore("TS_B.txt", {"355,118,700"}));
        auto c = CopyTimedScore(m_dir.path(), "TS_C.txt", "C", 120, 650);
        auto d = CopyTimedScore(m_dir.path(), "TS_D.txt", "D", 120, 650);
        QVERIFY(CompareTimedScores(*a, *b) < 0);
        QVERIFY(CompareTimedScores(*b, *a) > 0);
        QVERIFY(CompareTimedScores(*c, *a) < 0); // equal calls: more characters first
        QCOMPARE(CompareTimedScores(*c, *d), 0);

        std::vector<TTimedScore *> list{b.get(), a.get(), c.get()};
        std::sort(list.begin(), list.end(),
                  [](const TTimedScore *x, const TTimedScore *y) { return CompareTimedScores(*x, *y) < 0; });
        QCOMPARE(list[0]->Call, QString("C"));
        QCOMPARE(list[1]->Call, QString("A"));
        QCOMPARE(list[2]->Call, QString("B"));
    }

    void minTopFileReadsLikeAnyOther()
    {
        QStringList lines;
        for (int s = 0; s < 360; ++s)
            lines << QStringLiteral("%1,0,%2").arg(s).arg(s / 2);
        auto score = LoadTimedScore(m_dir.path(), writeScore("TS_MinTop[2].txt", lines));
        QCOMPARE(score->Call, QString("MinTop[2]"));
        QCOMPARE(score->CorrectCalls, 0);
        QCOMPARE(score->CorrectChars, 179);
        BuildSecondTable(*score);
        QCOMPARE(CharsAt(*score, 0), 0);
        QCOMPARE(CharsAt(*score, 101), 50);
        QCOMPARE(CharsAt(*score, 359), 179);
    }
};

QTEST_GUILESS_MAIN(TestTimedScore)
#include "tst_timedscore.moc"
