// Every interface method a host can call with an index or an ID, called with the values a careless
// or hostile host passes: none may throw into the host, crash or claim success for what is not there.
#include "support/moduletest.h"

#include "host/vst2host.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstplugview.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <algorithm>
#include <climits>
#include <limits>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

const int32 kBadIndices[] = {-1, 147, INT_MAX, INT_MIN, static_cast<int32>(0xFFFFFFFFu)};
const ParamID kBadIds[] = {0xFFFFFFFFu, 147u, 0x7FFFFFFFu, 0x80000000u};

class Boundary : public talvane::testing::ModuleTest
{
};

} // namespace

TEST_F(Boundary, TheFactoryAnswersEveryIndex)
{
    IPluginFactory* factory = talvane::testing::loadedModule().factory();
    FUnknownPtr<IPluginFactory3> factory3(factory);
    ASSERT_TRUE(factory3);
    for (int32 index : kBadIndices)
    {
        PClassInfo info{};
        PClassInfo2 info2{};
        PClassInfoW infoW{};
        EXPECT_NE(factory->getClassInfo(index, &info), kResultOk) << index;
        EXPECT_NE(factory3->getClassInfo2(index, &info2), kResultOk) << index;
        EXPECT_NE(factory3->getClassInfoUnicode(index, &infoW), kResultOk) << index;
    }
    void* object = nullptr;
    const char garbage[16] = {1, 2, 3};
    EXPECT_NE(factory->createInstance(garbage, IComponent::iid, &object), kResultOk);
    EXPECT_EQ(object, nullptr);
    EXPECT_NE(factory->createInstance(nullptr, nullptr, &object), kResultOk);
}

TEST_F(Boundary, TheProcessorAnswersEveryIndex)
{
    IComponent* component = plugin.component();
    IAudioProcessor* processor = plugin.processor();
    for (int32 index : kBadIndices)
        for (MediaType type : {static_cast<MediaType>(kAudio), static_cast<MediaType>(kEvent), index})
            for (BusDirection direction : {static_cast<BusDirection>(kInput), static_cast<BusDirection>(kOutput), index})
            {
                SCOPED_TRACE(index);
                BusInfo info{};
                EXPECT_NE(component->getBusInfo(type, direction, index, info), kResultOk);
                EXPECT_NE(component->activateBus(type, direction, index, true), kResultOk);
                EXPECT_EQ(component->getBusCount(type, direction), component->getBusCount(type, direction));
                SpeakerArrangement arrangement = 0;
                EXPECT_NE(processor->getBusArrangement(direction, index, arrangement), kResultTrue);
            }
    SpeakerArrangement stereo[2] = {SpeakerArr::kStereo, SpeakerArr::kStereo};
    for (int32 count : kBadIndices)
    {
        EXPECT_NE(processor->setBusArrangements(stereo, count, stereo, count), kResultTrue) << count;
        EXPECT_NE(processor->setBusArrangements(nullptr, count, nullptr, count), kResultTrue) << count;
        EXPECT_EQ(processor->canProcessSampleSize(count), kResultFalse) << count;
        component->setIoMode(count);
        ProcessSetup setup{count, kSample32, count, 44100.0};
        processor->setupProcessing(setup);
    }
    RoutingInfo in{}, out{};
    in.busIndex = -1;
    in.channel = INT_MAX;
    component->getRoutingInfo(in, out);

    // Blocks of any length against a set-up for 64 samples.
    ASSERT_EQ(plugin.setup(44100.0, 64), kResultOk);
    talvane::host::AudioProcessRunner runner(processor, 64, 44100.0);
    runner.keepRendered = false;
    for (int32 samples : kBadIndices)
        EXPECT_NE(runner.process(samples), kResultOk) << samples;
    // Parameter points and events with any ID and offset are taken or dropped, never misused.
    for (int32 offset : kBadIndices)
    {
        for (ParamID id : kBadIds)
            runner.parameterChanges.add(id, offset, 0.5);
        runner.events.noteOn(offset, 60, 1.0f, offset, static_cast<int16>(offset));
        runner.events.noteOff(offset, 60, offset, static_cast<int16>(offset));
        EXPECT_EQ(runner.process(64), kResultOk) << offset;
    }
}

TEST_F(Boundary, TheControllerAnswersEveryIndexAndId)
{
    IEditController* controller = plugin.controller();
    // The 147 sound parameters and, after them, the program change.
    const int32 count = controller->getParameterCount();
    EXPECT_EQ(count, 148);
    for (int32 index : {-1, count, INT_MAX, INT_MIN})
    {
        ParameterInfo info{};
        EXPECT_NE(controller->getParameterInfo(index, info), kResultOk) << index;
    }
    ParameterInfo last{};
    EXPECT_EQ(controller->getParameterInfo(count - 1, last), kResultOk);
    for (ParamID id : kBadIds)
    {
        SCOPED_TRACE(id);
        String128 text{};
        EXPECT_NE(controller->getParamStringByValue(id, 0.5, text), kResultOk);
        TChar digits[] = {'0', '.', '5', 0};
        ParamValue value = 0.0;
        EXPECT_NE(controller->getParamValueByString(id, digits, value), kResultOk);
        EXPECT_NE(controller->getParamValueByString(0, nullptr, value), kResultOk);
        controller->normalizedParamToPlain(id, 0.5);
        controller->plainParamToNormalized(id, 0.5);
        EXPECT_EQ(controller->getParamNormalized(id), 0.0);
        EXPECT_NE(controller->setParamNormalized(id, 0.5), kResultOk);
    }

    FUnknownPtr<IEditController2> controller2(controller);
    ASSERT_TRUE(controller2);
    for (int32 mode : kBadIndices)
        controller2->setKnobMode(mode);
    controller2->openHelp(false);
    controller2->openAboutBox(true);

    FUnknownPtr<IMidiMapping> mapping(controller);
    ASSERT_TRUE(mapping);
    for (int32 index : kBadIndices)
    {
        ParamID id = 12345;
        EXPECT_EQ(mapping->getMidiControllerAssignment(index, static_cast<int16>(index),
                                                       static_cast<CtrlNumber>(index), id),
                  kResultFalse);
        EXPECT_EQ(id, 12345u);
    }

    FUnknownPtr<IUnitInfo> units(controller);
    ASSERT_TRUE(units);
    for (int32 index : kBadIndices)
    {
        SCOPED_TRACE(index);
        UnitInfo unit{};
        ProgramListInfo list{};
        String128 name{};
        EXPECT_NE(units->getUnitInfo(index, unit), kResultTrue);
        EXPECT_NE(units->getProgramListInfo(index, list), kResultTrue);
        EXPECT_NE(units->getProgramName(index, index, name), kResultTrue);
        EXPECT_NE(units->getProgramInfo(index, index, "name", name), kResultTrue);
        units->hasProgramPitchNames(index, index);
        EXPECT_NE(units->getProgramPitchName(index, index, static_cast<int16>(index), name), kResultTrue);
        units->selectUnit(index);
        UnitID unitId = 0;
        units->getUnitByBus(kAudio, kOutput, index, index, unitId);
        units->setUnitProgramData(index, index, nullptr);
    }
}

TEST_F(Boundary, TheEditorViewAnswersEveryIndex)
{
    IPlugView* view = plugin.controller()->createView("editor");
    ASSERT_NE(view, nullptr);
    FUnknownPtr<IParameterFinder> finder(view);
    for (int32 index : kBadIndices)
    {
        if (finder)
        {
            ParamID id = 7;
            finder->findParameter(index, index, id);
        }
        view->onKeyDown(static_cast<char16>(index), static_cast<int16>(index), static_cast<int16>(index));
        view->onKeyUp(static_cast<char16>(index), static_cast<int16>(index), static_cast<int16>(index));
        view->onWheel(static_cast<float>(index));
        for (ViewRect rect : {ViewRect(index, index, index, index), ViewRect(index, index, INT_MAX, INT_MAX),
                              ViewRect(INT_MIN, INT_MIN, index, index)})
        {
            ViewRect proposed = rect;
            EXPECT_EQ(view->checkSizeConstraint(&proposed), kResultOk);
            EXPECT_GE(static_cast<int64>(proposed.right) - proposed.left, 1066) << "the width it accepts";
            view->onSize(&rect);
        }
    }
    EXPECT_NE(view->isPlatformTypeSupported("no such platform"), kResultTrue);
    if (FUnknownPtr<IPlugViewContentScaleSupport> scaling{view})
        for (float factor : {0.0f, -1.0f, 1.0e30f, std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(), 1.0f})
            scaling->setContentScaleFactor(factor);
    view->release();
}

TEST_F(Boundary, TheVst2EntryAnswersEveryIndex)
{
    talvane::host::Vst2Host vst2;
    ASSERT_TRUE(vst2.load(talvane::testing::modulePath())) << vst2.error();
    vst2.start(44100.0f, 64);
    AEffect* fx = vst2.effect();
    std::vector<char> scratch(1 << 16, 0);
    for (int32 index : kBadIndices)
    {
        SCOPED_TRACE(index);
        fx->setParameter(fx, index, 0.5f);
        EXPECT_EQ(fx->getParameter(fx, index), 0.0f);
        // Every opcode with the index (the editor's, which takes a window, and the closing apart).
        for (int32 opcode = 0; opcode < 80; ++opcode)
            if (opcode != effEditOpen && opcode != effClose)
            {
                // A fresh buffer each time: some opcodes read a record from it, which an earlier
                // answer written there would spoil.
                std::fill(scratch.begin(), scratch.end(), 0);
                vst2.dispatch(opcode, index, 0, scratch.data(), 0.0f);
            }
        // Opcodes whose value is a number the host chooses.
        for (int32 opcode : {effSetProgram, effSetBlockSize, effMainsChanged})
            vst2.dispatch(opcode, 0, index, nullptr, 0.0f);
        vst2.start(44100.0f, 64);
        vst2.process(64);
    }
}
