// The engine's per-sample kernels: each computation is written once, in its own file of this folder,
// against Highway, which compiles it for every instruction-set target listed below. The stages call
// the kernels of one target through a KernelSet, which is the best target the processor has unless a
// test asks for another. Every target computes exactly the same values: the same IEEE operations in
// the same order, and no fused multiply-add (the build forbids contraction).
#pragma once

#include "source/engine/engineconstants.h"
#include "source/engine/filtertype.h"
#include "source/engine/kernels/lanes.h"

namespace talvane::kernels {

using lanes::HostRateLanes;
using lanes::LaneBlock;
using lanes::LaneRow;
using lanes::StereoRow;

// Exponential FM of an oscillator: per lane and internal sample, its frequency is scaled by
// fastPow(1 + 8 × amount, modulator), both channels, where the amount or its modulation is non-zero.
struct FmModulation
{
    float amount;                   // the FM amount setting
    const HostRateLanes* amountMod; // its modulation (zeros where it is not modulated)
    const LaneBlock* first[2];      // the modulator: oscillator 1's panned output, per channel
    const LaneBlock* second[2];     // nullptr, or oscillator 2's, crossfaded with the first by
    float mix;                      //   clamp01(mix + mixMod)
    const HostRateLanes* mixMod;    //   (zeros where it is not modulated)
    const float* freq;              // per lane, the oscillator's frequency in Hz
    float internalRate;
};

// One oscillator in every lane for a sub-block: its samples, read from the wavetables by the phase
// chains or given, are panned (the side away from the pan keeps its full level), kept for FM and
// ring modulation, and mixed at a quarter of their level into the voice sum.
struct Oscillator
{
    // The wavetable reading: each lane reads its table at its phase and advances the phase, sample
    // after sample. The table index is phase × stretch × 2 × the table length (4096); a modulated
    // stretch is clamped to 0..1 and stepped at the host rate.
    const float* samples;            // the bank's block of tables
    const int* tableOffset;          // per lane: where its table starts in `samples`
    float stretch;                   // the oscillator's stretch setting
    const HostRateLanes* stretchMod; // nullptr when the stretch is not modulated
    int channels;                    // phase chains: 1 (the right channel repeats the left) or 2
    float* phase[2];                 // per lane and chain; advanced by the sub-block
    const float* increment;          // per lane, the phase increment without FM
    const FmModulation* fm;          // nullptr without FM (which needs two chains)
    // Instead of the tables, the samples of each channel where given (noise).
    const LaneBlock* source[2];
    // Panning and mixing.
    bool invert;
    float panning;
    const HostRateLanes* panMod; // nullptr when the panning is not modulated
    float mix;
    const HostRateLanes* mixMod; // nullptr when the level is not modulated
    LaneBlock* panned[2];
    StereoRow* voices; // the voice sum of the sub-block, added to
    int lanes;
};

// The three ring-modulation products of the panned oscillator outputs, added to the voice sum.
struct RingModulation
{
    const LaneBlock* panned[kNumOscillators][2]; // per oscillator and channel
    float amount[3];                             // 1 × 2, 1 × 3, 2 × 3
    const HostRateLanes* amountMod[3];           // their modulation (zeros where unmodulated)
    StereoRow* voices;
    int lanes;
};

// The state of every lane's four-stage ladder and the coefficients of its voice for one sub-block:
// state per stereo lane, coefficients per voice (both channels share them).
struct LadderLanes
{
    alignas(lanes::kBlockAlignment) float x0[lanes::kStereoLanes]; // last stage input
    alignas(lanes::kBlockAlignment) float fb[lanes::kStereoLanes]; // feedback
    alignas(lanes::kBlockAlignment) float y1[lanes::kStereoLanes];
    alignas(lanes::kBlockAlignment) float y2[lanes::kStereoLanes];
    alignas(lanes::kBlockAlignment) float y3[lanes::kStereoLanes];
    alignas(lanes::kBlockAlignment) float y4[lanes::kStereoLanes];
    alignas(lanes::kBlockAlignment) LaneRow p, p2, f, k, comp;
};

// Filters the voice lanes of one sub-block in place.
struct Ladder
{
    FilterType type;
    LadderLanes* state;
    StereoRow* samples;
    int lanes;
};

// One LFO of every lane for a sub-block: its table read at the phase, then the phase advanced by
// the lane's increment and wrapped, at the host rate.
struct LfoAdvance
{
    const float* table;
    float* phase;           // per lane; advanced
    const float* increment; // per lane
    HostRateLanes* raw;     // the values read
    int lanes;
};

// Clamps the listed rows of a modulation bus to -1..1 and keeps each one's last value.
struct BusClamp
{
    float (*rows)[kSubBlockSamples];
    float* last; // per row
    const int* listed;
    int count;
};

// y[i] = sum over k of coefficient[k] × tap[k][i], the taps summed in order: a FIR whose taps are
// laid out for it.
struct TapSum
{
    const float* const* taps;
    const float* coefficients;
    int tapCount;
    float* output;
    int count;
};

// The kernels compiled for one instruction-set target.
struct KernelSet
{
    const char* target;
    void (*oscillator)(const Oscillator&) noexcept;
    void (*ringModulation)(const RingModulation&) noexcept;
    void (*ladder)(const Ladder&) noexcept;
    void (*lfoAdvance)(const LfoAdvance&) noexcept;
    void (*busClamp)(const BusClamp&) noexcept;
    void (*tapSum)(const TapSum&) noexcept;
};

// The targets the kernels are built for. The baseline needs SSSE3, which every x86-64 processor of
// the last fifteen years has; AVX2 and AVX-512 (foundation, VL, DQ, BW) are used where present.
enum class Target
{
    Baseline,
    Avx2,
    Avx512,
};
constexpr Target kTargets[] = {Target::Baseline, Target::Avx2, Target::Avx512};

const char* targetName(Target target) noexcept;
// The kernels of `target`, or nullptr where this processor cannot run them.
const KernelSet* kernelsFor(Target target) noexcept;
// Whether this processor runs at least the baseline.
bool processorSupported() noexcept;
// The kernels of the best target this processor has, chosen once. The baseline's where the
// processor runs none (see processorSupported()).
const KernelSet& bestKernels() noexcept;

} // namespace talvane::kernels
