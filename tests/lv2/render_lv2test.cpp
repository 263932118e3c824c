// The same music played into the LV2 plug-in (through lilv) and into the VST 3 module (through the
// host library) gives the same output, sample for sample: notes, port changes, MIDI controllers,
// the host's tempo, blocks of any length, runs longer than the plug-in's block, other rates and
// the factory sounds.
#include "lv2/lv2test.h"

#include <lilv/lilv.h>

#include <cmath>
#include <string>
#include <vector>

using namespace talvane::testing;
using Note = Performance::Note;

namespace {

constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kPitchWheel = 0xE0;
constexpr Steinberg::Vst::ParamID kModWheelId = 59;
constexpr Steinberg::Vst::ParamID kPitchBendId = 60;

double energy(const std::vector<float>& x)
{
    double sum = 0.0;
    for (float v : x)
        sum += static_cast<double>(v) * v;
    return sum;
}

void expectIdentical(const Performance& performance, const char* what)
{
    const Rendering lv2 = renderThroughLv2(performance);
    ASSERT_TRUE(lv2.error.empty()) << what << ": " << lv2.error;
    const Rendering vst3 = renderThroughVst3(performance);
    ASSERT_TRUE(vst3.error.empty()) << what << ": " << vst3.error;
    ASSERT_FALSE(lv2.left.empty()) << what;
    // Silence on both sides would prove nothing.
    EXPECT_GT(energy(lv2.left), 1.0) << what;
    EXPECT_GT(energy(lv2.right), 1.0) << what;
    const long difference = firstDifference(lv2, vst3);
    EXPECT_EQ(difference, -1) << what << ": the LV2 output first differs at sample " << difference << " of "
                              << lv2.left.size();
}

// Chords and single notes with releases, over about a second and a half.
std::vector<Note> phrase(std::int64_t scale = 1)
{
    return {{100 * scale, 60, 100},   {100 * scale, 64, 90},    {117 * scale, 67, 80},
            {20000 * scale, 60, 0},   {20000 * scale, 64, 0},   {21000 * scale, 67, 0},
            {25003 * scale, 72, 64},  {31000 * scale, 48, 127}, {35000 * scale, 72, 0},
            {50001 * scale, 48, 0},   {52000 * scale, 55, 110}, {60000 * scale, 55, 0}};
}

} // namespace

TEST(Lv2Render, NotesSoundAsFromTheVst3Module)
{
    Performance performance;
    performance.lv2Runs = Performance::blocks(512, 140);
    performance.notes = phrase();
    expectIdentical(performance, "notes");
}

TEST(Lv2Render, PortChangesActAsTheVst3HostsParameterChanges)
{
    constexpr std::int64_t kLater = 512 * 40;
    constexpr std::int64_t kLast = 512 * 90;
    Performance performance;
    performance.lv2Runs = Performance::blocks(512, 140);
    performance.notes = phrase();
    performance.portChanges = {
        {0, 26, 1.0f, 1.0},               // O2_On
        {0, 27, 3.0f, 3.0 / 13.0},        // O2_Waveform: Square
        {0, 31, -1.0f, 2.0 / 6.0},        // O2_Octave: -1
        {0, 32, 7.0f, 19.0 / 24.0},       // O2_Detune: +7
        {0, 7, 0.4f, 0.4f},               // F_Cutoff
        {0, 8, 0.6f, 0.6f},               // F_Q
        {0, 74, 7.0f, 7.0 / 83.0},        // LFO1_Dest1: FILTER | Cutoff
        {0, 75, 0.8f, 0.8f},              // LFO1_Amount1
        {0, 70, 1.0f, 1.0},               // LFO1_Retrig
        {kLater, 9, 2.0f, 0.5},           // F_Type: HP
        {kLater, 58, 2.0f, 1.0 / 15.0},   // Polyphony: 2
        {kLater, 57, 1.0f, 0.5},          // NoteMode: Mono
        {kLater, 0, 0.5f, 0.5f},          // GlobalVolume
        {kLast, 7, 0.9f, 0.9f},           // F_Cutoff
        {kLast, 57, 0.0f, 0.0},           // NoteMode: Poly
        {kLast, 63, 1.0f, 1.0},           // Panic
    };
    expectIdentical(performance, "port changes");
}

TEST(Lv2Render, ModWheelAndPitchBendActAtTheirFramesThroughTheControllersMapping)
{
    Performance performance;
    performance.lv2Runs = Performance::blocks(512, 100);
    performance.notes = {{50, 57, 100}, {50, 64, 100}, {45000, 57, 0}, {45000, 64, 0}};
    performance.portChanges = {
        {0, 125, 1.0f, 1.0 / 9.0},  // MATRIX1_Src: ModWheel
        {0, 128, 7.0f, 7.0 / 83.0}, // MATRIX1_Target1: FILTER | Cutoff
        {0, 129, 0.9f, 0.9f},       // MATRIX1_Amount1
        {0, 7, 0.3f, 0.3f},         // F_Cutoff
        {0, 61, 7.0f, 7.0 / 36.0},  // PB_Up
        {0, 62, 12.0f, 12.0 / 36.0} // PB_Down
    };
    // At the last frame of a 16-frame span, where a change one frame late would act a span later.
    performance.controllers = {
        {3007, {kControlChange, 1, 100}, kModWheelId, 100.0 / 127.0},
        {9215, {kControlChange, 1, 20}, kModWheelId, 20.0 / 127.0},
        {15359, {kPitchWheel, 0x7F, 0x7F}, kPitchBendId, 1.0},
        {20991, {kPitchWheel, 0x00, 0x00}, kPitchBendId, 0.0},
        {27135, {kPitchWheel, 0x00, 0x40}, kPitchBendId, 0.5},
        {30015, {kPitchWheel, 0x00, 0x20}, kPitchBendId, 0.25},
        // Only the first channel is mapped, and only the wheel among the controllers.
        {33000, {kControlChange | 2, 1, 127}, Performance::kUnmapped, 0.0},
        {33500, {kPitchWheel | 5, 0x7F, 0x7F}, Performance::kUnmapped, 0.0},
        {34000, {kControlChange, 7, 0}, Performance::kUnmapped, 0.0},
    };
    expectIdentical(performance, "mod wheel and pitch bend");
}

TEST(Lv2Render, TheHostsTempoDrivesTempoSyncedModulation)
{
    Performance performance;
    performance.lv2Runs = Performance::blocks(512, 120);
    performance.notes = {{10, 48, 100}, {10, 60, 100}, {58000, 48, 0}, {58000, 60, 0}};
    performance.portChanges = {
        {0, 71, 1.0f, 1.0},         // LFO1_Sync
        {0, 70, 1.0f, 1.0},         // LFO1_Retrig
        {0, 69, 0.6f, 0.6f},        // LFO1_Freq: a division when synced
        {0, 74, 7.0f, 7.0 / 83.0},  // LFO1_Dest1: FILTER | Cutoff
        {0, 75, 1.0f, 1.0},         // LFO1_Amount1
        {0, 7, 0.5f, 0.5f},         // F_Cutoff
    };
    performance.tempos = {{0, 140.0}, {512 * 50, 90.0}, {512 * 90, 174.5}};
    expectIdentical(performance, "tempo");
}

TEST(Lv2Render, RunsOfAnyLengthCarryAsBlocksDo)
{
    Performance performance;
    const std::vector<std::int32_t> pattern = {100, 37, 1, 0, 512, 16, 333, 255};
    for (int i = 0; i < 50; ++i)
        performance.lv2Runs.insert(performance.lv2Runs.end(), pattern.begin(), pattern.end());
    performance.notes = phrase();
    performance.portChanges = {{0, 7, 0.5f, 0.5f}, {100 + 37 + 1, 8, 0.7f, 0.7f}};
    expectIdentical(performance, "odd runs");
}

TEST(Lv2Render, RunsLongerThanThePluginsBlockArePlayedInPieces)
{
    // A host that does not tell its largest block: the plug-in is set up for 4096 frames and plays
    // longer runs in pieces of that length.
    Performance performance;
    performance.lv2MaxBlock = 10000;
    performance.lv2ToldBlockLength = false;
    performance.lv2Runs = Performance::blocks(10000, 7);
    for (int i = 0; i < 7; ++i)
        performance.vst3Blocks.insert(performance.vst3Blocks.end(), {4096, 4096, 1808});
    performance.notes = phrase();
    performance.portChanges = {{0, 7, 0.6f, 0.6f}, {30000, 7, 0.2f, 0.2f}};
    performance.controllers = {{12345, {kControlChange, 1, 90}, kModWheelId, 90.0 / 127.0}};
    expectIdentical(performance, "pieces");
}

TEST(Lv2Render, OtherSampleRates)
{
    for (const double rate : {48000.0, 96000.0})
    {
        Performance performance;
        performance.sampleRate = rate;
        performance.lv2MaxBlock = 1024;
        performance.lv2Runs = Performance::blocks(1024, 80);
        performance.notes = phrase();
        expectIdentical(performance, rate == 48000.0 ? "48 kHz" : "96 kHz");
    }
}

TEST(Lv2Render, FactorySoundsLoadedThroughTheStateExtension)
{
    const std::vector<std::string> names = factorySoundNames();
    ASSERT_FALSE(names.empty()) << "no factory sounds in " << TALVANE_PRESET_DIR;
    for (const std::string& name : names)
    {
        Performance performance;
        performance.state = presetBytes(name);
        performance.lv2Runs = Performance::blocks(512, 130);
        performance.notes = phrase();
        performance.tempos = {{0, 128.0}};
        expectIdentical(performance, name.c_str());
    }
}

TEST(Lv2Render, AReactivatedInstanceStartsFromSilence)
{
    // A held note sounds on through runs; deactivated and activated again, the instance starts
    // afresh: after the decimator's short memory, nothing of the note is left.
    talvane::host::Lv2Instance instance(lv2World(), lv2Urids());
    ASSERT_TRUE(instance.create(kLv2PluginUri, 44100.0, 512)) << instance.error();
    instance.noteOn(0, 60, 100);
    for (int i = 0; i < 10; ++i)
        instance.run(512);
    const std::vector<float> heldTail(instance.renderedLeft.end() - 512, instance.renderedLeft.end());
    ASSERT_GT(energy(heldTail), 1.0);

    lilv_instance_deactivate(instance.instance());
    lilv_instance_activate(instance.instance());
    instance.renderedLeft.clear();
    instance.renderedRight.clear();
    for (int i = 0; i < 4; ++i)
        instance.run(512);
    constexpr std::size_t kDecimatorMemory = 64;
    ASSERT_EQ(instance.renderedLeft.size(), 4u * 512u);
    for (std::size_t i = kDecimatorMemory; i < instance.renderedLeft.size(); ++i)
    {
        ASSERT_EQ(instance.renderedLeft[i], 0.0f) << "sample " << i << " after reactivation";
        ASSERT_EQ(instance.renderedRight[i], 0.0f) << "sample " << i << " after reactivation";
    }
}
