// Tests that run once per instruction-set target of the engine's kernels: each names the target it
// ran, and a target this processor lacks is reported as skipped.
#pragma once

#include "source/engine/kernels/kernelset.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace talvane::kernels {

// Test output names the target.
inline void PrintTo(Target target, std::ostream* os)
{
    *os << targetName(target);
}

} // namespace talvane::kernels

namespace talvane::testing {

class KernelTargetTest : public ::testing::TestWithParam<kernels::Target>
{
protected:
    // The target's kernels, or nullptr after GTEST_SKIP() where the processor lacks it: call it
    // first and return when it gives nullptr.
    const kernels::KernelSet* targetKernels()
    {
        const kernels::KernelSet* set = kernels::kernelsFor(GetParam());
        if (set)
            RecordProperty("kernels", set->target);
        return set;
    }
};

inline std::string kernelTargetName(const ::testing::TestParamInfo<kernels::Target>& info)
{
    switch (info.param)
    {
    case kernels::Target::Baseline:
        return "Baseline";
    case kernels::Target::Avx2:
        return "Avx2";
    case kernels::Target::Avx512:
        return "Avx512";
    }
    return "Unknown";
}

} // namespace talvane::testing

// Runs the test suite once per kernel target.
#define TALVANE_INSTANTIATE_FOR_KERNEL_TARGETS(Suite)                                                        \
    INSTANTIATE_TEST_SUITE_P(Kernels, Suite, ::testing::ValuesIn(::talvane::kernels::kTargets),              \
                             ::talvane::testing::kernelTargetName)

// Skips the test, saying why, where the processor lacks the target; otherwise `set` names its kernels.
#define TALVANE_KERNELS_OR_SKIP(set)                                                                         \
    const ::talvane::kernels::KernelSet* set = targetKernels();                                              \
    if (!set)                                                                                                \
    GTEST_SKIP() << "this processor has no " << ::talvane::kernels::targetName(GetParam())                   \
                 << ": its kernels are not run"
