// Gathers each target's kernels into its KernelSet and picks the best one the processor has.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "source/engine/kernels/kernelset.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include "source/engine/kernels/entrypoints-inl.h"
#include "source/engine/kernels/kernelset.h"

#include <hwy/highway.h>

#include <cstdint>

HWY_BEFORE_NAMESPACE();
namespace talvane::kernels::HWY_NAMESPACE {

// Constant-initialised, so it is ready before any other static object could ask for it.
constexpr KernelSet kKernels = {
#if HWY_TARGET == HWY_SSSE3
    "baseline (SSSE3)",
#elif HWY_TARGET == HWY_AVX2
    "AVX2",
#else
    "AVX-512",
#endif
    &phaseChain,
    &fmIncrements,
    &panAndMix,
    &ringModulation,
    &ladder,
    &lfoAdvance,
    &busClamp,
    &tapSum,
};

} // namespace talvane::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace talvane::kernels {

// The build compiles exactly these targets (source/engine/CMakeLists.txt sets Highway's choice):
// another one would need its place in Target and below.
static_assert(HWY_TARGETS == (HWY_SSSE3 | HWY_AVX2 | HWY_AVX3), "the kernels are built for three targets");

namespace {

struct TargetBuild
{
    Target target;
    std::int64_t highwayTarget;
    const KernelSet* kernels;
};
constexpr TargetBuild kBuilds[] = {
    {Target::Baseline, HWY_SSSE3, &N_SSSE3::kKernels},
    {Target::Avx2, HWY_AVX2, &N_AVX2::kKernels},
    {Target::Avx512, HWY_AVX3, &N_AVX3::kKernels},
};

const TargetBuild& build(Target target) noexcept
{
    for (const TargetBuild& b : kBuilds)
        if (b.target == target)
            return b;
    return kBuilds[0];
}

} // namespace

const char* targetName(Target target) noexcept
{
    return build(target).kernels->target;
}

const KernelSet* kernelsFor(Target target) noexcept
{
    const TargetBuild& b = build(target);
    return (hwy::SupportedTargets() & b.highwayTarget) != 0 ? b.kernels : nullptr;
}

bool processorSupported() noexcept
{
    return kernelsFor(Target::Baseline) != nullptr;
}

const KernelSet& bestKernels() noexcept
{
    static const KernelSet& best = []() -> const KernelSet& {
        for (Target t : {Target::Avx512, Target::Avx2})
            if (const KernelSet* k = kernelsFor(t))
                return *k;
        return *build(Target::Baseline).kernels;
    }();
    return best;
}

} // namespace talvane::kernels
#endif // HWY_ONCE
