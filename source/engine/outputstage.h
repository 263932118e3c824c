// The voice amplifier and the output stage: voices scaled by their amplitude envelope, summed,
// scaled by the global volume and decimated from the internal rate to the host rate.
#pragma once

#include "source/engine/engineconstants.h"

namespace talvane {

// Scales one sub-block of a voice by its amplitude envelope (and its "AMP | Volume" modulation).
void applyVoiceAmp(const float* ampEnvOut, const float* volumeMod, float* left, float* right);

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

    // Reads 2 * outputCount internal samples and writes outputCount host samples.
    void process(const float* input, float* output, int outputCount);

    const float* state() const { return history; }

private:
    // history[k] is the value tap k multiplies: each output shifts the pairs up by two and puts
    // the earlier of the two new samples in history[0], the later in history[1].
    float history[kTaps] = {};
};

} // namespace talvane
