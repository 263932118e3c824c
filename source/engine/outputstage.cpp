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

void applyVoiceAmp(const float* ampEnvOut, const float* volumeMod, float* left, float* right)
{
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
    {
        // The envelope runs at the host rate: each value serves two internal samples.
        const int k = j / kOversampling;
        const float gain = volumeMod ? ampEnvOut[k] * (1.0f + volumeMod[k]) : ampEnvOut[k];
        left[j] *= gain;
        right[j] *= gain;
    }
}

void Decimator::process(const float* input, float* output, int outputCount)
{
    for (int i = 0; i < outputCount; ++i)
    {
        std::copy_backward(history, history + kTaps - 2, history + kTaps);
        history[0] = input[2 * i];
        history[1] = input[2 * i + 1];
        float sum = 0.0f;
        for (int k = 0; k < kTaps; ++k)
            sum += kCoefficients[k] * history[k];
        output[i] = sum;
    }
}

} // namespace talvane
