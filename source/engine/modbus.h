// The per-voice modulation bus: every modulator adds into it, every stage reads from it.
#pragma once

#include "source/engine/engineconstants.h"

namespace talvane {

// Index of a modulation destination in a voice's bus. The repeated groups are addressed as
// first + i * stride + offset, like their parameters.
namespace mod_dest {
enum : int
{
    kNone = 0,
    kPitch = 1,
    kAmpVolume = 2,
    kAmpAttack = 3,
    kAmpDecay = 4,
    kAmpSustain = 5,
    kAmpRelease = 6,
    kFilterCutoff = 7,
    kFilterQ = 8,
    kFilterAmount = 9,
    kFilterAttack = 10,
    kFilterDecay = 11,
    kFilterSustain = 12,
    kFilterRelease = 13,
    kFm12 = 32,
    kFm3OscMix = 33,
    kFm3Amount = 34,
    kRm12 = 35,
    kRm13 = 36,
    kRm23 = 37,
};

// Oscillator i: kOscFirst + i * kOscStride + offset.
constexpr int kOscFirst = 14;
constexpr int kOscStride = 6;
enum : int
{
    kOscMix,
    kOscPitch,
    kOscInitPhase,
    kOscStereoDephase,
    kOscPanning,
    kOscStretch,
};

// LFO l: kLfoFirst + l * kLfoStride + offset.
constexpr int kLfoFirst = 38;
constexpr int kLfoStride = 8;
enum : int
{
    kLfoAmount,
    kLfoFreq,
    kLfoInitPhase,
    kLfoClipping,
    kLfoFirstSlotAmount,
};

// Modulation envelope e: kModEnvFirst + e * kModEnvStride + offset.
constexpr int kModEnvFirst = 54;
constexpr int kModEnvStride = 9;
enum : int
{
    kModEnvAmount,
    kModEnvAttack,
    kModEnvDecay,
    kModEnvSustain,
    kModEnvRelease,
    kModEnvFirstSlotAmount,
};

// Matrix m: kMatrixFirst + m * kMatrixStride + offset.
constexpr int kMatrixFirst = 72;
constexpr int kMatrixStride = 6;
enum : int
{
    kMatrixAmount,
    kMatrixClipping,
    kMatrixFirstSlotAmount,
};

constexpr int osc(int i, int offset)
{
    return kOscFirst + i * kOscStride + offset;
}
constexpr int lfo(int l, int offset)
{
    return kLfoFirst + l * kLfoStride + offset;
}
constexpr int modEnv(int e, int offset)
{
    return kModEnvFirst + e * kModEnvStride + offset;
}
constexpr int matrix(int m, int offset)
{
    return kMatrixFirst + m * kMatrixStride + offset;
}

// The stage-time destinations of the four envelopes (amplitude, filter, ENV1, ENV2).
struct EnvelopeDestinations
{
    int attack, decay, sustain, release;
};
constexpr EnvelopeDestinations kEnvelopeDestinations[kNumEnvelopes] = {
    {kAmpAttack, kAmpDecay, kAmpSustain, kAmpRelease},
    {kFilterAttack, kFilterDecay, kFilterSustain, kFilterRelease},
    {modEnv(0, kModEnvAttack), modEnv(0, kModEnvDecay), modEnv(0, kModEnvSustain), modEnv(0, kModEnvRelease)},
    {modEnv(1, kModEnvAttack), modEnv(1, kModEnvDecay), modEnv(1, kModEnvSustain), modEnv(1, kModEnvRelease)},
};
} // namespace mod_dest

// Destination d at host-rate sample k of the current sub-block, and each destination's last value
// of the previous sub-block (after the clamp), through which modulators modulate each other.
struct ModBus
{
    float value[kNumModDestinations][kSubBlockSamples];
    float prev[kNumModDestinations];
};

} // namespace talvane
