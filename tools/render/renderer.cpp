#include "tools/render/renderer.h"

#include "tools/render/controllermap.h"
#include "tools/render/eventschedule.h"
#include "tools/render/rendererror.h"
#include "tools/render/tempomap.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace talvane::render {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr double kMicrosPerSecond = 1.0e6;

void fillContext(ProcessContext& context, const MidiPerformance& performance, std::int64_t blockStart,
                 double sampleRate)
{
    const MusicalPosition position =
        musicalPositionAt(performance.tempos, static_cast<double>(blockStart) / sampleRate);
    context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kTimeSigValid |
                    ProcessContext::kProjectTimeMusicValid | ProcessContext::kBarPositionValid |
                    ProcessContext::kContTimeValid | ProcessContext::kSystemTimeValid;
    context.sampleRate = sampleRate;
    context.projectTimeSamples = blockStart;
    context.continousTimeSamples = blockStart;
    context.systemTime = static_cast<int64>(static_cast<double>(blockStart) / sampleRate * kMicrosPerSecond);
    context.tempo = position.beatsPerMinute;
    context.projectTimeMusic = position.quarters;
    context.barPositionMusic = position.barStartQuarters;
    context.timeSigNumerator = position.numerator;
    context.timeSigDenominator = position.denominator;
}

void measure(const float* samples, int32 count, RenderResult& result)
{
    for (int32 i = 0; i < count; ++i)
    {
        if (std::isfinite(samples[i]))
            result.peak = std::max(result.peak, std::fabs(samples[i]));
        else
            ++result.nonFiniteSamples;
    }
}

} // namespace

std::int64_t renderedFrames(const MidiPerformance& performance, const RenderOptions& options)
{
    return static_cast<std::int64_t>(
        std::ceil((performance.endSeconds + options.tailSeconds) * options.sampleRate));
}

RenderResult renderPerformance(PluginSession& session, const MidiPerformance& performance,
                               const RenderOptions& options, AudioSink& sink, const RenderProgress& progress)
{
    if (session.plugin().setup(options.sampleRate, options.blockSize) != kResultOk)
        throw RenderError("the plug-in refuses to process at " + std::to_string(options.sampleRate) +
                          " Hz in blocks of " + std::to_string(options.blockSize));
    RenderResult result;
    result.latency = session.processor().getLatencySamples();
    result.frames = renderedFrames(performance, options);
    const std::int64_t total = result.frames + result.latency;

    const std::vector<TimedEvent> events = scheduleEvents(performance, options.sampleRate);
    BlockCursor cursor(events);
    const MidiControllerMap controllers(session.controller());
    host::AudioProcessRunner runner(&session.processor(), options.blockSize, options.sampleRate);
    runner.keepRendered = false;

    for (std::int64_t start = 0; start < total; start += options.blockSize)
    {
        const auto length = static_cast<int32>(std::min<std::int64_t>(options.blockSize, total - start));
        cursor.forEachIn(start, length, [&](const MidiEvent& e, int32 offset) {
            switch (e.kind)
            {
            case MidiEvent::Kind::NoteOn:
                runner.events.noteOn(offset, static_cast<int16>(e.key), e.velocity, e.noteId,
                                     static_cast<int16>(e.channel));
                break;
            case MidiEvent::Kind::NoteOff:
                runner.events.noteOff(offset, static_cast<int16>(e.key), e.noteId,
                                      static_cast<int16>(e.channel), e.velocity);
                break;
            case MidiEvent::Kind::Controller:
                if (const std::optional<ParamID> id = controllers.parameterFor(e.channel, e.controller))
                {
                    runner.parameterChanges.add(*id, offset, e.value);
                    session.controller().setParamNormalized(*id, e.value);
                }
                else
                {
                    ++result.ignoredControllerEvents;
                }
                break;
            }
        });
        fillContext(runner.context, performance, start, options.sampleRate);
        if (runner.process(length) != kResultOk)
            throw RenderError("the plug-in failed to process the block at sample " + std::to_string(start));

        // The first `latency` samples come before the performance's time zero.
        const std::int64_t skip = std::clamp<std::int64_t>(result.latency - start, 0, length);
        const auto kept = static_cast<int32>(length - skip);
        if (kept > 0)
        {
            sink.write(runner.left.data() + skip, runner.right.data() + skip, kept);
            measure(runner.left.data() + skip, kept, result);
            measure(runner.right.data() + skip, kept, result);
        }
        if (progress && !progress(start + length, total))
            throw RenderError("interrupted");
    }
    session.plugin().stop();
    return result;
}

} // namespace talvane::render
