// The instrument's audio processor component.
#pragma once

#include "sdk/audioeffect.h"
#include "source/params/paramids.h"
#include "source/processor/alignedbuffer.h"
#include "source/processor/parameterhandover.h"

#include <atomic>

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

class Talvane : public AudioEffect
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

    // The single road by which a parameter value reaches the engine.
    void applyParameter(const ParamEvent& event);

    float parameterValue(talvane::ParamId id) const { return paramValues[id]; }
    uint32 hostSampleRate() const { return hostRate; }
    uint32 internalSampleRate() const { return internalRate; }

    static constexpr int32 kLatencySamples = 16;
    static constexpr int32 kNumVoiceSlots = 20;

protected:
    void updateSampleRate(double rate);
    bool allocateBlockBuffers(int32 maxSamplesPerBlock);
    bool isProcessDataUsable(ProcessData& data) const;

    talvane::AlignedBuffer<float> mixL, mixR;
    talvane::AlignedBuffer<float> voiceOutL[kNumVoiceSlots], voiceOutR[kNumVoiceSlots];
    talvane::AlignedBuffer<uint8> eventFlags;

    float paramValues[talvane::kNumParams] = {};

    uint32 hostRate = 0;
    uint32 internalRate = 0;
    float hostRateF = 0.0f;
    float internalRateF = 0.0f;

    bool buffersDirty = false;
    bool setUp = false; // a setupProcessing has succeeded: the block buffers exist

    // Saved state (talvanestate.cpp). Hosts load states from their own thread while the processor
    // is active and processing, so loaded values then reach the engine through the hand-over, on
    // the audio thread, and states are saved from the values the audio thread publishes.
    void deliverLoadedState(const float* values, int count);
    void applyPendingState();      // audio thread: at the start of process, before the first sub-block
    void publishParameterValues(); // audio thread: at the end of process

    talvane::ParameterHandOver stateHandOver;
    float pendingStateValues[talvane::kNumParams] = {}; // audio thread's copy of a taken hand-over
    std::atomic<bool> processingActive{false};
};

} // namespace Vst
} // namespace Steinberg
