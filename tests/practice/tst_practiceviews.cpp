// The practice views' logic: the call-by-call analysis of a practice log
// (grading every line against the case's check list, the two refusals, the
// window that shows it) and the chart of a player's runs of one case.

#include "TempBase.h"
#include "practice/CharacterHeatMap.h"
#include "practice/GradedCalls.h"
#include "practice/MissAnalysis.h"
#include "practice/PlayerRuns.h"
#include "practice/ProgressChart.h"
#include "practice/TfmGradedCalls.h"
#include "practice/TfmMisses.h"
#include "practice/Winners.h"
#include "ui_TfmGradedCalls.h"
#include "ui_TfmMisses.h"

#include <QApplication>
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
        // A player's runs are told apart by the call in the log's name.
        QCOMPARE(PlayerRuns::PlayerOf("/logs/K5XX-120726-0730.LOG"), QStringLiteral("K5XX"));
        QCOMPARE(PlayerRuns::PlayerOf("Old.log"), QStringLiteral("Old"));
        QCOMPARE(PlayerRuns::PlayerOf("K5XX-1207a6-0730.log"), QStringLiteral("K5XX-1207a6-0730"));
        TPracticeScoreList played(3);
        played[0].logFile = "k5xx-010124-0900.log", played[0].calls = 10, played[0].chars = 40;
        played[1].logFile = "W1AW-010124-0930.log", played[1].calls = 50, played[1].chars = 200;
        played[2].logFile = "K5XX-020124-0900.log", played[2].calls = 20, played[2].chars = 90;
        const PlayerRuns byPlayer(played);
        QCOMPARE(byPlayer.of(" k5xx").size(), 2);
        QVERIFY(byPlayer.of("").isEmpty() && byPlayer.of("K5X").isEmpty());

        ProgressChart chart;
        chart.resize(300, 160);
        chart.setRuns("K5XX", {{"01-Jan-2024", 10, 40}});
        QVERIFY(chart.seriesPoints(false).isEmpty());
        // Oldest run on the left; each series on its own scale, the best run
        // of each at the top of the plot and its label.
        chart.setRuns("K5XX", {{"01-Jan-2024", 10, 40}, {"02-Jan-2024", 20, 90}, {"03-Jan-2024", 15, 100}});
        const QList<QPointF> calls = chart.seriesPoints(false), chars = chart.seriesPoints(true);
        QVERIFY(calls.size() == 3 && calls[0].x() < calls[1].x() && calls[1].x() < calls[2].x());
        QVERIFY(calls[1].y() < calls[2].y() && calls[2].y() < calls[0].y());
        QVERIFY(chars[2].y() < chars[1].y() && qFuzzyCompare(chars[2].y(), calls[1].y()));
        QVERIFY(chart.scaleTop(false) == 20 && chart.scaleTop(true) == 100);
        QVERIFY(!chart.grab().isNull());

        // Years of runs: at most two points per pixel column, the extremes
        // kept, and the points follow a resize.
        QList<ProgressChart::Run> many;
        for (int i = 0; i < 50000; ++i)
            many.append({"01-Jan-2024", i % 97, i % 89});
        many[25000].calls = 500;
        chart.setRuns("K5XX", many);
        QList<QPointF> dense = chart.seriesPoints(false);
        QVERIFY(dense.size() <= 2 * chart.width() && dense.size() > chart.width() / 2);
        // The one best run survives: calls reach the top as characters do.
        const auto highest = [](const QList<QPointF> &points) {
            return std::min_element(points.begin(), points.end(),
                                    [](QPointF a, QPointF b) { return a.y() < b.y(); })
                ->y();
        };
        QCOMPARE(highest(dense), highest(chart.seriesPoints(true)));
        QCOMPARE(chart.scaleTop(false), 500);
        chart.resize(600, 160);
        QVERIFY(chart.seriesPoints(false).last().x() > dense.last().x() + 200);
    }

    void whatAPlayerMisses()
    {
        // Parts of a call: portable additions go with the prefix or suffix.
        QString parts;
        for (const QString call : {"DL1ABC", "VP2V/K5ZZ", "K5ZZ/P", "4X4ABC"})
            for (qsizetype i = 0; i < call.size(); ++i)
                parts += "pns"[MissAnalysis::PartAt(call, i)];
        QCOMPARE(parts, QStringLiteral("ppnsss"
                                       "ppppppnss"
                                       "pnssss"
                                       "ppnsss"));

        // A history with known mistakes: two computer runs of K1ABC, his
        // paper run, another player's run and a line whose log is gone.
        TempBase base;
        base.WriteLines("PracticeWavesAndCalls/qCalls.txt",
                        {"K5XX", "W1AW", "DL1ABC", "VP2V/K5ZZ", "JA1XYZ"});
        // The speeds of a made case's callers (the first sending counts).
        base.WriteLines("PracticeWavesAndCalls/QTimeline.csv",
                        {"Call,PitchHz,WPM,StartS,EndS", "K5XX,600,18,1,2", "W1AW,650,26,2,3",
                         "K5XX,600,44,4,5", "DL1ABC,700,29.9,3,4", "VP2V/K5ZZ,500,41,5,6",
                         "JA1XYZ,550,33,6,7", "N0PE,550,33,6,7"});
        const TWaveSourcePair source("VORLIX_WAVESOURCE_PRACTICE=q.wav,qCalls.txt,Quick,K1ZZ,80,40",
                                     base.file("PracticeWavesAndCalls"));
        const QString logs = base.file("PracticeLogs");
        base.WriteLines("PracticeLogs/K1ABC-010124-0900.log", {"K5XX", "w1am", "DLABC", "JA1XYZE", "QQQQQQ"});
        base.WriteLines("PracticeLogs/K1ABC-020124-0900.log", {"H5XX", "W1AM", " VP2V/K5Z "});
        base.WriteLines("PracticeLogs/K1ABC-030124-0900.log", {"Q1Q"});
        base.WriteLines("PracticeLogs/W9ZZ-010124-1000.log", {"Q5XX"});
        const QString header = "Date,Time,LogFile,Logging Method,Test Case,Calls,Chars\r\n";
        base.Write("PracticeHistory.csv",
                   (header + "01-Jan-2024, 09:10," + logs + "/K1ABC-010124-0900.log,Computer,Quick,1,4\r\n" +
                    "01-Jan-2024, 10:10," + logs + "/W9ZZ-010124-1000.log,Computer,Quick,0,0\r\n" +
                    "02-Jan-2024, 09:10," + logs + "/K1ABC-020124-0900.log,Computer,Quick,0,0\r\n" +
                    "03-Jan-2024, 09:10," + logs + "/K1ABC-030124-0900.log,Paper,Quick,0,0\r\n" +
                    "04-Jan-2024, 09:10," + logs + "/K1ABC-040124-0900.log,Computer,Quick,0,0\r\n")
                       .toLatin1());
        const MissAnalysis::Report report =
            MissAnalysis::Analyse(base.file("PracticeHistory.csv"), logs, {&source}, "k1abc");
        const auto pair = [](char sent, char typed) {
            return qMakePair(sent ? QChar(sent) : QChar(), typed ? QChar(typed) : QChar());
        };
        QCOMPARE(report.confusions, (QHash<QPair<QChar, QChar>, int>{{pair('W', 'M'), 2},
                                                                     {pair('1', 0), 1},
                                                                     {pair(0, 'E'), 1},
                                                                     {pair('K', 'H'), 1},
                                                                     {pair('Z', 0), 1}}));
        QCOMPARE(report.commonest(1).first(), qMakePair(pair('W', 'M'), 2));
        QCOMPARE(report.byPart, (std::array<int, 3>{1, 1, 4}));
        QVERIFY(report.madeUp == 1 && report.unreadLogs == 1);
        QVERIFY(report.characters['W'].sent == 4 && report.characters['W'].confused == 2);
        QVERIFY(report.characters['E'].added == 1 && report.characters['Z'].missed == 1);
        QCOMPARE(report.runs.size(), size_t(2));
        QVERIFY(report.runs[0].sentChars == 20 && report.runs[0].errors == 3 &&
                report.runs[0].date == "01-Jan-2024");
        QVERIFY(report.runs[1].sentChars == 17 && report.runs[1].errors == 3);
        QString speeds;
        for (int band = 0; band < MissAnalysis::SpeedBands; ++band)
            speeds += QStringLiteral("%1:%2/%3 ")
                          .arg(MissAnalysis::SpeedBandName(band))
                          .arg(report.bySpeed[size_t(band)].errors)
                          .arg(report.bySpeed[size_t(band)].sentChars);
        QCOMPARE(speeds, QStringLiteral("under 20 WPM:1/8 20-24 WPM:0/0 25-29 WPM:3/14 30-34 WPM:1/6 "
                                        "35-39 WPM:0/0 40 WPM and over:1/9 "));

        // The window: the commonest mistakes first, the heat map's shares,
        // the runs with their mistakes per 100 characters.
        TfmMisses window;
        window.Fill(report);
        const QTableWidget *list = window.ui()->lvConfusions;
        QCOMPARE(list->rowCount(), 5);
        QCOMPARE(list->item(0, 0)->text() + list->item(0, 1)->text() + list->item(0, 2)->text(),
                 QStringLiteral("WM2"));
        QCOMPARE(list->item(1, 0)->text() + list->item(1, 1)->text(), QStringLiteral("(nothing)E"));
        QVERIFY(qFuzzyCompare(window.heatMap().rateOf('W'), 0.5) && window.heatMap().rateOf('Q') < 0);
        QVERIFY(window.heatMap().accessibleDescription().startsWith("W 50 percent"));
        QCOMPARE(window.ui()->lvRuns->item(1, 3)->text(), QStringLiteral("17.6"));
        QVERIFY(window.ui()->lbSummary->text().contains("in the suffix: 4"));
        QVERIFY(
            window.ui()->lbSummary->text().endsWith("by speed (cases made here): under 20 WPM 12.5, 25-29 "
                                                    "WPM 21.4, 30-34 WPM 16.7, 40 WPM and over 11.1."));

        // A new case from there: nothing to ask before a maker is set, and
        // no character sent often enough to aim at yet. Alt+N offers the
        // level of his last runs: 1 of the 5 calls, then none, of a case of
        // 1 caller a minute (5 calls, no recording: 5 minutes).
        QVERIFY(!window.ui()->bnPractiseThese->isEnabled() && !window.ui()->bnNextLevel->isEnabled());
        QList<CaseOffer> offers;
        window.setCaseMaker([&](const CaseOffer &offer) { offers << offer; });
        window.setHistory(base.file("PracticeHistory.csv"), {&source});
        QVERIFY(!window.ui()->bnPractiseThese->isEnabled() && window.ui()->bnNextLevel->isEnabled());
        window.show();
        window.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &window);
        QTest::keyClick(&window, Qt::Key_N, Qt::AltModifier);
        QCOMPARE(offers.size(), qsizetype(1));
        const QString reason = "Your last 4 runs: 5 % of the calls copied at First pileup; under 30 % "
                               "moves you one level down: First pileup";
        QVERIFY(offers[0].level == "First pileup" && offers[0].levelReason == reason);
        QVERIFY(offers[0].callList.isEmpty() && offers[0].aim.isEmpty());
        // W taken for M 5 times in 20: Alt+P offers calls full of W at that
        // level, enough for a 6-minute case three times over.
        MissAnalysis::Report weakW = report;
        weakW.characters['W'] = {20, 1, 5, 0};
        window.Fill(weakW);
        QVERIFY(window.ui()->bnPractiseThese->isEnabled());
        QCOMPARE(window.ui()->bnPractiseThese->accessibleDescription(),
                 QStringLiteral("A new case with W about four times as often as usual (Alt+P)"));
        QTest::keyClick(&window, Qt::Key_P, Qt::AltModifier);
        QCOMPARE(offers.size(), qsizetype(2));
        QVERIFY(offers[1].level == "First pileup" && offers[1].levelReason == reason);
        QCOMPARE(offers[1].aim, QStringLiteral("W about four times as often as usual"));
        QCOMPARE(offers[1].callList.size(), qsizetype(3 * 8 * 6));
        QVERIFY(offers[1].callList.join(QString()).count(u'W') > offers[1].callList.size() / 4);
        window.ui()->bnNextLevel->click();
        QCOMPARE(offers.size(), qsizetype(3));
        window.setCaseMaker({});
        QVERIFY(!window.ui()->bnPractiseThese->isEnabled() && !window.ui()->bnNextLevel->isEnabled());

        // Five clean runs later: each mistake per 1000 characters then, and in the last five runs.
        QByteArray later;
        for (int day = 5; day <= 9; ++day) {
            const QString log = "K1ABC-0" + QString::number(day) + "0124-0900.log";
            base.WriteLines("PracticeLogs/" + log, {"K5XX", "W1AW"});
            later += QStringLiteral("0%1-Jan-2024, 09:10,%2/%3,Computer,Quick,2,8\r\n")
                         .arg(day)
                         .arg(logs, log)
                         .toLatin1();
        }
        base.Write("PracticeHistory.csv", base.Read("PracticeHistory.csv") + later);
        window.Fill(MissAnalysis::Analyse(base.file("PracticeHistory.csv"), logs, {&source}, "K1ABC"));
        QCOMPARE(list->item(0, 3)->text(), QStringLiteral("54.1 / 0.0")); // W for M: 2 in 37, none in 40
    }
};

QTEST_MAIN(TestPracticeViews)
#include "tst_practiceviews.moc"
