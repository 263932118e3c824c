// Sizes that shape the engine: the sub-block framing, the voice slots and the modulation bus.
#pragma once

#include "source/params/listsizes.h" // kNumModDestinations
#include "source/params/paramids.h"  // kSlotsPerModulator

namespace talvane {

// Control-rate work happens once per sub-block of 16 host samples.
constexpr int kSubBlockSamples = 16;
// The engine renders at twice the host rate.
constexpr int kOversampling = 2;
constexpr int kSubBlockInternalSamples = kSubBlockSamples * kOversampling;
// Up to one sub-block is rendered ahead of the host's output.
constexpr int kRenderAheadSamples = kSubBlockSamples;

constexpr int kNumPlayableVoices = 16;
constexpr int kNumFadeSlots = 4;
constexpr int kNumVoiceSlots = kNumPlayableVoices + kNumFadeSlots;
constexpr int kFirstFadeSlot = kNumPlayableVoices;
constexpr int kMaxPendingNotes = 8;

constexpr int kNumOscillators = 3;
constexpr int kNumEnvelopes = 4;
constexpr int kNumLfos = 2;
constexpr int kNumModEnvelopes = 2;
constexpr int kNumMatrices = 2;
} // namespace talvane
