// Where the live player's sound goes and its MIDI comes from: a JACK client or an ALSA device. A
// backend opens everything on the main thread, then calls the player from its audio thread; the
// main thread asks it now and then for what happened meanwhile.
#pragma once

#include "tools/render/rendererror.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace talvane::standalone {

class LivePlayer;

// One line saying why audio or MIDI cannot go on.
class BackendError : public render::RenderError
{
public:
    using RenderError::RenderError;
};

struct AudioRequest
{
    unsigned sampleRate = 0; // 0: the server's or the device's own
    unsigned bufferFrames = 0; // 0: the server's, or kDefaultBufferFrames for a device
    std::string device;      // ALSA: the audio device; empty for the default
    std::string midiPort;    // empty: every MIDI input there is
};

constexpr unsigned kDefaultSampleRate = 48000;
constexpr unsigned kDefaultBufferFrames = 256;

class AudioBackend
{
public:
    virtual ~AudioBackend() = default;

    // Rate and buffer as the backend got them, known once it is made.
    virtual double sampleRate() const = 0;
    virtual std::uint32_t bufferFrames() const = 0;
    // Starts calling `player` from the audio thread and connects the MIDI inputs; throws
    // BackendError (a MIDI port that does not exist, a device that will not start).
    virtual void start(LivePlayer& player) = 0;
    // Stops the audio thread; the player is no longer called.
    virtual void stop() = 0;

    // After start: what the start line says.
    virtual std::string deviceName() const = 0;
    // Frames from a MIDI message's arrival to its sound at the output, as far as the backend knows.
    virtual std::uint32_t latencyFrames() const = 0;

    // Main thread: lines to tell the user (a MIDI port that went away), and whether playing must
    // end (the server went away: the reason is among the lines).
    virtual std::vector<std::string> takeNotices() = 0;
    virtual bool failed() const = 0;
    virtual std::uint64_t xruns() const = 0;
};

// The JACK client "talvane" with two audio outputs and a MIDI input, connected to the system's
// playback ports and to every MIDI source (or the one named). Throws BackendError when no server
// runs.
std::unique_ptr<AudioBackend> openJack(const AudioRequest& request);
// An ALSA audio device through RtAudio, with MIDI from the ALSA sequencer through RtMidi.
std::unique_ptr<AudioBackend> openAlsa(const AudioRequest& request);

// What --list-devices prints for each system: audio outputs and MIDI inputs.
std::string listJackDevices();
std::string listAlsaDevices();

} // namespace talvane::standalone
