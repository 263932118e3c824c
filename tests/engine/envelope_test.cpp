#include "source/engine/envelope.h"
#include "source/params/paramcurves.h"
#include "support/enginefixture.h"

#include <gtest/gtest.h>

using namespace talvane;
using talvane::testing::EngineUnderTest;

namespace {

constexpr float kRate = 44100.0f;

struct Envelope
{
    Envelope()
    {
        settings.attack = 0.0f;
        settings.attackRate = stageRate(attackSeconds(0.0f), kRate);
        settings.decay = 0.3f;
        settings.decayRate = stageRate(decaySeconds(0.3f), kRate);
        settings.sustain = 0.5f;
        settings.release = 0.0f;
        settings.releaseRate = stageRate(releaseSeconds(0.0f), kRate);
        state.start();
    }
    EnvelopeEnd run()
    {
        return runEnvelope(state, settings, {mod_dest::kEnvelopeDestinations[0], modulated, prev}, kRate);
    }

    EnvelopeSettings settings;
    EnvelopeState state;
    bool modulated[kNumModDestinations] = {};
    float prev[kNumModDestinations] = {};
};

} // namespace

TEST(EnvelopeStage, ZeroAttackGivesZeroThenFullAndDecaysFromTheNextSubBlock)
{
    Envelope env;
    env.run();
    EXPECT_EQ(env.state.out[0], 0.0f);
    for (int k = 1; k < kSubBlockSamples; ++k)
        EXPECT_EQ(env.state.out[k], 1.0f);
    EXPECT_EQ(env.state.stage, EnvStage::Decay);
    env.run();
    EXPECT_EQ(env.state.out[0], 1.0f);
    EXPECT_LT(env.state.out[15], 1.0f);
}

TEST(EnvelopeStage, ASlowAttackHoldsItsStageAndReleasesFromTheLevelReached)
{
    Envelope env;
    env.settings.attack = 0.5f;
    env.settings.attackRate = stageRate(attackSeconds(0.5f), kRate); // 0.5 s
    for (int i = 0; i < 100; ++i)
        env.run();
    ASSERT_EQ(env.state.stage, EnvStage::Attack);
    const float reached = env.state.lastOutput();
    EXPECT_NEAR(reached, 1600.0f / (0.5f * kRate), 1e-3f);
    env.state.startRelease();
    env.run();
    EXPECT_FLOAT_EQ(env.state.out[0], reached) << "release starts where the attack was, not at sustain";
}

TEST(EnvelopeStage, DecayAimsAtTheUnmodulatedSustain)
{
    Envelope env;
    env.run();
    int subBlocks = 0;
    while (env.state.stage == EnvStage::Decay && subBlocks < 10000)
    {
        env.run();
        ++subBlocks;
    }
    EXPECT_EQ(env.state.stage, EnvStage::Sustain);
    EXPECT_EQ(env.state.releaseLevel, 0.5f);
    // Sustain modulation is read whether flagged or not; an untargeted destination holds 0.
    env.prev[mod_dest::kAmpSustain] = 0.25f;
    env.run();
    EXPECT_EQ(env.state.out[7], 0.75f);
}

TEST(EnvelopeStage, ModulatedTimesUseTheTimeLaw)
{
    Envelope env;
    env.settings.attack = 0.2f;
    env.settings.attackRate = stageRate(attackSeconds(0.2f), kRate);
    env.modulated[mod_dest::kAmpAttack] = true;
    env.prev[mod_dest::kAmpAttack] = 0.3f; // modulated attack setting 0.5
    env.run();
    // 0.5^3 * 3.99999 s + 10 us = 0.50000875 s: 1 / (0.50000875 * 44100) per sample.
    EXPECT_FLOAT_EQ(env.state.out[1], 4.5350680e-05f);
}

TEST(EnvelopeStage, TwentySecondReleaseTakes882000Samples)
{
    EngineUnderTest e;
    e.set(kARelease, 1.0f);
    e.noteOn(60);
    e.subBlocks(2);
    e.noteOff(60, 0);
    // The note-off at offset 0 releases in the first sub-block after it.
    int subBlocks = 0;
    while (e.state(0) != VoiceState::Free && subBlocks < 100000)
    {
        e.subBlocks(1);
        ++subBlocks;
    }
    // 882,000 samples are 55,125 sub-blocks; the voice is freed at the end of the one in which the
    // phase reaches 1. Adding a 1/882000 increment to a single-precision phase rounds, which
    // stretches the release by about a tenth of a percent.
    EXPECT_GE(subBlocks, 55125);
    EXPECT_LE(subBlocks, 55125 + 55125 / 500);
}

TEST(EnvelopeStage, ZeroSustainKeepsTheVoiceUntilItsRelease)
{
    EngineUnderTest e;
    e.set(kASustain, 0.0f);
    e.set(kADecay, 0.0f);
    e.noteOn(60);
    e.subBlocks(200);
    EXPECT_EQ(e.state(0), VoiceState::Playing);
    EXPECT_EQ(e.engine->slot(0).mod.env[kAmpEnv].lastOutput(), 0.0f);
    e.noteOff(60);
    e.subBlocks(40);
    EXPECT_EQ(e.state(0), VoiceState::Free);
}
