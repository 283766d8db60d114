// The pileup synthesizer: keying decodes to the calls, audio agrees with the timeline, runs repeat and never
// clip, bad input leaves no files, sample timed scores read back as configured.

#include "TempBase.h"
#include "pileup-synth/PileupPlanner.h"
#include "pileup-synth/PileupRenderer.h"
#include "pileup-synth/PracticeCase.h"
#include "pileup-synth/SampleTree.h"
#include "pileup-synth/SynthWave.h"
#include "session/PlayerConfig.h"
#include "util/TextFile.h"
#include "util/TextUtil.h"
#include "util/TimedScore.h"
#include "util/WaveFile.h"

#include <QDir>
#include <QDirIterator>
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

// A plain envelope-threshold decoder: rectify, smooth over 4 ms, key down above half the peak; marks longer
// than two dits are dahs, gaps longer than two dits end a character and longer than five a word.
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
        if (on)
            symbol += length > 2.0 * dit ? u'-' : u'.';
        else if (runStart > 0 && i < s.size() && length > 2.0 * dit)
            text += Letter(std::exchange(symbol, QString())) + (length > 5.0 * dit ? " " : "");
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
        // A portable call sent fast, and a call sent twice: two words.
        for (const auto &[call, wpm, pitch, rate, repeats] :
             {std::tuple("F/G4XYZ", 36.0, 800.0, 11025, 1), std::tuple("OH2BH", 28.0, 500.0, 8000, 2)}) {
            // clang-format off
            const SynthOptions o{.seed = 11, .sampleRate = rate, .lengthSeconds = 12.0, .callers = 1,
                                 .wpmMin = wpm, .wpmMax = wpm, .pitchCenterHz = pitch, .pitchSpreadHz = 0.0,
                                 .repeatProbability = repeats > 1 ? 0.95 : 0.0, .maxRepeats = repeats,
                                 .returnProbability = 0.0, .fadingFraction = 0.0, .noise = false,
                                 .crashesPerMinute = 0.0};
            // clang-format on
            const PileupPlan plan = PileupPlanner::plan(o, {QString::fromLatin1(call)});
            QVERIFY(plan.transmissions.size() == 1 && plan.transmissions.front().repeats == repeats);
            const std::vector<qint16> samples = PileupRenderer::render(plan, o);
            QCOMPARE(samples.size(), size_t(o.lengthSeconds * rate));
            QCOMPARE(DecodeMorse(samples, rate, wpm),
                     QStringList(repeats, QString::fromLatin1(call)).join(u' '));
        }
    }

    void audioAgreesWithTimeline()
    {
        // clang-format off
        const SynthOptions o{.seed = 5, .lengthSeconds = 45.0, .callers = 8, .pitchSpreadHz = 700.0,
                             .levelSpreadDb = 6.0, .snrDb = 20.0, .crashesPerMinute = 0.0};
        // clang-format on
        const PileupPlan plan = PileupPlanner::plan(o);
        const std::vector<qint16> s = PileupRenderer::render(plan, o);
        const size_t block = size_t(o.sampleRate / 10);
        for (const PileupTransmission &t : plan.transmissions) {
            const double pitch = plan.callerOf(t).pitchHz;
            // Mean power at the caller's pitch in the 0.1 s blocks of its transmission [1] and in those where
            // nobody within 60 Hz of it sends [0].
            double power[2] = {0.0, 0.0};
            int blocks[2] = {0, 0};
            for (size_t from = 0; from + block <= s.size(); from += block) {
                const double a = double(from) / o.sampleRate, b = a + 0.1;
                const bool inside = a >= t.start && b <= t.end;
                if (inside ||
                    std::none_of(plan.transmissions.begin(), plan.transmissions.end(), [&](auto &u) {
                        return u.start < b + 0.05 && u.end > a - 0.05 &&
                               std::abs(plan.callerOf(u).pitchHz - pitch) < 60.0;
                    })) {
                    power[inside] += GoertzelPower(s, o.sampleRate, pitch, from, from + block);
                    ++blocks[inside];
                }
            }
            QVERIFY(blocks[0] > 20 && blocks[1] > 0);
            QVERIFY2(power[1] / blocks[1] > 10.0 * power[0] / blocks[0], qPrintable(plan.callerOf(t).call));
        }
    }

    void runsRepeatAgreeAndNeverClip()
    {
        SynthOptions o{
            .lengthSeconds = 60.0, .callers = 40, .crashesPerMinute = 12.0, .portableFraction = 0.3};
        // The wave, check list and timeline bytes of one run.
        auto run = [&](quint64 seed) {
            o.seed = seed;
            const PileupPlan plan = PileupPlanner::plan(o);
            return QList<QByteArray>{SynthWave::encode(PileupRenderer::render(plan, o), o.sampleRate),
                                     plan.checkListBytes(), plan.timelineBytes()};
        };
        const QList<QByteArray> a = run(42);
        QVERIFY(run(42) == a && run(43)[0] != a[0]);

        // Check list: CR LF lines, exactly the calls of the timeline.
        QVERIFY(a[1].endsWith("\r\n") && a[1].count("\n") == a[1].count("\r\n"));
        const QStringList checkList = QString::fromLatin1(a[1]).split("\r\n", Qt::SkipEmptyParts);
        QVERIFY(checkList.size() == 40 && !checkList.filter(QStringLiteral("/")).isEmpty());
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
        QVERIFY(SynthWave::decode(a[0], &rate, &samples) && rate == o.sampleRate);
        const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
        const int peak = std::max(-int(*low), int(*high));
        QVERIFY(std::abs(peak - int(32767 * std::pow(10.0, o.peakDbfs / 20.0))) <= 1);

        // The callers set that level, not the crashes: with the usual crashes
        // the recording is as loud as without them (within about 1 dB).
        const auto rms = [](const std::vector<qint16> &s) {
            double energy = 0.0;
            for (qint16 v : s)
                energy += double(v) * v;
            return std::sqrt(energy / double(s.size()));
        };
        o = SynthOptions{.lengthSeconds = 120.0, .callers = 60};
        const PileupPlan plan = PileupPlanner::plan(o);
        samples = PileupRenderer::render(plan, o);
        SynthOptions quiet = o;
        quiet.crashesPerMinute = 0.0;
        const double ratio = rms(samples) / rms(PileupRenderer::render(plan, quiet));
        QVERIFY2(ratio > 0.88 && ratio < 1.12, qPrintable(QString::number(ratio)));
    }

    void badInputFailsCleanly()
    {
        // A clear message, a non-zero exit and no files, even when a late file fails.
        QTemporaryDir dir;
        TextFile::writeLines(dir.filePath("plainfile"), {"x"});
        TextFile::writeLines(dir.filePath("doubled.txt"), {"K1AB", "k1ab", "W2CD"});
        TextFile::writeLines(dir.filePath("bad.txt"), {"K1AB", "W2#CD", "G3EF"});
        const QString program = QStringLiteral(PILEUP_SYNTH_PROGRAM), wave = dir.filePath("out.wav");
        // clang-format off
        const QList<QPair<QStringList, QString>> runs = {
            {{"--rate", "4000"}, "--rate"}, {{"--callers", "60", "--length", "3"}, "cannot hold 60 callers"},
            {{"--call-list", dir.filePath("missing.txt")}, "Cannot read"},
            {{"--call-list", dir.filePath("doubled.txt"), "--callers", "3"}, "2 distinct calls"},
            {{"--call-list", dir.filePath("bad.txt"), "--callers", "3"}, "W2#CD"},
            {{"--length", "5", "--callers", "2", "--timeline", dir.filePath("plainfile/t.csv")}, "Cannot create"},
            {{"--bogus"}, "bogus"}, {{"--length", "5"}, "--wave"}}; // the last names no wave file
        // clang-format on
        for (const auto &[arguments, expected] : runs) {
            QProcess p;
            p.start(program, expected == "--wave" ? arguments : QStringList{"--wave", wave} + arguments);
            QVERIFY(p.waitForFinished(20000));
            QVERIFY2(p.exitCode() != 0, qPrintable(arguments.join(' ')));
            QVERIFY2(QString::fromUtf8(p.readAllStandardError()).contains(expected), qPrintable(expected));
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);
        }
        QProcess good;
        good.start(program, {"--wave", wave, "--length", "6", "--callers", "2", "--seed", "3"});
        QVERIFY(good.waitForFinished(20000) && good.exitCode() == 0);
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
            const QString folder =
                dir.filePath("PracticeWavesAndCalls/Tessel-TimedScores/" + winners[i].caseName);
            const QStringList names = QDir(folder).entryList({"TS_*.txt"}, QDir::Files);
            QCOMPARE(names.size(), SampleTree::CompetitorsPerCase);
            std::vector<std::unique_ptr<TTimedScore>> scores;
            long long totalCalls = 0;
            for (const QString &name : names) {
                scores.push_back(LoadTimedScore(folder, name));
                TTimedScore &score = *scores.back();
                BuildSecondTable(score);
                // The table of each second ends at the total.
                QVERIFY(!score.Call.isEmpty() && score.CorrectCalls > 0);
                QCOMPARE(CharsAt(score, TimedScoreSeconds - 1), score.CorrectChars);
                totalCalls += score.CorrectCalls;
            }
            std::sort(scores.begin(), scores.end(),
                      [](const auto &a, const auto &b) { return CompareTimedScores(*a, *b) < 0; });
            // A single winner, as named, with its calls and the mean; the skills differ.
            QVERIFY(CompareTimedScores(*scores[0], *scores[1]) < 0);
            QCOMPARE(fields.mid(4),
                     (QStringList{scores[0]->Call, QString::number(scores[0]->CorrectCalls),
                                  QString::number(std::lround(double(totalCalls) / names.size()))}));
            QVERIFY(scores.back()->CorrectCalls < scores[0]->CorrectCalls / 2);
        }
    }

    void practiceCaseMadeWholeOrNotAtAll()
    {
        TempBase base;
        base.WriteConfig({"VORLIX_WAVESOURCE_PRACTICE=Old.wav,OldCalls.txt,Lakemont 2012,N7GOE,76,45"});
        const QString config = base.file("Vorlix_Player_ini.txt");
        const QByteArray before = base.Read("Vorlix_Player_ini.txt");
        QDir().mkpath(base.file("PracticeLogs/PracticeTimedScores/Played Once"));
        QDir().mkpath(base.file("PracticeWavesAndCalls/Tessel-TimedScores"));
        const auto listing = [&] {
            QStringList all;
            for (QDirIterator it(base.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                 QDirIterator::Subdirectories);
                 it.hasNext();)
                all << it.next();
            return all;
        };
        const QStringList tree = listing();
        const auto unchanged = [&] {
            return listing() == tree && base.Read("Vorlix_Player_ini.txt") == before;
        };
        // Names that would leave the folder, split the source line or meet another case are refused.
        const QList<QPair<QString, QString>> refused = {{" ", "Give the case a name"},
                                                        {"Club ", "begin or end with a blank"},
                                                        {"a/b", "\"/\""},
                                                        {"a,b", "\",\""},
                                                        {"a=b", "\"=\""},
                                                        {"..", "\"..\""},
                                                        {".hidden", "cannot name"},
                                                        {"nul.txt", "cannot name"},
                                                        {QString(61, u'x'), "at most 60"},
                                                        {"lakemont 2012", "configured already"},
                                                        {"tessel-timedscores", "holds a folder"},
                                                        {"played once", "holds a folder"}};
        for (const auto &[name, why] : refused)
            QVERIFY2(PracticeCase::refusal(base.path(), name).contains(why), qPrintable(name));
        QCOMPARE(PracticeCase::defaultName(base.path(), "2026-12-07", "Club"), "Synth 2026-12-07 Club");

        PracticeCaseRequest request;
        request.name = "Synth 2026-12-07 Club";
        request.level = "First pileup";
        request.options = CaseLevel::find("first PILEUP")->options(1.0, 9);
        // Cancelled at any step, refused, or out of disk: no file, no folder, no line.
        for (int stop : {0, 10, 60, 85, 96}) {
            const auto cancel = [stop](int percent) { return percent < stop; };
            QVERIFY_THROWS_EXCEPTION(CaseCancelled, PracticeCase::make(base.path(), request, cancel));
            QVERIFY2(unchanged(), qPrintable(QString::number(stop)));
        }
        {
            FileSizeLimit full(200'000); // the wave does not fit
            QVERIFY_THROWS_EXCEPTION(SynthError, PracticeCase::make(base.path(), request));
            QVERIFY(unchanged());
        }
        base.Write("Vorlix_Player_ini.txt", before + "# " + QByteArray(2'000'000, 'x') + "\r\n");
        {
            FileSizeLimit full(1'900'000); // the wave fits, the configuration no longer does
            try {
                PracticeCase::make(base.path(), request);
                QFAIL("made a case without its configuration line");
            } catch (const SynthError &e) {
                QVERIFY2(e.text().contains("Cannot add the case to the configuration"), qPrintable(e.text()));
            }
        }
        base.Write("Vorlix_Player_ini.txt", before);
        QVERIFY(unchanged());

        // Made: the station reads it as a case with its files, winner and field.
        QList<int> steps;
        const PracticeCaseResult made = PracticeCase::make(base.path(), request, [&](int percent) {
            steps << percent;
            return true;
        });
        QCOMPARE(steps.last(), 100);
        QVERIFY(std::is_sorted(steps.begin(), steps.end()));
        QCOMPARE(base.Read("Vorlix_Player_ini.txt"), before + made.configLine.toUtf8() + "\r\n");
        PlayerConfig station;
        station.ReadPlayerConfig(config, base.path(), base.file("PracticeWavesAndCalls"));
        QVERIFY(station.problems().isEmpty());
        const TWaveSourcePair &source = station.practiceSources().back();
        QVERIFY(source.available() && source.testCaseName() == request.name);
        QCOMPARE(source.winner(), made.winner);
        QCOMPARE(source.winningScore().toInt(), made.winningCalls);
        QCOMPARE(TextFile::readLines(source.callsPath()).size(), made.calls);
        QCOMPARE(made.calls, 8);
        QVERIFY(WaveFile::open(source.wavePath()).lengthMs() == 60'000);
        const QString field = base.file("PracticeWavesAndCalls/Tessel-TimedScores/" + request.name);
        QCOMPARE(QDir(field).entryList({"TS_*.txt"}).size(), PracticeCase::Competitors);
        QCOMPARE(LoadTimedScore(field, "TS_" + made.winner + ".txt")->CorrectCalls, made.winningCalls);
        QVERIFY(TextFile::readLines(base.file("PracticeWavesAndCalls/" + request.name + "/" + request.name +
                                              "Level.txt")) == QStringList{"LEVEL=First pileup"});
        QVERIFY(QDir(base.file("PracticeWavesAndCalls"))
                    .entryList({".new-case*"}, QDir::Hidden | QDir::Dirs)
                    .isEmpty());
        QVERIFY(PracticeCase::refusal(base.path(), request.name.toUpper()).contains("configured already"));
        QCOMPARE(PracticeCase::defaultName(base.path(), "2026-12-07", "Club"), "Synth 2026-12-07 Club 2");

        // A few easy calls that the whole field copies still make a case (a tie at the top stands).
        PracticeCaseRequest easy = request;
        easy.name = "Easy";
        easy.options = CaseLevel::find("Expert")->options(1.0, 16);
        easy.options.callers = 5;
        QCOMPARE(PracticeCase::make(base.path(), easy).calls, 5);

        // Every level makes a case of every length the window offers.
        for (const CaseLevel &level : CaseLevel::presets())
            for (double minutes : {1.0, 6.0})
                QVERIFY(PileupPlanner::plan(level.options(minutes, 5)).callers.size() > 0);
    }

    void caseFromTheCommandLine()
    {
        TempBase base;
        base.WriteConfig({});
        const auto run = [&](const QStringList &arguments) {
            QProcess p;
            p.start(QStringLiteral(PILEUP_SYNTH_PROGRAM), arguments);
            p.waitForFinished(20000);
            return QPair(p.exitCode(),
                         QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()));
        };
        const QStringList at = {"--base", base.path()};
        QVERIFY(run({"--case", "X"}).second.contains("--base"));
        QVERIFY(run(at + QStringList{"--case", "X", "--level", "Hero"}).second.contains("not a level"));
        QVERIFY(run(at + QStringList{"--case", "X", "--minutes", "7"}).second.contains("1 to 6 minutes"));
        const auto made = run(at + QStringList{"--case", "Evening", "--level", "expert", "--minutes", "1"});
        QCOMPARE(made.first, 0);
        QVERIFY(made.second.startsWith("VORLIX_WAVESOURCE_PRACTICE=Evening\\Evening.wav,"));
        QVERIFY(TextFile::readLines(base.file("Vorlix_Player_ini.txt")).contains(made.second.trimmed()));
        const auto custom = run(at + QStringList{"--case", "Slow", "--minutes", "1", "--wpm-max", "25"});
        QCOMPARE(custom.first, 0);
        QCOMPARE(TextFile::readLines(base.file("PracticeWavesAndCalls/Slow/SlowLevel.txt")),
                 QStringList{"LEVEL=Custom"});
    }
};

QTEST_GUILESS_MAIN(TestPileupSynth)
#include "tst_pileupsynth.moc"
