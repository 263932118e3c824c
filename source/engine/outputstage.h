// The voice amplifier and the output stage: voices scaled by their amplitude envelope, summed,
// scaled by the global volume and decimated from the internal rate to the host rate.
#pragma once

#include "source/engine/engineconstants.h"
#include "source/engine/kernels/kernelset.h"

namespace talvane {

// Scales one sub-block of a voice by its amplitude envelope (and its "AMP | Volume" modulation).
void applyVoiceAmp(const float* ampEnvOut, const float* volumeMod, float* left, float* right) noexcept;

// A symmetric 29-tap half-band style FIR that halves the rate, with its state kept from block to
// block. Not copyable: it belongs to one output channel.
class Decimator
{
public:
    static constexpr int kTaps = 29;
    static const float kCoefficients[kTaps];

    Decimator() = default;
    Decimator(const Decimator&) = delete;
    Decimator& operator=(const Decimator&) = delete;

    // The kernels to run with: the best the processor has unless a test chooses.
    void useKernels(const kernels::KernelSet& set) noexcept { kernelSet = &set; }

    // Reads 2 * outputCount internal samples and writes outputCount host samples.
    void process(const float* input, float* output, int outputCount) noexcept;

private:
    static constexpr int kHistoryPairs = (kTaps - 1) / 2; // 14 earlier input pairs reach an output
    static constexpr int kChunk = 256;                    // outputs computed per pass

    // The earlier input pairs, split into the earlier (even) and later (odd) sample of each pair.
    // For output i, tap k multiplies the even sample of pair i - k/2 when k is even, and the odd
    // sample of pair i - (k - 1)/2 when k is odd: each output takes the newest pair's earlier sample
    // first, then its later one, then the older pairs in the same order.
    float pastEven[kHistoryPairs] = {};
    float pastOdd[kHistoryPairs] = {};
    const kernels::KernelSet* kernelSet = &kernels::bestKernels();
};

} // namespace talvane
