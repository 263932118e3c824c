#include "source/engine/outputstage.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

using namespace talvane;

TEST(Decimator, SettlesToItsDcGainAfterFifteenOutputs)
{
    Decimator d;
    std::vector<float> in(64, 1.0f), out(32);
    d.process(in.data(), out.data(), 32);
    const float dcGain =
        std::accumulate(std::begin(Decimator::kCoefficients), std::end(Decimator::kCoefficients), 0.0f);
    EXPECT_NEAR(dcGain, 1.142f, 0.001f);
    EXPECT_NE(out[13], out[14]) << "still filling";
    EXPECT_NEAR(out[14], dcGain, 1e-6f);
    EXPECT_EQ(out[14], out[31]);
}

TEST(Decimator, KeepsItsTailAcrossSilentBlocks)
{
    Decimator d;
    std::vector<float> ones(8, 1.0f), out(4), silence(64, 0.0f), tail(32);
    d.process(ones.data(), out.data(), 4);
    d.process(silence.data(), tail.data(), 32);
    EXPECT_NE(tail[0], 0.0f);
    EXPECT_NE(tail[13], 0.0f);
    for (int i = 15; i < 32; ++i)
        EXPECT_EQ(tail[i], 0.0f) << "the 29 state values have drained by output " << i;
}

TEST(Decimator, PutsTheEarlierOfEachPairFirst)
{
    // An impulse on the even sample meets tap 0 first, on the odd sample tap 1; older pairs move
    // up two taps per output.
    for (int phase = 0; phase < 2; ++phase)
    {
        Decimator d;
        std::vector<float> in(40, 0.0f), out(20);
        in[phase] = 1.0f;
        d.process(in.data(), out.data(), 20);
        for (int i = 0; i < 15 - phase; ++i)
            EXPECT_EQ(out[i], Decimator::kCoefficients[2 * i + phase])
                << "phase " << phase << " output " << i;
    }
}

TEST(VoiceAmp, StepsTheEnvelopeAtTheHostRateAndScalesVolumeModulation)
{
    float env[kSubBlockSamples], volume[kSubBlockSamples];
    for (int k = 0; k < kSubBlockSamples; ++k)
    {
        env[k] = static_cast<float>(k) / 16.0f;
        volume[k] = 1.0f;
    }
    float left[kSubBlockInternalSamples], right[kSubBlockInternalSamples];
    std::fill(std::begin(left), std::end(left), 1.0f);
    std::fill(std::begin(right), std::end(right), -1.0f);
    applyVoiceAmp(env, nullptr, left, right);
    EXPECT_EQ(left[6], env[3]);
    EXPECT_EQ(left[7], env[3]);
    EXPECT_EQ(right[7], -env[3]);
    applyVoiceAmp(env, volume, left, right);
    EXPECT_EQ(left[7], env[3] * env[3] * 2.0f) << "volume modulation +1 doubles the envelope";
}
