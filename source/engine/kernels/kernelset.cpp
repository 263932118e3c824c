// Gathers each target's kernels into its KernelSet and picks the best one the processor has.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "source/engine/kernels/kernelset.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include "source/engine/kernels/entrypoints-inl.h"
#include "source/engine/kernels/kernelset.h"

#include <hwy/highway.h>

// Data only, so outside Highway's per-target attribute region.
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
    &oscillator,        &ringModulation, &ladder, &lfoAdvance, &busClamp, &tapSum,
};

} // namespace talvane::kernels::HWY_NAMESPACE

#if HWY_ONCE
namespace talvane::kernels {

// The build compiles exactly these targets (source/engine/CMakeLists.txt sets Highway's choice):
// another one would need its place in Target and below.
static_assert(HWY_TARGETS == (HWY_SSSE3 | HWY_AVX2 | HWY_AVX3), "the kernels are built for three targets");

namespace {

// Whether the processor (and the operating system, for the wider registers' state) supports all
// that Highway compiles a target with: its ISA string in hwy/ops/set_macros-inl.h (less F16C, which
// the build leaves out).
bool hasBaseline() noexcept
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3");
}
bool hasAvx2() noexcept
{
    return hasBaseline() && __builtin_cpu_supports("sse4.1") && __builtin_cpu_supports("sse4.2") &&
           __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("aes") &&
           __builtin_cpu_supports("avx") && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("fma");
}
bool hasAvx512() noexcept
{
    return hasAvx2() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
           __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
}

struct TargetBuild
{
    Target target;
    bool (*supported)() noexcept;
    const KernelSet* kernels;
};
constexpr TargetBuild kBuilds[] = {
    {Target::Baseline, &hasBaseline, &N_SSSE3::kKernels},
    {Target::Avx2, &hasAvx2, &N_AVX2::kKernels},
    {Target::Avx512, &hasAvx512, &N_AVX3::kKernels},
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
    return b.supported() ? b.kernels : nullptr;
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
