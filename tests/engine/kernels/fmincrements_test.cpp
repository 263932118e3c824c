// The exponential FM of every instruction-set target against the scalar statement, lane for lane.
#include "engine/kernels/kernelinputs.h"
#include "engine/kernels/scalarreference.h"
#include "support/kerneltargets.h"

#include <memory>

using namespace talvane;
using namespace talvane::kernels;
using talvane::testing::KernelInputs;
namespace reference = talvane::testing::reference;

namespace {

struct FmData
{
    alignas(64) HostRateLanes amountMod, mixMod;
    alignas(64) LaneBlock first[2], second[2];
    alignas(64) LaneRow freq;
    alignas(64) LaneBlock increment[2];

    FmIncrements args(float amount, bool crossfade, float mix, float rate, int lanes)
    {
        FmIncrements a = {};
        a.amount = amount;
        a.amountMod = &amountMod;
        for (int c = 0; c < 2; ++c)
        {
            a.first[c] = &first[c];
            a.second[c] = crossfade ? &second[c] : nullptr;
            a.increment[c] = &increment[c];
        }
        a.mix = mix;
        a.mixMod = crossfade ? &mixMod : nullptr;
        a.freq = freq;
        a.internalRate = rate;
        a.lanes = lanes;
        return a;
    }
};

class FmIncrementsKernel : public talvane::testing::KernelTargetTest
{};

} // namespace

TEST_P(FmIncrementsKernel, ScalesEachFrequencyExactlyAsTheScalarFastPow)
{
    TALVANE_KERNELS_OR_SKIP(set);
    KernelInputs in(7);
    auto expected = std::make_unique<FmData>();
    auto actual = std::make_unique<FmData>();
    constexpr int kBlockFloats = kSubBlockInternalSamples * lanes::kVoiceLanes;
    constexpr int kRowsFloats = kSubBlockSamples * lanes::kVoiceLanes;
    for (int active = 1; active <= lanes::kVoiceLanes; ++active)
        for (int variant = 0; variant < 4; ++variant)
        {
            const int lanes = lanes::paddedLanes(active);
            const bool crossfade = (variant & 1) != 0;
            // Without an amount FM applies only where its modulation is non-zero: half the values are 0.
            // The setting itself is a parameter's value, never NaN.
            const float amount = (variant & 2) != 0 ? in.uniform(0.0f, 1.0f) : 0.0f;
            FmData& d = *expected;
            in.fill(&d.amountMod[0][0], kRowsFloats, [&] { return in.coin() ? 0.0f : in.any(-1.0f, 1.0f); });
            in.fill(&d.mixMod[0][0], kRowsFloats, [&] { return in.any(-1.0f, 1.0f); });
            for (int c = 0; c < 2; ++c)
            {
                in.fill(&d.first[c][0][0], kBlockFloats, [&] { return in.any(-1.5f, 1.5f); });
                in.fill(&d.second[c][0][0], kBlockFloats, [&] { return in.any(-1.5f, 1.5f); });
                std::fill(&d.increment[c][0][0], &d.increment[c][0][0] + kBlockFloats, talvane::testing::kUntouched);
            }
            in.fill(d.freq, lanes::kVoiceLanes, [&] { return in.any(8.0f, 20000.0f); });
            const float mix = in.any(0.0f, 1.0f);
            *actual = d;
            reference::fmIncrements(expected->args(amount, crossfade, mix, 88200.0f, lanes));
            set->fmIncrements(actual->args(amount, crossfade, mix, 88200.0f, lanes));
            const std::string what = std::string(set->target) + ", " + std::to_string(active) + " voices, variant " +
                                     std::to_string(variant);
            for (int c = 0; c < 2; ++c)
                talvane::testing::expectSameLanes(&expected->increment[c][0][0], &actual->increment[c][0][0],
                                                  kSubBlockInternalSamples, lanes::kVoiceLanes, lanes,
                                                  what + ", increments of channel " + std::to_string(c));
            if (HasFailure())
                return;
        }
}

TALVANE_INSTANTIATE_FOR_KERNEL_TARGETS(FmIncrementsKernel);
