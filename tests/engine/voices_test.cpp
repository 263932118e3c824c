#include "support/enginefixture.h"

#include <gtest/gtest.h>

using namespace talvane;
using talvane::testing::EngineUnderTest;

namespace {

// Notes at offset 0 have a countdown of 16 and start in the second sub-block.
constexpr int kStartDelaySubBlocks = 2;

class Voices : public ::testing::Test
{
protected:
    void play(std::int16_t pitch)
    {
        e.noteOn(pitch);
        e.subBlocks(kStartDelaySubBlocks);
    }
    EngineUnderTest e;
};

} // namespace

TEST_F(Voices, ANoteStartsInTheSubBlockWhereItsCountdownRunsOut)
{
    e.noteOn(60, 0); // countdown 16
    e.subBlocks(1);
    EXPECT_EQ(e.state(0), VoiceState::Free);
    EXPECT_TRUE(e.engine->pendingNote(0).active);
    e.subBlocks(1);
    EXPECT_EQ(e.state(0), VoiceState::Playing);
    EXPECT_EQ(e.playingPitch(0), 60);
    EXPECT_FALSE(e.engine->pendingNote(0).active);
    EXPECT_EQ(e.engine->orderEntry(0), 0);
}

TEST_F(Voices, PolyphonyLimitStealsTheOldestIntoAFadeSlot)
{
    e.setPlain(kPolyphony, 4);
    for (std::int16_t p = 60; p < 64; ++p)
        play(p);
    ASSERT_EQ(e.ordered(), 4);
    play(64);
    // The oldest (slot 0, pitch 60) fades out in slot 16 while the new note takes slot 0.
    EXPECT_EQ(e.state(16), VoiceState::Fading);
    EXPECT_EQ(e.playingPitch(16), 60);
    EXPECT_EQ(e.engine->slot(16).mod.env[kAmpEnv].stage, EnvStage::Fade);
    EXPECT_EQ(e.playingPitch(0), 64);
    EXPECT_EQ(e.ordered(), 4);
    EXPECT_EQ(e.engine->orderEntry(0), 1) << "the list keeps start order, oldest first";
    EXPECT_EQ(e.engine->orderEntry(3), 0);

    // The fade lasts 5 ms: about 221 samples at 44.1 kHz, i.e. 14 sub-blocks, the first of them
    // the one in which the voice was stolen.
    e.subBlocks(12);
    EXPECT_EQ(e.state(16), VoiceState::Fading);
    e.subBlocks(1);
    EXPECT_EQ(e.state(16), VoiceState::Free);
}

TEST_F(Voices, ReleasingVoicesStillCountAgainstPolyphony)
{
    e.setPlain(kPolyphony, 2);
    play(60);
    play(62);
    e.noteOff(60);
    e.subBlocks(2);
    ASSERT_EQ(e.state(0), VoiceState::Released);
    play(64);
    EXPECT_EQ(e.playingPitch(0), 64) << "the oldest started voice is stolen although it is releasing";
    EXPECT_EQ(e.state(1), VoiceState::Playing);
    EXPECT_EQ(e.playingPitch(16), 60);
}

TEST_F(Voices, TwoNotesInOneSubBlockBothStartInPoly)
{
    e.noteOn(60, 3); // countdowns 19 and 25: both start in the third sub-block
    e.noteOn(67, 9);
    e.subBlocks(kStartDelaySubBlocks + 1);
    EXPECT_EQ(e.playingPitch(0), 60);
    EXPECT_EQ(e.playingPitch(1), 67);
    EXPECT_EQ(e.ordered(), 2);
}

TEST_F(Voices, MonoFromSilenceFollowsTheBookkeepingSteps)
{
    e.setPlain(kNoteMode, 1);
    e.noteOn(60, 3); // countdowns 19 and 25: both start in the third sub-block
    e.noteOn(67, 9);
    e.subBlocks(kStartDelaySubBlocks + 1);
    // The first note starts in the free slot 0; the second then takes slot 0 in the same sub-block
    // and the first fades out.
    EXPECT_EQ(e.playingPitch(0), 67);
    EXPECT_EQ(e.ordered(), 1);
    EXPECT_EQ(e.state(16), VoiceState::Fading);
    EXPECT_EQ(e.playingPitch(16), 60);
}

TEST_F(Voices, MonoStartsOnlyOneNotePerSubBlockOnceANoteSounds)
{
    e.setPlain(kNoteMode, 1);
    play(50);
    e.noteOn(60, 3); // countdowns 19 and 25: both start in the third sub-block
    e.noteOn(67, 9);
    e.subBlocks(kStartDelaySubBlocks + 1);
    EXPECT_EQ(e.playingPitch(0), 60);
    EXPECT_TRUE(e.engine->pendingNote(1).active) << "the second waits for the next sub-block";
    e.subBlocks(1);
    EXPECT_EQ(e.playingPitch(0), 67);
    EXPECT_EQ(e.ordered(), 1);
}

TEST_F(Voices, LegatoIgnoresNoteOffsUntilTheNextNote)
{
    e.setPlain(kNoteMode, 2);
    play(60);
    e.noteOff(60);
    e.subBlocks(40);
    EXPECT_EQ(e.state(0), VoiceState::Playing);
    play(62);
    EXPECT_EQ(e.playingPitch(0), 62);
    EXPECT_EQ(e.playingPitch(16), 60);
}

TEST_F(Voices, AllFadeSlotsBusyCutsTheStolenVoice)
{
    e.setPlain(kPolyphony, 1);
    for (std::int16_t p = 60; p < 65; ++p)
        e.noteOn(p, 0);
    // Five starts in one sub-block: four steals fill the fade slots, nothing is left for a fifth.
    e.subBlocks(kStartDelaySubBlocks);
    for (int f = kFirstFadeSlot; f < kNumVoiceSlots; ++f)
        EXPECT_EQ(e.state(f), VoiceState::Fading);
    e.noteOn(70, 0);
    e.subBlocks(kStartDelaySubBlocks);
    EXPECT_EQ(e.playingPitch(0), 70);
    for (int f = kFirstFadeSlot; f < kNumVoiceSlots; ++f)
        EXPECT_NE(e.playingPitch(f), 64) << "the cut voice took no fade slot";
}

TEST_F(Voices, RepeatedNoteOnWithoutIdsReleasesTheHeldKey)
{
    play(60);
    e.noteOn(60);
    e.subBlocks(kStartDelaySubBlocks);
    EXPECT_EQ(e.state(0), VoiceState::Released);
    EXPECT_EQ(e.state(1), VoiceState::Free) << "no second voice";
    // With note ids the second note-on is a note of its own.
    play(61);
    e.noteOn(61, 0, 7);
    e.subBlocks(kStartDelaySubBlocks);
    EXPECT_EQ(e.ordered(), 3);
}

TEST_F(Voices, NoteOffInTheSubBlockWhereTheNoteStartsCancelsIt)
{
    e.noteOn(60, 3);
    e.noteOff(60, 9);
    e.subBlocks(4);
    EXPECT_EQ(e.ordered(), 0);
    EXPECT_FALSE(e.engine->pendingNote(0).active);
}

TEST_F(Voices, ALaterNoteOffWhileStillPendingIsKeptForTheVoice)
{
    e.noteOn(60, 10);   // countdown 26: starts in sub-block 2
    e.noteOff(60, 451); // countdown 467: releases in sub-block 29
    e.subBlocks(3);
    EXPECT_EQ(e.state(0), VoiceState::Released);
    EXPECT_FALSE(e.engine->slot(0).voice.releaseStarted);
    e.subBlocks(26);
    EXPECT_FALSE(e.engine->slot(0).voice.releaseStarted);
    e.subBlocks(1);
    EXPECT_TRUE(e.engine->slot(0).voice.releaseStarted);
    EXPECT_EQ(e.engine->slot(0).mod.env[kAmpEnv].stage, EnvStage::Release);
}

TEST_F(Voices, PanicFreesEverything)
{
    play(60);
    play(64);
    e.noteOn(67);
    e.engine->resetAllVoices();
    e.subBlocks(3);
    EXPECT_EQ(e.ordered(), 0);
    for (int s = 0; s < kNumVoiceSlots; ++s)
        EXPECT_EQ(e.state(s), VoiceState::Free);
}

TEST_F(Voices, GlideStartsFromTheLastStartedNoteAndLastsTwicePortamento)
{
    e.set(kPortamento, 0.25f); // 0.5 s
    play(60);
    EXPECT_EQ(e.engine->slot(0).voice.currentPitch, 60.0f) << "the first note never glides";
    play(72);
    const Voice& v = e.engine->slot(1).voice;
    EXPECT_EQ(v.glideStart, 60.0f);
    // The first sub-block of a gliding note plays its start; 0.5 s is 1378.125 sub-blocks.
    int subBlocksToTarget = 1;
    float last = v.currentPitch;
    EXPECT_EQ(last, 60.0f);
    while (v.currentPitch != 72.0f && subBlocksToTarget < 5000)
    {
        e.subBlocks(1);
        EXPECT_GE(v.currentPitch, last) << "glides upward monotonically";
        last = v.currentPitch;
        ++subBlocksToTarget;
    }
    EXPECT_NEAR(subBlocksToTarget, 1380, 2);
    EXPECT_EQ(e.engine->lastStartedPitch(), 72.0f);
}

TEST_F(Voices, WithoutPortamentoANoteStartsAtItsPitch)
{
    play(60);
    play(72);
    EXPECT_EQ(e.engine->slot(1).voice.currentPitch, 72.0f);
    EXPECT_EQ(e.engine->slot(1).voice.glideProgress, 1.0f);
}
