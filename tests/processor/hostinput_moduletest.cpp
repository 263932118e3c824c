// What a host may hand the processor that no musician would: calls that only deliver parameter
// changes, non-finite note values, every sample rate the processor accepts with every filter
// setting, blocks far longer than usual. Through the built module, as a host drives it.
#include "support/moduletest.h"

#include "source/engine/outputbound.h"
#include "source/params/paramids.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using talvane::host::AudioProcessRunner;
using talvane::host::ParameterChanges;

namespace {

constexpr double kRate = 44100.0;
constexpr int32 kBlock = 512;
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// The normalized value of a stepped parameter's plain index, for a parameter of `count` values.
double stepped(int index, int count)
{
    return static_cast<double>(index) / (count - 1);
}
constexpr int kDestinationCount = 84;
constexpr int kSourceCount = 10;
constexpr int kFilterTypeCount = 5;
constexpr int kVelocitySource = 3;
constexpr int kCutoffDestination = 7, kQDestination = 8, kVolumeDestination = 2, kPanDestination = 18;
constexpr int kAmpReleaseDestination = 6;

struct Peak
{
    float largest = 0.0f;
    bool finite = true;

    void take(const std::vector<float>& samples)
    {
        for (float x : samples)
        {
            finite = finite && std::isfinite(x);
            largest = std::max(largest, std::fabs(x));
        }
    }
    bool withinBound() const { return finite && largest <= talvane::kOutputBound; }
};

class HostInput : public talvane::testing::ModuleTest
{
};

} // namespace

// ---- calls that only deliver parameter changes ----

TEST_F(HostInput, ACallWithoutSamplesTakesParameterChangesWithoutAnyOutputs)
{
    float* noChannels[2] = {nullptr, nullptr};
    AudioBusBuffers zeroChannels{};
    AudioBusBuffers nullBuffers{};
    nullBuffers.numChannels = 2;
    AudioBusBuffers nullChannelPointers{};
    nullChannelPointers.numChannels = 2;
    nullChannelPointers.channelBuffers32 = noChannels;
    struct Outputs
    {
        const char* what;
        int32 count;
        AudioBusBuffers* buses;
    };
    for (const Outputs& outputs : {Outputs{"no output buses", 0, nullptr}, Outputs{"a bus of 0 channels", 1, &zeroChannels},
                                   Outputs{"no channel array", 1, &nullBuffers},
                                   Outputs{"null channel pointers", 1, &nullChannelPointers}})
    {
        talvane::host::PluginInstance instance;
        ASSERT_TRUE(instance.create(talvane::testing::loadedModule().factory()));
        ASSERT_EQ(instance.setup(kRate, kBlock), kResultOk);
        ParameterChanges silence;
        silence.add(talvane::kGlobalVolume, 0, 0.0);
        ProcessData data;
        data.numSamples = 0;
        data.numOutputs = outputs.count;
        data.outputs = outputs.buses;
        data.inputParameterChanges = &silence;
        ASSERT_EQ(instance.processor()->process(data), kResultOk) << outputs.what;
        // A flush without changes is just as welcome.
        data.inputParameterChanges = nullptr;
        EXPECT_EQ(instance.processor()->process(data), kResultOk) << outputs.what;

        // The volume change took effect: a note played next is silent.
        AudioProcessRunner runner(instance.processor(), kBlock, kRate);
        runner.events.noteOn(0, 60, 1.0f);
        for (int i = 0; i < 8; ++i)
            ASSERT_EQ(runner.process(kBlock), kResultOk);
        Peak peak;
        peak.take(runner.renderedLeft);
        EXPECT_EQ(peak.largest, 0.0f) << outputs.what;
    }
}

TEST_F(HostInput, ACallWithSamplesButNoOutputsIsRefusedAndChangesNothing)
{
    // Two instances play the same; one is first sent samples to render with nowhere to put them.
    auto render = [](talvane::host::PluginInstance& instance, bool withRefusedCall) {
        EXPECT_EQ(instance.setup(kRate, kBlock), kResultOk);
        if (withRefusedCall)
        {
            ParameterChanges changes;
            changes.add(talvane::kGlobalVolume, 0, 0.0);
            ProcessData data;
            data.numSamples = 100;
            data.inputParameterChanges = &changes;
            EXPECT_EQ(instance.processor()->process(data), kInvalidArgument);
        }
        AudioProcessRunner runner(instance.processor(), kBlock, kRate);
        runner.parameterChanges.add(talvane::kO1Retrig, 0, 1.0); // repeatable start phases
        runner.process(100);
        runner.events.noteOn(3, 64, 0.8f);
        for (int i = 0; i < 6; ++i)
            runner.process(kBlock);
        return runner.renderedLeft;
    };
    talvane::host::PluginInstance other;
    ASSERT_TRUE(other.create(talvane::testing::loadedModule().factory()));
    const std::vector<float> refused = render(plugin, true);
    const std::vector<float> plain = render(other, false);
    EXPECT_EQ(refused, plain) << "the refused call moved the timeline or took its change";
    Peak peak;
    peak.take(plain);
    EXPECT_GT(peak.largest, 0.01f);
}

// ---- note values ----

TEST_F(HostInput, NonFiniteAndWildNoteValuesPlayFiniteSound)
{
    ASSERT_EQ(plugin.setup(kRate, kBlock), kResultOk);
    AudioProcessRunner runner(plugin.processor(), kBlock, kRate);
    // Velocity routed by the matrix to cutoff, Q, volume and pan: a NaN there reaches four stages.
    runner.parameterChanges.add(talvane::kMatrix1Src, 0, stepped(kVelocitySource, kSourceCount));
    runner.parameterChanges.add(talvane::kMatrix1Amount, 0, 1.0);
    const int destinations[] = {kCutoffDestination, kQDestination, kVolumeDestination, kPanDestination};
    for (int slot = 0; slot < 4; ++slot)
    {
        runner.parameterChanges.add(talvane::kMatrix1Target1 + 2 * slot, 0,
                                    stepped(destinations[slot], kDestinationCount));
        runner.parameterChanges.add(talvane::kMatrix1Amount1 + 2 * slot, 0, 1.0);
    }
    runner.parameterChanges.add(talvane::kKeyFollow, 0, 1.0);
    ASSERT_EQ(runner.process(kBlock), kResultOk);

    struct Note
    {
        int16 pitch;
        float velocity, tuning;
    };
    const Note notes[] = {
        {60, 1.0f, kNaN},      {61, 1.0f, kInf},       {62, 1.0f, -kInf},   {63, kNaN, 0.0f},
        {64, kInf, 0.0f},      {65, -kInf, 0.0f},      {66, 1.0f, 1.0e30f}, {67, 1.0f, -1.0e30f},
        {68, -5.0f, 0.0f},     {69, 7.0f, 1.0e6f},     {32767, 1.0f, 0.0f}, {-32768, 1.0f, 0.0f},
        {127, 1.0f, 12700.0f}, {0, 1.0f, -12700.0f},
    };
    Peak peak;
    int32 noteId = 1;
    for (const Note& note : notes)
    {
        runner.events.noteOn(7, note.pitch, note.velocity, noteId++, 0, note.tuning);
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(runner.process(kBlock), kResultOk);
        peak.take(runner.left);
        peak.take(runner.right); // velocity on the pan may put a note wholly on the right
    }
    EXPECT_TRUE(peak.finite);
    EXPECT_LE(peak.largest, talvane::kOutputBound);
    EXPECT_GT(peak.largest, 0.0f) << "the notes still sound";
}

// ---- every accepted rate, every filter setting ----

namespace {

// Plays one note through every filter type, resonance and cutoff at one rate, then once more with
// the cutoff swept by a fast LFO; reports the loudest sample and whether all were finite.
Peak sweepFilter(talvane::host::PluginInstance& instance, double rate, int32 samplesPerSetting)
{
    constexpr int32 kSweepBlock = 256;
    EXPECT_EQ(instance.setup(rate, kSweepBlock), kResultOk) << rate;
    AudioProcessRunner runner(instance.processor(), kSweepBlock, rate);
    runner.keepRendered = false;
    Peak peak;
    auto play = [&] {
        runner.events.noteOn(0, 60, 1.0f);
        for (int32 done = 0; done < samplesPerSetting; done += kSweepBlock)
        {
            EXPECT_EQ(runner.process(kSweepBlock), kResultOk);
            for (float* channel : {runner.left.data(), runner.right.data()})
                for (int32 i = 0; i < kSweepBlock; ++i)
                {
                    peak.finite = peak.finite && std::isfinite(channel[i]);
                    peak.largest = std::max(peak.largest, std::fabs(channel[i]));
                }
        }
        runner.parameterChanges.add(talvane::kPanic, 0, 1.0);
    };
    for (int type = 0; type < kFilterTypeCount; ++type)
        for (double q : {0.0, 0.5, 1.0})
        {
            runner.parameterChanges.add(talvane::kFType, 0, stepped(type, kFilterTypeCount));
            runner.parameterChanges.add(talvane::kFQ, 0, q);
            for (int c = 0; c <= 20; ++c)
            {
                runner.parameterChanges.add(talvane::kFCutoff, 0, c / 20.0);
                play();
            }
            // A fast saw LFO sweeping the whole cutoff range.
            runner.parameterChanges.add(talvane::kFCutoff, 0, 0.5);
            runner.parameterChanges.add(talvane::kLfo1Freq, 0, 0.6);
            runner.parameterChanges.add(talvane::kLfo1Amount, 0, 1.0);
            runner.parameterChanges.add(talvane::kLfo1Dest1, 0, stepped(kCutoffDestination, kDestinationCount));
            runner.parameterChanges.add(talvane::kLfo1Amount1, 0, 1.0);
            play();
            runner.parameterChanges.add(talvane::kLfo1Dest1, 0, 0.0);
        }
    return peak;
}

} // namespace

TEST_F(HostInput, EveryAcceptedRateAndFilterSettingGivesFiniteBoundedSound)
{
    // The ends of the accepted range, the rates a validator tries, and the common studio rates.
    const double rates[] = {1000.0,  1234.5678, 8000.0,   9600.0,   11025.0,  12345.678, 16000.0,   22050.0,
                            32000.0, 44100.0,   48000.0,  88200.0,  96000.0,  123456.78, 192000.0,  384000.0,
                            1234567.8, 2000000.0};
    for (double rate : rates)
    {
        talvane::host::PluginInstance instance;
        ASSERT_TRUE(instance.create(talvane::testing::loadedModule().factory()));
        const Peak peak = sweepFilter(instance, rate, 2048);
        EXPECT_TRUE(peak.finite) << rate << " Hz";
        EXPECT_LE(peak.largest, talvane::kOutputBound) << rate << " Hz";
        // One note through the filter stays well inside the bound for every voice slot.
        EXPECT_LT(peak.largest, talvane::kOutputBound / talvane::kNumVoiceSlots) << rate << " Hz";
    }
}

TEST_F(HostInput, SampleRatesOutsideTheAcceptedRangeAreRefused)
{
    for (double rate : {0.0, 999.9, 2000000.5, -44100.0, static_cast<double>(kInf), static_cast<double>(kNaN)})
    {
        ProcessSetup setup{kRealtime, kSample32, kBlock, rate};
        EXPECT_EQ(plugin.processor()->setupProcessing(setup), kInvalidArgument) << rate;
    }
    for (double rate : {1000.0, 2000000.0})
    {
        ProcessSetup setup{kRealtime, kSample32, kBlock, rate};
        EXPECT_EQ(plugin.processor()->setupProcessing(setup), kResultOk) << rate;
    }
}

// ---- block sizes ----

TEST_F(HostInput, AnyMaximumBlockSizeIsAccepted)
{
    for (int32 maxBlock : {0, 1, 8191, 8192, 8193, 4194304, std::numeric_limits<int32>::max()})
    {
        ProcessSetup setup{kRealtime, kSample32, maxBlock, kRate};
        EXPECT_EQ(plugin.processor()->setupProcessing(setup), kResultOk) << maxBlock;
    }
    ProcessSetup negative{kRealtime, kSample32, -1, kRate};
    EXPECT_EQ(plugin.processor()->setupProcessing(negative), kInvalidArgument);
}

TEST_F(HostInput, ABlockLongerThanTheBuffersSoundsAsTheSameSamplesInShortBlocks)
{
    constexpr int32 kLong = 20000;
    struct Timed
    {
        int32 offset;
        int16 pitch;
    };
    const Timed notes[] = {{100, 60}, {8190, 64}, {8200, 67}, {16383, 71}, {19999, 72}};
    const Timed offs[] = {{5000, 60}, {12000, 64}};
    const int32 cutoffAt[] = {0, 9000, 16400};
    auto render = [&](talvane::host::PluginInstance& instance, int32 block) {
        EXPECT_EQ(instance.setup(kRate, kLong), kResultOk);
        AudioProcessRunner runner(instance.processor(), kLong, kRate);
        runner.parameterChanges.add(talvane::kO1Retrig, 0, 1.0);
        runner.parameterChanges.add(talvane::kFQ, 0, 0.6);
        EXPECT_EQ(runner.process(16), kResultOk);
        for (int32 start = 0; start < 2 * kLong; start += block)
        {
            for (const Timed& note : notes)
                if (note.offset >= start && note.offset < start + block)
                    runner.events.noteOn(note.offset - start, note.pitch, 0.9f);
            for (const Timed& off : offs)
                if (off.offset >= start && off.offset < start + block)
                    runner.events.noteOff(off.offset - start, off.pitch);
            for (int32 at : cutoffAt)
                if (at >= start && at < start + block)
                    runner.parameterChanges.add(talvane::kFCutoff, at - start, 0.3 + at / 40000.0);
            EXPECT_EQ(runner.process(block), kResultOk);
        }
        return runner.renderedLeft;
    };
    talvane::host::PluginInstance other;
    ASSERT_TRUE(other.create(talvane::testing::loadedModule().factory()));
    const std::vector<float> whole = render(plugin, kLong);
    const std::vector<float> pieces = render(other, 400);
    ASSERT_EQ(whole.size(), pieces.size());
    EXPECT_EQ(whole, pieces);
    Peak peak;
    peak.take(whole);
    EXPECT_GT(peak.largest, 0.01f);
}

// ---- what the processor tells the host ----

TEST_F(HostInput, TheTailIsTheLongestReleaseTheSettingsAllow)
{
    ASSERT_EQ(plugin.setup(kRate, kBlock), kResultOk);
    AudioProcessRunner runner(plugin.processor(), kBlock, kRate);
    auto tailAfter = [&](ParamID id, double value) {
        runner.parameterChanges.add(id, 0, value);
        EXPECT_EQ(runner.process(kBlock), kResultOk);
        return plugin.processor()->getTailSamples();
    };
    // The default release of 5 ms, plus at most a few sub-blocks of framing.
    const uint32 shortest = plugin.processor()->getTailSamples();
    EXPECT_GE(shortest, static_cast<uint32>(0.005 * kRate));
    EXPECT_LE(shortest, static_cast<uint32>(0.005 * kRate) + 64);
    // Release at its top: 20 s.
    const uint32 longest = tailAfter(talvane::kARelease, 1.0);
    EXPECT_GE(longest, static_cast<uint32>(20.0 * kRate));
    EXPECT_LE(longest, static_cast<uint32>(20.0 * kRate) + 64);
    EXPECT_EQ(tailAfter(talvane::kARelease, 0.0), shortest);
    // A modulator aimed at the release time may lengthen it to the longest.
    EXPECT_EQ(tailAfter(talvane::kLfo2Dest3, stepped(kAmpReleaseDestination, kDestinationCount)), longest);
    EXPECT_EQ(tailAfter(talvane::kLfo2Dest3, 0.0), shortest);
    // In Legato a note-off leaves the note sounding.
    EXPECT_EQ(tailAfter(talvane::kNoteMode, 1.0), kInfiniteTail);
    EXPECT_EQ(tailAfter(talvane::kNoteMode, 0.0), shortest);
}

TEST_F(HostInput, TheProcessorAsksForTheTempo)
{
    FUnknownPtr<IProcessContextRequirements> requirements(plugin.component());
    ASSERT_TRUE(requirements) << "IProcessContextRequirements is not offered";
    EXPECT_EQ(requirements->getProcessContextRequirements(), static_cast<uint32>(IProcessContextRequirements::kNeedTempo));
}
