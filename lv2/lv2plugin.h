// The instrument as an LV2 plug-in: the VST 3 processor component behind LV2's ports, driven
// through the VST 3 interfaces alone (IComponent, IAudioProcessor), as a host would drive it.
//
// It translates:
//  - the parameter control ports (port i = parameter i) into parameter changes at the start of a
//    run, for each port whose value differs from the one last taken;
//  - the event port's MIDI into note events and, through the instrument's MIDI mapping, parameter
//    changes, each at its frame; its time:Position objects into the process context's tempo,
//    time signature and transport;
//  - run() into IAudioProcessor::process, in pieces of at most the block size the processor is set
//    up for;
//  - the state extension into the processor's saved state (the same bytes a VST 3 host saves).
//
// Threads as LV2 defines them: run() is the audio thread and never allocates or locks; everything
// it fills is reserved when the instance is made. Instantiation, activation and the state calls
// come from other threads and never overlap run().
#pragma once

#include "lv2/parameterports.h"
#include "lv2/portlayout.h"
#include "sdk/fixedprocessdata.h"

#include "pluginterfaces/base/smartpointer.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <memory>
#include <vector>

namespace Steinberg {
namespace Vst {
class HostApplication;
} // namespace Vst
} // namespace Steinberg

namespace talvane::lv2 {

class Lv2Plugin
{
public:
    // Largest block the processor is set up for when the host names none; longer runs are
    // processed in pieces.
    static constexpr Steinberg::int32 kDefaultBlockSize = 4096;
    static constexpr Steinberg::int32 kMaxBlockSize = 16384;
    // MIDI events taken per piece; further ones in the same piece are dropped.
    static constexpr Steinberg::int32 kMaxEventsPerPiece = 2048;
    // Points one parameter may carry within one piece (see FixedParamValueQueue for the overflow).
    static constexpr Steinberg::int32 kMaxPointsPerParameter = 128;

    // Takes over `component` (one reference), initialises it and sets it up for `sampleRate` and
    // the host's largest block (buf-size's maxBlockLength, when the host passes options). Null when
    // the host lacks urid:map or the component refuses (a sample rate it cannot run at, say).
    static Lv2Plugin* create(Steinberg::Vst::IComponent* component, double sampleRate,
                             const LV2_Feature* const* features);
    ~Lv2Plugin();
    Lv2Plugin(const Lv2Plugin&) = delete;
    Lv2Plugin& operator=(const Lv2Plugin&) = delete;

    void connectPort(uint32_t port, void* data);
    void activate();
    void deactivate();
    void run(uint32_t sampleCount);

    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    Steinberg::int32 blockSize() const { return maxBlock; }

private:
    struct Urids
    {
        LV2_URID atomBlank, atomChunk, atomDouble, atomFloat, atomFrameTime, atomInt, atomLong, atomObject,
            atomSequence;
        LV2_URID midiEvent;
        LV2_URID timePosition, timeBeatUnit, timeBeatsPerBar, timeBeatsPerMinute, timeBeat, timeFrame,
            timeSpeed;
        LV2_URID maxBlockLength;
        LV2_URID stateKey;
    };

    // What the host's time:Position objects have told so far.
    struct Transport
    {
        double beatsPerMinute = 0.0; // 0: not told
        double beatsPerBar = 0.0;
        double beatUnit = 0.0;
        double speed = 0.0;
        double beat = 0.0;
        bool beatKnown = false;
        int64_t frame = 0;
    };

    Lv2Plugin() = default;
    bool setUp(Steinberg::Vst::IComponent* component, double sampleRate, const LV2_Feature* const* features);
    void mapUrids(LV2_URID_Map& map);
    void readOptions(const LV2_Feature* const* features);
    void collectMidiMapping();

    void takePortChanges();
    void readTransport();
    void readPosition(const LV2_Atom_Object& position);
    void fillProcessContext();
    void advanceTransport(Steinberg::int32 frames);
    void queueEvents(Steinberg::int32 pieceStart, Steinberg::int32 pieceLength);
    void renderPiece(Steinberg::int32 start, Steinberg::int32 length);

    Urids urids{};
    double rate = 0.0;
    Steinberg::int32 maxBlock = kDefaultBlockSize;

    std::unique_ptr<Steinberg::Vst::HostApplication> hostContext;
    Steinberg::IPtr<Steinberg::Vst::IComponent> component;
    Steinberg::IPtr<Steinberg::Vst::IAudioProcessor> processor; // the same object's processing side
    bool initialized = false;
    bool active = false;
    bool everActive = false;
    bool historyToForget = false; // reactivated: the next run silences what played before
    uint32_t latency = 0;

    ParameterPorts parameterPorts;
    const float* parameterBuffers[kParameterPortCount] = {};
    // The port values the processor last took; a port is sent on when its value differs.
    float takenPortValues[kParameterPortCount] = {};
    const LV2_Atom_Sequence* events = nullptr;
    float* left = nullptr;
    float* right = nullptr;
    float* latencyOut = nullptr;

    // [channel * kCountCtrlNumber + controller]: the parameter a MIDI controller drives, or -1.
    std::vector<Steinberg::int32> midiControllerTarget;

    Transport transport;
    Steinberg::int32 runFrames = 0; // of the run being processed
    std::unique_ptr<Steinberg::Vst::FixedParameterChanges> inputChanges;
    Steinberg::Vst::FixedEventList inputEvents{kMaxEventsPerPiece};
    Steinberg::Vst::ProcessContext processContext{};
    Steinberg::Vst::ProcessData processData{};
    Steinberg::Vst::AudioBusBuffers outputBus{};
    float* outputPointers[2] = {};
};

} // namespace talvane::lv2
