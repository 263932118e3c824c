// Dispatch of the engine's lane kernels between a baseline build and ones for processors with AVX2
// (and, for the heaviest kernel, AVX-512).
// A kernel's portable body is plain loops across lanes, which the compiler vectorises for the
// baseline; its AVX2 build is written with intrinsics. Both compute exactly the same values: the
// same IEEE operations in the same order, and no fused multiply-add (the build forbids contraction).
#pragma once

namespace talvane::simd {

#if defined(__x86_64__) || defined(__i386__)
inline bool detectAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
// Detected once when the library loads, so the audio thread only reads a flag. Tests clear the
// flags to check that every build of the kernels computes the same.
inline bool useAvx2 = detectAvx2();
inline bool hasAvx2()
{
    return useAvx2;
}
// In the standard attribute form, which GCC and clang both take before other attributes.
#define TALVANE_TARGET_AVX2 [[gnu::target("avx2")]]
#define TALVANE_HAS_AVX2_PATH 1

// AVX-512 (foundation, doubleword/quadword and vector-length extensions) for the kernels that
// gain most from eight doubles per operation.
inline bool detectAvx512()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
           __builtin_cpu_supports("avx512vl");
}
inline bool useAvx512 = detectAvx512();
inline bool hasAvx512()
{
    return useAvx512 && useAvx2;
}
#define TALVANE_TARGET_AVX512 [[gnu::target("avx2,avx512f,avx512dq,avx512vl")]]
#else
inline bool useAvx2 = false;
inline bool useAvx512 = false;
inline bool hasAvx2()
{
    return false;
}
inline bool hasAvx512()
{
    return false;
}
#define TALVANE_TARGET_AVX2
#endif

// Marks a kernel body, inlined into each instruction-set build of its entry points.
#define TALVANE_KERNEL_BODY [[gnu::always_inline]] inline

#ifdef TALVANE_HAS_AVX2_PATH
// Defines `name(params)`: the portable body name##Body, or, where the processor has AVX2, the
// hand-written name##Avx2 (defined before, with the same parameters and the same results).
#define TALVANE_KERNEL_WITH_AVX2(name, params, args)                                                         \
    void name##Baseline params                                                                               \
    {                                                                                                        \
        name##Body args;                                                                                     \
    }                                                                                                        \
    void name params                                                                                         \
    {                                                                                                        \
        if (::talvane::simd::hasAvx2())                                                                      \
            name##Avx2 args;                                                                                 \
        else                                                                                                 \
            name##Baseline args;                                                                             \
    }
// Defines `name(params)` for a kernel whose portable body the compiler vectorises well by itself:
// its AVX2 build is the same body compiled for AVX2, eight lanes per operation instead of four.
#define TALVANE_KERNEL_COMPILED_FOR_AVX2(name, params, args)                                                 \
    TALVANE_TARGET_AVX2 void name##Avx2 params                                                               \
    {                                                                                                        \
        name##Body args;                                                                                     \
    }                                                                                                        \
    TALVANE_KERNEL_WITH_AVX2(name, params, args)
#else
#define TALVANE_KERNEL_WITH_AVX2(name, params, args)                                                         \
    void name params                                                                                         \
    {                                                                                                        \
        name##Body args;                                                                                     \
    }
#define TALVANE_KERNEL_COMPILED_FOR_AVX2(name, params, args) TALVANE_KERNEL_WITH_AVX2(name, params, args)
#endif

} // namespace talvane::simd
