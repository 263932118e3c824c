// The ALSA backend: audio through RtAudio's ALSA API, MIDI from the ALSA sequencer through RtMidi
// (hardware MIDI devices appear there too). MIDI arrives on RtMidi's thread: each message is
// stamped with its arrival time and queued; the next audio buffer places it at the same distance
// from the buffer's start as it came after the previous buffer's, which keeps the timing between
// notes and costs one buffer of latency.
#include "tools/standalone/arrivaltiming.h"
#include "tools/standalone/audiobackend.h"
#include "tools/standalone/liveplayer.h"
#include "tools/standalone/spscqueue.h"

#include <RtAudio.h>
#include <RtMidi.h>
#include <alsa/asoundlib.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>

#include <unistd.h>

namespace talvane::standalone {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kClientName = "talvane";
constexpr std::size_t kMidiQueueCapacity = 1024;
constexpr auto kPortCheckInterval = std::chrono::seconds(1);

struct StampedMidi
{
    Clock::time_point arrival;
    std::uint8_t size;
    std::array<unsigned char, 3> bytes;
};

// One opened MIDI input and the queue its messages take to the audio thread.
struct MidiInput
{
    explicit MidiInput(const std::string& portName) : name(portName), queue(kMidiQueueCapacity) {}

    std::string name;
    SpscQueue<StampedMidi> queue;
    std::unique_ptr<RtMidiIn> in;
};

void onMidi(double /*delta*/, std::vector<unsigned char>* message, void* userData)
{
    if (!message || message->empty() || message->size() > 3)
        return; // system exclusive and the like: nothing the instrument takes
    StampedMidi stamped{Clock::now(), static_cast<std::uint8_t>(message->size()), {}};
    std::memcpy(stamped.bytes.data(), message->data(), message->size());
    static_cast<MidiInput*>(userData)->queue.push(stamped);
}

// alsa-lib reports each step of a failed open on stderr; the program says it in one line of its own.
void quietAlsa(const char* /*file*/, int /*line*/, const char* /*function*/, int /*error*/, const char* /*format*/, ...)
{
}

void silenceAlsa()
{
    snd_lib_error_set_handler(quietAlsa);
}

constexpr const char* kSequencerDevice = "/dev/snd/seq";

void ignoreMidiError(RtMidiError::Type /*type*/, const std::string& /*text*/, void* /*userData*/) {}

std::vector<std::string> midiPortNames(RtMidiIn& in)
{
    std::vector<std::string> names;
    for (unsigned i = 0; i < in.getPortCount(); ++i)
        names.push_back(in.getPortName(i));
    return names;
}

std::unique_ptr<RtMidiIn> makeMidiIn(const std::string& name)
{
    // RtMidi would print its own report before it throws.
    if (access(kSequencerDevice, R_OK | W_OK) != 0)
        throw BackendError(std::string("there is no ALSA sequencer to take MIDI from (") + kSequencerDevice + ")");
    try
    {
        auto in = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, name);
        in->setErrorCallback(ignoreMidiError);
        return in;
    }
    catch (const RtMidiError& e)
    {
        throw BackendError("cannot use the ALSA sequencer: " + e.getMessage());
    }
}

// Names as ALSA gives them are "client:port client:port-number"; a user may name the first part.
bool portMatches(const std::string& portName, const std::string& wanted)
{
    return portName == wanted || portName.rfind(wanted, 0) == 0;
}

class AlsaBackend final : public AudioBackend
{
public:
    explicit AlsaBackend(const AudioRequest& requestIn)
        : request(requestIn), audio((silenceAlsa(), RtAudio::LINUX_ALSA))
    {
        audio.showWarnings(false);
        unsigned frames = request.bufferFrames ? request.bufferFrames : kDefaultBufferFrames;
        RtAudio::StreamParameters output;
        output.nChannels = 2;
        RtAudio::StreamOptions options;
        options.flags = RTAUDIO_NONINTERLEAVED | RTAUDIO_SCHEDULE_REALTIME;
        options.streamName = kClientName;
        if (request.device.empty())
        {
            options.flags |= RTAUDIO_ALSA_USE_DEFAULT;
            device = "default";
        }
        else
        {
            output.deviceId = deviceId(request.device);
        }
        try
        {
            audio.openStream(&output, nullptr, RTAUDIO_FLOAT32, request.sampleRate ? request.sampleRate : kDefaultSampleRate,
                             &frames, &AlsaBackend::onAudio, this, &options);
        }
        catch (const RtAudioError& e)
        {
            throw BackendError("cannot open the ALSA device " + device + " (busy or missing?): " + e.getMessage());
        }
        buffer = frames;
        rate = audio.getStreamSampleRate();
    }

    ~AlsaBackend() override
    {
        stop();
        if (audio.isStreamOpen())
            audio.closeStream();
    }

    double sampleRate() const override { return rate; }
    std::uint32_t bufferFrames() const override { return buffer; }

    void start(LivePlayer& playerIn) override
    {
        openMidiInputs();
        player.store(&playerIn, std::memory_order_release);
        try
        {
            audio.startStream();
        }
        catch (const RtAudioError& e)
        {
            throw BackendError("the ALSA device " + device + " does not start: " + e.getMessage());
        }
        lastPortCheck = Clock::now();
    }

    void stop() override
    {
        for (auto& input : inputs)
            if (input->in)
                input->in->closePort();
        if (audio.isStreamRunning())
            audio.stopStream();
        player.store(nullptr, std::memory_order_release);
    }

    std::string deviceName() const override { return "ALSA " + device; }

    std::uint32_t latencyFrames() const override
    {
        // The stream's own latency, and the buffer a MIDI message waits for.
        return buffer + static_cast<std::uint32_t>(std::max(const_cast<RtAudio&>(audio).getStreamLatency(), 0L));
    }

    std::vector<std::string> takeNotices() override
    {
        std::vector<std::string> notices;
        notices.swap(pendingNotices);
        if (Clock::now() - lastPortCheck < kPortCheckInterval || inputs.empty())
            return notices;
        lastPortCheck = Clock::now();
        const std::vector<std::string> present = midiPortNames(*watcher);
        for (auto& input : inputs)
            if (input->in && std::find(present.begin(), present.end(), input->name) == present.end())
            {
                notices.push_back("the MIDI port \"" + input->name + "\" went away; playing on");
                input->in->closePort();
                input->in.reset();
                if (LivePlayer* p = player.load())
                    p->releaseAllNotes();
            }
        return notices;
    }
    // RtAudio reports a device that fails while running on its own thread without a way back here;
    // the stream then stops and the player is silent.
    bool failed() const override { return false; }
    std::uint64_t xruns() const override { return xrunCount.load(); }

private:
    unsigned deviceId(const std::string& name)
    {
        const unsigned count = audio.getDeviceCount();
        for (unsigned i = 0; i < count; ++i)
        {
            const RtAudio::DeviceInfo info = audio.getDeviceInfo(i);
            if (info.probed && info.outputChannels >= 2 && info.name.find(name) != std::string::npos)
            {
                device = info.name;
                return i;
            }
        }
        throw BackendError("there is no ALSA audio device \"" + name + "\" (talvane --list-devices lists them)");
    }

    void openMidiInputs()
    {
        try
        {
            watcher = makeMidiIn(std::string(kClientName) + " watch");
        }
        catch (const BackendError& e)
        {
            // Without a port asked for, the sound still plays (the editor's keys aside, silently).
            if (!request.midiPort.empty())
                throw;
            pendingNotices.push_back(std::string(e.what()) + "; playing without MIDI input");
            return;
        }
        const std::vector<std::string> names = midiPortNames(*watcher);
        for (unsigned i = 0; i < names.size(); ++i)
        {
            // Its own ports and the sequencer's announcements are no instrument input.
            if (names[i].rfind(kClientName, 0) == 0 || names[i].rfind("System:", 0) == 0 ||
                names[i].rfind("Midi Through", 0) == 0)
                continue;
            if (!request.midiPort.empty() && !portMatches(names[i], request.midiPort))
                continue;
            auto input = std::make_unique<MidiInput>(names[i]);
            input->in = makeMidiIn(kClientName);
            input->in->ignoreTypes(true, true, true);
            input->in->setCallback(onMidi, input.get());
            input->in->openPort(i, "midi_in");
            inputs.push_back(std::move(input));
        }
        if (!request.midiPort.empty() && inputs.empty())
            throw BackendError("there is no ALSA MIDI port \"" + request.midiPort +
                               "\" (talvane --list-devices lists them)");
    }

    static int onAudio(void* outputBuffer, void* /*inputBuffer*/, unsigned frames, double /*streamTime*/,
                       RtAudioStreamStatus status, void* self)
    {
        auto& backend = *static_cast<AlsaBackend*>(self);
        auto* left = static_cast<float*>(outputBuffer);
        float* right = left + frames;
        if (status & RTAUDIO_OUTPUT_UNDERFLOW)
            ++backend.xrunCount;
        LivePlayer* player = backend.player.load(std::memory_order_acquire);
        if (!player)
        {
            std::fill(left, left + 2 * frames, 0.0f);
            return 0;
        }
        const Clock::time_point now = Clock::now();
        const std::chrono::duration<double> period(frames / backend.rate);
        const Clock::time_point previous =
            backend.previousBuffer == Clock::time_point() ? now - std::chrono::duration_cast<Clock::duration>(period)
                                                          : backend.previousBuffer;
        backend.previousBuffer = now;
        for (auto& input : backend.inputs)
        {
            StampedMidi message;
            while (input->queue.pop(message))
            {
                player->addMidi(arrivalOffset(message.arrival, previous, backend.rate, static_cast<std::int32_t>(frames)),
                                message.bytes.data(), message.size);
            }
        }
        player->render(left, right, static_cast<Steinberg::int32>(frames));
        return 0;
    }

    AudioRequest request;
    RtAudio audio;
    std::string device;
    double rate = 0.0;
    std::uint32_t buffer = 0;
    std::unique_ptr<RtMidiIn> watcher;
    std::vector<std::unique_ptr<MidiInput>> inputs;
    std::vector<std::string> pendingNotices;
    std::atomic<LivePlayer*> player{nullptr};
    std::atomic<std::uint64_t> xrunCount{0};
    Clock::time_point previousBuffer{};
    Clock::time_point lastPortCheck{};
};

} // namespace

std::unique_ptr<AudioBackend> openAlsa(const AudioRequest& request)
{
    return std::make_unique<AlsaBackend>(request);
}

std::string listAlsaDevices()
{
    std::string text = "ALSA audio outputs (for --device):\n";
    silenceAlsa();
    RtAudio audio(RtAudio::LINUX_ALSA);
    audio.showWarnings(false);
    const unsigned count = audio.getDeviceCount();
    for (unsigned i = 0; i < count; ++i)
    {
        const RtAudio::DeviceInfo info = audio.getDeviceInfo(i);
        if (info.probed && info.outputChannels >= 2)
            text += "  " + info.name + "\n";
    }
    text += "ALSA MIDI inputs (for --midi):\n";
    try
    {
        std::unique_ptr<RtMidiIn> in = makeMidiIn(std::string(kClientName) + " list");
        for (const std::string& name : midiPortNames(*in))
            text += "  " + name + "\n";
    }
    catch (const BackendError& e)
    {
        text += std::string("  (") + e.what() + ")\n";
    }
    return text;
}

} // namespace talvane::standalone
