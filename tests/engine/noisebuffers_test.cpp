#include "source/engine/crandom.h"
#include "source/engine/noisebuffers.h"
#include "source/engine/waveforms.h"

#include <gtest/gtest.h>

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace talvane;

namespace {

constexpr int kLength = NoiseBuffers::kLength;

std::unique_ptr<NoiseBuffers> generatedWithSeed(unsigned seed)
{
    auto noise = std::make_unique<NoiseBuffers>();
    std::srand(seed);
    noise->generate();
    return noise;
}

// Mean power of the noise in the bins from `from` to `to` (fractions of the sample rate).
double bandPower(const std::vector<std::complex<double>>& spectrum, double from, double to)
{
    const int n = 2 * (static_cast<int>(spectrum.size()) - 1);
    const int first = static_cast<int>(from * n), last = static_cast<int>(to * n);
    double sum = 0.0;
    for (int k = first; k < last; ++k)
        sum += std::norm(spectrum[k]);
    return sum / (last - first);
}

std::vector<std::complex<double>> powerSpectrumInput(const float* samples)
{
    std::vector<double> input(samples, samples + kLength);
    std::vector<std::complex<double>> spectrum(kLength / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(kLength, input.data(),
                                          reinterpret_cast<fftw_complex*>(spectrum.data()), FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    return spectrum;
}

} // namespace

TEST(Random15, SpansFifteenBits)
{
    std::srand(7);
    unsigned lowest = kRandom15Steps, highest = 0;
    for (int i = 0; i < 100000; ++i)
    {
        const unsigned r = random15();
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    EXPECT_EQ(lowest, 0u);
    EXPECT_EQ(highest, kRandom15Steps - 1);
}

TEST(NoiseBuffers, WhiteNoiseTakesFifteenBitStepsOverTheFullRange)
{
    const auto noise = generatedWithSeed(12345);
    const float* white = noise->whiteNoise();
    double sum = 0.0;
    for (int i = 0; i < kLength; ++i)
    {
        const double step = (white[i] * 0.5 + 0.5) * kRandom15Steps;
        ASSERT_EQ(step, std::floor(step)) << i;
        ASSERT_GE(white[i], -1.0f) << i;
        ASSERT_LE(white[i], 1.0f - 1.0f / 16384.0f) << i;
        sum += white[i];
    }
    EXPECT_EQ(*std::min_element(white, white + kLength), -1.0f);
    EXPECT_EQ(*std::max_element(white, white + kLength), 1.0f - 1.0f / 16384.0f);
    EXPECT_NEAR(sum / kLength, 0.0, 0.01);
}

TEST(NoiseBuffers, FollowTheGeneratorAndKelletsFilter)
{
    constexpr unsigned kSeed = 2024;
    const auto noise = generatedWithSeed(kSeed);

    // A plain transcription of the pink filter: six one-pole sections, a delayed term and the
    // direct path, double products and float state.
    const double pole[6] = {0.99886, 0.99332, 0.969, 0.8665, 0.55, -0.7616};
    const double gain[6] = {0.0555179, 0.0750759, 0.153852, 0.3104856, 0.5329522, -0.016898};
    float state[7] = {};
    std::srand(kSeed);
    for (int i = 0; i < 4096; ++i)
    {
        const int r = std::rand() / ((RAND_MAX + 1LL) / 32768);
        const float w = static_cast<float>((r / 32768.0 - 0.5) * 2.0);
        ASSERT_EQ(noise->whiteNoise()[i], w) << i;
        for (int s = 0; s < 6; ++s)
            state[s] = static_cast<float>(pole[s] * state[s] + gain[s] * w);
        float sum = 0.0f;
        for (float b : state)
            sum += b;
        const float pink = static_cast<float>(sum + 0.5362 * w);
        state[6] = static_cast<float>(0.115926 * w);
        ASSERT_EQ(noise->pinkNoise()[i], pink * 0.125f) << i;
    }
}

TEST(NoiseBuffers, PinkNoiseFallsThreeDecibelsPerOctave)
{
    const auto noise = generatedWithSeed(99);
    const float* pink = noise->pinkNoise();
    const auto [low, high] = std::minmax_element(pink, pink + kLength);
    EXPECT_GT(*low, -1.0f);
    EXPECT_LT(*high, 1.0f);

    const std::vector<std::complex<double>> spectrum = powerSpectrumInput(pink);
    // Two octaves up, a quarter of the power per bin; the white input stays flat.
    const double ratio = bandPower(spectrum, 0.0045, 0.0055) / bandPower(spectrum, 0.018, 0.022);
    EXPECT_NEAR(10.0 * std::log10(ratio), 6.02, 0.5);
    const std::vector<std::complex<double>> flat = powerSpectrumInput(noise->whiteNoise());
    EXPECT_NEAR(10.0 * std::log10(bandPower(flat, 0.0045, 0.0055) / bandPower(flat, 0.018, 0.022)), 0.0, 0.5);
}

TEST(NoiseBuffers, EveryGenerateGivesNewNoise)
{
    auto noise = std::make_unique<NoiseBuffers>();
    noise->generate();
    std::vector<float> firstWhite(noise->whiteNoise(), noise->whiteNoise() + kLength);
    std::vector<float> firstPink(noise->pinkNoise(), noise->pinkNoise() + kLength);
    noise->generate();
    EXPECT_NE(std::memcmp(firstWhite.data(), noise->whiteNoise(), kLength * sizeof(float)), 0);
    EXPECT_NE(std::memcmp(firstPink.data(), noise->pinkNoise(), kLength * sizeof(float)), 0);
}

TEST(NoiseBuffers, NoiseSampleReadsWhiteForWaveform4AndPinkOtherwise)
{
    const auto noise = generatedWithSeed(5);
    for (int i : {0, 1, 31, kLength - 1})
    {
        EXPECT_EQ(noise->noiseSample(waveform::kWhiteNoise, i), noise->whiteNoise()[i]);
        EXPECT_EQ(noise->noiseSample(waveform::kPinkNoise, i), noise->pinkNoise()[i]);
        EXPECT_EQ(noise->noiseSample(waveform::kSaw, i), noise->pinkNoise()[i]);
    }
    EXPECT_EQ(noise->noiseSample(waveform::kWhiteNoise, kLength + 3), noise->whiteNoise()[3]) << "wraps";
    EXPECT_NE(noise->whiteNoise()[100], noise->pinkNoise()[100]);
}
