#include "PracticeCase.h"

#include "CompetitorSimulator.h"
#include "PileupPlanner.h"
#include "PileupRenderer.h"
#include "SynthWave.h"
#include "util/FileUtil.h"
#include "util/SessionPaths.h"
#include "util/TWaveSourcePair.h"
#include "util/TextUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cmath>
#include <unistd.h>

namespace {

constexpr const char *SourcePrefix = "VORLIX_WAVESOURCE_PRACTICE";

struct Tree
{
    explicit Tree(const QString &base) : paths(base) {}
    SessionPaths paths;
    QString config() const { return ResolveCase(paths.playerConfig()); }
    QString practice() const { return ResolveCase(paths.practiceWavesAndCalls()); }
    QString fieldScores() const { return ResolveCase(paths.tesselTimedScores()); }
    QString ownScores() const { return ResolveCase(paths.practiceTimedScores()); }
};

QStringList ConfiguredCases(const Tree &tree)
{
    QStringList names;
    QFile file(tree.config());
    if (!file.open(QIODevice::ReadOnly))
        return names;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).remove(u'\r');
        if (line.startsWith(QLatin1String(SourcePrefix)))
            names << TWaveSourcePair(line, tree.practice()).testCaseName();
    }
    return names;
}

bool InFolder(const QString &folder, const QString &name)
{
    return QFileInfo::exists(ResolveCase(JoinPath(folder, name)));
}

// Written and synced, so that the source line never names a file the disk
// does not hold yet.
void WriteSynced(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        ::fsync(file.handle()) != 0)
        throw SynthError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

QByteArray Lines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

// The configuration with `line` added at its end, in the file's own line
// ends, replaced atomically.
void AppendConfigLine(const QString &path, const QString &line)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        throw SynthError(QStringLiteral("Cannot read the configuration %1: %2").arg(path, in.errorString()));
    QByteArray bytes = in.readAll();
    in.close();
    const QByteArray end = bytes.contains("\r\n") || bytes.isEmpty() ? "\r\n" : "\n";
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        bytes += end;
    bytes += line.toUtf8() + end;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        throw SynthError(
            QStringLiteral("Cannot add the case to the configuration %1: %2").arg(path, out.errorString()));
}

// What has been moved into the tree, removed again unless the case is kept.
class Placed
{
public:
    ~Placed()
    {
        if (m_keep)
            return;
        for (const QString &folder : m_folders)
            QDir(folder).removeRecursively();
    }
    void move(const QString &from, const QString &to)
    {
        if (!QDir().rename(from, to))
            throw SynthError(QStringLiteral("Cannot create the folder %1").arg(to));
        m_folders << to;
    }
    void keep() { m_keep = true; }

private:
    QStringList m_folders;
    bool m_keep = false;
};

} // namespace

const std::vector<CaseLevel> &CaseLevel::presets()
{
    static const std::vector<CaseLevel> levels = {
        {QStringLiteral("First pileup"), 8, 16, 22, 250, 25, 0.0, 0.7, 0.0, 0.2},
        {QStringLiteral("Club"), 16, 20, 28, 350, 20, 0.15, 0.55, 0.5, 0.4},
        {QStringLiteral("Contest"), 30, 22, 38, 400, 15, 0.3, 0.4, 1.5, 0.6},
        {QStringLiteral("Expert"), 40, 28, 45, 500, 10, 0.45, 0.25, 2.5, 0.8},
    };
    return levels;
}

const CaseLevel *CaseLevel::find(const QString &name)
{
    for (const CaseLevel &level : presets())
        if (SameText(level.name, name))
            return &level;
    return nullptr;
}

SynthOptions CaseLevel::options(double minutes, quint64 seed) const
{
    SynthOptions o;
    o.seed = seed;
    o.lengthSeconds = minutes * 60.0;
    o.callers = std::max(1, int(std::lround(callersPerMinute * minutes)));
    o.wpmMin = wpmMin;
    o.wpmMax = wpmMax;
    o.pitchSpreadHz = pitchSpreadHz;
    o.snrDb = snrDb;
    o.fadingFraction = fadingFraction;
    o.repeatProbability = repeatProbability;
    o.crashesPerMinute = crashesPerMinute;
    o.densityDepth = densityDepth;
    return o;
}

QString CaseLevel::figures() const
{
    return QStringLiteral("%1 callers a minute, %2-%3 WPM, pitches within %4 Hz, noise %5 dB under the "
                          "strongest, %6 % fading, %7 % send their call twice or more, %8 crashes a minute")
        .arg(callersPerMinute)
        .arg(wpmMin)
        .arg(wpmMax)
        .arg(pitchSpreadHz)
        .arg(snrDb)
        .arg(std::lround(fadingFraction * 100))
        .arg(std::lround(repeatProbability * 100))
        .arg(crashesPerMinute);
}

QString PracticeCase::refusal(const QString &baseFolder, const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("Give the case a name");
    if (name.trimmed() != name)
        return QStringLiteral("A case name cannot begin or end with a blank");
    if (name.size() > NameMax)
        return QStringLiteral("A case name has at most %1 characters").arg(NameMax);
    QString part = UnsafeNamePart(name);
    for (const QChar c : {u',', u'=', u';'})
        if (part.isEmpty() && name.contains(c))
            part = c;
    if (!part.isEmpty())
        return QStringLiteral("A case name cannot hold \"%1\"").arg(part);
    if (name.startsWith(u'.') || IsDeviceName(name))
        return QStringLiteral("\"%1\" cannot name a case's folder").arg(name);
    const Tree tree(baseFolder);
    if (ConfiguredCases(tree).contains(name, Qt::CaseInsensitive))
        return QStringLiteral("A case named \"%1\" is configured already").arg(name);
    for (const QString &folder : {tree.practice(), tree.fieldScores(), tree.ownScores()})
        if (InFolder(folder, name))
            return QStringLiteral("%1 holds a folder named \"%2\" already").arg(folder, name);
    return {};
}

QString PracticeCase::defaultName(const QString &baseFolder, const QString &date, const QString &level)
{
    const QString stem = QStringLiteral("Synth %1 %2").arg(date, level);
    QString name = stem;
    for (int n = 2; !refusal(baseFolder, name).isEmpty() && n < 1000; ++n)
        name = stem + u' ' + QString::number(n);
    return name;
}

PracticeCaseResult PracticeCase::make(const QString &baseFolder, const PracticeCaseRequest &request,
                                      const Progress &progress)
{
    const auto step = [&](int percent) {
        if (progress && !progress(percent))
            throw CaseCancelled();
    };
    if (const QString why = refusal(baseFolder, request.name); !why.isEmpty())
        throw SynthError(why);
    const Tree tree(baseFolder);
    if (!QFileInfo(tree.config()).isFile())
        throw SynthError(QStringLiteral("There is no station configuration %1").arg(tree.config()));
    step(0);
    const PileupPlan plan = PileupPlanner::plan(request.options, request.callList);
    step(10);
    const std::vector<qint16> samples = PileupRenderer::render(plan, request.options);
    step(60);
    const SimulatedContest field =
        CompetitorSimulator::simulate(plan, Competitors, request.options.seed * 31 + 5);
    step(70);

    // Staged beside the case's folder, on the same disk, so it moves in whole.
    if (!QDir().mkpath(tree.practice()) || !QDir().mkpath(tree.fieldScores()))
        throw SynthError(QStringLiteral("Cannot create the folder %1").arg(tree.fieldScores()));
    QTemporaryDir stage(JoinPath(tree.practice(), QStringLiteral(".new-case-XXXXXX")));
    if (!stage.isValid())
        throw SynthError(
            QStringLiteral("Cannot write into %1: %2").arg(tree.practice(), stage.errorString()));
    const QString files = stage.filePath(QStringLiteral("case"));
    const QString scores = stage.filePath(QStringLiteral("scores"));
    if (!QDir().mkpath(files) || !QDir().mkpath(scores))
        throw SynthError(QStringLiteral("Cannot write into %1").arg(stage.path()));
    const QString &name = request.name;
    WriteSynced(JoinPath(files, name + QStringLiteral(".wav")),
                SynthWave::encode(samples, request.options.sampleRate));
    step(85);
    WriteSynced(JoinPath(files, name + QStringLiteral("Calls.txt")), plan.checkListBytes());
    WriteSynced(JoinPath(files, name + QStringLiteral("Timeline.csv")), plan.timelineBytes());
    WriteSynced(JoinPath(files, name + QStringLiteral("Level.txt")), Lines({"LEVEL=" + request.level}));
    for (const SimulatedCompetitor &c : field.competitors)
        WriteSynced(JoinPath(scores, QStringLiteral("TS_%1.txt").arg(c.call)), Lines(c.fileLines()));
    step(95);

    PracticeCaseResult result;
    const SimulatedCompetitor &winner = field.competitors.front();
    result.winner = winner.call;
    result.winningCalls = winner.correctCalls();
    result.averageCalls = field.averageCalls;
    result.calls = int(plan.callers.size());
    result.configLine = QStringLiteral("%1=%2\\%2.wav,%2\\%2Calls.txt,%2,%3,%4,%5")
                            .arg(QLatin1String(SourcePrefix), name, result.winner)
                            .arg(result.winningCalls)
                            .arg(result.averageCalls);
    step(96);
    Placed placed;
    placed.move(files, JoinPath(tree.practice(), name));
    placed.move(scores, JoinPath(tree.fieldScores(), name));
    AppendConfigLine(tree.config(), result.configLine);
    placed.keep();
    if (progress)
        progress(100);
    return result;
}
