// The renderer through the built module: the same samples as a host's own process calls, the
// block framing the plug-in defines, parameter settings by title and the saved state.
#include "render/rendersupport.h"
#include "support/moduletest.h"
#include "tools/render/midifilewriter.h"
#include "tools/render/midiperformance.h"
#include "tools/render/pluginsession.h"
#include "tools/render/renderer.h"
#include "tools/render/rendererror.h"

#include <cmath>
#include <cstring>
#include <functional>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace talvane::render;
using talvane::testing::loadedModule;
using talvane::testing::MemorySink;
using talvane::testing::failureOf;
using talvane::testing::ScratchDirectory;

namespace {

constexpr ParamID kModWheelId = 59;
constexpr ParamID kPitchBendId = 60;
constexpr int32 kLatency = 16;
constexpr int kModWheelCc = 1;

// The default patch with the mod wheel on the cutoff, so controllers change the sound.
const StateBytes& wheelOnCutoff()
{
    static const StateBytes state = stateWithSettings(
        loadedModule(), {}, {},
        {"MATRIX1_Src=1", "MATRIX1_Target1=7", "MATRIX1_Amount1=0.9", "F_Cutoff=0.4", "F_Q=0.3", "PB_Up=2"});
    return state;
}

double energy(const std::vector<float>& x, std::size_t from, std::size_t to)
{
    double sum = 0.0;
    for (std::size_t i = from; i < to && i < x.size(); ++i)
        sum += static_cast<double>(x[i]) * x[i];
    return sum;
}

bool allFinite(const std::vector<float>& x)
{
    for (float v : x)
        if (!std::isfinite(v))
            return false;
    return true;
}

class Rendering : public talvane::testing::ModuleTest
{
protected:
    MemorySink render(const std::string& midi, double rate, int32 block, const StateBytes& state,
                      double tail = 0.5)
    {
        PluginSession session(loadedModule());
        if (!state.empty())
            session.loadState(state, "the test state");
        MemorySink sink;
        RenderOptions options;
        options.sampleRate = rate;
        options.blockSize = block;
        options.tailSeconds = tail;
        last = renderPerformance(session, readMidiFile(midi), options, sink);
        lastWheel = session.controller().getParamNormalized(kModWheelId);
        return sink;
    }

    // Notes on ticks of 400 samples at 32 kHz (40 ticks per quarter at 120 bpm), where every
    // block size this test uses frames the sub-blocks alike; with or without mod wheel moves.
    std::string gridFile(bool withWheel)
    {
        MidiFileWriter writer(40);
        writer.note(0.0, 1.0, 57, 100);
        writer.note(0.5, 2.0, 64, 80);
        writer.note(1.25, 0.75, 69, 127);
        writer.note(3.0, 0.5, 45, 60);
        if (withWheel)
            for (int step = 0; step <= 8; ++step)
                writer.controlChange(step * 0.4, kModWheelCc, step * 15);
        const std::string path = scratch.path(withWheel ? "grid-wheel.mid" : "grid.mid");
        writer.save(path);
        return path;
    }

    ScratchDirectory scratch;
    RenderResult last;
    double lastWheel = 0.0;
};

} // namespace

TEST_F(Rendering, GivesTheSamplesOfTheSameEventsSentStraightThroughTheHost)
{
    // Off any grid of samples, on ticks of the file: quarters at 120 bpm are 22050 samples.
    MidiFileWriter writer(480);
    writer.note(0.1, 1.3, 60, 100);
    writer.note(0.375, 1.0, 64, 90);
    writer.note(1.0125, 0.8, 67, 127, 2);
    writer.controlChange(0.2, kModWheelCc, 30);
    writer.controlChange(0.9, kModWheelCc, 127);
    writer.pitchBend(1.2, 12000);
    writer.controlChange(1.3, 7, 20); // volume: mapped to nothing
    writer.save(scratch.path("song.mid"));
    const MemorySink rendered = render(scratch.path("song.mid"), 44100.0, 512, wheelOnCutoff());
    EXPECT_EQ(last.ignoredControllerEvents, 1);
    EXPECT_EQ(last.latency, static_cast<uint32>(kLatency));
    EXPECT_EQ(lastWheel, 1.0) << "the controller follows the mapped controller";

    talvane::host::MemoryStream state(wheelOnCutoff());
    ASSERT_TRUE(plugin.loadState(state));
    ASSERT_EQ(plugin.setup(44100.0, 512), kResultOk);
    talvane::host::AudioProcessRunner runner(plugin.processor(), 512, 44100.0);
    auto at = [](double quarters) { return static_cast<int64>(std::llround(quarters * 22050.0)); };
    struct Scheduled
    {
        int64 sample;
        std::function<void(int32)> send;
    };
    const std::vector<Scheduled> events = {
        {at(0.1), [&](int32 o) { runner.events.noteOn(o, 60, 100 / 127.0f, 0); }},
        {at(0.2), [&](int32 o) { runner.parameterChanges.add(kModWheelId, o, 30 / 127.0); }},
        {at(0.375), [&](int32 o) { runner.events.noteOn(o, 64, 90 / 127.0f, 1); }},
        {at(0.9), [&](int32 o) { runner.parameterChanges.add(kModWheelId, o, 1.0); }},
        {at(1.0125), [&](int32 o) { runner.events.noteOn(o, 67, 1.0f, 2, 2); }},
        {at(1.2), [&](int32 o) { runner.parameterChanges.add(kPitchBendId, o, pitchBendValue(12000)); }},
        {at(1.375), [&](int32 o) { runner.events.noteOff(o, 64, 1); }},
        {at(1.4), [&](int32 o) { runner.events.noteOff(o, 60, 0); }},
        {at(1.8125), [&](int32 o) { runner.events.noteOff(o, 67, 2, 2); }},
    };
    const int64 total = static_cast<int64>(rendered.left.size()) + kLatency;
    for (int64 start = 0; start < total; start += 512)
    {
        const auto n = static_cast<int32>(std::min<int64>(512, total - start));
        for (const Scheduled& e : events)
            if (e.sample >= start && e.sample < start + n)
                e.send(static_cast<int32>(e.sample - start));
        ASSERT_EQ(runner.process(n), kResultOk);
    }
    ASSERT_EQ(runner.renderedLeft.size(), rendered.left.size() + kLatency);
    EXPECT_GT(energy(rendered.left, 0, rendered.left.size()), 1.0);
    for (std::size_t i = 0; i < rendered.left.size(); ++i)
    {
        ASSERT_EQ(rendered.left[i], runner.renderedLeft[i + kLatency]) << "sample " << i;
        ASSERT_EQ(rendered.right[i], runner.renderedRight[i + kLatency]) << "sample " << i;
    }
}

TEST_F(Rendering, BlockSizesThatFrameTheSubBlocksAlikeGiveIdenticalAudio)
{
    const std::string file = gridFile(true);
    const MemorySink reference = render(file, 32000.0, 512, wheelOnCutoff());
    ASSERT_GT(energy(reference.left, 0, reference.left.size()), 1.0);
    // Multiples of 16 keep the carry at 16 in every block; with blocks of 100 the carry cycles
    // 16, 12, 8, 4, and is 16 again on every 400th sample, where all the events lie.
    for (int32 block : {16, 4096, 100})
    {
        const MemorySink other = render(file, 32000.0, block, wheelOnCutoff());
        EXPECT_EQ(other.left, reference.left) << "block " << block;
        EXPECT_EQ(other.right, reference.right) << "block " << block;
    }
}

TEST_F(Rendering, SingleSampleBlocksStartNotesOneSubBlockSooner)
{
    // A note's countdown is capped to the block: in blocks of one sample it starts at the next
    // sub-block boundary rather than one sub-block after it, so until the first note-off the sound
    // comes exactly 16 samples earlier. Releases begin at the same boundary at both block sizes.
    const std::string file = gridFile(false);
    const MemorySink reference = render(file, 32000.0, 512, wheelOnCutoff());
    const MemorySink single = render(file, 32000.0, 1, wheelOnCutoff());
    ASSERT_EQ(single.left.size(), reference.left.size());
    const std::size_t firstRelease = 16000; // the first note ends after a quarter
    const std::size_t decimatorReach = 15;
    for (std::size_t i = 0; i + 16 + decimatorReach < firstRelease; ++i)
    {
        ASSERT_EQ(single.left[i], reference.left[i + 16]) << "sample " << i;
        ASSERT_EQ(single.right[i], reference.right[i + 16]) << "sample " << i;
    }
    EXPECT_NE(single.left[firstRelease + 16], reference.left[firstRelease + 32]);
}

TEST_F(Rendering, AnyBlockSizeKeepsTheLengthAndTheEnvelopeOfOffGridEvents)
{
    MidiFileWriter writer(480);
    for (int k = 0; k < 6; ++k)
        writer.note(0.13 + 0.41 * k, 0.57, 55 + 3 * k, 70 + 9 * k);
    for (int step = 0; step <= 12; ++step)
        writer.controlChange(0.05 + 0.23 * step, kModWheelCc, 10 * step);
    writer.pitchBend(1.77, 4000);
    writer.save(scratch.path("offgrid.mid"));
    const MemorySink reference = render(scratch.path("offgrid.mid"), 44100.0, 512, wheelOnCutoff());
    const std::size_t window = 2205; // 50 ms
    for (int32 block : {1, 7, 100, 4096})
    {
        const MemorySink other = render(scratch.path("offgrid.mid"), 44100.0, block, wheelOnCutoff());
        ASSERT_EQ(other.left.size(), reference.left.size()) << "block " << block;
        EXPECT_TRUE(allFinite(other.left) && allFinite(other.right));
        const double total = energy(reference.left, 0, reference.left.size());
        EXPECT_NEAR(energy(other.left, 0, other.left.size()), total, 0.01 * total) << "block " << block;
        for (std::size_t from = 0; from < reference.left.size(); from += window)
        {
            const double expected = energy(reference.left, from, from + window);
            EXPECT_NEAR(energy(other.left, from, from + window), expected, 0.1 * expected + 1e-3)
                << "block " << block << " at " << from;
        }
    }
}

TEST_F(Rendering, TheFilesTempoReachesThePlugin)
{
    // A square LFO synced to sixteenths gates the sound: eight openings a second at 120 bpm,
    // four at 60, where the file slows down after two seconds.
    const StateBytes gate =
        stateWithSettings(loadedModule(), {}, {},
                          {"LFO1_Waveform=3", "LFO1_Sync=1", "LFO1_Freq=0.66", "LFO1_Retrig=1",
                           "LFO1_InitPhase=0.5", "LFO1_Amount=1", "LFO1_Dest1=14", "LFO1_Amount1=0"});
    MidiFileWriter writer(480);
    writer.tempo(0.0, 120.0);
    writer.tempo(4.0, 60.0);
    writer.note(0.0, 8.0, 57, 100);
    writer.save(scratch.path("tempo.mid"));
    const MemorySink out = render(scratch.path("tempo.mid"), 44100.0, 512, gate);
    auto openings = [&](double from, double to) {
        int count = 0;
        bool open = false;
        for (std::size_t i = static_cast<std::size_t>(from * 44100); i < static_cast<std::size_t>(to * 44100);
             i += 220)
        {
            const bool loud = energy(out.left, i, i + 220) > 1e-3;
            count += loud && !open;
            open = loud;
        }
        return count;
    };
    EXPECT_NEAR(openings(0.1, 1.9), 14, 1);
    EXPECT_NEAR(openings(2.1, 5.9), 15, 1);
}

TEST_F(Rendering, SettingsAreFoundByTitleAndTakePlainValuesOfSteppedParameters)
{
    PluginSession session(loadedModule());
    IEditController& c = session.controller();
    EXPECT_EQ(resolveParameterSetting(c, "F_Cutoff=0.25").id, 7u);
    EXPECT_EQ(resolveParameterSetting(c, "F_Cutoff=0.25").normalized, 0.25);
    EXPECT_EQ(resolveParameterSetting(c, "f_cutoff=1").title, "F_Cutoff");
    EXPECT_DOUBLE_EQ(resolveParameterSetting(c, "O1_Octave=-1").normalized, 2.0 / 6.0);
    EXPECT_DOUBLE_EQ(resolveParameterSetting(c, "O1_Octave=3").normalized, 1.0);
    EXPECT_EQ(resolveParameterSetting(c, "Polyphony=1").normalized, 0.0);   // one voice
    EXPECT_EQ(resolveParameterSetting(c, "Polyphony=1.0").normalized, 1.0); // the top of the range
    EXPECT_EQ(resolveParameterSetting(c, "FM_O1->O2=0.5").id, 51u);

    EXPECT_EQ(failureOf([&] { resolveParameterSetting(c, "F_Cutof=0.3"); }),
              "unknown parameter \"F_Cutof\" (did you mean F_Cutoff?); talvane-info lists the parameters");
    EXPECT_EQ(failureOf([&] { resolveParameterSetting(c, "F_Cutoff=1.5"); }),
              "F_Cutoff=1.5: a value between 0 and 1 is needed");
    EXPECT_EQ(failureOf([&] { resolveParameterSetting(c, "F_Cutoff=loud"); }),
              "F_Cutoff=loud: a value between 0 and 1 is needed");
    EXPECT_EQ(failureOf([&] { resolveParameterSetting(c, "Polyphony=0"); }),
              "Polyphony=0: not one of its values 1 .. 16 nor a normalized value 0.0 .. 1.0");
    EXPECT_NE(failureOf([&] { resolveParameterSetting(c, "=0.5"); }), "");
    EXPECT_NE(failureOf([&] { resolveParameterSetting(c, "F_Cutoff"); }), "");

    const std::vector<ParameterSetting> last = resolveParameterSettings(c, {"A_Attack=0.1", "A_Attack=0.7"});
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].normalized, 0.7);
}

TEST_F(Rendering, SettingsLandInTheSavedStateOverTheStateTheyStartFrom)
{
    const StateBytes base = stateWithSettings(loadedModule(), {}, {}, {"A_Attack=0.5", "Polyphony=4"});
    ASSERT_EQ(base.size(), 600u);
    const StateBytes changed =
        stateWithSettings(loadedModule(), base, "base", {"Polyphony=2", "O1_Octave=-1"});
    PluginSession session(loadedModule());
    session.loadState(changed, "changed");
    IEditController& c = session.controller();
    EXPECT_FLOAT_EQ(static_cast<float>(c.getParamNormalized(2)), 0.5f);
    EXPECT_FLOAT_EQ(static_cast<float>(c.getParamNormalized(58)), 1.0f / 15.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(c.getParamNormalized(20)), 2.0f / 6.0f);
    EXPECT_EQ(session.saveState(), changed);
}

TEST_F(Rendering, StatesThePluginDoesNotTakeWholeAreRefused)
{
    PluginSession session(loadedModule());
    const StateBytes good = session.saveState();
    StateBytes longer = good;
    longer.push_back(0);
    EXPECT_EQ(failureOf([&] { session.loadState(longer, "long.talvane"); }),
              "long.talvane is not a state of this plug-in (1 bytes after the state it read)");
    const StateBytes shorter(good.begin(), good.end() - 1);
    EXPECT_EQ(failureOf([&] { session.loadState(shorter, "short.talvane"); }),
              "short.talvane is not a state the plug-in accepts");
    StateBytes outOfRange = good;
    const float tooLoud = 1.5f;
    std::memcpy(outOfRange.data() + 12, &tooLoud, sizeof tooLoud); // GlobalVolume
    EXPECT_NE(failureOf([&] { session.loadState(outOfRange, "loud.talvane"); }), "");
    EXPECT_EQ(failureOf([&] { session.loadState(good, "good.talvane"); }), "");
}
