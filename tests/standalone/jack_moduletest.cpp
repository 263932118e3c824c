// talvane played through a JACK server of the test's own (the dummy driver: no sound card): MIDI
// from a test client, its output recorded by another and compared with an offline render of the same
// notes; the errors a user meets; the sound kept from one run to the next.
#include "standalone/jacksupport.h"
#include "render/rendersupport.h"
#include "support/moduletest.h"

#include "tools/render/midiperformance.h"
#include "tools/render/pluginsession.h"
#include "tools/render/renderer.h"

#include <cmath>
#include <cstdio>
#include <sys/stat.h>

namespace talvane::testing {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::size_t kTakeFrames = kJackRate; // one second
constexpr jack_nframes_t kNoteOnFrame = kJackRate / 10 + 37;
constexpr jack_nframes_t kBendFrame = kJackRate / 2 + 100;
constexpr jack_nframes_t kNoteOffFrame = kJackRate * 8 / 10;
constexpr int kKey = 69; // A4
constexpr double kA4Hertz = 440.0;
constexpr unsigned char kVelocity = 100;
constexpr float kOnsetThreshold = 1.0e-7f;
constexpr std::size_t kPitchWindow = kJackRate / 10;

std::vector<ScheduledMidi> schedule()
{
    return {{kNoteOnFrame, {0x90, kKey, kVelocity}},
            {kBendFrame, {0xE0, 0x7F, 0x7F}}, // pitch bend all the way up
            {kNoteOffFrame, {0x80, kKey, 0}},
            // Back to the centre, for a take that is played again.
            {kNoteOffFrame + 1, {0xE0, 0x00, 0x40}}};
}

// The same notes rendered offline, as talvane-render plays a MIDI file, with its blocks where the
// server's cycles were: the plug-in's own control grid lies on its blocks, so a note falls on the
// same grid point in both. `startInCycle`: frames from a cycle's start to the take's.
struct OfflineTake
{
    std::vector<float> left;
    std::uint32_t latency = 0; // the plug-in's, which the render takes off its start
};

OfflineTake offlineRender(jack_nframes_t startInCycle)
{
    render::PluginSession session(loadedModule());
    render::MidiPerformance performance;
    performance.tempos.push_back({});
    for (const ScheduledMidi& message : schedule())
    {
        std::optional<render::MidiEvent> event =
            render::decodeChannelMessage(message.bytes.data(), message.bytes.size());
        event->seconds = static_cast<double>(message.frame + startInCycle) / kJackRate;
        performance.events.push_back(*event);
    }
    performance.endSeconds = performance.events.back().seconds;
    render::RenderOptions options;
    options.sampleRate = kJackRate;
    options.blockSize = static_cast<Steinberg::int32>(kJackPeriod);
    options.tailSeconds = static_cast<double>(kTakeFrames + startInCycle) / kJackRate - performance.endSeconds;
    MemorySink sink;
    const render::RenderResult result = render::renderPerformance(session, performance, options, sink);
    sink.left.resize(kTakeFrames + startInCycle);
    return {std::vector<float>(sink.left.begin() + startInCycle, sink.left.end()), result.latency};
}

std::int64_t onset(const std::vector<float>& samples)
{
    const auto found = std::find_if(samples.begin(), samples.end(),
                                    [](float x) { return std::fabs(x) > kOnsetThreshold; });
    return found == samples.end() ? -1 : found - samples.begin();
}

double rms(const std::vector<float>& samples, std::size_t from, std::size_t count)
{
    double sum = 0.0;
    for (std::size_t i = from; i < from + count; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(count));
}

// The strongest frequency of a Hann-windowed stretch, by a scan of single-frequency DFTs: coarse,
// then fine around the coarse peak.
double strongestFrequency(const std::vector<float>& samples, std::size_t from, std::size_t count)
{
    std::vector<double> windowed(count);
    for (std::size_t i = 0; i < count; ++i)
        windowed[i] = samples[from + i] * (0.5 - 0.5 * std::cos(2.0 * kPi * static_cast<double>(i) / count));
    const auto power = [&](double hertz) {
        double re = 0.0, im = 0.0;
        const double step = 2.0 * kPi * hertz / kJackRate;
        for (std::size_t i = 0; i < count; ++i)
        {
            re += windowed[i] * std::cos(step * static_cast<double>(i));
            im += windowed[i] * std::sin(step * static_cast<double>(i));
        }
        return re * re + im * im;
    };
    const auto scan = [&](double low, double high, double step) {
        double best = low, bestPower = -1.0;
        for (double f = low; f <= high; f += step)
            if (const double p = power(f); p > bestPower)
            {
                bestPower = p;
                best = f;
            }
        return best;
    };
    const double coarse = scan(50.0, 2000.0, 5.0);
    return scan(coarse - 5.0, coarse + 5.0, 0.25);
}

bool isFile(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0;
}

// A config folder for one test: talvane keeps its last sound in <folder>/talvane.
class ConfigFolder
{
public:
    ConfigFolder() : environment("XDG_CONFIG_HOME", scratch.path("config")) {}
    ~ConfigFolder()
    {
        for (const char* name : {"last.talvane", "last-controller.state"})
            unlink((soundFolder() + "/" + name).c_str());
        rmdir(soundFolder().c_str());
        rmdir(scratch.path("config").c_str());
    }
    std::string soundFolder() const { return scratch.path("config") + "/talvane"; }
    std::string path(const std::string& name) const { return scratch.path(name); }

private:
    ScratchDirectory scratch;
    ScopedEnvironment environment;
};

class StandaloneJack : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server = std::make_unique<DummyJackServer>(config.path("jackd.log"));
        if (!server->running)
            GTEST_SKIP() << server->failure;
    }
    void TearDown() override { server.reset(); }

    std::unique_ptr<ChildProcess> startTalvane(std::vector<std::string> options, const std::string& log = "talvane.log")
    {
        std::vector<std::string> args{TALVANE_STANDALONE_TOOL, "--no-gui", "--audio", "jack", "--plugin", modulePath()};
        args.insert(args.end(), options.begin(), options.end());
        return std::make_unique<ChildProcess>(args, config.path(log));
    }

    ConfigFolder config;
    std::unique_ptr<DummyJackServer> server;
};

TEST_F(StandaloneJack, PlaysMidiNotesAndBendOnTheirFramesAsTheOfflineRenderDoes)
{
    TakeClients take(schedule(), kTakeFrames);
    ASSERT_TRUE(take.ready);
    auto talvane = startTalvane({"--midi", "talvane-keys:midi_out"});
    ASSERT_TRUE(talvane->waitForMessage("playing")) << talvane->errorText();
    ASSERT_TRUE(take.listenTo("talvane"));
    // A busy machine may make the server drop a cycle; such a take is played again.
    constexpr int kAttempts = 4;
    int attempts = 0;
    do
        ASSERT_TRUE(take.takeAndWait());
    while (take.broken.load() && ++attempts < kAttempts);
    ASSERT_FALSE(take.broken.load()) << "every take lost cycles to drop-outs";
    talvane->signal(SIGINT);
    EXPECT_EQ(talvane->wait(), 0) << talvane->errorText();
    const std::string messages = talvane->errorText();
    EXPECT_NE(messages.find("at 48000 Hz, buffer " + std::to_string(kJackPeriod) + " frames, latency"),
              std::string::npos)
        << messages;
    EXPECT_NE(messages.find("audio drop-outs (xruns)"), std::string::npos) << messages;

    const OfflineTake rendered = offlineRender(take.startInCycle());
    const std::vector<float>& offline = rendered.left;
    const std::vector<float>& live = take.left;

    // Silence until the note, then sound.
    const std::int64_t liveOnset = onset(live);
    const std::int64_t offlineOnset = onset(offline);
    ASSERT_GE(offlineOnset, static_cast<std::int64_t>(kNoteOnFrame));
    ASSERT_LT(offlineOnset, static_cast<std::int64_t>(kNoteOnFrame + kJackPeriod));
    ASSERT_GE(liveOnset, 0) << "no sound recorded";
    const double level = rms(live, kNoteOnFrame, kPitchWindow);
    const double offlineLevel = rms(offline, kNoteOnFrame, kPitchWindow);
    EXPECT_GT(level, 1.0e-3);
    EXPECT_NEAR(20.0 * std::log10(level / offlineLevel), 0.0, 1.0);

    // The note starts on the frame it was played at (on the plug-in's grid): no buffer's worth of
    // jitter or offset.
    // The live output keeps the plug-in's latency, which the offline render takes off.
    const std::int64_t timingError = liveOnset - offlineOnset - rendered.latency;
    EXPECT_EQ(timingError, 0) << "live onset " << liveOnset << ", offline " << offlineOnset;

    // A4, then bent up as the offline render bends it.
    const double before = strongestFrequency(live, kNoteOnFrame + kPitchWindow, kPitchWindow);
    const double offlineBefore = strongestFrequency(offline, kNoteOnFrame + kPitchWindow, kPitchWindow);
    const double bent = strongestFrequency(live, kBendFrame + kPitchWindow, kPitchWindow);
    const double offlineBent = strongestFrequency(offline, kBendFrame + kPitchWindow, kPitchWindow);
    EXPECT_NEAR(before, kA4Hertz, kA4Hertz * 0.01);
    EXPECT_NEAR(before, offlineBefore, 1.0);
    EXPECT_GT(bent, before * 1.05);
    EXPECT_NEAR(bent, offlineBent, 1.0);

    std::printf("[ measured ] onset live %lld, offline %lld (error %lld samples; take began %u frames into a cycle); %.2f Hz, bent %.2f Hz "
                "(offline %.2f, %.2f); level %.1f dB against offline; plug-in latency %u; %d takes\n[ talvane   ] %s",
                static_cast<long long>(liveOnset), static_cast<long long>(offlineOnset),
                static_cast<long long>(timingError), take.startInCycle(), before, bent, offlineBefore, offlineBent,
                20.0 * std::log10(level / offlineLevel), rendered.latency, attempts + 1, messages.c_str());
}

TEST_F(StandaloneJack, SaysWhenTheMidiPortItWasGivenIsMissing)
{
    auto talvane = startTalvane({"--midi", "nobody:midi_out"});
    EXPECT_EQ(talvane->wait(), 1);
    EXPECT_EQ(talvane->errorText(),
              "talvane: there is no JACK MIDI port \"nobody:midi_out\" (talvane --list-devices lists them)\n");
}

TEST_F(StandaloneJack, PlaysOnWhenTheKeyboardGoesAway)
{
    TakeClients take({{0, {0x90, kKey, kVelocity}}}, kJackPeriod * 4);
    ASSERT_TRUE(take.ready);
    auto talvane = startTalvane({"--midi", "talvane-keys:midi_out"});
    ASSERT_TRUE(talvane->waitForMessage("playing")) << talvane->errorText();
    ASSERT_TRUE(take.listenTo("talvane"));
    ASSERT_TRUE(take.takeAndWait()); // the note is held
    take.closeKeys();
    EXPECT_TRUE(talvane->waitForMessage("the MIDI port \"talvane-keys:midi_out\" went away; playing on"))
        << talvane->errorText();
    talvane->signal(SIGTERM);
    EXPECT_EQ(talvane->wait(), 0) << talvane->errorText();
}

TEST_F(StandaloneJack, StartsWithTheSoundItHadWhenItLastQuit)
{
    auto first = startTalvane({"--preset", "warm pad"}, "first.log");
    ASSERT_TRUE(first->waitForMessage("playing \"Warm Pad\"")) << first->errorText();
    first->signal(SIGINT);
    ASSERT_EQ(first->wait(), 0) << first->errorText();
    const std::string saved = config.soundFolder() + "/last.talvane";
    ASSERT_TRUE(isFile(saved));
    EXPECT_EQ(fileBytes(saved), fileBytes(std::string(TALVANE_PRESET_DIR) + "/Warm Pad.talvane"));

    auto second = startTalvane({}, "second.log");
    EXPECT_TRUE(second->waitForMessage("playing \"Warm Pad\"")) << second->errorText();
    second->signal(SIGINT);
    EXPECT_EQ(second->wait(), 0) << second->errorText();
}

TEST(StandaloneWithoutJack, SaysNoServerIsRunning)
{
    ScopedEnvironment server("JACK_DEFAULT_SERVER", "talvane-test-nobody-" + std::to_string(getpid()));
    ScratchDirectory scratch;
    ChildProcess talvane({TALVANE_STANDALONE_TOOL, "--no-gui", "--audio", "jack", "--plugin", modulePath()},
                         scratch.path("talvane.log"));
    EXPECT_EQ(talvane.wait(), 1);
    EXPECT_EQ(talvane.errorText(), "talvane: no JACK server is running (start one, or use --audio alsa)\n");
}

} // namespace
} // namespace talvane::testing
