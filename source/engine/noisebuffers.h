// The white and pink noise the two noise waveforms read, one pair per processor.
#pragma once

#include "source/engine/waveforms.h"

namespace talvane {

// Regenerated at every set-up from the C runtime's generator, so every set-up (and every run, the
// generator being seeded with the time) gives new noise. Zero until the first generate().
class NoiseBuffers
{
public:
    static constexpr int kLength = 0x80000;

    NoiseBuffers() = default;
    NoiseBuffers(const NoiseBuffers&) = delete;
    NoiseBuffers& operator=(const NoiseBuffers&) = delete;

    // Draws kLength values of rand() and fills both buffers from them.
    void generate();

    // White noise for waveform 4, pink for any other; index taken modulo kLength.
    float noiseSample(int waveform, int index) const
    {
        const float* buffer = waveform == waveform::kWhiteNoise ? white : pink;
        return buffer[index & (kLength - 1)];
    }
    const float* whiteNoise() const { return white; }
    const float* pinkNoise() const { return pink; }
    // The buffer an oscillator or LFO of waveform 4 (white) or 5 (pink) reads from.
    const float* buffer(int waveform) const { return waveform == waveform::kWhiteNoise ? white : pink; }

private:
    float white[kLength] = {};
    float pink[kLength] = {};
};

static_assert((NoiseBuffers::kLength & (NoiseBuffers::kLength - 1)) == 0,
              "a noise index wraps by masking with kLength - 1");

} // namespace talvane
