// Start-up benchmark: wall time and peak memory from process start until the
// main window is shown with the start-up sequence done, for the station and,
// side by side in the same run, for a bare Qt Widgets program.
//
//   build/bin/bench_startup [runs]
//
// The station starts with --quit-when-shown on a fresh copy of the staged
// base folder (build/bin) each run, so the folder tree is built every time.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

struct Run
{
    double ms;
    long maxRssKb;
};

Run runOnce(const QStringList &command)
{
    std::vector<QByteArray> args;
    for (const QString &a : command)
        args.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(2);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (status %d)\n", argv[0], status);
        std::exit(2);
    }
    return {ms, usage.ru_maxrss};
}

// The staged base folder's data, fresh for each run. Text files are copied
// (the station rewrites calls files); wave files, of which start-up only asks
// whether they exist, are hard links, so no megabytes are copied between runs.
void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    const QDir src(from);
    for (const QString &f : src.entryList(QDir::Files)) {
        if (f.endsWith(u".txt"))
            QFile::copy(src.filePath(f), to + u'/' + f);
        else if (f.endsWith(u".wav"))
            ::link(QFile::encodeName(src.filePath(f)).constData(),
                   QFile::encodeName(to + u'/' + f).constData());
    }
    for (const QString &d : src.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (d == u"PracticeWavesAndCalls")
            copyTree(src.filePath(d), to + u'/' + d);
    }
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 15;
    const QString bin = QCoreApplication::applicationDirPath();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    std::vector<double> bareMs, stationMs, bareKb, stationKb, againMs, againKb;
    for (int i = 0; i < runs; ++i) {
        // Alternate the two so that both see the same machine state.
        const Run bare = runOnce({bin + "/bare_window"});
        QTemporaryDir base;
        copyTree(bin, base.path());
        const Run station =
            runOnce({bin + "/vorlix-player", "--base-folder", base.path(), "--quit-when-shown"});
        if (!QFileInfo(base.path() + "/PracticeLogs/PracticeTimedScores").isDir()) {
            std::fprintf(stderr, "the station did not build its folder tree\n");
            return 2;
        }
        // A start like any but the first: the folder tree and files exist.
        const Run again =
            runOnce({bin + "/vorlix-player", "--base-folder", base.path(), "--quit-when-shown"});
        againMs.push_back(again.ms);
        againKb.push_back(again.maxRssKb);
        bareMs.push_back(bare.ms);
        stationMs.push_back(station.ms);
        bareKb.push_back(bare.maxRssKb);
        stationKb.push_back(station.maxRssKb);
    }
    const double bm = median(bareMs), sm = median(stationMs), bk = median(bareKb), sk = median(stationKb);
    std::printf("platform %s, %d runs each, medians\n", qgetenv("QT_QPA_PLATFORM").constData(), runs);
    std::printf("bare Qt window                              : %7.1f ms  %7.0f KiB peak\n", bm, bk);
    const double am = median(againMs), ak = median(againKb);
    std::printf("vorlix-player, first start in an empty tree : %7.1f ms  %7.0f KiB peak  (%.2f x, %.2f x)\n",
                sm, sk, sm / bm, sk / bk);
    std::printf("vorlix-player, later start                  : %7.1f ms  %7.0f KiB peak  (%.2f x, %.2f x)\n",
                am, ak, am / bm, ak / bk);
    std::printf("targets: 1.5 x the bare window's time, 1.3 x its peak memory\n");
    return 0;
}
