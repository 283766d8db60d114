// The practice views' logic: the call-by-call analysis of a practice log
// (grading every line against the case's check list, the two refusals, the
// window that shows it) and the chart of a player's runs of one case.

#include "TempBase.h"
#include "practice/GradedCalls.h"
#include "practice/ProgressChart.h"
#include "practice/TfmGradedCalls.h"
#include "practice/Winners.h"
#include "ui_TfmGradedCalls.h"

#include <QTest>

class TestPracticeViews : public QObject
{
    Q_OBJECT

private slots:
    void gradingAndWindow()
    {
        TempBase base;
        base.Write("PracticeWavesAndCalls/a.wav", "x");
        base.WriteLines("PracticeWavesAndCalls/a.txt", {"K5XX", "OH2BH", "W1AW", "DL1ABC"});
        const TWaveSourcePair source("VORLIX_WAVESOURCE_PRACTICE=a.wav,a.txt,Alpha,K1ZZ,80,40",
                                     base.file("PracticeWavesAndCalls"));
        const std::vector<const TWaveSourcePair *> sources{&source};
        // Lines as read: lower case is good, blanks around a call are not
        // forgiven here, a repeat is graded each time, a long line is cut.
        base.WriteLines("PracticeLogs/K1ABC-030524-1407.log",
                        {"W1AW", " K5XX", "oh2bh", "ZZ9ZZ", "W1AW", QString(30, u'Q'), ""});
        const QString logs = base.file("PracticeLogs");
        const CallAnalysis analysis = AnalysePracticeLog(logs, "K1ABC-030524-1407.log", "alpha", sources);
        QVERIFY(analysis.problem.isEmpty());
        QStringList rows;
        for (const TGradedCall &c : analysis.calls)
            rows.append(c.call + (c.good ? "+" : "-"));
        QCOMPARE(rows,
                 (QStringList{"oh2bh+", "W1AW+", "W1AW+", "-", " K5XX-", QString(22, u'Q') + "-", "ZZ9ZZ-"}));

        TfmGradedCalls window;
        window.Fill(analysis);
        Ui::TfmGradedCalls &ui = *window.ui();
        QVERIFY(ui.ebLog->text() == u"K1ABC-030524-1407.log" && ui.ebCase->text() == u"alpha");
        QVERIFY(ui.ebWinScore->text() == u"80" && ui.ebAvgScore->text() == u"40");
        QVERIFY(ui.ebEntries->text() == u"7" && ui.ebGood->text() == u"3");
        QCOMPARE(ui.lvGoodBad->item(3, 0)->text() + ui.lvGoodBad->item(3, 2)->text(),
                 QStringLiteral("4Bad call"));

        // A log gone, or named outside the folder; a case no longer
        // configured, or its check list removed.
        const QString noLog = "Requested log file no longer exists",
                      noList = "Requested check list file no longer exists";
        base.Write("secret.log", "K5XX\r\n");
        QCOMPARE(AnalysePracticeLog(logs, "gone.log", "Alpha", sources).problem, noLog);
        QCOMPARE(AnalysePracticeLog(logs, "../secret.log", "Alpha", sources).problem, noLog);
        QCOMPARE(AnalysePracticeLog(logs, "K1ABC-030524-1407.log", "Bravo", sources).problem, noList);

        // A case name longer than the history keeps (30 characters) is found
        // from its beginning, unless two cases begin alike.
        const TWaveSourcePair longCase(
            "VORLIX_WAVESOURCE_PRACTICE=a.wav,a.txt,Lakemont Pileup Competition 2012 QK,K1ZZ,80,40",
            base.file("PracticeWavesAndCalls"));
        const TWaveSourcePair twin(
            "VORLIX_WAVESOURCE_PRACTICE=a.wav,a.txt,Lakemont Pileup Competition 2012 QX,K1ZZ,70,30",
            base.file("PracticeWavesAndCalls"));
        const QString cut = QStringLiteral("Lakemont Pileup Competition 20");
        const CallAnalysis ofLong =
            AnalysePracticeLog(logs, "K1ABC-030524-1407.log", cut, {&source, &longCase});
        QVERIFY2(ofLong.problem.isEmpty(), qPrintable(ofLong.problem));
        QCOMPARE(ofLong.caseName, longCase.testCaseName());
        QCOMPARE(WinnerRowTextsFor({cut}, {&longCase}),
                 WinnerRowTextsFor({longCase.testCaseName()}, {&longCase}));
        QCOMPARE(AnalysePracticeLog(logs, "K1ABC-030524-1407.log", cut, {&longCase, &twin}).problem, noList);
        QFile::remove(base.file("PracticeWavesAndCalls/a.txt"));
        QCOMPARE(AnalysePracticeLog(logs, "K1ABC-030524-1407.log", "Alpha", sources).problem, noList);
    }

    void progressChart()
    {
        ProgressChart chart;
        chart.resize(300, 140);
        chart.setRuns({{10, 40}});
        QVERIFY(chart.seriesPoints(false).isEmpty());
        // Oldest run on the left; each series on its own scale, the best run
        // of each at the top of the plot.
        chart.setRuns({{10, 40}, {20, 90}, {15, 100}});
        const QList<QPointF> calls = chart.seriesPoints(false), chars = chart.seriesPoints(true);
        QVERIFY(calls.size() == 3 && calls[0].x() < calls[1].x() && calls[1].x() < calls[2].x());
        QVERIFY(calls[1].y() < calls[2].y() && calls[2].y() < calls[0].y());
        QVERIFY(chars[2].y() < chars[1].y() && qFuzzyCompare(chars[2].y(), calls[1].y()));
        QVERIFY(!chart.grab().isNull());
    }
};

QTEST_MAIN(TestPracticeViews)
#include "tst_practiceviews.moc"
