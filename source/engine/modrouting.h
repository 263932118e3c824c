// Which destinations are modulated and which modulators run, rebuilt whenever a routing changes.
#pragma once

#include "source/engine/engineconstants.h"

#include <cstdint>

namespace talvane {

struct ModRouting
{
    bool modulated[kNumModDestinations] = {};
    bool lfoInUse[kNumLfos] = {};
    bool modEnvInUse[kNumModEnvelopes] = {};
    bool matrixInUse[kNumMatrices] = {};

    // The flagged destinations as a list, for stages that visit only those.
    int modulatedList[kNumModDestinations] = {};
    int modulatedCount = 0;
    // Changes whenever the flags are rebuilt, so each voice can notice a new routing.
    std::uint32_t generation = 0;
};

} // namespace talvane
