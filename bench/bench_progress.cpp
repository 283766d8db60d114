// The practice scores of one case over a long history, with the chart of
// one player's progress: 50,000 lines of the case by default, more than
// half of them by one busy player. Targets: the view opens (read, filled,
// shown and drawn once) in at most 300 ms; the chart repaints in at most
// 20 ms, also as the window is resized.
//
//   build/bin/bench_progress [lines] [runs]
//
// Timed, each as the median of the runs:
//   open     ShowCaseScores until the window is drawn once (offscreen)
//   repaint  the chart drawn again at the window's size (into a pixmap)
//   resize   the window made wider, then drawn again
// The chart is then checked to show the busy player's runs, all of them;
// the benchmark fails (exit code 1) when it does not.

#include "RandomCall.h"
#include "practice/PracticeScoreViews.h"
#include "practice/ProgressChart.h"
#include "practice/TfmPracticeScores.h"
#include "ui/Dialogs.h"
#include "util/SessionPaths.h"
#include "util/TextFile.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString kCase = QStringLiteral("Lakemont 2012");
const QString kBusy = QStringLiteral("K5XX");

QStringList HistoryLines(int count, int &busyRuns)
{
    QRandomGenerator random(20261207);
    QStringList calls;
    for (int i = 0; i < 60; ++i)
        calls.append(RandomCall(random));
    QStringList lines{QString::fromLatin1(SessionPaths::kHistoryHeader)};
    const QDateTime first(QDate(2015, 1, 1), QTime(8, 0));
    busyRuns = 0;
    for (int i = 0; i < count; ++i) {
        const QDateTime when = first.addSecs(qint64(i) * 1800 + random.bounded(1200));
        const bool busy = random.bounded(5) < 3;
        busyRuns += busy;
        const int calls_ = std::min(150, 20 + i * 100 / count + int(random.bounded(30)));
        lines.append(when.toString(QStringLiteral("dd-MMM-yyyy, hh:mm")) + QStringLiteral(",/logs/") +
                     (busy ? kBusy : calls[random.bounded(calls.size())]) +
                     when.toString(QStringLiteral("-MMddyy-hhmm")) + ".log,Computer," + kCase + u',' +
                     QString::number(calls_) + u',' +
                     QString::number(calls_ * 5 + random.bounded(calls_ + 1)));
    }
    return lines;
}

class TimingDialogs : public Dialogs
{
public:
    int RunModal(QDialog *dialog) override
    {
        dialog->show();
        dialog->grab();
        openNs = timer.nsecsElapsed();
        return QDialog::Accepted;
    }
    int RunMessage(QWidget *, const QString &text, const QString &, Icon, int) override
    {
        std::printf("  unexpected message: %s\n", qPrintable(text));
        return Ok;
    }

    QElapsedTimer timer;
    qint64 openNs = 0;
};

double Median(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

double MsOf(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(2, atoi(argv[1])) : 50000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;

    QTemporaryDir base;
    const SessionPaths paths(base.path());
    int busyRuns = 0;
    TextFile::writeLines(paths.practiceHistory(), HistoryLines(count, busyRuns));
    const std::vector<TWaveSourcePair> sources;
    TimingDialogs dialogs;
    TfmPracticeScores window;
    QWidget main;
    main.resize(800, 600);

    std::vector<double> open, repaint, resize;
    for (int r = 0; r < runs; ++r) {
        dialogs.timer.start();
        ShowCaseScores(window, dialogs, &main, {paths.practiceHistory(), paths.practiceLogs(), sources},
                       kCase, kBusy);
        open.push_back(double(dialogs.openNs) / 1e6);
        ProgressChart &chart = window.progressChart();
        QElapsedTimer timer;
        timer.start();
        chart.grab();
        repaint.push_back(MsOf(timer));
        timer.start();
        window.resize(window.width() + 40 + r, window.height());
        chart.grab();
        resize.push_back(MsOf(timer));
        window.hide();
    }

    const ProgressChart &chart = window.progressChart();
    std::printf("practice history of %d lines of one case, %d of them by %s; %d runs, medians:\n", count,
                busyRuns, qPrintable(kBusy), runs);
    std::printf("  open     the case's view read, filled and drawn %8.1f ms (target <= 300 ms)\n",
                Median(open));
    std::printf("  repaint  the chart drawn again                  %8.1f ms (target <= 20 ms)\n",
                Median(repaint));
    std::printf("  resize   the window widened and drawn again     %8.1f ms (target <= 20 ms)\n",
                Median(resize));
    if (chart.player() != kBusy || chart.runs().size() != busyRuns || chart.isHidden()) {
        std::printf("  CHART WRONG: %s with %lld runs\n", qPrintable(chart.player()),
                    (long long)chart.runs().size());
        return 1;
    }
    std::printf("  the chart shows the %lld runs of %s\n", (long long)chart.runs().size(), qPrintable(kBusy));
    return 0;
}
