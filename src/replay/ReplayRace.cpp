#include "ReplayRace.h"

#include "util/FileUtil.h"
#include "util/TWaveSourcePair.h"
#include "util/TextFile.h"
#include "util/TextUtil.h"

#include <algorithm>
#include <cmath>

namespace {

// The MinTop table starts every second here, so it never exceeds it.
constexpr qint32 MinTopCeiling = 1000;
// Bars are drawn at most this long, whatever a damaged file claims.
constexpr double LongestBar = 1'000'000;

} // namespace

QString ReplayRace::UserFolder() const
{
    return JoinPath(m_data.PracticeRoot, m_data.CaseName) + u'/';
}

bool ReplayRace::Activate()
{
    QStringList names;
    ListTextFiles(UserFolder(), names);
    std::vector<std::unique_ptr<TTimedScore>> runs;
    for (const QString &name : names)
        runs.push_back(LoadTimedScore(UserFolder(), name));
    SortTimedScores(runs);
    m_userBest.reset();
    if (!runs.empty()) {
        const TTimedScore &best = *runs.front();
        m_userBest =
            CopyTimedScore(best.Folder, best.FileName, best.Call, best.CorrectCalls, best.CorrectChars);
        BuildSecondTable(*m_userBest);
    }

    MaxTotalChars = 0;
    for (auto &score : m_data.TopFive) {
        BuildSecondTable(*score);
        MaxTotalChars = std::max(MaxTotalChars, score->CorrectChars);
    }
    FindReplayWave();
    StepSeconds = 1;
    Running = false;
    Finished = true;
    PixelsPerChar = MaxTotalChars > 0 ? float(FullWidth) / float(MaxTotalChars) : 0.0f;

    QStringList lines;
    lines.reserve(TimedScoreSeconds);
    for (int s = 0; s < TimedScoreSeconds; ++s) {
        qint32 lo = MinTopCeiling;
        qint32 hi = 0;
        for (const auto &score : m_data.TopFive) {
            lo = std::min(lo, CharsAt(*score, s));
            hi = std::max(hi, CharsAt(*score, s));
        }
        m_minTop[s] = lo;
        m_maxTop[s] = hi;
        lines.append(QStringLiteral("%1,0,%2").arg(s).arg(lo));
    }
    return TextFile::tryWriteLines(m_data.BaseFolder + m_data.MinTopFileName, lines);
}

void ReplayRace::FindReplayWave()
{
    static const QString prefix = QStringLiteral("VORLIX_WAVESOURCE_PRACTICE");
    const QStringList lines = TextFile::tryReadLines(m_data.ConfigFile).value_or(QStringList());
    for (const QString &line : lines) {
        if (!line.startsWith(prefix))
            continue;
        const TWaveSourcePair source(line, m_data.PracticeWavesFolder);
        source.PrepareCallsFile(nullptr, m_data.Untouchable);
        if (source.caseNameMatches(m_data.CaseName)) {
            m_wavePath = source.wavePath();
            return;
        }
    }
}

void ReplayRace::ChooseCompetitor(const QString &entry)
{
    m_selected.reset();
    if (entry.isEmpty() || entry == u"None")
        return;
    m_selected = LoadTimedScore(m_data.CaseFolder, QStringLiteral("TS_") + entry + QStringLiteral(".txt"));
    BuildSecondTable(*m_selected);
}

void ReplayRace::Begin(qint64 lengthMs)
{
    ElapsedSeconds = 0;
    AudioSeconds = int(std::min<qint64>((std::max<qint64>(lengthMs, 0) + 999) / 1000, 1'000'000));
    Running = true;
    Finished = false;
}

bool ReplayRace::Tick()
{
    if (!Running || Finished)
        return false;
    ElapsedSeconds += StepSeconds;
    if (AudioSeconds - ElapsedSeconds < 1)
        Finished = true;
    return true;
}

void ReplayRace::Reset()
{
    ElapsedSeconds = 0;
}

int ReplayRace::shownSecond() const
{
    return std::clamp(ElapsedSeconds, 0, TimedScoreSeconds - 1);
}

qint32 ReplayRace::TopNow(int place) const
{
    if (place < 0 || place >= int(m_data.TopFive.size()))
        return 0;
    return CharsAt(*m_data.TopFive[std::size_t(place)], shownSecond());
}

qint32 ReplayRace::SelectNow() const
{
    return m_selected ? CharsAt(*m_selected, shownSecond()) : 0;
}

qint32 ReplayRace::UserNow() const
{
    return m_userBest ? CharsAt(*m_userBest, shownSecond()) : 0;
}

qint32 ReplayRace::AvgNow() const
{
    return m_data.AverageChars[std::size_t(shownSecond())];
}

QString ReplayRace::RemainingText() const
{
    return Finished ? QStringLiteral("00:00") : FormatMinSec(AudioSeconds - ElapsedSeconds);
}

ReplayRace::Band ReplayRace::TopBand() const
{
    const qint32 lo = m_minTop[std::size_t(shownSecond())];
    const qint32 hi = m_maxTop[std::size_t(shownSecond())];
    Band band;
    band.left = BarWidth(lo);
    band.width = std::max(MinBandWidth, BarWidth(qint64(hi) - lo));
    band.shown = lo > 0 && hi > 0;
    return band;
}

int ReplayRace::BarWidth(qint64 chars) const
{
    const float pixels = float(chars) * PixelsPerChar;
    return int(std::clamp(std::floor(double(pixels)), 0.0, LongestBar));
}
