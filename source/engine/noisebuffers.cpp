#include "source/engine/noisebuffers.h"

#include "source/engine/crandom.h"

namespace talvane {

static_assert(sizeof(NoiseBuffers) == 2 * NoiseBuffers::kLength * sizeof(float), "exactly the two buffers");

namespace {

// Uniform white noise in [−1, 1 − 2^−14], in steps of 2^−14.
float whiteFromRandom(unsigned r)
{
    constexpr float kScale = 1.0f / kRandom15Steps;
    return (static_cast<float>(r) * kScale - 0.5f) * 2.0f;
}

// Paul Kellet's refined pink-noise filter: six one-pole sections plus a one-sample delay, whose sum
// falls at −3 dB per octave. Products in double precision, state in float.
class PinkFilter
{
public:
    float next(float w)
    {
        b0 = 0.99886 * b0 + 0.0555179 * w;
        b1 = 0.99332 * b1 + 0.0750759 * w;
        b2 = 0.969 * b2 + 0.153852 * w;
        b3 = 0.8665 * b3 + 0.3104856 * w;
        b4 = 0.55 * b4 + 0.5329522 * w;
        b5 = -0.7616 * b5 - 0.016898 * w;
        const float out = b0 + b1 + b2 + b3 + b4 + b5 + b6 + 0.5362 * w;
        b6 = 0.115926 * w;
        return out;
    }

private:
    float b0 = 0.0f, b1 = 0.0f, b2 = 0.0f, b3 = 0.0f, b4 = 0.0f, b5 = 0.0f, b6 = 0.0f;
};

// Brings the filter's gain (several times that of its white input) back to about unit range.
constexpr double kPinkLevel = 0.125;

} // namespace

void NoiseBuffers::generate()
{
    PinkFilter filter;
    for (int i = 0; i < kLength; ++i)
    {
        const float w = whiteFromRandom(random15());
        white[i] = w;
        pink[i] = static_cast<float>(filter.next(w) * kPinkLevel);
    }
}

} // namespace talvane
