// The practice history read back and its two views: the reader's rules on
// real and malformed files, the order of the rows, and the window reached
// from the main window's button and from the message panel after a test.

#include "TestStation.h"
#include "practice/PracticeHistory.h"
#include "practice/ProgressChart.h"
#include "practice/TfmGradedCalls.h"
#include "practice/TfmMisses.h"
#include "practice/TfmPracticeScores.h"
#include "practice/TfmWinners.h"
#include "ui_TfmGradedCalls.h"
#include "ui_TfmMain.h"
#include "ui_TfmMisses.h"
#include "ui_TfmPracticeScores.h"
#include "ui_TfmWinners.h"

#include <QHeaderView>
#include <QTableView>
#include <QTest>

namespace {

const QByteArray kHeader = "Date,Time,LogFile,Logging Method,Test Case,Calls,Chars";

QByteArray Line(const QByteArray &logPath, const QByteArray &method, const QByteArray &testCase, int calls,
                int chars)
{
    return "05-Dec-2026, 08:15," + logPath + "," + method + "," + testCase + "," + QByteArray::number(calls) +
           "," + QByteArray::number(chars);
}

// A record as one text: the seven fields joined by '|'.
QString Flat(const TPracticeScore &s)
{
    return QString("%1|%2|%3|%4|%5|%6|%7")
        .arg(s.date, s.time, s.logFile, s.loggingMethod, s.testCase, QString::number(s.calls),
             QString::number(s.chars));
}

QStringList FlatAll(const std::optional<TPracticeScoreList> &scores)
{
    QStringList out;
    for (const TPracticeScore &s : scores.value())
        out.append(Flat(s));
    return out;
}

// What the practice scores window showed when it opened.
struct Seen
{
    QString caption;
    QString instructions;
    QStringList rows; // cells joined by '|'
    bool visible = false;
};

void WatchScores(ScriptedDialogs &dialogs, Seen &seen)
{
    dialogs.modalScripts.append([&seen](QDialog *d) {
        auto *w = qobject_cast<TfmPracticeScores *>(d);
        seen.caption = w->windowTitle();
        seen.instructions = w->ui()->moInstruct->toPlainText();
        seen.rows.clear();
        const QAbstractItemModel *model = w->ui()->lvPracticeScores->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c)
                cells.append(model->index(r, c).data().toString());
            seen.rows.append(cells.join(u'|'));
        }
        return 0;
    });
}

struct PracticeStation : TestStation
{
    PracticeStation()
        : TestStation({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo",
                       "VORLIX_WAVESOURCE_PRACTICE=p.wav,p.txt,Lakemont 2012"})
    {
        base.Write("PracticeWavesAndCalls/p.wav", MakeWave(8000, 8, 1, 30000));
        base.WriteLines("PracticeWavesAndCalls/p.txt", {"K5XX", "OH2BH"});
    }
};

} // namespace

class TestPracticeScores : public QObject
{
    Q_OBJECT

private slots:
    void readerRules()
    {
        TempBase base;
        const QString path = base.file("PracticeHistory.csv");
        QVERIFY(!PracticeHistory::Read(path));
        base.Write(
            "PracticeHistory.csv",
            kHeader + "\r\n" +
                Line("C:\\Data\\PracticeLogs\\PLAYER1-120513-1430.log", "Computer", "Lakemont 2012", 12, 50) +
                "\r\n" + Line("/b/PracticeLogs/K1ABC-030524-1407.log", "Paper", "Lakemont 2012", 15, 61) +
                // Six fields: the empty case vanishes, and so does the line.
                "\r\n" + Line("/b/X.log", "Paper", "", 3, 9) +
                // A comma in the path shifts the fields: read as it splits.
                "\r\n" + Line("/b/Smith,Jr/Y.log", "Computer", "Otter", 7, 20) +
                // A leading comma is skipped, counts read from their leading digits.
                "\r\n,,05-Dec-2026, 08:16,Z.log,Computer,Otter,9x,abc,extra,fields\n" + "12-Jan-2027\r\n" +
                QByteArray(1 << 20, 'Q') + "\r\n\r\n" +
                // Bytes that are not text, then a line of a megabyte with seven fields.
                QByteArray("\x00\xff\xfe,\x01,\x80,\x9f,\x02,3,4", 15) + "\n" +
                Line(QByteArray(1 << 20, 'L'), "Computer", QByteArray(40, 'C'), 2, 2));
        const QStringList all = FlatAll(PracticeHistory::Read(path));
        QCOMPARE(all.size(), 6);
        QCOMPARE(all.mid(0, 4),
                 (QStringList{"05-Dec-2026| 08:15|PLAYER1-120513-1430.log|Computer|Lakemont 2012|12|50",
                              "05-Dec-2026| 08:15|K1ABC-030524-1407.log|Paper|Lakemont 2012|15|61",
                              "05-Dec-2026| 08:15|Smith|Jr/Y.log|Computer|0|7",
                              "05-Dec-2026| 08:16|Z.log|Computer|Otter|9|0"}));
        QVERIFY(all[4].startsWith(QString(QChar(0)) + QChar(0xff) + QChar(0xfe)) && all[4].endsWith("|3|4"));
        // Every text field is cut at its width.
        QCOMPARE(all[5],
                 "05-Dec-2026| 08:15|" + QString(260, 'L') + "|Computer|" + QString(30, 'C') + "|2|2");
        // One case, in any letter case.
        QCOMPARE(FlatAll(PracticeHistory::Read(path, QString("lakemont 2012"))), all.mid(0, 2));
        QVERIFY(PracticeHistory::Read(path, QString("Test Case"))->empty());

        // Lone CR line ends; the header alone is no score; a header that is not line 1 is read like any line.
        const QList<QPair<QByteArray, QStringList>> files = {
            {kHeader + "\r" + Line("a.log", "Paper", "Otter", 1, 4) + "\r",
             {"05-Dec-2026| 08:15|a.log|Paper|Otter|1|4"}},
            {kHeader + "\r\n", {}},
            {"\r\n" + kHeader, {"Date|Time|LogFile|Logging |Test Case|0|0"}}};
        for (const auto &[bytes, rows] : files) {
            base.Write("PracticeHistory.csv", bytes);
            QCOMPARE(FlatAll(PracticeHistory::Read(path)), rows);
        }
        // A history beyond all reason is not read in.
        {
            QFile huge(path);
            QVERIFY(huge.open(QIODevice::Append) && huge.resize(PracticeHistory::kMaxBytes + 1));
        }
        QCOMPARE(StationErrorOf([&] { PracticeHistory::Read(path); }),
                 "The practice history file " + path + " is too large to show (256 MB)");
        // A folder by that name cannot be read.
        QDir().mkpath(base.file("Folder.csv"));
        QCOMPARE(StationErrorOf([&] { PracticeHistory::Read(base.file("Folder.csv")); }),
                 "Cannot open file " + base.file("Folder.csv"));
    }

    void sortOrder()
    {
        TPracticeScoreList scores;
        const std::tuple<const char *, int, const char *> rows[] = {{"Lakemont 2012", 12, "a"},
                                                                    {"lakemont 2010", 3, "b"},
                                                                    {"Lakemont 2012", 15, "c"},
                                                                    {"LAKEMONT 2012", 12, "d"},
                                                                    {"Bravo", 1, "e"}};
        for (const auto &[testCase, calls, log] : rows) {
            scores.emplace_back();
            scores.back().testCase = testCase;
            scores.back().calls = calls;
            scores.back().logFile = log;
        }
        PracticeHistory::Sort(scores);
        QString order;
        for (const TPracticeScore &s : scores)
            order += s.logFile;
        // Case ascending whatever its letter case, calls descending, ties in file order.
        QCOMPARE(order, QStringLiteral("ebcad"));
    }

    void allCasesWindow()
    {
        PracticeStation st;
        QVERIFY(st.start());
        st.ui().rbPractice->click();
        QVERIFY(!st.ui().bnShowPrevPractice->isHidden());
        // Created at start-up with its header only: nothing to list.
        QCOMPARE(st.shownBy([&] { st.ui().bnShowPrevPractice->click(); }),
                 QStringList{"No practice scores available"});
        QCOMPARE(st.dialogs.modalCount, 0);
        st.base.Write("PracticeHistory.csv",
                      kHeader + "\r\n" + Line("/b/PracticeLogs/A.log", "Computer", "Lakemont 2012", 12, 50) +
                          "\r\n" + Line("/b/PracticeLogs/B.log", "Paper", "lakemont 2010", 3, 12) + "\r\n" +
                          Line("/b/PracticeLogs/C.log", "Computer", "Lakemont 2012", 15, 61) + "\r\n");
        Seen seen;
        WatchScores(st.dialogs, seen);
        QVERIFY(st.shownBy([&] { st.ui().bnShowPrevPractice->click(); }).isEmpty());
        QCOMPARE(seen.caption, QStringLiteral("Practice Scores All Test Cases"));
        QCOMPARE(seen.instructions,
                 "Here are previous scores for all test cases. Characters denotes the number "
                 "of characters in the correct calls\nAll logs are saved in: " +
                     st.main->paths().practiceLogs());
        QCOMPARE(seen.rows, (QStringList{"1|05-Dec-2026| 08:15|B.log|Paper|lakemont 2010|3|12",
                                         "2|05-Dec-2026| 08:15|C.log|Computer|Lakemont 2012|15|61",
                                         "3|05-Dec-2026| 08:15|A.log|Computer|Lakemont 2012|12|50"}));

        // The window as it stays: its columns, their alignments and limits,
        // the folder and sources handed to it; Escape closes it.
        TfmPracticeScores &w = st.main->PracticeScores();
        QCOMPARE(w.logsFolder(), st.main->paths().practiceLogs());
        QCOMPARE(w.sources().size(), size_t(1));
        QCOMPARE(w.sources()[0]->testCaseName(), QStringLiteral("Lakemont 2012"));
        QCOMPARE(w.ui()->Label1->text(),
                 QStringLiteral(
                     "Note 1: Click on an item to obtain a list of correct and incorrect calls.  Note 2: "
                     "Click on the Test Case column header to see info on the original running of the "
                     "tests."));
        const QAbstractItemModel *model = w.ui()->lvPracticeScores->model();
        QStringList captions;
        for (int c = 0; c < model->columnCount(); ++c) {
            captions.append(model->headerData(c, Qt::Horizontal).toString());
            const int align = model->index(0, c).data(Qt::TextAlignmentRole).toInt();
            QCOMPARE(bool(align & Qt::AlignRight), c >= 6);
        }
        QCOMPARE(captions, (QStringList{"Item", "Date", "Time", "Log File", "Logging Method", "Test Case",
                                        "Correct Calls", "Characters"}));
        const int limits[][3] = {{0, 10, 50}, {1, 50, 100}, {6, 50, 100}, {7, 50, 150}};
        for (const auto &l : limits) {
            const int width = w.ui()->lvPracticeScores->columnWidth(l[0]);
            QVERIFY2(width >= l[1] && width <= l[2], qPrintable(QString::number(l[0])));
        }
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());

        // The file gone: told so, and no window.
        QVERIFY(QFile::remove(st.base.file("PracticeHistory.csv")));
        const int modals = st.dialogs.modalCount;
        QCOMPARE(st.shownBy([&] { st.ui().bnShowPrevPractice->click(); }),
                 QStringList{"Could not find the practice history file"});
        QCOMPARE(st.dialogs.modalCount, modals);
    }

    void caseScoresAfterTest()
    {
        PracticeStation st;
        st.clock.set(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 30)));
        QVERIFY(st.start());
        st.base.Write("PracticeHistory.csv",
                      kHeader + "\r\n" + Line("/b/Old.log", "Paper", "LAKEMONT 2012", 9, 30) + "\r\n" +
                          Line("/b/k1abc-010124-0900.log", "Computer", "Lakemont 2012", 4, 20) + "\r\n" +
                          Line("/b/Other.log", "Computer", "Otter", 20, 80) + "\r\n");
        st.ui().rbPractice->click();
        st.answerLogging(true);
        st.answerCase("Lakemont 2012");
        st.enterCallSign("K1ABC");
        st.clock.advanceSecs(3);
        st.typeCall("OH2BH");
        st.clock.setMonotonicMs(st.main->session().audioStartMs() + 30000);
        st.main->tmPCCompleteTimer();
        QVERIFY(QMetaObject::invokeMethod(&st.main->tmPracticePrompt(), "timeout"));
        QCOMPARE(st.ui().pnMessage->text(), QStringLiteral("Click here to see previous practice scores"));

        Seen seen;
        WatchScores(st.dialogs, seen);
        QTest::mouseClick(st.ui().pnMessage, Qt::LeftButton);
        QCOMPARE(seen.caption, QStringLiteral("Practice Scores for Lakemont 2012"));
        QCOMPARE(
            seen.instructions,
            "Here are all scores for the current test case. Characters denotes the number of characters in "
            "the correct calls.\nAll logs are saved in: " +
                st.main->paths().practiceLogs());
        QCOMPARE(seen.rows,
                 (QStringList{"1|05-Dec-2026| 08:15|Old.log|Paper|LAKEMONT 2012|9|30",
                              "2|05-Dec-2026| 08:15|k1abc-010124-0900.log|Computer|Lakemont 2012|4|20",
                              "3|05-Mar-2024| 14:08|K1ABC-030524-1407.log|Computer|Lakemont 2012|1|5"}));
        // Then the station is ready for the next player; the panel is spent.
        QVERIFY(st.ui().ebCallEntry->text().isEmpty() && st.ui().pnMessage->text().isEmpty());
        QVERIFY(st.ui().ebCallSign->isEnabled());

        // The window leads on: its chart follows the runs of the player in
        // box 1 in the order played, then the player of the row the arrow
        // keys reach, opening nothing; Enter or a click opens the row's call
        // analysis, or tells what is gone; "Test Case" or Alt+T the winners
        // of the configured cases listed, other columns nowhere.
        TfmPracticeScores &w = st.main->PracticeScores();
        ProgressChart &chart = w.progressChart();
        QVERIFY(!chart.isHidden());
        QCOMPARE(chart.player(), QStringLiteral("K1ABC"));
        QVERIFY(chart.runs().size() == 2 && chart.runs()[0].calls == 4 && chart.runs()[1].chars == 5);
        QTableView *list = w.ui()->lvPracticeScores;
        w.show();
        w.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &w);
        list->setFocus();
        QStringList opened;
        for (int view = 0; view < 4; ++view) {
            st.dialogs.modalScripts.append([&opened](QDialog *d) {
                if (auto *g = qobject_cast<TfmGradedCalls *>(d))
                    opened.append(g->ui()->ebLog->text() + " " + g->ui()->ebGood->text() + "/" +
                                  g->ui()->ebEntries->text());
                else if (auto *wn = qobject_cast<TfmWinners *>(d))
                    opened.append(wn->ui()->lvWinners->item(0, 0)->text() + " " +
                                  QString::number(wn->ui()->lvWinners->rowCount()));
                return 0;
            });
        }
        QVERIFY(st.shownBy([&] {
                      QTest::keyClick(list, Qt::Key_Down);
                      QTest::keyClick(list, Qt::Key_Up);
                  }).isEmpty());
        QVERIFY(chart.player() == "OLD" && chart.runs().size() == 1);
        QCOMPARE(st.shownBy([&] { QTest::keyClick(list, Qt::Key_Return); }),
                 QStringList{"Requested log file no longer exists"});
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QVERIFY(chart.player() == "K1ABC" && opened.isEmpty());
        QTest::keyClick(list, Qt::Key_T, Qt::AltModifier);
        QTest::keyClick(list, Qt::Key_Enter);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(2, 3)).center());
        list->horizontalHeader()->sectionClicked(1);
        list->horizontalHeader()->sectionClicked(5);
        QCOMPARE(opened, (QStringList{"Lakemont 2012 1", "K1ABC-030524-1407.log 1/1",
                                      "K1ABC-030524-1407.log 1/1", "Lakemont 2012 1"}));
        // What the charted player misses, over his runs whose logs are there;
        // a new case asked for from there goes to the maker handed over.
        QList<CaseOffer> offers;
        w.setCaseMaker([&](const CaseOffer &offer) { offers << offer; });
        st.dialogs.modalScripts.append([&opened](QDialog *d) {
            if (auto *m = qobject_cast<TfmMisses *>(d)) {
                opened.append(m->windowTitle() + " " + QString::number(m->ui()->lvRuns->rowCount()));
                m->ui()->bnNextLevel->click();
            }
            return 0;
        });
        QTest::keyClick(list, Qt::Key_W, Qt::AltModifier);
        QCOMPARE(opened.last(), QStringLiteral("What I Miss: K1ABC 1"));
        QCOMPARE(offers.size(), qsizetype(1));
        QVERIFY2(offers[0].levelReason.startsWith("Your last 2 runs: "), qPrintable(offers[0].levelReason));
        w.hide();

        // No line of this case: told so.
        st.ui().pnMessage->setText("Click here to see previous practice scores");
        st.main->session().testCompleted = true;
        st.base.Write("PracticeHistory.csv",
                      kHeader + "\r\n" + Line("/b/Other.log", "Computer", "Otter", 2, 8));
        QCOMPARE(st.shownBy([&] { QTest::mouseClick(st.ui().pnMessage, Qt::LeftButton); }),
                 QStringList{"No practice scores available for this case"});
        // A history that cannot be read is told, and the next player still signs in.
        QVERIFY(QFile::remove(st.base.file("PracticeHistory.csv")));
        QVERIFY(QDir().mkpath(st.base.file("PracticeHistory.csv")));
        st.ui().pnMessage->setText("Click here to see previous practice scores");
        st.main->session().testCompleted = true;
        QCOMPARE(st.shownBy([&] { QTest::mouseClick(st.ui().pnMessage, Qt::LeftButton); }),
                 QStringList{"Cannot open file " + st.base.file("PracticeHistory.csv")});
        QVERIFY(st.ui().pnMessage->text().isEmpty() && st.ui().ebCallSign->isEnabled());
    }
};

QTEST_MAIN(TestPracticeScores)
#include "tst_practicescores.moc"
