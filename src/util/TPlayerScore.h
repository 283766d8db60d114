#pragma once
// One scored log in a ranking: the player's name taken from the log's file
// name, the log's path, and its score against a check list. Records rank by
// more correct calls first, then more characters.

#include "LogScoring.h"

#include <QString>

class TPlayerScore
{
public:
    static constexpr qsizetype kNameMax = 22;
    static constexpr qsizetype kPathMax = 260;
    static constexpr qsizetype kResultLineMax = 50;

    // The log file is `folder` followed by `fileName` (a separator is put in
    // between when the folder does not end with one), cut to 260 characters.
    // Calls and chars start at 0.
    TPlayerScore(const QString &fileName, const QString &folder);

    // The player's name of a log file name: the name reversed, cut at every
    // "\", "/" and ".", empty pieces skipped, the second piece reversed back,
    // at most 22 characters. So "DL1ABC.log" gives "DL1ABC", "logs\K5XX.log"
    // gives "K5XX" and "A.B.log" gives "B". A last path component without
    // two such pieces (no extension, as "K5XX", or nothing before it, as
    // ".log") is the name as it stands, never a folder's name, so every log
    // keeps a name that points to its file.
    static QString NameOf(const QString &fileName);

    // Scores the record's log file and keeps the result; raises "Cannot open
    // file %s" when a file cannot be read, and then keeps the old values.
    void Score(const QString &checkListPath);
    void Score(const CheckList &checkList);

    // name, ",", calls, ",", chars, cut to `limit` characters.
    QString ResultLine(qsizetype limit = kResultLineMax) const;

    QString name;
    QString logFile;
    int calls = 0;
    int chars = 0;
};

// The ranking order: negative when `a` ranks above `b` (more correct calls,
// then more characters), positive when below, 0 when equal in both.
int ComparePlayerScores(const TPlayerScore &a, const TPlayerScore &b);
