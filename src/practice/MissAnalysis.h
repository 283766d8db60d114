#pragma once
// What a player misses, character by character, across his scored computer
// logs: each logged call that is not in its case's check list is matched
// with the nearest call there, and the edits between the two are counted:
// a character missed, taken for another (5 for H, B for 6), or added; and
// where in the call it happened (prefix, number, suffix).

#include "util/TWaveSourcePair.h"

#include <QChar>
#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace MissAnalysis {

// One edit between the call sent and the call typed: `sent` null for a
// character added, `typed` null for one missed, both for one taken for
// another. `at` is the position in the call sent (for an added character,
// the position it came before).
struct Edit
{
    QChar sent;
    QChar typed;
    qsizetype at = 0;
};

enum Part
{
    Prefix,
    Number,
    Suffix,
    PartCount
};

// The fewest edits that turn `sent` into `typed` (letter case ignored).
std::vector<Edit> Align(QStringView sent, QStringView typed);
// The part of `call` its character at `index` belongs to: the number is the
// last run of digits of the longest piece between strokes (the last of
// equals), the prefix what comes before it, the suffix what comes after
// (portable additions too).
Part PartAt(QStringView call, qsizetype index);

// A check list ready for many look-ups of the nearest call.
class Calls
{
public:
    explicit Calls(const QStringList &lines);
    // The call nearest to `typed`, upper case: fewest edits, the first in
    // the list on a tie; empty when even the nearest needs more edits than
    // half its length (a call made up, not a call miscopied).
    QString nearest(QStringView typed) const;
    bool contains(const QString &upper) const { return m_set.contains(upper); }
    // The speeds of the callers from the timeline of a made case: lines
    // "Call,PitchHz,WPM,StartS,EndS" after a heading.
    void readSpeeds(const QStringList &timeline);
    // The speed `upper` was sent at; 0 when not known.
    double wpmOf(const QString &upper) const { return m_wpm.value(upper); }

private:
    std::vector<QString> m_calls; // upper case, in list order
    QSet<QString> m_set;
    // Each call, and each call less one character, to the calls it comes
    // from: two calls one edit apart share a key, so a miscopy by one
    // character (the common case) is found without walking the list.
    QHash<QString, std::vector<int>> m_oneLess;
    QHash<QString, double> m_wpm;
};

// The speeds the mistakes are counted by: under 20 WPM, 20-24 ... 35-39, 40 and over.
constexpr int SpeedBands = 6;
int SpeedBandOf(double wpm);
QString SpeedBandName(int band);

struct CharCount
{
    int sent = 0;     // in the calls sent that the player logged, right or wrong
    int missed = 0;   // left out
    int confused = 0; // taken for another character
    int added = 0;    // typed where nothing was sent
};

struct Run
{
    QString date;
    QString testCase;
    int sentChars = 0; // characters of the calls sent that were logged
    int errors = 0;    // edits in the bad calls
};

struct SpeedCount
{
    int sentChars = 0;
    int errors = 0;
};

struct Report
{
    QString player;
    // Per (sent, typed) pair as in Edit, how often.
    QHash<QPair<QChar, QChar>, int> confusions;
    QHash<QChar, CharCount> characters;
    std::array<int, PartCount> byPart{};
    // Of the calls of cases made at the station, whose speeds are known.
    std::array<SpeedCount, SpeedBands> bySpeed{};
    // The same of the last RecentRuns runs alone, to see how they changed.
    static constexpr int RecentRuns = 5;
    QHash<QPair<QChar, QChar>, int> recentConfusions;
    int recentSentChars = 0;
    int madeUp = 0;        // calls logged with no check-list call near them
    int unreadLogs = 0;    // history lines whose log or check list is gone
    std::vector<Run> runs; // in the order played

    // The commonest confusions, most frequent first (ties by character).
    QList<QPair<QPair<QChar, QChar>, int>> commonest(int count) const;
    // How often `pair` happened per 1000 characters sent, in the runs before
    // the last RecentRuns and in those; negative where there were none.
    QPair<double, double> trend(const QPair<QChar, QChar> &pair) const;
};

// The report of `player` (letter case ignored) from the practice history
// file's computer logs in `practiceLogs`, scored against `sources`. A case's
// speeds come from the timeline beside its check list ("<name>Timeline.csv"
// beside "<name>Calls.txt"), as made cases have.
Report Analyse(const QString &historyFile, const QString &practiceLogs,
               const std::vector<const TWaveSourcePair *> &sources, const QString &player);

} // namespace MissAnalysis
