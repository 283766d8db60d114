#pragma once
// The level of the next practice case for a player, from his last runs in
// the practice history, with the rule and its figures in words.
//
// A run's level is its case's level file (<case folder>/<wave name>Level.txt,
// "LEVEL=<preset>") when it names a preset, else the preset whose callers a
// minute are nearest to the case's check-list calls over its length in
// minutes (the recording's, or 5 when it cannot be read). Its copy ratio is
// the run's correct calls over the check list's calls.
//
// Over the player's last Runs runs of cases the station knows: a mean ratio
// of UpRatio or more moves him one level above the highest of them (Expert
// at most); under DownRatio one level below the lowest (First pileup at
// least); anything between keeps the level of his last run. No runs: Club.

#include "util/TWaveSourcePair.h"

#include <QString>
#include <vector>

struct LevelChoice
{
    QString level;  // a preset's name
    QString reason; // the rule and its figures, in words
    int runs = 0;   // runs it was chosen from
    double ratio = 0.0;
};

namespace NextLevel {

constexpr int Runs = 5;
constexpr double UpRatio = 0.6;
constexpr double DownRatio = 0.3;
constexpr double UnknownMinutes = 5.0;

// The level of `source`: its level file's preset, else the nearest in
// callers a minute; empty when its check list cannot be read.
QString LevelOf(const TWaveSourcePair &source);

// The level for `player` (letter case ignored) from the history file's runs,
// computer and paper, of the cases among `sources`.
LevelChoice Choose(const QString &historyFile, const std::vector<const TWaveSourcePair *> &sources,
                   const QString &player);

} // namespace NextLevel
