// The modulation bus clamp of every instruction-set target against the scalar statement.
#include "engine/kernels/kernelinputs.h"
#include "engine/kernels/scalarreference.h"
#include "support/kerneltargets.h"

using namespace talvane;
using namespace talvane::kernels;
using talvane::testing::KernelInputs;
namespace reference = talvane::testing::reference;

namespace {

struct Bus
{
    float value[kNumModDestinations][kSubBlockSamples];
    float last[kNumModDestinations];
};

class BusClampKernel : public talvane::testing::KernelTargetTest
{};

} // namespace

TEST_P(BusClampKernel, ClampsTheListedRowsAndKeepsTheirLastValues)
{
    TALVANE_KERNELS_OR_SKIP(set);
    KernelInputs in(23);
    for (int round = 0; round < 50; ++round)
    {
        Bus expected;
        in.fill(&expected.value[0][0], kNumModDestinations * kSubBlockSamples,
                [&] { return in.any(-3.0f, 3.0f); });
        in.fill(expected.last, kNumModDestinations, [&] { return in.any(-1.0f, 1.0f); });
        int listed[kNumModDestinations];
        int count = 0;
        for (int d = 0; d < kNumModDestinations; ++d)
            if (in.pick(3) == 0)
                listed[count++] = d;
        Bus actual = expected;
        reference::busClamp({expected.value, expected.last, listed, count});
        set->busClamp({actual.value, actual.last, listed, count});
        const std::string what = std::string(set->target) + ", round " + std::to_string(round);
        talvane::testing::expectSameValues(&expected.value[0][0], &actual.value[0][0],
                                           kNumModDestinations * kSubBlockSamples, what + ", rows");
        talvane::testing::expectSameValues(expected.last, actual.last, kNumModDestinations,
                                           what + ", last values");
        if (HasFailure())
            return;
    }
}

TALVANE_INSTANTIATE_FOR_KERNEL_TARGETS(BusClampKernel);
