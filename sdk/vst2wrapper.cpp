// The wrapper's creation, dispatcher, life cycle, chunks and editor. Parameters and the audio
// thread's work are in vst2wrapperparameters.cpp and vst2wrapperprocess.cpp.
#include "sdk/vst2wrapper.h"

#include "sdk/componentstate.h"
#include "sdk/nativewindowtype.h"

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

namespace Steinberg {
namespace Vst {

// The host context the plug-in's classes are initialised with: message and attribute objects come
// from the SDK's host classes; the name is the VST 2 host's product name. Like the SDK's host
// application it is not reference counted and belongs to the wrapper.
class Vst2HostContext : public HostApplication
{
public:
    Vst2HostContext(audioMasterCallback host, AEffect* effect) : host(host), effect(effect) {}

    tresult PLUGIN_API getName(String128 name) override
    {
        if (!name)
            return kInvalidArgument;
        // Hosts write at most 64 characters; the rest of the buffer keeps the text terminated.
        char product[256] = {};
        if (!host || !host(effect, audioMasterGetProductString, 0, 0, product, 0.0f) || product[0] == 0)
            std::snprintf(product, sizeof product, "%s", "VST 2 host");
        product[sizeof product - 1] = 0;
        UString(name, str16BufferSize(String128)).fromAscii(product);
        return kResultOk;
    }

private:
    audioMasterCallback host;
    AEffect* effect;
};

namespace {

constexpr int32 kMidiChannels = 16;
// VST 2 text limits, terminator included: hosts' buffers are at least this large.
constexpr std::size_t kEffectNameBytes = 32;
constexpr std::size_t kVendorTextBytes = 64;
constexpr const char kEditorViewName[] = "editor";
constexpr const char kClassNameSuffix[] = " VST3";
constexpr const char kInstrumentCategory[] = "Instrument";
constexpr int kVersionFields = 3;
constexpr int kVersionFieldBits = 8;
constexpr int kVersionFieldMax = 255;
constexpr VstInt32 kVstVersionNumber = kVstVersion;

// What the effect answers to effCanDo.
constexpr const char* kCanDo[] = {"receiveVstEvents", "receiveVstMidiEvent"};

void copyText(char* destination, const std::string& text, std::size_t capacity)
{
    const std::size_t length = std::min(text.size(), capacity - 1);
    std::memcpy(destination, text.data(), length);
    destination[length] = 0;
}

// "0.87.0.0" -> major << 16 | minor << 8 | patch: the VST 2 habit of one byte per version field.
VstInt32 versionNumber(const char* text)
{
    VstInt32 number = 0;
    const char* p = text;
    for (int field = 0; field < kVersionFields; ++field)
    {
        long value = 0;
        if (p && *p)
        {
            char* end = nullptr;
            value = std::strtol(p, &end, 10);
            p = (end && *end == '.') ? end + 1 : nullptr;
        }
        value = std::min<long>(std::max<long>(value, 0), kVersionFieldMax);
        number = (number << kVersionFieldBits) | static_cast<VstInt32>(value);
    }
    return number;
}

template <typename Interface>
Interface* queryOf(FUnknown* object)
{
    Interface* result = nullptr;
    if (object && object->queryInterface(Interface::iid, reinterpret_cast<void**>(&result)) != kResultOk)
        result = nullptr;
    return result;
}

template <typename Interface>
void releaseAndClear(Interface*& pointer)
{
    if (pointer)
        pointer->release();
    pointer = nullptr;
}

short toRectCoordinate(int32 value)
{
    return static_cast<short>(std::min<int32>(std::max<int32>(value, std::numeric_limits<short>::min()),
                                              std::numeric_limits<short>::max()));
}

} // namespace

// ---- creation --------------------------------------------------------------------------------

Vst2Wrapper::Vst2Wrapper(audioMasterCallback host) : audioMaster(host), uiThread(std::this_thread::get_id())
{
    frame = std::make_unique<EditorFrame>(
        [this](IPlugView* resized, const ViewRect& size) { return resizeEditor(resized, size); });
}

Vst2Wrapper* Vst2Wrapper::create(IPluginFactory* factory, const TUID vst3ComponentID, VstInt32 vst2ID,
                                 audioMasterCallback audioMaster)
{
    if (!factory || !vst3ComponentID || !audioMaster)
        return nullptr;
    auto* wrapper = new (std::nothrow) Vst2Wrapper(audioMaster);
    if (!wrapper)
        return nullptr;
    if (!wrapper->createPlugin(factory, vst3ComponentID))
    {
        delete wrapper;
        return nullptr;
    }
    wrapper->fillEffect(vst2ID);
    return wrapper;
}

bool Vst2Wrapper::createPlugin(IPluginFactory* pluginFactory, const TUID componentId)
{
    factory = pluginFactory;
    factory->addRef();
    hostContext = std::make_unique<Vst2HostContext>(audioMaster, &effect);

    if (factory->createInstance(componentId, IComponent::iid, reinterpret_cast<void**>(&component)) !=
        kResultOk)
        component = nullptr;
    if (!component)
        return false;
    if (component->initialize(hostContext.get()) != kResultOk)
    {
        component->release();
        component = nullptr;
        return false;
    }
    processor = queryOf<IAudioProcessor>(component);
    if (!processor || processor->canProcessSampleSize(kSample32) != kResultTrue)
        return false;
    if (!createController() || !readClassInfo(componentId) || !setUpBuses())
        return false;

    // As a VST 3 host does: the controller starts from the processor's state.
    MemoryStream state;
    if (component->getState(&state) == kResultOk)
    {
        state.seek(0, IBStream::kIBSeekSet, nullptr);
        controller->setComponentState(&state);
    }
    collectParameters();
    collectMidiMapping();
    controller->setComponentHandler(this);
    probeEditor();

    inputChanges = std::make_unique<FixedParameterChanges>(static_cast<int32>(parameterIds.size()),
                                                           kMaxPointsPerParameter);
    midiEvents.resize(kMaxMidiEventsPerBlock);
    return true;
}

bool Vst2Wrapper::createController()
{
    TUID controllerId{};
    if (component->getControllerClassId(controllerId) == kResultTrue &&
        factory->createInstance(controllerId, IEditController::iid, reinterpret_cast<void**>(&controller)) ==
            kResultOk &&
        controller)
    {
        if (controller->initialize(hostContext.get()) != kResultOk)
        {
            controller->release();
            controller = nullptr;
            return false;
        }
        componentConnection = queryOf<IConnectionPoint>(component);
        controllerConnection = queryOf<IConnectionPoint>(controller);
        if (componentConnection && controllerConnection)
        {
            componentConnection->connect(controllerConnection);
            controllerConnection->connect(componentConnection);
        }
        return true;
    }
    // A component may be its own controller.
    controller = queryOf<IEditController>(component);
    controllerIsComponent = controller != nullptr;
    return controller != nullptr;
}

bool Vst2Wrapper::readClassInfo(const TUID componentId)
{
    PFactoryInfo factoryInfo;
    if (factory->getFactoryInfo(&factoryInfo) == kResultOk)
        vendorName = factoryInfo.vendor;

    auto* factory2 = queryOf<IPluginFactory2>(factory);
    for (int32 i = 0; i < factory->countClasses(); ++i)
    {
        PClassInfo2 info2;
        PClassInfo info;
        const bool haveInfo2 = factory2 && factory2->getClassInfo2(i, &info2) == kResultOk;
        if (!haveInfo2 && factory->getClassInfo(i, &info) != kResultOk)
            continue;
        const char8* cid = haveInfo2 ? info2.cid : info.cid;
        if (std::memcmp(cid, componentId, sizeof(TUID)) != 0)
            continue;
        effectName = haveInfo2 ? info2.name : info.name;
        // The VST 3 class name carries the format in its name; a VST 2 host lists the effect by name.
        const std::size_t suffixLength = std::strlen(kClassNameSuffix);
        if (effectName.size() > suffixLength &&
            effectName.compare(effectName.size() - suffixLength, suffixLength, kClassNameSuffix) == 0)
            effectName.erase(effectName.size() - suffixLength);
        if (haveInfo2)
        {
            if (info2.vendor[0] != 0)
                vendorName = info2.vendor;
            vendorVersion = versionNumber(info2.version);
            isInstrument = std::strstr(info2.subCategories, kInstrumentCategory) != nullptr;
        }
        break;
    }
    if (factory2)
        factory2->release();
    return !effectName.empty();
}

bool Vst2Wrapper::setUpBuses()
{
    BusInfo info{};
    if (component->getBusCount(kAudio, kOutput) < 1 ||
        component->getBusInfo(kAudio, kOutput, 0, info) != kResultOk)
        return false;
    outputChannels = info.channelCount;
    if (outputChannels < 1 || outputChannels > kMaxChannels)
        return false;
    component->activateBus(kAudio, kOutput, 0, true);

    if (component->getBusCount(kAudio, kInput) > 0 &&
        component->getBusInfo(kAudio, kInput, 0, info) == kResultOk)
    {
        inputChannels = info.channelCount;
        if (inputChannels < 0 || inputChannels > kMaxChannels)
            return false;
        component->activateBus(kAudio, kInput, 0, true);
    }
    hasEventInput = component->getBusCount(kEvent, kInput) > 0;
    if (hasEventInput)
        component->activateBus(kEvent, kInput, 0, true);

    outputBus.numChannels = outputChannels;
    outputBus.channelBuffers32 = outputPointers;
    inputBus.numChannels = inputChannels;
    inputBus.channelBuffers32 = inputPointers;
    processData.processMode = kRealtime;
    processData.symbolicSampleSize = kSample32;
    processData.numInputs = inputChannels > 0 ? 1 : 0;
    processData.inputs = inputChannels > 0 ? &inputBus : nullptr;
    processData.numOutputs = 1;
    processData.outputs = &outputBus;
    processData.inputParameterChanges = nullptr;
    processData.inputEvents = hasEventInput ? &inputEvents : nullptr;
    processData.processContext = &processContext;
    return true;
}

void Vst2Wrapper::collectMidiMapping()
{
    midiControllerTarget.assign(static_cast<std::size_t>(kMidiChannels * kCountCtrlNumber), -1);
    auto* mapping = queryOf<IMidiMapping>(controller);
    if (!mapping)
        return;
    // Asked once, here: the mapping is then read on the audio thread, where the controller is not.
    for (int16 channel = 0; channel < kMidiChannels; ++channel)
        for (CtrlNumber number = 0; number < kCountCtrlNumber; ++number)
        {
            ParamID id = 0;
            if (mapping->getMidiControllerAssignment(0, channel, number, id) == kResultTrue)
                midiControllerTarget[static_cast<std::size_t>(channel * kCountCtrlNumber + number)] =
                    indexOfParameter(id);
        }
    mapping->release();
}

void Vst2Wrapper::probeEditor()
{
    // Hosts read the editor flag as soon as they have the effect, so whether a view can be made is
    // found out now, once.
    IPlugView* probe = controller->createView(kEditorViewName);
    if (!probe)
        return;
    ViewRect size;
    canEdit = probe->isPlatformTypeSupported(kNativeWindowType) == kResultTrue &&
              probe->getSize(&size) == kResultOk;
    if (canEdit)
        editorSize = size;
    probe->release();
}

void Vst2Wrapper::fillEffect(VstInt32 vst2ID)
{
    effect.magic = kEffectMagic;
    effect.dispatcher = &Vst2Wrapper::dispatcherProc;
    effect.process = &Vst2Wrapper::processProc;
    effect.setParameter = &Vst2Wrapper::setParameterProc;
    effect.getParameter = &Vst2Wrapper::getParameterProc;
    effect.processReplacing = &Vst2Wrapper::processReplacingProc;
    effect.processDoubleReplacing = nullptr;
    effect.numPrograms = programCount;
    effect.numParams = static_cast<VstInt32>(parameterIds.size());
    effect.numInputs = inputChannels;
    effect.numOutputs = outputChannels;
    effect.flags = effFlagsCanReplacing | effFlagsProgramChunks;
    if (isInstrument)
        effect.flags |= effFlagsIsSynth;
    if (canEdit)
        effect.flags |= effFlagsHasEditor;
    effect.initialDelay = static_cast<VstInt32>(processor->getLatencySamples());
    effect.object = this;
    effect.user = nullptr;
    effect.uniqueID = vst2ID;
    effect.version = vendorVersion;
}

Vst2Wrapper::~Vst2Wrapper()
{
    destroyPlugin();
}

void Vst2Wrapper::destroyPlugin()
{
    closeEditor();
    suspend();
    if (controller)
        controller->setComponentHandler(nullptr);
    if (componentConnection && controllerConnection)
    {
        componentConnection->disconnect(controllerConnection);
        controllerConnection->disconnect(componentConnection);
    }
    releaseAndClear(componentConnection);
    releaseAndClear(controllerConnection);
    if (controller)
    {
        if (!controllerIsComponent)
            controller->terminate();
        releaseAndClear(controller);
    }
    releaseAndClear(processor);
    if (component)
    {
        component->terminate();
        releaseAndClear(component);
    }
    // The SDK's host application object is not reference counted: it lives as long as its owner.
    hostContext.reset();
    releaseAndClear(factory);
}

tresult PLUGIN_API Vst2Wrapper::queryInterface(const TUID iid, void** obj)
{
    if (!obj)
        return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) ||
        FUnknownPrivate::iidEqual(iid, IComponentHandler::iid))
    {
        addRef();
        *obj = static_cast<IComponentHandler*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

// ---- host side -------------------------------------------------------------------------------

VstIntPtr Vst2Wrapper::callHost(int32 opcode, int32 index, VstIntPtr value, void* ptr, float opt)
{
    return audioMaster ? audioMaster(&effect, opcode, index, value, ptr, opt) : 0;
}

bool Vst2Wrapper::onUiThread() const
{
    return uiThread.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

void Vst2Wrapper::takeUiThread()
{
    uiThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
}

VstIntPtr Vst2Wrapper::dispatcherProc(AEffect* e, int opcode, int index, VstIntPtr value, void* ptr,
                                      float opt)
{
    auto* wrapper = e ? static_cast<Vst2Wrapper*>(e->object) : nullptr;
    if (!wrapper)
        return 0;
    if (opcode == effClose)
    {
        delete wrapper;
        return 1;
    }
    return wrapper->dispatch(opcode, index, value, ptr, opt);
}

VstIntPtr Vst2Wrapper::dispatch(int32 opcode, int32 index, VstIntPtr value, void* ptr, float opt)
{
    // The only opcode of the audio thread; every other call may bring the controller up to date.
    if (opcode == effProcessEvents)
        return processEvents(static_cast<const VstEvents*>(ptr));
    if (opcode == effOpen || opcode == effEditOpen)
        takeUiThread();
    updateControllerOnUiThread();

    switch (opcode)
    {
    case effOpen:
        return 0;
    case effGetProgram:
        return currentProgram();
    case effSetProgram:
        if (value >= 0 && value < programCount)
            setProgram(static_cast<int32>(value));
        return 0;
    case effSetProgramName:
        return 0; // the programs are the plug-in's, named by it
    case effGetProgramName:
        return copyProgramName(currentProgram(), static_cast<char*>(ptr));
    case effGetProgramNameIndexed:
        return copyProgramName(index, static_cast<char*>(ptr));
    case effGetParamName:
        return copyParameterName(index, static_cast<char*>(ptr));
    case effGetParamLabel:
        return copyParameterLabel(index, static_cast<char*>(ptr));
    case effGetParamDisplay:
        return copyParameterDisplay(index, static_cast<char*>(ptr));
    case effCanBeAutomated:
        return canBeAutomated(index);
    case effSetSampleRate:
        setSampleRate(opt);
        return 1;
    case effSetBlockSize:
        setBlockSize(value);
        return 1;
    case effMainsChanged:
        if (value)
            return resume() ? 1 : 0;
        suspend();
        return 1;
    case effSetProcessPrecision:
        return value == kVstProcessPrecision32 ? 1 : 0;
    case effGetChunk:
        return getChunk(static_cast<void**>(ptr));
    case effSetChunk:
        return setChunk(ptr, value);
    case effEditGetRect:
        return editorRect(static_cast<ERect**>(ptr));
    case effEditOpen:
        return openEditor(ptr) ? 1 : 0;
    case effEditClose:
        closeEditor();
        return 1;
    case effEditIdle:
        editorIdle();
        return 1;
    case effGetPlugCategory:
        return isInstrument ? kPlugCategSynth : kPlugCategEffect;
    case effGetEffectName:
        if (!ptr)
            return 0;
        copyText(static_cast<char*>(ptr), effectName, kEffectNameBytes);
        return 1;
    case effGetProductString:
        if (!ptr)
            return 0;
        copyText(static_cast<char*>(ptr), effectName, kVendorTextBytes);
        return 1;
    case effGetVendorString:
        if (!ptr)
            return 0;
        copyText(static_cast<char*>(ptr), vendorName, kVendorTextBytes);
        return 1;
    case effGetVendorVersion:
        return vendorVersion;
    case effGetVstVersion:
        return kVstVersionNumber;
    case effCanDo:
    {
        if (!ptr || !hasEventInput)
            return 0;
        const auto* what = static_cast<const char*>(ptr);
        for (const char* answer : kCanDo)
            if (std::strcmp(what, answer) == 0)
                return 1;
        return 0;
    }
    default:
        return 0;
    }
}

// ---- life cycle ------------------------------------------------------------------------------

bool Vst2Wrapper::resume()
{
    if (resumed)
        return true;
    if (!setUpProcessor(sampleRate))
        return false;
    accumulateBuffer.assign(static_cast<std::size_t>(outputChannels) * static_cast<std::size_t>(blockSize),
                            0.0f);
    for (int32 c = 0; c < outputChannels; ++c)
        accumulatePointers[c] = accumulateBuffer.data() + static_cast<std::size_t>(c) * blockSize;
    if (component->setActive(true) != kResultOk)
        return false;
    processor->setProcessing(true); // kNotImplemented is a fine answer
    effect.initialDelay = static_cast<VstInt32>(processor->getLatencySamples());
    midiEventCount = 0; // events that came while suspended belong to no block
    resumed = true;
    processing.store(true, std::memory_order_release);
    return true;
}

void Vst2Wrapper::suspend()
{
    if (!resumed)
        return;
    processing.store(false, std::memory_order_release);
    processor->setProcessing(false);
    component->setActive(false);
    resumed = false;
}

bool Vst2Wrapper::setUpProcessor(double rate)
{
    ProcessSetup setup{kRealtime, kSample32, blockSize, rate};
    return processor->setupProcessing(setup) == kResultOk;
}

void Vst2Wrapper::setSampleRate(float rate)
{
    if (rate == sampleRate)
        return;
    const bool wasResumed = resumed;
    suspend();
    // The processor knows the rates it runs at: one it refuses leaves the effect at the rate it had.
    // (Resuming sets the processor up again, for the rate it keeps.)
    if (setUpProcessor(rate))
        sampleRate = rate;
    if (wasResumed)
        resume();
}

void Vst2Wrapper::setBlockSize(VstIntPtr size)
{
    if (size <= 0)
        return;
    const auto newSize = static_cast<int32>(std::min<VstIntPtr>(size, kMaxSetupBlockSize));
    if (newSize == blockSize)
        return;
    const bool wasResumed = resumed;
    suspend();
    blockSize = newSize;
    if (wasResumed)
        resume();
}

// ---- programs ------------------------------------------------------------------------------

void Vst2Wrapper::findProgramList(const ParameterInfo& programParameter)
{
    // The program list is the one of the parameter's unit; the parameter's steps are its programs.
    auto* units = queryOf<IUnitInfo>(controller);
    if (!units)
        return;
    for (int32 i = 0; i < units->getUnitCount(); ++i)
    {
        UnitInfo unit{};
        if (units->getUnitInfo(i, unit) != kResultOk || unit.id != programParameter.unitId)
            continue;
        for (int32 l = 0; l < units->getProgramListCount(); ++l)
        {
            ProgramListInfo list{};
            if (units->getProgramListInfo(l, list) == kResultOk && list.id == unit.programListId &&
                list.programCount == programParameter.stepCount + 1 && list.programCount > 0)
            {
                programParameterId = programParameter.id;
                programListId = list.id;
                programCount = list.programCount;
            }
        }
    }
    units->release();
}

int32 Vst2Wrapper::currentProgram() const
{
    if (programParameterId == kNoParamId)
        return 0;
    // The parameter's steps, as the SDK's list parameters divide the range.
    const ParamValue value = controller->getParamNormalized(programParameterId);
    const auto step = static_cast<int32>(std::fmin(std::fmax(value, 0.0), 1.0) * programCount);
    return std::min(step, programCount - 1);
}

void Vst2Wrapper::setProgram(int32 index)
{
    // Selecting the program that is selected keeps the sound as it is: hosts select the saved
    // program again after restoring a chunk, whose sound may have been edited since.
    if (programParameterId == kNoParamId || index < 0 || index >= programCount || index == currentProgram())
        return;
    auto* programData = queryOf<IProgramListData>(component);
    MemoryStream data;
    const bool haveData = programData && programData->programDataSupported(programListId) == kResultTrue &&
                          programData->getProgramData(programListId, index, &data) == kResultOk;
    if (programData)
        programData->release();
    if (!haveData)
        return;
    int64 size = 0;
    data.tell(&size);
    // The processor takes the program as a state, at once, whether processing or not; the
    // controller follows as a host's program change moves it.
    if (!loadComponentState(*component, data.getData(), size))
        return;
    toProcessor->discard();
    toController->discard();
    ChunkReader controllerReader(data.getData(), size);
    controller->setComponentState(&controllerReader);
    controller->setParamNormalized(programParameterId, static_cast<ParamValue>(index) / (programCount - 1));
    refreshHostValuesFromController();
}

// ---- chunks ----------------------------------------------------------------------------------

// A chunk is the processor's state followed by the controller's. A chunk saved before the
// controller had a state of its own is the processor's state alone.
VstIntPtr Vst2Wrapper::getChunk(void** data)
{
    if (!data)
        return 0;
    *data = nullptr;
    if (!saveComponentState(*component, chunk))
        return 0;
    // A controller that fails to save leaves the processor's state alone in the chunk.
    MemoryStream controllerState;
    if (controller->getState(&controllerState) == kResultOk)
    {
        int64 size = 0;
        controllerState.tell(&size);
        chunk.insert(chunk.end(), controllerState.getData(), controllerState.getData() + size);
    }
    *data = chunk.data();
    return static_cast<VstIntPtr>(chunk.size());
}

VstIntPtr Vst2Wrapper::setChunk(const void* data, VstIntPtr size)
{
    if (!data || size <= 0 || size > kMaxChunkBytes)
        return 0;
    ComponentStateBackup previous(*component);
    ChunkReader reader(data, size);
    if (component->setState(&reader) != kResultOk)
    {
        previous.restore();
        return 0;
    }
    int64 componentSize = 0;
    reader.tell(&componentSize);
    const auto* controllerBytes = static_cast<const char*>(data) + componentSize;
    const int64 controllerSize = size - componentSize;
    // Whatever follows the processor's state is the controller's, which must take it for the chunk
    // to count. It is given once more after the processor's state, which names a sound by its
    // values alone, so that the name it keeps has the last word.
    if (controllerSize > 0)
    {
        ChunkReader controllerReader(controllerBytes, controllerSize);
        if (controller->setState(&controllerReader) != kResultOk)
        {
            previous.restore();
            return 0;
        }
    }
    // Values the host set before the chunk are older than it.
    toProcessor->discard();
    toController->discard();
    ChunkReader componentReader(data, componentSize);
    controller->setComponentState(&componentReader);
    if (controllerSize > 0)
    {
        ChunkReader controllerReader(controllerBytes, controllerSize);
        controller->setState(&controllerReader);
    }
    refreshHostValuesFromController();
    return 1;
}

// ---- editor ----------------------------------------------------------------------------------

bool Vst2Wrapper::openEditor(void* parentWindow)
{
    if (!canEdit || !parentWindow)
        return false;
    if (view)
        return true;
    view = controller->createView(kEditorViewName);
    if (!view)
        return false;
    if (view->isPlatformTypeSupported(kNativeWindowType) != kResultTrue)
    {
        releaseAndClear(view);
        return false;
    }
    view->setFrame(frame.get());
    if (view->attached(parentWindow, kNativeWindowType) != kResultOk)
    {
        view->setFrame(nullptr);
        frame->clear();
        releaseAndClear(view);
        return false;
    }
    ViewRect size;
    if (view->getSize(&size) == kResultOk)
        editorSize = size;
    return true;
}

void Vst2Wrapper::closeEditor()
{
    if (!view)
        return;
    view->removed();
    view->setFrame(nullptr);
    // Whatever the view left registered goes with it.
    frame->clear();
    releaseAndClear(view);
}

VstIntPtr Vst2Wrapper::editorRect(ERect** rect)
{
    if (!rect)
        return 0;
    *rect = nullptr;
    if (!canEdit)
        return 0;
    ViewRect size = editorSize;
    // A closed editor's size is that of a new view: the controller's state, restored from a chunk,
    // may have changed it since the last view closed.
    IPlugView* sized = view ? view : controller->createView(kEditorViewName);
    if (sized && sized->getSize(&size) == kResultOk)
        editorSize = size;
    if (sized && sized != view)
        sized->release();
    hostEditorRect.top = 0;
    hostEditorRect.left = 0;
    hostEditorRect.bottom = toRectCoordinate(size.getHeight());
    hostEditorRect.right = toRectCoordinate(size.getWidth());
    *rect = &hostEditorRect;
    return 1;
}

void Vst2Wrapper::editorIdle()
{
    if (view)
        frame->idle();
}

bool Vst2Wrapper::resizeEditor(IPlugView* resized, const ViewRect& size)
{
    if (resized != view)
        return false;
    if (!callHost(audioMasterSizeWindow, size.getWidth(), size.getHeight()))
        return false;
    editorSize = size;
    return true;
}

} // namespace Vst
} // namespace Steinberg
