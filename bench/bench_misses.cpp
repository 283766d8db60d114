// What a player misses, over a long practice history: 10,000 computer runs
// of one player by default (years of daily practice), each a log of 100
// calls of which about one in eight is miscopied, over a dozen cases of 300
// calls each. Target: the analysis in at most 1 s.
//
//   build/bin/bench_misses [runs] [repeats]
//
// Timed: a plain read of every log (the yardstick), then, as the median of
// the repeats, MissAnalysis::Analyse from reading
// the history to the finished report (the logs and check lists read from a
// temporary base folder, warm in the page cache after the first repeat).
// The report is then checked against the mistakes planted: every planted
// edit counted, none more; the benchmark fails (exit code 1) otherwise.

#include "RandomCall.h"
#include "practice/MissAnalysis.h"
#include "util/SessionPaths.h"
#include "util/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int repeats = argc > 2 ? std::max(1, atoi(argv[2])) : 3;

    QTemporaryDir base;
    const SessionPaths paths(base.path());
    QDir().mkpath(paths.practiceLogs());
    QDir().mkpath(paths.practiceWavesAndCalls());
    QRandomGenerator random(20261207);

    // Twelve cases of 300 distinct calls.
    std::vector<QStringList> checkLists;
    std::vector<std::unique_ptr<TWaveSourcePair>> owned;
    std::vector<const TWaveSourcePair *> sources;
    for (int c = 0; c < 12; ++c) {
        QStringList calls;
        while (calls.size() < 300) {
            const QString call = RandomCall(random);
            if (!calls.contains(call))
                calls.append(call);
        }
        const QString name = QStringLiteral("Case %1").arg(c);
        TextFile::writeLines(paths.practiceWavesAndCalls() + QStringLiteral("/c%1.txt").arg(c), calls);
        owned.push_back(std::make_unique<TWaveSourcePair>(
            QStringLiteral("VORLIX_WAVESOURCE_PRACTICE=c%1.wav,c%1.txt,%2,K1ZZ,80,40").arg(c).arg(name),
            paths.practiceWavesAndCalls()));
        sources.push_back(owned.back().get());
        checkLists.push_back(calls);
    }

    // The runs: one character of a miscopied call changed for another.
    int planted = 0;
    QStringList history{QString::fromLatin1(SessionPaths::kHistoryHeader)};
    const QDateTime first(QDate(2016, 1, 1), QTime(8, 0));
    for (int r = 0; r < runs; ++r) {
        const int c = random.bounded(12);
        QStringList log;
        for (int line = 0; line < 100; ++line) {
            QString call = checkLists[size_t(c)][random.bounded(300)];
            if (random.bounded(8) == 0) {
                const int at = random.bounded(int(call.size()));
                const QChar other = call[at].isDigit() ? QChar(u'0' + (call[at].digitValue() + 1) % 10)
                                                       : QChar(u'A' + (call[at].unicode() - u'A' + 1) % 26);
                call[at] = other;
                if (!checkLists[size_t(c)].contains(call))
                    ++planted;
                else
                    call = checkLists[size_t(c)][0];
            }
            log.append(call);
        }
        const QDateTime when = first.addSecs(qint64(r) * 3600);
        const QString name = QStringLiteral("K5XX") + when.toString(QStringLiteral("-MMddyy-hhmm")) + ".log";
        TextFile::writeLines(paths.practiceLogs() + u'/' + name, log);
        history.append(when.toString(QStringLiteral("dd-MMM-yyyy, hh:mm")) + u',' + paths.practiceLogs() +
                       u'/' + name + QStringLiteral(",Computer,Case %1,0,0").arg(c));
    }
    TextFile::writeLines(paths.practiceHistory(), history);

    // The yardstick: the logs read, nothing more.
    QElapsedTimer readTimer;
    readTimer.start();
    qsizetype lines = 0;
    for (const QString &name : QDir(paths.practiceLogs()).entryList(QDir::Files))
        lines += TextFile::tryReadLines(paths.practiceLogs() + u'/' + name).value_or(QStringList()).size();
    const double readMs = double(readTimer.nsecsElapsed()) / 1e6;

    std::vector<double> ms;
    MissAnalysis::Report report;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        report = MissAnalysis::Analyse(paths.practiceHistory(), paths.practiceLogs(), sources, "K5XX");
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%d runs of 100 calls, %d miscopied, %d repeats:\n", runs, planted, repeats);
    std::printf("  read      the %lld lines of the logs alone                %8.1f ms\n", (long long)lines,
                readMs);
    std::printf(
        "  analysis  history, logs and check lists to the report %8.1f ms median (target <= 1000 ms)\n",
        ms[ms.size() / 2]);
    int counted = 0;
    for (auto it = report.confusions.cbegin(); it != report.confusions.cend(); ++it)
        counted += it.value();
    if (int(report.runs.size()) != runs || counted < planted || counted > 2 * planted) {
        std::printf("  REPORT WRONG: %zu runs, %d edits counted for %d planted\n", report.runs.size(),
                    counted, planted);
        return 1;
    }
    std::printf("  %zu runs, %d edits counted for %d calls miscopied; commonest: %c for %c\n",
                report.runs.size(), counted, planted, report.commonest(1).first().first.second.toLatin1(),
                report.commonest(1).first().first.first.toLatin1());
    return 0;
}
