#pragma once
// The ranking of one round. Computer logs are ranked by correct calls, then
// by the characters in them; equal results share the better rank (1, 2, 2,
// 4) and keep the order they came in. Paper logs are scored by hand later:
// they come last, ranked "PAPER", with no numbers.

#include "hostlink/HostProtocol.h"
#include "util/LogScoring.h"

#include <QString>
#include <QStringList>

#include <vector>

struct HostResult
{
    int index = 0;    // the position, 0 .. 5
    QString position; // "Position 3"
    QString call;
    HostProtocol::LogMethod method = HostProtocol::LogMethod::Computer;
    TScore score;
    QString rank; // set by RankResults: "2 of 6" (at most 11 characters), or "PAPER"
};

// The first line of the results file.
QString ResultsHeader(); // "Rank,Position,Call,Method,Calls,Chars"

// Orders `results` best first and sets their ranks; returns one line each,
// "rank,position,call,method,calls,chars" ("PAPER,Position 3,DL1ABC,Paper,,").
QStringList RankResults(std::vector<HostResult> &results);
