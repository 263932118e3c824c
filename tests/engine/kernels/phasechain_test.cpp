// The phase chains of every instruction-set target against the scalar statement, lane for lane.
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

// Everything one chain reads and writes, for one run.
struct ChainData
{
    alignas(64) int tableOffset[lanes::kVoiceLanes];
    alignas(64) LaneBlock increment[2];
    alignas(64) LaneRow fixedIncrement;
    alignas(64) HostRateLanes stretchMod;
    alignas(64) LaneRow phase[2];
    alignas(64) LaneBlock raw[2];

    PhaseChain args(const float* samples, int channels, bool perSampleIncrement, bool stretchModulated,
                    float stretch, int lanes)
    {
        PhaseChain a = {};
        a.samples = samples;
        a.tableOffset = tableOffset;
        a.stretch = stretch;
        a.stretchMod = stretchModulated ? &stretchMod : nullptr;
        a.channels = channels;
        for (int c = 0; c < 2; ++c)
        {
            a.increment[c] = perSampleIncrement ? LaneInput::perSample(increment[c]) : LaneInput::constant(fixedIncrement);
            a.phase[c] = phase[c];
            a.raw[c] = &raw[c];
        }
        a.lanes = lanes;
        return a;
    }
};

class PhaseChainKernel : public talvane::testing::KernelTargetTest
{};

} // namespace

TEST_P(PhaseChainKernel, ReadsAndAdvancesExactlyAsTheScalarChainOnOneOrTwoChannels)
{
    TALVANE_KERNELS_OR_SKIP(set);
    KernelInputs in(2026);
    std::vector<float> samples(kTables * kTableLength);
    in.fill(samples.data(), static_cast<int>(samples.size()), [&] { return in.any(-1.0f, 1.0f); });
    auto expected = std::make_unique<ChainData>();
    auto actual = std::make_unique<ChainData>();
    for (int active = 1; active <= lanes::kVoiceLanes; ++active)
        for (int variant = 0; variant < 8; ++variant)
        {
            const int lanes = lanes::paddedLanes(active);
            const int channels = 1 + (variant & 1);
            const bool perSample = (variant & 2) != 0;
            const bool stretchModulated = (variant & 4) != 0;
            ChainData& d = *expected;
            for (int v = 0; v < lanes::kVoiceLanes; ++v)
            {
                d.tableOffset[v] = in.pick(kTables) * kTableLength;
                d.fixedIncrement[v] = in.any(0.0f, 0.05f);
                for (int c = 0; c < 2; ++c)
                    d.phase[c][v] = in.any(0.0f, 1.0f);
            }
            for (int c = 0; c < 2; ++c)
                in.fill(&d.increment[c][0][0], kSubBlockInternalSamples * lanes::kVoiceLanes,
                        [&] { return in.any(0.0f, 0.05f); });
            in.fill(&d.stretchMod[0][0], kSubBlockSamples * lanes::kVoiceLanes, [&] { return in.any(-1.0f, 1.0f); });
            for (int c = 0; c < 2; ++c)
                std::fill(&d.raw[c][0][0], &d.raw[c][0][0] + kSubBlockInternalSamples * lanes::kVoiceLanes,
                          talvane::testing::kUntouched);
            const float stretch = in.any(0.0f, 1.0f);
            *actual = d;
            reference::phaseChain(expected->args(samples.data(), channels, perSample, stretchModulated, stretch, lanes));
            set->phaseChain(actual->args(samples.data(), channels, perSample, stretchModulated, stretch, lanes));
            const std::string what = std::string(set->target) + ", " + std::to_string(active) + " voices, variant " +
                                     std::to_string(variant);
            for (int c = 0; c < 2; ++c)
            {
                talvane::testing::expectSameLanes(&expected->raw[c][0][0], &actual->raw[c][0][0],
                                                  kSubBlockInternalSamples, lanes::kVoiceLanes, lanes,
                                                  what + ", samples of channel " + std::to_string(c));
                talvane::testing::expectSameLanes(expected->phase[c], actual->phase[c], 1, lanes::kVoiceLanes, lanes,
                                                  what + ", phases of channel " + std::to_string(c));
            }
            if (HasFailure())
                return;
        }
}

TALVANE_INSTANTIATE_FOR_KERNEL_TARGETS(PhaseChainKernel);
