// Small AVX2 helpers for the hand-written kernels. Each mirrors a scalar expression of the engine
// exactly, including what it does with NaN.
#pragma once

#include "source/engine/simd.h"

#ifdef TALVANE_HAS_AVX2_PATH
#include <immintrin.h>

namespace talvane::avx2 {

#define TALVANE_AVX2_INLINE TALVANE_TARGET_AVX2 [[gnu::always_inline]] inline

// std::min(std::max(x, 0), 1): the operand order makes NaN pass through as in the scalar code.
TALVANE_AVX2_INLINE __m256 clamp01(__m256 x)
{
    return _mm256_min_ps(_mm256_set1_ps(1.0f), _mm256_max_ps(_mm256_setzero_ps(), x));
}

// c ? a : b per lane, with c a comparison mask.
TALVANE_AVX2_INLINE __m256 select(__m256 c, __m256 a, __m256 b)
{
    return _mm256_blendv_ps(b, a, c);
}

TALVANE_AVX2_INLINE __m256 greater(__m256 a, __m256 b)
{
    return _mm256_cmp_ps(a, b, _CMP_GT_OQ);
}

} // namespace talvane::avx2

#endif
