// The pileup synthesizer: the audio agrees with the timeline and the check
// list, keying decodes back to the calls sent, runs are reproducible and
// never clip, bad input leaves no files, and the sample competitors' timed
// scores read back through the station's own reader as the configuration's
// winner fields say.

#include "pileup-synth/PileupPlanner.h"
#include "pileup-synth/PileupRenderer.h"
#include "pileup-synth/SampleTree.h"
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

namespace {

// Morse as the operator knows it, kept apart from the synthesizer's table.
QString Letter(const QString &symbol)
{
    static const QStringList codes =
        QStringLiteral(
            ".- -... -.-. -.. . ..-. --. .... .. .--- -.- .-.. -- -. --- .--. --.- .-. ... - ..- ...- "
            ".-- -..- -.-- --.. ----- .---- ..--- ...-- ....- ..... -.... --... ---.. ----. -..-.")
            .split(u' ');
    const qsizetype i = codes.indexOf(symbol);
    return i < 0 ? QStringLiteral("?") : QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/").mid(i, 1);
}

// A plain envelope-threshold decoder: rectify, smooth over 4 ms, key down
// above half the peak; marks longer than two dits are dahs, gaps longer than
// two dits end a character and longer than five a word.
QString DecodeMorse(const std::vector<qint16> &s, int rate, double wpm)
{
    const size_t window = size_t(rate * 4 / 1000);
    std::vector<double> envelope(s.size());
    double sum = 0.0;
    for (size_t i = 0; i < s.size(); ++i)
        envelope[i] = sum += std::abs(s[i]) - (i >= window ? std::abs(s[i - window]) : 0);
    const double threshold = *std::max_element(envelope.begin(), envelope.end()) / 2.0,
                 dit = 1.2 / wpm * rate;
    QString text, symbol;
    size_t runStart = 0;
    for (size_t i = 1; i <= s.size(); ++i) {
        const bool on = envelope[i - 1] > threshold;
        if (i < s.size() && (envelope[i] > threshold) == on)
            continue;
        const double length = double(i - runStart);
        if (on) {
            symbol += length > 2.0 * dit ? u'-' : u'.';
        } else if (runStart > 0 && i < s.size() && length > 2.0 * dit) {
            text += Letter(std::exchange(symbol, QString())) + (length > 5.0 * dit ? " " : "");
        }
        runStart = i;
    }
    return text + Letter(symbol);
}

// Goertzel power at `hz` over samples [from, to), per sample.
double GoertzelPower(const std::vector<qint16> &s, int rate, double hz, size_t from, size_t to)
{
    const double coeff = 2.0 * std::cos(2.0 * M_PI * hz / rate);
    double q1 = 0.0, q2 = 0.0;
    for (size_t i = from; i < to && i < s.size(); ++i)
        q2 = std::exchange(q1, coeff * q1 - q2 + s[i]);
    const double n = double(to - from);
    return (q1 * q1 + q2 * q2 - coeff * q1 * q2) / (n * n);
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
            double wpm, pitch;
            int rate, repeats;
        };
        const Case cases[] = {{"DL1ABC", 22, 500, 8000, 1},
                              {"F/G4XYZ", 36, 800, 11025, 1},
                              {"JA1QRP/P", 40, 900, 22050, 1},
                              {"OH2BH", 28, 700, 11025, 2}}; // sent twice: two words
        for (const Case &c : cases) {
            SynthOptions o;
            o.seed = 11;
            o.sampleRate = c.rate;
            o.callers = 1;
            o.lengthSeconds = 12.0;
            o.wpmMin = o.wpmMax = c.wpm;
            o.pitchCenterHz = c.pitch;
            o.pitchSpreadHz = o.crashesPerMinute = o.fadingFraction = o.returnProbability = 0.0;
            o.noise = false;
            o.repeatProbability = c.repeats > 1 ? 0.95 : 0.0;
            o.maxRepeats = c.repeats;
            const PileupPlan plan = PileupPlanner::plan(o, {QString::fromLatin1(c.call)});
            QVERIFY(plan.transmissions.size() == 1 && plan.transmissions.front().repeats == c.repeats);
            const std::vector<qint16> samples = PileupRenderer::render(plan, o);
            QCOMPARE(samples.size(), size_t(o.lengthSeconds * c.rate));
            const QStringList sent(c.repeats, QString::fromLatin1(c.call));
            QCOMPARE(DecodeMorse(samples, c.rate, c.wpm), sent.join(u' '));
        }
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
        // Mean power at `pitch` over the blocks in [from, to) for which `take` holds.
        auto meanPower = [&](double pitch, size_t from, size_t to, auto take) {
            double sum = 0.0;
            int blocks = 0;
            for (; from + block <= to; from += block) {
                if (take(double(from) / rate, double(from + block) / rate)) {
                    sum += GoertzelPower(s, rate, pitch, from, from + block);
                    ++blocks;
                }
            }
            return std::make_pair(sum / std::max(1, blocks), blocks);
        };
        for (const PileupTransmission &t : plan.transmissions) {
            const double pitch = plan.callerOf(t).pitchHz;
            // Between: blocks where nobody within 60 Hz of this pitch sends.
            const auto [between, quiet] = meanPower(pitch, 0, s.size(), [&](double a, double b) {
                return std::none_of(plan.transmissions.begin(), plan.transmissions.end(), [&](auto &u) {
                    return u.start < b + 0.05 && u.end > a - 0.05 &&
                           std::abs(plan.callerOf(u).pitchHz - pitch) < 60.0;
                });
            });
            const auto [during, busy] = meanPower(pitch, size_t(t.start * rate), size_t(t.end * rate),
                                                  [](double, double) { return true; });
            QVERIFY(quiet > 20 && busy > 0);
            QVERIFY2(during > 10.0 * between, qPrintable(plan.callerOf(t).call));
        }
    }

    void runsRepeatAgreeAndNeverClip()
    {
        SynthOptions o;
        o.callers = 40;
        o.lengthSeconds = 60.0;
        o.crashesPerMinute = 12.0;
        o.portableFraction = 0.3;
        // The wave, check list and timeline bytes of one run.
        auto run = [&](quint64 seed) {
            o.seed = seed;
            const PileupPlan plan = PileupPlanner::plan(o);
            return QList<QByteArray>{SynthWave::encode(PileupRenderer::render(plan, o), o.sampleRate),
                                     plan.checkListBytes(), plan.timelineBytes()};
        };
        const QList<QByteArray> a = run(42);
        QVERIFY(run(42) == a);
        QVERIFY(run(43)[0] != a[0]);

        // Check list: CR LF lines, exactly the calls of the timeline.
        QVERIFY(a[1].endsWith("\r\n") && a[1].count("\n") == a[1].count("\r\n"));
        const QStringList checkList = QString::fromLatin1(a[1]).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(checkList.size(), 40);
        QVERIFY(std::any_of(checkList.begin(), checkList.end(),
                            [](const QString &c) { return c.contains('/'); }));
        const QStringList timeline = QString::fromLatin1(a[2]).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(timeline.first(), QString("Call,PitchHz,WPM,StartS,EndS"));
        QSet<QString> timelineCalls;
        double lastStart = -1.0;
        for (const QString &line : timeline.mid(1)) {
            const QStringList f = line.split(u',');
            timelineCalls.insert(f[0]);
            // Staggered, never two starting at once, and all inside the recording.
            QVERIFY(f.size() == 5 && f[3].toDouble() > lastStart && f[4].toDouble() <= o.lengthSeconds);
            lastStart = f[3].toDouble();
        }
        QCOMPARE(timelineCalls, QSet<QString>(checkList.begin(), checkList.end()));

        // The loudest sample stays at the chosen peak, well below full scale.
        int rate = 0;
        std::vector<qint16> samples;
        QVERIFY(SynthWave::decode(a[0], &rate, &samples));
        QCOMPARE(rate, o.sampleRate);
        const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
        const int peak = std::max(-int(*low), int(*high));
        QVERIFY(std::abs(peak - int(32767 * std::pow(10.0, o.peakDbfs / 20.0))) <= 1);
    }

    void badInputFailsCleanly()
    {
        // A clear message, a non-zero exit and no files, even when a late file fails.
        QTemporaryDir dir;
        TextFile::writeLines(dir.filePath("plainfile"), {"x"});
        TextFile::writeLines(dir.filePath("empty.txt"), {"", "  "});
        TextFile::writeLines(dir.filePath("doubled.txt"), {"K1AB", "k1ab", "W2CD"});
        TextFile::writeLines(dir.filePath("bad.txt"), {"K1AB", "W2#CD", "G3EF"});
        const QString program = QStringLiteral(PILEUP_SYNTH_PROGRAM), wave = dir.filePath("out.wav");
        const QList<QPair<QStringList, QString>> runs = {
            {{"--rate", "4000"}, "--rate"},
            {{"--wpm-min", "45"}, "--wpm-min"},
            {{"--callers", "many"}, "--callers"},
            {{"--callers", "60", "--length", "3"}, "cannot hold 60 callers"},
            {{"--call-list", dir.filePath("empty.txt")}, "no calls"},
            {{"--call-list", dir.filePath("missing.txt")}, "Cannot read"},
            {{"--call-list", dir.filePath("doubled.txt"), "--callers", "3"}, "2 distinct calls"},
            {{"--call-list", dir.filePath("bad.txt"), "--callers", "3"}, "W2#CD"},
            {{"--length", "5", "--callers", "2", "--timeline", dir.filePath("plainfile/t.csv")},
             "Cannot create"},
            {{"--bogus"}, "bogus"},
            {{"--length", "5"}, "--wave"}, // no wave file named
        };
        for (const auto &[arguments, expected] : runs) {
            QProcess p;
            p.start(program, expected == "--wave" ? arguments : QStringList{"--wave", wave} + arguments);
            QVERIFY(p.waitForFinished(20000));
            QVERIFY2(p.exitCode() != 0, qPrintable(arguments.join(' ')));
            QVERIFY2(QString::fromUtf8(p.readAllStandardError()).contains(expected), qPrintable(expected));
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 4);
        }
        QProcess good;
        good.start(program, {"--wave", wave, "--length", "6", "--callers", "2", "--seed", "3"});
        QVERIFY(good.waitForFinished(20000));
        QCOMPARE(good.exitCode(), 0);
        // The three files and no temporaries.
        QCOMPARE(QDir(dir.path()).entryList({"out*"}, QDir::Files),
                 QStringList({"out.wav", "outCalls.txt", "outTimeline.csv"}));
    }

    void sampleTimedScoresReadBackAsConfigured()
    {
        QTemporaryDir dir;
        SampleTree::generate(dir.path(), SampleTree::CallsAndTimedScores);
        // The configuration shipped with the station carries the winners of this same simulation.
        const QStringList practiceLines =
            TextFile::readLines(QStringLiteral(VORLIX_SOURCE_DATA_DIR "/Vorlix_Player_ini.txt"))
                .filter(QRegularExpression("^VORLIX_WAVESOURCE_PRACTICE"));
        const std::vector<SampleWinner> winners = SampleTree::winners();
        QCOMPARE(practiceLines.size(), qsizetype(winners.size()));
        for (size_t i = 0; i < winners.size(); ++i) {
            QCOMPARE(practiceLines[qsizetype(i)], winners[i].configLine());
            const QStringList fields = SplitFields(practiceLines[qsizetype(i)], u"=,");
            QCOMPARE(fields.size(), 7);

            const QString folder =
                dir.filePath("PracticeWavesAndCalls/Tessel-TimedScores/" + winners[i].caseName);
            const QStringList names = QDir(folder).entryList({"TS_*.txt"}, QDir::Files);
            QCOMPARE(names.size(), SampleTree::CompetitorsPerCase);
            std::vector<std::unique_ptr<TTimedScore>> scores;
            long long totalCalls = 0;
            for (const QString &name : names) {
                auto score = LoadTimedScore(folder, name);
                BuildSecondTable(*score);
                QVERIFY(!score->Call.isEmpty() && score->CorrectCalls > 0);
                // The table climbs to the total.
                for (int s = 1; s < TimedScoreSeconds; ++s)
                    QVERIFY(CharsAt(*score, s) >= CharsAt(*score, s - 1));
                QCOMPARE(CharsAt(*score, TimedScoreSeconds - 1), score->CorrectChars);
                totalCalls += score->CorrectCalls;
                scores.push_back(std::move(score));
            }
            std::sort(scores.begin(), scores.end(),
                      [](const auto &a, const auto &b) { return CompareTimedScores(*a, *b) < 0; });
            QCOMPARE(scores[0]->Call, fields[4]);
            QVERIFY(CompareTimedScores(*scores[0], *scores[1]) < 0); // a single winner
            QCOMPARE(QString::number(scores[0]->CorrectCalls), fields[5]);
            QCOMPARE(QString::number(std::lround(double(totalCalls) / double(scores.size()))), fields[6]);
            QVERIFY(scores.back()->CorrectCalls < scores[0]->CorrectCalls / 2); // skills differ
        }
    }
};

QTEST_GUILESS_MAIN(TestPileupSynth)
#include "tst_pileupsynth.moc"
