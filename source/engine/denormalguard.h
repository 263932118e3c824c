#pragma once

#if defined(__SSE__) || defined(_M_X64)
#include <xmmintrin.h>
#define TALVANE_HAS_MXCSR 1
#endif

namespace talvane {

// Flushes denormal results and operands to zero while it lives, so long release tails and
// self-oscillating filters never fall onto the slow denormal path; restores the caller's mode.
// Values that small are far below audibility.
class DenormalGuard
{
public:
#ifdef TALVANE_HAS_MXCSR
    DenormalGuard() : saved(_mm_getcsr())
    {
        _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero);
    }
    ~DenormalGuard()
    {
        _mm_setcsr(saved);
    }
#else
    DenormalGuard() = default;
#endif
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
#ifdef TALVANE_HAS_MXCSR
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned saved;
#endif
};

} // namespace talvane
