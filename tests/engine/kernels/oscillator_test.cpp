// The oscillator kernel of every instruction-set target against the scalar statement, lane for lane:
// the wavetable reading on one chain or two, FM from one modulator or two, noise given as blocks,
// and the panning and mixing with and without modulation and inversion.
#include "engine/kernels/kernelinputs.h"
#include "engine/kernels/scalarreference.h"
#include "support/kerneltargets.h"

#include <memory>
#include <vector>

using namespace talvane;
using namespace talvane::kernels;
using talvane::testing::KernelInputs;
namespace reference = talvane::testing::reference;

namespace {

constexpr int kTables = 4;
constexpr int kTableLength = 4096;
constexpr int kBlockFloats = kSubBlockInternalSamples * lanes::kVoiceLanes;
constexpr int kRowsFloats = kSubBlockSamples * lanes::kVoiceLanes;

enum class Reading
{
    MonoTable,
    StereoTable,
    Fm,
    CrossfadedFm,
    Noise,
};
constexpr Reading kReadings[] = {Reading::MonoTable, Reading::StereoTable, Reading::Fm, Reading::CrossfadedFm,
                                 Reading::Noise};

// Everything one oscillator reads and writes, for one run.
struct OscillatorData
{
    alignas(64) int tableOffset[lanes::kVoiceLanes];
    alignas(64) LaneRow increment, freq;
    alignas(64) HostRateLanes stretchMod, amountMod, fmMixMod, panMod, mixMod;
    alignas(64) LaneBlock modulator[2][2]; // oscillators 1 and 2, both channels
    alignas(64) LaneBlock noise;
    alignas(64) LaneRow phase[2];
    alignas(64) LaneBlock panned[2];
    alignas(64) StereoRow voices[kSubBlockInternalSamples];
    FmModulation fm;

    Oscillator args(const float* samples, Reading reading, int variant, const Oscillator& settings, int lanes)
    {
        Oscillator a = settings;
        a.samples = samples;
        a.tableOffset = tableOffset;
        a.stretchMod = (variant & 1) != 0 ? &stretchMod : nullptr;
        a.channels = reading == Reading::MonoTable ? 1 : 2;
        a.phase[0] = phase[0];
        a.phase[1] = phase[1];
        a.increment = increment;
        if (reading == Reading::Fm || reading == Reading::CrossfadedFm)
        {
            fm.amountMod = &amountMod;
            for (int c = 0; c < 2; ++c)
            {
                fm.first[c] = &modulator[0][c];
                fm.second[c] = reading == Reading::CrossfadedFm ? &modulator[1][c] : nullptr;
            }
            fm.mixMod = &fmMixMod;
            fm.freq = freq;
            fm.internalRate = 88200.0f;
            a.fm = &fm;
        }
        if (reading == Reading::Noise)
            a.source[0] = a.source[1] = &noise;
        a.invert = (variant & 2) != 0;
        a.panMod = (variant & 4) != 0 ? &panMod : nullptr;
        a.mixMod = (variant & 8) != 0 ? &mixMod : nullptr;
        a.panned[0] = &panned[0];
        a.panned[1] = &panned[1];
        a.voices = voices;
        a.lanes = lanes;
        return a;
    }
};

class OscillatorKernel : public talvane::testing::KernelTargetTest
{};

} // namespace

TEST_P(OscillatorKernel, ReadsModulatesPansAndMixesExactlyAsTheScalarStatement)
{
    TALVANE_KERNELS_OR_SKIP(set);
    KernelInputs in(2026);
    std::vector<float> samples(kTables * kTableLength);
    in.fill(samples.data(), static_cast<int>(samples.size()), [&] { return in.any(-1.0f, 1.0f); });
    auto expected = std::make_unique<OscillatorData>();
    auto actual = std::make_unique<OscillatorData>();
    for (Reading reading : kReadings)
        for (int active = 1; active <= lanes::kVoiceLanes; ++active)
            for (int variant = 0; variant < 16; ++variant)
            {
                const int lanes = lanes::paddedLanes(active);
                OscillatorData& d = *expected;
                for (int v = 0; v < lanes::kVoiceLanes; ++v)
                {
                    d.tableOffset[v] = in.pick(kTables) * kTableLength;
                    d.increment[v] = in.any(0.0f, 0.05f);
                    d.freq[v] = in.any(8.0f, 20000.0f);
                    for (int c = 0; c < 2; ++c)
                        d.phase[c][v] = in.any(0.0f, 1.0f);
                }
                for (HostRateLanes* rows : {&d.stretchMod, &d.fmMixMod, &d.panMod, &d.mixMod})
                    in.fill(&(*rows)[0][0], kRowsFloats, [&] { return in.any(-1.0f, 1.0f); });
                // Without an amount FM applies only where its modulation is non-zero: half the values are 0.
                in.fill(&d.amountMod[0][0], kRowsFloats,
                        [&] { return in.coin() ? 0.0f : in.any(-1.0f, 1.0f); });
                for (auto& oscillator : d.modulator)
                    for (LaneBlock& block : oscillator)
                        in.fill(&block[0][0], kBlockFloats, [&] { return in.any(-1.5f, 1.5f); });
                in.fill(&d.noise[0][0], kBlockFloats, [&] { return in.any(-1.0f, 1.0f); });
                for (LaneBlock& block : d.panned)
                    std::fill(&block[0][0], &block[0][0] + kBlockFloats, talvane::testing::kUntouched);
                in.fill(&d.voices[0][0], kSubBlockInternalSamples * lanes::kStereoLanes,
                        [&] { return in.any(-1.0f, 1.0f); });
                // The settings are parameters' values, never NaN; the FM amount is 0 in half the runs.
                Oscillator settings = {};
                settings.stretch = in.uniform(0.0f, 1.0f);
                settings.panning = in.uniform(0.0f, 1.0f);
                settings.mix = in.uniform(0.0f, 1.0f);
                d.fm = {};
                d.fm.amount = in.coin() ? 0.0f : in.uniform(0.0f, 1.0f);
                d.fm.mix = in.uniform(0.0f, 1.0f);
                *actual = d;
                reference::oscillator(expected->args(samples.data(), reading, variant, settings, lanes));
                set->oscillator(actual->args(samples.data(), reading, variant, settings, lanes));
                const std::string what =
                    std::string(set->target) + ", reading " + std::to_string(static_cast<int>(reading)) +
                    ", " + std::to_string(active) + " voices, variant " + std::to_string(variant);
                for (int c = 0; c < 2; ++c)
                {
                    const std::string channel = what + ", channel " + std::to_string(c);
                    talvane::testing::expectSameLanes(&expected->panned[c][0][0], &actual->panned[c][0][0],
                                                      kSubBlockInternalSamples, lanes::kVoiceLanes, lanes,
                                                      channel + ", panned samples");
                    for (int j = 0; j < kSubBlockInternalSamples; ++j)
                        talvane::testing::expectSameLanes(expected->voices[j] + c * lanes::kRightLanes,
                                                          actual->voices[j] + c * lanes::kRightLanes, 1,
                                                          lanes::kVoiceLanes, lanes, channel + ", voice sum");
                    talvane::testing::expectSameLanes(expected->phase[c], actual->phase[c], 1,
                                                      lanes::kVoiceLanes, lanes, channel + ", phases");
                }
                if (HasFailure())
                    return;
            }
}

TALVANE_INSTANTIATE_FOR_KERNEL_TARGETS(OscillatorKernel);
