// Dispatch of the engine's lane kernels between a baseline build and one for processors with AVX2.
// A kernel's body is written once as an always-inline function; the two entry points compile it
// for their instruction sets. Both compute exactly the same values: the same IEEE operations in
// the same order, and no fused multiply-add (the build forbids contraction).
#pragma once

namespace talvane::simd {

#if defined(__x86_64__) || defined(__i386__)
inline bool detectAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
// Detected once when the library loads, so the audio thread only reads a flag. Tests clear it to
// check that the baseline kernels compute the same as the AVX2 ones.
inline bool useAvx2 = detectAvx2();
inline bool hasAvx2()
{
    return useAvx2;
}
#define TALVANE_TARGET_AVX2 __attribute__((target("avx2")))
#define TALVANE_HAS_AVX2_PATH 1
#else
inline bool useAvx2 = false;
inline bool hasAvx2()
{
    return false;
}
#define TALVANE_TARGET_AVX2
#endif

// Marks a kernel body, inlined into each instruction-set build of its entry points.
#define TALVANE_KERNEL_BODY [[gnu::always_inline]] inline

// Defines `name(params)` that runs `name##Body(args)` compiled for AVX2 where the processor has it.
#ifdef TALVANE_HAS_AVX2_PATH
#define TALVANE_DISPATCHED_KERNEL(name, params, args)                                                        \
    TALVANE_TARGET_AVX2 void name##Avx2 params                                                               \
    {                                                                                                        \
        name##Body args;                                                                                     \
    }                                                                                                        \
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
#else
#define TALVANE_DISPATCHED_KERNEL(name, params, args)                                                        \
    void name params                                                                                         \
    {                                                                                                        \
        name##Body args;                                                                                     \
    }
#endif

} // namespace talvane::simd
