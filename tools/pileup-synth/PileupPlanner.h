#pragma once
// Plans a pileup from its options: draws the callers (from a given list or
// made up), their speed, pitch, level, keying irregularity and fading, how
// often each calls and how many times it sends its call, and places every
// transmission in the recording so that the density of callers swells and
// ebbs and no two transmissions start together.

#include "PileupPlan.h"
#include "SynthOptions.h"

#include <QStringList>

class PileupPlanner
{
public:
    // Raises SynthError when the options are out of range, the call list
    // holds fewer distinct calls than callers or a call that cannot be sent,
    // or the recording is too short for the transmissions.
    static PileupPlan plan(const SynthOptions &options, const QStringList &callList = {});
};
