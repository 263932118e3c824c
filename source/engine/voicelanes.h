// The active voices of one sub-block side by side, as the oscillators produce them and the filter
// works on them: lane v is the v-th active voice.
#pragma once

#include "source/engine/engineconstants.h"

namespace talvane {

struct VoiceLanes
{
    static constexpr int kLanes = 24;          // all voice slots, padded to whole vectors
    static constexpr int kRightLanes = kLanes; // right channels start here
    using Row = float[2 * kLanes];

    // samples[j][v]: internal sample j of voice v's left channel; samples[j][kRightLanes + v] its
    // right channel.
    alignas(64) Row samples[kSubBlockInternalSamples];

    // Copies voice v's 32 samples per channel out of the lanes.
    void store(int v, float* left, float* right) const
    {
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
        {
            left[j] = samples[j][v];
            right[j] = samples[j][kRightLanes + v];
        }
    }
    void load(int v, const float* left, const float* right)
    {
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
        {
            samples[j][v] = left[j];
            samples[j][kRightLanes + v] = right[j];
        }
    }
};

} // namespace talvane
