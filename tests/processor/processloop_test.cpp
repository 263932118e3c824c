#include "support/processordriver.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace talvane;
using Steinberg::int32;
using talvane::testing::ProcessorDriver;

namespace {

// With attack 0 the first envelope value is 0, so a note is heard from the sample after its start.
constexpr long kFirstAudibleAfterStart = 1;

long firstNonZero(const std::vector<float>& v, size_t from = 0)
{
    for (size_t i = from; i < v.size(); ++i)
        if (v[i] != 0.0f)
            return static_cast<long>(i);
    return -1;
}

double energy(const std::vector<float>& v, size_t from, size_t to)
{
    double sum = 0.0;
    for (size_t i = from; i < to && i < v.size(); ++i)
        sum += static_cast<double>(v[i]) * v[i];
    return sum;
}

// A driver with a note already sounding and its oscillator level at 0, so a level change shows
// when it applies. (The global volume would not do: it scales a whole block at its end.)
struct SilencedTone : ProcessorDriver
{
    SilencedTone()
    {
        set(kO1Mix, 0.0);
        noteOn(69, 0);
        run(1024, 512);
        runner.renderedLeft.clear();
        runner.renderedRight.clear();
    }
};

} // namespace

TEST(ProcessLoop, FollowsTheWorkedBlockArithmetic)
{
    ProcessorDriver d;
    struct Step
    {
        int32 n, h, next;
    };
    // From a fresh processor: 512, 16, then 100 twice, a short block, an empty block.
    const Step steps[] = {{512, 16, 16}, {16, 16, 16}, {100, 16, 12}, {100, 12, 8}};
    for (const Step& s : steps)
    {
        ASSERT_EQ(d.plugin().carryInSamples(), s.h);
        ASSERT_EQ(d.process(s.n), Steinberg::kResultOk);
        EXPECT_EQ(d.plugin().carryInSamples(), s.next) << "n " << s.n << " h " << s.h;
    }
    ProcessorDriver fresh;
    fresh.process(5);
    EXPECT_EQ(fresh.plugin().carryInSamples(), 11);
    ProcessorDriver empty;
    empty.process(0);
    EXPECT_EQ(empty.plugin().carryInSamples(), 16);
}

TEST(ProcessLoop, CarryCyclesAtHundredSampleBlocks)
{
    ProcessorDriver d;
    const int32 expected[] = {16, 12, 8, 4, 16, 12, 8, 4, 16};
    for (int32 carry : expected)
    {
        EXPECT_EQ(d.plugin().carryInSamples(), carry);
        d.process(100);
    }
}

TEST(ProcessLoop, AParameterChangeTakesEffectSixteenSamplesAfterItsSubBlock)
{
    for (int32 offset : {0, 5, 15, 16, 100, 495})
    {
        SilencedTone d;
        d.set(kO1Mix, 1.0, offset);
        d.process(512);
        const long expected = 16 + 16 * (offset / 16);
        EXPECT_EQ(firstNonZero(d.left()), expected) << "offset " << offset;
    }
}

TEST(ProcessLoop, ANoteSoundsThirtyTwoToFortySevenSamplesAfterItsOffset)
{
    for (int32 offset : {0, 1, 15, 16, 17, 100, 400})
    {
        ProcessorDriver d;
        d.noteOn(69, offset);
        d.run(1024, 512);
        const long start = 16 + 16 * ((16 + offset + 15) / 16);
        EXPECT_EQ(firstNonZero(d.left()), start + kFirstAudibleAfterStart) << "offset " << offset;
        EXPECT_GE(start - offset, 32);
        EXPECT_LE(start - offset, 47);
    }
}

TEST(ProcessLoop, OutputIsTheSameSignalAtEveryBlockSizeThatKeepsTheCarry)
{
    ProcessorDriver a, b;
    a.noteOn(57, 0);
    b.noteOn(57, 0);
    a.run(4096, 512);
    b.run(4096, 64);
    EXPECT_EQ(a.left(), b.left());
    EXPECT_EQ(a.right(), b.right());
}

TEST(ProcessLoop, AnEmptyBlockCarriesItsChangesToTheNextBlock)
{
    SilencedTone d;
    d.set(kO1Mix, 1.0, 0);
    d.process(0);
    EXPECT_EQ(d.plugin().parameterValue(kO1Mix), 0.0f);
    EXPECT_EQ(d.plugin().carryInSamples(), 16);
    d.process(512);
    EXPECT_EQ(d.plugin().parameterValue(kO1Mix), 1.0f);
    EXPECT_EQ(firstNonZero(d.left()), 16);
}

TEST(ProcessLoop, AShortBlockAppliesItsChangesBeforeReturning)
{
    ProcessorDriver d;
    d.set(kGlobalVolume, 0.25, 3);
    d.process(5);
    EXPECT_EQ(d.plugin().parameterValue(kGlobalVolume), 0.25f);
    EXPECT_EQ(d.plugin().carryInSamples(), 11);
}

TEST(ProcessLoop, SeveralPointsInOneSubBlockApplyInOrderBeforeIt)
{
    SilencedTone d;
    d.set(kO1Mix, 0.2, 1);
    d.set(kO1Mix, 0.0, 5);
    d.set(kO1Mix, 0.6, 9);
    d.process(512);
    EXPECT_EQ(d.plugin().parameterValue(kO1Mix), 0.6f);
    EXPECT_EQ(firstNonZero(d.left()), 16);
}

TEST(ProcessLoop, APointBeyondTheRenderedRangeAppliesAtTheNextBlock)
{
    SilencedTone d; // carry 16 after two 512 blocks
    d.set(kO1Mix, 1.0, 99);
    d.process(100); // renders 16..111; the change sits at 115
    EXPECT_EQ(d.plugin().parameterValue(kO1Mix), 0.0f);
    EXPECT_EQ(firstNonZero(d.left()), -1);
    d.process(100); // carry 12: applied at the first sub-block, timeline position 12
    EXPECT_EQ(d.plugin().parameterValue(kO1Mix), 1.0f);
    EXPECT_EQ(firstNonZero(d.left()), 100 + 12);
}

TEST(ProcessLoop, GlobalVolumeScalesByItsCube)
{
    ProcessorDriver full, half;
    full.set(kGlobalVolume, 1.0);
    half.set(kGlobalVolume, 0.5);
    full.noteOn(60);
    half.noteOn(60);
    full.run(2048, 256);
    half.run(2048, 256);
    ASSERT_GT(energy(full.left(), 0, 2048), 0.0);
    for (size_t i = 0; i < full.left().size(); ++i)
        ASSERT_EQ(half.left()[i], full.left()[i] * 0.125f) << i;
}

TEST(ProcessLoop, ContextSetsTempoOnlyWhenValidAndFollowsSampleRateChanges)
{
    ProcessorDriver d;
    EXPECT_EQ(d.plugin().currentTempo(), 120.0f) << "a sensible tempo before the host reports one";
    d.runner.context.tempo = 90.0;
    d.runner.context.state = 0;
    d.process(64);
    EXPECT_EQ(d.plugin().currentTempo(), 120.0f);
    d.runner.context.state = Steinberg::Vst::ProcessContext::kTempoValid;
    d.process(64);
    EXPECT_EQ(d.plugin().currentTempo(), 90.0f);
    d.runner.context.tempo = std::nan("");
    d.process(64);
    EXPECT_EQ(d.plugin().currentTempo(), 90.0f) << "an unusable tempo is ignored";

    d.runner.context.sampleRate = 48000.7;
    d.process(64);
    EXPECT_EQ(d.plugin().hostSampleRate(), 48000u);
    EXPECT_EQ(d.plugin().internalSampleRate(), 96000u);
    d.runner.context.sampleRate = 0.0;
    d.process(64);
    EXPECT_EQ(d.plugin().hostSampleRate(), 48000u) << "a zero rate is ignored";
}

TEST(ProcessLoop, NoteModeChangeToMonoStopsAllButTheNewestVoice)
{
    ProcessorDriver d;
    for (int16_t p : {60, 62, 64, 65})
        d.noteOn(p, 0);
    d.process(512);
    ASSERT_EQ(d.engine().orderedVoiceCount(), 4);
    d.setPlain(kNoteMode, 1);
    d.process(0); // acts at intake
    EXPECT_EQ(d.engine().orderedVoiceCount(), 1);
    EXPECT_EQ(d.engine().slot(3).voice.pitch, 65);
    int fading = 0;
    for (int f = kFirstFadeSlot; f < kNumVoiceSlots; ++f)
        fading += d.engine().slot(f).voice.state == VoiceState::Fading;
    EXPECT_EQ(fading, 3);
}

TEST(ProcessLoop, LoweringPolyphonyStopsTheOldestVoices)
{
    ProcessorDriver d;
    for (int16_t p = 60; p < 66; ++p)
        d.noteOn(p, 0);
    d.process(512);
    d.setPlain(kPolyphony, 2, 300);
    d.process(512);
    EXPECT_EQ(d.engine().orderedVoiceCount(), 2);
    EXPECT_EQ(d.engine().slot(d.engine().orderEntry(0)).voice.pitch, 64);
    EXPECT_EQ(d.engine().slot(d.engine().orderEntry(1)).voice.pitch, 65);
}

TEST(ProcessLoop, PanicSilencesEverythingButTheBlocksNewNotes)
{
    ProcessorDriver d;
    d.noteOn(60, 0);
    d.noteOn(64, 0);
    d.process(512);
    d.set(kPanic, 0.0); // any value
    d.noteOn(67, 0);
    d.process(512);
    EXPECT_EQ(d.engine().orderedVoiceCount(), 1);
    EXPECT_EQ(d.engine().slot(0).voice.pitch, 67);
    EXPECT_EQ(d.plugin().parameterValue(kPanic), 0.0f);
}

TEST(ProcessLoop, HostOffsetsOutsideTheBlockAreClampedIntoIt)
{
    SilencedTone d;
    d.set(kO1Mix, 0.5, -40);
    d.set(kFCutoff, 0.5, 100000);
    d.noteOn(72, 1 << 30);
    d.noteOn(74, -7);
    ASSERT_EQ(d.process(512), Steinberg::kResultOk);
    EXPECT_EQ(firstNonZero(d.left()), 16) << "offset -40 acts as offset 0";
    EXPECT_EQ(d.plugin().parameterValue(kFCutoff), 0.5f);
    d.process(512);
    EXPECT_EQ(d.engine().orderedVoiceCount(), 3);
}

TEST(ProcessLoop, HostValuesAreClampedAndNanIsDropped)
{
    ProcessorDriver d;
    d.set(kFCutoff, 1.7);
    d.set(kFQ, -0.3);
    d.set(kGlobalVolume, std::nan(""));
    d.process(64);
    EXPECT_EQ(d.plugin().parameterValue(kFCutoff), 1.0f);
    EXPECT_EQ(d.plugin().parameterValue(kFQ), 0.0f);
    EXPECT_FLOAT_EQ(d.plugin().parameterValue(kGlobalVolume), 0.8f);
}

TEST(ProcessLoop, ABlockLongerThanTheSetupIsRefusedWithNothingChanged)
{
    ProcessorDriver d(44100.0, 256);
    d.noteOn(60, 0);
    d.process(100);
    const int32 carry = d.plugin().carryInSamples();
    std::vector<float> before = d.runner.left;
    ASSERT_EQ(d.runner.left.size(), 256u);
    EXPECT_EQ(d.process(257), Steinberg::kInvalidArgument);
    EXPECT_EQ(d.plugin().carryInSamples(), carry);
    EXPECT_EQ(d.runner.left, before);
}

TEST(ProcessLoop, AStaccatoNoteInsideOneBlockSoundsAndReleasesAtItsOff)
{
    ProcessorDriver d;
    d.noteOn(69, 10);
    d.noteOff(69, 451); // 441 samples later: a 10 ms note
    d.process(512);
    EXPECT_GT(energy(d.left(), 0, 512), 1.0);
    EXPECT_EQ(d.engine().slot(0).voice.state, VoiceState::Released);
    d.run(4096, 512);
    EXPECT_EQ(d.engine().orderedVoiceCount(), 0) << "the default 5 ms release has ended";
}

TEST(ProcessLoop, ANoteAtTheEndOfABlockReleasedInTheNextStillSounds)
{
    ProcessorDriver d;
    d.noteOn(69, 505);
    d.process(512);
    d.noteOff(69, 200);
    d.process(512);
    EXPECT_GT(energy(d.left(), 512, 1024), 1.0);
}

TEST(ProcessLoop, ANoteOffInTheSubBlockOfTheStartCancelsTheNote)
{
    ProcessorDriver d;
    d.noteOn(69, 2);
    d.noteOff(69, 6);
    d.run(2048, 512);
    EXPECT_EQ(firstNonZero(d.left()), -1);
}

// A voice buffer holds what the voice rendered in earlier blocks; the sub-blocks of a block in
// which the voice does not sound must add silence, not that old audio.
TEST(ProcessLoop, AVoiceAddsNothingInTheSubBlocksOfABlockItDoesNotSound)
{
    ProcessorDriver d;
    d.noteOn(69, 0);
    d.run(1024, 512); // slot 0's buffer is full of the note
    d.noteOff(69, 0);
    d.run(2048, 512); // the 5 ms release ends early in the first of these blocks
    const size_t releaseBlocks = 1024;
    EXPECT_GT(energy(d.left(), releaseBlocks, releaseBlocks + 64), 0.0);
    EXPECT_EQ(firstNonZero(d.left(), releaseBlocks + 512), -1) << "silent once the release has ended";
    ASSERT_EQ(d.engine().slot(0).voice.state, VoiceState::Free);

    d.noteOn(69, 300); // the same slot again, from the middle of a block
    d.process(512);
    EXPECT_NE(d.engine().slot(0).voice.state, VoiceState::Free);
    const long onset = firstNonZero(d.left(), releaseBlocks + 2048);
    EXPECT_GE(onset - static_cast<long>(releaseBlocks + 2048), 300) << "nothing before the new note";
}
