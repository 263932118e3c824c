// The edit controller through the built module, as a host uses it.
#include "support/moduletest.h"
#include "support/stateimage.h"

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <cmath>
#include <limits>

using namespace Steinberg;
using namespace Steinberg::Vst;
using talvane::ParamId;
using talvane::host::MemoryStream;
using talvane::testing::itemLayout;
using talvane::testing::StateImage;

namespace {

std::string narrow(const char16* text)
{
    char buffer[256];
    UString(const_cast<char16*>(text), 256).toAscii(buffer, sizeof(buffer));
    return buffer;
}

class ControllerModule : public talvane::testing::ModuleTest
{
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        ASSERT_NE(plugin.controller(), nullptr);
        MemoryStream stream;
        ASSERT_EQ(plugin.component()->getState(&stream), kResultOk);
        ASSERT_TRUE(StateImage::parse(stream.bytes(), defaults));
    }

    IEditController* controller() { return plugin.controller(); }

    // The program-change parameter, last in the controller's list, and the programs it selects.
    ParamID programChangeId()
    {
        ParameterInfo info{};
        EXPECT_EQ(controller()->getParameterInfo(talvane::kNumParams, info), kResultTrue);
        return info.id;
    }
    int32 programCount()
    {
        ParameterInfo info{};
        EXPECT_EQ(controller()->getParameterInfo(talvane::kNumParams, info), kResultTrue);
        return info.stepCount + 1;
    }

    tresult loadComponentState(const std::vector<std::uint8_t>& bytes, int64 failReadsFrom = -1,
                               bool shortReadsSucceed = false)
    {
        MemoryStream stream(bytes);
        stream.failReadsFrom = failReadsFrom;
        stream.shortReadsSucceed = shortReadsSucceed;
        return controller()->setComponentState(&stream);
    }

    void expectValues(const StateImage& image, int from, int to)
    {
        for (ParamId id = static_cast<ParamId>(from); id < static_cast<ParamId>(to); ++id)
            EXPECT_EQ(controller()->getParamNormalized(id), image.normalized(id)) << "ID " << id;
    }

    void resetToDefaults() { ASSERT_EQ(loadComponentState(defaults.bytes()), kResultOk); }

    StateImage defaults;
};

} // namespace

TEST_F(ControllerModule, RegistersEveryParameterAsTheProcessorDefaultsIt)
{
    // The sound's parameters in ID order, then the program change.
    ASSERT_EQ(controller()->getParameterCount(), talvane::kNumParams + 1);
    for (int32 index = 0; index < talvane::kNumParams; ++index)
    {
        ParameterInfo info{};
        ASSERT_EQ(controller()->getParameterInfo(index, info), kResultTrue);
        const auto id = static_cast<ParamId>(index);
        const auto layout = itemLayout(id);
        EXPECT_EQ(info.id, id);
        EXPECT_EQ(info.stepCount, layout.numValues > 0 ? layout.numValues - 1 : 0) << index;
        EXPECT_EQ(info.defaultNormalizedValue, static_cast<double>(defaults.normalized(id))) << index;
        EXPECT_EQ(info.flags, ParameterInfo::kCanAutomate);
        EXPECT_EQ(info.unitId, kRootUnitId);
        EXPECT_EQ(info.units[0], 0);
        EXPECT_EQ(info.shortTitle[0], 0);
        EXPECT_EQ(controller()->getParamNormalized(id), info.defaultNormalizedValue);
    }
    ParameterInfo info{};
    controller()->getParameterInfo(talvane::kO1WaveStretch, info);
    EXPECT_EQ(narrow(info.title), "O1_WaveStrech");
    controller()->getParameterInfo(talvane::kFmO1O2, info);
    EXPECT_EQ(narrow(info.title), "FM_O1->O2");
    controller()->getParameterInfo(talvane::kMatrix2Amount4, info);
    EXPECT_EQ(narrow(info.title), "MATRIX2_Amount4");
}

TEST_F(ControllerModule, FollowsTheProcessorStateAHostRestores)
{
    const StateImage image = defaults.shifted();
    MemoryStream stream(image.bytes());
    ASSERT_TRUE(plugin.loadState(stream));
    expectValues(image, 0, talvane::kNumParams);
    for (ParamId id = 0; id < static_cast<ParamId>(talvane::kNumParams); ++id)
        EXPECT_NE(controller()->getParamNormalized(id), static_cast<double>(defaults.normalized(id))) << id;
}

TEST_F(ControllerModule, SkipsValuesOutOfRangeAndReadsOn)
{
    StateImage image = defaults.shifted();
    image.setFloat(talvane::kASustain, 1.5f);
    image.setPlain(talvane::kPolyphony, 20);
    image.setPlain(talvane::kO1Octave, 5);
    image.setFloat(talvane::kMatrix2Amount4, std::nanf(""));
    EXPECT_EQ(loadComponentState(image.bytes()), kResultOk);
    for (ParamId id = 0; id < static_cast<ParamId>(talvane::kNumParams); ++id)
    {
        const bool skipped = id == talvane::kASustain || id == talvane::kPolyphony ||
                             id == talvane::kO1Octave || id == talvane::kMatrix2Amount4;
        EXPECT_EQ(controller()->getParamNormalized(id), (skipped ? defaults : image).normalized(id)) << id;
    }

    StateImage octaves = defaults;
    octaves.setPlain(talvane::kO1Octave, -3);
    octaves.setPlain(talvane::kO2Octave, 3);
    ASSERT_EQ(loadComponentState(octaves.bytes()), kResultOk);
    EXPECT_EQ(controller()->getParamNormalized(talvane::kO1Octave), 0.0);
    EXPECT_EQ(controller()->getParamNormalized(talvane::kO2Octave), 1.0);
}

TEST_F(ControllerModule, ConvertsTheFilterAmountOfStatesOlderThan087)
{
    for (const int minor : {86, 87})
        for (const float stored : {-1.0f, 0.0f, 1.0f})
        {
            resetToDefaults();
            controller()->setParamNormalized(talvane::kFAmount, 0.25);
            StateImage image = defaults;
            image.header[1] = minor;
            image.header[2] = 3;
            image.setFloat(talvane::kFAmount, stored);
            ASSERT_EQ(loadComponentState(image.bytes()), kResultOk);
            const double expected = minor == 86 ? (stored + 1.0) * 0.5 : stored < 0.0f ? 0.25 : stored;
            EXPECT_EQ(controller()->getParamNormalized(talvane::kFAmount), expected)
                << "0." << minor << " storing " << stored;
        }
}

TEST_F(ControllerModule, TruncatedStreamsEndTheLoadAtEveryItem)
{
    const StateImage loaded = defaults.shifted();
    const std::vector<std::uint8_t> bytes = loaded.bytes();
    for (int item = 0; item < 3 + talvane::kNumParams; ++item)
    {
        SCOPED_TRACE(::testing::Message() << "item " << item);
        const int values = item > 3 ? item - 3 : 0;

        resetToDefaults();
        EXPECT_EQ(loadComponentState(bytes, 4 * item), kResultFalse);
        expectValues(loaded, 0, values);
        expectValues(defaults, values, talvane::kNumParams);

        resetToDefaults();
        EXPECT_EQ(loadComponentState(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4 * item + 3),
                                     -1, true),
                  kResultFalse);
        expectValues(loaded, 0, values);
        expectValues(defaults, values, talvane::kNumParams);
    }
    EXPECT_EQ(controller()->setComponentState(nullptr), kInvalidArgument);
}

TEST_F(ControllerModule, KeepsTheLoadedSoundInAStateOfItsOwnAndRefusesDamagedOnes)
{
    // A host selects a program, then saves the project: the controller's state goes with it.
    const ParamID program = programChangeId();
    ASSERT_EQ(controller()->setParamNormalized(program, 2.0 / (programCount() - 1)), kResultOk);
    MemoryStream saved;
    ASSERT_EQ(controller()->getState(&saved), kResultOk);
    ASSERT_FALSE(saved.bytes().empty());

    // Another instance restores it and saves the same again, the program selected as it was.
    talvane::host::PluginInstance other;
    ASSERT_TRUE(other.create(talvane::testing::loadedModule().factory()));
    MemoryStream restore(saved.bytes());
    ASSERT_EQ(other.controller()->setState(&restore), kResultOk);
    EXPECT_EQ(other.controller()->getParamNormalized(program), 2.0 / (programCount() - 1));
    MemoryStream again;
    ASSERT_EQ(other.controller()->getState(&again), kResultOk);
    EXPECT_EQ(again.bytes(), saved.bytes());

    // Damaged states change nothing; an empty one (a project from before) is no error.
    for (std::vector<std::uint8_t> bad :
         {std::vector<std::uint8_t>{1, 2, 3, 4}, std::vector<std::uint8_t>(saved.bytes().begin(), saved.bytes().end() - 1),
          std::vector<std::uint8_t>(saved.bytes().begin(), saved.bytes().begin() + 6)})
    {
        MemoryStream stream(bad);
        EXPECT_EQ(other.controller()->setState(&stream), kResultFalse) << bad.size();
        MemoryStream after;
        ASSERT_EQ(other.controller()->getState(&after), kResultOk);
        EXPECT_EQ(after.bytes(), saved.bytes());
    }
    MemoryStream empty;
    EXPECT_EQ(other.controller()->setState(&empty), kResultOk);
    EXPECT_EQ(controller()->setState(nullptr), kInvalidArgument);
    EXPECT_EQ(controller()->getState(nullptr), kInvalidArgument);
}

TEST_F(ControllerModule, MapsTheWheelAndBendOfChannelOneOnly)
{
    IMidiMapping* mapping = nullptr;
    ASSERT_EQ(controller()->queryInterface(IMidiMapping::iid, reinterpret_cast<void**>(&mapping)), kResultOk);
    ASSERT_NE(mapping, nullptr);

    ParamID id = 12345;
    EXPECT_EQ(mapping->getMidiControllerAssignment(0, 0, kCtrlModWheel, id), kResultTrue);
    EXPECT_EQ(id, talvane::kModWheel);
    EXPECT_EQ(mapping->getMidiControllerAssignment(0, 0, kPitchBend, id), kResultTrue);
    EXPECT_EQ(id, talvane::kPitchBend);

    const struct
    {
        int32 bus;
        int16 channel;
        CtrlNumber controller;
    } unmapped[] = {{0, 1, kCtrlModWheel},
                    {0, 15, kPitchBend},
                    {1, 0, kCtrlModWheel},
                    {-1, 0, kPitchBend},
                    {0, -1, kCtrlModWheel},
                    {0, 0, 0},
                    {0, 0, 2},
                    {0, 0, 7},
                    {0, 0, 128},
                    {0, 0, 130},
                    {0, 0, -1}};
    for (const auto& u : unmapped)
    {
        id = 12345;
        EXPECT_EQ(mapping->getMidiControllerAssignment(u.bus, u.channel, u.controller, id), kResultFalse)
            << u.bus << "/" << u.channel << "/" << u.controller;
        EXPECT_EQ(id, 12345u) << "left untouched";
    }
    mapping->release();

    for (const FUID& iid : {IEditController2::iid, IUnitInfo::iid, IConnectionPoint::iid})
    {
        FUnknown* other = nullptr;
        EXPECT_EQ(controller()->queryInterface(iid.toTUID(), reinterpret_cast<void**>(&other)), kResultOk);
        if (other)
            other->release();
    }
}

TEST_F(ControllerModule, ShowsValueTextsAndAnswersUnknownIdsSafely)
{
    String128 text;
    ASSERT_EQ(controller()->getParamStringByValue(talvane::kGlobalVolume, 0.8, text), kResultOk);
    EXPECT_EQ(narrow(text), "51.2 %");
    ASSERT_EQ(controller()->getParamStringByValue(talvane::kO1PhaseInit, 0.25, text), kResultOk);
    const char16 degrees[] = {'9', '0', ' ', 0xB0, 0};
    EXPECT_EQ(std::basic_string<char16>(text), degrees);

    EXPECT_EQ(controller()->getParamStringByValue(talvane::kNumParams, 0.5, text), kInvalidArgument);
    EXPECT_EQ(controller()->getParamNormalized(talvane::kNumParams), 0.0);
    EXPECT_EQ(controller()->setParamNormalized(talvane::kNumParams, 0.5), kInvalidArgument);
    EXPECT_EQ(controller()->createView("editorx"), nullptr);
    EXPECT_EQ(controller()->createView(nullptr), nullptr);
}

// A host that lets the user type a value passes the text through getParamValueByString: every text
// the controller shows must read back to a value that shows it again.
TEST_F(ControllerModule, EveryValueTextTypedBackGivesTheSameText)
{
    for (ParamId id = 0; id < static_cast<ParamId>(talvane::kNumParams); ++id)
        for (int step = 0; step <= 20; ++step)
        {
            String128 shown{}, again{};
            ASSERT_EQ(controller()->getParamStringByValue(id, step / 20.0, shown), kResultOk);
            ParamValue typed = -1.0;
            ASSERT_EQ(controller()->getParamValueByString(id, shown, typed), kResultOk)
                << id << " '" << narrow(shown) << "'";
            ASSERT_EQ(controller()->getParamStringByValue(id, typed, again), kResultOk);
            EXPECT_EQ(narrow(again), narrow(shown)) << id << " at " << step / 20.0;
        }
}

TEST_F(ControllerModule, ReadsTypedValuesInTheirUnitsAndRefusesOthers)
{
    String128 typed{};
    ParamValue value = -1.0;
    UString(typed, 128).fromAscii("1 s");
    ASSERT_EQ(controller()->getParamValueByString(talvane::kPortamento, typed, value), kResultOk);
    EXPECT_EQ(value, 0.5);
    UString(typed, 128).fromAscii("L 50 %");
    ASSERT_EQ(controller()->getParamValueByString(talvane::kO1Panning, typed, value), kResultOk);
    EXPECT_EQ(value, 0.25);
    UString(typed, 128).fromAscii("Square");
    ASSERT_EQ(controller()->getParamValueByString(talvane::kO2Waveform, typed, value), kResultOk);
    EXPECT_EQ(value, static_cast<double>(3.0f / 13.0f));

    value = 0.7;
    UString(typed, 128).fromAscii("50 furlongs");
    EXPECT_EQ(controller()->getParamValueByString(talvane::kO1Mix, typed, value), kResultFalse);
    EXPECT_EQ(controller()->getParamValueByString(talvane::kO1Mix, nullptr, value), kInvalidArgument);
    EXPECT_EQ(value, 0.7);
}

TEST_F(ControllerModule, RefusesNaNAndHoldsValuesToTheNormalizedRange)
{
    IEditController* controller = plugin.controller();
    const ParamID cutoff = 7;
    ASSERT_EQ(controller->setParamNormalized(cutoff, 0.25), kResultOk);
    EXPECT_EQ(controller->setParamNormalized(cutoff, std::numeric_limits<double>::quiet_NaN()), kInvalidArgument);
    EXPECT_EQ(controller->getParamNormalized(cutoff), 0.25) << "a refused NaN leaves the value as it was";
    struct Case
    {
        double given, kept;
    };
    for (const Case& c : {Case{-1.0, 0.0}, Case{2.0, 1.0}, Case{std::numeric_limits<double>::infinity(), 1.0},
                          Case{-std::numeric_limits<double>::infinity(), 0.0}, Case{1.0e300, 1.0}})
    {
        EXPECT_EQ(controller->setParamNormalized(cutoff, c.given), kResultOk) << c.given;
        EXPECT_EQ(controller->getParamNormalized(cutoff), c.kept) << c.given;
        // The parameter object the host reads agrees.
        EXPECT_EQ(controller->normalizedParamToPlain(cutoff, controller->getParamNormalized(cutoff)), c.kept);
    }
}
