#pragma once
// Renders a planned pileup to 16-bit mono samples: every caller's keyed
// tone with raised-cosine edges (no key clicks), its level and slow fading,
// band noise at the chosen signal-to-noise ratio and static crashes. The
// mix is scaled so that its loudest sample sits at the chosen peak, below
// full scale, so it never clips.

#include "PileupPlan.h"
#include "SynthOptions.h"

#include <QtGlobal>

#include <vector>

class PileupRenderer
{
public:
    static std::vector<qint16> render(const PileupPlan &plan, const SynthOptions &options);
};
