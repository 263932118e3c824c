#include "host/vst2host.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace talvane::host {

namespace {

// The host whose entry-point call is under way: the effect calls back before its record is
// returned, when the record's user field cannot point at the host yet.
thread_local Vst2Host* instantiatingHost = nullptr;

constexpr uint8_t kNoteOnStatus = 0x90;
constexpr uint8_t kNoteOffStatus = 0x80;
constexpr uint8_t kControlChangeStatus = 0xB0;
constexpr uint8_t kPitchBendStatus = 0xE0;
constexpr int kDataBits = 7;
constexpr int32_t kDataMask = 0x7F;
constexpr char kGuardByte = 0x5A;
constexpr std::size_t kGuardBytes = 256;
// Hosts' product names fit the smallest buffer effects give for them.
constexpr std::size_t kProductStringBytes = 64;

} // namespace

bool Vst2Host::load(const std::string& path, const char* entryName)
{
    unload();
    if (!library.open(path, lastError))
        return false;
    auto entry = reinterpret_cast<EntryFunction>(library.symbol(entryName));
    if (!entry)
    {
        lastError = path + " exports no " + entryName;
        unload();
        return false;
    }
    return instantiate(entry);
}

bool Vst2Host::instantiate(EntryFunction entry)
{
    closeEffect();
    Vst2Host* outer = instantiatingHost;
    instantiatingHost = this;
    fx = entry(&Vst2Host::callback);
    instantiatingHost = outer;
    if (!fx)
    {
        lastError = "the entry point returned no effect";
        return false;
    }
    if (fx->magic != kEffectMagic)
    {
        lastError = "the effect record has the wrong magic number";
        fx = nullptr;
        return false;
    }
    fx->user = this;
    return true;
}

void Vst2Host::closeEffect()
{
    if (fx)
        fx->dispatcher(fx, effClose, 0, 0, nullptr, 0.0f);
    fx = nullptr;
}

void Vst2Host::unload()
{
    closeEffect();
    library.close();
}

VstIntPtr Vst2Host::dispatch(int32_t opcode, int32_t index, VstIntPtr value, void* ptr, float opt)
{
    return fx ? fx->dispatcher(fx, opcode, index, value, ptr, opt) : 0;
}

void Vst2Host::start(float sampleRate, int32_t blockSize)
{
    rate = sampleRate;
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effMainsChanged, 0, 1);
}

void Vst2Host::midi(int32_t deltaFrames, uint8_t status, uint8_t data1, uint8_t data2)
{
    VstMidiEvent e{};
    e.type = kVstMidiType;
    e.byteSize = sizeof(VstMidiEvent);
    e.deltaFrames = deltaFrames;
    e.midiData[0] = status;
    e.midiData[1] = data1;
    e.midiData[2] = data2;
    queuedMidi.push_back(e);
}

void Vst2Host::noteOn(int32_t deltaFrames, uint8_t pitch, uint8_t velocity, uint8_t channel)
{
    midi(deltaFrames, static_cast<uint8_t>(kNoteOnStatus | channel), pitch, velocity);
}

void Vst2Host::noteOff(int32_t deltaFrames, uint8_t pitch, uint8_t channel)
{
    midi(deltaFrames, static_cast<uint8_t>(kNoteOffStatus | channel), pitch, 0);
}

void Vst2Host::controlChange(int32_t deltaFrames, uint8_t controller, uint8_t value, uint8_t channel)
{
    midi(deltaFrames, static_cast<uint8_t>(kControlChangeStatus | channel), controller, value);
}

void Vst2Host::pitchBend(int32_t deltaFrames, int32_t position14Bit, uint8_t channel)
{
    midi(deltaFrames, static_cast<uint8_t>(kPitchBendStatus | channel),
         static_cast<uint8_t>(position14Bit & kDataMask),
         static_cast<uint8_t>((position14Bit >> kDataBits) & kDataMask));
}

void Vst2Host::sendQueuedMidi()
{
    if (queuedMidi.empty())
        return;
    // VstEvents ends in an array of event pointers of the count's length.
    std::vector<char> storage(sizeof(VstEvents) + queuedMidi.size() * sizeof(VstEvent*));
    auto* events = reinterpret_cast<VstEvents*>(storage.data());
    events->numEvents = static_cast<int>(queuedMidi.size());
    for (std::size_t i = 0; i < queuedMidi.size(); ++i)
        events->events[i] = reinterpret_cast<VstEvent*>(&queuedMidi[i]);
    dispatch(effProcessEvents, 0, 0, events);
    queuedMidi.clear();
}

void Vst2Host::process(int32_t frames, bool accumulate)
{
    sendQueuedMidi();
    const auto count = static_cast<std::size_t>(std::max(frames, 0));
    left.assign(count, 0.0f);
    right.assign(count, 0.0f);
    float* outputs[2] = {left.data(), right.data()};
    if (accumulate)
        fx->process(fx, nullptr, outputs, frames);
    else
        fx->processReplacing(fx, nullptr, outputs, frames);
    timeInfo.samplePos += frames;
    if (keepRendered)
    {
        renderedLeft.insert(renderedLeft.end(), left.begin(), left.end());
        renderedRight.insert(renderedRight.end(), right.begin(), right.end());
    }
}

std::vector<uint8_t> Vst2Host::getChunk()
{
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data)
        return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

VstIntPtr Vst2Host::setChunk(const std::vector<uint8_t>& bytes)
{
    // A copy, so that an effect reading past the end is caught by the sanitizer.
    std::vector<uint8_t> copy(bytes);
    return setChunk(copy.empty() ? nullptr : copy.data(), static_cast<VstIntPtr>(copy.size()));
}

VstIntPtr Vst2Host::setChunk(const void* data, VstIntPtr size)
{
    return dispatch(effSetChunk, 0, size, const_cast<void*>(data));
}

Vst2Host::Text Vst2Host::text(int32_t opcode, int32_t index, std::size_t capacity)
{
    std::vector<char> buffer(capacity + kGuardBytes, kGuardByte);
    Text result;
    result.result = dispatch(opcode, index, 0, buffer.data());
    const auto terminator =
        std::find(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(capacity), 0);
    result.terminated = terminator != buffer.begin() + static_cast<std::ptrdiff_t>(capacity);
    result.text.assign(buffer.begin(), terminator);
    result.wroteBeyond = std::any_of(buffer.begin() + static_cast<std::ptrdiff_t>(capacity), buffer.end(),
                                     [](char c) { return c != kGuardByte; });
    return result;
}

int Vst2Host::callsOf(int32_t opcode) const
{
    return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                          [opcode](const HostCall& c) { return c.opcode == opcode; }));
}

const Vst2Host::HostCall* Vst2Host::lastCallOf(int32_t opcode) const
{
    for (auto it = calls.rbegin(); it != calls.rend(); ++it)
        if (it->opcode == opcode)
            return &*it;
    return nullptr;
}

VstIntPtr Vst2Host::callback(AEffect* effect, int opcode, int index, VstIntPtr value, void* ptr, float opt)
{
    Vst2Host* host = effect && effect->user ? static_cast<Vst2Host*>(effect->user) : instantiatingHost;
    return host ? host->answer(effect, opcode, index, value, ptr, opt) : 0;
}

VstIntPtr Vst2Host::answer(const AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                           float opt)
{
    calls.push_back({opcode, index, value, opt, effect});
    switch (opcode)
    {
    case audioMasterVersion:
        return versionAnswer;
    case audioMasterGetTime:
        if (!provideTime)
            return 0;
        timeInfo.sampleRate = rate;
        timeInfo.tempo = tempo;
        timeInfo.flags = kVstTempoValid;
        return reinterpret_cast<VstIntPtr>(&timeInfo);
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(rate);
    case audioMasterSizeWindow:
        return sizeWindowAnswer;
    case audioMasterGetProductString:
        if (ptr)
            std::snprintf(static_cast<char*>(ptr), kProductStringBytes, "%s", productString.c_str());
        return ptr ? 1 : 0;
    default:
        return 0;
    }
}

} // namespace talvane::host
