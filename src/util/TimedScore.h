#pragma once
// Timed scores: how one player's result grew during a test. A timed-score
// file "TS_<key>.txt" holds one line per correct call, "seconds,calls,chars",
// the cumulative counts after that call; the last line holds the totals.
// TTimedScore is one such file in memory: its totals and the cumulative
// characters at every second of the test, which the replay races and ranks.

#include <QString>

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
    // LoadTimedScore read the file: its zeros are a result, not a stand-in.
    bool FileRead = false;
};

// One line of a timed-score file as the readers take it.
struct TimedScorePoint
{
    int seconds = 0;
    qint32 calls = 0;
    qint32 chars = 0;
};

// The timed score of folder + fileName (the name matched without letter
// case), one point per line in file order. Each field is the value of its
// leading digits, 0 when it has none; doubled commas vanish. A line is left
// out when it lacks one of its three fields (a blank line), lies outside
// seconds 0 to 359, or was logged before the line taken ahead of it; the
// counts are the largest so far, so a damaged line never pulls them back.
// Nothing when the file cannot be read or is larger than MaxTimedScoreBytes
// (a test writes a few kilobytes; a million lines still read in well under a
// second).
inline constexpr qint64 MaxTimedScoreBytes = qint64(64) << 20;
std::optional<std::vector<TimedScorePoint>> ReadTimedScore(const QString &folder, const QString &fileName);

// `folder` ending with a separator, as the records keep it.
QString TimedScoreFolder(const QString &folder);

// The key of a timed-score file name: the second piece when the name is cut
// at every "_" and ".", empty pieces skipped ("TS_K5XX.txt" gives "K5XX"),
// at most 22 characters; empty when there is no second piece.
QString TimedScoreKey(const QString &fileName);

// Reads the totals of folder + fileName, the counts of its last point (see
// ReadTimedScore), so they agree with the table's last second. The table holds
// 0 for seconds 0 to 9 and the character total from second 10 on until
// BuildSecondTable runs. A file that cannot be read or a name without a key
// gives zero totals, and FileRead stays false.
std::unique_ptr<TTimedScore> LoadTimedScore(const QString &folder, const QString &fileName);

// A record holding the given values; its table is all 0.
std::unique_ptr<TTimedScore> CopyTimedScore(const QString &folder, const QString &fileName,
                                            const QString &call, qint32 correctCalls, qint32 correctChars);

// Fills CharsAtSecond from the file: each second holds the characters of the
// last point at or before it, 0 before the first. A file of a single point (a
// test with one correct call), like one that cannot be read or is empty, gives
// the character total from second 10 on, seconds 0 to 9 as they were.
void BuildSecondTable(TTimedScore &score);

// The table entry of `second`; 0 outside 0 to 359.
qint32 CharsAt(const TTimedScore &score, int second);

// The ranking order: negative when `a` ranks above `b` (more correct calls,
// then more characters), positive when below, 0 when equal in both.
int CompareTimedScores(const TTimedScore &a, const TTimedScore &b);

// Sorts a list of timed scores into the ranking order (equal ones keep theirs).
void SortTimedScores(std::vector<std::unique_ptr<TTimedScore>> &scores);
