#include "source/engine/outputstage.h"

#include <algorithm>

namespace talvane {

const float Decimator::kCoefficients[kTaps] = {
    -0.000557354768f, -0.00321114645f, -0.00909698382f, -0.0152176218f,  -0.0127375321f,   0.00626377203f,
    0.0354612283f,    0.0498259477f,   0.024863787f,    -0.0303352606f,  -0.0622756295f,   -0.0103642121f,
    0.131175146f,     0.288538992f,    0.357323229f,    0.288538992f,    0.131175146f,     -0.0103642121f,
    -0.0622756295f,   -0.0303352606f,  0.024863787f,    0.0498259477f,   0.0354612283f,    0.00626377203f,
    -0.0127375321f,   -0.0152176218f,  -0.00909698382f, -0.00321114645f, -0.000557354768f,
};

void applyVoiceAmp(const float* ampEnvOut, const float* volumeMod, float* left, float* right) noexcept
{
    float gain[kSubBlockSamples];
    if (volumeMod)
        for (int k = 0; k < kSubBlockSamples; ++k)
            gain[k] = ampEnvOut[k] * (1.0f + volumeMod[k]);
    else
        std::copy(ampEnvOut, ampEnvOut + kSubBlockSamples, gain);
    // The envelope runs at the host rate: each value serves two internal samples.
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
    {
        left[j] *= gain[j / kOversampling];
        right[j] *= gain[j / kOversampling];
    }
}

void Decimator::process(const float* input, float* output, int outputCount) noexcept
{
    float even[kHistoryPairs + kChunk];
    float odd[kHistoryPairs + kChunk];
    for (int first = 0; first < outputCount; first += kChunk)
    {
        const int count = std::min(kChunk, outputCount - first);
        std::copy(pastEven, pastEven + kHistoryPairs, even);
        std::copy(pastOdd, pastOdd + kHistoryPairs, odd);
        for (int i = 0; i < count; ++i)
        {
            even[kHistoryPairs + i] = input[2 * (first + i)];
            odd[kHistoryPairs + i] = input[2 * (first + i) + 1];
        }
        // The taps are summed in order 0..28 for every output.
        const float* source[kTaps];
        for (int k = 0; k < kTaps; ++k)
            source[k] = (k % 2 == 0 ? even : odd) + kHistoryPairs - k / 2;
        kernelSet->tapSum({source, kCoefficients, kTaps, output + first, count});
        std::copy(even + count, even + count + kHistoryPairs, pastEven);
        std::copy(odd + count, odd + count + kHistoryPairs, pastOdd);
    }
}

} // namespace talvane
