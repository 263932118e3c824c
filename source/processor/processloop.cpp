// The block loop: frames host blocks of any length into 16-sample sub-blocks rendered one
// sub-block ahead, and schedules parameter changes on the same timeline.
#include "source/engine/denormalguard.h"
#include "source/params/paramtable.h"
#include "source/presets/programs.h"
#include "source/processor/referenceguard.h"
#include "source/processor/talvane.h"

#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Steinberg {
namespace Vst {

namespace {
constexpr int32 kSubBlock = talvane::kSubBlockSamples;

int32 clampOffset(int32 offset, int32 numSamples)
{
    return std::min(std::max(offset, 0), std::max(numSamples - 1, 0));
}

bool hasStereoOutput(const ProcessData& data)
{
    if (!data.outputs || data.numOutputs < 1)
        return false;
    const AudioBusBuffers& out = data.outputs[0];
    return out.numChannels >= 2 && out.channelBuffers32 && out.channelBuffers32[0] && out.channelBuffers32[1];
}

// What a host's note event may carry, made safe before the engine sees it. The tuning (cents) is
// held within the whole note range up or down, +-12,700 cents, and NaN counts as 0: every pitch
// computed from it stays finite. The velocity is held to 0..1, as the interfaces define it, and
// NaN counts as 0 (the softest note).
constexpr float kWidestTuningCents = 12700.0f;

float sanitizedTuning(float cents)
{
    return std::isnan(cents) ? 0.0f : std::min(std::max(cents, -kWidestTuningCents), kWidestTuningCents);
}

float sanitizedVelocity(float velocity)
{
    return std::isnan(velocity) ? 0.0f : std::min(std::max(velocity, 0.0f), 1.0f);
}
} // namespace

bool Talvane::isProcessDataUsable(ProcessData& data) const
{
    if (talvane::isNullReference(data) || data.numSamples < 0 || data.numSamples > processSetup.maxSamplesPerBlock)
        return false;
    // A call without samples only delivers parameter changes (hosts send them so while the
    // transport stands still): it needs no outputs, and writes none.
    return data.numSamples == 0 || hasStereoOutput(data);
}

tresult PLUGIN_API Talvane::process(ProcessData& data)
{
    if (!setUp)
        return kNotInitialized;
    if (!isProcessDataUsable(data))
        return kInvalidArgument;
    talvane::DenormalGuard denormalGuard;
    applyPendingState(); // a state loaded while active reaches the engine before any sub-block

    // A block longer than the buffers is rendered in pieces, each a whole number of sub-blocks
    // except the last; each piece takes the parameter changes and notes that fall in it.
    const int32 n = data.numSamples;
    for (int32 first = 0;; first += renderCapacity)
    {
        const int32 length = std::min(n - first, renderCapacity);
        const bool isLast = length == n - first;
        renderPiece(data, {first, length, n, first == 0, isLast});
        if (isLast)
            break;
    }
    publishParameterValues(); // what getState saves while the processor is active
    return kResultOk;
}

void Talvane::renderPiece(ProcessData& data, const BlockPiece& piece)
{
    const int32 n = piece.length;
    const int32 h = carryIn;
    // Whole-length clears are only needed after a set-up; otherwise the part a block uses suffices,
    // since nothing beyond it is ever written.
    carryOut = kSubBlock - ((n - h) & (kSubBlock - 1));
    renderCount = carryOut - h + n;
    const int32 usedInternal = talvane::kOversampling * (n + carryOut);
    engine.clearMix(usedInternal);
    if (buffersDirty)
    {
        engine.clearAllVoiceBuffers();
        eventFlags.clear();
        buffersDirty = false;
    }
    if (h > 0)
    {
        std::copy(carryL, carryL + talvane::kOversampling * h, engine.mixLeft());
        std::copy(carryR, carryR + talvane::kOversampling * h, engine.mixRight());
    }
    if (data.inputParameterChanges)
        takeParameterChanges(*data.inputParameterChanges, piece);
    if (data.inputEvents)
        takeNoteEvents(*data.inputEvents, piece);
    if (data.processContext && piece.isFirst)
        readProcessContext(*data.processContext);
    engine.beginBlock(talvane::kOversampling * h);

    if (renderCount == 0)
        for (int32 s = 0; s < n; ++s)
            if (eventFlags[h + s])
                dispatchEventsAt(h + s);
    for (blockPos = h; blockPos < h + renderCount; blockPos += kSubBlock)
    {
        for (int32 i = 0; i < kSubBlock; ++i)
            if (eventFlags[blockPos + i])
                dispatchEventsAt(blockPos + i);
        writeIndex = talvane::kOversampling * blockPos;
        engine.renderSubBlock(writeIndex);
    }

    engine.mixVoices(talvane::kOversampling * h, usedInternal);
    const int32 carriedInternal = talvane::kOversampling * carryOut;
    std::copy(engine.mixLeft() + talvane::kOversampling * n,
              engine.mixLeft() + talvane::kOversampling * n + carriedInternal, carryL);
    std::copy(engine.mixRight() + talvane::kOversampling * n,
              engine.mixRight() + talvane::kOversampling * n + carriedInternal, carryR);
    requeueUnappliedEvents();

    if (n > 0)
        engine.decimate(data.outputs[0].channelBuffers32[0] + piece.first,
                        data.outputs[0].channelBuffers32[1] + piece.first, n);
    carryIn = carryOut;
}

void Talvane::requeueUnappliedEvents()
{
    // Changes beyond the rendered range apply at the next block's first sub-block, in queue order.
    eventFlags.clear();
    if (eventQueue.empty())
        return;
    for (ParamEvent& event : eventQueue)
        event.position = carryOut;
    eventFlags[carryOut] = 1;
}

void Talvane::takeParameterChanges(IParameterChanges& changes, const BlockPiece& piece)
{
    const int32 count = changes.getParameterCount();
    if (count <= 0)
        return;
    const bool wasLegato = engine.noteMode == talvane::NoteMode::Legato;
    int32 lastNoteModeOffset = -1;
    int32 lastPolyphonyOffset = -1;
    bool noteModeTouched = false;
    bool polyphonyTouched = false;

    for (int32 q = 0; q < count; ++q)
    {
        IParamValueQueue* queue = changes.getParameterData(q);
        if (!queue)
            continue;
        const ParamID id = queue->getParameterId();
        const int32 points = queue->getPointCount();
        for (int32 j = 0; j < points; ++j)
        {
            int32 offset = 0;
            ParamValue value = 0.0;
            if (queue->getPoint(j, offset, value) != kResultOk || !piece.holds(offset))
                continue;
            // Only values a saved state can hold get in: NaN is dropped, the rest clamped.
            if (std::isnan(value))
                continue;
            value = std::min(std::max(value, 0.0), 1.0);
            if (id == talvane::kPanic)
            {
                engine.resetAllVoices();
                continue;
            }
            offset = clampOffset(piece.local(offset), piece.length);
            const int32 position = carryIn + offset;
            eventFlags[position] = 1;
            const ParamEvent event{static_cast<float>(value), static_cast<int32>(id), position};
            // Note mode and polyphony act at intake, not at their position: the latest point wins.
            if (id == talvane::kNoteMode)
            {
                noteModeTouched = true;
                if (offset > lastNoteModeOffset)
                {
                    applyParameter(event);
                    lastNoteModeOffset = offset;
                }
            }
            else if (id == talvane::kPolyphony)
            {
                polyphonyTouched = true;
                if (offset > lastPolyphonyOffset)
                {
                    applyParameter(event);
                    lastPolyphonyOffset = offset;
                }
            }
            else
            {
                eventQueue.push_back(event);
            }
        }
    }
    if (noteModeTouched)
        trimVoicesAfterModeChange(wasLegato);
    if (polyphonyTouched)
        trimVoicesToPolyphony();
}

void Talvane::trimVoicesAfterModeChange(bool wasLegato)
{
    const talvane::NoteMode mode = engine.noteMode;
    // Leaving Legato ends the held note, whose note-off was ignored.
    if (mode != talvane::NoteMode::Legato && wasLegato && engine.hasOrderedVoice())
        engine.stopOldestVoice();
    if (mode == talvane::NoteMode::Mono || mode == talvane::NoteMode::Legato)
    {
        // Only the most recent voice remains.
        for (int k = engine.orderedVoiceCount(); k > 1; --k)
            engine.stopOldestVoice();
    }
}

void Talvane::trimVoicesToPolyphony()
{
    for (int k = engine.orderedVoiceCount(); k > engine.polyphony; --k)
        engine.stopOldestVoice();
}

void Talvane::dispatchEventsAt(int32 position)
{
    // Records at one position apply in arrival order.
    auto due = [position](const ParamEvent& event) { return event.position == position; };
    for (const ParamEvent& event : eventQueue)
        if (due(event))
        {
            if (event.id == static_cast<int32>(talvane::presets::kProgramChangeId))
                applyProgram(event.value);
            else
                applyParameter(event);
        }
    eventQueue.erase(std::remove_if(eventQueue.begin(), eventQueue.end(), due), eventQueue.end());
}

void Talvane::applyProgram(float programChangeValue)
{
    const int index = talvane::presets::programIndexFromNormalized(programChangeValue, programs.count());
    const talvane::presets::SoundValues& values = programs.at(index).values;
    const bool wasLegato = engine.noteMode == talvane::NoteMode::Legato;
    // As a loaded state does: every value at once, in ID order.
    for (int32 id = 0; id < talvane::kNumParams; ++id)
        applyParameter({values[static_cast<std::size_t>(id)], id, blockPos});
    // The new note mode and voice limit take the voices already playing along, as at intake.
    trimVoicesAfterModeChange(wasLegato);
    trimVoicesToPolyphony();
}

void Talvane::takeNoteEvents(IEventList& events, const BlockPiece& piece)
{
    const int32 count = events.getEventCount();
    for (int32 i = 0; i < count; ++i)
    {
        Event e{};
        if (events.getEvent(i, e) != kResultOk || !piece.holds(e.sampleOffset))
            continue;
        talvane::NoteEvent note;
        note.sampleOffset = piece.local(e.sampleOffset);
        if (e.type == Event::kNoteOnEvent)
        {
            note.on = true;
            note.channel = e.noteOn.channel;
            note.pitch = e.noteOn.pitch;
            note.tuning = sanitizedTuning(e.noteOn.tuning);
            note.velocity = sanitizedVelocity(e.noteOn.velocity);
            note.noteId = e.noteOn.noteId;
        }
        else if (e.type == Event::kNoteOffEvent)
        {
            note.on = false;
            note.channel = e.noteOff.channel;
            note.pitch = e.noteOff.pitch;
            note.tuning = sanitizedTuning(e.noteOff.tuning);
            note.velocity = sanitizedVelocity(e.noteOff.velocity);
            note.noteId = e.noteOff.noteId;
        }
        else
        {
            continue;
        }
        // A note near the end of the host's block is placed as in the whole block, not the piece.
        engine.noteIntake(note, carryIn, piece.remaining());
    }
}

void Talvane::readProcessContext(const ProcessContext& context)
{
    // A rate outside the accepted range is ignored rather than taken.
    const bool usableRate = context.sampleRate >= kLowestSampleRate && context.sampleRate <= kHighestSampleRate;
    if (usableRate && context.sampleRate != static_cast<double>(hostRateF))
        updateSampleRate(context.sampleRate);
    if ((context.state & ProcessContext::kTempoValid) && std::isfinite(context.tempo) && context.tempo > 0.0)
        engine.modulation.inputs.tempo = static_cast<float>(context.tempo);
}

} // namespace Vst
} // namespace Steinberg
