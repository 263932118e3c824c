#include "support/moduletest.h"
#include "support/nullref.h"

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/vstspeaker.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using talvane::host::AudioProcessRunner;
using talvane::testing::nullReference;

namespace {

std::string narrow(const char16* text)
{
    char buffer[256];
    UString(const_cast<char16*>(text), 256).toAscii(buffer, sizeof(buffer));
    return buffer;
}

class Processor : public talvane::testing::ModuleTest
{
protected:
    void expectOriginalBuses()
    {
        IComponent* component = plugin.component();
        ASSERT_EQ(component->getBusCount(kAudio, kInput), 0);
        ASSERT_EQ(component->getBusCount(kAudio, kOutput), 1);
        ASSERT_EQ(component->getBusCount(kEvent, kInput), 1);
        ASSERT_EQ(component->getBusCount(kEvent, kOutput), 0);

        BusInfo audio{};
        ASSERT_EQ(component->getBusInfo(kAudio, kOutput, 0, audio), kResultTrue);
        EXPECT_EQ(narrow(audio.name), "Audio Output");
        EXPECT_EQ(audio.channelCount, 2);
        EXPECT_EQ(audio.busType, kMain);
        EXPECT_EQ(audio.flags, static_cast<uint32>(BusInfo::kDefaultActive));

        BusInfo events{};
        ASSERT_EQ(component->getBusInfo(kEvent, kInput, 0, events), kResultTrue);
        EXPECT_EQ(narrow(events.name), "Event Input");
        EXPECT_EQ(events.channelCount, 1);
        EXPECT_EQ(events.busType, kMain);

        SpeakerArrangement arrangement = 0;
        ASSERT_EQ(plugin.processor()->getBusArrangement(kOutput, 0, arrangement), kResultTrue);
        EXPECT_EQ(arrangement, SpeakerArr::kStereo);
    }
};

} // namespace

TEST_F(Processor, DeclaresOneStereoOutputAndOneEventInput)
{
    expectOriginalBuses();
}

TEST_F(Processor, RefusesEveryBusArrangementAndKeepsItsBuses)
{
    IAudioProcessor* processor = plugin.processor();
    SpeakerArrangement mono = SpeakerArr::kMono;
    SpeakerArrangement monoOut = SpeakerArr::kMono;
    SpeakerArrangement stereoIn = SpeakerArr::kStereo;
    SpeakerArrangement stereoOut = SpeakerArr::kStereo;
    SpeakerArrangement surround = SpeakerArr::k51;

    EXPECT_EQ(processor->setBusArrangements(&mono, 1, &monoOut, 1), kResultFalse);
    expectOriginalBuses();
    EXPECT_EQ(processor->setBusArrangements(&stereoIn, 1, &stereoOut, 1), kResultFalse);
    expectOriginalBuses();
    EXPECT_EQ(processor->setBusArrangements(nullptr, 0, &stereoOut, 1), kResultFalse);
    expectOriginalBuses();
    EXPECT_EQ(processor->setBusArrangements(nullptr, 0, &surround, 1), kResultFalse);
    expectOriginalBuses();
    EXPECT_EQ(processor->setBusArrangements(nullptr, 0, nullptr, 0), kResultFalse);
    expectOriginalBuses();
}

TEST_F(Processor, ProcessesOnly32BitSamples)
{
    EXPECT_EQ(plugin.processor()->canProcessSampleSize(kSample32), kResultTrue);
    EXPECT_EQ(plugin.processor()->canProcessSampleSize(kSample64), kResultFalse);
    EXPECT_EQ(plugin.processor()->canProcessSampleSize(7), kResultFalse);
}

TEST_F(Processor, ReportsSixteenSamplesOfLatencyWhateverTheSetup)
{
    IAudioProcessor* processor = plugin.processor();
    EXPECT_EQ(processor->getLatencySamples(), 16u);
    for (int32 block : {0, 1, 64, 100, 512, 4096})
        for (double rate : {44100.0, 48000.0, 96000.0})
        {
            ProcessSetup setup{kRealtime, kSample32, block, rate};
            ASSERT_EQ(processor->setupProcessing(setup), kResultOk);
            EXPECT_EQ(processor->getLatencySamples(), 16u) << block << " @ " << rate;
        }
}

TEST_F(Processor, AcceptsFractionalSampleRates)
{
    for (double rate : {44100.7, 22050.5, 88199.999})
    {
        ProcessSetup setup{kRealtime, kSample32, 256, rate};
        EXPECT_EQ(plugin.processor()->setupProcessing(setup), kResultOk) << rate;
        AudioProcessRunner runner(plugin.processor(), 256, rate);
        EXPECT_EQ(runner.process(256), kResultOk);
    }
}

TEST_F(Processor, RefusesA64BitSetupWithoutChangingTheStoredOne)
{
    IAudioProcessor* processor = plugin.processor();
    ProcessSetup setup{kRealtime, kSample32, 128, 44100.0};
    ASSERT_EQ(processor->setupProcessing(setup), kResultOk);

    ProcessSetup wide{kRealtime, kSample64, 4096, 48000.0};
    EXPECT_EQ(processor->setupProcessing(wide), kResultFalse);

    // Still set up for 128-sample blocks: those process, a longer one is refused.
    AudioProcessRunner runner(processor, 4096, 44100.0);
    EXPECT_EQ(runner.process(128), kResultOk);
    EXPECT_EQ(runner.process(129), kInvalidArgument);
}

TEST_F(Processor, ZeroMaximumBlockStillSetsUp)
{
    ProcessSetup setup{kRealtime, kSample32, 0, 44100.0};
    ASSERT_EQ(plugin.processor()->setupProcessing(setup), kResultOk);
    AudioProcessRunner runner(plugin.processor(), 16, 44100.0);
    EXPECT_EQ(runner.process(0), kResultOk);
    EXPECT_EQ(runner.process(1), kInvalidArgument);
}

TEST_F(Processor, RefusesUnusableSetups)
{
    IAudioProcessor* processor = plugin.processor();
    EXPECT_EQ(processor->setupProcessing(nullReference<ProcessSetup>()), kInvalidArgument);
    for (double rate : {0.0, -44100.0, 1.0e12})
    {
        ProcessSetup setup{kRealtime, kSample32, 512, rate};
        EXPECT_EQ(processor->setupProcessing(setup), kInvalidArgument) << rate;
    }
    ProcessSetup negativeBlock{kRealtime, kSample32, -1, 44100.0};
    EXPECT_EQ(processor->setupProcessing(negativeBlock), kInvalidArgument);
}

TEST_F(Processor, ProcessBeforeSetupIsAnErrorAndWritesNothing)
{
    AudioProcessRunner runner(plugin.processor(), 64, 44100.0);
    runner.left.assign(64, 7.0f);
    const tresult result = runner.process(64);
    EXPECT_NE(result, kResultOk);
    EXPECT_EQ(runner.left[0], 7.0f);
}

TEST_F(Processor, RefusesMissingOrShortOutputs)
{
    IAudioProcessor* processor = plugin.processor();
    ASSERT_EQ(plugin.setup(44100.0, 64), kResultOk);
    EXPECT_EQ(processor->process(nullReference<ProcessData>()), kInvalidArgument);

    float left[64] = {}, right[64] = {};
    float* both[2] = {left, right};
    float* leftOnly[2] = {left, nullptr};
    AudioBusBuffers bus{};
    ProcessData data{};
    data.numSamples = 64;
    data.symbolicSampleSize = kSample32;
    EXPECT_EQ(processor->process(data), kInvalidArgument) << "no output bus";

    data.numOutputs = 1;
    data.outputs = &bus;
    bus.numChannels = 2;
    EXPECT_EQ(processor->process(data), kInvalidArgument) << "no channel array";
    bus.channelBuffers32 = leftOnly;
    EXPECT_EQ(processor->process(data), kInvalidArgument) << "no right channel";
    bus.channelBuffers32 = both;
    bus.numChannels = 1;
    EXPECT_EQ(processor->process(data), kInvalidArgument) << "mono bus";
    bus.numChannels = 2;
    EXPECT_EQ(processor->process(data), kResultOk);
}

TEST_F(Processor, AnswersNotifyAndActivation)
{
    EXPECT_EQ(plugin.component()->setActive(true), kResultOk);
    EXPECT_EQ(plugin.component()->setActive(false), kResultOk);
    IConnectionPoint* connection = nullptr;
    ASSERT_EQ(
        plugin.component()->queryInterface(IConnectionPoint::iid, reinterpret_cast<void**>(&connection)),
        kResultOk);
    EXPECT_EQ(connection->notify(nullptr), kResultOk);
    connection->release();
}
