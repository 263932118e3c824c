// Pins the module's output on a patch without randomness, through the VST 3 interfaces. The engine
// computes the same IEEE operations in the same order on every system, so every build whose maths
// library rounds exp, log, pow, sin and cos as the recording's did (glibc's) renders exactly the
// recorded samples. MinGW's maths library rounds some of those results differently in the last
// bit; there the sound must still match the recording to within that rounding.
#include "support/moduletest.h"
#include "support/renderhash.h"

#include "source/params/paramids.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using talvane::host::AudioProcessRunner;
using talvane::testing::fnv1a;

namespace {

// Recorded from the Linux build.
constexpr std::uint64_t kRepeatablePatchHash = 11427756378056827990ull;
// The energy of each eighth of the left and the right channel, recorded with the hash.
constexpr int kSegments = 8;
constexpr double kSegmentEnergies[2][kSegments] = {
    {484.37226520374026, 197.11965962452942, 201.65078317593481, 166.63538934339167, 140.076678895382,
     82.698883758166332, 96.190028522211321, 89.278985933010517},
    {365.30706658588008, 192.97606681131106, 207.78688891182574, 218.34978833068374, 144.28847399510676,
     96.203306609643036, 129.04635811586078, 104.21016664579723}};
// Last-bit differences of a few samples move an energy by far less than this; a wrong note,
// filter or envelope by far more.
constexpr double kEnergyTolerance = 1e-5;
// The maths functions the engine uses, over arguments of its ranges, as glibc computed them.
constexpr std::uint64_t kRecordedMathsHash = 11386593631180833987ull;

constexpr double kRate = 44100.0;
constexpr int32 kBlock = 512;
constexpr int kWaveformEntries = 14;
constexpr int kDestinationEntries = 84;

// Whether this program's maths library computes the engine's functions as the recording's did.
// The module is linked against the same library as the test program, so it tells for the module.
std::uint64_t mathsHash()
{
    std::uint64_t h = 1469598103934665603ull;
    const auto add = [&h](const auto value) {
        unsigned char bytes[sizeof value];
        std::memcpy(bytes, &value, sizeof value);
        for (unsigned char byte : bytes)
        {
            h ^= byte;
            h *= 1099511628211ull;
        }
    };
    for (int i = 0; i < 512; ++i)
    {
        const volatile float f = static_cast<float>(i) / 512.0f;
        add(std::pow(9.0f, f));
        add(std::exp(f * 4.0f));
        add(std::exp2(f * 10.0f));
        add(std::log(f + 1.5f));
        const volatile double d = static_cast<double>(i) * 0.0123 + 0.1;
        add(std::pow(2.0, d / 12.0));
        add(std::cos(d));
        add(std::sin(d));
    }
    return h;
}

double segmentEnergy(const std::vector<float>& x, int segment)
{
    const std::size_t length = x.size() / kSegments;
    double sum = 0.0;
    for (std::size_t i = segment * length; i < (segment + 1) * length; ++i)
        sum += static_cast<double>(x[i]) * x[i];
    return sum;
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
    const std::vector<float>* channels[2] = {&runner.renderedLeft, &runner.renderedRight};
    for (int c = 0; c < 2; ++c)
        for (int segment = 0; segment < kSegments; ++segment)
        {
            const double recorded = kSegmentEnergies[c][segment];
            EXPECT_NEAR(segmentEnergy(*channels[c], segment), recorded, recorded * kEnergyTolerance)
                << "channel " << c << ", segment " << segment;
        }
    if (std::getenv("TALVANE_PRINT_RECORDING"))
    {
        std::printf("maths %llu\n", static_cast<unsigned long long>(mathsHash()));
        for (int c = 0; c < 2; ++c)
            for (int segment = 0; segment < kSegments; ++segment)
                std::printf("%.17g, ", segmentEnergy(*channels[c], segment));
        std::printf("\n");
    }
    if (mathsHash() != kRecordedMathsHash)
    {
        std::printf("The maths library rounds differently from the recording's: the samples are "
                    "compared within rounding, not bit for bit.\n");
        return;
    }
    EXPECT_EQ(fnv1a(runner.renderedLeft, runner.renderedRight), kRepeatablePatchHash);
}
