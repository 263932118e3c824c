#include "tools/standalone/liveplayer.h"

#include "tools/render/rendererror.h"

#include <algorithm>
#include <cstring>

namespace talvane::standalone {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
constexpr int kKeys = 128;
// The processor's parameters and its program change, each with a point per MIDI message or edit
// a buffer may bring.
constexpr std::size_t kParameterQueues = 256;
constexpr std::size_t kEventsPerBuffer = kMaxMidiPerBuffer + render::kMidiChannels * kKeys;
constexpr double kLiveTempo = 120.0;

std::size_t heldIndex(int channel, int key)
{
    return static_cast<std::size_t>(channel * kKeys + key);
}
} // namespace

LivePlayer::LivePlayer(render::PluginSession& sessionIn, double sampleRate, int32 maxFrames, EditQueue& editsIn,
                       EditQueue& controllerUpdatesIn)
    : session(sessionIn), runner(&sessionIn.processor(), maxFrames, sampleRate),
      controllers(sessionIn.controller()), edits(editsIn), controllerUpdates(controllerUpdatesIn)
{
    runner.keepRendered = false;
    runner.context.tempo = kLiveTempo;
    runner.parameterChanges.reserve(kParameterQueues, kMaxMidiPerBuffer + kMaxEditsPerBuffer);
    runner.events.reserve(kEventsPerBuffer);
    if (session.plugin().setup(sampleRate, maxFrames) != kResultOk)
        throw render::RenderError("the plug-in refuses to play at " + std::to_string(sampleRate) + " Hz");
    latency = session.processor().getLatencySamples();
}

LivePlayer::~LivePlayer()
{
    session.plugin().stop();
}

void LivePlayer::addMidi(int32 offset, const unsigned char* bytes, std::size_t size)
{
    if (pendingCount == pending.size() || size == 0)
        return;
    PendingMidi message{std::max(offset, 0), static_cast<std::uint8_t>(std::min<std::size_t>(size, 3)), {}};
    std::memcpy(message.bytes.data(), bytes, message.size);
    // Kept in offset order; messages at one offset stay in arrival order.
    std::size_t at = pendingCount;
    while (at > 0 && pending[at - 1].offset > message.offset)
    {
        pending[at] = pending[at - 1];
        --at;
    }
    pending[at] = message;
    ++pendingCount;
}

void LivePlayer::render(float* left, float* right, int32 frames)
{
    takeEdits();
    if (releaseRequested.exchange(false, std::memory_order_acq_rel))
        releaseHeldNotes();
    const auto maxFrames = static_cast<int32>(runner.left.size());
    std::size_t next = 0;
    for (int32 start = 0; start < frames; start += maxFrames)
    {
        const int32 length = std::min(maxFrames, frames - start);
        for (; next < pendingCount && pending[next].offset < start + length; ++next)
            deliver(pending[next], std::max(pending[next].offset - start, 0));
        if (runner.process(length) == kResultOk)
        {
            std::memcpy(left + start, runner.left.data(), sizeof(float) * static_cast<std::size_t>(length));
            std::memcpy(right + start, runner.right.data(), sizeof(float) * static_cast<std::size_t>(length));
        }
        else
        {
            std::fill(left + start, left + start + length, 0.0f);
            std::fill(right + start, right + start + length, 0.0f);
        }
    }
    pendingCount = 0;
}

void LivePlayer::takeEdits()
{
    ParameterEdit edit;
    for (std::size_t taken = 0; taken < kMaxEditsPerBuffer && edits.pop(edit); ++taken)
        runner.parameterChanges.add(edit.id, 0, edit.value);
}

void LivePlayer::releaseHeldNotes()
{
    for (int channel = 0; channel < render::kMidiChannels; ++channel)
        for (int key = 0; key < kKeys; ++key)
            if (held.test(heldIndex(channel, key)))
                runner.events.noteOff(0, static_cast<int16>(key), -1, static_cast<int16>(channel));
    held.reset();
}

void LivePlayer::deliver(const PendingMidi& message, int32 offset)
{
    const std::optional<render::MidiEvent> event = render::decodeChannelMessage(message.bytes.data(), message.size);
    if (!event || event->key < 0 || event->key >= kKeys)
        return;
    switch (event->kind)
    {
    case render::MidiEvent::Kind::NoteOn:
        held.set(heldIndex(event->channel, event->key));
        runner.events.noteOn(offset, static_cast<int16>(event->key), event->velocity, -1,
                             static_cast<int16>(event->channel));
        break;
    case render::MidiEvent::Kind::NoteOff:
        held.reset(heldIndex(event->channel, event->key));
        runner.events.noteOff(offset, static_cast<int16>(event->key), -1, static_cast<int16>(event->channel),
                              event->velocity);
        break;
    case render::MidiEvent::Kind::Controller:
        if (const std::optional<ParamID> id = controllers.parameterFor(event->channel, event->controller))
        {
            runner.parameterChanges.add(*id, offset, event->value);
            controllerUpdates.push({*id, event->value});
        }
        break;
    }
}

} // namespace talvane::standalone
