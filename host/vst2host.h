// A small VST 2 host for tests and tools: loads a module the way VST 2 hosts do (load the library,
// then VSTPluginMain or main with the host callback), drives the effect through its dispatcher and
// process calls, and records what the effect asks of the host.
#pragma once

#include "host/dynamiclibrary.h"
#include "sdk/vst2interface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace talvane::host {

class Vst2Host
{
public:
    using EntryFunction = AEffect* (*)(audioMasterCallback);

    // One call the effect made to the host callback.
    struct HostCall
    {
        int32_t opcode;
        int32_t index;
        VstIntPtr value;
        float opt;
        const AEffect* effect; // the effect record the call came with (null before there is one)
    };

    // A text an opcode wrote into a buffer of `capacity` bytes (see text()).
    struct Text
    {
        VstIntPtr result = 0;
        std::string text;
        bool terminated = false;  // a terminator within the capacity
        bool wroteBeyond = false; // a byte past the capacity was touched
    };

    Vst2Host() = default;
    ~Vst2Host() { unload(); }
    Vst2Host(const Vst2Host&) = delete;
    Vst2Host& operator=(const Vst2Host&) = delete;

    // Loads the library and calls the entry point `entryName`; false (see error()) when either is missing or the
    // entry point returns no effect.
    bool load(const std::string& path, const char* entryName = "VSTPluginMain");
    // Calls an entry point with this host's callback and takes the effect it returns.
    bool instantiate(EntryFunction entry);
    // effClose (if there is an effect), then unloads the library.
    void unload();
    void closeEffect();

    AEffect* effect() const { return fx; }
    const std::string& error() const { return lastError; }

    VstIntPtr dispatch(int32_t opcode, int32_t index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // effOpen, sample rate, block size and resume, as hosts start an effect.
    void start(float sampleRate, int32_t blockSize);
    void suspend() { dispatch(effMainsChanged, 0, 0); }

    // MIDI for the next process call.
    void midi(int32_t deltaFrames, uint8_t status, uint8_t data1, uint8_t data2);
    void noteOn(int32_t deltaFrames, uint8_t pitch, uint8_t velocity, uint8_t channel = 0);
    void noteOff(int32_t deltaFrames, uint8_t pitch, uint8_t channel = 0);
    void controlChange(int32_t deltaFrames, uint8_t controller, uint8_t value, uint8_t channel = 0);
    void pitchBend(int32_t deltaFrames, int32_t position14Bit, uint8_t channel = 0);

    // Sends the queued MIDI (effProcessEvents), then renders `frames` with processReplacing (or the
    // accumulating process) into left/right, and appends them to renderedLeft/renderedRight.
    void process(int32_t frames, bool accumulate = false);
    void sendQueuedMidi();

    std::vector<uint8_t> getChunk();
    VstIntPtr setChunk(const std::vector<uint8_t>& bytes);
    VstIntPtr setChunk(const void* data, VstIntPtr size);

    // Runs a text opcode (names, labels, displays, strings) on a buffer that has `capacity` bytes
    // for the effect and a guard zone behind them.
    Text text(int32_t opcode, int32_t index, std::size_t capacity);

    // The host's answers.
    VstIntPtr versionAnswer = kVstVersion;
    VstIntPtr sizeWindowAnswer = 1;
    bool provideTime = true;
    double tempo = 120.0;
    std::string productString = "Talvane test host";

    std::vector<HostCall> calls; // every callback, in order (time queries included)
    int callsOf(int32_t opcode) const;
    const HostCall* lastCallOf(int32_t opcode) const;

    std::vector<float> left, right;
    std::vector<float> renderedLeft, renderedRight;
    bool keepRendered = true;

    static VstIntPtr callback(AEffect* effect, int opcode, int index, VstIntPtr value, void* ptr, float opt);

private:
    VstIntPtr answer(const AEffect* effect, int32_t opcode, int32_t index, VstIntPtr value, void* ptr,
                     float opt);

    DynamicLibrary library;
    AEffect* fx = nullptr;
    std::string lastError;
    float rate = 44100.0f;
    VstTimeInfo timeInfo{};
    std::vector<VstMidiEvent> queuedMidi;
};

} // namespace talvane::host
