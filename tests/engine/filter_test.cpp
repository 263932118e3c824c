#include "source/engine/filter.h"
#include "source/engine/lookuptables.h"
#include "source/engine/outputbound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

using namespace talvane;

namespace {

constexpr float kHostRate = 44100.0f;

class Filter : public ::testing::Test
{
protected:
    Filter() : bus(std::make_unique<ModBus>())
    {
        std::memset(bus.get(), 0, sizeof(ModBus));
        stage.setSources(&LookupTables::shared(), kHostRate);
        state.start(69.0f, 69);
    }
    FilterCoefficients coefficients(float env = 0.0f) { return stage.coefficients(state, *bus, env); }

    // Steady-state gain for a sine of `hz` at the internal rate.
    double gainAt(double hz)
    {
        FilterVoiceState st;
        st.start(69.0f, 69);
        double in = 0.0, out = 0.0;
        for (int block = 0; block < 400; ++block)
        {
            float left[kSubBlockInternalSamples], right[kSubBlockInternalSamples];
            for (int j = 0; j < kSubBlockInternalSamples; ++j)
                left[j] = right[j] = static_cast<float>(
                    std::sin(2.0 * M_PI * hz * (block * kSubBlockInternalSamples + j) / (2.0 * kHostRate)));
            float copy[kSubBlockInternalSamples];
            std::memcpy(copy, left, sizeof copy);
            stage.render(st, *bus, 0.0f, left, right);
            if (block >= 200)
                for (int j = 0; j < kSubBlockInternalSamples; ++j)
                {
                    in += copy[j] * copy[j];
                    out += left[j] * left[j];
                }
        }
        return std::sqrt(out / in);
    }

    FilterStage stage;
    FilterVoiceState state;
    std::unique_ptr<ModBus> bus;
};

} // namespace

TEST_F(Filter, CutoffSpansTwentyHertzToTwentyKilohertz)
{
    // The stage coefficient p = (1.8 - 0.8 d) d of the cutoff relative to half the internal rate,
    // d = fc / 44100, worked by hand: 20480 Hz gives d = 0.4643991, p = 0.6633852; 20 Hz gives
    // d = 0.00045351, p = 0.00081616198.
    stage.settings.cutoff = 1.0f;
    FilterCoefficients c = coefficients();
    EXPECT_FLOAT_EQ(c.p, 0.66338515f);
    EXPECT_EQ(c.comp, LookupTables::shared().resonanceCompTable()[2047]) << "b = 1 uses the last entry";
    stage.settings.cutoff = 0.0f;
    c = coefficients();
    EXPECT_FLOAT_EQ(c.p, 0.00081616198f);
    EXPECT_EQ(c.comp, LookupTables::shared().resonanceCompTable()[2]);
}

TEST_F(Filter, KeyFollowMovesTheCutoffAnOctavePerOctave)
{
    stage.settings.cutoff = 0.5f;
    stage.settings.keyFollow = 1.0f;
    state.start(81.0f, 69);
    const FilterCoefficients up = coefficients();
    stage.settings.keyFollow = 0.0f;
    stage.settings.cutoff = 0.6f;
    const FilterCoefficients shifted = coefficients();
    EXPECT_FLOAT_EQ(up.p, shifted.p);
    // Six octaves above 20 Hz: 1280 Hz, d = 0.0290249, p = 0.0515709.
    EXPECT_NEAR(up.p, 0.0515709, 1e-5);
}

TEST_F(Filter, EnvelopeAmountAndModulationAddToTheCutoff)
{
    stage.settings.cutoff = 0.2f;
    stage.settings.envAmount = 0.5f;
    const FilterCoefficients withEnv = coefficients(0.6f); // + 0.3
    bus->value[mod_dest::kFilterCutoff][0] = 0.3f;
    stage.settings.envAmount = 0.0f;
    const FilterCoefficients withMod = coefficients();
    EXPECT_FLOAT_EQ(withEnv.p, withMod.p);
}

TEST_F(Filter, NotchInvertsTheResonance)
{
    stage.settings.type = FilterType::Notch;
    stage.settings.resonance = 1.0f;
    EXPECT_EQ(coefficients().k, 0.0f);
    stage.settings.resonance = 0.0f;
    EXPECT_FLOAT_EQ(coefficients().k, 1.8f);
    stage.settings.type = FilterType::LowPass;
    EXPECT_EQ(coefficients().k, 0.0f);
    stage.settings.resonance = 1.0f;
    EXPECT_FLOAT_EQ(coefficients().k, 3.6f);
}

TEST_F(Filter, OffLeavesTheVoiceUntouched)
{
    stage.settings.on = false;
    stage.settings.cutoff = 0.1f;
    float left[kSubBlockInternalSamples], right[kSubBlockInternalSamples];
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
        left[j] = right[j] = static_cast<float>(j) * 0.01f - 0.1f;
    float expected[kSubBlockInternalSamples];
    std::memcpy(expected, left, sizeof expected);
    stage.render(state, *bus, 1.0f, left, right);
    EXPECT_EQ(std::memcmp(left, expected, sizeof expected), 0);
    EXPECT_EQ(std::memcmp(right, expected, sizeof expected), 0);
}

TEST_F(Filter, TypesShapeTheSpectrumAsNamed)
{
    stage.settings.cutoff = 0.6f; // about 1.3 kHz
    stage.settings.type = FilterType::LowPass;
    EXPECT_GT(gainAt(200.0), 0.5);
    EXPECT_LT(gainAt(10000.0), 0.01);
    // The high and band passes are formed from stage differences and are gentle.
    stage.settings.type = FilterType::HighPass;
    EXPECT_GT(gainAt(10000.0), 3.0 * gainAt(100.0));
    stage.settings.type = FilterType::BandPass;
    EXPECT_GT(gainAt(1000.0), 1.2 * gainAt(100.0));
    EXPECT_GT(gainAt(1000.0), 1.2 * gainAt(15000.0));
}

TEST_F(Filter, HighResonanceSelfOscillatesWithoutBlowingUp)
{
    stage.settings.cutoff = 0.3f;
    stage.settings.resonance = 1.0f;
    float left[kSubBlockInternalSamples] = {1.0f}, right[kSubBlockInternalSamples] = {1.0f};
    float peak = 0.0f;
    for (int block = 0; block < 2000; ++block)
    {
        stage.render(state, *bus, 0.0f, left, right);
        for (float v : left)
        {
            ASSERT_TRUE(std::isfinite(v));
            peak = std::max(peak, std::fabs(v));
        }
        std::fill(std::begin(left), std::end(left), 0.0f);
        std::fill(std::begin(right), std::end(right), 0.0f);
    }
    EXPECT_GT(state.left.y4 * state.left.y4 + state.left.y3 * state.left.y3, 0.0f) << "still ringing";
    // A unit impulse gives at most the sum of the impulse response's magnitudes, the ladder's
    // largest gain.
    EXPECT_GT(peak, 0.0f);
    EXPECT_LE(peak, output_bound::kFilterGain);
}
