// The instrument's audio processor component.
#pragma once

#include "sdk/audioeffect.h"
#include "source/engine/alignedbuffer.h"
#include "source/engine/engineconstants.h"
#include "source/engine/outputbound.h"
#include "source/engine/synthengine.h"
#include "source/params/paramids.h"
#include "source/processor/parameterhandover.h"

#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <atomic>
#include <vector>

namespace talvane::presets {
class ProgramTable;
} // namespace talvane::presets

namespace Steinberg {
namespace Vst {

// One timed parameter change on the block timeline.
struct ParamEvent
{
    float value;    // normalized 0..1
    int32 id;       // parameter ID
    int32 position; // timeline position in host samples
};
static_assert(sizeof(ParamEvent) == 12, "ParamEvent is a 12-byte record");

class Talvane : public AudioEffect, public IProgramListData
{
public:
    Talvane();
    ~Talvane() SMTG_OVERRIDE;
    Talvane(const Talvane&) = delete;
    Talvane& operator=(const Talvane&) = delete;

    static FUnknown* createInstance(void* context);

    // IPluginBase
    tresult PLUGIN_API initialize(FUnknown* context) SMTG_OVERRIDE;
    tresult PLUGIN_API terminate() SMTG_OVERRIDE;
    // IConnectionPoint
    tresult PLUGIN_API notify(IMessage* message) SMTG_OVERRIDE;
    // IComponent
    tresult PLUGIN_API setActive(TBool state) SMTG_OVERRIDE;
    tresult PLUGIN_API setState(IBStream* state) SMTG_OVERRIDE;
    tresult PLUGIN_API getState(IBStream* state) SMTG_OVERRIDE;
    // IAudioProcessor
    tresult PLUGIN_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                          SpeakerArrangement* outputs, int32 numOuts) SMTG_OVERRIDE;
    tresult PLUGIN_API canProcessSampleSize(int32 symbolicSampleSize) SMTG_OVERRIDE;
    uint32 PLUGIN_API getLatencySamples() SMTG_OVERRIDE;
    tresult PLUGIN_API setupProcessing(ProcessSetup& setup) SMTG_OVERRIDE;
    tresult PLUGIN_API process(ProcessData& data) SMTG_OVERRIDE;
    uint32 PLUGIN_API getTailSamples() SMTG_OVERRIDE;

    // IProgramListData: each factory program's data is the state the processor saves with it.
    tresult PLUGIN_API programDataSupported(ProgramListID listId) SMTG_OVERRIDE;
    tresult PLUGIN_API getProgramData(ProgramListID listId, int32 programIndex, IBStream* data) SMTG_OVERRIDE;
    tresult PLUGIN_API setProgramData(ProgramListID listId, int32 programIndex, IBStream* data) SMTG_OVERRIDE;

    OBJ_METHODS(Talvane, AudioEffect)
    DEFINE_INTERFACES
    DEF_INTERFACE(IProgramListData)
    END_DEFINE_INTERFACES(AudioEffect)
    REFCOUNT_METHODS(AudioEffect)

    // The single road by which a parameter value reaches the engine.
    void applyParameter(const ParamEvent& event);

    float parameterValue(talvane::ParamId id) const { return paramValues[id]; }
    uint32 hostSampleRate() const { return hostRate; }
    uint32 internalSampleRate() const { return internalRate; }
    float currentTempo() const { return engine.modulation.inputs.tempo; }
    int32 carryInSamples() const { return carryIn; }
    const talvane::SynthEngine& synthEngine() const { return engine; }
    talvane::SynthEngine& synthEngine() { return engine; }

    static constexpr int32 kLatencySamples = talvane::kRenderAheadSamples;

    // The sample rates setupProcessing accepts, in Hz: from far below telephone rates to far above the
    // highest studio rates. Through the whole range the output stays finite and within
    // kOutputBound.
    static constexpr double kLowestSampleRate = 1000.0;
    static constexpr double kHighestSampleRate = 2000000.0;
    // The longest stretch of a block rendered at once. The block buffers hold this much whatever
    // maxSamplesPerBlock a host asks for; longer blocks are rendered in pieces of this length (a
    // whole number of sub-blocks), which come out exactly as the same samples in shorter host blocks.
    static constexpr int32 kLongestRenderPiece = 8192;

protected:
    // A stretch of the host's block rendered in one go: [first, first + length). The first piece
    // also takes events before the block, the last those after it.
    struct BlockPiece
    {
        int32 first;
        int32 length;
        int32 blockLength; // the host's whole block
        bool isFirst;
        bool isLast;

        bool holds(int32 offset) const
        {
            return (isFirst || offset >= first) && (isLast || offset < first + length);
        }
        // An offset of the host's block as one of this piece (before it counts as its start).
        int32 local(int32 offset) const { return offset < first ? 0 : offset - first; }
        // The host's block from this piece's start on: what the note intake measures against.
        int32 remaining() const { return blockLength - first; }
    };

    void updateSampleRate(double rate);
    bool isProcessDataUsable(ProcessData& data) const;
    void renderPiece(ProcessData& data, const BlockPiece& piece);
    void takeParameterChanges(IParameterChanges& changes, const BlockPiece& piece);
    void takeNoteEvents(IEventList& events, const BlockPiece& piece);
    void dispatchEventsAt(int32 position);
    // A program change reached its sub-block: every parameter takes the program's value.
    void applyProgram(float programChangeValue);
    void readProcessContext(const ProcessContext& context);
    void trimVoicesAfterModeChange(bool wasLegato);
    void trimVoicesToPolyphony();
    void requeueUnappliedEvents();

    talvane::SynthEngine engine;
    // The programs a program change selects; built before the audio thread can need them.
    const talvane::presets::ProgramTable& programs;

    std::vector<ParamEvent> eventQueue;
    // Entry p is non-zero when a queued change may have timeline position p.
    talvane::AlignedBuffer<uint8> eventFlags;

    float paramValues[talvane::kNumParams] = {};

    uint32 hostRate = 0;
    uint32 internalRate = 0;
    float hostRateF = 0.0f;
    float internalRateF = 0.0f;

    // Internal samples rendered in one block for output in the next.
    float carryL[talvane::kOversampling * talvane::kRenderAheadSamples] = {};
    float carryR[talvane::kOversampling * talvane::kRenderAheadSamples] = {};
    int32 carryIn = talvane::kRenderAheadSamples;
    int32 carryOut = 0;
    int32 renderCount = 0;
    int32 blockPos = 0;
    int32 writeIndex = 0;

    int32 renderCapacity = 0; // host samples the block buffers hold: the longest piece rendered at once
    bool buffersDirty = false;
    bool setUp = false; // a setupProcessing has succeeded: the block buffers exist

    // Saved state (talvanestate.cpp). Hosts load states from their own thread while the processor
    // is active and processing, so loaded values then reach the engine through the hand-over, on
    // the audio thread, and states are saved from the values the audio thread publishes.
    void deliverLoadedState(const float* values, int count);
    // The parameter values as the host last saw them take effect (any thread).
    void currentParameterValues(float (&values)[talvane::kNumParams]);
    void applyPendingState();      // audio thread: at the start of process, before the first sub-block
    void publishParameterValues(); // audio thread: at the end of process

    talvane::ParameterHandOver stateHandOver;
    float pendingStateValues[talvane::kNumParams] = {}; // audio thread's copy of a taken hand-over
    std::atomic<bool> processingActive{false};
};

} // namespace Vst
} // namespace Steinberg
