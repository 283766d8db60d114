#pragma once
// Timed scores: how one player's result grew during a test. A timed-score
// file "TS_<key>.txt" holds one line per correct call, "seconds,calls,chars",
// the cumulative counts after that call; the last line holds the totals.
// TTimedScore is one such file in memory: its totals and the cumulative
// characters at every second of the test, which the replay races and ranks.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <memory>
#include <optional>
#include <vector>

// The longest test the readers look at; lines at or beyond it are ignored.
inline constexpr int TimedScoreSeconds = 360;
// The longest key (the player's call) kept from a file name.
inline constexpr int TimedScoreKeyLength = 22;

struct TTimedScore
{
    QString Folder;   // folder of the file, ending with a separator
    QString FileName; // file name without folder
    QString Call;     // key of the file name, at most 22 characters
    qint32 CorrectCalls = 0;
    qint32 CorrectChars = 0;
    std::array<qint32, TimedScoreSeconds> CharsAtSecond{};
};

// One line of a timed-score file, read as every reader reads it: the first
// three comma-separated fields (doubled commas vanish), each the value of its
// leading digits, 0 when it has none or is missing.
struct TimedScoreLine
{
    int seconds = 0;
    int calls = 0;
    int chars = 0;
    bool hasCallsAndChars = false; // the second and third fields are there
};
TimedScoreLine ParseTimedScoreLine(QStringView line);

// The lines of folder + fileName, the name matched without letter case;
// nothing when the file cannot be read or is larger than any test could
// write (MaxTimedScoreBytes), so a stray huge file cannot stall a replay.
inline constexpr qint64 MaxTimedScoreBytes = 1 << 20;
std::optional<QStringList> ReadTimedScoreLines(const QString &folder, const QString &fileName);

// `folder` ending with a separator, as the records keep it.
QString TimedScoreFolder(const QString &folder);

// The key of a timed-score file name: the second piece when the name is cut
// at every "_" and ".", empty pieces skipped ("TS_K5XX.txt" gives "K5XX"),
// at most 22 characters; empty when there is no second piece.
QString TimedScoreKey(const QString &fileName);

// Reads the totals of folder + fileName (the last line's second and third
// fields). The table holds 0 for seconds 0 to 9 and the character total from
// second 10 on until BuildSecondTable runs. A missing file or a name without
// a key gives zero totals.
std::unique_ptr<TTimedScore> LoadTimedScore(const QString &folder, const QString &fileName);

// A record holding the given values; its table is all 0.
std::unique_ptr<TTimedScore> CopyTimedScore(const QString &folder, const QString &fileName,
                                            const QString &call, qint32 correctCalls, qint32 correctChars);

// Fills CharsAtSecond from the file: each second holds the characters of the
// last line logged at or before it, 0 before the first line. When the file
// cannot be read (or is empty) seconds 10 to 359 hold the character total.
void BuildSecondTable(TTimedScore &score);

// The table entry of `second`; 0 outside 0 to 359.
qint32 CharsAt(const TTimedScore &score, int second);

// The ranking order: negative when `a` ranks above `b` (more correct calls,
// then more characters), positive when below, 0 when equal in both.
int CompareTimedScores(const TTimedScore &a, const TTimedScore &b);

// Sorts a list of timed scores into the ranking order (equal ones keep theirs).
void SortTimedScores(std::vector<std::unique_ptr<TTimedScore>> &scores);
