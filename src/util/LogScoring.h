#pragma once
// Scoring a player's log against a check list. A log holds one logged call
// per line, repeats kept; a check list holds one correct call per line. Each
// log line, trimmed of leading and trailing blanks and control characters,
// counts as a correct call when some check-list line equals it whole, letter
// case ignored; check-list lines are taken as they stand (not trimmed, an
// empty line is an entry like any other). A call logged twice counts twice.

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

// A score: correct calls and the characters in them.
struct TScore
{
    int calls = 0;
    int chars = 0;
};

inline bool operator==(const TScore &a, const TScore &b)
{
    return a.calls == b.calls && a.chars == b.chars;
}

// The lines of one check list, indexed for many lookups: a log line is
// correct when its case-folded text is among the case-folded check-list
// lines, which is the same as a whole-line, case-ignoring match.
class CheckList
{
public:
    CheckList() = default;
    explicit CheckList(const QStringList &lines);

    // Reads the check list at `path`; raises "Cannot open file %s" when it
    // cannot be read.
    static CheckList Load(const QString &path);

    // Whether a log line, already trimmed, is a correct call.
    bool contains(QStringView trimmedLine) const;
    // The number of distinct entries (lines equal but for case count once).
    qsizetype size() const { return m_folded.size(); }

private:
    QSet<QString> m_folded;
    qsizetype m_longest = -1; // longer lines cannot match, so are not folded
};

// A log line without its leading and trailing blanks and control characters
// (the code points up to the blank and those from 0x7F to 0x9F).
QStringView TrimLogLine(QStringView line);

// The score of log lines against a check list.
TScore ScoreLines(const CheckList &checkList, const QStringList &logLines);

// The score of the log at `logPath`; raises "Cannot open file %s" naming the
// file that cannot be read (the check list first, then the log). Both files
// must exist.
TScore ScoreLog(const CheckList &checkList, const QString &logPath);
TScore ScoreLog(const QString &checkListPath, const QString &logPath);

// "Correct calls/chars=" followed by the calls, "/" and the characters, cut
// to `limit` characters.
QString ScoreText(const TScore &score, qsizetype limit = 30);

// One line of the practice history for a scored practice log:
// "dd-MMM-yyyy, hh:mm,<log path>,<method>,<case>,<calls>,<chars>", the
// method "Computer" or "Paper".
QString PracticeHistoryLine(const QDateTime &when, const QString &logFile, const QString &method,
                            const QString &caseName, const TScore &score);
