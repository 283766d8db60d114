#pragma once
// The station's sample data, all synthetic: the practice cases "Lakemont
// 2012" and "Lakemont 2013" with the timed scores of their simulated
// competitors, the demonstration pileup, the standalone pileup and the
// welcome recording, laid out in the folders beside the station.

#include "CompetitorSimulator.h"
#include "PileupPlan.h"
#include "SynthOptions.h"

#include <QString>
#include <QStringList>

#include <vector>

struct SamplePileup
{
    QString folder;   // relative to the base folder, empty for the base folder itself
    QString waveName; // file names inside that folder
    QString callsName;
    QString caseName; // practice cases only: the name shown and the timed-score folder
    SynthOptions options;
};

struct SampleWinner
{
    QString caseName;
    QString waveName;
    QString callsName;
    QString winner;
    int winningCalls = 0;
    int averageCalls = 0;

    // The practice source line of the station's configuration.
    QString configLine() const;
};

class SampleTree
{
public:
    static constexpr int CompetitorsPerCase = 40;

    static std::vector<SamplePileup> pileups();
    // The plan of a sample pileup (its timeline; no audio).
    static PileupPlan plan(const SamplePileup &pileup);
    // The simulated competitors of a practice case, ranked.
    static SimulatedContest contest(const SamplePileup &pileup);
    // Winner, winning score and average score of every practice case, from
    // the same simulation that writes the timed scores.
    static std::vector<SampleWinner> winners();

    enum Parts
    {
        Audio = 1,
        CallsAndTimedScores = 2,
        Everything = 3
    };
    // Writes the tree into `baseFolder`; raises SynthError on failure.
    static void generate(const QString &baseFolder, int parts = Everything);
};
