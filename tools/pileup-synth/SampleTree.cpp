#include "SampleTree.h"

#include "AtomicFileSet.h"
#include "CompetitorSimulator.h"
#include "PileupPlanner.h"
#include "PileupRenderer.h"
#include "SynthError.h"
#include "SynthWave.h"

#include <QDir>

namespace {

constexpr const char *PracticeFolder = "PracticeWavesAndCalls";
constexpr const char *TimedScoreFolder = "PracticeWavesAndCalls/Tessel-TimedScores";

SynthOptions Pileup(quint64 seed, double seconds, int callers, double wpmMin, double wpmMax)
{
    SynthOptions o;
    o.seed = seed;
    o.lengthSeconds = seconds;
    o.callers = callers;
    o.wpmMin = wpmMin;
    o.wpmMax = wpmMax;
    return o;
}

quint64 ContestSeed(const SamplePileup &p)
{
    return p.options.seed * 31 + 5;
}

// Timed scores of competitors from an earlier generation would join the
// replay as if they had taken part: remove those not written this time.
void RemoveStaleScores(const QString &folder, const QStringList &written)
{
    QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("TS_*.txt")}, QDir::Files)) {
        if (!written.contains(name, Qt::CaseInsensitive))
            dir.remove(name);
    }
}

QByteArray Lines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

QString Path(const QString &base, const QString &folder, const QString &name)
{
    return folder.isEmpty() ? QDir(base).filePath(name) : QDir(base).filePath(folder + u'/' + name);
}

void MakeFolder(const QString &base, const QString &folder)
{
    if (!folder.isEmpty() && !QDir(base).mkpath(folder))
        throw SynthError(QStringLiteral("Cannot create folder %1").arg(QDir(base).filePath(folder)));
}

// The welcome recording: one clean, steady "WELCOME".
void WriteWelcome(const QString &base)
{
    SynthOptions o;
    o.lengthSeconds = 5.0;
    o.noise = false;
    o.crashesPerMinute = 0.0;
    KeyedText keyed = MorseKeyer::key(u"WELCOME", 20.0, 0.0, nullptr);
    PileupPlan plan;
    plan.lengthSeconds = o.lengthSeconds;
    PileupCaller voice;
    voice.call = QStringLiteral("WELCOME");
    voice.pitchHz = 650.0;
    voice.wpm = 20.0;
    plan.callers.push_back(voice);
    PileupTransmission t;
    t.start = (o.lengthSeconds - keyed.length) / 2.0;
    t.end = t.start + keyed.length;
    t.keying = keyed;
    plan.transmissions.push_back(t);
    AtomicFileSet files;
    files.add(QDir(base).filePath(QStringLiteral("Welcome.wav")),
              SynthWave::encode(PileupRenderer::render(plan, o), o.sampleRate));
    files.write();
}

} // namespace

QString SampleWinner::configLine() const
{
    return QStringLiteral("VORLIX_WAVESOURCE_PRACTICE=%1,%2,%3,%4,%5,%6")
        .arg(waveName, callsName, caseName, winner)
        .arg(winningCalls)
        .arg(averageCalls);
}

std::vector<SamplePileup> SampleTree::pileups()
{
    const QString practice = QLatin1String(PracticeFolder);
    SynthOptions y2013 = Pileup(2013, 300.0, 170, 24.0, 42.0);
    y2013.densityDepth = 0.8;
    y2013.snrDb = 12.0;
    SynthOptions demo = Pileup(404, 90.0, 30, 22.0, 34.0);
    demo.crashesPerMinute = 0.0;
    return {
        {practice, "Lakemont2012.wav", "Lakemont2012Calls.txt", "Lakemont 2012",
         Pileup(2012, 300.0, 150, 22.0, 38.0)},
        {practice, "Lakemont2013.wav", "Lakemont2013Calls.txt", "Lakemont 2013", y2013},
        {QString(), "DemoPileup.wav", "DemoPileupCalls.txt", QString(), demo},
        {QString(), "StandAlonePileup.wav", "StandAloneCalls.txt", QString(),
         Pileup(77, 300.0, 140, 22.0, 40.0)},
    };
}

PileupPlan SampleTree::plan(const SamplePileup &pileup)
{
    return PileupPlanner::plan(pileup.options);
}

SimulatedContest SampleTree::contest(const SamplePileup &pileup)
{
    return CompetitorSimulator::simulate(plan(pileup), CompetitorsPerCase, ContestSeed(pileup));
}

std::vector<SampleWinner> SampleTree::winners()
{
    std::vector<SampleWinner> result;
    for (const SamplePileup &p : pileups()) {
        if (p.caseName.isEmpty())
            continue;
        const SimulatedContest simulated = contest(p);
        result.push_back({p.caseName, p.waveName, p.callsName, simulated.competitors.front().call,
                          simulated.competitors.front().correctCalls(), simulated.averageCalls});
    }
    return result;
}

void SampleTree::generate(const QString &baseFolder, int parts)
{
    if (!QDir().mkpath(baseFolder))
        throw SynthError(QStringLiteral("Cannot create folder %1").arg(baseFolder));
    for (const SamplePileup &p : pileups()) {
        MakeFolder(baseFolder, p.folder);
        const PileupPlan planned = plan(p);
        AtomicFileSet files;
        if (parts & CallsAndTimedScores)
            files.add(Path(baseFolder, p.folder, p.callsName), planned.checkListBytes());
        if (parts & Audio)
            files.add(Path(baseFolder, p.folder, p.waveName),
                      SynthWave::encode(PileupRenderer::render(planned, p.options), p.options.sampleRate));
        files.write();

        if (p.caseName.isEmpty() || !(parts & CallsAndTimedScores))
            continue;
        const QString scoreFolder = QLatin1String(TimedScoreFolder) + u'/' + p.caseName;
        MakeFolder(baseFolder, scoreFolder);
        const SimulatedContest simulated =
            CompetitorSimulator::simulate(planned, CompetitorsPerCase, ContestSeed(p));
        AtomicFileSet scores;
        QStringList written;
        for (const SimulatedCompetitor &c : simulated.competitors) {
            written << QStringLiteral("TS_%1.txt").arg(c.call);
            scores.add(Path(baseFolder, scoreFolder, written.last()), Lines(c.fileLines()));
        }
        scores.write();
        RemoveStaleScores(QDir(baseFolder).filePath(scoreFolder), written);
    }
    if (parts & Audio)
        WriteWelcome(baseFolder);
}
