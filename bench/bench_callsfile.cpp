// Loading a large calls file: 400,000 lines by default, target at most 0.5 s
// for the load the station does at start-up.
//
//   build/bin/bench_callsfile [lines] [runs]
//
// The file is generated in a temporary folder: call-sign-like texts, about
// one in ten repeating an earlier call (often in another letter case), about
// a third in lower or mixed case, a few with the slashed zero of older
// installations. Timed, each as the median of the runs:
//   read      TextFile::readLines of the file
//   sort      SortedTextList::addAll of those lines into an empty list
//   prepare   TWaveSourcePair::PrepareCallsFile on a source naming the file,
//             the file restored to its unsorted form before each run (the
//             first start-up with a new calls file: read, sort, clean, write)
//   again     the same on the prepared file (every later start-up)
// The prepared file is then checked: sorted without regard to case, no
// repeats, no slashed zeros, one line per distinct call; the benchmark fails
// (exit code 1) when it is not.

#include "RandomCall.h"
#include "util/SortedTextList.h"
#include "util/TWaveSourcePair.h"
#include "util/TextFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Now and then a portable call.
QString RandomCallsFileLine(QRandomGenerator &random)
{
    QString call = RandomCall(random);
    if (random.bounded(50) == 0)
        call += QStringLiteral("/P");
    return call;
}

QString MixCase(QString call, QRandomGenerator &random)
{
    switch (random.bounded(6)) {
    case 0:
        return call.toLower();
    case 1:
        for (qsizetype i = 0; i < call.size(); i += 2)
            call[i] = call[i].toLower();
        return call;
    default:
        return call;
    }
}

QStringList CallsFileLines(int count)
{
    QRandomGenerator random(20240401);
    QStringList lines;
    lines.reserve(count);
    while (lines.size() < count) {
        QString call = lines.size() > 10 && random.bounded(10) == 0 ? lines[random.bounded(lines.size())]
                                                                    : RandomCallsFileLine(random);
        call = MixCase(call, random);
        if (random.bounded(50) == 0)
            call.replace(u'0', QChar(0x00D8));
        lines.append(call);
    }
    return lines;
}

double MedianMs(int runs, const std::function<void()> &setUp, const std::function<void()> &timed)
{
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        setUp();
        QElapsedTimer timer;
        timer.start();
        timed();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 400000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;

    QTemporaryDir dir;
    const QString callsPath = dir.filePath(QStringLiteral("PileupCalls.txt"));
    QFile wave(dir.filePath(QStringLiteral("Pileup.wav")));
    if (!wave.open(QIODevice::WriteOnly) || wave.write("RIFF") != 4)
        return 2;
    wave.close();
    const QStringList lines = CallsFileLines(count);
    TextFile::writeLines(callsPath, lines);
    QFile original(callsPath);
    original.open(QIODevice::ReadOnly);
    const QByteArray originalBytes = original.readAll();
    original.close();
    auto restore = [&] {
        QFile f(callsPath);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            f.write(originalBytes) != originalBytes.size())
            std::exit(2);
    };
    const TWaveSourcePair source(
        QStringLiteral("VORLIX_WAVESOURCE_PRACTICE=Pileup.wav,PileupCalls.txt,Bench"), dir.path());
    if (!source.available())
        return 2;

    QStringList read;
    SortedTextList sorted;
    bool prepared = true;
    const double readMs = MedianMs(runs, restore, [&] { read = TextFile::readLines(callsPath); });
    const double sortMs = MedianMs(
        runs, [&] { sorted.clear(); }, [&] { sorted.addAll(read); });
    const double prepareMs =
        MedianMs(runs, restore, [&] { prepared = source.PrepareCallsFile() && prepared; });
    const double againMs = MedianMs(
        runs, [] {}, [&] { prepared = source.PrepareCallsFile() && prepared; });

    std::printf("calls file of %d lines (%lld bytes), %d runs, medians:\n", count,
                (long long)originalBytes.size(), runs);
    std::printf("  read     TextFile::readLines          %8.1f ms\n", readMs);
    std::printf("  sort     SortedTextList::addAll       %8.1f ms (%lld distinct calls)\n", sortMs,
                (long long)sorted.count());
    std::printf("  prepare  PrepareCallsFile, new file   %8.1f ms (target <= 500 ms)\n", prepareMs);
    std::printf("  again    PrepareCallsFile, prepared   %8.1f ms\n", againMs);

    const QStringList result = TextFile::readLines(callsPath);
    QSet<QString> distinct;
    for (const QString &line : lines)
        distinct.insert(line.toCaseFolded().replace(QChar(0x00F8), u'0'));
    bool ordered = true;
    for (qsizetype i = 1; i < result.size() && ordered; ++i)
        ordered = result[i - 1].compare(result[i], Qt::CaseInsensitive) < 0;
    const bool clean = std::none_of(result.cbegin(), result.cend(),
                                    [](const QString &call) { return call.contains(QChar(0x00D8)); });
    if (!prepared || !ordered || !clean || result.size() != distinct.size()) {
        std::printf("  PREPARED FILE WRONG: %lld lines for %lld distinct calls, %s, %s\n",
                    (long long)result.size(), (long long)distinct.size(), ordered ? "sorted" : "NOT SORTED",
                    clean ? "clean" : "SLASHED ZEROS LEFT");
        return 1;
    }
    std::printf("  prepared file sorted, clean, %lld distinct calls\n", (long long)result.size());
    return 0;
}
