#include "CompetitorSimulator.h"

#include "CallSignMaker.h"
#include "SynthRandom.h"

#include <algorithm>
#include <cmath>

namespace {

// Test length the station's readers accept: later lines are ignored.
constexpr int LastSecond = 359;

// How crowded a transmission is: the other transmissions that overlap it,
// each counted by the share of time it overlaps and weighted by how loud it
// is next to this one.
std::vector<double> Crowding(const PileupPlan &plan)
{
    const auto &tx = plan.transmissions;
    std::vector<double> crowding(tx.size(), 0.0);
    for (size_t i = 0; i < tx.size(); ++i) {
        const double length = std::max(0.1, tx[i].end - tx[i].start);
        const double level = plan.callerOf(tx[i]).levelDb;
        for (size_t j = 0; j < tx.size(); ++j) {
            if (j == i || tx[j].start >= tx[i].end)
                continue;
            const double overlap = std::min(tx[i].end, tx[j].end) - std::max(tx[i].start, tx[j].start);
            if (overlap <= 0.0)
                continue;
            const double loudness =
                std::clamp(std::pow(10.0, (plan.callerOf(tx[j]).levelDb - level) / 20.0), 0.3, 2.0);
            crowding[i] += overlap / length * loudness;
        }
    }
    return crowding;
}

struct Copy
{
    double readyAt = 0.0; // when the player has the call and starts typing
    int chars = 0;
};

SimulatedCompetitor CopyPileup(const PileupPlan &plan, const std::vector<double> &crowding,
                               const QString &call, double skill, SynthRandom &random)
{
    SimulatedCompetitor competitor;
    competitor.call = call;
    competitor.skill = skill;

    const double comfortableWpm = 24.0 + 20.0 * skill;
    const double base = 0.55 + 0.43 * skill;
    const double crowdingCost = 0.9 * (1.25 - skill);

    std::vector<bool> copied(plan.callers.size(), false);
    std::vector<Copy> copies;
    for (size_t i = 0; i < plan.transmissions.size(); ++i) {
        const PileupTransmission &t = plan.transmissions[i];
        const PileupCaller &caller = plan.callerOf(t);
        const double speed =
            caller.wpm <= comfortableWpm ? 1.0 : std::exp(-(caller.wpm - comfortableWpm) / 8.0);
        const double weakness = 1.0 + caller.levelDb * 0.02 * (1.0 - skill);
        const double once =
            std::clamp(base * std::exp(-crowdingCost * crowding[i]) * speed * weakness, 0.0, 1.0);
        // Every repeat of the call is another chance to copy it.
        const double chance = 1.0 - std::pow(1.0 - once, std::pow(double(t.repeats), 0.7));
        const bool gotIt = random.chance(chance);
        if (!gotIt || copied[size_t(t.caller)])
            continue;
        copied[size_t(t.caller)] = true;
        copies.push_back(
            {t.end + 0.8 + (1.0 - skill) * 2.5 + random.uniform(0.0, 2.0), int(caller.call.size())});
    }

    std::sort(copies.begin(), copies.end(),
              [](const Copy &a, const Copy &b) { return a.readyAt < b.readyAt; });
    double typedAt = 0.0;
    TimedScoreStep step;
    for (const Copy &c : copies) {
        // Typing takes its time; a backlog of calls is logged one after another.
        const double typing = 0.6 + c.chars * (0.12 + 0.15 * (1.0 - skill));
        typedAt = std::max(c.readyAt, typedAt) + typing;
        const int seconds = int(std::lround(typedAt));
        if (seconds > LastSecond)
            break;
        step.seconds = seconds;
        step.calls += 1;
        step.chars += c.chars;
        competitor.steps.push_back(step);
    }
    return competitor;
}

} // namespace

QStringList SimulatedCompetitor::fileLines() const
{
    QStringList lines;
    for (const TimedScoreStep &s : steps)
        lines << QStringLiteral("%1,%2,%3").arg(s.seconds).arg(s.calls).arg(s.chars);
    return lines;
}

bool SimulatedCompetitor::ranksAbove(const SimulatedCompetitor &a, const SimulatedCompetitor &b)
{
    if (a.correctCalls() != b.correctCalls())
        return a.correctCalls() > b.correctCalls();
    return a.correctChars() > b.correctChars();
}

SimulatedContest CompetitorSimulator::simulate(const PileupPlan &plan, int count, quint64 seed)
{
    const std::vector<double> crowding = Crowding(plan);
    // A tie at the top would leave the winner to the order of sorting: draw
    // the field again with the next seed until the winner stands alone. A
    // pileup of a few easy calls that many copy whole has no lone winner:
    // after some draws the tie stands, the first of the sorted field winning.
    constexpr quint64 Draws = 64;
    for (quint64 attempt = 0;; ++attempt) {
        SynthRandom random(seed + attempt * 7919);
        SynthRandom callRandom = random.fork(1);
        CallSignMaker calls(callRandom);
        SimulatedContest contest;
        long long totalCalls = 0;
        for (int i = 0; i < count; ++i) {
            // Skills spread from novices to a few experts.
            const double talent = std::sqrt(random.uniform());
            const double form = random.uniform(0.6, 1.0);
            const double skill = std::clamp(0.1 + 0.9 * talent * form, 0.0, 1.0);
            SynthRandom copyRandom = random.fork(100 + quint64(i));
            contest.competitors.push_back(CopyPileup(plan, crowding, calls.next(0.0), skill, copyRandom));
            totalCalls += contest.competitors.back().correctCalls();
        }
        std::stable_sort(contest.competitors.begin(), contest.competitors.end(),
                         SimulatedCompetitor::ranksAbove);
        contest.averageCalls = count > 0 ? int(std::lround(double(totalCalls) / count)) : 0;
        const bool unique = contest.competitors.size() < 2 ||
                            SimulatedCompetitor::ranksAbove(contest.competitors[0], contest.competitors[1]);
        if (unique || attempt + 1 >= Draws)
            return contest;
    }
}
