// The instrument as a VST 2 host sees it: the built module loaded through VSTPluginMain / main and
// driven only through the VST 2 dispatcher and process calls, compared with the same module
// loaded as VST 3 where the two must agree.
#include "host/vst2host.h"
#include "support/moduletest.h"

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>

using namespace Steinberg;
using namespace Steinberg::Vst;
using talvane::host::AudioProcessRunner;
using talvane::host::MemoryStream;
using talvane::host::Vst2Host;
using talvane::testing::modulePath;

namespace {

constexpr float kRate = 44100.0f;
constexpr int32 kBlock = 512;
constexpr int32 kNumParams = 147;
constexpr int32 kStateBytes = 600;
constexpr int32 kParamTextCapacity = kVstMaxParamStrLen;
constexpr VstInt32 kUniqueId = 0x6A336373; // 'j3cs'

// Parameter IDs the tests touch.
constexpr int32 kGlobalVolume = 0;
constexpr int32 kAAttack = 2;
constexpr int32 kASustain = 4;
constexpr int32 kFCutoff = 7;
constexpr int32 kO1Retrig = 19;
constexpr int32 kO1Octave = 20;
constexpr int32 kModWheel = 59;
constexpr int32 kPitchBend = 60;

// A VST 3 text as a VST 2 parameter text: UTF-8, cut to whole characters within the 8-byte buffer.
std::string paramText(const char16* text)
{
    std::string out;
    for (int i = 0; text[i] != 0; ++i)
    {
        const char16 c = text[i];
        std::string encoded;
        if (c < 0x80)
            encoded = static_cast<char>(c);
        else if (c < 0x800)
            encoded = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
        else
            encoded = {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                       static_cast<char>(0x80 | (c & 0x3F))};
        if (out.size() + encoded.size() > kParamTextCapacity - 1)
            break;
        out += encoded;
    }
    return out;
}

float stateValue(const std::vector<uint8_t>& state, int32 id)
{
    float value = 0.0f;
    std::memcpy(&value, state.data() + 12 + 4 * id, sizeof value);
    return value;
}

int32 stateInt(const std::vector<uint8_t>& state, int32 id)
{
    int32 value = 0;
    std::memcpy(&value, state.data() + 12 + 4 * id, sizeof value);
    return value;
}

double energy(const std::vector<float>& x)
{
    double sum = 0.0;
    for (float v : x)
        sum += static_cast<double>(v) * v;
    return sum;
}

// A private copy of the module in a directory of its own, as a VST 2 folder would hold it.
class ModuleCopy
{
public:
    explicit ModuleCopy(const std::string& name)
        : directory(std::filesystem::temp_directory_path() /
                    ("talvane-vst2-" + std::to_string(talvane::host::currentProcessId()) + "-" + name))
    {
        std::filesystem::create_directories(directory);
        path = directory / ("Talvane" + std::filesystem::path(modulePath()).extension().string());
        std::filesystem::copy_file(modulePath(), path, std::filesystem::copy_options::overwrite_existing);
    }
    ~ModuleCopy() { std::filesystem::remove_all(directory); }
    ModuleCopy(const ModuleCopy&) = delete;
    ModuleCopy& operator=(const ModuleCopy&) = delete;

    std::filesystem::path directory;
    std::filesystem::path path;
};

class Vst2Module : public talvane::testing::ModuleTest
{
protected:
    // A program's data, as the VST 3 processor hands it out: the state it saves with it.
    std::vector<uint8_t> programData(int32 program)
    {
        IProgramListData* data = nullptr;
        EXPECT_EQ(plugin.component()->queryInterface(IProgramListData::iid, reinterpret_cast<void**>(&data)),
                  kResultOk);
        MemoryStream stream;
        if (data)
        {
            EXPECT_EQ(data->getProgramData(1, program, &stream), kResultOk);
            data->release();
        }
        return stream.bytes();
    }

    void SetUp() override
    {
        ModuleTest::SetUp();
        ASSERT_TRUE(vst2.load(modulePath())) << vst2.error();
    }

    // The same note through both formats: VST 3 with the host library, VST 2 with `vst2`.
    void renderBoth(int32 vst2BlockSize, int blocks)
    {
        ASSERT_EQ(plugin.setup(kRate, kBlock), kResultOk);
        AudioProcessRunner runner(plugin.processor(), kBlock, kRate);
        runner.parameterChanges.add(kO1Retrig, 0, 1.0);
        runner.parameterChanges.add(kFCutoff, 0, 0.6);
        runner.events.noteOn(100, 60, 100.0f / 127.0f);
        vst2.start(kRate, vst2BlockSize);
        vst2.effect()->setParameter(vst2.effect(), kO1Retrig, 1.0f);
        vst2.effect()->setParameter(vst2.effect(), kFCutoff, 0.6f);
        vst2.noteOn(100, 60, 100);
        for (int b = 0; b < blocks; ++b)
        {
            if (b == blocks / 2)
            {
                runner.events.noteOff(300, 60);
                vst2.noteOff(300, 60);
            }
            ASSERT_EQ(runner.process(kBlock), kResultOk);
            vst2.process(kBlock);
        }
        vst3Left = runner.renderedLeft;
        vst3Right = runner.renderedRight;
    }

    Vst2Host vst2;
    std::vector<float> vst3Left, vst3Right;
};

} // namespace

TEST(Vst2Entry, HostWithoutVersionGetsNothingAndNothingIsCreated)
{
    ModuleCopy copy("version");
    talvane::host::DynamicLibrary library;
    std::string error;
    ASSERT_TRUE(library.open(copy.path.string(), error)) << error;
    for (const char* entryName : {"VSTPluginMain", "main"})
    {
        SCOPED_TRACE(entryName);
        auto entry = reinterpret_cast<Vst2Host::EntryFunction>(library.symbol(entryName));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry(nullptr), nullptr);

        Vst2Host host;
        host.versionAnswer = 0;
        EXPECT_FALSE(host.instantiate(entry));
        ASSERT_EQ(host.calls.size(), 1u) << "the version query is the only call";
        EXPECT_EQ(host.calls[0].opcode, audioMasterVersion);
        EXPECT_EQ(host.calls[0].index, 0);
        EXPECT_EQ(host.calls[0].value, 0);
        EXPECT_EQ(host.calls[0].opt, 0.0f);
        EXPECT_EQ(host.calls[0].effect, nullptr);
    }
    // Nothing holds the factory but the module itself and the reference asked for here.
    using FactoryFunction = IPluginFactory* (*)();
    auto getFactory = reinterpret_cast<FactoryFunction>(library.symbol("GetPluginFactory"));
    IPluginFactory* factory = getFactory();
    EXPECT_EQ(factory->addRef(), 3u);
    factory->release();
    factory->release();
    library.close();
}

TEST(Vst2Entry, LoadsFromAVst2FolderAsCopyAndAsLinkThroughBothEntryPoints)
{
    // The module under test stays loaded, so the link below reaches it rather than a fresh load.
    ASSERT_NE(talvane::testing::loadedModule().factory(), nullptr);
    ModuleCopy copy("folder");
    // Where the system offers no symbolic links (MinGW's runtime has none), the loaded module's own
    // path stands in for the link.
    auto loaded = copy.directory / ("TalvaneLinked" + copy.path.extension().string());
    std::error_code linkError;
    std::filesystem::create_symlink(std::filesystem::absolute(modulePath()), loaded, linkError);
    if (linkError)
        loaded = std::filesystem::absolute(modulePath());
    for (const auto& path : {copy.path, loaded})
        for (const char* entryName : {"VSTPluginMain", "main"})
        {
            SCOPED_TRACE(path.string() + " " + entryName);
            Vst2Host host;
            ASSERT_TRUE(host.load(path.string(), entryName)) << host.error();
            EXPECT_EQ(host.effect()->uniqueID, kUniqueId);
            EXPECT_EQ(host.text(effGetEffectName, 0, 32).text, "Talvane");
            // Sound only from the module that stays loaded: a copy that has processed cannot be
            // unloaded leak-free (the engine's FFT library keeps planner memory until the process ends).
            if (path != loaded)
                continue;
            host.start(kRate, kBlock);
            host.noteOn(0, 69, 127);
            for (int b = 0; b < 8; ++b)
                host.process(kBlock);
            EXPECT_GT(energy(host.renderedLeft), 1.0);
        }
}

TEST_F(Vst2Module, EffectRecordDescribesTheInstrument)
{
    const AEffect* fx = vst2.effect();
    EXPECT_EQ(fx->magic, kEffectMagic);
    EXPECT_EQ(fx->uniqueID, kUniqueId);
    // The VST 3 program list: Init and the factory sounds.
    IUnitInfo* units = nullptr;
    ASSERT_EQ(plugin.controller()->queryInterface(IUnitInfo::iid, reinterpret_cast<void**>(&units)), kResultOk);
    ProgramListInfo list{};
    ASSERT_EQ(units->getProgramListInfo(0, list), kResultTrue);
    units->release();
    EXPECT_EQ(fx->numPrograms, list.programCount);
    EXPECT_GE(fx->numPrograms, 33);
    EXPECT_EQ(fx->numParams, kNumParams);
    EXPECT_EQ(fx->numInputs, 0);
    EXPECT_EQ(fx->numOutputs, 2);
    EXPECT_EQ(fx->initialDelay, 16);
    EXPECT_NE(fx->processReplacing, nullptr);
    EXPECT_NE(fx->process, nullptr);
    EXPECT_EQ(fx->processDoubleReplacing, nullptr);
    EXPECT_TRUE(fx->flags & effFlagsIsSynth);
    EXPECT_TRUE(fx->flags & effFlagsCanReplacing);
    EXPECT_TRUE(fx->flags & effFlagsProgramChunks);
    EXPECT_FALSE(fx->flags & effFlagsCanDoubleReplacing);
    // The editor is offered exactly when the controller can make a view.
    ERect* rect = nullptr;
    const bool hasRect = vst2.dispatch(effEditGetRect, 0, 0, &rect) == 1;
    EXPECT_EQ((fx->flags & effFlagsHasEditor) != 0, hasRect);
    if (hasRect)
    {
        ASSERT_NE(rect, nullptr);
        EXPECT_GT(rect->right - rect->left, 0);
        EXPECT_GT(rect->bottom - rect->top, 0);
    }
    else
    {
        EXPECT_EQ(rect, nullptr);
        EXPECT_EQ(vst2.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x1234)), 0);
    }
    EXPECT_EQ(fx->version, 0x005700);
    EXPECT_EQ(vst2.dispatch(effGetVendorVersion), 0x005700);
    EXPECT_EQ(vst2.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(vst2.dispatch(effGetPlugCategory), kPlugCategSynth);
}

TEST_F(Vst2Module, NamesItselfWithinTheTextLimits)
{
    for (auto [opcode, capacity, expected] :
         {std::tuple<int32, std::size_t, const char*>{effGetEffectName, 32, "Talvane"},
          {effGetProductString, 64, "Talvane"},
          {effGetVendorString, 64, "Talvane Audio"},
          {effGetProgramName, 24, "Init"}})
    {
        SCOPED_TRACE(opcode);
        const Vst2Host::Text t = vst2.text(opcode, 0, capacity);
        EXPECT_EQ(t.text, expected);
        EXPECT_TRUE(t.terminated);
        EXPECT_FALSE(t.wroteBeyond);
    }
    EXPECT_EQ(vst2.text(effGetProgramNameIndexed, 0, 24).text, "Init");
    EXPECT_EQ(vst2.text(effGetProgramNameIndexed, 1, 24).text, "Warm Pad");
    const int32 programs = vst2.effect()->numPrograms;
    EXPECT_EQ(vst2.text(effGetProgramNameIndexed, programs, 24).result, 0);
    EXPECT_EQ(vst2.text(effGetProgramNameIndexed, -1, 24).result, 0);
}

TEST_F(Vst2Module, ProgramsAreTheVst3ProgramListSelectedByName)
{
    IUnitInfo* units = nullptr;
    ASSERT_EQ(plugin.controller()->queryInterface(IUnitInfo::iid, reinterpret_cast<void**>(&units)), kResultOk);
    ProgramListInfo list{};
    ASSERT_EQ(units->getProgramListInfo(0, list), kResultTrue);
    ASSERT_EQ(vst2.effect()->numPrograms, list.programCount);
    std::vector<std::string> names;
    for (int32 program = 0; program < list.programCount; ++program)
    {
        String128 name{};
        ASSERT_EQ(units->getProgramName(list.id, program, name), kResultTrue);
        char ascii[128];
        UString(name, 128).toAscii(ascii, sizeof ascii);
        names.push_back(ascii);
        const Vst2Host::Text indexed = vst2.text(effGetProgramNameIndexed, program, 24);
        EXPECT_EQ(indexed.result, 1);
        EXPECT_EQ(indexed.text, names.back());
        EXPECT_FALSE(indexed.wroteBeyond);
    }
    units->release();

    // Selecting a program: the current program, its name and its sound in the chunk.
    const int32 program = 7;
    EXPECT_EQ(vst2.dispatch(effGetProgram), 0);
    vst2.dispatch(effSetProgram, 0, program);
    EXPECT_EQ(vst2.dispatch(effGetProgram), program);
    EXPECT_EQ(vst2.text(effGetProgramName, 0, 24).text, names[program]);
    const std::vector<uint8_t> chunk = vst2.getChunk();
    EXPECT_EQ(std::vector<uint8_t>(chunk.begin(), chunk.begin() + kStateBytes), programData(program));
    for (VstIntPtr outside : {VstIntPtr(-1), VstIntPtr(list.programCount), VstIntPtr(1) << 40})
    {
        vst2.dispatch(effSetProgram, 0, outside);
        EXPECT_EQ(vst2.dispatch(effGetProgram), program);
    }
    // Hosts may rename programs; these are the plug-in's and keep their names.
    char renamed[] = "Renamed";
    EXPECT_EQ(vst2.dispatch(effSetProgramName, 0, 0, renamed), 0);
    EXPECT_EQ(vst2.text(effGetProgramName, 0, 24).text, names[program]);

    // The chunk brings the selection back in a new instance.
    Vst2Host reopened;
    ASSERT_TRUE(reopened.load(modulePath())) << reopened.error();
    EXPECT_EQ(reopened.setChunk(chunk), 1);
    EXPECT_EQ(reopened.dispatch(effGetProgram), program);
    EXPECT_EQ(reopened.text(effGetProgramName, 0, 24).text, names[program]);
}

TEST_F(Vst2Module, ASelectedProgramSoundsAsItsDataLoadedAsAChunk)
{
    constexpr unsigned kSeed = 99;
    auto play = [](Vst2Host& host) {
        host.noteOn(0, 48, 100);
        host.noteOn(0, 60, 90);
        for (int b = 0; b < 40; ++b)
            host.process(kBlock);
    };
    for (int32 program : {1, 9, 20, 33})
    {
        SCOPED_TRACE(program);
        Vst2Host selected;
        ASSERT_TRUE(selected.load(modulePath())) << selected.error();
        selected.dispatch(effSetProgram, 0, program);
        std::srand(kSeed); // the processor seeds its noise and phases with the time
        selected.start(kRate, kBlock);
        play(selected);

        Vst2Host loaded;
        ASSERT_TRUE(loaded.load(modulePath())) << loaded.error();
        ASSERT_EQ(loaded.setChunk(programData(program)), 1) << "the processor's state alone is a chunk too";
        std::srand(kSeed);
        loaded.start(kRate, kBlock);
        play(loaded);

        EXPECT_EQ(selected.renderedLeft, loaded.renderedLeft);
        EXPECT_EQ(selected.renderedRight, loaded.renderedRight);
        EXPECT_GT(energy(selected.renderedLeft), 0.1);
    }
}

TEST_F(Vst2Module, SelectingTheSelectedProgramAgainKeepsAnEditedSound)
{
    AEffect* fx = vst2.effect();
    vst2.start(kRate, kBlock);
    vst2.dispatch(effSetProgram, 0, 3);
    fx->setParameter(fx, kFCutoff, 0.123f);
    vst2.process(kBlock);
    // Hosts select the saved program again after restoring a project's chunk.
    vst2.dispatch(effSetProgram, 0, 3);
    vst2.process(kBlock);
    EXPECT_FLOAT_EQ(stateValue(vst2.getChunk(), kFCutoff), 0.123f);
    EXPECT_FLOAT_EQ(fx->getParameter(fx, kFCutoff), 0.123f);
    // Another program, then this one again: the factory sound.
    vst2.dispatch(effSetProgram, 0, 4);
    vst2.dispatch(effSetProgram, 0, 3);
    vst2.process(kBlock);
    const std::vector<uint8_t> chunk = vst2.getChunk();
    ASSERT_GT(chunk.size(), static_cast<std::size_t>(kStateBytes));
    EXPECT_EQ(std::vector<uint8_t>(chunk.begin(), chunk.begin() + kStateBytes), programData(3));
    EXPECT_EQ(fx->getParameter(fx, kFCutoff), stateValue(programData(3), kFCutoff));
}

TEST_F(Vst2Module, CanDoReceivingMidiAndNothingElse)
{
    auto canDo = [&](const char* what) { return vst2.dispatch(effCanDo, 0, 0, const_cast<char*>(what)); };
    EXPECT_EQ(canDo("receiveVstEvents"), 1);
    EXPECT_EQ(canDo("receiveVstMidiEvent"), 1);
    EXPECT_EQ(canDo("sendVstEvents"), 0);
    EXPECT_EQ(canDo("bypass"), 0);
    EXPECT_EQ(canDo("receiveVstEventsX"), 0);
    EXPECT_EQ(canDo(""), 0);
    EXPECT_EQ(vst2.dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST_F(Vst2Module, ParameterNamesLabelsAndDisplaysComeFromTheController)
{
    IEditController* controller = plugin.controller();
    // The sound's parameters, then the program change, which VST 2 hosts see as programs instead.
    ASSERT_EQ(controller->getParameterCount(), kNumParams + 1);
    for (int32 index = 0; index < kNumParams; ++index)
    {
        SCOPED_TRACE(index);
        ParameterInfo info{};
        ASSERT_EQ(controller->getParameterInfo(index, info), kResultOk);
        const Vst2Host::Text name = vst2.text(effGetParamName, index, kParamTextCapacity);
        EXPECT_EQ(name.text, paramText(info.title));
        EXPECT_TRUE(name.terminated);
        EXPECT_FALSE(name.wroteBeyond);

        const Vst2Host::Text label = vst2.text(effGetParamLabel, index, kParamTextCapacity);
        EXPECT_EQ(label.text, "");
        EXPECT_FALSE(label.wroteBeyond);

        const float value = vst2.effect()->getParameter(vst2.effect(), index);
        EXPECT_FLOAT_EQ(value, static_cast<float>(info.defaultNormalizedValue));
        String128 expected{};
        controller->getParamStringByValue(info.id, value, expected);
        const Vst2Host::Text display = vst2.text(effGetParamDisplay, index, kParamTextCapacity);
        EXPECT_EQ(display.text, paramText(expected));
        EXPECT_TRUE(display.terminated);
        EXPECT_FALSE(display.wroteBeyond);
        EXPECT_EQ(vst2.dispatch(effCanBeAutomated, index), 1);
    }
}

TEST_F(Vst2Module, ANoteSoundsTheSameAsThroughVst3)
{
    renderBoth(kBlock, 40);
    EXPECT_GT(energy(vst3Left), 1.0);
    EXPECT_EQ(vst2.renderedLeft, vst3Left);
    EXPECT_EQ(vst2.renderedRight, vst3Right);
}

TEST_F(Vst2Module, BlocksLongerThanTheAnnouncedSizeAreProcessedInPiecesWithTheSameSound)
{
    renderBoth(64, 40); // every host block of 512 goes to the processor as eight pieces
    EXPECT_EQ(vst2.renderedLeft, vst3Left);
    EXPECT_EQ(vst2.renderedRight, vst3Right);
}

TEST_F(Vst2Module, TheAccumulatingProcessAddsToTheHostsBuffers)
{
    Vst2Host other;
    ASSERT_TRUE(other.load(modulePath())) << other.error();
    for (Vst2Host* host : {&vst2, &other})
    {
        host->start(kRate, kBlock);
        host->effect()->setParameter(host->effect(), kO1Retrig, 1.0f);
        host->noteOn(0, 64, 90);
        host->sendQueuedMidi();
    }
    for (int b = 0; b < 6; ++b)
    {
        other.process(kBlock);
        std::vector<float> left(kBlock, 0.25f), right(kBlock, -0.5f);
        float* outputs[2] = {left.data(), right.data()};
        vst2.effect()->process(vst2.effect(), nullptr, outputs, kBlock);
        for (int32 i = 0; i < kBlock; ++i)
        {
            ASSERT_FLOAT_EQ(left[i], 0.25f + other.left[i]) << b << " " << i;
            ASSERT_FLOAT_EQ(right[i], -0.5f + other.right[i]) << b << " " << i;
        }
    }
}

TEST_F(Vst2Module, SetParameterReachesTheProcessorAndGetParameterFollows)
{
    vst2.start(kRate, kBlock);
    vst2.noteOn(0, 60, 127);
    for (int b = 0; b < 10; ++b)
        vst2.process(kBlock);
    EXPECT_GT(energy(vst2.left), 1e-3);

    AEffect* fx = vst2.effect();
    fx->setParameter(fx, kGlobalVolume, 0.0f);
    EXPECT_EQ(fx->getParameter(fx, kGlobalVolume), 0.0f);
    EXPECT_EQ(vst2.text(effGetParamDisplay, kGlobalVolume, kParamTextCapacity).text, [&] {
        String128 text{};
        plugin.controller()->getParamStringByValue(kGlobalVolume, 0.0, text);
        return paramText(text);
    }());
    for (int b = 0; b < 4; ++b)
        vst2.process(kBlock);
    EXPECT_EQ(energy(vst2.left), 0.0) << "volume 0 is silence once the change has passed the latency";

    // Values are limited to 0..1; not-a-number is no value.
    fx->setParameter(fx, kO1Octave, 7.0f);
    EXPECT_EQ(fx->getParameter(fx, kO1Octave), 1.0f);
    fx->setParameter(fx, kO1Octave, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(fx->getParameter(fx, kO1Octave), 1.0f);
    vst2.process(kBlock);
    const std::vector<uint8_t> state = vst2.getChunk();
    ASSERT_GT(state.size(), static_cast<size_t>(kStateBytes));
    EXPECT_EQ(stateValue(state, kGlobalVolume), 0.0f);
    EXPECT_EQ(stateInt(state, kO1Octave), 3);
}

TEST_F(Vst2Module, ChunksAreTheProcessorStateThenTheControllerStateBothWays)
{
    AEffect* fx = vst2.effect();
    vst2.start(kRate, kBlock);
    fx->setParameter(fx, kFCutoff, 0.3f);
    fx->setParameter(fx, kO1Octave, 0.0f);
    vst2.process(kBlock);
    const std::vector<uint8_t> chunk = vst2.getChunk();
    ASSERT_GT(chunk.size(), static_cast<size_t>(kStateBytes));
    const std::vector<uint8_t> processorState(chunk.begin(), chunk.begin() + kStateBytes);
    const std::vector<uint8_t> controllerState(chunk.begin() + kStateBytes, chunk.end());
    EXPECT_EQ(stateValue(chunk, kFCutoff), 0.3f);
    EXPECT_EQ(stateInt(chunk, kO1Octave), -3);

    // Into a VST 3 instance and back out: the same bytes, the processor's and the controller's.
    MemoryStream in(processorState);
    ASSERT_TRUE(plugin.loadState(in));
    MemoryStream controllerIn(controllerState);
    ASSERT_EQ(plugin.controller()->setState(&controllerIn), kResultOk);
    MemoryStream out;
    ASSERT_TRUE(plugin.saveState(out));
    EXPECT_EQ(out.bytes(), processorState);
    MemoryStream controllerOut;
    ASSERT_EQ(plugin.controller()->getState(&controllerOut), kResultOk);
    EXPECT_EQ(controllerOut.bytes(), controllerState);
    EXPECT_FLOAT_EQ(static_cast<float>(plugin.controller()->getParamNormalized(kFCutoff)), 0.3f);

    // A VST 3 state into a fresh VST 2 instance: processor and the host's view follow.
    Vst2Host fresh;
    ASSERT_TRUE(fresh.load(modulePath())) << fresh.error();
    EXPECT_EQ(fresh.setChunk(chunk), 1);
    EXPECT_EQ(fresh.getChunk(), chunk);
    EXPECT_FLOAT_EQ(fresh.effect()->getParameter(fresh.effect(), kFCutoff), 0.3f);
    EXPECT_FLOAT_EQ(fresh.effect()->getParameter(fresh.effect(), kO1Octave), 0.0f);

    // A chunk saved before the controller kept a state: the processor's state alone.
    Vst2Host older;
    ASSERT_TRUE(older.load(modulePath())) << older.error();
    EXPECT_EQ(older.setChunk(processorState), 1);
    EXPECT_EQ(older.getChunk(), chunk);
}

TEST_F(Vst2Module, AChunkBringsTheEditorsZoomAndTheClosedEditorReportsItsSize)
{
    ERect* rect = nullptr;
    ASSERT_EQ(vst2.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 1066);
    EXPECT_EQ(rect->bottom - rect->top, 544);

    // The processor's state, then a controller state whose only field is "zoom" 150.
    std::vector<uint8_t> chunk = vst2.getChunk();
    ASSERT_GE(chunk.size(), static_cast<size_t>(kStateBytes));
    chunk.resize(kStateBytes);
    chunk.insert(chunk.end(), {'T', 'v', 'C', 's', 1, 0, 0, 0, 'z', 'o', 'o', 'm', 4, 0, 0, 0, 150, 0, 0, 0});
    ASSERT_EQ(vst2.setChunk(chunk), 1);

    // Hosts ask for the size before they open the editor: 150 % of 1066 x 544.
    rect = nullptr;
    ASSERT_EQ(vst2.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 1599);
    EXPECT_EQ(rect->bottom - rect->top, 816);
    // The zoom is saved again with the next chunk.
    const std::vector<uint8_t> saved = vst2.getChunk();
    const std::vector<uint8_t> zoomField = {'z', 'o', 'o', 'm', 4, 0, 0, 0, 150, 0, 0, 0};
    EXPECT_NE(std::search(saved.begin() + kStateBytes, saved.end(), zoomField.begin(), zoomField.end()),
              saved.end());
}

TEST_F(Vst2Module, BadChunksAreRefusedAndTheStateStays)
{
    AEffect* fx = vst2.effect();
    vst2.start(kRate, kBlock);
    fx->setParameter(fx, kFCutoff, 0.3f);
    vst2.process(kBlock);
    const std::vector<uint8_t> before = vst2.getChunk();
    ASSERT_GT(before.size(), static_cast<size_t>(kStateBytes));

    // A valid state that differs, to be cut short or extended.
    std::vector<uint8_t> other = before;
    const float cutoff = 0.9f;
    std::memcpy(other.data() + 12 + 4 * kFCutoff, &cutoff, sizeof cutoff);

    std::vector<uint8_t> truncated(other.begin(), other.begin() + kStateBytes - 1);
    // What follows the processor's state must be a controller state the controller takes.
    std::vector<uint8_t> oversized = other;
    oversized.push_back(0);
    std::vector<uint8_t> damagedTail = other;
    damagedTail[kStateBytes] ^= 0xFF;
    // The processor takes the values before a bad one and then stops: those must be undone too.
    std::vector<uint8_t> outOfRange = other;
    const float attack = 0.77f, tooHigh = 1.5f;
    std::memcpy(outOfRange.data() + 12 + 4 * kAAttack, &attack, sizeof attack);
    std::memcpy(outOfRange.data() + 12 + 4 * kASustain, &tooHigh, sizeof tooHigh);

    for (const auto& bad :
         {truncated, oversized, damagedTail, outOfRange, std::vector<uint8_t>(other.begin(), other.begin() + 40),
          std::vector<uint8_t>(1, 0)})
    {
        SCOPED_TRACE(bad.size());
        EXPECT_EQ(vst2.setChunk(bad), 0);
        vst2.process(kBlock);
        EXPECT_EQ(vst2.getChunk(), before);
        EXPECT_FLOAT_EQ(fx->getParameter(fx, kFCutoff), 0.3f);
    }
    EXPECT_EQ(vst2.setChunk(nullptr, kStateBytes), 0);
    EXPECT_EQ(vst2.setChunk(before.data(), 0), 0);
    EXPECT_EQ(vst2.setChunk(before.data(), -5), 0);
    // A size far beyond the data is refused before anything is read.
    EXPECT_EQ(vst2.setChunk(before.data(), VstIntPtr(1) << 40), 0);
    EXPECT_EQ(vst2.getChunk(), before);
    EXPECT_EQ(vst2.dispatch(effGetChunk, 0, 0, nullptr), 0);

    EXPECT_EQ(vst2.setChunk(other), 1);
    vst2.process(kBlock);
    EXPECT_EQ(vst2.getChunk(), other);
    EXPECT_FLOAT_EQ(fx->getParameter(fx, kFCutoff), 0.9f);
}

TEST_F(Vst2Module, ModWheelAndPitchBendOnChannelOneMoveTheirParameters)
{
    AEffect* fx = vst2.effect();
    vst2.start(kRate, kBlock);
    vst2.controlChange(10, 1, 127);
    vst2.pitchBend(20, 16383);
    vst2.process(kBlock);
    EXPECT_EQ(fx->getParameter(fx, kModWheel), 1.0f);
    EXPECT_EQ(fx->getParameter(fx, kPitchBend), 1.0f);
    std::vector<uint8_t> state = vst2.getChunk();
    EXPECT_EQ(stateValue(state, kModWheel), 1.0f);
    EXPECT_EQ(stateValue(state, kPitchBend), 1.0f);

    vst2.controlChange(0, 1, 0);
    vst2.pitchBend(5, 8192);
    vst2.pitchBend(9, 0);
    vst2.pitchBend(12, 8192); // the last one in the block is the one that stays
    vst2.process(kBlock);
    EXPECT_EQ(fx->getParameter(fx, kModWheel), 0.0f);
    EXPECT_EQ(fx->getParameter(fx, kPitchBend), 0.5f);
    state = vst2.getChunk();
    EXPECT_EQ(stateValue(state, kModWheel), 0.0f);
    EXPECT_EQ(stateValue(state, kPitchBend), 0.5f);

    // Only MIDI channel 1 (0) is mapped; other controllers reach nothing.
    vst2.controlChange(0, 1, 64, 1);
    vst2.pitchBend(0, 0, 2);
    vst2.controlChange(0, 7, 10);
    vst2.process(kBlock);
    EXPECT_EQ(fx->getParameter(fx, kModWheel), 0.0f);
    EXPECT_EQ(fx->getParameter(fx, kPitchBend), 0.5f);
    EXPECT_EQ(vst2.getChunk(), state);
}

TEST_F(Vst2Module, NoteOnWithVelocityZeroEndsTheNote)
{
    vst2.start(kRate, kBlock);
    vst2.noteOn(0, 60, 127);
    vst2.process(kBlock);
    vst2.process(kBlock);
    vst2.noteOn(0, 60, 0);
    for (int b = 0; b < 4; ++b)
        vst2.process(kBlock);
    EXPECT_EQ(energy(vst2.left), 0.0);
}

TEST_F(Vst2Module, SampleRateChangeWhileResumedSetsTheProcessorUpAgain)
{
    ASSERT_EQ(plugin.setup(48000.0, kBlock), kResultOk);
    AudioProcessRunner runner(plugin.processor(), kBlock, 48000.0);
    runner.parameterChanges.add(kO1Retrig, 0, 1.0);
    runner.events.noteOn(0, 69, 1.0f);

    vst2.start(kRate, kBlock);
    vst2.process(kBlock);
    vst2.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    vst2.effect()->setParameter(vst2.effect(), kO1Retrig, 1.0f);
    vst2.noteOn(0, 69, 127);
    vst2.renderedLeft.clear();
    for (int b = 0; b < 20; ++b)
    {
        runner.process(kBlock);
        vst2.process(kBlock);
    }
    EXPECT_EQ(vst2.renderedLeft, runner.renderedLeft);
}

TEST_F(Vst2Module, RunsAtEveryRateTheProcessorTakesAndKeepsItsRateForOthers)
{
    // 1.5 MHz: within the processor's range, though far beyond the studio rates. The same note
    // through VST 3 at that rate is the reference: the VST 2 effect must really run there.
    constexpr float kHighRate = 1.5e6f;
    ASSERT_EQ(plugin.setup(kHighRate, kBlock), kResultOk);
    AudioProcessRunner runner(plugin.processor(), kBlock, kHighRate);
    runner.parameterChanges.add(kO1Retrig, 0, 1.0);
    runner.events.noteOn(0, 69, 1.0f);

    vst2.start(kHighRate, kBlock);
    // Rates the processor refuses, above and below its range, leave the effect at 1.5 MHz.
    vst2.dispatch(effSetSampleRate, 0, 0, nullptr, 2.5e6f);
    vst2.dispatch(effSetSampleRate, 0, 0, nullptr, 500.0f);
    vst2.effect()->setParameter(vst2.effect(), kO1Retrig, 1.0f);
    vst2.noteOn(0, 69, 127);
    for (int b = 0; b < 40; ++b)
    {
        runner.process(kBlock);
        vst2.process(kBlock);
    }
    EXPECT_TRUE(std::all_of(vst2.renderedLeft.begin(), vst2.renderedLeft.end(),
                            [](float sample) { return std::isfinite(sample); }));
    EXPECT_GT(energy(vst2.renderedLeft), 1e-3);
    EXPECT_EQ(vst2.renderedLeft, runner.renderedLeft);
}

TEST_F(Vst2Module, EventsOutsideTheBlockAreHeldAtItsEdges)
{
    vst2.start(kRate, kBlock);
    vst2.noteOn(-50, 60, 127);
    vst2.noteOn(100000, 64, 127);
    vst2.process(kBlock);
    for (int b = 0; b < 4; ++b)
        vst2.process(kBlock);
    EXPECT_GT(energy(vst2.left), 1e-3);
    EXPECT_EQ(vst2.callsOf(audioMasterGetTime), 5);
}

TEST_F(Vst2Module, BadInputIsAnsweredSafely)
{
    AEffect* fx = vst2.effect();
    // Unknown opcodes, with and without a pointer.
    std::vector<char> scratch(4096, 0);
    for (int32 opcode :
         {9,  16, 17, 18, 20, 21, 28, 30, 31, 32, 36, 37, 38, 39, 40, 41, 43, 44, 46, 52,   53, 54,
          55, 56, 57, 59, 60, 61, 62, 64, 65, 66, 67, 68, 74, 75, 76, 78, 79, 80, 99, 1000, -1})
    {
        SCOPED_TRACE(opcode);
        EXPECT_EQ(vst2.dispatch(opcode, 0, 0, nullptr), 0);
        EXPECT_EQ(vst2.dispatch(opcode, 3, 5, scratch.data(), 1.0f), 0);
    }
    // Opcodes that take a pointer, given none.
    for (int32 opcode :
         {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName, effEditGetRect,
          effEditOpen, effGetChunk, effSetChunk, effProcessEvents, effGetEffectName, effGetVendorString,
          effGetProductString, effCanDo, effGetProgramNameIndexed, effSetProgramName})
    {
        SCOPED_TRACE(opcode);
        EXPECT_EQ(vst2.dispatch(opcode, 0, 600, nullptr), 0);
    }
    // Parameter indices out of range.
    for (int32 index : {-1, kNumParams, 100000})
    {
        SCOPED_TRACE(index);
        fx->setParameter(fx, index, 0.5f);
        EXPECT_EQ(fx->getParameter(fx, index), 0.0f);
        for (int32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay})
        {
            const Vst2Host::Text t = vst2.text(opcode, index, kParamTextCapacity);
            EXPECT_EQ(t.result, 0);
            EXPECT_FALSE(t.wroteBeyond);
        }
        EXPECT_EQ(vst2.dispatch(effCanBeAutomated, index), 0);
    }
    // Processing before resume, with bad rates and sizes, and with bad buffers.
    vst2.process(kBlock);
    EXPECT_EQ(energy(vst2.left), 0.0);
    vst2.dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f);
    vst2.dispatch(effSetSampleRate, 0, 0, nullptr, -44100.0f);
    vst2.dispatch(effSetSampleRate, 0, 0, nullptr, std::numeric_limits<float>::quiet_NaN());
    vst2.dispatch(effSetBlockSize, 0, 0);
    vst2.dispatch(effSetBlockSize, 0, -64);
    vst2.dispatch(effSetBlockSize, 0, VstIntPtr(1) << 40); // limited, then processed in pieces
    EXPECT_EQ(vst2.dispatch(effMainsChanged, 0, 1), 1);
    vst2.noteOn(0, 60, 127);
    vst2.process(kBlock);
    vst2.process(0);
    vst2.process(-5);
    fx->processReplacing(fx, nullptr, nullptr, kBlock);
    std::vector<float> left(kBlock);
    float* oneChannelMissing[2] = {left.data(), nullptr};
    fx->processReplacing(fx, nullptr, oneChannelMissing, kBlock);
    fx->process(fx, nullptr, oneChannelMissing, kBlock);
    // Events that are not MIDI, and holes in the list.
    std::vector<char> storage(sizeof(VstEvents) + 3 * sizeof(VstEvent*));
    auto* events = reinterpret_cast<VstEvents*>(storage.data());
    VstEvent sysex{};
    sysex.type = kVstSysExType;
    events->numEvents = 3;
    events->events[0] = nullptr;
    events->events[1] = &sysex;
    events->events[2] = nullptr;
    EXPECT_EQ(vst2.dispatch(effProcessEvents, 0, 0, events), 1);
    events->numEvents = -3;
    EXPECT_EQ(vst2.dispatch(effProcessEvents, 0, 0, events), 1);
    // More events than a block keeps: the rest are dropped.
    for (int i = 0; i < 3000; ++i)
        vst2.midi(i % kBlock, 0xB0, 1, static_cast<uint8_t>(i % 128));
    vst2.process(kBlock);
    for (int b = 0; b < 3; ++b)
        vst2.process(kBlock * 8);
    EXPECT_GT(energy(vst2.left), 1e-3);
    EXPECT_EQ(vst2.dispatch(effMainsChanged, 0, 0), 1);
    EXPECT_EQ(vst2.dispatch(effMainsChanged, 0, 0), 1);
}

TEST_F(Vst2Module, OpenAndCloseRepeatedlyFreesEverything)
{
    for (int i = 0; i < 3; ++i)
    {
        Vst2Host host;
        ASSERT_TRUE(host.load(modulePath())) << host.error();
        host.start(kRate, kBlock);
        host.noteOn(0, 60, 100);
        host.process(kBlock);
        host.getChunk();
        // Closed while resumed, as some hosts do.
    }
}
