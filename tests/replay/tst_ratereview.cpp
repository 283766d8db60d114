// The rate review: its rows built from timed-score files (the MinTop row and
// the ground rows against it), and its window playing and colouring the
// interval whose heading or chart band is clicked.

#include "ScriptedDialogs.h"
#include "TempBase.h"
#include "replay/RateReview.h"
#include "replay/RatesChart.h"
#include "replay/TfmReviewRates.h"
#include "ui_TfmReviewRates.h"
#include "util/Clock.h"
#include "util/TimedScore.h"
#include "util/WavePlayer.h"

#include <QHeaderView>
#include <QTest>

namespace {

const QString CaseFolder = QStringLiteral("PracticeWavesAndCalls/Tessel-TimedScores/Lakemont 2012/");
const QString UserFolder = QStringLiteral("PracticeLogs/PracticeTimedScores/Lakemont 2012/");

// A competition of two top players; MinTop gains 10 then 15 characters in
// the intervals at 80 and 100, the competitor 10 then 12, the user 10 then 20.
void WriteCompetition(const TempBase &base)
{
    base.WriteLines(CaseFolder + "TS_W1LOWER.txt", {"90,1,40", "110,2,80"});
    base.WriteLines(CaseFolder + "TS_K2BB.txt", {"85,1,30", "115,2,60"});
    base.WriteLines(CaseFolder + "TS_w1low.txt", {"99,1,10", "110,2,22"});
    base.WriteLines(UserFolder + "TS_ME-010213-1405.txt", {"99,1,10", "110,2,30"});
    base.WriteLines("TS_MinTop[2].txt", {"99,0,10", "119,0,25"});
}

QStringList Captions(const QList<QStringList> &rows)
{
    QStringList captions;
    for (const QStringList &row : rows)
        captions.append(row.first());
    return captions;
}

// The fill of each column of a table row: r(ed), y(ellow), w(hite), or "."
// where the cell keeps its own.
QString Fills(const QTableWidget *list, int row = 0)
{
    QString fills;
    for (int column = 0; column < list->columnCount(); ++column) {
        const QBrush brush = list->item(row, column)->background();
        const QColor colour = brush.color();
        fills += brush.style() == Qt::NoBrush ? u'.'
                 : colour == Qt::red          ? u'r'
                 : colour == Qt::yellow       ? u'y'
                 : colour == Qt::white        ? u'w'
                                              : u'?';
    }
    return fills;
}

void ClickHeading(TfmReviewRates &window, const QString &caption)
{
    QHeaderView *header = window.ui()->lvRates->horizontalHeader();
    for (int column = 0; column < header->count(); ++column) {
        if (window.ui()->lvRates->horizontalHeaderItem(column)->text() != caption)
            continue;
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        return;
    }
    QFAIL(qPrintable("no column " + caption));
}

// A review window over the competition's rows, with a 230-second recording
// on the silent player and its timer left to the test.
struct ReviewFixture
{
    TempBase base;
    ManualClock clock;
    WavePlayer player{clock, WavePlayer::Output::Silent};
    ScriptedDialogs dialogs;
    TfmReviewRates window{dialogs, player};
    std::unique_ptr<TTimedScore> top, chosen;

    ReviewFixture()
    {
        WriteCompetition(base);
        top = LoadTimedScore(base.file(CaseFolder), "TS_W1LOWER.txt");
        chosen = LoadTimedScore(base.file(CaseFolder), "TS_W1LOW.txt");
        // Made once: a long recording takes a while to fill.
        static const QByteArray recording = MakeWave(8000, 8, 1, 230000);
        base.Write("Lakemont2012.wav", recording);
        player.setFileName(base.file("Lakemont2012.wav"));
        window.findChild<QTimer *>("tmPrevInterval")->stop();
        window.ShowRows(Rows(), "Lakemont 2012");
        window.show();
    }
    QList<QStringList> Rows() const
    {
        return BuildRateRows(
            {{top.get()}, base.path() + '/', "TS_MinTop[2].txt", chosen.get(), "W1LOW", {}, {}});
    }
};

} // namespace

class TestRateReview : public QObject
{
    Q_OBJECT

private slots:
    void rowsAndGroundAgainstMinTop()
    {
        TempBase base;
        WriteCompetition(base);
        const QString folder = base.file(CaseFolder);
        const auto first = LoadTimedScore(folder, "TS_W1LOWER.txt"),
                   second = LoadTimedScore(folder, "TS_K2BB.txt");
        const auto chosen = LoadTimedScore(folder, "TS_W1LOW.txt");
        const auto user = LoadTimedScore(base.file(UserFolder), "TS_ME-010213-1405.txt");
        const QString me = "ME-010213-1405";
        const struct
        {
            bool competitor, userShown;
            QStringList captions;
        } cases[] = {
            {false, false, {"W1LOWER", "K2BB"}},
            {true, false, {"W1LOWER", "K2BB", "MinTop[2]", "W1LOW", "MinTop-W1LOW"}},
            {false, true, {"W1LOWER", "K2BB", "MinTop[2]", me, "MinTop-" + me}},
            {true, true, {"W1LOWER", "K2BB", "MinTop[2]", "W1LOW", me, "MinTop-W1LOW", "MinTop-" + me}},
        };
        for (const auto &c : cases) {
            RateReviewInput input;
            input.topFive = {first.get(), second.get()};
            input.baseFolder = base.path() + '/';
            input.minTopFileName = "TS_MinTop[2].txt";
            if (c.competitor) {
                input.competitor = chosen.get();
                input.competitorCall = "W1LOW";
            }
            if (c.userShown) {
                input.userText = me;
                input.userBest = user.get();
            }
            const QList<QStringList> rows = BuildRateRows(input);
            QCOMPARE(Captions(rows), c.captions);
            QCOMPARE(int(rows[0].size()), 21);
            QCOMPARE(rows[0].mid(4, 4), (QStringList{"0", "40", "40", "0"}));
            // Ground rows: the MinTop cell minus the player's, interval by interval.
            for (const QStringList &row : rows) {
                if (!row.first().startsWith("MinTop-"))
                    continue;
                QCOMPARE(int(row.size()), 19);
                QCOMPARE(row.mid(4, 4), (QStringList{"0", "0", row.first().endsWith(me) ? "-5" : "3", "0"}));
            }
        }
    }

    void headingClicksPlayAndColour()
    {
        ReviewFixture f;
        QTableWidget *list = f.window.ui()->lvRates;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        // Before any click every interval is white.
        QCOMPARE(Fills(list), "." + QString(20, u'w'));

        const struct
        {
            QString offset, heading;
            int fromSecond, toSecond;
            QString redFills; // until the audio reaches the interval
            int ticksRed;     // ticks it stays so
        } clicks[] = {
            {"5", "100", 95, 120, ".....ry" + QString(14, u'w'), 5},
            {"20", "20", 0, 40, ".ry" + QString(18, u'w'), 20},
            {"10", "0", 0, 20, ".y" + QString(19, u'w'), 0},
            {"0", "200", 200, 220, QString(11, u'.') + "y" + QString(9, u'w'), 0},
        };
        for (const auto &c : clicks) {
            f.window.ui()->cbOffset->setCurrentText(c.offset);
            ClickHeading(f.window, c.heading);
            QVERIFY(f.dialogs.shown.isEmpty());
            QCOMPARE(f.player.position(), qint64(c.fromSecond) * 1000);
            QCOMPARE(Fills(list), c.redFills);
            QCOMPARE(Fills(list, list->rowCount() - 1), c.redFills);
            for (int tick = 0; tick < c.ticksRed; ++tick)
                f.window.tmPrevIntervalTimer();
            QCOMPARE(Fills(list), c.redFills);
            f.window.tmPrevIntervalTimer();
            QCOMPARE(Fills(list), QString(c.redFills).replace(u'r', u'w'));

            f.clock.advanceSecs(c.toSecond - c.fromSecond + 1);
            QCOMPARE(f.player.position(), qint64(c.toSecond) * 1000);
            QVERIFY(!f.player.isPlaying());
        }

        // The other headings play nothing and keep the colours.
        const QString fills = Fills(list);
        for (const QString heading : {"Call", "Average[1]", "Deviation[1]"}) {
            ClickHeading(f.window, heading);
            QVERIFY(!f.player.isPlaying() && Fills(list) == fills);
        }
        QCOMPARE(f.window.chart()->selectedInterval(), 10);
    }

    void windowLifecycleAndChart()
    {
        ReviewFixture f;
        QTableWidget *list = f.window.ui()->lvRates;
        QCOMPARE(f.window.ui()->cbOffset->currentText(), "2");
        QCOMPARE(f.window.windowTitle(), "Reviewing Rates for Lakemont 2012");
        QCOMPARE(int(f.window.chart()->series().size()), 3); // no chart line for the ground row

        // A click on the chart plays its interval, as its heading does.
        RatesChart *chart = f.window.chart();
        QTest::mouseClick(chart, Qt::LeftButton, {}, chart->intervalBand(7).center().toPoint());
        QVERIFY(f.player.isPlaying() && f.player.position() == 138000);
        QVERIFY(chart->selectedInterval() == 7 && Fills(list).mid(7, 3) == "ryw");

        // Shown again with new rows, the selection stays; Escape while
        // playing stops the audio and closes the window.
        f.window.ShowRows(f.Rows(), "Lakemont 2013");
        QString fillsShown;
        bool playedThere = false;
        f.dialogs.modalScripts.append([&](QDialog *dialog) {
            fillsShown = Fills(list).mid(7, 3);
            ClickHeading(f.window, "40");
            playedThere = f.player.isPlaying();
            QTest::keyClick(dialog, Qt::Key_Escape);
            return dialog->isHidden() ? int(QDialog::Accepted) : -1;
        });
        QCOMPARE(f.dialogs.ShowModal(&f.window), int(QDialog::Accepted));
        QVERIFY(fillsShown == "ryw" && playedThere && !f.player.isOpen());
        QCOMPARE(f.window.windowTitle(), "Reviewing Rates for Lakemont 2013");

        // A recording that cannot be opened is reported, and nothing breaks.
        f.player.setFileName(f.base.file("gone.wav"));
        f.window.show();
        ClickHeading(f.window, "60");
        QCOMPARE(f.dialogs.texts(), QStringList{"Cannot open file " + f.base.file("gone.wav")});
    }
};

QTEST_MAIN(TestRateReview)
#include "tst_ratereview.moc"
