#include "source/engine/kernels/fastpow.h"
#include "source/engine/lookuptables.h"
#include "source/engine/noisebuffers.h"
#include "source/engine/oscillators.h"
#include "source/engine/wavetablebank.h"
#include "source/engine/waveforms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

using namespace talvane;
using talvane::fastpow::fastPow;

namespace {

constexpr float kInternalRate = 88200.0f;
constexpr int kN = kSubBlockInternalSamples;

class Oscillators : public ::testing::Test
{
protected:
    Oscillators() : noise(std::make_unique<NoiseBuffers>()), bus(std::make_unique<ModBus>())
    {
        std::srand(1234);
        noise->generate();
        stage.setSources(&WavetableBank::shared(), &LookupTables::shared(), noise.get(), kInternalRate);
        std::memset(bus.get(), 0, sizeof(ModBus));
        for (OscillatorSettings& o : stage.osc)
        {
            o.on = false;
            o.retrig = true;
        }
        stage.osc[0].on = true;
    }

    void render(float pitch = 69.0f) { stage.render(state, pitch, *bus, routing, left, right); }
    void start() { stage.startVoice(state, *bus); }

    OscillatorStage stage;
    OscillatorVoiceState state;
    std::unique_ptr<NoiseBuffers> noise;
    std::unique_ptr<ModBus> bus;
    ModRouting routing;
    float left[kN] = {}, right[kN] = {};
};

} // namespace

// Worked from the IEEE bits, once, outside this code. 9.0 is 0x40220000'00000000; its upper word
// 1075970048 at x = 0.5 becomes 1072632447 + 0.5 × (1075970048 − 1072632447) = 1074301247.5,
// truncated to 0x4008893f: the double 0x4008893f'00000000 = 2 × (1 + 0x8893f / 2^20) =
// 3.0670146942138672. At x = 0 every base gives the bias word 1072632447 = 0x3fef127f, that is
// 0x1.f127fp-1 = 0.97100782394409180; at x = 1 the base comes back with its lower word cleared.
struct FastPowExample
{
    double base, x, result;
};
constexpr FastPowExample kFastPowExamples[] = {
    // base 1
    {1.0, -1.0, 0x1.e24fep-1},
    {1.0, -0.37, 0x1.eba9ep-1},
    {1.0, 0.0, 0x1.f127fp-1},
    {1.0, 0.5, 0x1.f893fp-1},
    {1.0, 1.0, 1.0},
    // base 2
    {2.0, -1.0, 0x1.e24fep-2},
    {2.0, -0.37, 0x1.8cf19p-1},
    {2.0, 0.0, 0x1.f127fp-1},
    {2.0, 0.5, 0x1.7893fp+0},
    {2.0, 1.0, 2.0},
    // base 5.5
    {5.5, -1.0, 0x1.824fep-3},
    {5.5, -0.37, 0x1.0ab42p-1},
    {5.5, 0.0, 0x1.f127fp-1},
    {5.5, 0.5, 0x1.2893fp+1},
    {5.5, 1.0, 5.5},
    // base 9, the largest the FM uses
    {9.0, -1.0, 0x1.c24fep-4},
    {9.0, -0.37, 0x1.c3a9ep-2},
    {9.0, 0.0, 0x1.f127fp-1},
    {9.0, 0.5, 0x1.8893fp+1},
    {9.0, 1.0, 9.0},
};

TEST(FastPow, GivesTheWorkedDoublesBitForBit)
{
    EXPECT_EQ(fastPow(9.0, 0.5), 3.0670146942138672);
    EXPECT_EQ(fastPow(2.0, 0.0), 0.97100782394409180);
    for (const FastPowExample& e : kFastPowExamples)
        EXPECT_EQ(fastPow(e.base, e.x), e.result) << e.base << "^" << e.x;
}

TEST(FastPow, StaysWithinAFewPercentOfThePowerOverTheFmRange)
{
    // Exact at x = 1, 2.9 % low at x = 0, 5.8 % low at x = -1, 2.2 % high for the square root of 9.
    for (const FastPowExample& e : kFastPowExamples)
        EXPECT_NEAR(fastPow(e.base, e.x) / std::pow(e.base, e.x), 1.0, 0.06) << e.base << "^" << e.x;
    EXPECT_EQ(fastPow(9.0, 1.0), 9.0);
    EXPECT_NEAR(fastPow(9.0, -1.0), 1.0 / 9.0, 0.01);
}

TEST(FastPow, SaturatesTheWordInsteadOfOverflowing)
{
    // The lowest word, 0x80000000, is the upper word of -0.0; a NaN exponent gives it too.
    const double lowest = fastPow(9.0, -1.0e12);
    EXPECT_EQ(lowest, 0.0);
    EXPECT_TRUE(std::signbit(lowest));
    const double fromNaN = fastPow(9.0, std::nan(""));
    EXPECT_EQ(fromNaN, 0.0);
    EXPECT_TRUE(std::signbit(fromNaN));
    // The highest, 0x7fffffff, has the exponent of infinity and a mantissa: a NaN, but no overflow.
    EXPECT_TRUE(std::isnan(fastPow(9.0, 1.0e12)));
}

TEST_F(Oscillators, CentredUnmodulatedOscillatorIsAQuarterOfTheTableOnBothChannels)
{
    stage.osc[0].mix = 0.7f;
    start();
    const float startPhase = state.phaseL[0];
    EXPECT_EQ(startPhase, 0.5f) << "retrig with phase 0 starts at 0.5";
    render();
    const float* table = WavetableBank::shared().table(waveform::kSaw, 69);
    const float increment = LookupTables::shared().noteToHz(69.0 / 128.0) / kInternalRate;
    float phase = startPhase;
    for (int j = 0; j < kN; ++j)
    {
        const float raw = table[static_cast<int>(0.5f * phase * 8192.0f) & 4095];
        EXPECT_EQ(left[j], 0.25f * 0.7f * raw) << j;
        EXPECT_EQ(right[j], left[j]);
        phase += increment;
        if (phase > 1.0f)
            phase -= static_cast<float>(static_cast<int>(phase));
    }
}

TEST_F(Oscillators, StereoDephaseOffsetsOneChannelByUpToHalfAPeriod)
{
    stage.osc[0].phaseInit = 0.2f; // start phase 0.7
    stage.osc[0].stereoDephase = 0.0f;
    start();
    EXPECT_FLOAT_EQ(state.phaseL[0], 0.7f);
    EXPECT_FLOAT_EQ(state.phaseR[0], 0.2f) << "right moved half a period";
    stage.osc[0].stereoDephase = 1.0f;
    start();
    EXPECT_FLOAT_EQ(state.phaseL[0], 0.2f);
    EXPECT_FLOAT_EQ(state.phaseR[0], 0.7f);
    stage.osc[0].phaseInit = 0.6f;
    stage.osc[0].stereoDephase = 0.5f;
    start();
    EXPECT_EQ(state.phaseL[0], 1.0f) << "phase init above 0.5 starts at 1, which reads like 0";
}

TEST_F(Oscillators, PanningSendsTheOscillatorToOneSide)
{
    stage.osc[0].panning = 0.0f;
    start();
    render();
    for (int j = 0; j < kN; ++j)
        EXPECT_EQ(right[j], 0.0f);
    EXPECT_NE(left[5], 0.0f);
    stage.osc[0].panning = 1.0f;
    start();
    render();
    for (int j = 0; j < kN; ++j)
        EXPECT_EQ(left[j], 0.0f);
    EXPECT_NE(right[5], 0.0f);
    stage.osc[0].panning = 0.75f; // left at half level, right full
    start();
    float centred[kN];
    render();
    std::memcpy(centred, right, sizeof centred);
    stage.osc[0].panning = 0.5f;
    start();
    render();
    for (int j = 0; j < kN; ++j)
        EXPECT_EQ(centred[j], right[j]);
}

TEST_F(Oscillators, WithoutFmTheSecondOscillatorKeepsItsOwnPitch)
{
    stage.osc[0].on = false;
    stage.osc[1].on = true;
    stage.osc[1].waveform = waveform::kSine;
    start();
    render(57.0f);
    float alone[kN];
    std::memcpy(alone, left, sizeof alone);
    stage.osc[0].on = true;
    stage.osc[0].mix = 0.0f; // silent but running as a modulator
    start();
    render(57.0f);
    for (int j = 0; j < kN; ++j)
        EXPECT_EQ(left[j], alone[j]);
    stage.common.fm12 = 1.0f;
    start();
    render(57.0f);
    bool differs = false;
    for (int j = 0; j < kN; ++j)
        differs = differs || left[j] != alone[j];
    EXPECT_TRUE(differs) << "full FM changes the second oscillator";
}

TEST_F(Oscillators, NoiseIgnoresPitchOctaveAndStretch)
{
    stage.osc[0].waveform = waveform::kWhiteNoise;
    OscillatorVoiceState a = state, b = state;
    stage.render(a, 30.0f, *bus, routing, left, right);
    float low[kN];
    std::memcpy(low, left, sizeof low);
    stage.osc[0].octave = 36.0f;
    stage.osc[0].stretch = 1.0f;
    stage.render(b, 100.0f, *bus, routing, left, right);
    for (int j = 0; j < kN; ++j)
    {
        EXPECT_EQ(left[j], low[j]);
        EXPECT_EQ(left[j], right[j]);
        EXPECT_EQ(left[j], 0.25f * noise->whiteNoise()[32 + j]);
    }
}

TEST_F(Oscillators, PitchesAtAndAboveNote128UseTheTopTableAndTheDirectFrequency)
{
    stage.osc[0].waveform = waveform::kSquare;
    stage.osc[0].octave = 36.0f;
    start();
    render(100.0f); // note 136
    const float increment = static_cast<float>(440.0 * std::pow(2.0, (136.0 - 69.0) / 12.0)) / kInternalRate;
    const float* top = WavetableBank::shared().table(waveform::kSquare, 127);
    float phase = 0.5f;
    for (int j = 0; j < 4; ++j)
    {
        EXPECT_FLOAT_EQ(left[j], 0.25f * top[static_cast<int>(0.5f * phase * 8192.0f) & 4095]);
        phase += increment;
        if (phase > 1.0f)
            phase -= static_cast<float>(static_cast<int>(phase));
    }
}

TEST_F(Oscillators, InvertAndFullStretchChangeTheReading)
{
    start();
    render(40.0f);
    float plain[kN];
    std::memcpy(plain, left, sizeof plain);
    stage.osc[0].invert = true;
    start();
    render(40.0f);
    for (int j = 0; j < kN; ++j)
        EXPECT_EQ(left[j], -plain[j]);
    stage.osc[0].invert = false;
    stage.osc[0].stretch = 1.0f;
    stage.osc[0].phaseInit = 0.0f;
    start();
    render(40.0f);
    // Stretch 1 reads the table twice per period: phase 0.5 reads index 0.
    EXPECT_EQ(left[0], 0.25f * WavetableBank::shared().table(waveform::kSaw, 40)[0]);
}

TEST_F(Oscillators, RingModulationAddsTheProductsOfThePannedOutputs)
{
    for (OscillatorSettings& o : stage.osc)
    {
        o.on = true;
        o.waveform = waveform::kSine;
        o.mix = 0.0f;
    }
    stage.osc[1].octave = 12.0f;
    stage.common.rm12 = 1.0f;
    start();
    OscillatorVoiceState copy = state;
    render(60.0f);
    // Reconstruct oscillator 1 and 2 by rendering them alone at full level.
    float o1[kN], o2[kN];
    OscillatorStage single;
    std::copy(std::begin(stage.osc), std::end(stage.osc), single.osc);
    single.common = stage.common;
    single.setSources(&WavetableBank::shared(), &LookupTables::shared(), noise.get(), kInternalRate);
    single.common.rm12 = 0.0f;
    single.osc[1].on = single.osc[2].on = false;
    single.osc[0].mix = 1.0f;
    OscillatorVoiceState s1 = copy;
    single.render(s1, 60.0f, *bus, routing, o1, o2);
    float first[kN];
    for (int j = 0; j < kN; ++j)
        first[j] = o1[j] / 0.25f;
    single.osc[0].on = false;
    single.osc[1].on = true;
    single.osc[1].mix = 1.0f;
    OscillatorVoiceState s2 = copy;
    single.render(s2, 60.0f, *bus, routing, o1, o2);
    for (int j = 0; j < kN; ++j)
        EXPECT_FLOAT_EQ(left[j], 0.25f * (first[j] * (o1[j] / 0.25f))) << j;
}
