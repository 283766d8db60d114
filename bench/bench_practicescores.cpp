// Opening the practice scores of all cases over a long history: 100,000
// lines by default (years of practice at a club station), target at most
// 150 ms from the click on "Show Previous Practice Scores" to the window
// filled.
//
//   build/bin/bench_practicescores [lines] [runs]
//
// The history is generated in a temporary base folder: the header, then
// lines as the station appends them, over a dozen cases, computer and paper
// logs, counts from 0 to 150. Timed, each as the median of the runs:
//   read     TextFile::readLines of the file (a plain read, the yardstick)
//   filled   the click until the window is filled, as its modal showing begins
//   painted  the same, then the window shown and drawn once (offscreen)
// The rows are then checked: one per line after the header, in the order of
// the view; the benchmark fails (exit code 1) when they are not.

#include "RandomCall.h"
#include "practice/TfmPracticeScores.h"
#include "session/TfmMain.h"
#include "ui/Dialogs.h"
#include "ui_TfmMain.h"
#include "util/Clock.h"
#include "util/SessionPaths.h"
#include "util/TextFile.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char *const kCases[] = {"Lakemont 2010",    "Lakemont 2012",    "lakemont 2014",    "Otter Creek 2009",
                              "Otter Creek 2011", "Bravo Hill 2015",  "Bravo Hill 2016",  "Kestrel 2018",
                              "Kestrel 2019",     "Marsh Point 2020", "Marsh Point 2021", "Stonebridge 2023"};

QStringList HistoryLines(int count, const QString &logs)
{
    QRandomGenerator random(20261207);
    QStringList lines{QString::fromLatin1(SessionPaths::kHistoryHeader)};
    const QDateTime first(QDate(2015, 1, 1), QTime(8, 0));
    for (int i = 0; i < count; ++i) {
        const QDateTime when = first.addSecs(qint64(i) * 1800 + random.bounded(1200));
        const int calls = random.bounded(151);
        lines.append(when.toString(QStringLiteral("dd-MMM-yyyy, hh:mm")) + u',' + logs + u'/' +
                     RandomCall(random) + when.toString(QStringLiteral("-MMddyy-hhmm")) + ".log" +
                     (random.bounded(5) == 0 ? QStringLiteral(",Paper,") : QStringLiteral(",Computer,")) +
                     QString::fromLatin1(kCases[random.bounded(12)]) + u',' + QString::number(calls) + u',' +
                     QString::number(calls * 5 + random.bounded(calls + 1)));
    }
    return lines;
}

// Times the window's modal showing instead of waiting for a user.
class TimingDialogs : public Dialogs
{
public:
    int RunModal(QDialog *dialog) override
    {
        filledNs = timer.nsecsElapsed();
        if (paint) {
            dialog->show();
            dialog->grab();
            paintedNs = timer.nsecsElapsed();
            dialog->hide();
        }
        rows = qobject_cast<TfmPracticeScores *>(dialog)->scores().rowCount();
        return QDialog::Accepted;
    }
    int RunMessage(QWidget *, const QString &text, const QString &, Icon, int) override
    {
        std::printf("  unexpected message: %s\n", qPrintable(text));
        return Ok;
    }

    QElapsedTimer timer;
    bool paint = false;
    qint64 filledNs = 0;
    qint64 paintedNs = 0;
    int rows = 0;
};

double Median(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;

    QTemporaryDir base;
    const QString bin = QCoreApplication::applicationDirPath();
    for (const char *name :
         {"Vorlix_Player_ini.txt", "ComputerLogInstruct.txt", "PracticeComputerLogInstruct.txt"})
        QFile::copy(bin + "/" + name, base.path() + "/" + name);
    const SessionPaths paths(base.path());
    TimingDialogs dialogs;
    SystemClock clock;
    TfmMain main(paths, bin + "/vorlix-player", dialogs, clock, WavePlayer::Output::Silent);
    if (!main.FormActivate())
        return 2;
    main.show();
    main.ui()->rbPractice->click();
    TextFile::writeLines(paths.practiceHistory(), HistoryLines(count, paths.practiceLogs()));
    const qint64 bytes = QFileInfo(paths.practiceHistory()).size();

    std::vector<double> read, filled, painted;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        const QStringList lines = TextFile::readLines(paths.practiceHistory());
        read.push_back(double(timer.nsecsElapsed()) / 1e6);
        for (bool paint : {false, true}) {
            dialogs.paint = paint;
            dialogs.timer.start();
            main.ui()->bnShowPrevPractice->click();
            (paint ? painted : filled).push_back(double(paint ? dialogs.paintedNs : dialogs.filledNs) / 1e6);
        }
    }

    std::printf("practice history of %d lines (%lld bytes), %d runs, medians:\n", count, (long long)bytes,
                runs);
    std::printf("  read     TextFile::readLines              %8.1f ms\n", Median(read));
    std::printf("  filled   click to the window filled       %8.1f ms (target <= 150 ms)\n", Median(filled));
    std::printf("  painted  and the window shown, drawn once %8.1f ms\n", Median(painted));

    const PracticeScoresModel &model = main.PracticeScores().scores();
    bool ordered = model.rowCount() == count;
    for (int row = 1; row < model.rowCount() && ordered; ++row) {
        const int byCase = model.text(row - 1, PracticeScoresModel::TestCase)
                               .compare(model.text(row, PracticeScoresModel::TestCase), Qt::CaseInsensitive);
        ordered =
            byCase < 0 || (byCase == 0 && model.text(row - 1, PracticeScoresModel::CorrectCalls).toInt() >=
                                              model.text(row, PracticeScoresModel::CorrectCalls).toInt());
    }
    if (!ordered) {
        std::printf("  ROWS WRONG: %d rows for %d lines, or out of order\n", model.rowCount(), count);
        return 1;
    }
    std::printf("  %d rows, in case and score order\n", model.rowCount());
    return 0;
}
