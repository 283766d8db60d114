// The pileup synthesizer: the audio agrees with the timeline and the check
// list, keying decodes back to the calls sent, runs are reproducible and
// never clip, bad input leaves no files, and the sample competitors' timed
// scores read back through the station's own reader as the configuration's
// winner fields say.

#include "pileup-synth/AtomicFileSet.h"
#include "pileup-synth/CompetitorSimulator.h"
#include "pileup-synth/PileupPlanner.h"
#include "pileup-synth/PileupRenderer.h"
#include "pileup-synth/SampleTree.h"
#include "pileup-synth/SynthError.h"
#include "pileup-synth/SynthWave.h"
#include "util/TextFile.h"
#include "util/TextUtil.h"
#include "util/TimedScore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// Morse as the operator knows it, kept apart from the synthesizer's table.
const std::map<QString, QChar> &MorseTable()
{
    static const std::map<QString, QChar> table = [] {
        const char *letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/";
        const char *codes[] = {".-",    "-...",  "-.-.",  "-..",   ".",     "..-.",  "--.",   "....",
                               "..",    ".---",  "-.-",   ".-..",  "--",    "-.",    "---",   ".--.",
                               "--.-",  ".-.",   "...",   "-",     "..-",   "...-",  ".--",   "-..-",
                               "-.--",  "--..",  "-----", ".----", "..---", "...--", "....-", ".....",
                               "-....", "--...", "---..", "----.", "-..-."};
        std::map<QString, QChar> t;
        for (int i = 0; letters[i]; ++i)
            t[QString::fromLatin1(codes[i])] = QLatin1Char(letters[i]);
        return t;
    }();
    return table;
}

// A plain envelope-threshold decoder: rectify, smooth over a few
// milliseconds, key down above half the peak; marks longer than two dits are
// dahs, gaps longer than two dits end a character and longer than five a word.
QString DecodeMorse(const std::vector<qint16> &samples, int rate, double wpm)
{
    const int window = std::max(1, rate * 4 / 1000);
    std::vector<double> envelope(samples.size(), 0.0);
    double sum = 0.0, peak = 0.0;
    for (size_t i = 0; i < samples.size(); ++i) {
        sum += std::abs(double(samples[i]));
        if (i >= size_t(window))
            sum -= std::abs(double(samples[i - size_t(window)]));
        envelope[i] = sum / window;
        peak = std::max(peak, envelope[i]);
    }
    const double threshold = peak / 2.0;
    const double dit = 1.2 / wpm * rate;
    QString text, symbol;
    bool on = false;
    size_t runStart = 0;
    auto flushSymbol = [&] {
        if (symbol.isEmpty())
            return;
        const auto it = MorseTable().find(symbol);
        text += it == MorseTable().end() ? QChar(u'?') : it->second;
        symbol.clear();
    };
    for (size_t i = 0; i <= samples.size(); ++i) {
        const bool now = i < samples.size() && envelope[i] > threshold;
        if (now == on && i < samples.size())
            continue;
        const double length = double(i - runStart);
        if (on) {
            symbol += length > 2.0 * dit ? u'-' : u'.';
        } else if (runStart > 0 && i < samples.size()) {
            if (length > 2.0 * dit)
                flushSymbol();
            if (length > 5.0 * dit)
                text += u' ';
        }
        on = now;
        runStart = i;
    }
    flushSymbol();
    return text;
}

// Goertzel power at `hz` over samples [from, to), per sample.
double GoertzelPower(const std::vector<qint16> &s, int rate, double hz, size_t from, size_t to)
{
    const double coeff = 2.0 * std::cos(2.0 * M_PI * hz / rate);
    double q1 = 0.0, q2 = 0.0;
    for (size_t i = from; i < to && i < s.size(); ++i) {
        const double q0 = coeff * q1 - q2 + s[i];
        q2 = q1;
        q1 = q0;
    }
    const double n = double(std::max<size_t>(1, to - from));
    return (q1 * q1 + q2 * q2 - coeff * q1 * q2) / (n * n);
}

SynthOptions CleanSingleCaller(double wpm, double pitch, int rate)
{
    SynthOptions o;
    o.seed = 11;
    o.sampleRate = rate;
    o.callers = 1;
    o.lengthSeconds = 12.0;
    o.wpmMin = o.wpmMax = wpm;
    o.pitchCenterHz = pitch;
    o.pitchSpreadHz = 0.0;
    o.noise = false;
    o.crashesPerMinute = 0.0;
    o.fadingFraction = 0.0;
    o.repeatProbability = 0.0;
    o.returnProbability = 0.0;
    return o;
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestPileupSynth : public QObject
{
    Q_OBJECT

private slots:
    void singleCleanCallerDecodesToTheCall()
    {
        struct Case
        {
            const char *call;
            double wpm;
            double pitch;
            int rate;
        };
        const Case cases[] = {{"DL1ABC", 22, 500, 8000},
                              {"K5XX", 30, 650, 11025},
                              {"F/G4XYZ", 36, 800, 11025},
                              {"JA1QRP/P", 40, 900, 22050},
                              {"VE3ZZ", 25, 400, 16000}};
        for (const Case &c : cases) {
            const SynthOptions o = CleanSingleCaller(c.wpm, c.pitch, c.rate);
            const PileupPlan plan = PileupPlanner::plan(o, {QString::fromLatin1(c.call)});
            QCOMPARE(plan.transmissions.size(), size_t(1));
            const std::vector<qint16> samples = PileupRenderer::render(plan, o);
            QCOMPARE(samples.size(), size_t(o.lengthSeconds * c.rate));
            QCOMPARE(DecodeMorse(samples, c.rate, c.wpm), QString::fromLatin1(c.call));
        }

        // A call sent twice in one transmission decodes as two words.
        SynthOptions twice = CleanSingleCaller(28, 700, 11025);
        twice.repeatProbability = 0.95;
        twice.maxRepeats = 2;
        const PileupPlan plan = PileupPlanner::plan(twice, {"OH2BH"});
        QCOMPARE(plan.transmissions.front().repeats, 2);
        QCOMPARE(DecodeMorse(PileupRenderer::render(plan, twice), 11025, 28), QString("OH2BH OH2BH"));
    }

    void audioAgreesWithTimeline()
    {
        SynthOptions o;
        o.seed = 5;
        o.callers = 8;
        o.lengthSeconds = 45.0;
        o.pitchSpreadHz = 700.0;
        o.levelSpreadDb = 6.0;
        o.snrDb = 20.0;
        o.crashesPerMinute = 0.0;
        const PileupPlan plan = PileupPlanner::plan(o);
        const std::vector<qint16> s = PileupRenderer::render(plan, o);
        const int rate = o.sampleRate;
        const size_t block = size_t(rate / 10);

        for (const PileupTransmission &t : plan.transmissions) {
            const double pitch = plan.callerOf(t).pitchHz;
            // Between: blocks where nobody within 60 Hz of this pitch sends.
            double between = 0.0;
            int blocks = 0;
            for (size_t from = 0; from + block <= s.size(); from += block) {
                const double a = double(from) / rate, b = double(from + block) / rate;
                const bool busy =
                    std::any_of(plan.transmissions.begin(), plan.transmissions.end(), [&](auto &u) {
                        return u.start < b + 0.05 && u.end > a - 0.05 &&
                               std::abs(plan.callerOf(u).pitchHz - pitch) < 60.0;
                    });
                if (!busy) {
                    between += GoertzelPower(s, rate, pitch, from, from + block);
                    ++blocks;
                }
            }
            QVERIFY(blocks > 20);
            between /= blocks;
            double during = 0.0;
            int inside = 0;
            for (size_t from = size_t(t.start * rate); from + block <= size_t(t.end * rate); from += block) {
                during += GoertzelPower(s, rate, pitch, from, from + block);
                ++inside;
            }
            QVERIFY(inside > 0);
            during /= inside;
            QVERIFY2(during > 10.0 * between, qPrintable(QStringLiteral("%1 at %2 Hz: %3 during, %4 between")
                                                             .arg(plan.callerOf(t).call)
                                                             .arg(pitch)
                                                             .arg(during)
                                                             .arg(between)));
        }
    }

    void filesAgreeRepeatAndNeverClip()
    {
        QTemporaryDir dir;
        SynthOptions o;
        o.seed = 42;
        o.callers = 40;
        o.lengthSeconds = 60.0;
        o.crashesPerMinute = 12.0;
        o.portableFraction = 0.3;
        auto synthesize = [&](const QString &prefix) {
            const PileupPlan plan = PileupPlanner::plan(o);
            AtomicFileSet files;
            files.add(dir.filePath(prefix + ".wav"),
                      SynthWave::encode(PileupRenderer::render(plan, o), o.sampleRate));
            files.add(dir.filePath(prefix + "Calls.txt"), plan.checkListBytes());
            files.add(dir.filePath(prefix + "Timeline.csv"), plan.timelineBytes());
            files.write();
        };
        synthesize("a");
        synthesize("b");
        for (const char *suffix : {".wav", "Calls.txt", "Timeline.csv"}) {
            const QByteArray a = ReadAll(dir.filePath(QString("a") + suffix));
            QVERIFY(!a.isEmpty());
            QCOMPARE(a, ReadAll(dir.filePath(QString("b") + suffix)));
        }
        o.seed = 43;
        synthesize("c");
        QVERIFY(ReadAll(dir.filePath("a.wav")) != ReadAll(dir.filePath("c.wav")));

        // Check list: CR LF lines, exactly the calls of the timeline.
        const QByteArray calls = ReadAll(dir.filePath("aCalls.txt"));
        QVERIFY(calls.endsWith("\r\n"));
        QCOMPARE(calls.count("\n"), calls.count("\r\n"));
        const QStringList checkList = TextFile::readLines(dir.filePath("aCalls.txt"));
        QCOMPARE(checkList.size(), 40);
        const QStringList timeline = TextFile::readLines(dir.filePath("aTimeline.csv"));
        QCOMPARE(timeline.first(), QString("Call,PitchHz,WPM,StartS,EndS"));
        QSet<QString> timelineCalls;
        double lastStart = -1.0;
        for (qsizetype i = 1; i < timeline.size(); ++i) {
            const QStringList f = timeline[i].split(u',');
            QCOMPARE(f.size(), 5);
            timelineCalls.insert(f[0]);
            const double start = f[3].toDouble(), end = f[4].toDouble();
            QVERIFY(start > lastStart); // staggered, never two at once
            QVERIFY(end > start && end <= o.lengthSeconds);
            QVERIFY(f[2].toDouble() >= o.wpmMin && f[2].toDouble() <= o.wpmMax);
            lastStart = start;
        }
        QCOMPARE(timelineCalls, QSet<QString>(checkList.begin(), checkList.end()));
        QVERIFY(std::any_of(checkList.begin(), checkList.end(),
                            [](const QString &c) { return c.contains('/'); }));

        // The loudest sample stays at the chosen peak, well below full scale.
        int rate = 0;
        std::vector<qint16> samples;
        QVERIFY(SynthWave::decode(ReadAll(dir.filePath("a.wav")), &rate, &samples));
        QCOMPARE(rate, o.sampleRate);
        int peak = 0;
        for (qint16 v : samples)
            peak = std::max(peak, std::abs(int(v)));
        QVERIFY(peak < 32767);
        QVERIFY(std::abs(peak - int(32767 * std::pow(10.0, o.peakDbfs / 20.0))) <= 1);
    }

    void badInputFailsCleanly()
    {
        // Options out of range and impossible requests are refused.
        SynthOptions o;
        o.sampleRate = 48000;
        QVERIFY(o.validate().contains("--rate"));
        o = SynthOptions();
        o.wpmMin = 45;
        QVERIFY(o.validate().contains("--wpm-min"));
        o = SynthOptions();
        o.callers = 60;
        o.lengthSeconds = 3;
        QVERIFY_THROWS_EXCEPTION(SynthError, PileupPlanner::plan(o));
        o = SynthOptions();
        o.callers = 3;
        QVERIFY_THROWS_EXCEPTION(SynthError, PileupPlanner::plan(o, {"K1AB", "k1ab", "W2CD"}));
        QVERIFY_THROWS_EXCEPTION(SynthError, PileupPlanner::plan(o, {"K1AB", "W2#CD", "G3EF"}));

        QTemporaryDir dir;
        QFile blocker(dir.filePath("plainfile"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        AtomicFileSet set;
        set.add(dir.filePath("first.wav"), "data");
        set.add(dir.filePath("plainfile/second.txt"), "data"); // a folder that is a file
        QVERIFY_THROWS_EXCEPTION(SynthError, set.write());
        QVERIFY(!QFile::exists(dir.filePath("first.wav")));

        // The program: a clear message, a non-zero exit and no files.
        const QString program = QStringLiteral(PILEUP_SYNTH_PROGRAM);
        QVERIFY(QFile::exists(program));
        TextFile::writeLines(dir.filePath("empty.txt"), {"", "  "});
        const QString wave = dir.filePath("out.wav");
        const QList<QPair<QStringList, QString>> runs = {
            {{"--wave", wave, "--rate", "4000"}, "--rate"},
            {{"--wave", wave, "--callers", "many"}, "--callers"},
            {{"--wave", wave, "--call-list", dir.filePath("empty.txt")}, "no calls"},
            {{"--wave", wave, "--call-list", dir.filePath("missing.txt")}, "Cannot read"},
            {{"--wave", wave, "--length", "5", "--callers", "2", "--timeline",
              dir.filePath("plainfile/t.csv")},
             "Cannot create"},
            {{"--length", "5"}, "--wave"},
            {{"--wave", wave, "--bogus"}, "bogus"},
        };
        for (const auto &[arguments, expected] : runs) {
            QProcess p;
            p.start(program, arguments);
            QVERIFY(p.waitForFinished(20000));
            QVERIFY2(p.exitCode() != 0, qPrintable(arguments.join(' ')));
            QVERIFY2(QString::fromUtf8(p.readAllStandardError()).contains(expected), qPrintable(expected));
            QVERIFY(!QFile::exists(wave));
            QVERIFY(!QFile::exists(dir.filePath("outCalls.txt")));
        }
        QProcess good;
        good.start(program, {"--wave", wave, "--length", "6", "--callers", "2", "--seed", "3"});
        QVERIFY(good.waitForFinished(20000));
        QCOMPARE(good.exitCode(), 0);
        QVERIFY(QFile::exists(wave) && QFile::exists(dir.filePath("outCalls.txt")) &&
                QFile::exists(dir.filePath("outTimeline.csv")));
        QCOMPARE(QDir(dir.path()).entryList({"*.wav"}, QDir::Files).size(), 1); // no temporaries left
    }

    void sampleTimedScoresReadBackAsConfigured()
    {
        QTemporaryDir dir;
        SampleTree::generate(dir.path(), SampleTree::CallsAndTimedScores);

        // The configuration shipped with the station names the sample files
        // and carries the winners of this same simulation.
        const QStringList ini =
            TextFile::readLines(QStringLiteral(VORLIX_SOURCE_DATA_DIR "/Vorlix_Player_ini.txt"));
        QStringList practiceLines;
        for (const QString &line : ini) {
            if (line.startsWith("VORLIX_WAVESOURCE_PRACTICE"))
                practiceLines << line;
        }
        const std::vector<SampleWinner> winners = SampleTree::winners();
        QCOMPARE(practiceLines.size(), qsizetype(winners.size()));
        for (const SamplePileup &p : SampleTree::pileups()) {
            const QString folder = p.folder.isEmpty() ? dir.path() : dir.filePath(p.folder);
            QVERIFY2(QFile::exists(folder + '/' + p.callsName), qPrintable(p.callsName));
            const bool named = std::any_of(ini.begin(), ini.end(), [&](const QString &l) {
                return l.contains(p.waveName + ',' + p.callsName) || l == "STANDALONE_WAVEFILE=" + p.waveName;
            });
            QVERIFY2(named, qPrintable(p.waveName));
        }

        for (size_t i = 0; i < winners.size(); ++i) {
            const SampleWinner &w = winners[i];
            QCOMPARE(practiceLines[qsizetype(i)], w.configLine());
            const QStringList fields = SplitFields(practiceLines[qsizetype(i)], u"=,");
            QCOMPARE(fields.size(), 7);
            QVERIFY(fields[5].size() <= 4 && fields[6].size() <= 4);

            const QString folder = dir.filePath("PracticeWavesAndCalls/Tessel-TimedScores/" + w.caseName);
            const QStringList names = QDir(folder).entryList({"TS_*.txt"}, QDir::Files);
            QCOMPARE(names.size(), SampleTree::CompetitorsPerCase);

            // What the simulation intended for every competitor.
            const std::vector<SamplePileup> pileups = SampleTree::pileups();
            const auto pileup = std::find_if(pileups.begin(), pileups.end(),
                                             [&](const SamplePileup &p) { return p.caseName == w.caseName; });
            QVERIFY(pileup != pileups.end());
            const PileupPlan plan = SampleTree::plan(*pileup);
            const int checkListSize = int(plan.callers.size());
            std::map<QString, std::pair<int, int>> intended;
            for (const SimulatedCompetitor &c : SampleTree::contest(*pileup).competitors)
                intended[c.call] = {c.correctCalls(), c.correctChars()};
            QCOMPARE(intended.size(), size_t(SampleTree::CompetitorsPerCase));

            std::vector<std::unique_ptr<TTimedScore>> scores;
            long long totalCalls = 0;
            for (const QString &name : names) {
                auto score = LoadTimedScore(folder, name);
                BuildSecondTable(*score);
                QVERIFY(!score->Call.isEmpty());
                QVERIFY(score->CorrectCalls > 0 && score->CorrectCalls <= checkListSize);
                QVERIFY2(intended.count(score->Call), qPrintable(score->Call));
                QCOMPARE(score->CorrectCalls, intended[score->Call].first);
                QCOMPARE(score->CorrectChars, intended[score->Call].second);
                // The table climbs to the total and never drops.
                for (int s = 1; s < TimedScoreSeconds; ++s)
                    QVERIFY(CharsAt(*score, s) >= CharsAt(*score, s - 1));
                QCOMPARE(CharsAt(*score, 359), score->CorrectChars);
                // Nobody logs a call before the first transmission has ended.
                QCOMPARE(CharsAt(*score, int(plan.transmissions.front().end)), 0);
                totalCalls += score->CorrectCalls;
                scores.push_back(std::move(score));
            }
            std::sort(scores.begin(), scores.end(),
                      [](const auto &a, const auto &b) { return CompareTimedScores(*a, *b) < 0; });
            QCOMPARE(scores[0]->Call, fields[4]);
            QVERIFY(CompareTimedScores(*scores[0], *scores[1]) < 0); // a single winner
            QCOMPARE(QString::number(scores[0]->CorrectCalls), fields[5]);
            QCOMPARE(QString::number(std::lround(double(totalCalls) / double(scores.size()))), fields[6]);
            // Skills differ: the field spreads well below the winner.
            QVERIFY(scores.back()->CorrectCalls < scores[0]->CorrectCalls / 2);
        }
    }
};

QTEST_GUILESS_MAIN(TestPileupSynth)
#include "tst_pileupsynth.moc"
