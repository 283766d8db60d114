// Scoring all standalone logs: 1,000 logs of 150 lines against a 500-line
// check list, target at most 0.2 s for ScoreStandAloneLogs.
//
//   build/bin/bench_scoring [logs] [runs]
//
// The data is generated in a temporary folder (correct calls in mixed letter
// case, wrong calls, blanks around calls, repeats, empty lines, some logs in
// a sub-folder). Each run scores the whole folder; the figures are the best
// and the median of the runs. The result lines are then compared with a
// straightforward implementation that searches the check list linearly for
// every log line, and the benchmark fails (exit code 1) when they differ.

#include "RandomCall.h"
#include "logentry/StandAloneScoring.h"
#include "util/TPlayerScore.h"
#include "util/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {


// The ranking the plain way: each log line trimmed and searched for from the
// first check-list line, case ignored.
QStringList LinearRanking(const QString &logsFolder, const QString &callsPath)
{
    const QStringList check = TextFile::readLines(callsPath);
    struct Entry
    {
        TPlayerScore record;
        QString path;
    };
    std::vector<Entry> entries;
    for (const FoundLog &log : FindAllLogFiles(logsFolder)) {
        Entry e{TPlayerScore(log.fileName, log.folder), log.folder + log.fileName};
        for (const QString &line : TextFile::readLines(e.path)) {
            qsizetype b = 0, e2 = line.size();
            auto blank = [](QChar c) {
                return c.unicode() <= 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
            };
            while (b < e2 && blank(line[b]))
                ++b;
            while (e2 > b && blank(line[e2 - 1]))
                --e2;
            const QString call = line.mid(b, e2 - b);
            for (const QString &c : check) {
                if (call.compare(c, Qt::CaseInsensitive) == 0) {
                    ++e.record.calls;
                    e.record.chars += int(call.size());
                    break;
                }
            }
        }
        entries.push_back(std::move(e));
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        if (a.record.calls != b.record.calls)
            return a.record.calls > b.record.calls;
        if (a.record.chars != b.record.chars)
            return a.record.chars > b.record.chars;
        if (int c = a.record.name.compare(b.record.name, Qt::CaseInsensitive))
            return c < 0;
        if (int c = a.path.compare(b.path, Qt::CaseInsensitive))
            return c < 0;
        return a.path < b.path;
    });
    QStringList lines;
    for (const Entry &e : entries)
        lines.append(e.record.ResultLine(50));
    return lines;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int logs = argc > 1 ? std::max(1, atoi(argv[1])) : 1000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 15;
    constexpr int checkLines = 500;
    constexpr int logLines = 150;

    QTemporaryDir dir;
    const QString logsFolder = dir.filePath("StandAloneLogs");
    QDir().mkpath(logsFolder + "/2023");
    const QString callsPath = dir.filePath("SACalls.txt");

    QRandomGenerator random(4242);
    QStringList check;
    while (check.size() < checkLines)
        check.append(RandomCall(random));
    TextFile::writeLines(callsPath, check);
    for (int i = 0; i < logs; ++i) {
        QStringList log;
        while (log.size() < logLines) {
            const int kind = random.bounded(20);
            QString call = kind < 12 ? check[random.bounded(checkLines)] : RandomCall(random);
            if (kind % 3 == 0)
                call = call.toLower();
            if (kind == 5)
                call = "  " + call + "\t";
            if (kind == 19)
                call.clear();
            log.append(call);
        }
        const QString folder = i % 10 == 0 ? logsFolder + "/2023" : logsFolder;
        TextFile::writeLines(folder + QStringLiteral("/P%1-010124-1200.log").arg(i, 4, 10, QChar(u'0')), log);
    }

    std::vector<double> ms;
    QStringList fast;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        fast = ScoreStandAloneLogs(logsFolder, callsPath);
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());

    QElapsedTimer linearTimer;
    linearTimer.start();
    const QStringList linear = LinearRanking(logsFolder, callsPath);
    const double linearMs = linearTimer.nsecsElapsed() / 1e6;

    std::printf("ScoreStandAloneLogs: %d logs x %d lines, %d-line check list, %d runs\n", logs, logLines,
                checkLines, runs);
    std::printf("  best %.1f ms, median %.1f ms, worst %.1f ms (target <= 200 ms)\n", ms.front(),
                ms[ms.size() / 2], ms.back());
    std::printf("  linear-search reference: %.1f ms\n", linearMs);
    std::printf("  first lines: %s | %s | %s\n", qPrintable(fast.value(0)), qPrintable(fast.value(1)),
                qPrintable(fast.value(2)));
    if (fast != linear || fast.size() != logs) {
        std::printf("  RESULTS DIFFER from the linear search (%lld vs %lld lines)\n", (long long)fast.size(),
                    (long long)linear.size());
        return 1;
    }
    std::printf("  results identical to the linear search (%lld lines)\n", (long long)fast.size());
    return 0;
}
