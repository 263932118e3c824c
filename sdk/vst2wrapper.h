// Stand-in for the VST 3 SDK's Vst2Wrapper, which Debian does not ship: exposes one VST 3 audio
// processor and its edit controller, created through a plug-in factory, as a VST 2 effect.
//
// It knows the plug-in only through the VST 3 interfaces (IComponent, IAudioProcessor,
// IEditController, IMidiMapping, IPlugView) and translates:
//  - the effect's life (open, close, sample rate, block size, suspend/resume) into setupProcessing,
//    setActive and setProcessing, set up again when the rate or block size changes while resumed;
//  - processReplacing (and the old accumulating process) into IAudioProcessor::process, in pieces of
//    at most the announced block size;
//  - MIDI events into note events and, through the controller's MIDI mapping, parameter changes;
//  - the host's parameter calls into the controller and the processor's parameter changes, and the
//    controller's edits (it is the controller's IComponentHandler) into host automation;
//  - a program-change parameter and its program list into VST 2 programs (names, selection; the
//    program's data comes from the component's IProgramListData);
//  - chunks into the processor's state followed by the controller's, and the editor opcodes into
//    the controller's "editor" view.
//
// Threads, as VST 2 hosts use them: the dispatcher runs on the host's user-interface thread except
// effProcessEvents, which, like processReplacing, runs on the audio thread; setParameter may come
// from either. The audio thread never locks or allocates: everything it fills is reserved when the
// effect is created or resumed, and values cross threads through lock-free slots. The controller is
// only ever called on the user-interface thread; changes that reach it from elsewhere (host
// automation played on the audio thread, mapped MIDI controllers) wait for the next dispatcher call
// or editor idle on the user-interface thread.
#pragma once

#include "sdk/editorframe.h"
#include "sdk/fixedprocessdata.h"
#include "sdk/midimessage.h"
#include "sdk/pendingparametervalues.h"
#include "sdk/vst2interface.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace Steinberg {
namespace Vst {

class Vst2HostContext;

class Vst2Wrapper final : public IComponentHandler
{
public:
    // Creates the processor class `vst3ComponentID` of the factory and its controller, and the
    // effect record the host will use. Null when the plug-in cannot be created or does not fit
    // (no audio output, no 32-bit processing, no controller, too many channels). The factory is
    // referenced for the wrapper's life; the caller keeps its own reference.
    static Vst2Wrapper* create(IPluginFactory* factory, const TUID vst3ComponentID, VstInt32 vst2ID,
                               audioMasterCallback audioMaster);

    ~Vst2Wrapper();
    Vst2Wrapper(const Vst2Wrapper&) = delete;
    Vst2Wrapper& operator=(const Vst2Wrapper&) = delete;

    AEffect* getAEffect() { return &effect; }

    // IComponentHandler: edits from the controller (its editor) go to the host and the processor.
    tresult PLUGIN_API beginEdit(ParamID id) override;
    tresult PLUGIN_API performEdit(ParamID id, ParamValue valueNormalized) override;
    tresult PLUGIN_API endEdit(ParamID id) override;
    tresult PLUGIN_API restartComponent(int32 flags) override;

    // FUnknown: the wrapper is owned by its effect and freed by effClose; the count never frees it.
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
    uint32 PLUGIN_API addRef() override { return static_cast<uint32>(++refs); }
    uint32 PLUGIN_API release() override { return static_cast<uint32>(--refs); }

    // Largest block the processor is set up for; longer host blocks are processed in pieces.
    static constexpr int32 kMaxSetupBlockSize = 16384;
    // MIDI events kept for one block; further ones in the same block are dropped.
    static constexpr int32 kMaxMidiEventsPerBlock = 2048;
    // Points one parameter may carry within one block (see FixedParamValueQueue for the overflow).
    static constexpr int32 kMaxPointsPerParameter = 128;
    static constexpr int32 kMaxChannels = 16;
    // A chunk larger than this is refused without being looked at.
    static constexpr VstIntPtr kMaxChunkBytes = 16 * 1024 * 1024;

private:
    struct StoredMidiEvent
    {
        int32 deltaFrames;
        uint8 bytes[3];
    };

    explicit Vst2Wrapper(audioMasterCallback audioMaster);

    // Creation (wrapper.cpp).
    bool createPlugin(IPluginFactory* pluginFactory, const TUID componentId);
    bool createController();
    bool readClassInfo(const TUID componentId);
    bool setUpBuses();
    void collectParameters();
    void collectMidiMapping();
    void probeEditor();
    void fillEffect(VstInt32 vst2ID);
    void destroyPlugin();

    // Host side.
    VstIntPtr callHost(int32 opcode, int32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    VstIntPtr dispatch(int32 opcode, int32 index, VstIntPtr value, void* ptr, float opt);
    bool onUiThread() const;
    void takeUiThread();

    // Life cycle.
    bool resume();
    void suspend();
    void setSampleRate(float rate);
    // Sets the inactive processor up for `rate` and the current block size; false if it refused.
    bool setUpProcessor(double rate);
    void setBlockSize(VstIntPtr size);

    // Parameters (wrapperparameters.cpp).
    bool isParameterIndex(int32 index) const;
    int32 indexOfParameter(ParamID id) const;
    void setParameterFromHost(int32 index, float value);
    float parameterValue(int32 index) const;
    void updateControllerOnUiThread();
    void refreshHostValuesFromController();
    // Copies the text `field` picks from a parameter's info, cut to the size VST 2 allows.
    template <typename Field>
    VstIntPtr copyParameterInfoText(int32 index, char* text, Field field);
    VstIntPtr copyParameterName(int32 index, char* text);
    VstIntPtr copyParameterLabel(int32 index, char* text);
    VstIntPtr copyParameterDisplay(int32 index, char* text);
    VstIntPtr canBeAutomated(int32 index);

    // Programs.
    void findProgramList(const ParameterInfo& programParameter);
    int32 currentProgram() const;
    VstIntPtr copyProgramName(int32 index, char* text);
    void setProgram(int32 index);

    // Chunks.
    VstIntPtr getChunk(void** data);
    VstIntPtr setChunk(const void* data, VstIntPtr size);

    // Editor.
    bool openEditor(void* parentWindow);
    void closeEditor();
    VstIntPtr editorRect(ERect** rect);
    void editorIdle();
    bool resizeEditor(IPlugView* view, const ViewRect& size);

    // Audio thread (wrapperprocess.cpp).
    VstIntPtr processEvents(const VstEvents* events);
    void processReplacing(float** inputs, float** outputs, int32 frames);
    void processAccumulating(float** inputs, float** outputs, int32 frames);
    bool canProcess(float** inputs, float** outputs, int32 frames) const;
    void readHostTime();
    void renderPiece(float** inputs, float* const* outputs, int32 hostOffset, int32 outputOffset,
                     int32 length, int32 frames);
    void queueMidiForPiece(int32 pieceStart, int32 pieceLength, int32 frames);
    void clearOutputs(float** outputs, int32 offset, int32 frames) const;

    static VstIntPtr dispatcherProc(AEffect* e, int opcode, int index, VstIntPtr value, void* ptr, float opt);
    static void processReplacingProc(AEffect* e, float** inputs, float** outputs, int frames);
    static void processProc(AEffect* e, float** inputs, float** outputs, int frames);
    static void setParameterProc(AEffect* e, int index, float value);
    static float getParameterProc(AEffect* e, int index);

    audioMasterCallback audioMaster;
    AEffect effect{};
    std::atomic<int32> refs{1};
    std::atomic<std::thread::id> uiThread;

    // The plug-in.
    std::unique_ptr<Vst2HostContext> hostContext;
    IPluginFactory* factory = nullptr;
    IComponent* component = nullptr;
    IAudioProcessor* processor = nullptr;
    IEditController* controller = nullptr;
    bool controllerIsComponent = false;
    IConnectionPoint* componentConnection = nullptr;
    IConnectionPoint* controllerConnection = nullptr;

    // What the host is told.
    std::string effectName;
    std::string vendorName;
    VstInt32 vendorVersion = 0;
    bool isInstrument = false;
    int32 inputChannels = 0;
    int32 outputChannels = 0;
    bool hasEventInput = false;

    // Programs: the program-change parameter, the program list it selects in and its length (one
    // program without them).
    ParamID programParameterId = kNoParamId;
    ProgramListID programListId = kNoProgramListId;
    int32 programCount = 1;

    // Parameters, by the host's index (the controller's order), the program-change parameter left out.
    std::vector<ParamID> parameterIds;
    std::vector<int32> controllerIndices; // each one's index in the controller's list
    std::vector<int32> parameterFlags;
    std::unordered_map<ParamID, int32> parameterIndexOfId;
    std::unique_ptr<std::atomic<float>[]> hostValues; // what getParameter answers, from any thread
    std::unique_ptr<PendingParameterValues> toProcessor;
    std::unique_ptr<PendingParameterValues> toController;
    std::vector<int32> midiControllerTarget; // [channel * kCountCtrlNumber + controller]: index or -1

    // Processing set-up.
    double sampleRate = 44100.0;
    int32 blockSize = 1024;
    bool resumed = false;
    std::atomic<bool> processing{false};

    // Audio thread storage.
    std::unique_ptr<FixedParameterChanges> inputChanges;
    FixedEventList inputEvents{kMaxMidiEventsPerBlock};
    std::vector<StoredMidiEvent> midiEvents; // sorted by delta frames, sized once
    int32 midiEventCount = 0;
    int32 midiCursor = 0;
    ProcessContext processContext{};
    ProcessData processData{};
    AudioBusBuffers inputBus{};
    AudioBusBuffers outputBus{};
    float* inputPointers[kMaxChannels] = {};
    float* outputPointers[kMaxChannels] = {};
    std::vector<float> accumulateBuffer; // outputChannels * blockSize, for the accumulating process
    float* accumulatePointers[kMaxChannels] = {};

    // Chunk handed out by the last effGetChunk.
    std::vector<char> chunk;

    // Editor.
    bool canEdit = false;
    ViewRect editorSize;
    ERect hostEditorRect{};
    IPlugView* view = nullptr;
    std::unique_ptr<EditorFrame> frame;
};

} // namespace Vst
} // namespace Steinberg
