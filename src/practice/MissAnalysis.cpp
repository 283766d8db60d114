#include "MissAnalysis.h"

#include "GradedCalls.h"
#include "PlayerRuns.h"
#include "PracticeHistory.h"
#include "TPracticeScore.h"
#include "util/FileUtil.h"
#include "util/LogScoring.h"
#include "util/TextFile.h"

#include <algorithm>
#include <memory>
#include <thread>

namespace MissAnalysis {

namespace {

// Edit distance of two calls, given up (returning `limit`) once it cannot
// come below `limit`.
int Distance(QStringView a, QStringView b, int limit)
{
    const qsizetype n = b.size();
    if (std::abs(int(a.size() - n)) >= limit)
        return limit;
    std::array<int, 64> row{}, next{};
    if (n + 1 > qsizetype(row.size()))
        return limit;
    for (qsizetype j = 0; j <= n; ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        next[0] = int(i);
        int best = next[0];
        for (qsizetype j = 1; j <= n; ++j) {
            next[j] = std::min({row[j] + 1, next[j - 1] + 1, row[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            best = std::min(best, next[j]);
        }
        if (best >= limit)
            return limit;
        std::swap(row, next);
    }
    return std::min(row[n], limit);
}

} // namespace

std::vector<Edit> Align(QStringView sentView, QStringView typedView)
{
    const QString sent = sentView.toString().toUpper(), typed = typedView.toString().toUpper();
    const qsizetype m = sent.size(), n = typed.size();
    std::vector<int> cost(size_t((m + 1) * (n + 1)));
    const auto at = [&](qsizetype i, qsizetype j) -> int & { return cost[size_t(i * (n + 1) + j)]; };
    for (qsizetype i = 0; i <= m; ++i)
        at(i, 0) = int(i);
    for (qsizetype j = 0; j <= n; ++j)
        at(0, j) = int(j);
    for (qsizetype i = 1; i <= m; ++i)
        for (qsizetype j = 1; j <= n; ++j)
            at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1,
                                 at(i - 1, j - 1) + (sent[i - 1] == typed[j - 1] ? 0 : 1)});
    // Back from the end, a character taken for another before one missed
    // before one added, where the counts allow either.
    std::vector<Edit> edits;
    qsizetype i = m, j = n;
    while (i > 0 || j > 0) {
        if (i > 0 && j > 0 && at(i, j) == at(i - 1, j - 1) + (sent[i - 1] == typed[j - 1] ? 0 : 1)) {
            if (sent[i - 1] != typed[j - 1])
                edits.push_back({sent[i - 1], typed[j - 1], i - 1});
            --i, --j;
        } else if (i > 0 && at(i, j) == at(i - 1, j) + 1) {
            edits.push_back({sent[i - 1], QChar(), i - 1});
            --i;
        } else {
            edits.push_back({QChar(), typed[j - 1], i});
            --j;
        }
    }
    std::reverse(edits.begin(), edits.end());
    return edits;
}

Part PartAt(QStringView call, qsizetype index)
{
    // The longest piece between strokes (the last of equals, as in
    // VP2V/K5ZZ) is the call itself; the others are portable additions.
    qsizetype baseStart = 0, baseLength = -1;
    for (qsizetype start = 0; start <= call.size();) {
        qsizetype end = call.indexOf(u'/', start);
        if (end < 0)
            end = call.size();
        if (end - start >= baseLength)
            baseStart = start, baseLength = end - start;
        start = end + 1;
    }
    if (index < baseStart)
        return Prefix;
    if (index >= baseStart + baseLength)
        return Suffix;
    qsizetype numberEnd = -1;
    for (qsizetype k = baseStart + baseLength - 1; k >= baseStart; --k) {
        if (call[k].isDigit()) {
            numberEnd = k;
            break;
        }
    }
    if (numberEnd < 0)
        return Prefix;
    qsizetype numberStart = numberEnd;
    while (numberStart > baseStart && call[numberStart - 1].isDigit())
        --numberStart;
    return index < numberStart ? Prefix : index <= numberEnd ? Number : Suffix;
}

namespace {

// The text and the text less each of its characters in turn.
QStringList OneLess(const QString &text)
{
    QStringList keys{text};
    for (qsizetype i = 0; i < text.size(); ++i)
        keys.append(QString(text).remove(i, 1));
    return keys;
}

} // namespace

Calls::Calls(const QStringList &lines)
{
    m_calls.reserve(size_t(lines.size()));
    for (const QString &line : lines) {
        const QString call = TrimLogLine(line).toString().toUpper();
        if (call.isEmpty() || m_set.contains(call))
            continue;
        for (const QString &key : OneLess(call)) {
            std::vector<int> &from = m_oneLess[key];
            if (from.empty() || from.back() != int(m_calls.size()))
                from.push_back(int(m_calls.size()));
        }
        m_calls.push_back(call);
        m_set.insert(call);
    }
}

QString Calls::nearest(QStringView typed) const
{
    const QString upper = typed.toString().toUpper();
    // A call at most one edit away shares a key with the typed text.
    int best = 2, found = -1;
    for (const QString &key : OneLess(upper)) {
        const auto near = m_oneLess.constFind(key);
        if (near == m_oneLess.cend())
            continue;
        for (int index : *near) {
            const int d = Distance(m_calls[size_t(index)], upper, 2);
            if (d < best || (d == best && index < found))
                best = d, found = index;
        }
    }
    if (found < 0) {
        best = int(upper.size()) + 64;
        for (size_t index = 0; index < m_calls.size(); ++index) {
            const int d = Distance(m_calls[index], upper, best);
            if (d < best)
                best = d, found = int(index);
        }
    }
    if (found < 0 || 2 * best > m_calls[size_t(found)].size())
        return {};
    return m_calls[size_t(found)];
}

void Calls::readSpeeds(const QStringList &timeline)
{
    for (qsizetype i = 1; i < timeline.size(); ++i) {
        const QStringList fields = timeline[i].split(u',');
        bool ok = false;
        const double wpm = fields.value(2).toDouble(&ok);
        const QString call = fields.value(0).trimmed().toUpper();
        if (ok && wpm > 0 && m_set.contains(call) && !m_wpm.contains(call))
            m_wpm.insert(call, wpm);
    }
}

int SpeedBandOf(double wpm)
{
    return std::clamp(int(wpm) / 5 - 3, 0, SpeedBands - 1);
}

QString SpeedBandName(int band)
{
    if (band <= 0)
        return QStringLiteral("under 20 WPM");
    if (band >= SpeedBands - 1)
        return QStringLiteral("%1 WPM and over").arg(15 + 5 * band);
    return QStringLiteral("%1-%2 WPM").arg(15 + 5 * band).arg(19 + 5 * band);
}

QPair<double, double> Report::trend(const QPair<QChar, QChar> &pair) const
{
    int sent = 0;
    for (const Run &run : runs)
        sent += run.sentChars;
    const int recent = recentConfusions.value(pair);
    const int before = confusions.value(pair) - recent;
    const auto perMille = [](int times, int chars) { return chars > 0 ? 1000.0 * times / chars : -1.0; };
    return {perMille(before, sent - recentSentChars), perMille(recent, recentSentChars)};
}

QList<QPair<QPair<QChar, QChar>, int>> Report::commonest(int count) const
{
    QList<QPair<QPair<QChar, QChar>, int>> all;
    for (auto it = confusions.cbegin(); it != confusions.cend(); ++it)
        all.append({it.key(), it.value()});
    std::sort(all.begin(), all.end(), [](const auto &a, const auto &b) {
        if (a.second != b.second)
            return a.second > b.second;
        return a.first < b.first;
    });
    return all.mid(0, count);
}

namespace {

// One run to read: its history line and its case's check list.
struct Job
{
    const TPracticeScore *score;
    const Calls *calls;
};

// The counts of a share of the runs, merged into the report at the end.
struct Tally
{
    std::array<CharCount, 128> ascii{}; // the characters of calls
    QHash<QChar, CharCount> others;     // any other character
    QHash<QPair<QChar, QChar>, int> confusions;
    std::array<int, PartCount> byPart{};
    std::array<SpeedCount, SpeedBands> bySpeed{};
    int madeUp = 0, unreadLogs = 0;
    std::vector<Run> runs;

    CharCount &count(QChar c) { return c.unicode() < ascii.size() ? ascii[c.unicode()] : others[c]; }

    QHash<QPair<QChar, QChar>, int> recentConfusions;
    int recentSentChars = 0;

    void take(const Job &job, const QString &practiceLogs, bool recent)
    {
        const std::optional<QString> log = ReadPracticeLogText(practiceLogs, job.score->logFile);
        if (!log) {
            ++unreadLogs;
            return;
        }
        Run run{job.score->date, job.score->testCase, 0, 0};
        QString typed; // one buffer for every line: most calls are good and cost no copy
        TextFile::forEachLine(*log, [&](QStringView line) {
            const QStringView trimmed = TrimLogLine(line);
            if (trimmed.isEmpty())
                return;
            typed.resize(trimmed.size());
            for (qsizetype i = 0; i < trimmed.size(); ++i)
                typed[i] = trimmed[i].toUpper();
            const bool good = job.calls->contains(typed);
            const QString sent = good ? typed : job.calls->nearest(typed);
            if (sent.isEmpty()) {
                ++madeUp;
                return;
            }
            run.sentChars += int(sent.size());
            for (QChar c : sent)
                ++count(c).sent;
            const double wpm = job.calls->wpmOf(sent);
            SpeedCount *speed = wpm > 0 ? &bySpeed[size_t(SpeedBandOf(wpm))] : nullptr;
            if (speed)
                speed->sentChars += int(sent.size());
            if (good)
                return;
            for (const Edit &edit : Align(sent, typed)) {
                ++run.errors;
                if (recent)
                    ++recentConfusions[{edit.sent, edit.typed}];
                if (speed)
                    ++speed->errors;
                ++confusions[{edit.sent, edit.typed}];
                if (edit.sent.isNull())
                    ++count(edit.typed).added;
                else if (edit.typed.isNull())
                    ++count(edit.sent).missed;
                else
                    ++count(edit.sent).confused;
                ++byPart[PartAt(sent, std::min(edit.at, sent.size() - 1))];
            }
        });
        if (recent)
            recentSentChars += run.sentChars;
        runs.push_back(run);
    }

    void addTo(Report &report, std::array<CharCount, 128> &ascii_, QHash<QChar, CharCount> &others_) const
    {
        for (size_t c = 0; c < ascii.size(); ++c) {
            ascii_[c].sent += ascii[c].sent, ascii_[c].missed += ascii[c].missed;
            ascii_[c].confused += ascii[c].confused, ascii_[c].added += ascii[c].added;
        }
        for (auto it = others.cbegin(); it != others.cend(); ++it) {
            CharCount &n = others_[it.key()];
            n.sent += it->sent, n.missed += it->missed, n.confused += it->confused, n.added += it->added;
        }
        for (auto it = confusions.cbegin(); it != confusions.cend(); ++it)
            report.confusions[it.key()] += it.value();
        for (int part = 0; part < PartCount; ++part)
            report.byPart[part] += byPart[part];
        for (size_t band = 0; band < bySpeed.size(); ++band) {
            report.bySpeed[band].sentChars += bySpeed[band].sentChars;
            report.bySpeed[band].errors += bySpeed[band].errors;
        }
        for (auto it = recentConfusions.cbegin(); it != recentConfusions.cend(); ++it)
            report.recentConfusions[it.key()] += it.value();
        report.recentSentChars += recentSentChars;
        report.madeUp += madeUp;
        report.unreadLogs += unreadLogs;
        report.runs.insert(report.runs.end(), runs.begin(), runs.end());
    }
};

} // namespace

Report Analyse(const QString &historyFile, const QString &practiceLogs,
               const std::vector<const TWaveSourcePair *> &sources, const QString &player)
{
    Report report;
    report.player = player.trimmed().toUpper();
    const std::optional<TPracticeScoreList> scores = PracticeHistory::Read(historyFile);
    if (!scores || report.player.isEmpty())
        return report;
    // The player's computer runs; each case's check list read once.
    QHash<const TWaveSourcePair *, std::shared_ptr<const Calls>> checkLists;
    std::vector<Job> jobs;
    for (const TPracticeScore &score : *scores) {
        if (score.loggingMethod != u"Computer" ||
            PlayerRuns::PlayerOf(score.logFile).toUpper() != report.player)
            continue;
        const TWaveSourcePair *source = FindCase(sources, score.testCase, TPracticeScore::kCaseMax);
        std::shared_ptr<const Calls> calls = checkLists.value(source);
        if (source && !calls) {
            if (const auto lines = TextFile::tryReadLines(source->callsPath())) {
                auto list = std::make_shared<Calls>(*lines);
                QString timeline = source->callsPath();
                if (timeline.endsWith(QLatin1String("Calls.txt"), Qt::CaseInsensitive)) {
                    timeline.chop(9);
                    if (const auto speeds = TextFile::tryReadLines(ResolveCase(timeline + "Timeline.csv")))
                        list->readSpeeds(*speeds);
                }
                checkLists.insert(source, calls = std::move(list));
            }
        }
        if (calls)
            jobs.push_back({&score, calls.get()});
        else
            ++report.unreadLogs;
    }
    // The logs are read and matched on every core, each worker taking a
    // stretch of the runs, so that the runs keep their order.
    const size_t workers =
        std::clamp<size_t>(std::thread::hardware_concurrency(), 1, std::max<size_t>(1, jobs.size() / 64));
    std::vector<Tally> tallies(workers);
    std::vector<std::thread> threads;
    for (size_t w = 0; w < workers; ++w) {
        const size_t from = jobs.size() * w / workers, to = jobs.size() * (w + 1) / workers;
        const auto work = [&, w, from, to] {
            for (size_t j = from; j < to; ++j)
                tallies[w].take(jobs[j], practiceLogs, j + Report::RecentRuns >= jobs.size());
        };
        if (w + 1 == workers)
            work();
        else
            threads.emplace_back(work);
    }
    for (std::thread &thread : threads)
        thread.join();
    std::array<CharCount, 128> ascii{};
    QHash<QChar, CharCount> others;
    for (const Tally &tally : tallies)
        tally.addTo(report, ascii, others);
    for (char16_t c = 0; c < ascii.size(); ++c) {
        const CharCount &n = ascii[c];
        if (n.sent || n.missed || n.confused || n.added)
            report.characters.insert(QChar(c), n);
    }
    report.characters.insert(others);
    return report;
}

} // namespace MissAnalysis
