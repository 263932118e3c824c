// The factory programs through the built module, as hosts reach them: the program-change parameter
// sounds as the saved state does, the program data is the committed state, the preset files the
// build wrote read back through the SDK as those states, and a project keeps its sound's name.
#include "support/moduletest.h"

#include "source/controller/controllerstate.h"
#include "source/presets/factorysounds.h"

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/vstpresetfile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace Steinberg;
using namespace Steinberg::Vst;
using talvane::host::AudioProcessRunner;
using HostStream = talvane::host::MemoryStream;
using talvane::host::PluginInstance;
using talvane::presets::FactorySound;
using talvane::presets::factorySounds;
using talvane::testing::loadedModule;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr double kRate = 44100.0;
constexpr int32 kBlock = 256;
constexpr int kBlocks = 120; // 0.7 s: the attack and some of the sustain of every sound
constexpr unsigned kSeed = 1234;
constexpr int32 kStateBytes = 600;

Bytes readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes committedState(const std::string& name)
{
    return readFile(std::filesystem::path(TALVANE_PRESET_DIR) / (name + ".talvane"));
}

// The program-change parameter and its program count, as the controller lists it.
struct ProgramParameter
{
    ParamID id = 0;
    int32 count = 0;
};

ProgramParameter programParameter(IEditController* controller)
{
    for (int32 i = 0; i < controller->getParameterCount(); ++i)
    {
        ParameterInfo info{};
        if (controller->getParameterInfo(i, info) == kResultOk &&
            (info.flags & ParameterInfo::kIsProgramChange))
            return {info.id, info.stepCount + 1};
    }
    return {};
}

class PlayedInstance
{
public:
    PlayedInstance()
    {
        EXPECT_TRUE(plugin.create(loadedModule().factory())) << plugin.error();
        // Noise and random phases come from the C runtime's generator, which the processor seeds
        // with the time: seeded again here, both instances draw the same numbers.
        std::srand(kSeed);
        EXPECT_EQ(plugin.setup(kRate, kBlock), kResultOk);
        runner = std::make_unique<AudioProcessRunner>(plugin.processor(), kBlock, kRate);
    }

    // A chord, then a higher note over it, whatever the sound was set to before.
    void play()
    {
        for (int16 key : {48, 55, 64})
            runner->events.noteOn(0, key, 0.8f);
        for (int b = 0; b < kBlocks; ++b)
        {
            if (b == kBlocks / 2)
                runner->events.noteOn(17, 72, 0.6f);
            if (b == kBlocks - 10)
                for (int16 key : {48, 55, 64, 72})
                    runner->events.noteOff(5, key);
            ASSERT_EQ(runner->process(kBlock), kResultOk);
        }
    }

    PluginInstance plugin;
    std::unique_ptr<AudioProcessRunner> runner;
};

} // namespace

TEST(FactoryPrograms, TheProgramChangeParameterSoundsAsTheSavedState)
{
    for (std::size_t index = 0; index < factorySounds().size(); ++index)
    {
        const FactorySound& sound = factorySounds()[index];
        SCOPED_TRACE(sound.name);
        const int32 program = static_cast<int32>(index) + 1; // after Init

        // As a host selects a program: the controller hears it, the processor gets the change.
        PlayedInstance selected;
        const ProgramParameter parameter = programParameter(selected.plugin.controller());
        ASSERT_GT(parameter.count, program);
        const double value = static_cast<double>(program) / (parameter.count - 1);
        selected.plugin.controller()->setParamNormalized(parameter.id, value);
        selected.runner->parameterChanges.add(parameter.id, 0, value);
        selected.play();

        // As a host loads the committed state.
        PlayedInstance loaded;
        HostStream state(committedState(sound.name));
        ASSERT_TRUE(loaded.plugin.loadState(state));
        loaded.play();

        ASSERT_EQ(selected.runner->renderedLeft.size(), loaded.runner->renderedLeft.size());
        EXPECT_EQ(selected.runner->renderedLeft, loaded.runner->renderedLeft);
        EXPECT_EQ(selected.runner->renderedRight, loaded.runner->renderedRight);
        double energy = 0.0;
        for (float sample : selected.runner->renderedLeft)
            energy += static_cast<double>(sample) * sample;
        EXPECT_GT(energy, 0.01);

        // And the processor saves what it plays.
        selected.plugin.stop();
        HostStream saved;
        ASSERT_TRUE(selected.plugin.saveState(saved));
        EXPECT_EQ(saved.bytes(), committedState(sound.name));
    }
}

TEST(FactoryPrograms, EachProgramsDataIsItsCommittedState)
{
    PluginInstance plugin;
    ASSERT_TRUE(plugin.create(loadedModule().factory()));
    IProgramListData* data = nullptr;
    ASSERT_EQ(plugin.component()->queryInterface(IProgramListData::iid, reinterpret_cast<void**>(&data)),
              kResultOk);
    IUnitInfo* units = nullptr;
    ASSERT_EQ(plugin.controller()->queryInterface(IUnitInfo::iid, reinterpret_cast<void**>(&units)),
              kResultOk);
    ProgramListInfo list{};
    ASSERT_EQ(units->getProgramListInfo(0, list), kResultTrue);
    EXPECT_EQ(data->programDataSupported(list.id), kResultTrue);
    EXPECT_EQ(data->programDataSupported(list.id + 1), kResultFalse);

    HostStream defaults;
    ASSERT_EQ(plugin.component()->getState(&defaults), kResultOk);
    HostStream init;
    ASSERT_EQ(data->getProgramData(list.id, 0, &init), kResultOk);
    EXPECT_EQ(init.bytes(), defaults.bytes()) << "Init is the defaults";
    for (int32 program = 1; program < list.programCount; ++program)
    {
        String128 name{};
        ASSERT_EQ(units->getProgramName(list.id, program, name), kResultTrue);
        char ascii[128];
        UString(name, 128).toAscii(ascii, sizeof ascii);
        HostStream stream;
        ASSERT_EQ(data->getProgramData(list.id, program, &stream), kResultOk);
        EXPECT_EQ(stream.bytes(), committedState(ascii)) << ascii;
    }
    HostStream none;
    EXPECT_EQ(data->getProgramData(list.id, list.programCount, &none), kInvalidArgument);
    EXPECT_EQ(data->getProgramData(list.id, -1, &none), kInvalidArgument);
    EXPECT_EQ(data->getProgramData(list.id, 1, nullptr), kInvalidArgument);
    EXPECT_EQ(data->setProgramData(list.id, 1, &none), kResultFalse) << "factory programs are fixed";
    units->release();
    data->release();
}

TEST(FactoryPresetFiles, ReadThroughTheSdkTheyAreTheFactoryStates)
{
    // The processor's class ID, as the factory reports it.
    PClassInfo info;
    ASSERT_EQ(loadedModule().factory()->getClassInfo(0, &info), kResultOk);
    const FUID processorClass = FUID::fromTUID(info.cid);

    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TALVANE_VSTPRESET_DIR))
    {
        if (entry.path().extension() != ".vstpreset")
            continue;
        ++files;
        const std::string name = entry.path().stem().string();
        SCOPED_TRACE(name);
        const Bytes committed = committedState(name);
        ASSERT_EQ(committed.size(), static_cast<std::size_t>(kStateBytes)) << "a file of no factory sound";

        Bytes file = readFile(entry.path());
        Steinberg::MemoryStream stream(file.data(), static_cast<TSize>(file.size()));
        PresetFile preset(&stream);
        ASSERT_TRUE(preset.readChunkList());
        EXPECT_EQ(preset.getClassID(), processorClass);
        const PresetFile::Entry* component = preset.getEntry(kComponentState);
        ASSERT_NE(component, nullptr);
        EXPECT_EQ(Bytes(file.begin() + component->offset, file.begin() + component->offset + component->size),
                  committed);
        char xml[4096] = {};
        int32 size = sizeof xml - 1;
        ASSERT_TRUE(preset.readMetaInfo(xml, size));
        EXPECT_NE(std::string(xml).find("<Attr id=\"Name\" value=\"" + name + "\""), std::string::npos)
            << xml;

        // Loaded into an instance as a host loads a preset: the processor holds the state, the
        // controller its values and the name.
        PluginInstance plugin;
        ASSERT_TRUE(plugin.create(loadedModule().factory()));
        stream.seek(0, IBStream::kIBSeekSet, nullptr);
        ASSERT_TRUE(PresetFile::loadPreset(&stream, processorClass, plugin.component(), plugin.controller()));
        HostStream saved;
        ASSERT_EQ(plugin.component()->getState(&saved), kResultOk);
        EXPECT_EQ(saved.bytes(), committed);
        HostStream controllerState;
        ASSERT_EQ(plugin.controller()->getState(&controllerState), kResultOk);
        const auto record = talvane::decodeControllerState(controllerState.bytes());
        ASSERT_TRUE(record);
        EXPECT_EQ(record->soundName, name);
        EXPECT_FALSE(record->soundEdited);
    }
    EXPECT_EQ(files, factorySounds().size());
}

TEST(FactoryPrograms, AProjectSavedWithAProgramRestoresItsSoundAndName)
{
    // A host selects a program, the musician turns a knob, the host saves the project.
    PlayedInstance session;
    IEditController* controller = session.plugin.controller();
    const ProgramParameter parameter = programParameter(controller);
    const double value = 5.0 / (parameter.count - 1);
    controller->setParamNormalized(parameter.id, value);
    session.runner->parameterChanges.add(parameter.id, 0, value);
    ASSERT_EQ(session.runner->process(kBlock), kResultOk);
    controller->setParamNormalized(talvane::kFCutoff, 0.45);
    session.runner->parameterChanges.add(talvane::kFCutoff, 0, 0.45);
    ASSERT_EQ(session.runner->process(kBlock), kResultOk);
    session.plugin.stop();
    HostStream processorState;
    ASSERT_TRUE(session.plugin.saveState(processorState));
    HostStream controllerState;
    ASSERT_EQ(controller->getState(&controllerState), kResultOk);

    // The project reopens in a new instance: processor state, then the controller's own.
    PluginInstance reopened;
    ASSERT_TRUE(reopened.create(loadedModule().factory()));
    HostStream processorCopy(processorState.bytes());
    ASSERT_TRUE(reopened.loadState(processorCopy));
    HostStream controllerCopy(controllerState.bytes());
    ASSERT_EQ(reopened.controller()->setState(&controllerCopy), kResultOk);

    HostStream again;
    ASSERT_TRUE(reopened.saveState(again));
    EXPECT_EQ(again.bytes(), processorState.bytes());
    EXPECT_FLOAT_EQ(static_cast<float>(reopened.controller()->getParamNormalized(talvane::kFCutoff)), 0.45f);
    EXPECT_DOUBLE_EQ(reopened.controller()->getParamNormalized(parameter.id), value);
    HostStream reopenedController;
    ASSERT_EQ(reopened.controller()->getState(&reopenedController), kResultOk);
    const auto record = talvane::decodeControllerState(reopenedController.bytes());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->soundName, factorySounds()[4].name);
    EXPECT_TRUE(record->soundEdited);
    EXPECT_EQ(record->program, 5);
}
