// The render loop: a performance played through the plug-in block by block, as a host plays a
// track on export, with the plug-in's latency compensated so the output lines up with the notes.
#pragma once

#include "tools/render/midiperformance.h"
#include "tools/render/pluginsession.h"

#include <cstdint>
#include <functional>

namespace talvane::render {

struct RenderOptions
{
    double sampleRate = 44100.0;
    Steinberg::int32 blockSize = 512;
    double tailSeconds = 2.0; // rendered after the last note or controller event
};

struct RenderResult
{
    std::int64_t frames = 0;
    float peak = 0.0f;                 // largest finite magnitude in either channel
    std::int64_t nonFiniteSamples = 0; // NaN or infinite samples in either channel
    int ignoredControllerEvents = 0;   // controllers the plug-in maps to no parameter
    Steinberg::uint32 latency = 0;     // samples dropped from the start
};

// Receives the rendered audio in order, one block at a time.
class AudioSink
{
public:
    virtual ~AudioSink() = default;
    virtual void write(const float* left, const float* right, Steinberg::int32 frames) = 0;
};

// Told the frames done so far and the total after each block; answering false stops the render
// (renderPerformance then throws RenderError).
using RenderProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

// Frames of output for the performance: through its last event and the tail.
std::int64_t renderedFrames(const MidiPerformance& performance, const RenderOptions& options);

// Sets the session's processor up, renders, and stops it again. Notes go into the event list at
// their sample offsets; controllers the controller maps (IMidiMapping) become parameter changes at
// theirs, and the controller is told the values; each block's process context carries the tempo,
// time signature and position from the performance's tempo map. Throws RenderError.
RenderResult renderPerformance(PluginSession& session, const MidiPerformance& performance,
                               const RenderOptions& options, AudioSink& sink,
                               const RenderProgress& progress = {});

} // namespace talvane::render
