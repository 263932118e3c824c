// The plug-in played live: what the audio callback does with a buffer. MIDI messages arrive with
// their frame offsets inside the buffer and reach the processor at those offsets (notes as events,
// mapped controllers as parameter changes); edits from the editor arrive through a queue and take
// effect at the buffer's start. Nothing here allocates or locks once it is made.
#pragma once

#include "tools/render/controllermap.h"
#include "tools/render/pluginsession.h"
#include "tools/standalone/spscqueue.h"

#include "host/plugininstance.h"
#include "sdk/fixedprocessdata.h"

#include <array>
#include <atomic>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace talvane::standalone {

struct ParameterEdit
{
    Steinberg::Vst::ParamID id = 0;
    Steinberg::Vst::ParamValue value = 0.0;
};

// Edits the editor makes, on their way to the processor.
using EditQueue = SpscQueue<ParameterEdit>;

// More MIDI messages than this in one buffer are dropped (a keyboard sends far fewer).
constexpr std::size_t kMaxMidiPerBuffer = 256;
// Edits beyond this many wait in their queue for the next buffer.
constexpr std::size_t kMaxEditsPerBuffer = 256;
// Room in the queues between the threads.
constexpr std::size_t kEditQueueCapacity = 4096;

class LivePlayer
{
public:
    // Sets the session's processor up for `sampleRate` and buffers of up to `maxFrames` (longer
    // ones are played in pieces). `edits` brings the editor's edits; controller values the MIDI
    // input moves are passed on through `controllerUpdates`, for the controller (and its editor)
    // to show. Throws RenderError when the processor refuses the set-up.
    LivePlayer(render::PluginSession& session, double sampleRate, Steinberg::int32 maxFrames, EditQueue& edits,
               EditQueue& controllerUpdates);
    ~LivePlayer();
    LivePlayer(const LivePlayer&) = delete;
    LivePlayer& operator=(const LivePlayer&) = delete;

    // Audio thread: one MIDI message at `offset` frames into the coming buffer. Offsets may come
    // in any order.
    void addMidi(Steinberg::int32 offset, const unsigned char* bytes, std::size_t size);
    // Audio thread: plays `frames` frames with the MIDI added since the last buffer.
    void render(float* left, float* right, Steinberg::int32 frames);

    // The processor's own latency in frames, which adds to the backend's.
    Steinberg::uint32 latencyFrames() const { return latency; }

    // Any thread: every sounding note is released at the start of the next buffer (a MIDI input
    // that went away cannot send its note-offs any more).
    void releaseAllNotes() { releaseRequested.store(true, std::memory_order_release); }

private:
    struct PendingMidi
    {
        Steinberg::int32 offset;
        std::uint8_t size;
        std::array<unsigned char, 3> bytes;
    };

    void takeEdits();
    void releaseHeldNotes();
    void deliver(const PendingMidi& message, Steinberg::int32 offset);
    void addChange(Steinberg::Vst::ParamID id, Steinberg::int32 offset, Steinberg::Vst::ParamValue value);
    void noteEvent(bool on, Steinberg::int32 offset, int channel, int key, float velocity);
    bool process(Steinberg::int32 frames);

    render::PluginSession& session;
    render::MidiControllerMap controllers;
    // The controller's parameters by ID, with their places in its list (the changes' slots).
    std::vector<std::pair<Steinberg::Vst::ParamID, Steinberg::int32>> slots;
    Steinberg::Vst::FixedParameterChanges changes;
    Steinberg::Vst::FixedEventList events;
    std::vector<float> leftBlock, rightBlock;
    float* channels[2];
    Steinberg::Vst::AudioBusBuffers outputBus{};
    Steinberg::Vst::ProcessContext context{};
    Steinberg::Vst::ProcessData data{};
    EditQueue& edits;
    EditQueue& controllerUpdates;
    std::array<PendingMidi, kMaxMidiPerBuffer> pending{};
    std::size_t pendingCount = 0;
    Steinberg::uint32 latency = 0;
    std::bitset<render::kMidiChannels * 128> held;
    std::atomic<bool> releaseRequested{false};
};

} // namespace talvane::standalone
