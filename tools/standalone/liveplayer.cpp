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
constexpr auto kPointsPerQueue = static_cast<int32>(kMaxMidiPerBuffer + kMaxEditsPerBuffer);
constexpr auto kEventsPerBuffer = static_cast<int32>(kMaxMidiPerBuffer + render::kMidiChannels * kKeys);
constexpr double kLiveTempo = 120.0;

std::size_t heldIndex(int channel, int key)
{
    return static_cast<std::size_t>(channel * kKeys + key);
}
} // namespace

LivePlayer::LivePlayer(render::PluginSession& sessionIn, double sampleRate, int32 maxFrames, EditQueue& editsIn,
                       EditQueue& controllerUpdatesIn)
    : session(sessionIn), controllers(sessionIn.controller()),
      changes(sessionIn.controller().getParameterCount(), kPointsPerQueue), events(kEventsPerBuffer),
      leftBlock(static_cast<std::size_t>(std::max(maxFrames, 1))), rightBlock(leftBlock.size()), edits(editsIn),
      controllerUpdates(controllerUpdatesIn)
{
    IEditController& controller = session.controller();
    for (int32 i = 0; i < controller.getParameterCount(); ++i)
    {
        ParameterInfo info{};
        if (controller.getParameterInfo(i, info) == kResultOk)
            slots.emplace_back(info.id, i);
    }
    std::sort(slots.begin(), slots.end());

    channels[0] = leftBlock.data();
    channels[1] = rightBlock.data();
    outputBus.numChannels = 2;
    outputBus.channelBuffers32 = channels;
    context.state = ProcessContext::kTempoValid | ProcessContext::kContTimeValid;
    context.sampleRate = sampleRate;
    context.tempo = kLiveTempo;
    data.processMode = kRealtime;
    data.symbolicSampleSize = kSample32;
    data.numOutputs = 1;
    data.outputs = &outputBus;
    data.inputParameterChanges = &changes;
    data.inputEvents = &events;
    data.processContext = &context;
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
    const auto maxFrames = static_cast<int32>(leftBlock.size());
    std::size_t next = 0;
    for (int32 start = 0; start < frames; start += maxFrames)
    {
        const int32 length = std::min(maxFrames, frames - start);
        for (; next < pendingCount && pending[next].offset < start + length; ++next)
            deliver(pending[next], std::max(pending[next].offset - start, 0));
        if (process(length))
        {
            std::memcpy(left + start, leftBlock.data(), sizeof(float) * static_cast<std::size_t>(length));
            std::memcpy(right + start, rightBlock.data(), sizeof(float) * static_cast<std::size_t>(length));
        }
        else
        {
            std::fill(left + start, left + start + length, 0.0f);
            std::fill(right + start, right + start + length, 0.0f);
        }
    }
    pendingCount = 0;
}

bool LivePlayer::process(int32 frames)
{
    data.numSamples = frames;
    const bool done = session.processor().process(data) == kResultOk;
    context.continousTimeSamples += frames;
    context.projectTimeSamples += frames;
    changes.clear();
    events.clear();
    return done;
}

void LivePlayer::addChange(ParamID id, int32 offset, ParamValue value)
{
    const auto found = std::lower_bound(slots.begin(), slots.end(), std::make_pair(id, int32{0}));
    if (found != slots.end() && found->first == id)
        changes.add(found->second, id, offset, value);
}

void LivePlayer::noteEvent(bool on, int32 offset, int channel, int key, float velocity)
{
    Event e{};
    e.sampleOffset = offset;
    if (on)
    {
        e.type = Event::kNoteOnEvent;
        e.noteOn = {static_cast<int16>(channel), static_cast<int16>(key), 0.0f, velocity, 0, -1};
    }
    else
    {
        e.type = Event::kNoteOffEvent;
        e.noteOff = {static_cast<int16>(channel), static_cast<int16>(key), velocity, -1, 0.0f};
    }
    events.addEvent(e);
}

void LivePlayer::takeEdits()
{
    ParameterEdit edit;
    for (std::size_t taken = 0; taken < kMaxEditsPerBuffer && edits.pop(edit); ++taken)
        addChange(edit.id, 0, edit.value);
}

void LivePlayer::releaseHeldNotes()
{
    for (int channel = 0; channel < render::kMidiChannels; ++channel)
        for (int key = 0; key < kKeys; ++key)
            if (held.test(heldIndex(channel, key)))
                noteEvent(false, 0, channel, key, 0.0f);
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
        noteEvent(true, offset, event->channel, event->key, event->velocity);
        break;
    case render::MidiEvent::Kind::NoteOff:
        held.reset(heldIndex(event->channel, event->key));
        noteEvent(false, offset, event->channel, event->key, event->velocity);
        break;
    case render::MidiEvent::Kind::Controller:
        if (const std::optional<ParamID> id = controllers.parameterFor(event->channel, event->controller))
        {
            addChange(*id, offset, event->value);
            controllerUpdates.push({*id, event->value});
        }
        break;
    }
}

} // namespace talvane::standalone
