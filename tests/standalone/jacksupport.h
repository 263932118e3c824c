// Support for the tests that play talvane through a JACK server of their own: a `jackd` with the
// dummy driver under a name no other test uses, the program run as a child with its messages kept,
// and test clients that play MIDI into it and record what it plays, frame for frame on the server's
// timeline.
#pragma once

#include <jack/jack.h>
#include <jack/midiport.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace talvane::testing {

using Clock = std::chrono::steady_clock;

constexpr unsigned kJackRate = 48000;
constexpr unsigned kJackPeriod = 512;

inline void quietJack(const char*) {}

// Sets an environment variable for the test's life.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char* nameIn, const std::string& value) : name(nameIn)
    {
        if (const char* previous = std::getenv(name))
        {
            hadPrevious = true;
            saved = previous;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment()
    {
        if (hadPrevious)
            setenv(name, saved.c_str(), 1);
        else
            unsetenv(name);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name;
    std::string saved;
    bool hadPrevious = false;
};

// A child process with its standard error kept in a file.
class ChildProcess
{
public:
    ChildProcess(const std::vector<std::string>& args, const std::string& errorFile) : messages(errorFile)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<std::string> copies = args;
        std::vector<char*> argv;
        for (std::string& arg : copies)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildProcess()
    {
        if (pid > 0)
        {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid > 0; }
    std::string errorText() const
    {
        std::ifstream in(messages);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    // Waits for `text` in its messages; false when it exits or the time is up first.
    bool waitForMessage(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        const auto end = Clock::now() + timeout;
        while (Clock::now() < end)
        {
            if (errorText().find(text) != std::string::npos)
                return true;
            if (exited())
                return errorText().find(text) != std::string::npos;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    void signal(int number)
    {
        if (pid > 0)
            kill(pid, number);
    }
    // The exit status (a signal that ended it counts as 128 + its number); -1 when the time is up.
    int wait(std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        const auto end = Clock::now() + timeout;
        while (Clock::now() < end)
        {
            if (exited())
                return status;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

private:
    bool exited()
    {
        if (pid <= 0)
            return true;
        int raw = 0;
        if (waitpid(pid, &raw, WNOHANG) != pid)
            return false;
        status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        pid = -1;
        return true;
    }

    std::string messages;
    pid_t pid = -1;
    int status = -1;
};

// `jackd -d dummy` under a name of its own, which JACK_DEFAULT_SERVER points this process and its
// children at while it runs.
class DummyJackServer
{
public:
    explicit DummyJackServer(const std::string& logFile)
        : name("talvane-test-" + std::to_string(getpid()) + "-" + std::to_string(++count)),
          environment("JACK_DEFAULT_SERVER", name),
          server({"jackd", "--no-realtime", "-n", name, "-d", "dummy", "-r", std::to_string(kJackRate), "-p",
                  std::to_string(kJackPeriod)},
                 logFile)
    {
        if (!server.started())
        {
            failure = "cannot run jackd (tools/install-deps installs jackd2)";
            return;
        }
        jack_set_error_function(quietJack);
        jack_set_info_function(quietJack);
        const auto end = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < end && !running)
        {
            if (jack_client_t* probe = jack_client_open("talvane-probe", JackNoStartServer, nullptr))
            {
                jack_client_close(probe);
                running = true;
            }
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!running)
            failure = "jackd did not start: " + server.errorText();
    }
    ~DummyJackServer()
    {
        server.signal(SIGTERM);
        server.wait();
    }

    std::string name;
    bool running = false;
    std::string failure;

private:
    static inline int count = 0;
    ScopedEnvironment environment;
    ChildProcess server;
};

struct ScheduledMidi
{
    jack_nframes_t frame; // from the start of the take
    std::vector<unsigned char> bytes;
};

// Two JACK clients: "talvane-keys" plays scheduled MIDI from its port midi_out, "talvane-rec" records
// its two inputs. Both count frames from the same server frame (the take's start), so a note sent
// at frame f and a sound recorded at frame f happened at the same moment.
class TakeClients
{
public:
    TakeClients(std::vector<ScheduledMidi> scheduleIn, std::size_t frames)
        : schedule(std::move(scheduleIn)), left(frames), right(frames)
    {
        keys = jack_client_open("talvane-keys", JackNoStartServer, nullptr);
        recorder = jack_client_open("talvane-rec", JackNoStartServer, nullptr);
        if (!keys || !recorder)
            return;
        midiOut = jack_port_register(keys, "midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        inLeft = jack_port_register(recorder, "in_left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        inRight = jack_port_register(recorder, "in_right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(keys, &TakeClients::playKeys, this);
        jack_set_process_callback(recorder, &TakeClients::record, this);
        ready = jack_activate(keys) == 0 && jack_activate(recorder) == 0;
    }
    ~TakeClients()
    {
        closeKeys();
        if (recorder)
            jack_client_close(recorder);
    }
    TakeClients(const TakeClients&) = delete;
    TakeClients& operator=(const TakeClients&) = delete;

    // Connects talvane's outputs to the recorder.
    bool listenTo(const std::string& client)
    {
        return jack_connect(recorder, (client + ":out_left").c_str(), "talvane-rec:in_left") == 0 &&
               jack_connect(recorder, (client + ":out_right").c_str(), "talvane-rec:in_right") == 0;
    }
    // Starts the take a little ahead of the server's present frame, and waits until it is recorded.
    bool takeAndWait()
    {
        started.store(false);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        done.store(false);
        broken.store(false);
        previousCycle.store(0);
        const jack_nframes_t ahead = kJackRate / 10;
        start.store(jack_frame_time(recorder) + ahead);
        started.store(true);
        const auto seconds = static_cast<double>(left.size() + ahead) / kJackRate;
        const auto end = Clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000) + 5000);
        while (Clock::now() < end && !done.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return done.load();
    }
    // Where the take began inside the server's cycle: the frames from a cycle's start to the take's.
    jack_nframes_t startInCycle() const { return (start.load() - cycleSeen.load()) % kJackPeriod; }

    // The keyboard is unplugged: its client ends.
    void closeKeys()
    {
        if (keys)
            jack_client_close(keys);
        keys = nullptr;
    }

    bool ready = false;
    // The last take lost cycles to a drop-out.
    std::atomic<bool> broken{false};
    std::vector<ScheduledMidi> schedule;
    std::vector<float> left, right;

private:
    static int playKeys(jack_nframes_t frames, void* self)
    {
        auto& take = *static_cast<TakeClients*>(self);
        void* buffer = jack_port_get_buffer(take.midiOut, frames);
        jack_midi_clear_buffer(buffer);
        if (!take.started.load())
            return 0;
        const jack_nframes_t cycle = jack_last_frame_time(take.keys);
        for (const ScheduledMidi& message : take.schedule)
        {
            const jack_nframes_t at = take.start.load() + message.frame;
            if (at - cycle < frames) // wraps for messages before the cycle
                jack_midi_event_write(buffer, at - cycle, message.bytes.data(), message.bytes.size());
        }
        return 0;
    }

    static int record(jack_nframes_t frames, void* self)
    {
        auto& take = *static_cast<TakeClients*>(self);
        if (!take.started.load() || take.done.load())
            return 0;
        const auto* l = static_cast<const float*>(jack_port_get_buffer(take.inLeft, frames));
        const auto* r = static_cast<const float*>(jack_port_get_buffer(take.inRight, frames));
        take.cycleSeen.store(jack_last_frame_time(take.recorder));
        const auto cycle = static_cast<std::int64_t>(take.cycleSeen.load());
        // A cycle the server skipped (a drop-out on a busy machine) leaves a gap in the take.
        if (take.previousCycle.load() != 0 && take.previousCycle.load() + frames != take.cycleSeen.load())
            take.broken.store(true);
        take.previousCycle.store(take.cycleSeen.load());
        const auto first = static_cast<std::int64_t>(take.start.load());
        for (jack_nframes_t i = 0; i < frames; ++i)
        {
            const std::int64_t at = cycle + i - first;
            if (at >= 0 && at < static_cast<std::int64_t>(take.left.size()))
            {
                take.left[static_cast<std::size_t>(at)] = l[i];
                take.right[static_cast<std::size_t>(at)] = r[i];
            }
        }
        if (cycle + frames - first >= static_cast<std::int64_t>(take.left.size()))
            take.done.store(true);
        return 0;
    }

    jack_client_t* keys = nullptr;
    jack_client_t* recorder = nullptr;
    jack_port_t* midiOut = nullptr;
    jack_port_t* inLeft = nullptr;
    jack_port_t* inRight = nullptr;
    std::atomic<jack_nframes_t> start{0};
    std::atomic<jack_nframes_t> cycleSeen{0};
    std::atomic<jack_nframes_t> previousCycle{0};
    std::atomic<bool> started{false};
    std::atomic<bool> done{false};
};

} // namespace talvane::testing
