// The JACK backend: audio and MIDI come in one process callback, MIDI with its frame offsets, so
// notes land on the sample they were played at (one buffer later).
#include "tools/standalone/audiobackend.h"
#include "tools/standalone/liveplayer.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

namespace talvane::standalone {

namespace {

constexpr const char* kClientName = "talvane";

void quiet(const char* /*message*/) {}

// The names jack_get_ports answers, freed with it.
std::vector<std::string> portNames(jack_client_t* client, const char* type, unsigned long flags)
{
    std::vector<std::string> names;
    if (const char** ports = jack_get_ports(client, nullptr, type, flags))
    {
        for (const char** port = ports; *port; ++port)
            names.emplace_back(*port);
        jack_free(ports);
    }
    return names;
}

jack_client_t* openClient(const char* name)
{
    // libjack reports a missing server on stderr in several lines of its own; the tool says it in one.
    jack_set_error_function(quiet);
    jack_set_info_function(quiet);
    jack_status_t status{};
    jack_client_t* client = jack_client_open(name, JackNoStartServer, &status);
    if (!client)
        throw BackendError(status & JackServerFailed ? "no JACK server is running (start one, or use --audio alsa)"
                                                     : "cannot connect to the JACK server");
    return client;
}

class JackBackend final : public AudioBackend
{
public:
    explicit JackBackend(const AudioRequest& requestIn) : request(requestIn), client(openClient(kClientName))
    {
        left = jack_port_register(client, "out_left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        right = jack_port_register(client, "out_right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        midi = jack_port_register(client, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        if (!left || !right || !midi)
        {
            jack_client_close(client);
            throw BackendError("cannot make the JACK client's ports");
        }
        if (request.bufferFrames != 0 && request.bufferFrames != jack_get_buffer_size(client) &&
            jack_set_buffer_size(client, request.bufferFrames) != 0)
            note("the JACK server keeps its buffer of " + std::to_string(jack_get_buffer_size(client)) +
                 " frames");
        if (request.sampleRate != 0 && request.sampleRate != jack_get_sample_rate(client))
            note("the JACK server runs at " + std::to_string(jack_get_sample_rate(client)) +
                 " Hz; --rate applies to ALSA devices");
        jack_set_process_callback(client, &JackBackend::onProcess, this);
        jack_set_xrun_callback(client, &JackBackend::onXrun, this);
        jack_set_port_connect_callback(client, &JackBackend::onConnect, this);
        jack_on_info_shutdown(client, &JackBackend::onShutdown, this);
    }

    ~JackBackend() override
    {
        stop();
        jack_client_close(client);
    }

    double sampleRate() const override { return jack_get_sample_rate(client); }
    std::uint32_t bufferFrames() const override { return jack_get_buffer_size(client); }

    void start(LivePlayer& playerIn) override
    {
        const std::vector<std::string> sources =
            request.midiPort.empty()
                ? portNames(client, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput | JackPortIsPhysical)
                : std::vector<std::string>{request.midiPort};
        if (!request.midiPort.empty() && !jack_port_by_name(client, request.midiPort.c_str()))
            throw BackendError("there is no JACK MIDI port \"" + request.midiPort +
                               "\" (talvane --list-devices lists them)");
        player.store(&playerIn, std::memory_order_release);
        if (jack_activate(client) != 0)
            throw BackendError("the JACK server refuses to run the client");
        active = true;
        try
        {
            connectPorts(sources);
        }
        catch (const BackendError&)
        {
            stop(); // the player is not called once start has failed
            throw;
        }
    }

    void stop() override
    {
        if (!active)
            return;
        stopping = true;
        jack_deactivate(client);
        active = false;
        player.store(nullptr, std::memory_order_release);
    }

    std::string deviceName() const override { return "JACK " + device; }

    std::uint32_t latencyFrames() const override
    {
        // A message is read at the start of the cycle after it came, then goes out behind the
        // system's playback port (whose latency the server knows at once, unlike ours, which it
        // works out after connecting).
        jack_latency_range_t range{};
        if (playback)
            jack_port_get_latency_range(playback, JackPlaybackLatency, &range);
        return bufferFrames() + range.max;
    }

    std::vector<std::string> takeNotices() override
    {
        std::lock_guard<std::mutex> lock(noticeMutex);
        std::vector<std::string> taken;
        taken.swap(notices);
        return taken;
    }
    bool failed() const override { return serverGone.load(); }
    std::uint64_t xruns() const override { return xrunCount.load(); }

private:
    // The outputs to the system's first two playback ports, the MIDI sources to the input.
    void connectPorts(const std::vector<std::string>& sources)
    {
        const std::vector<std::string> outputs =
            portNames(client, JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput | JackPortIsPhysical);
        if (!outputs.empty())
            playback = jack_port_by_name(client, outputs[0].c_str());
        if (outputs.size() >= 2)
        {
            jack_connect(client, jack_port_name(left), outputs[0].c_str());
            jack_connect(client, jack_port_name(right), outputs[1].c_str());
            device = outputs[0] + ", " + outputs[1];
        }
        else if (outputs.size() == 1)
        {
            jack_connect(client, jack_port_name(left), outputs[0].c_str());
            device = outputs[0];
        }
        else
        {
            device = std::string(jack_get_client_name(client)) + " (not connected)";
        }
        for (const std::string& source : sources)
            if (jack_connect(client, source.c_str(), jack_port_name(midi)) != 0 && !request.midiPort.empty())
                throw BackendError("cannot connect the MIDI port \"" + source + "\"");
    }

    void note(const std::string& line)
    {
        std::lock_guard<std::mutex> lock(noticeMutex);
        notices.push_back(line);
    }

    static int onProcess(jack_nframes_t frames, void* self)
    {
        auto& backend = *static_cast<JackBackend*>(self);
        auto* left = static_cast<float*>(jack_port_get_buffer(backend.left, frames));
        auto* right = static_cast<float*>(jack_port_get_buffer(backend.right, frames));
        LivePlayer* player = backend.player.load(std::memory_order_acquire);
        if (!player)
        {
            std::fill(left, left + frames, 0.0f);
            std::fill(right, right + frames, 0.0f);
            return 0;
        }
        void* midiBuffer = jack_port_get_buffer(backend.midi, frames);
        const jack_nframes_t count = jack_midi_get_event_count(midiBuffer);
        for (jack_nframes_t i = 0; i < count; ++i)
        {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, midiBuffer, i) == 0)
                player->addMidi(static_cast<Steinberg::int32>(event.time), event.buffer, event.size);
        }
        player->render(left, right, static_cast<Steinberg::int32>(frames));
        return 0;
    }

    static int onXrun(void* self)
    {
        ++static_cast<JackBackend*>(self)->xrunCount;
        return 0;
    }

    // A MIDI source that goes away (its program ends, a keyboard is unplugged) is disconnected by
    // the server first: its held notes end, and the player plays on.
    static void onConnect(jack_port_id_t a, jack_port_id_t b, int connected, void* self)
    {
        auto& backend = *static_cast<JackBackend*>(self);
        if (connected || backend.stopping)
            return;
        jack_port_t* source = jack_port_by_id(backend.client, a);
        jack_port_t* destination = jack_port_by_id(backend.client, b);
        if (destination != backend.midi)
            return;
        if (LivePlayer* player = backend.player.load(std::memory_order_acquire))
            player->releaseAllNotes();
        backend.note(std::string("the MIDI port \"") + (source ? jack_port_name(source) : "?") +
                     "\" went away; playing on");
    }

    static void onShutdown(jack_status_t /*code*/, const char* reason, void* self)
    {
        auto& backend = *static_cast<JackBackend*>(self);
        backend.note(std::string("the JACK server stopped") + (reason && *reason ? std::string(": ") + reason : ""));
        backend.serverGone = true;
    }

    AudioRequest request;
    jack_client_t* client;
    jack_port_t* left = nullptr;
    jack_port_t* right = nullptr;
    jack_port_t* midi = nullptr;
    jack_port_t* playback = nullptr; // the system's port the left output feeds
    std::atomic<LivePlayer*> player{nullptr};
    std::atomic<std::uint64_t> xrunCount{0};
    std::atomic<bool> serverGone{false};
    std::atomic<bool> stopping{false};
    bool active = false;
    std::string device;
    std::mutex noticeMutex;
    std::vector<std::string> notices;
};

} // namespace

std::unique_ptr<AudioBackend> openJack(const AudioRequest& request)
{
    return std::make_unique<JackBackend>(request);
}

std::string listJackDevices()
{
    jack_client_t* client = openClient("talvane-list");
    std::string text = "JACK audio outputs:\n";
    for (const std::string& name : portNames(client, JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput | JackPortIsPhysical))
        text += "  " + name + "\n";
    text += "JACK MIDI inputs (for --midi):\n";
    for (const std::string& name : portNames(client, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput))
        text += "  " + name + "\n";
    jack_client_close(client);
    return text;
}

} // namespace talvane::standalone
