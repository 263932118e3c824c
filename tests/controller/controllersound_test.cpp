// The controller's program list and the loaded sound: what a host's program change, a sound chosen
// in the editor, a restored project and an edit each do to the values, the name and the host.
#include "tests/editor/editortest.h"

#include "source/controller/controllerstate.h"
#include "source/params/paramtable.h"
#include "source/presets/programs.h"
#include "source/params/stateformat.h"

#include "host/hostobjects.h"

#include "pluginterfaces/vst/ivstunits.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace talvane::testing;
using talvane::presets::factoryPrograms;
using talvane::presets::kProgramChangeId;
using talvane::presets::SoundValues;

namespace {

class ControllerSound : public ::testing::Test
{
protected:
    TalvaneController& controller() { return *plugin.controller; }
    const talvane::presets::Program& program(const char* name)
    {
        return factoryPrograms().at(factoryPrograms().findNamed(name));
    }
    int32 programIndex(const char* name) { return factoryPrograms().findNamed(name); }
    double programValue(int32 index) { return static_cast<double>(index) / (factoryPrograms().count() - 1); }
    SoundValues values()
    {
        SoundValues current{};
        for (ParamID id = 0; id < static_cast<ParamID>(talvane::kNumParams); ++id)
            current[id] = static_cast<float>(controller().getParamNormalized(id));
        return current;
    }
    std::vector<std::uint8_t> stateOf(const SoundValues& sound)
    {
        talvane::host::MemoryStream stream;
        float items[talvane::kNumParams];
        std::copy(sound.begin(), sound.end(), items);
        EXPECT_EQ(talvane::writeState(&stream, items), kResultOk);
        return stream.bytes();
    }

    ControllerWithHost plugin;
};

} // namespace

TEST_F(ControllerSound, TheRootUnitHasTheProgramListAndItsProgramChangeParameter)
{
    IUnitInfo* units = nullptr;
    ASSERT_EQ(controller().queryInterface(IUnitInfo::iid, reinterpret_cast<void**>(&units)), kResultOk);
    ASSERT_EQ(units->getUnitCount(), 1);
    UnitInfo unit{};
    ASSERT_EQ(units->getUnitInfo(0, unit), kResultTrue);
    EXPECT_EQ(unit.id, kRootUnitId);
    EXPECT_EQ(unit.parentUnitId, kNoParentUnitId);
    ASSERT_EQ(units->getProgramListCount(), 1);
    ProgramListInfo list{};
    ASSERT_EQ(units->getProgramListInfo(0, list), kResultTrue);
    EXPECT_EQ(unit.programListId, list.id);
    EXPECT_EQ(list.programCount, factoryPrograms().count());
    String128 name{};
    ASSERT_EQ(units->getProgramName(list.id, 0, name), kResultTrue);
    EXPECT_EQ(std::u16string(name), u"Init");
    ASSERT_EQ(units->getProgramName(list.id, 1, name), kResultTrue);
    EXPECT_EQ(std::u16string(name), u"Warm Pad");
    ASSERT_EQ(units->getProgramInfo(list.id, 1, "MusicalCategory", name), kResultTrue);
    EXPECT_EQ(std::u16string(name), u"Pads");
    EXPECT_EQ(units->getProgramName(list.id, list.programCount, name), kResultFalse);
    units->release();

    // The parameter comes after the sound's 147, in the root unit, one step per program.
    ParameterInfo info{};
    ASSERT_EQ(controller().getParameterInfo(talvane::kNumParams, info), kResultTrue);
    EXPECT_EQ(info.id, kProgramChangeId);
    EXPECT_EQ(info.unitId, kRootUnitId);
    EXPECT_EQ(info.stepCount, list.programCount - 1);
    EXPECT_EQ(info.flags,
              ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsProgramChange);
    EXPECT_EQ(std::u16string(info.title), u"Program");
    String128 text{};
    ASSERT_EQ(controller().getParamStringByValue(kProgramChangeId, programValue(2), text), kResultOk);
    EXPECT_EQ(std::u16string(text), u"Glass Pad");
    EXPECT_EQ(controller().getParamNormalized(kProgramChangeId), 0.0);
}

TEST_F(ControllerSound, AHostsProgramChangeShowsTheProgramWithoutEditingIt)
{
    const int32 acid = programIndex("Acid Bass");
    ASSERT_EQ(controller().setParamNormalized(kProgramChangeId, programValue(acid)), kResultOk);
    EXPECT_EQ(values(), program("Acid Bass").values);
    EXPECT_EQ(controller().getSoundName(), "Acid Bass");
    EXPECT_FALSE(controller().isSoundEdited());
    EXPECT_EQ(controller().getProgramIndex(), acid);
    // The host moves the processor itself: it hears no edits, only that the values changed.
    EXPECT_TRUE(plugin.handler.edits.empty());
    EXPECT_EQ(plugin.handler.restarts, std::vector<int32>{kParamValuesChanged});

    // A sound parameter moved afterwards marks the sound edited; a performance control does not.
    controller().setParamNormalized(talvane::kModWheel, 0.9);
    controller().setParamNormalized(talvane::kPitchBend, 0.1);
    EXPECT_FALSE(controller().isSoundEdited());
    controller().setParamNormalized(talvane::kFCutoff, program("Acid Bass").values[talvane::kFCutoff]);
    EXPECT_FALSE(controller().isSoundEdited()) << "the same value is no edit";
    controller().setParamNormalized(talvane::kFCutoff, 0.9);
    EXPECT_TRUE(controller().isSoundEdited());
    EXPECT_EQ(controller().getSoundName(), "Acid Bass");
}

TEST_F(ControllerSound, ASoundChosenInTheEditorReachesTheHostAsOneEditPerChangedParameter)
{
    controller().setParamNormalized(talvane::kModWheel, 0.2);
    const SoundValues before = values();
    const SoundValues& target = program("Electric Piano").values;
    plugin.handler.edits.clear();
    controller().loadProgram(programIndex("Electric Piano"));

    HostEdits expected;
    for (ParamID id = 0; id < static_cast<ParamID>(talvane::kNumParams); ++id)
        if (before[id] != target[id])
        {
            const HostEdits triple = editTriple(id, target[id]);
            expected.insert(expected.end(), triple.begin(), triple.end());
        }
    ASSERT_GT(expected.size(), 30u);
    EXPECT_EQ(plugin.handler.edits, expected);
    EXPECT_EQ(values(), target);
    EXPECT_EQ(controller().getSoundName(), "Electric Piano");
    EXPECT_FALSE(controller().isSoundEdited());
    EXPECT_EQ(controller().getProgramIndex(), programIndex("Electric Piano"));

    // A user sound: the program-change parameter stays where it was.
    SoundValues mine = target;
    mine[talvane::kFCutoff] = 0.25f;
    plugin.handler.edits.clear();
    controller().loadSound(mine, "Mine");
    EXPECT_EQ(plugin.handler.edits, editTriple(talvane::kFCutoff, 0.25f));
    EXPECT_EQ(controller().getSoundName(), "Mine");
    EXPECT_EQ(controller().getProgramIndex(), programIndex("Electric Piano"));
}

TEST_F(ControllerSound, ARestoredProjectNamesItsSoundByTheControllersState)
{
    // A factory program's state alone is recognised by its values.
    const int32 pluck = programIndex("Bright Pluck");
    talvane::host::MemoryStream factory(stateOf(program("Bright Pluck").values));
    ASSERT_EQ(controller().setComponentState(&factory), kResultOk);
    EXPECT_EQ(controller().getSoundName(), "Bright Pluck");
    EXPECT_FALSE(controller().isSoundEdited());
    EXPECT_EQ(controller().getProgramIndex(), pluck);

    // An edited sound: the processor's state comes first and cannot name it...
    SoundValues edited = program("Wind").values;
    edited[talvane::kFQ] = 0.3f;
    talvane::host::MemoryStream state(stateOf(edited));
    ASSERT_EQ(controller().setComponentState(&state), kResultOk);
    EXPECT_EQ(controller().getSoundName(), "Bright Pluck");
    EXPECT_TRUE(controller().isSoundEdited());
    // ...the controller's own state, which hosts restore next, does.
    talvane::host::MemoryStream own(
        talvane::encodeControllerState({"Wind", true, programIndex("Wind"), std::nullopt}));
    ASSERT_EQ(controller().setState(&own), kResultOk);
    EXPECT_EQ(controller().getSoundName(), "Wind");
    EXPECT_TRUE(controller().isSoundEdited());
    EXPECT_EQ(controller().getProgramIndex(), programIndex("Wind"));
    EXPECT_EQ(values(), edited) << "the controller's state moves no parameter";

    talvane::host::MemoryStream saved;
    ASSERT_EQ(controller().getState(&saved), kResultOk);
    EXPECT_EQ(saved.bytes(), talvane::encodeControllerState({"Wind", true, programIndex("Wind"), 100}));

    // The same processor state again changes nothing about the sound.
    talvane::host::MemoryStream again(stateOf(edited));
    controller().renameSound("Gusts");
    ASSERT_EQ(controller().setComponentState(&again), kResultOk);
    EXPECT_EQ(controller().getSoundName(), "Gusts");
    EXPECT_FALSE(controller().isSoundEdited());
}
