// How the engine lays its voices side by side for the per-sample kernels: every invariant of the
// lane layout, in one place.
//
// Lane v of a row is the v-th active voice of the sub-block (voices in slot order). A stereo row
// holds the left channels of all lanes, then, from kRightLanes on, the right channels. The kernels
// run the active lanes padded to a whole number of the narrowest vectors; the padding lanes compute
// on zeros and their results are never read.
#pragma once

#include "source/engine/engineconstants.h"

namespace talvane::lanes {

// A lane for every voice slot, padded to whole vectors.
constexpr int kVoiceLanes = 24;
// The right channels' lanes start here in a stereo row.
constexpr int kRightLanes = kVoiceLanes;
constexpr int kStereoLanes = 2 * kVoiceLanes;
// The narrowest vector the kernels use holds this many floats (128 bits); the widest, 16 (512 bits).
// Lane counts are padded to the narrowest, and each kernel covers them with its target's widest
// vectors first, then with halves of those down to the narrowest: 16 + 8 on AVX-512, 8 + 8 + 8 on
// AVX2, 4 at a time on the baseline.
constexpr int kLaneQuantum = 4;
constexpr int kWidestVector = 16;
// Lane blocks start on a cache line, so that the widest vectors of a row's first lanes do not split.
constexpr int kBlockAlignment = 64;

// The lanes the kernels run for `voices` active voices.
constexpr int paddedLanes(int voices)
{
    return (voices + kLaneQuantum - 1) / kLaneQuantum * kLaneQuantum;
}

static_assert(kVoiceLanes >= kNumVoiceSlots, "every voice slot has a lane");
static_assert(paddedLanes(kNumVoiceSlots) <= kVoiceLanes, "the padding of all voice slots fits the rows");
static_assert(kVoiceLanes % kLaneQuantum == 0, "rows hold whole narrowest vectors");
static_assert(kWidestVector % kLaneQuantum == 0 && (kWidestVector & (kWidestVector - 1)) == 0,
              "vector widths halve down to the narrowest");
// Internal sample j reads host-rate row j / kOversampling: a sub-block is whole host samples, and
// a power of two so that it divides the noise buffers.
static_assert(kSubBlockInternalSamples == kOversampling * kSubBlockSamples, "whole host samples");
static_assert((kSubBlockInternalSamples & (kSubBlockInternalSamples - 1)) == 0, "a power of two");

// One value per lane.
using LaneRow = float[kVoiceLanes];
// A sub-block of internal samples per lane: [internal sample][lane].
using LaneBlock = LaneRow[kSubBlockInternalSamples];
// A sub-block of host-rate values per lane, as modulation and the LFOs run: [host sample][lane].
using HostRateLanes = LaneRow[kSubBlockSamples];
// Both channels of every lane for one internal sample.
using StereoRow = float[kStereoLanes];

} // namespace talvane::lanes

namespace talvane {

// The active voices of one sub-block side by side, as the oscillators produce them and the filter
// works on them: samples[j][v] is internal sample j of voice v's left channel, and
// samples[j][kRightLanes + v] that of its right channel.
struct VoiceLanes
{
    alignas(lanes::kBlockAlignment) lanes::StereoRow samples[kSubBlockInternalSamples];

    // Copies voice v's 32 samples per channel out of the lanes.
    void store(int v, float* left, float* right) const noexcept
    {
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
        {
            left[j] = samples[j][v];
            right[j] = samples[j][lanes::kRightLanes + v];
        }
    }
    void load(int v, const float* left, const float* right) noexcept
    {
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
        {
            samples[j][v] = left[j];
            samples[j][lanes::kRightLanes + v] = right[j];
        }
    }
};

} // namespace talvane
