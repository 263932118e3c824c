// Ring modulation of every instruction-set target against the scalar statement, lane for lane.
#include "engine/kernels/kernelinputs.h"
#include "engine/kernels/scalarreference.h"
#include "support/kerneltargets.h"

#include <memory>

using namespace talvane;
using namespace talvane::kernels;
using talvane::testing::KernelInputs;
namespace reference = talvane::testing::reference;

namespace {

struct RingData
{
    alignas(64) LaneBlock panned[kNumOscillators][2];
    alignas(64) HostRateLanes amountMod[3];
    alignas(64) StereoRow voices[kSubBlockInternalSamples];

    RingModulation args(const float (&amount)[3], int lanes)
    {
        RingModulation a = {};
        for (int o = 0; o < kNumOscillators; ++o)
            for (int c = 0; c < 2; ++c)
                a.panned[o][c] = &panned[o][c];
        for (int p = 0; p < 3; ++p)
        {
            a.amount[p] = amount[p];
            a.amountMod[p] = &amountMod[p];
        }
        a.voices = voices;
        a.lanes = lanes;
        return a;
    }
};

class RingModulationKernel : public talvane::testing::KernelTargetTest
{};

} // namespace

TEST_P(RingModulationKernel, AddsTheProductsExactlyAsTheScalarStatement)
{
    TALVANE_KERNELS_OR_SKIP(set);
    KernelInputs in(13);
    auto expected = std::make_unique<RingData>();
    auto actual = std::make_unique<RingData>();
    for (int active = 1; active <= lanes::kVoiceLanes; ++active)
    {
        const int lanes = lanes::paddedLanes(active);
        RingData& d = *expected;
        for (auto& oscillator : d.panned)
            for (LaneBlock& block : oscillator)
                in.fill(&block[0][0], kSubBlockInternalSamples * lanes::kVoiceLanes,
                        [&] { return in.any(-1.5f, 1.5f); });
        for (HostRateLanes& rows : d.amountMod)
            in.fill(&rows[0][0], kSubBlockSamples * lanes::kVoiceLanes, [&] { return in.any(-1.0f, 1.0f); });
        in.fill(&d.voices[0][0], kSubBlockInternalSamples * lanes::kStereoLanes,
                [&] { return in.any(-1.0f, 1.0f); });
        const float amount[3] = {in.any(0.0f, 1.0f), in.any(0.0f, 1.0f), in.any(0.0f, 1.0f)};
        *actual = d;
        reference::ringModulation(expected->args(amount, lanes));
        set->ringModulation(actual->args(amount, lanes));
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
            for (int c = 0; c < 2; ++c)
                talvane::testing::expectSameLanes(expected->voices[j] + c * lanes::kRightLanes,
                                                  actual->voices[j] + c * lanes::kRightLanes, 1,
                                                  lanes::kVoiceLanes, lanes,
                                                  std::string(set->target) + ", " + std::to_string(active) +
                                                      " voices, channel " + std::to_string(c));
        if (HasFailure())
            return;
    }
}

TALVANE_INSTANTIATE_FOR_KERNEL_TARGETS(RingModulationKernel);
