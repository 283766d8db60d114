// pileup-synth: synthesizes a Morse pileup (WAV, check list and timeline),
// or the station's whole synthetic sample data tree.

#include "VorlixVersion.h"
#include "pileup-synth/AtomicFileSet.h"
#include "pileup-synth/PileupPlanner.h"
#include "pileup-synth/PileupRenderer.h"
#include "pileup-synth/PracticeCase.h"
#include "pileup-synth/SampleTree.h"
#include "pileup-synth/SynthError.h"
#include "pileup-synth/SynthWave.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTextStream>

#include <functional>

namespace {

struct NumberOption
{
    QString name;
    QString description;
    std::function<void(SynthOptions &, double)> apply;
    double defaultValue;
    bool integral = false;
};

std::vector<NumberOption> NumberOptions()
{
    const SynthOptions d;
    return {
        {"seed", "Random seed; the same seed gives the same files.",
         [](SynthOptions &o, double v) { o.seed = quint64(v); }, double(d.seed), true},
        {"rate", "Sample rate in Hz (8000-22050).", [](SynthOptions &o, double v) { o.sampleRate = int(v); },
         double(d.sampleRate), true},
        {"length", "Length of the recording in seconds (1-360).",
         [](SynthOptions &o, double v) { o.lengthSeconds = v; }, d.lengthSeconds},
        {"callers", "Number of distinct callers (1-1000).",
         [](SynthOptions &o, double v) { o.callers = int(v); }, double(d.callers), true},
        {"wpm-min", "Slowest caller speed in WPM.", [](SynthOptions &o, double v) { o.wpmMin = v; },
         d.wpmMin},
        {"wpm-max", "Fastest caller speed in WPM.", [](SynthOptions &o, double v) { o.wpmMax = v; },
         d.wpmMax},
        {"pitch", "Centre of the callers' pitches in Hz.",
         [](SynthOptions &o, double v) { o.pitchCenterHz = v; }, d.pitchCenterHz},
        {"pitch-spread", "Width of the pitch range in Hz.",
         [](SynthOptions &o, double v) { o.pitchSpreadHz = v; }, d.pitchSpreadHz},
        {"level-spread", "Callers' levels lie from 0 down to this many dB.",
         [](SynthOptions &o, double v) { o.levelSpreadDb = v; }, d.levelSpreadDb},
        {"jitter", "Keying irregularity, fraction of an element (0-0.3).",
         [](SynthOptions &o, double v) { o.jitter = v; }, d.jitter},
        {"repeat-prob", "Chance of sending the call once more in a transmission.",
         [](SynthOptions &o, double v) { o.repeatProbability = v; }, d.repeatProbability},
        {"max-repeats", "Most times a call is sent in one transmission (1-5).",
         [](SynthOptions &o, double v) { o.maxRepeats = int(v); }, double(d.maxRepeats), true},
        {"return-prob", "Chance that a caller calls again later.",
         [](SynthOptions &o, double v) { o.returnProbability = v; }, d.returnProbability},
        {"density-depth", "Swell of the caller density (0 even, 1 strong).",
         [](SynthOptions &o, double v) { o.densityDepth = v; }, d.densityDepth},
        {"density-waves", "Number of swells over the recording.",
         [](SynthOptions &o, double v) { o.densityWaves = v; }, d.densityWaves},
        {"fading", "Share of callers with slow fading (0-1).",
         [](SynthOptions &o, double v) { o.fadingFraction = v; }, d.fadingFraction},
        {"fading-depth", "Deepest fade in dB.", [](SynthOptions &o, double v) { o.fadingDepthDb = v; },
         d.fadingDepthDb},
        {"snr", "Strongest caller to band noise in dB.", [](SynthOptions &o, double v) { o.snrDb = v; },
         d.snrDb},
        {"crashes", "Static crashes per minute (0 for none).",
         [](SynthOptions &o, double v) { o.crashesPerMinute = v; }, d.crashesPerMinute},
        {"portable", "Share of calls with /P or a foreign prefix (made-up calls only).",
         [](SynthOptions &o, double v) { o.portableFraction = v; }, d.portableFraction},
        {"rise-ms", "Rise and fall time of every element in ms.",
         [](SynthOptions &o, double v) { o.riseMs = v; }, d.riseMs},
        {"stagger-ms", "Least time between two transmission starts in ms.",
         [](SynthOptions &o, double v) { o.staggerMs = v; }, d.staggerMs},
        {"peak", "Loudest sample of the mix in dBFS (below -0.5).",
         [](SynthOptions &o, double v) { o.peakDbfs = v; }, d.peakDbfs},
    };
}

QString WithoutExtension(const QString &path)
{
    const QFileInfo info(path);
    return info.path() + u'/' + info.completeBaseName();
}

QStringList ReadCallList(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SynthError(QStringLiteral("Cannot read the call list %1: %2").arg(path, file.errorString()));
    QStringList calls;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QString call = QString::fromUtf8(line).trimmed();
        if (!call.isEmpty())
            calls << call;
    }
    if (calls.isEmpty())
        throw SynthError(QStringLiteral("The call list %1 holds no calls").arg(path));
    return calls;
}

double NumberOf(const QCommandLineParser &parser, const QString &name, bool integral)
{
    bool ok = false;
    const QString text = parser.value(name);
    const double value = integral ? double(text.toLongLong(&ok)) : text.toDouble(&ok);
    if (!ok || (integral && value < 0))
        throw SynthError(
            QStringLiteral("--%1: \"%2\" is not a valid %3")
                .arg(name, text, integral ? QStringLiteral("whole number") : QStringLiteral("number")));
    return value;
}

// The number options given; true when there was any.
bool ApplyNumbers(const QCommandLineParser &parser, const std::vector<NumberOption> &numbers,
                  SynthOptions &options)
{
    bool any = false;
    for (const NumberOption &n : numbers) {
        if (!parser.isSet(n.name))
            continue;
        n.apply(options, NumberOf(parser, n.name, n.integral));
        any |= n.name != u"seed";
    }
    return any;
}

int MakeCase(const QCommandLineParser &parser, const std::vector<NumberOption> &numbers,
             const QStringList &callList, QTextStream &out)
{
    if (!parser.isSet("base"))
        throw SynthError(QStringLiteral("Name the station's base folder with --base"));
    const QString levelName = parser.isSet("level") ? parser.value("level") : QStringLiteral("Contest");
    const CaseLevel *level = CaseLevel::find(levelName);
    if (!level)
        throw SynthError(
            QStringLiteral("--level: \"%1\" is not a level; choose First pileup, Club, Contest or Expert")
                .arg(levelName));
    const double minutes = parser.isSet("minutes") ? NumberOf(parser, "minutes", false) : 5.0;
    if (!(minutes >= 1.0 && minutes <= 6.0))
        throw SynthError(QStringLiteral("--minutes: a case lasts 1 to 6 minutes"));
    PracticeCaseRequest request;
    request.name = parser.value("case");
    request.level = level->name;
    request.options = level->options(minutes, QRandomGenerator::global()->generate64() >> 16);
    request.options.noise = !parser.isSet("no-noise");
    if (ApplyNumbers(parser, numbers, request.options) || parser.isSet("no-noise"))
        request.level = QStringLiteral("Custom");
    request.callList = callList;
    const PracticeCaseResult made = PracticeCase::make(parser.value("base"), request);
    out << made.configLine << Qt::endl;
    return 0;
}

int Run(QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Synthesizes a Morse pileup: a 16-bit mono WAV, its check list (the calls sent, CR LF) and a "
        "timeline "
        "(call, pitch, WPM, start and end of every transmission).\n"
        "With --sample-tree, writes the station's synthetic sample data into a base folder instead.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({"wave", "The WAV file to write.", "file"});
    parser.addOption({"checklist", "The check list to write (default: <wave>Calls.txt).", "file"});
    parser.addOption({"timeline", "The timeline to write (default: <wave>Timeline.csv).", "file"});
    parser.addOption({"call-list", "Draw the callers from this list, one call a line.", "file"});
    parser.addOption({"no-noise", "No band noise."});
    parser.addOption({"sample-tree", "Write the sample data tree into this base folder.", "folder"});
    parser.addOption({"print-config", "Print the practice source lines of the sample configuration."});
    parser.addOption({"case",
                      "Make a practice case of this name in the station's base folder named by --base: the "
                      "pileup, its check list and timeline, a simulated field's timed scores and its "
                      "configuration line.",
                      "name"});
    parser.addOption({"base", "The station's base folder for --case.", "folder"});
    parser.addOption({"level",
                      "The level of a --case: First pileup, Club, Contest (default) or Expert; "
                      "any number option given makes it Custom.",
                      "level"});
    parser.addOption({"minutes", "The length of a --case in minutes (1-6). Default 5.", "n"});
    const std::vector<NumberOption> numbers = NumberOptions();
    for (const NumberOption &n : numbers)
        parser.addOption(
            {n.name, QStringLiteral("%1 Default %2.").arg(n.description).arg(n.defaultValue), "n"});

    if (!parser.parse(app.arguments()))
        throw SynthError(parser.errorText());
    if (parser.isSet("help"))
        parser.showHelp(0);
    if (parser.isSet("version"))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty())
        throw SynthError(QStringLiteral("Unexpected argument %1").arg(parser.positionalArguments().first()));

    QTextStream out(stdout);
    if (parser.isSet("print-config")) {
        for (const SampleWinner &w : SampleTree::winners())
            out << w.configLine() << Qt::endl;
        return 0;
    }
    if (parser.isSet("sample-tree")) {
        SampleTree::generate(parser.value("sample-tree"));
        return 0;
    }

    SynthOptions options;
    ApplyNumbers(parser, numbers, options);
    options.noise = !parser.isSet("no-noise");
    const QStringList callList =
        parser.isSet("call-list") ? ReadCallList(parser.value("call-list")) : QStringList();
    if (parser.isSet("case"))
        return MakeCase(parser, numbers, callList, out);
    if (!parser.isSet("wave"))
        throw SynthError(QStringLiteral("Name the WAV file to write with --wave (see --help)"));
    const QString wave = parser.value("wave");
    const QString checklist = parser.isSet("checklist")
                                  ? parser.value("checklist")
                                  : WithoutExtension(wave) + QStringLiteral("Calls.txt");
    const QString timeline = parser.isSet("timeline")
                                 ? parser.value("timeline")
                                 : WithoutExtension(wave) + QStringLiteral("Timeline.csv");

    const PileupPlan plan = PileupPlanner::plan(options, callList);
    AtomicFileSet files;
    files.add(wave, SynthWave::encode(PileupRenderer::render(plan, options), options.sampleRate));
    files.add(checklist, plan.checkListBytes());
    files.add(timeline, plan.timelineBytes());
    files.write();
    out << QStringLiteral("%1 calls in %2 transmissions, %3 s at %4 Hz: %5")
               .arg(plan.callers.size())
               .arg(plan.transmissions.size())
               .arg(options.lengthSeconds)
               .arg(options.sampleRate)
               .arg(wave)
        << Qt::endl;
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("pileup-synth");
    QCoreApplication::setApplicationVersion(VORLIX_VERSION);
    try {
        return Run(app);
    } catch (const SynthError &e) {
        QTextStream(stderr) << "pileup-synth: " << e.text() << Qt::endl;
        return 2;
    }
}
