// The decimator's tap sums of every instruction-set target against the scalar sum, for every count
// of outputs up to a few of the widest vectors (so every remainder occurs).
#include "engine/kernels/kernelinputs.h"
#include "engine/kernels/scalarreference.h"
#include "support/kerneltargets.h"

#include <vector>

using namespace talvane;
using namespace talvane::kernels;
using talvane::testing::KernelInputs;
namespace reference = talvane::testing::reference;

namespace {

constexpr int kTaps = 29;
constexpr int kMaxOutputs = 3 * lanes::kWidestVector + 7;

class TapSumKernel : public talvane::testing::KernelTargetTest
{};

} // namespace

TEST_P(TapSumKernel, SumsTheTapsInOrderForEveryOutputCount)
{
    TALVANE_KERNELS_OR_SKIP(set);
    KernelInputs in(29);
    std::vector<float> coefficients(kTaps);
    std::vector<std::vector<float>> taps(kTaps, std::vector<float>(kMaxOutputs));
    const float* tapRows[kTaps];
    for (int k = 0; k < kTaps; ++k)
        tapRows[k] = taps[k].data();
    for (int count = 1; count <= kMaxOutputs; ++count)
    {
        in.fill(coefficients.data(), kTaps, [&] { return in.any(-0.4f, 0.4f); });
        for (std::vector<float>& row : taps)
            in.fill(row.data(), kMaxOutputs, [&] { return in.any(-2.0f, 2.0f); });
        std::vector<float> expected(kMaxOutputs, talvane::testing::kUntouched), actual = expected;
        reference::tapSum({tapRows, coefficients.data(), kTaps, expected.data(), count});
        set->tapSum({tapRows, coefficients.data(), kTaps, actual.data(), count});
        talvane::testing::expectSameLanes(expected.data(), actual.data(), 1, kMaxOutputs, count,
                                          std::string(set->target) + ", " + std::to_string(count) +
                                              " outputs");
        if (HasFailure())
            return;
    }
}

TALVANE_INSTANTIATE_FOR_KERNEL_TARGETS(TapSumKernel);
