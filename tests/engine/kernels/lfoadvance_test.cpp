// The LFO phase chains of every instruction-set target against the scalar statement, lane for lane.
#include "engine/kernels/kernelinputs.h"
#include "engine/kernels/scalarreference.h"
#include "support/kerneltargets.h"

#include <vector>

using namespace talvane;
using namespace talvane::kernels;
using talvane::testing::KernelInputs;
namespace reference = talvane::testing::reference;

namespace {

class LfoAdvanceKernel : public talvane::testing::KernelTargetTest
{};

} // namespace

TEST_P(LfoAdvanceKernel, ReadsAndWrapsExactlyAsTheScalarStatement)
{
    TALVANE_KERNELS_OR_SKIP(set);
    KernelInputs in(19);
    std::vector<float> table(4096);
    in.fill(table.data(), 4096, [&] { return in.any(-1.0f, 1.0f); });
    for (int active = 1; active <= lanes::kVoiceLanes; ++active)
    {
        const int lanes = lanes::paddedLanes(active);
        alignas(64) LaneRow phase[2], increment;
        alignas(64) HostRateLanes raw[2];
        in.fill(phase[0], lanes::kVoiceLanes, [&] { return in.any(0.0f, 1.0f); });
        in.fill(increment, lanes::kVoiceLanes, [&] { return in.any(0.0f, 0.05f); });
        std::copy(phase[0], phase[0] + lanes::kVoiceLanes, phase[1]);
        for (HostRateLanes& r : raw)
            std::fill(&r[0][0], &r[0][0] + kSubBlockSamples * lanes::kVoiceLanes,
                      talvane::testing::kUntouched);
        reference::lfoAdvance({table.data(), phase[0], increment, &raw[0], lanes});
        set->lfoAdvance({table.data(), phase[1], increment, &raw[1], lanes});
        const std::string what = std::string(set->target) + ", " + std::to_string(active) + " voices";
        talvane::testing::expectSameLanes(&raw[0][0][0], &raw[1][0][0], kSubBlockSamples, lanes::kVoiceLanes,
                                          lanes, what + ", values");
        talvane::testing::expectSameLanes(phase[0], phase[1], 1, lanes::kVoiceLanes, lanes,
                                          what + ", phases");
        if (HasFailure())
            return;
    }
}

TALVANE_INSTANTIATE_FOR_KERNEL_TARGETS(LfoAdvanceKernel);
