// The live player's side of the audio callback, with the built module: MIDI at offsets, the editor's
// edits through their queue, all notes released when an input goes away; what it plays, and that it
// neither allocates nor locks while it does.
#include "render/rendersupport.h"
#include "support/audiothreadwatch.h"
#include "support/moduletest.h"

#include "tools/render/pluginsession.h"
#include "tools/render/renderer.h"
#include "tools/standalone/liveplayer.h"

#include <cmath>

namespace talvane::testing {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr double kRate = 48000.0;
constexpr int32 kBuffer = 256;
constexpr ParamID kProgramChange = 1000;

struct LiveRig
{
    LiveRig() : session(loadedModule()), edits(standalone::kEditQueueCapacity),
                updates(standalone::kEditQueueCapacity), player(session, kRate, kBuffer, edits, updates)
    {
    }
    std::vector<float> play(int buffers, const std::function<void(int)>& before = {})
    {
        std::vector<float> out;
        std::vector<float> left(kBuffer), right(kBuffer);
        for (int b = 0; b < buffers; ++b)
        {
            if (before)
                before(b);
            player.render(left.data(), right.data(), kBuffer);
            out.insert(out.end(), left.begin(), left.end());
        }
        return out;
    }
    void midi(int32 offset, std::initializer_list<unsigned char> bytes)
    {
        player.addMidi(offset, bytes.begin(), bytes.size());
    }

    render::PluginSession session;
    standalone::EditQueue edits;
    standalone::EditQueue updates;
    standalone::LivePlayer player;
};

std::int64_t firstSound(const std::vector<float>& samples)
{
    const auto found = std::find_if(samples.begin(), samples.end(), [](float x) { return x != 0.0f; });
    return found == samples.end() ? -1 : found - samples.begin();
}

double energy(const std::vector<float>& samples, std::size_t from, std::size_t count)
{
    double sum = 0.0;
    for (std::size_t i = from; i < from + count && i < samples.size(); ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return sum;
}

TEST(LivePlayer, PlaysNotesAtTheirOffsetsAsTheOfflineRenderDoes)
{
    // Offsets given out of order within a buffer are played in time order.
    LiveRig rig;
    const std::vector<float> live = rig.play(8, [&](int b) {
        if (b == 2)
        {
            rig.midi(200, {0x80, 60, 0});
            rig.midi(100, {0x90, 60, 100});
        }
    });

    render::PluginSession session(loadedModule());
    render::MidiPerformance performance;
    performance.tempos.push_back({});
    for (const auto& [frame, bytes] : std::vector<std::pair<int, std::vector<unsigned char>>>{
             {2 * kBuffer + 100, {0x90, 60, 100}}, {2 * kBuffer + 200, {0x80, 60, 0}}})
    {
        std::optional<render::MidiEvent> e = render::decodeChannelMessage(bytes.data(), bytes.size());
        e->seconds = frame / kRate;
        performance.events.push_back(*e);
    }
    performance.endSeconds = performance.events.back().seconds;
    render::RenderOptions options;
    options.sampleRate = kRate;
    options.blockSize = kBuffer;
    options.tailSeconds = 1.0;
    MemorySink sink;
    const render::RenderResult offline = render::renderPerformance(session, performance, options, sink);

    ASSERT_GE(firstSound(sink.left), 0);
    EXPECT_EQ(firstSound(live), firstSound(sink.left) + offline.latency);
    EXPECT_EQ(rig.player.latencyFrames(), offline.latency);
}

TEST(LivePlayer, TakesTheEditorsEditsAndPassesMappedControllersBack)
{
    LiveRig rig;
    // The mod wheel's parameter, as the controller maps CC 1.
    ParamID modWheel = 0;
    IMidiMapping* mapping = nullptr;
    ASSERT_EQ(rig.session.controller().queryInterface(IMidiMapping::iid, reinterpret_cast<void**>(&mapping)),
              kResultOk);
    const bool mapped = mapping->getMidiControllerAssignment(0, 0, 1, modWheel) == kResultTrue;
    mapping->release();
    ASSERT_TRUE(mapped);
    rig.play(1, [&](int) { rig.midi(10, {0xB0, 1, 127}); });
    standalone::ParameterEdit update;
    ASSERT_TRUE(rig.updates.pop(update));
    EXPECT_EQ(update.id, modWheel);
    EXPECT_DOUBLE_EQ(update.value, 1.0);

    // An edit reaches the processor: its saved state changes with it.
    const render::StateBytes before = rig.session.saveState();
    ASSERT_TRUE(rig.edits.push({kProgramChange, 1.0}));
    rig.play(1);
    EXPECT_NE(rig.session.saveState(), before);
}

TEST(LivePlayer, ReleasesHeldNotesWhenAnInputGoesAway)
{
    LiveRig rig;
    rig.play(2, [&](int b) {
        if (b == 0)
            rig.midi(0, {0x90, 64, 100});
    });
    rig.player.releaseAllNotes();
    // Two seconds on, the released note has faded: the default release is far shorter.
    const std::vector<float> after = rig.play(static_cast<int>(2 * kRate / kBuffer));
    EXPECT_GT(energy(after, 0, kBuffer), 0.0);
    EXPECT_EQ(energy(after, after.size() - kBuffer, kBuffer), 0.0);
}

TEST(LivePlayer, NeitherAllocatesNorLocksInTheAudioCallback)
{
    LiveRig rig;
    std::vector<float> left(kBuffer), right(kBuffer);
    takeAllocationCount();
    takeLockCount();
    for (int b = 0; b < 400; ++b)
    {
        // The editor's side: edits of many parameters, and now and then a factory sound.
        for (int k = 0; k < 20; ++k)
            rig.edits.push({static_cast<ParamID>((b + k * 7) % 147), ((b + k) % 10) / 9.0});
        if (b % 25 == 0)
            rig.edits.push({kProgramChange, (b / 25 % 10) / 9.0});
        // The audio thread's: MIDI of every kind the callback meets, and the buffer played.
        startWatching();
        for (int k = 0; k < 4; ++k)
            rig.midi(k * 50, {0x90, static_cast<unsigned char>(40 + (b * 5 + k * 7) % 48), 90});
        rig.midi(kBuffer - 1, {0x80, static_cast<unsigned char>(40 + (b * 5) % 48), 0});
        rig.midi(30, {0xB0, 1, static_cast<unsigned char>(b % 128)});
        rig.midi(60, {0xE0, 0, static_cast<unsigned char>(b % 128)});
        rig.midi(90, {0xF8}); // clock: nothing the instrument takes
        if (b % 50 == 0)
            rig.player.releaseAllNotes();
        rig.player.render(left.data(), right.data(), kBuffer);
        stopWatching();
        standalone::ParameterEdit update;
        while (rig.updates.pop(update))
        {
        }
    }
    EXPECT_EQ(takeAllocationCount(), 0) << "operator new called in the audio callback";
    EXPECT_EQ(takeLockCount(), 0) << "a mutex locked in the audio callback";
}

} // namespace
} // namespace talvane::testing
