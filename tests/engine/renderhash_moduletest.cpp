// Pins the module's output bit for bit on a patch without randomness, through the VST 3 interfaces.
// The engine computes the same IEEE operations in the same order on every system, so the Linux and
// the Windows builds must both render exactly this sound: the test runs in both.
#include "support/moduletest.h"

#include "source/params/paramids.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using talvane::host::AudioProcessRunner;

namespace {

// Recorded from the Linux build; the Windows build must match it.
constexpr std::uint64_t kRepeatablePatchHash = 11427756378056827990ull;

constexpr double kRate = 44100.0;
constexpr int32 kBlock = 512;
constexpr int kWaveformEntries = 14;
constexpr int kDestinationEntries = 84;

std::uint64_t fnv1a(const std::vector<float>& a, const std::vector<float>& b)
{
    std::uint64_t h = 1469598103934665603ull;
    for (const std::vector<float>* v : {&a, &b})
        for (float x : *v)
        {
            std::uint32_t bits;
            std::memcpy(&bits, &x, 4);
            for (int i = 0; i < 4; ++i)
            {
                h ^= (bits >> (8 * i)) & 0xFF;
                h *= 1099511628211ull;
            }
        }
    return h;
}

double entry(int index, int entries)
{
    return static_cast<double>(index) / (entries - 1);
}

// Every stage in use except noise and random start phases (the C runtime's generator differs
// between systems): all oscillators and LFOs restart their phase with each note.
std::vector<std::pair<ParamID, double>> repeatablePatch()
{
    using namespace talvane;
    return {
        {kO1Retrig, 1},
        {kO2Retrig, 1},
        {kO3Retrig, 1},
        {kLfo1Retrig, 1},
        {kLfo2Retrig, 1},
        {kO2On, 1},
        {kO3On, 1},
        {kO2Waveform, entry(9, kWaveformEntries)},
        {kO3Waveform, entry(12, kWaveformEntries)},
        {kLfo2Waveform, entry(3, kWaveformEntries)},
        {kO2Octave, 0.6},
        {kO2WaveStretch, 0.6},
        {kO2SterDeph, 0.2},
        {kO1Panning, 0.3},
        {kO3Invert, 1},
        {kFmO1O2, 0.4},
        {kFm3Amount, 0.3},
        {kRm1x2, 0.3},
        {kRm2x3, 0.25},
        {kFCutoff, 0.55},
        {kFQ, 0.6},
        {kFAmount, 0.8},
        {kFDecay, 0.4},
        {kKeyFollow, 0.5},
        {kPortamento, 0.05},
        {kLfo1Freq, 0.3},
        {kLfo1Dest1, entry(15, kDestinationEntries)},
        {kLfo1Amount1, 0.7},
        {kEnv1Decay, 0.4},
        {kEnv1Dest1, entry(32, kDestinationEntries)},
        {kEnv1Amount1, 0.7},
        {kMatrix1Amount, 0.8},
        {kMatrix1Target1, entry(35, kDestinationEntries)},
        {kMatrix1Amount1, 0.7},
        {kPitchBend, 0.6},
        {kADecay, 0.4},
        {kASustain, 0.7},
        {kARelease, 0.2},
    };
}

class RenderHash : public talvane::testing::ModuleTest
{};

} // namespace

TEST_F(RenderHash, ARepeatablePatchRendersTheRecordedSamples)
{
    ASSERT_EQ(plugin.setup(kRate, kBlock), kResultOk);
    AudioProcessRunner runner(plugin.processor(), kBlock, kRate);
    for (const auto& [id, value] : repeatablePatch())
        runner.parameterChanges.add(id, 0, value);
    const int16 pitches[] = {45, 52, 57, 64, 69, 76};
    for (int i = 0; i < 6; ++i)
        runner.events.noteOn(37 * i, pitches[i], 0.5f + 0.08f * static_cast<float>(i));
    const int blocks = static_cast<int>(kRate) / kBlock;
    for (int b = 0; b < blocks; ++b)
    {
        if (b == blocks / 2)
            for (int i = 0; i < 6; i += 2)
                runner.events.noteOff(11 * i, pitches[i]);
        ASSERT_EQ(runner.process(kBlock), kResultOk);
    }
    double energy = 0;
    for (float x : runner.renderedLeft)
        energy += static_cast<double>(x) * x;
    ASSERT_GT(energy, 1.0) << "the patch plays";
    EXPECT_EQ(fnv1a(runner.renderedLeft, runner.renderedRight), kRepeatablePatchHash);
}
