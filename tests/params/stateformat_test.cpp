#include "source/params/paramtable.h"
#include "source/params/stateformat.h"

#include "host/hostobjects.h"
#include "support/stateimage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace talvane;
using Steinberg::kInvalidArgument;
using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using talvane::host::MemoryStream;
using talvane::testing::StateImage;

namespace {

struct Defaults
{
    float values[kNumParams];
    Defaults()
    {
        for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
            values[id] = defaultNormalized(id);
    }
};

StateImage written(const float (&values)[kNumParams])
{
    MemoryStream stream;
    EXPECT_EQ(writeState(&stream, values), kResultOk);
    StateImage image;
    EXPECT_TRUE(StateImage::parse(stream.bytes(), image)) << stream.bytes().size() << " bytes";
    return image;
}

struct Accepted
{
    std::vector<ParamId> ids;
    std::vector<float> values;
    float valueOf(ParamId id) const
    {
        for (std::size_t i = 0; i < ids.size(); ++i)
            if (ids[i] == id)
                return values[i];
        return std::numeric_limits<float>::quiet_NaN();
    }
};

Steinberg::tresult read(MemoryStream& stream, OutOfRangeValue policy, Accepted& accepted)
{
    stream.rewind();
    return readState(&stream, policy, [&accepted](ParamId id, float value) {
        accepted.ids.push_back(id);
        accepted.values.push_back(value);
    });
}

Steinberg::tresult read(const StateImage& image, OutOfRangeValue policy, Accepted& accepted)
{
    MemoryStream stream(image.bytes());
    return read(stream, policy, accepted);
}

StateImage defaultImage()
{
    const Defaults defaults;
    return written(defaults.values);
}

} // namespace

TEST(StateWriter, DefaultsMakeSixHundredLittleEndianBytes)
{
    const Defaults defaults;
    MemoryStream stream;
    ASSERT_EQ(writeState(&stream, defaults.values), kResultOk);
    const std::vector<std::uint8_t>& bytes = stream.bytes();
    ASSERT_EQ(bytes.size(), 600u);
    const std::vector<std::uint8_t> header = {0, 0, 0, 0, 87, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 12), header);
    const std::size_t polyphony = 12 + 4 * kPolyphony;
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + polyphony, bytes.begin() + polyphony + 4),
              (std::vector<std::uint8_t>{16, 0, 0, 0}));
    // 0.8f is 0x3F4CCCCD, lowest byte first.
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 12, bytes.begin() + 16),
              (std::vector<std::uint8_t>{0xCD, 0xCC, 0x4C, 0x3F}));

    StateImage image;
    ASSERT_TRUE(StateImage::parse(bytes, image));
    EXPECT_EQ(image.plain(kPolyphony), 16);
    EXPECT_EQ(image.plain(kRefOctave), 5);
    EXPECT_EQ(image.plain(kRefNote), 9);
    EXPECT_EQ(image.plain(kO1Octave), 0);
    EXPECT_EQ(image.plain(kLfo1Waveform), 1);
    EXPECT_EQ(image.floatValue(kGlobalVolume), 0.8f);
    EXPECT_EQ(image.floatValue(kADecay), 0.3f);
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
        EXPECT_EQ(image.normalized(id), defaults.values[id]) << paramRecord(id).title.c_str();
}

TEST(StateWriter, SteppedValuesSnapLimitAtTheTopAndRoundDown)
{
    Defaults state;
    state.values[kFType] = 0.3f;
    state.values[kPolyphony] = 1.0f;
    state.values[kO1Octave] = 1.0f;
    state.values[kO2Octave] = 0.5f;
    state.values[kO1Detune] = 0.45f;
    state.values[kO2Detune] = 0.0f;
    state.values[kPbUp] = 1.0f;
    const StateImage image = written(state.values);
    EXPECT_EQ(image.plain(kFType), 1) << "floor(5 * 0.3)";
    EXPECT_EQ(image.plain(kPolyphony), 16) << "17 before the limit";
    EXPECT_EQ(image.plain(kO1Octave), 3);
    EXPECT_EQ(image.plain(kO2Octave), 0);
    EXPECT_EQ(image.plain(kO1Detune), -1) << "-0.75 rounds down, not toward zero";
    EXPECT_EQ(image.plain(kO2Detune), -12);
    EXPECT_EQ(image.plain(kPbUp), 36);

    Accepted accepted;
    ASSERT_EQ(read(image, OutOfRangeValue::EndLoad, accepted), kResultOk);
    EXPECT_EQ(accepted.valueOf(kFType), 0.25f);
    EXPECT_EQ(accepted.valueOf(kO2Octave), 0.5f);
    EXPECT_EQ(accepted.valueOf(kO1Detune), 11.0f / 24.0f);
}

TEST(StateWriter, RefusesValuesWithoutAnEncodingAfterWritingThoseBefore)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct
    {
        ParamId id;
        float value;
    } cases[] = {
        {kGlobalVolume, -0.01f}, {kADecay, 1.01f},       {kFCutoff, nan},         {kFType, -0.1f},
        {kO1Octave, nan},        {kPolyphony, -1.0e30f}, {kMatrix2Amount4, 2.0f}, {kMatrix2Target4, -0.5f},
    };
    for (const auto& c : cases)
    {
        Defaults state;
        state.values[c.id] = c.value;
        MemoryStream stream;
        EXPECT_EQ(writeState(&stream, state.values), kResultFalse)
            << paramRecord(c.id).title.c_str() << " " << c.value;
        EXPECT_EQ(stream.bytes().size(), 12u + 4u * c.id) << "the items before stay written";
    }
    Defaults beyond;
    beyond.values[kPolyphony] = 1.5f; // limited to the top like 1.0
    EXPECT_EQ(written(beyond.values).plain(kPolyphony), 16);
}

TEST(StateWriter, ReportsWritesTheStreamDoesNotComplete)
{
    const Defaults defaults;
    EXPECT_EQ(writeState(nullptr, defaults.values), kInvalidArgument);
    for (int item = 0; item < 3 + kNumParams; ++item)
    {
        MemoryStream failing;
        failing.failWritesFrom = 4 * item;
        EXPECT_EQ(writeState(&failing, defaults.values), kResultFalse) << "write fails at item " << item;

        MemoryStream full;
        full.shortWritesFrom = 4 * item + 2;
        EXPECT_EQ(writeState(&full, defaults.values), kResultFalse) << "short write at item " << item;
    }
}

TEST(StateReader, ConvertsTheFilterAmountOfStatesOlderThan087Only)
{
    StateImage image = defaultImage();
    image.setFloat(kFAmount, 0.0f);
    image.setFloat(kGlobalVolume, 0.0f);
    image.setFloat(kO1Panning, 0.0f);

    const struct
    {
        std::int32_t major, minor, patch;
        float expectedAmount;
    } versions[] = {
        {0, 86, 3, 0.5f}, {0, 0, 0, 0.5f},  {0, 86, 99, 0.5f}, {0, 87, 0, 0.0f},
        {0, 87, 5, 0.0f}, {0, 90, 0, 0.0f}, {1, 0, 0, 0.0f},   {1, 50, 0, 0.0f},
    };
    for (const auto& v : versions)
    {
        image.header[0] = v.major;
        image.header[1] = v.minor;
        image.header[2] = v.patch;
        Accepted accepted;
        ASSERT_EQ(read(image, OutOfRangeValue::EndLoad, accepted), kResultOk);
        SCOPED_TRACE(::testing::Message() << v.major << "." << v.minor << "." << v.patch);
        EXPECT_EQ(accepted.valueOf(kFAmount), v.expectedAmount);
        EXPECT_EQ(accepted.valueOf(kGlobalVolume), 0.0f) << "no other parameter is converted";
        EXPECT_EQ(accepted.valueOf(kO1Panning), 0.0f);
    }

    image.header[0] = 0;
    image.header[1] = 86;
    image.header[2] = 0;
    for (auto [stored, loaded] : {std::pair{-1.0f, 0.0f}, {1.0f, 1.0f}, {-3.0f, -1.0f}})
    {
        image.setFloat(kFAmount, stored);
        Accepted accepted;
        read(image, OutOfRangeValue::Skip, accepted);
        if (loaded < 0.0f)
            EXPECT_TRUE(std::isnan(accepted.valueOf(kFAmount))) << "still out of range after conversion";
        else
            EXPECT_EQ(accepted.valueOf(kFAmount), loaded) << stored;
    }
}

TEST(StateReader, EndLoadStopsAtTheFirstValueOutOfRangeWhileSkipGoesOn)
{
    StateImage image = defaultImage();
    image.setFloat(kASustain, 1.5f);
    Accepted stopped;
    EXPECT_EQ(read(image, OutOfRangeValue::EndLoad, stopped), kResultFalse);
    EXPECT_EQ(stopped.ids, (std::vector<ParamId>{kGlobalVolume, kPortamento, kAAttack, kADecay}));

    image.setPlain(kPolyphony, 20);
    image.setPlain(kO1Octave, 5);
    image.setFloat(kMatrix2Amount4, std::numeric_limits<float>::quiet_NaN());
    Accepted skipped;
    EXPECT_EQ(read(image, OutOfRangeValue::Skip, skipped), kResultOk);
    ASSERT_EQ(skipped.ids.size(), static_cast<std::size_t>(kNumParams - 4));
    for (ParamId id : {kASustain, kPolyphony, kO1Octave, kMatrix2Amount4})
        EXPECT_TRUE(std::isnan(skipped.valueOf(id))) << paramRecord(id).title.c_str() << " must be skipped";
    EXPECT_EQ(skipped.valueOf(kARelease), 0.0f);
    EXPECT_EQ(skipped.valueOf(kMatrix2Target4), 0.0f);
}

TEST(StateReader, PlainValuesOutsideTheirRangeAreOutOfRange)
{
    const StateImage defaults = defaultImage();
    const struct
    {
        ParamId id;
        std::int32_t plain;
    } cases[] = {
        {kPolyphony, 20},
        {kPolyphony, 0},
        {kO1Octave, 4},
        {kO1Octave, -4},
        {kFType, std::numeric_limits<std::int32_t>::min()},
        {kPolyphony, std::numeric_limits<std::int32_t>::min()},
        {kO1Detune, std::numeric_limits<std::int32_t>::max()},
    };
    for (const auto& c : cases)
    {
        StateImage image = defaults;
        image.setPlain(c.id, c.plain);
        Accepted accepted;
        EXPECT_EQ(read(image, OutOfRangeValue::EndLoad, accepted), kResultFalse)
            << paramRecord(c.id).title.c_str();
        EXPECT_EQ(accepted.ids.size(), c.id);
    }
    StateImage edges = defaults;
    edges.setPlain(kO1Octave, -3);
    edges.setPlain(kO2Octave, 3);
    edges.setPlain(kPolyphony, 1);
    Accepted accepted;
    ASSERT_EQ(read(edges, OutOfRangeValue::EndLoad, accepted), kResultOk);
    EXPECT_EQ(accepted.valueOf(kO1Octave), 0.0f);
    EXPECT_EQ(accepted.valueOf(kO2Octave), 1.0f);
    EXPECT_EQ(accepted.valueOf(kPolyphony), 0.0f);
}
