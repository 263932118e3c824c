// The processor's saved state through the built module, as a host saves and restores projects.
#include "support/moduletest.h"
#include "support/stateimage.h"

#include <limits>

using namespace Steinberg;
using namespace Steinberg::Vst;
using talvane::host::AudioProcessRunner;
using talvane::host::MemoryStream;
using talvane::testing::StateImage;

namespace {

class ProcessorStateModule : public talvane::testing::ModuleTest
{
protected:
    std::vector<std::uint8_t> saved()
    {
        MemoryStream stream;
        EXPECT_EQ(plugin.component()->getState(&stream), kResultOk);
        return stream.bytes();
    }
    StateImage savedImage()
    {
        StateImage image;
        EXPECT_TRUE(StateImage::parse(saved(), image));
        return image;
    }
    tresult load(MemoryStream& stream)
    {
        stream.rewind();
        return plugin.component()->setState(&stream);
    }
    tresult load(const StateImage& image)
    {
        MemoryStream stream(image.bytes());
        return load(stream);
    }
};

// `before` with the first `count` values of `loaded`.
std::vector<std::uint8_t> merged(const StateImage& before, const StateImage& loaded, int count)
{
    StateImage result = before;
    std::copy(loaded.items, loaded.items + count, result.items);
    return result.bytes();
}

} // namespace

TEST_F(ProcessorStateModule, FreshProcessorSavesItsDefaults)
{
    const std::vector<std::uint8_t> bytes = saved();
    ASSERT_EQ(bytes.size(), 600u);
    StateImage image;
    ASSERT_TRUE(StateImage::parse(bytes, image));
    EXPECT_EQ(image.header[0], 0);
    EXPECT_EQ(image.header[1], 87);
    EXPECT_EQ(image.header[2], 0);
    EXPECT_EQ(image.plain(talvane::kPolyphony), 16);
    EXPECT_EQ(image.plain(talvane::kRefOctave), 5);
    EXPECT_EQ(image.plain(talvane::kRefNote), 9);
    EXPECT_EQ(image.plain(talvane::kPbUp), 1);
    EXPECT_EQ(image.floatValue(talvane::kGlobalVolume), 0.8f);
    EXPECT_EQ(image.floatValue(talvane::kASustain), 1.0f);

    EXPECT_EQ(plugin.component()->getState(nullptr), kInvalidArgument);
    EXPECT_EQ(plugin.component()->setState(nullptr), kInvalidArgument);
}

TEST_F(ProcessorStateModule, StateReloadsIntoAnotherProcessorByteForByte)
{
    const StateImage image = savedImage().shifted();
    ASSERT_EQ(load(image), kResultOk);
    const std::vector<std::uint8_t> first = saved();
    EXPECT_EQ(first, image.bytes());

    talvane::host::PluginInstance other;
    ASSERT_TRUE(other.create(talvane::testing::loadedModule().factory()));
    MemoryStream stream(first);
    ASSERT_EQ(other.component()->setState(&stream), kResultOk);
    MemoryStream again;
    ASSERT_EQ(other.component()->getState(&again), kResultOk);
    EXPECT_EQ(again.bytes(), first);
}

TEST_F(ProcessorStateModule, ValueOutOfRangeEndsTheLoadKeepingTheValuesBefore)
{
    const StateImage defaults = savedImage();
    StateImage sustain = defaults.shifted();
    sustain.setFloat(talvane::kASustain, 1.5f);
    EXPECT_EQ(load(sustain), kResultFalse);
    EXPECT_EQ(saved(), merged(defaults, sustain, talvane::kASustain)) << "volume, portamento, attack, decay";

    ASSERT_EQ(load(defaults), kResultOk);
    StateImage polyphony = defaults.shifted();
    polyphony.setPlain(talvane::kPolyphony, 20);
    EXPECT_EQ(load(polyphony), kResultFalse);
    EXPECT_EQ(saved(), merged(defaults, polyphony, talvane::kPolyphony));
}

TEST_F(ProcessorStateModule, FilterAmountOfOlderStatesIsConverted)
{
    StateImage image = savedImage();
    image.setFloat(talvane::kFAmount, 0.0f);
    image.setFloat(talvane::kFQ, 0.0f);
    const struct
    {
        std::int32_t major, minor, patch;
        float amount;
    } versions[] = {{0, 86, 3, 0.5f}, {0, 87, 0, 0.0f}, {1, 0, 0, 0.0f}};
    for (const auto& v : versions)
    {
        image.header[0] = v.major;
        image.header[1] = v.minor;
        image.header[2] = v.patch;
        ASSERT_EQ(load(image), kResultOk);
        const StateImage loaded = savedImage();
        EXPECT_EQ(loaded.floatValue(talvane::kFAmount), v.amount)
            << v.major << "." << v.minor << "." << v.patch;
        EXPECT_EQ(loaded.floatValue(talvane::kFQ), 0.0f);
        EXPECT_EQ(loaded.header[1], 87) << "always saved as 0.87.0";
    }
}

TEST_F(ProcessorStateModule, TruncatedStreamsEndTheLoadAtEveryItem)
{
    const StateImage defaults = savedImage();
    const StateImage loaded = defaults.shifted();
    const std::vector<std::uint8_t> bytes = loaded.bytes();
    for (std::size_t item = 0; item < 3 + talvane::kNumParams; ++item)
    {
        const int values = item > 3 ? static_cast<int>(item) - 3 : 0;
        SCOPED_TRACE(::testing::Message() << "item " << item);

        ASSERT_EQ(load(defaults), kResultOk);
        MemoryStream failing(bytes);
        failing.failReadsFrom = static_cast<int64>(4 * item);
        EXPECT_EQ(load(failing), kResultFalse);
        EXPECT_EQ(saved(), merged(defaults, loaded, values));

        ASSERT_EQ(load(defaults), kResultOk);
        MemoryStream shortened(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4 * item + 2));
        shortened.shortReadsSucceed = true;
        EXPECT_EQ(load(shortened), kResultFalse);
        EXPECT_EQ(saved(), merged(defaults, loaded, values)) << "half an item is no value";
    }
}

TEST_F(ProcessorStateModule, SaveToAStreamThatStopsTakingBytesFails)
{
    MemoryStream failing;
    failing.failWritesFrom = 100;
    EXPECT_EQ(plugin.component()->getState(&failing), kResultFalse);
    MemoryStream full;
    full.shortWritesFrom = 598;
    EXPECT_EQ(plugin.component()->getState(&full), kResultFalse);
}

TEST_F(ProcessorStateModule, LoadsAndSavesWhileProcessing)
{
    const StateImage image = savedImage().shifted();
    ASSERT_EQ(plugin.setup(48000.0, 128), kResultOk);
    AudioProcessRunner runner(plugin.processor(), 128, 48000.0);
    ASSERT_EQ(runner.process(128), kResultOk);
    ASSERT_EQ(load(image), kResultOk);
    EXPECT_EQ(saved(), image.bytes());
    ASSERT_EQ(runner.process(128), kResultOk);
    EXPECT_EQ(saved(), image.bytes());
    plugin.stop();
    EXPECT_EQ(saved(), image.bytes());
}

TEST_F(ProcessorStateModule, AStateGivesTheSameSoundInAnyNewProcessor)
{
    // A patch set through ordinary parameter changes (random phases off, so it is deterministic).
    ASSERT_EQ(plugin.setup(44100.0, 512), kResultOk);
    AudioProcessRunner runner(plugin.processor(), 512, 44100.0);
    const std::pair<ParamID, double> patch[] = {
        {talvane::kO2On, 1.0},       {talvane::kO2Octave, 4.0 / 6}, {talvane::kFmO1O2, 0.35},
        {talvane::kFCutoff, 0.45},   {talvane::kFQ, 0.6},           {talvane::kFAmount, 0.8},
        {talvane::kFDecay, 0.4},     {talvane::kLfo1Retrig, 1.0},   {talvane::kLfo1Dest1, 7.0 / 83},
        {talvane::kLfo1Amount1, 0.8}, {talvane::kARelease, 0.3},    {talvane::kGlobalVolume, 0.7}};
    for (const auto& [id, value] : patch)
        runner.parameterChanges.add(id, 0, value);
    ASSERT_EQ(runner.process(512), kResultOk);
    const std::vector<std::uint8_t> state = saved();

    auto renderFrom = [&](std::vector<float>& left, std::vector<float>& right, bool withState = true) {
        talvane::host::PluginInstance fresh;
        ASSERT_TRUE(fresh.create(talvane::testing::loadedModule().factory()));
        MemoryStream stream(state);
        if (withState)
        {
            ASSERT_EQ(fresh.component()->setState(&stream), kResultOk);
        }
        ASSERT_EQ(fresh.setup(44100.0, 512), kResultOk);
        AudioProcessRunner play(fresh.processor(), 512, 44100.0);
        play.events.noteOn(0, 57, 0.8f);
        for (int b = 0; b < 60; ++b)
        {
            if (b == 40)
                play.events.noteOff(0, 57);
            ASSERT_EQ(play.process(512), kResultOk);
        }
        left = play.renderedLeft;
        right = play.renderedRight;
    };
    std::vector<float> firstL, firstR, secondL, secondR;
    renderFrom(firstL, firstR);
    renderFrom(secondL, secondR);
    double energy = 0.0;
    for (float x : firstL)
        energy += static_cast<double>(x) * x;
    EXPECT_GT(energy, 1.0);
    EXPECT_EQ(firstL, secondL);
    EXPECT_EQ(firstR, secondR);
    std::vector<float> defaultL, defaultR;
    renderFrom(defaultL, defaultR, false);
    EXPECT_NE(firstL, defaultL) << "the state changed the sound";
}
