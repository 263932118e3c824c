#include "support/enginefixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace talvane;
using talvane::testing::EngineUnderTest;

namespace {

constexpr int kStartDelaySubBlocks = 2;
constexpr float kRate = 44100.0f;

class Modulation : public ::testing::Test
{
protected:
    const ModulationVoiceState& voice() const { return e.engine->slot(0).mod; }
    const float* row(int destination) const { return voice().bus.value[destination]; }

    void play(float velocity = 1.0f)
    {
        NoteEvent note;
        note.pitch = 60;
        note.velocity = velocity;
        e.engine->noteIntake(note, kRenderAheadSamples, 512);
        e.subBlocks(kStartDelaySubBlocks);
    }

    // Host samples until LFO 1's phase wraps, starting from a retriggered phase 0.
    long lfoPeriod(int limitSubBlocks)
    {
        e.setPlain(kLfo1Retrig, 1);
        e.setPlain(kLfo1Dest1, 14);
        play();
        float last = voice().lfo[0].phase;
        for (int i = 1; i < limitSubBlocks; ++i)
        {
            e.subBlocks(1);
            const float phase = voice().lfo[0].phase;
            if (phase < last)
                return static_cast<long>(i) * kSubBlockSamples;
            last = phase;
        }
        return -1;
    }

    EngineUnderTest e;
};

} // namespace

TEST_F(Modulation, FreeLfoAtZeroRunsAtATenthOfAHertz)
{
    e.set(kLfo1Freq, 0.0f);
    // The phase is a float accumulating a tiny increment, which rounds: allow a 0.2 % drift.
    const long period = lfoPeriod(40000);
    EXPECT_NEAR(period, 10 * 44100, 10 * 44100 / 500);
}

TEST_F(Modulation, SyncedDivisionsFollowTheTempo)
{
    e.setPlain(kLfo1Sync, 1);
    e.set(kLfo1Freq, 13.5f / 39.0f); // division 13: "1"
    ASSERT_STREQ(kSyncDivisionNames[13], "1");
    EXPECT_NEAR(lfoPeriod(10000), 88200, 88200 / 500) << "a whole note at 120 BPM lasts 2 s";
    EngineUnderTest quarter;
    e.engine.swap(quarter.engine);
    std::copy(std::begin(quarter.values), std::end(quarter.values), e.values);
    e.setPlain(kLfo1Sync, 1);
    e.set(kLfo1Freq, 19.5f / 39.0f); // "1/4"
    EXPECT_NEAR(lfoPeriod(10000), 22050, 22050 / 500);
}

TEST_F(Modulation, LfoClippingLimitsEitherSide)
{
    e.setPlain(kLfo1Dest1, 14);
    e.set(kLfo1Amount1, 1.0f); // slot amount +1
    e.set(kLfo1Amount, 1.0f);
    e.set(kLfo1Freq, 0.6f);
    e.set(kLfo1Clipping, 0.75f); // +0.5
    play();
    float highest = -2.0f, lowest = 2.0f;
    for (int i = 0; i < 200; ++i)
    {
        e.subBlocks(1);
        for (int k = 0; k < kSubBlockSamples; ++k)
        {
            highest = std::max(highest, row(14)[k]);
            lowest = std::min(lowest, row(14)[k]);
        }
    }
    EXPECT_FLOAT_EQ(highest, 0.5f);
    EXPECT_LT(lowest, -0.99f);
    e.set(kLfo1Clipping, 0.25f); // -0.5
    lowest = 2.0f;
    for (int i = 0; i < 200; ++i)
    {
        e.subBlocks(1);
        for (int k = 0; k < kSubBlockSamples; ++k)
            lowest = std::min(lowest, row(14)[k]);
    }
    EXPECT_FLOAT_EQ(lowest, -0.5f);
}

TEST_F(Modulation, BipolarPlusEnvelopeSwingsFromMinusOneToOne)
{
    e.setPlain(kEnv1Type, 2);
    e.set(kEnv1Amount, 1.0f);
    e.set(kEnv1Attack, 0.3f);
    e.set(kEnv1Sustain, 1.0f);
    e.setPlain(kEnv1Dest1, 14);
    e.set(kEnv1Amount1, 1.0f);
    play();
    EXPECT_FLOAT_EQ(row(14)[0], -1.0f) << "envelope 0 gives -1";
    e.subBlocks(600);
    EXPECT_FLOAT_EQ(row(14)[15], 1.0f) << "envelope 1 gives +1";
}

TEST_F(Modulation, MatrixSourcesNoneAndVelocity)
{
    e.setPlain(kMatrix1Target1, 14);
    e.set(kMatrix1Amount1, 1.0f);
    play();
    EXPECT_EQ(row(14)[3], 0.0f) << "source None adds nothing";
    e.setPlain(kMatrix1Src, 3); // Velocity
    e.set(kMatrix1Amount, 0.5f);
    e.set(kMatrix1Amount1, 0.8f); // slot +0.6
    e.engine->resetAllVoices();
    play(0.9f);
    EXPECT_FLOAT_EQ(row(14)[3], (2.0f * 0.9f - 1.0f) * 0.5f * 0.6f);
}

TEST_F(Modulation, AMatrixOnLfo1RunsTheLfoWithoutTargetsOfItsOwn)
{
    e.setPlain(kMatrix1Src, 8);
    EXPECT_FALSE(e.engine->modulation.routing.lfoInUse[0]) << "no matrix target yet";
    e.setPlain(kMatrix1Target1, 7);
    EXPECT_TRUE(e.engine->modulation.routing.lfoInUse[0]);
    e.set(kLfo1Freq, 0.5f);
    play();
    e.subBlocks(4);
    const float raw = voice().lfo[0].raw[5];
    EXPECT_NE(raw, 0.0f);
    EXPECT_EQ(row(7)[5], 0.0f) << "the slot amount knob at its centre adds nothing";
    e.set(kMatrix1Amount, 1.0f);
    e.set(kMatrix1Amount1, 1.0f);
    e.subBlocks(1);
    EXPECT_FLOAT_EQ(row(7)[5], voice().lfo[0].raw[5]);
}

TEST_F(Modulation, ModulatorsOnOneDestinationAddAndClamp)
{
    e.setPlain(kMatrix1Src, 1); // ModWheel
    e.setPlain(kMatrix2Src, 1);
    e.set(kModWheel, 1.0f); // +1
    for (ParamId base : {kMatrix1Src, kMatrix2Src})
    {
        e.set(base + matrix_param::kAmount, 1.0f);
        e.setPlain(base + matrix_param::kFirstSlot, 2);   // "AMP | Volume"
        e.set(base + matrix_param::kFirstSlot + 1, 0.7f); // +0.4 each
    }
    play();
    EXPECT_FLOAT_EQ(row(2)[0], 0.8f);
    e.set(kMatrix2Amount1, 1.0f); // 0.4 + 1.0
    e.subBlocks(1);
    EXPECT_EQ(row(2)[0], 1.0f) << "clamped to 1";
}

TEST_F(Modulation, ModulatingAModulatorActsOneSubBlockLate)
{
    // Matrix 1 (ModWheel) drives matrix 2's amount; matrix 2 (ModWheel) drives the oscillator mix.
    e.setPlain(kMatrix1Src, 1);
    e.setPlain(kMatrix2Src, 1);
    e.set(kModWheel, 1.0f);
    e.set(kMatrix1Amount, 1.0f);
    e.setPlain(kMatrix1Target1, mod_dest::matrix(1, mod_dest::kMatrixAmount));
    e.set(kMatrix1Amount1, 0.75f); // +0.5 onto matrix 2's amount
    e.set(kMatrix2Amount, 0.5f);
    e.setPlain(kMatrix2Target1, 14);
    e.set(kMatrix2Amount1, 1.0f);
    play();
    // The voice's first sub-block read an empty previous bus: matrix 2 ran at its own amount 0.5.
    e.engine->resetAllVoices();
    NoteEvent note;
    note.pitch = 62;
    e.engine->noteIntake(note, kRenderAheadSamples, 512);
    e.subBlocks(1);
    e.subBlocks(1);
    const float first = row(14)[0];
    e.subBlocks(1);
    const float second = row(14)[0];
    EXPECT_FLOAT_EQ(second, 1.0f) << "0.5 + 0.5 from the previous sub-block";
    EXPECT_LE(first, second);
}
