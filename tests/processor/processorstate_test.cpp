// The processor's own state handling, driven directly: what reaches the engine and when.
#include "source/params/paramtable.h"
#include "source/processor/talvane.h"

#include "host/plugininstance.h"
#include "support/stateimage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst;
using talvane::ParamId;
using talvane::host::AudioProcessRunner;
using talvane::host::MemoryStream;
using talvane::host::PluginInstance;
using talvane::testing::itemLayout;
using talvane::testing::StateImage;

namespace {

constexpr int32 kBlock = 64;
constexpr double kRate = 44100.0;

// The processor as a host holds it, set up for 64-sample blocks.
class Processor
{
public:
    Processor() : talvane(new Talvane())
    {
        EXPECT_EQ(talvane->initialize(&PluginInstance::hostContext()), kResultOk);
        ProcessSetup setup{kRealtime, kSample32, kBlock, kRate};
        EXPECT_EQ(talvane->setupProcessing(setup), kResultOk);
    }
    ~Processor()
    {
        talvane->setActive(false);
        talvane->terminate();
        talvane->release();
    }
    Processor(const Processor&) = delete;
    Processor& operator=(const Processor&) = delete;

    Talvane* operator->() const { return talvane; }
    IAudioProcessor* audio() const { return talvane; }

    std::vector<std::uint8_t> saved()
    {
        MemoryStream stream;
        EXPECT_EQ(talvane->getState(&stream), kResultOk);
        return stream.bytes();
    }
    tresult load(const std::vector<std::uint8_t>& bytes)
    {
        MemoryStream stream(bytes);
        return talvane->setState(&stream);
    }

private:
    Talvane* talvane;
};

// A valid state that differs from round to round in every value.
StateImage stateOfRound(int round)
{
    StateImage image;
    for (ParamId id = 0; id < static_cast<ParamId>(talvane::kNumParams); ++id)
    {
        const auto layout = itemLayout(id);
        if (layout.numValues > 0)
            image.setPlain(id, layout.minValue + static_cast<int>((round + id) % layout.numValues));
        else
            image.setFloat(id, static_cast<float>((round * 7 + id) % 64) / 64.0f);
    }
    return image;
}

// The bytes the processor saves after `loaded` was loaded over `before`, up to `count` values.
std::vector<std::uint8_t> mergedBytes(const StateImage& before, const StateImage& loaded, int count)
{
    StateImage merged = before;
    std::copy(loaded.items, loaded.items + count, merged.items);
    return merged.bytes();
}

} // namespace

TEST(ProcessorState, SteppedValuesSnapOnTheWayOutAndReadBackSnapped)
{
    Processor source;
    source->applyParameter({0.3f, talvane::kFType, 0});
    source->applyParameter({0.45f, talvane::kO1Detune, 0});
    StateImage image;
    ASSERT_TRUE(StateImage::parse(source.saved(), image));
    EXPECT_EQ(image.plain(talvane::kFType), 1);
    EXPECT_EQ(image.plain(talvane::kO1Detune), -1);

    Processor target;
    ASSERT_EQ(target.load(image.bytes()), kResultOk);
    EXPECT_EQ(target->parameterValue(talvane::kFType), 0.25f);
    EXPECT_EQ(target->parameterValue(talvane::kO1Detune), 11.0f / 24.0f);
    EXPECT_EQ(target.saved(), image.bytes());
}

TEST(ProcessorState, ActiveProcessorAppliesALoadAtTheStartOfItsNextBlock)
{
    Processor processor;
    const std::vector<std::uint8_t> defaults = processor.saved();
    ASSERT_EQ(processor->setActive(true), kResultOk);
    AudioProcessRunner runner(processor.audio(), kBlock, kRate);
    ASSERT_EQ(runner.process(kBlock), kResultOk);

    const StateImage image = stateOfRound(5);
    ASSERT_EQ(processor.load(image.bytes()), kResultOk);
    EXPECT_EQ(processor->parameterValue(talvane::kGlobalVolume), 0.8f)
        << "not yet: the audio thread applies it";
    EXPECT_EQ(processor.saved(), image.bytes()) << "but it is already what a save answers";

    ASSERT_EQ(runner.process(kBlock), kResultOk);
    for (ParamId id = 0; id < static_cast<ParamId>(talvane::kNumParams); ++id)
        EXPECT_EQ(processor->parameterValue(id), image.normalized(id))
            << talvane::paramRecord(id).title.c_str();
    EXPECT_EQ(processor.saved(), image.bytes());

    // A load that ends early at A_Sustain keeps its first four values.
    StateImage broken = stateOfRound(6);
    broken.setFloat(talvane::kASustain, 1.5f);
    EXPECT_EQ(processor.load(broken.bytes()), kResultFalse);
    EXPECT_EQ(processor.saved(), mergedBytes(image, broken, 4));
    ASSERT_EQ(runner.process(kBlock), kResultOk);
    EXPECT_EQ(processor.saved(), mergedBytes(image, broken, 4));
}

TEST(ProcessorState, LoadPendingWhenProcessingStopsIsAppliedOnDeactivation)
{
    Processor processor;
    ASSERT_EQ(processor->setActive(true), kResultOk);
    const StateImage image = stateOfRound(9);
    ASSERT_EQ(processor.load(image.bytes()), kResultOk);
    ASSERT_EQ(processor->setActive(false), kResultOk);
    for (ParamId id = 0; id < static_cast<ParamId>(talvane::kNumParams); ++id)
        EXPECT_EQ(processor->parameterValue(id), image.normalized(id))
            << talvane::paramRecord(id).title.c_str();
    EXPECT_EQ(processor.saved(), image.bytes());

    // Activating again starts from these values.
    ASSERT_EQ(processor->setActive(true), kResultOk);
    EXPECT_EQ(processor.saved(), image.bytes());
}

TEST(ProcessorStateThreads, LoadsAndSavesWhileTheAudioThreadProcesses)
{
    Processor processor;
    ASSERT_EQ(processor->setActive(true), kResultOk);
    std::atomic<bool> running{true};
    std::atomic<int> blocks{0};
    std::thread audioThread([&] {
        AudioProcessRunner runner(processor.audio(), kBlock, kRate);
        runner.keepRendered = false;
        while (running.load(std::memory_order_relaxed))
        {
            EXPECT_EQ(runner.process(kBlock), kResultOk);
            blocks.fetch_add(1, std::memory_order_relaxed);
        }
    });

    constexpr int kLoads = 600;
    StateImage current;
    ASSERT_TRUE(StateImage::parse(processor.saved(), current));
    for (int round = 0; round < kLoads; ++round)
    {
        StateImage next = stateOfRound(round);
        int accepted = talvane::kNumParams;
        if (round % 4 == 3)
        {
            // A value out of range ends this load early.
            accepted = (round * 13) % talvane::kNumParams;
            next.setFloat(talvane::kGlobalVolume, 0.5f);
            if (itemLayout(static_cast<ParamId>(accepted)).numValues > 0)
                next.setPlain(static_cast<ParamId>(accepted), 1000);
            else
                next.setFloat(static_cast<ParamId>(accepted), 2.0f);
        }
        EXPECT_EQ(processor.load(next.bytes()), accepted == talvane::kNumParams ? kResultOk : kResultFalse);
        const std::vector<std::uint8_t> expected = mergedBytes(current, next, accepted);
        ASSERT_EQ(processor.saved(), expected) << "round " << round;
        ASSERT_TRUE(StateImage::parse(expected, current));
    }
    while (blocks.load(std::memory_order_relaxed) < 20)
        std::this_thread::yield();
    running = false;
    audioThread.join();

    ASSERT_EQ(processor->setActive(false), kResultOk);
    EXPECT_EQ(processor.saved(), current.bytes());
    for (ParamId id = 0; id < static_cast<ParamId>(talvane::kNumParams); ++id)
        EXPECT_EQ(processor->parameterValue(id), current.normalized(id))
            << talvane::paramRecord(id).title.c_str();
}
