#include "NextLevel.h"

#include "PlayerRuns.h"
#include "PracticeHistory.h"
#include "TPracticeScore.h"
#include "pileup-synth/PracticeCase.h"
#include "util/FileUtil.h"
#include "util/LogScoring.h"
#include "util/StationError.h"
#include "util/TextFile.h"
#include "util/WaveFile.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace NextLevel {

namespace {

constexpr const char *StartLevel = "Club";

struct CaseFacts
{
    int level = -1; // index into the presets; -1: unknown
    int calls = 0;  // in the check list
};

int IndexOf(const QString &name)
{
    const auto &presets = CaseLevel::presets();
    for (size_t i = 0; i < presets.size(); ++i)
        if (presets[i].name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

// The preset named by the case's level file; -1 without one.
int LevelFileIndex(const TWaveSourcePair &source)
{
    const QFileInfo wave(source.wavePath());
    const QString path =
        ResolveCase(JoinPath(wave.path(), wave.completeBaseName() + QStringLiteral("Level.txt")));
    const auto lines = TextFile::tryReadLines(path);
    if (!lines)
        return -1;
    for (const QString &line : *lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("LEVEL="), Qt::CaseInsensitive))
            return IndexOf(trimmed.mid(6));
    }
    return -1;
}

int CheckListCalls(const TWaveSourcePair &source)
{
    const auto lines = TextFile::tryReadLines(source.callsPath());
    if (!lines)
        return 0;
    QSet<QString> calls;
    for (const QString &line : *lines) {
        const QString call = TrimLogLine(line).toString().toUpper();
        if (!call.isEmpty())
            calls.insert(call);
    }
    return int(calls.size());
}

double Minutes(const TWaveSourcePair &source)
{
    try {
        const qint64 ms = WaveFile::open(source.wavePath()).lengthMs();
        if (ms >= 10000)
            return double(ms) / 60000.0;
    } catch (...) {
    }
    return UnknownMinutes;
}

int NearestPreset(double callersPerMinute)
{
    const auto &presets = CaseLevel::presets();
    int best = 0;
    for (size_t i = 1; i < presets.size(); ++i)
        if (std::abs(presets[i].callersPerMinute - callersPerMinute) <
            std::abs(presets[size_t(best)].callersPerMinute - callersPerMinute))
            best = int(i);
    return best;
}

CaseFacts FactsOf(const TWaveSourcePair &source)
{
    CaseFacts facts;
    facts.calls = CheckListCalls(source);
    if (facts.calls == 0)
        return facts;
    facts.level = LevelFileIndex(source);
    if (facts.level < 0)
        facts.level = NearestPreset(facts.calls / Minutes(source));
    return facts;
}

QString Percent(double ratio)
{
    return QStringLiteral("%1 %").arg(std::lround(ratio * 100.0));
}

QString Joined(const QStringList &names)
{
    if (names.size() < 2)
        return names.join(QString());
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + names.last();
}

} // namespace

QString LevelOf(const TWaveSourcePair &source)
{
    const CaseFacts facts = FactsOf(source);
    return facts.level < 0 ? QString() : CaseLevel::presets()[size_t(facts.level)].name;
}

LevelChoice Choose(const QString &historyFile, const std::vector<const TWaveSourcePair *> &sources,
                   const QString &player)
{
    const auto &presets = CaseLevel::presets();
    const QString who = player.trimmed().toUpper();
    std::optional<TPracticeScoreList> scores;
    QString unread; // why the history could not be read
    try {
        scores = PracticeHistory::Read(historyFile);
    } catch (const StationError &error) {
        unread = error.text();
    }
    // The player's runs of known cases, oldest first; each case read once.
    struct Played
    {
        int level;
        double ratio;
    };
    std::vector<Played> played;
    QHash<const TWaveSourcePair *, CaseFacts> facts;
    if (scores && !who.isEmpty()) {
        for (const TPracticeScore &score : *scores) {
            if (PlayerRuns::PlayerOf(score.logFile).toUpper() != who)
                continue;
            const TWaveSourcePair *source = FindCase(sources, score.testCase, TPracticeScore::kCaseMax);
            if (!source)
                continue;
            if (!facts.contains(source))
                facts.insert(source, FactsOf(*source));
            const CaseFacts known = facts.value(source);
            if (known.level >= 0)
                played.push_back({known.level, std::min(1.0, double(score.calls) / known.calls)});
        }
    }
    LevelChoice choice;
    if (played.empty()) {
        choice.level = QLatin1String(StartLevel);
        choice.reason = unread.isEmpty()
                            ? QStringLiteral("No runs of yours of the practice cases at hand yet: %1 to "
                                             "start with")
                                  .arg(choice.level)
                            : QStringLiteral("%1: %2 to start with").arg(unread, choice.level);
        return choice;
    }
    if (played.size() > size_t(Runs))
        played.erase(played.begin(), played.end() - Runs);
    int lowest = int(presets.size()), highest = -1;
    double sum = 0.0;
    for (const Played &run : played) {
        lowest = std::min(lowest, run.level);
        highest = std::max(highest, run.level);
        sum += run.ratio;
    }
    choice.runs = int(played.size());
    choice.ratio = sum / choice.runs;
    int level = played.back().level;
    QString rule;
    if (choice.ratio >= UpRatio) {
        level = std::min(highest + 1, int(presets.size()) - 1);
        rule = QStringLiteral("%1 or more moves you one level up").arg(Percent(UpRatio));
    } else if (choice.ratio < DownRatio) {
        level = std::max(lowest - 1, 0);
        rule = QStringLiteral("under %1 moves you one level down").arg(Percent(DownRatio));
    } else {
        rule = QStringLiteral("%1 to %2 keeps the level of your last run")
                   .arg(Percent(DownRatio), Percent(UpRatio));
    }
    choice.level = presets[size_t(level)].name;
    QStringList levels;
    for (int i = lowest; i <= highest; ++i)
        if (std::any_of(played.begin(), played.end(), [i](const Played &run) { return run.level == i; }))
            levels << presets[size_t(i)].name;
    choice.reason =
        QStringLiteral("Your last %1: %2 of the calls copied at %3; %4: %5")
            .arg(choice.runs == 1 ? QStringLiteral("run") : QStringLiteral("%1 runs").arg(choice.runs),
                 Percent(choice.ratio), Joined(levels), rule, choice.level);
    return choice;
}

} // namespace NextLevel
