#include "lv2/lv2plugin.h"

#include "lv2/features.h"

#include "sdk/componentstate.h"
#include "sdk/midimessage.h"
#include "source/controller/midimapping.h"

#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace talvane::lv2 {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int32 kMidiChannels = 16;
constexpr double kSecondsPerMinute = 60.0;

} // namespace

Lv2Plugin* Lv2Plugin::create(IComponent* component, double sampleRate, const LV2_Feature* const* features)
{
    auto* plugin = new (std::nothrow) Lv2Plugin();
    if (!plugin)
    {
        if (component)
            component->release();
        return nullptr;
    }
    if (!plugin->setUp(component, sampleRate, features))
    {
        delete plugin;
        return nullptr;
    }
    return plugin;
}

bool Lv2Plugin::setUp(IComponent* created, double sampleRate, const LV2_Feature* const* features)
{
    component = owned(created);
    if (!component)
        return false;
    auto* map = static_cast<LV2_URID_Map*>(findFeature(features, LV2_URID__map));
    if (!map)
        return false;
    mapUrids(*map);
    readOptions(features);
    rate = sampleRate;

    hostContext = std::make_unique<HostApplication>();
    if (component->initialize(hostContext.get()) != kResultOk)
        return false;
    initialized = true;
    processor = FUnknownPtr<IAudioProcessor>(component.get());
    if (!processor || processor->canProcessSampleSize(kSample32) != kResultTrue)
        return false;
    component->activateBus(kAudio, kOutput, 0, true);
    component->activateBus(kEvent, kInput, 0, true);
    ProcessSetup setup{kRealtime, kSample32, maxBlock, rate};
    if (processor->setupProcessing(setup) != kResultOk)
        return false;
    latency = processor->getLatencySamples();

    for (ParamId id = 0; id < static_cast<ParamId>(kParameterPortCount); ++id)
        takenPortValues[id] = parameterPorts[id].defaultValue;
    collectMidiMapping();
    inputChanges = std::make_unique<FixedParameterChanges>(static_cast<int32>(kParameterPortCount),
                                                           kMaxPointsPerParameter);

    outputBus.numChannels = 2;
    outputBus.channelBuffers32 = outputPointers;
    processData.processMode = kRealtime;
    processData.symbolicSampleSize = kSample32;
    processData.numOutputs = 1;
    processData.outputs = &outputBus;
    processData.inputParameterChanges = inputChanges.get();
    processData.inputEvents = &inputEvents;
    processData.processContext = &processContext;
    return true;
}

Lv2Plugin::~Lv2Plugin()
{
    deactivate();
    if (initialized)
        component->terminate();
}

void Lv2Plugin::mapUrids(LV2_URID_Map& map)
{
    const auto m = [&map](const char* uri) { return map.map(map.handle, uri); };
    urids.atomBlank = m(LV2_ATOM__Blank);
    urids.atomChunk = m(LV2_ATOM__Chunk);
    urids.atomDouble = m(LV2_ATOM__Double);
    urids.atomFloat = m(LV2_ATOM__Float);
    urids.atomFrameTime = m(LV2_ATOM__frameTime);
    urids.atomInt = m(LV2_ATOM__Int);
    urids.atomLong = m(LV2_ATOM__Long);
    urids.atomObject = m(LV2_ATOM__Object);
    urids.atomSequence = m(LV2_ATOM__Sequence);
    urids.midiEvent = m(LV2_MIDI__MidiEvent);
    urids.timePosition = m(LV2_TIME__Position);
    urids.timeBeatUnit = m(LV2_TIME__beatUnit);
    urids.timeBeatsPerBar = m(LV2_TIME__beatsPerBar);
    urids.timeBeatsPerMinute = m(LV2_TIME__beatsPerMinute);
    urids.timeBeat = m(LV2_TIME__beat);
    urids.timeFrame = m(LV2_TIME__frame);
    urids.timeSpeed = m(LV2_TIME__speed);
    urids.maxBlockLength = m(LV2_BUF_SIZE__maxBlockLength);
    urids.stateKey = m(kStateKeyUri);
}

void Lv2Plugin::readOptions(const LV2_Feature* const* features)
{
    const auto* options = static_cast<const LV2_Options_Option*>(findFeature(features, LV2_OPTIONS__options));
    for (const LV2_Options_Option* o = options; o && o->key != 0; ++o)
        if (o->key == urids.maxBlockLength && o->type == urids.atomInt && o->size == sizeof(int32_t) && o->value)
        {
            const int32_t length = *static_cast<const int32_t*>(o->value);
            if (length > 0)
                maxBlock = std::min(length, kMaxBlockSize);
        }
}

void Lv2Plugin::collectMidiMapping()
{
    midiControllerTarget.assign(static_cast<std::size_t>(kMidiChannels * kCountCtrlNumber), -1);
    for (int16 channel = 0; channel < kMidiChannels; ++channel)
        for (CtrlNumber number = 0; number < kCountCtrlNumber; ++number)
        {
            ParamId id = 0;
            if (midiMappedParameter(0, channel, number, id) && isParameterPort(id))
                midiControllerTarget[static_cast<std::size_t>(channel * kCountCtrlNumber + number)] =
                    static_cast<int32>(id);
        }
}

void Lv2Plugin::connectPort(uint32_t port, void* data)
{
    if (isParameterPort(port))
        parameterBuffers[port] = static_cast<const float*>(data);
    else if (port == kEventsInPort)
        events = static_cast<const LV2_Atom_Sequence*>(data);
    else if (port == kLeftOutPort)
        left = static_cast<float*>(data);
    else if (port == kRightOutPort)
        right = static_cast<float*>(data);
    else if (port == kLatencyPort)
        latencyOut = static_cast<float*>(data);
}

void Lv2Plugin::activate()
{
    if (active)
        return;
    // LV2 wants an activated instance to start afresh; the processor keeps its voices over a
    // deactivation, so they are silenced in the first run (the first activation has none).
    historyToForget = everActive;
    everActive = true;
    component->setActive(true);
    processor->setProcessing(true); // kNotImplemented is a fine answer
    active = true;
}

void Lv2Plugin::deactivate()
{
    if (!active)
        return;
    processor->setProcessing(false);
    component->setActive(false);
    active = false;
}

void Lv2Plugin::run(uint32_t sampleCount)
{
    if (latencyOut)
        *latencyOut = static_cast<float>(latency);
    const auto frames = static_cast<int32>(std::min<uint32_t>(sampleCount, std::numeric_limits<int32>::max()));
    if (!left || !right)
        return;
    if (!active)
    {
        std::fill(left, left + frames, 0.0f);
        std::fill(right, right + frames, 0.0f);
        return;
    }
    runFrames = frames;
    inputChanges->clear();
    takePortChanges();
    if (historyToForget)
    {
        inputChanges->add(static_cast<int32>(kPanic), kPanic, 0, 1.0);
        historyToForget = false;
    }
    readTransport();
    // A run longer than the set-up block goes to the processor in pieces; a run of no frames still
    // delivers its changes.
    int32 start = 0;
    do
    {
        const int32 length = std::min(maxBlock, frames - start);
        renderPiece(start, length);
        start += length;
    } while (start < frames);
}

void Lv2Plugin::takePortChanges()
{
    for (ParamId id = 0; id < static_cast<ParamId>(kParameterPortCount); ++id)
    {
        const float* buffer = parameterBuffers[id];
        if (!buffer)
            continue;
        const float value = *buffer;
        if (value == takenPortValues[id])
            continue;
        double normalized = 0.0;
        if (!normalizedFromPortValue(parameterPorts[id], id, value, normalized))
            continue; // NaN: keep waiting for a real value
        takenPortValues[id] = value;
        inputChanges->add(static_cast<int32>(id), id, 0, normalized);
    }
}

void Lv2Plugin::readTransport()
{
    // The whole run is one block to the processor, so the last position of the run holds for it.
    if (events && events->atom.type == urids.atomSequence)
        LV2_ATOM_SEQUENCE_FOREACH(events, event)
        {
            if (event->body.type != urids.atomObject && event->body.type != urids.atomBlank)
                continue;
            const auto& object = reinterpret_cast<const LV2_Atom_Object&>(event->body);
            if (object.body.otype == urids.timePosition)
                readPosition(object);
        }
    fillProcessContext();
}

void Lv2Plugin::readPosition(const LV2_Atom_Object& position)
{
    const LV2_Atom* beatsPerMinute = nullptr;
    const LV2_Atom* beatsPerBar = nullptr;
    const LV2_Atom* beatUnit = nullptr;
    const LV2_Atom* speed = nullptr;
    const LV2_Atom* beat = nullptr;
    const LV2_Atom* frame = nullptr;
    lv2_atom_object_get(&position, urids.timeBeatsPerMinute, &beatsPerMinute, urids.timeBeatsPerBar, &beatsPerBar,
                        urids.timeBeatUnit, &beatUnit, urids.timeSpeed, &speed, urids.timeBeat, &beat,
                        urids.timeFrame, &frame, 0);
    // Hosts write these as floats, doubles, ints or longs.
    const auto number = [this](const LV2_Atom* atom, double& value) {
        if (!atom)
            return false;
        if (atom->type == urids.atomFloat && atom->size >= sizeof(float))
            value = reinterpret_cast<const LV2_Atom_Float*>(atom)->body;
        else if (atom->type == urids.atomDouble && atom->size >= sizeof(double))
            value = reinterpret_cast<const LV2_Atom_Double*>(atom)->body;
        else if (atom->type == urids.atomInt && atom->size >= sizeof(int32_t))
            value = reinterpret_cast<const LV2_Atom_Int*>(atom)->body;
        else if (atom->type == urids.atomLong && atom->size >= sizeof(int64_t))
            value = static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(atom)->body);
        else
            return false;
        return std::isfinite(value);
    };
    double value = 0.0;
    if (number(beatsPerMinute, value) && value > 0.0)
        transport.beatsPerMinute = value;
    if (number(beatsPerBar, value) && value > 0.0)
        transport.beatsPerBar = value;
    if (number(beatUnit, value) && value > 0.0)
        transport.beatUnit = value;
    if (number(speed, value))
        transport.speed = value;
    if (number(beat, value))
    {
        transport.beat = value;
        transport.beatKnown = true;
    }
    if (number(frame, value))
        transport.frame = static_cast<int64_t>(value);
}

void Lv2Plugin::fillProcessContext()
{
    processContext = ProcessContext{};
    processContext.sampleRate = rate;
    processContext.projectTimeSamples = transport.frame;
    if (transport.speed != 0.0)
        processContext.state |= ProcessContext::kPlaying;
    if (transport.beatsPerMinute > 0.0)
    {
        processContext.state |= ProcessContext::kTempoValid;
        processContext.tempo = transport.beatsPerMinute;
    }
    if (transport.beatsPerBar > 0.0 && transport.beatUnit > 0.0)
    {
        processContext.state |= ProcessContext::kTimeSigValid;
        processContext.timeSigNumerator = static_cast<int32>(transport.beatsPerBar);
        processContext.timeSigDenominator = static_cast<int32>(transport.beatUnit);
    }
    if (transport.beatKnown)
    {
        processContext.state |= ProcessContext::kProjectTimeMusicValid;
        processContext.projectTimeMusic = transport.beat;
    }
}

void Lv2Plugin::advanceTransport(int32 frames)
{
    // Hosts send a position when it changes other than by rolling on, so the plug-in rolls it on.
    if (transport.speed == 0.0)
        return;
    const double rolled = frames * transport.speed;
    transport.frame += static_cast<int64_t>(rolled);
    if (transport.beatKnown && transport.beatsPerMinute > 0.0)
        transport.beat += rolled / rate * transport.beatsPerMinute / kSecondsPerMinute;
    fillProcessContext();
}

void Lv2Plugin::queueEvents(int32 pieceStart, int32 pieceLength)
{
    if (!events || events->atom.type != urids.atomSequence)
        return;
    // Sequences in frames carry no unit or the frame-time unit; others cannot be placed.
    if (events->body.unit != 0 && events->body.unit != urids.atomFrameTime)
        return;
    const int32 pieceEnd = pieceStart + pieceLength;
    LV2_ATOM_SEQUENCE_FOREACH(events, event)
    {
        if (event->body.type != urids.midiEvent || event->body.size < 1)
            continue;
        // Events outside the run are held at its edges.
        const int64_t time = std::min<int64_t>(std::max<int64_t>(event->time.frames, 0), std::max(runFrames - 1, 0));
        if (time < pieceStart)
            continue;
        if (time >= pieceEnd && pieceLength > 0)
            break;
        const auto* bytes = reinterpret_cast<const uint8*>(LV2_ATOM_BODY_CONST(&event->body));
        const int32 length = MidiMessage::lengthOf(bytes[0]);
        if (length == 0 || event->body.size < static_cast<uint32_t>(length))
            continue;
        const MidiMessage message =
            MidiMessage::decode(bytes[0], length > 1 ? bytes[1] : 0, length > 2 ? bytes[2] : 0);
        const auto offset = static_cast<int32>(time) - pieceStart;
        Event note{};
        if (message.toNoteEvent(offset, note))
        {
            inputEvents.addEvent(note);
        }
        else if (message.kind == MidiMessage::Kind::Controller)
        {
            const int32 target = midiControllerTarget[static_cast<std::size_t>(
                message.channel * kCountCtrlNumber + message.controller)];
            if (target >= 0)
                inputChanges->add(target, static_cast<ParamID>(target), offset, message.value);
        }
    }
}

void Lv2Plugin::renderPiece(int32 start, int32 length)
{
    if (start > 0)
        inputChanges->clear(); // the port changes went with the first piece
    inputEvents.clear();
    queueEvents(start, length);
    outputPointers[0] = left + start;
    outputPointers[1] = right + start;
    outputBus.silenceFlags = 0;
    processData.numSamples = length;
    if (processor->process(processData) != kResultOk)
    {
        std::fill(outputPointers[0], outputPointers[0] + length, 0.0f);
        std::fill(outputPointers[1], outputPointers[1] + length, 0.0f);
    }
    advanceTransport(length);
}

LV2_State_Status Lv2Plugin::save(LV2_State_Store_Function store, LV2_State_Handle handle)
{
    if (!store)
        return LV2_STATE_ERR_UNKNOWN;
    std::vector<char> bytes;
    if (!saveComponentState(*component, bytes))
        return LV2_STATE_ERR_UNKNOWN;
    return store(handle, urids.stateKey, bytes.data(), bytes.size(), urids.atomChunk,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status Lv2Plugin::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
    if (!retrieve)
        return LV2_STATE_ERR_UNKNOWN;
    std::size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* data = retrieve(handle, urids.stateKey, &size, &type, &flags);
    if (!data)
        return LV2_STATE_ERR_NO_PROPERTY;
    if (type != urids.atomChunk)
        return LV2_STATE_ERR_BAD_TYPE;
    // The ports keep the values they have: one the host changes later is sent on then.
    return loadComponentState(*component, data, static_cast<int64>(size)) ? LV2_STATE_SUCCESS
                                                                          : LV2_STATE_ERR_UNKNOWN;
}

} // namespace talvane::lv2
