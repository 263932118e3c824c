#include "source/engine/oscillators.h"

#include "source/engine/crandom.h"
#include "source/engine/lookuptables.h"
#include "source/engine/noisebuffers.h"
#include "source/engine/simd.h"

#include "source/engine/avx2math.h"
#include "source/engine/waveforms.h"
#include "source/engine/wavetablebank.h"

#include <algorithm>
#include <iterator>
#include <type_traits>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace talvane {

namespace {

// Noise advances one sub-block per sub-block and wraps early enough that a whole sub-block fits.
constexpr int kNoiseWrap = 524256;
// Pitch modulation spans +-48 semitones per source.
constexpr float kPitchModRange = 48.0f;
constexpr double kNotesPerUnit = 128.0;
constexpr int kHighestNote = 127;
// Eight times the note range: about 3e26 Hz, finite in float even after the FM's largest factor.
constexpr double kHighestPitchValue = 8.0;
// Stretch 0.5 reads the table once per period: index = stretch * phase * 2 * 4096.
constexpr float kStretchIndexScale = 2.0f * 4096.0f;
constexpr int kTableMask = 4095;
constexpr float kOutputScale = 0.25f;
constexpr float kFmDepth = 8.0f;
constexpr double kRandomPhaseScale = 1.0 / 32768.0;

inline float clamp01(float x)
{
    return std::min(std::max(x, 0.0f), 1.0f);
}
inline float frac(float x)
{
    return x - static_cast<float>(static_cast<int>(x));
}

inline bool isNoise(int w)
{
    return w == waveform::kWhiteNoise || w == waveform::kPinkNoise;
}

// Voices are processed side by side, one lane each: every per-sample loop runs across the lanes,
// which vectorises, and each lane computes exactly the formula of one voice.
constexpr int kMaxLanes = VoiceLanes::kLanes;
constexpr int kLaneGroup = 8;
using LaneRow = float[kMaxLanes];
using LaneBlock = LaneRow[kSubBlockInternalSamples]; // [internal sample][lane]
// Modulation values are stepped at the host rate: internal sample j reads row j / 2.
using ModLanes = LaneRow[kSubBlockSamples]; // [host sample][lane]

int paddedLanes(int count)
{
    return (count + kLaneGroup - 1) / kLaneGroup * kLaneGroup;
}

// A destination's 16 host-rate values per voice in lane layout; padding lanes read 0.
void spreadLanes(const OscillatorVoice* voices, int count, int destination, ModLanes& out)
{
    for (int v = 0; v < count; ++v)
    {
        const float* row = voices[v].bus->value[destination];
        for (int k = 0; k < kSubBlockSamples; ++k)
            out[k][v] = row[k];
    }
    const int padded = paddedLanes(count);
    for (int k = 0; k < kSubBlockSamples; ++k)
        std::fill(out[k] + count, out[k] + padded, 0.0f);
}

// A destination's values in lane layout: spread into `scratch` when it is modulated, otherwise
// the values are all zero and a shared block of zeros serves.
alignas(32) const ModLanes kZeroLanes = {};

const ModLanes& modulationLanes(const OscillatorVoice* voices, int count, int destination,
                                const ModRouting& routing, ModLanes& scratch)
{
    if (!routing.modulated[destination])
        return kZeroLanes;
    spreadLanes(voices, count, destination, scratch);
    return scratch;
}

void fillLanes(LaneBlock& block, float value)
{
    for (LaneRow& row : block)
        std::fill(std::begin(row), std::end(row), value);
}

// A per-lane input of the phase chains: different for every sample (a block) or the same for the
// whole sub-block (one row, read with a stride of 0).
struct LaneInput
{
    const float* data;
    int stride;

    static LaneInput perSample(const LaneBlock& block) { return {&block[0][0], kMaxLanes}; }
    static LaneInput constant(const LaneRow& row) { return {row, 0}; }
    const float* at(int j) const { return data + j * stride; }
};

// The phase chains: each lane reads its table and advances its phase, sample after sample.
TALVANE_KERNEL_BODY void chainBody(const float* samples, const int* tableOffset, LaneInput scale,
                                   LaneInput incL, LaneInput incR, float* phaseL, float* phaseR,
                                   LaneBlock& rawL, LaneBlock& rawR, int lanes)
{
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
    {
        const float* scaleJ = scale.at(j);
        const float* incLJ = incL.at(j);
        const float* incRJ = incR.at(j);
        for (int v = 0; v < lanes; ++v)
        {
            float pL = phaseL[v];
            float pR = phaseR[v];
            rawL[j][v] = samples[tableOffset[v] + (static_cast<int>(pL * scaleJ[v]) & kTableMask)];
            rawR[j][v] = samples[tableOffset[v] + (static_cast<int>(pR * scaleJ[v]) & kTableMask)];
            pL += incLJ[v];
            pR += incRJ[v];
            // A phase above 1 loses its integer part (written without a branch, so it vectorises;
            // truncation equals the integer conversion for these magnitudes).
            const float wrappedL = pL - __builtin_truncf(pL);
            const float wrappedR = pR - __builtin_truncf(pR);
            phaseL[v] = pL > 1.0f ? wrappedL : pL;
            phaseR[v] = pR > 1.0f ? wrappedR : pR;
        }
    }
}

#ifdef TALVANE_HAS_AVX2_PATH
// The same chains eight lanes at a time with hardware gathers, which the compiler does not use for
// the portable body. Truncating conversion and round-toward-zero match the integer conversions of
// the body exactly; the comparison is false for NaN there as well.
TALVANE_TARGET_AVX2 [[gnu::always_inline]] inline void chainStepAvx2(const float* samples, __m256& phase,
                                                                     const float* increment, __m256 rowScale,
                                                                     __m256i offset, float* out)
{
    const __m256i mask = _mm256_set1_epi32(kTableMask);
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256i index =
        _mm256_add_epi32(offset, _mm256_and_si256(_mm256_cvttps_epi32(_mm256_mul_ps(phase, rowScale)), mask));
    _mm256_store_ps(out, _mm256_i32gather_ps(samples, index, sizeof(float)));
    phase = _mm256_add_ps(phase, _mm256_load_ps(increment));
    const __m256 wrapped =
        _mm256_sub_ps(phase, _mm256_round_ps(phase, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC));
    phase = _mm256_blendv_ps(phase, wrapped, _mm256_cmp_ps(phase, one, _CMP_GT_OQ));
}

// Both channels' chains of the eight lanes from `v` on.
TALVANE_TARGET_AVX2 [[gnu::always_inline]] inline void
chainGroupAvx2(const float* samples, const int* tableOffset, LaneInput scale, LaneInput incL, LaneInput incR,
               float* phaseL, float* phaseR, LaneBlock& rawL, LaneBlock& rawR, int v)
{
    const __m256i offset = _mm256_load_si256(reinterpret_cast<const __m256i*>(tableOffset + v));
    __m256 pL = _mm256_load_ps(phaseL + v);
    __m256 pR = _mm256_load_ps(phaseR + v);
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
    {
        const __m256 rowScale = _mm256_load_ps(scale.at(j) + v);
        chainStepAvx2(samples, pL, incL.at(j) + v, rowScale, offset, &rawL[j][v]);
        chainStepAvx2(samples, pR, incR.at(j) + v, rowScale, offset, &rawR[j][v]);
    }
    _mm256_store_ps(phaseL + v, pL);
    _mm256_store_ps(phaseR + v, pR);
}

TALVANE_TARGET_AVX2 void chainAvx2(const float* samples, const int* tableOffset, LaneInput scale,
                                   LaneInput incL, LaneInput incR, float* phaseL, float* phaseR,
                                   LaneBlock& rawL, LaneBlock& rawR, int lanes)
{
    for (int v = 0; v < lanes; v += 8)
        chainGroupAvx2(samples, tableOffset, scale, incL, incR, phaseL, phaseR, rawL, rawR, v);
}

// One channel only, two lane groups interleaved: for oscillators whose right channel repeats the left.
TALVANE_TARGET_AVX2 void monoChainAvx2(const float* samples, const int* tableOffset, LaneInput scale,
                                       LaneInput increment, float* phase, LaneBlock& raw, int lanes)
{
    int v = 0;
    for (; v + 16 <= lanes; v += 16)
    {
        const __m256i offsetA = _mm256_load_si256(reinterpret_cast<const __m256i*>(tableOffset + v));
        const __m256i offsetB = _mm256_load_si256(reinterpret_cast<const __m256i*>(tableOffset + v + 8));
        __m256 pA = _mm256_load_ps(phase + v);
        __m256 pB = _mm256_load_ps(phase + v + 8);
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
        {
            chainStepAvx2(samples, pA, increment.at(j) + v, _mm256_load_ps(scale.at(j) + v), offsetA,
                          &raw[j][v]);
            chainStepAvx2(samples, pB, increment.at(j) + v + 8, _mm256_load_ps(scale.at(j) + v + 8), offsetB,
                          &raw[j][v + 8]);
        }
        _mm256_store_ps(phase + v, pA);
        _mm256_store_ps(phase + v + 8, pB);
    }
    for (; v < lanes; v += 8)
    {
        const __m256i offset = _mm256_load_si256(reinterpret_cast<const __m256i*>(tableOffset + v));
        __m256 p = _mm256_load_ps(phase + v);
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
            chainStepAvx2(samples, p, increment.at(j) + v, _mm256_load_ps(scale.at(j) + v), offset,
                          &raw[j][v]);
        _mm256_store_ps(phase + v, p);
    }
}

// Sixteen lanes per gather where the processor has AVX-512; a remaining group of eight runs the
// AVX2 steps. Same operations, same results.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
TALVANE_TARGET_AVX512 [[gnu::always_inline]] inline void chainStepAvx512(const float* samples, __m512& phase,
                                                                         const float* increment,
                                                                         __m512 rowScale, __m512i offset,
                                                                         float* out)
{
    const __m512i mask = _mm512_set1_epi32(kTableMask);
    const __m512i index =
        _mm512_add_epi32(offset, _mm512_and_si512(_mm512_cvttps_epi32(_mm512_mul_ps(phase, rowScale)), mask));
    _mm512_storeu_ps(out, _mm512_i32gather_ps(index, samples, sizeof(float)));
    phase = _mm512_add_ps(phase, _mm512_loadu_ps(increment));
    const __m512 wrapped =
        _mm512_sub_ps(phase, _mm512_roundscale_ps(phase, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC));
    phase = _mm512_mask_mov_ps(phase, _mm512_cmp_ps_mask(phase, _mm512_set1_ps(1.0f), _CMP_GT_OQ), wrapped);
}

TALVANE_TARGET_AVX512 void chainAvx512(const float* samples, const int* tableOffset, LaneInput scale,
                                       LaneInput incL, LaneInput incR, float* phaseL, float* phaseR,
                                       LaneBlock& rawL, LaneBlock& rawR, int lanes)
{
    int v = 0;
    for (; v + 16 <= lanes; v += 16)
    {
        const __m512i offset = _mm512_loadu_si512(tableOffset + v);
        __m512 pL = _mm512_loadu_ps(phaseL + v);
        __m512 pR = _mm512_loadu_ps(phaseR + v);
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
        {
            const __m512 rowScale = _mm512_loadu_ps(scale.at(j) + v);
            chainStepAvx512(samples, pL, incL.at(j) + v, rowScale, offset, &rawL[j][v]);
            chainStepAvx512(samples, pR, incR.at(j) + v, rowScale, offset, &rawR[j][v]);
        }
        _mm512_storeu_ps(phaseL + v, pL);
        _mm512_storeu_ps(phaseR + v, pR);
    }
    for (; v < lanes; v += 8)
        chainGroupAvx2(samples, tableOffset, scale, incL, incR, phaseL, phaseR, rawL, rawR, v);
}
#pragma GCC diagnostic pop

void chainWide(const float* samples, const int* tableOffset, LaneInput scale, LaneInput incL, LaneInput incR,
               float* phaseL, float* phaseR, LaneBlock& rawL, LaneBlock& rawR, int lanes)
{
    if (simd::hasAvx512())
        chainAvx512(samples, tableOffset, scale, incL, incR, phaseL, phaseR, rawL, rawR, lanes);
    else
        chainAvx2(samples, tableOffset, scale, incL, incR, phaseL, phaseR, rawL, rawR, lanes);
}
#endif
TALVANE_KERNEL_BODY void monoChainBody(const float* samples, const int* tableOffset, LaneInput scale,
                                       LaneInput increment, float* phase, LaneBlock& raw, int lanes)
{
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
    {
        const float* scaleJ = scale.at(j);
        const float* incJ = increment.at(j);
        for (int v = 0; v < lanes; ++v)
        {
            float p = phase[v];
            raw[j][v] = samples[tableOffset[v] + (static_cast<int>(p * scaleJ[v]) & kTableMask)];
            p += incJ[v];
            const float wrapped = p - __builtin_truncf(p);
            phase[v] = p > 1.0f ? wrapped : p;
        }
    }
}
TALVANE_KERNEL_WITH_AVX2(monoChain,
                         (const float* samples, const int* tableOffset, LaneInput scale, LaneInput increment,
                          float* phase, LaneBlock& raw, int lanes),
                         (samples, tableOffset, scale, increment, phase, raw, lanes))
#ifdef TALVANE_HAS_AVX2_PATH
#define chainAvx2 chainWide
#endif
TALVANE_KERNEL_WITH_AVX2(chain,
                         (const float* samples, const int* tableOffset, LaneInput scale, LaneInput incL,
                          LaneInput incR, float* phaseL, float* phaseR, LaneBlock& rawL, LaneBlock& rawR,
                          int lanes),
                         (samples, tableOffset, scale, incL, incR, phaseL, phaseR, rawL, rawR, lanes))
#ifdef TALVANE_HAS_AVX2_PATH
#undef chainAvx2
#endif

// Exponential FM: the frequency scaled by fastPow(1 + 8 * amount, modulator output).
TALVANE_KERNEL_BODY void fmIncrementsBody(const ModLanes& amountMod, const LaneBlock& sourceL,
                                          const LaneBlock& sourceR, const float* freq, float amount,
                                          float internalRate, LaneBlock& incL, LaneBlock& incR, int lanes)
{
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
        for (int v = 0; v < lanes; ++v)
        {
            const float m = amountMod[j / kOversampling][v];
            const float a = clamp01(amount + m);
            const double base = 1.0f + kFmDepth * a;
            const float f = freq[v];
            const double productL = f * fastPow(base, sourceL[j][v]);
            const double productR = f * fastPow(base, sourceR[j][v]);
            // Negative or NaN frequencies stop the phase instead.
            const float fmL = productL >= 0.0 ? static_cast<float>(productL) : 0.0f;
            const float fmR = productR >= 0.0 ? static_cast<float>(productR) : 0.0f;
            // FM applies where its amount or its modulation is non-zero.
            const bool applies = amount != 0.0f || m != 0.0f;
            incL[j][v] = (applies ? fmL : f) / internalRate;
            incR[j][v] = (applies ? fmR : f) / internalRate;
        }
}
#ifdef TALVANE_HAS_AVX2_PATH
// fastPow on four doubles, as the scalar one: the upper word of `base` rescaled by x around the
// bias of 1.0, saturated to int32, the lower word cleared.
TALVANE_TARGET_AVX2 [[gnu::always_inline]] inline __m256d fastPowAvx2(__m256d base, __m256d x)
{
    const __m256d bias = _mm256_set1_pd(1072632447.0);
    // The upper words sit in the odd 32-bit elements; collect them and widen to double.
    const __m256i upperWords =
        _mm256_permutevar8x32_epi32(_mm256_castpd_si256(base), _mm256_setr_epi32(1, 3, 5, 7, 0, 0, 0, 0));
    const __m256d upper = _mm256_cvtepi32_pd(_mm256_castsi256_si128(upperWords));
    __m256d scaled = _mm256_add_pd(_mm256_mul_pd(x, _mm256_sub_pd(upper, bias)), bias);
    scaled =
        _mm256_min_pd(_mm256_max_pd(scaled, _mm256_set1_pd(-2147483648.0)), _mm256_set1_pd(2147483647.0));
    const __m128i newUpper = _mm256_cvttpd_epi32(scaled);
    return _mm256_castsi256_pd(_mm256_slli_epi64(_mm256_cvtepu32_epi64(newUpper), 32));
}

// freq * fastPow(base, source) narrowed to float, or 0 where the product is negative or NaN; four
// lanes.
TALVANE_TARGET_AVX2 [[gnu::always_inline]] inline __m128 fmFrequencyAvx2(__m128 freq, __m128 base,
                                                                         __m128 source)
{
    const __m256d product =
        _mm256_mul_pd(_mm256_cvtps_pd(freq), fastPowAvx2(_mm256_cvtps_pd(base), _mm256_cvtps_pd(source)));
    const __m256d nonNegative = _mm256_cmp_pd(product, _mm256_setzero_pd(), _CMP_GE_OQ);
    // One 32-bit mask element per double.
    const __m128 keep = _mm256_castps256_ps128(
        _mm256_permutevar8x32_ps(_mm256_castpd_ps(nonNegative), _mm256_setr_epi32(0, 2, 4, 6, 0, 0, 0, 0)));
    return _mm_and_ps(_mm256_cvtpd_ps(product), keep);
}

TALVANE_TARGET_AVX2 void fmIncrementsAvx2(const ModLanes& amountMod, const LaneBlock& sourceL,
                                          const LaneBlock& sourceR, const float* freq, float amount,
                                          float internalRate, LaneBlock& incL, LaneBlock& incR, int lanes)
{
    const __m256 amountV = _mm256_set1_ps(amount);
    const __m256 zero = _mm256_setzero_ps();
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256 depth = _mm256_set1_ps(kFmDepth);
    const __m256 rate = _mm256_set1_ps(internalRate);
    const bool amountSet = amount != 0.0f;
    // The amount is modulated at the host rate: its base serves both internal samples of a host
    // sample.
    for (int k = 0; k < kSubBlockSamples; ++k)
        for (int v = 0; v < lanes; v += 8)
        {
            const __m256 m = _mm256_load_ps(&amountMod[k][v]);
            const __m256 a = avx2::clamp01(_mm256_add_ps(amountV, m));
            const __m256 base = _mm256_add_ps(one, _mm256_mul_ps(depth, a));
            const __m256 f = _mm256_load_ps(freq + v);
            const __m128 fLo = _mm256_castps256_ps128(f), fHi = _mm256_extractf128_ps(f, 1);
            const __m128 baseLo = _mm256_castps256_ps128(base), baseHi = _mm256_extractf128_ps(base, 1);
            // FM applies where its amount or its modulation is non-zero.
            const __m256 applies =
                amountSet ? _mm256_castsi256_ps(_mm256_set1_epi32(-1)) : _mm256_cmp_ps(m, zero, _CMP_NEQ_UQ);
            for (int j = kOversampling * k; j < kOversampling * (k + 1); ++j)
            {
                const __m256 sL = _mm256_load_ps(&sourceL[j][v]);
                const __m256 sR = _mm256_load_ps(&sourceR[j][v]);
                const __m256 fmL = _mm256_set_m128(fmFrequencyAvx2(fHi, baseHi, _mm256_extractf128_ps(sL, 1)),
                                                   fmFrequencyAvx2(fLo, baseLo, _mm256_castps256_ps128(sL)));
                const __m256 fmR = _mm256_set_m128(fmFrequencyAvx2(fHi, baseHi, _mm256_extractf128_ps(sR, 1)),
                                                   fmFrequencyAvx2(fLo, baseLo, _mm256_castps256_ps128(sR)));
                _mm256_store_ps(&incL[j][v], _mm256_div_ps(_mm256_blendv_ps(f, fmL, applies), rate));
                _mm256_store_ps(&incR[j][v], _mm256_div_ps(_mm256_blendv_ps(f, fmR, applies), rate));
            }
        }
}

// The same with eight doubles per operation. (GCC 12's AVX-512 headers trip its own
// maybe-uninitialized warning on their undefined-vector placeholders.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
TALVANE_TARGET_AVX512 void fmIncrementsAvx512(const ModLanes& amountMod, const LaneBlock& sourceL,
                                              const LaneBlock& sourceR, const float* freq, float amount,
                                              float internalRate, LaneBlock& incL, LaneBlock& incR, int lanes)
{
    const __m256 amountV = _mm256_set1_ps(amount);
    const __m256 zero = _mm256_setzero_ps();
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256 depth = _mm256_set1_ps(kFmDepth);
    const __m256 rate = _mm256_set1_ps(internalRate);
    const __m512d bias = _mm512_set1_pd(1072632447.0);
    const __m512d lowest = _mm512_set1_pd(-2147483648.0);
    const __m512d highest = _mm512_set1_pd(2147483647.0);
    const bool amountSet = amount != 0.0f;
    // The amount is modulated at the host rate: its base serves both internal samples of a host
    // sample and both channels.
    for (int k = 0; k < kSubBlockSamples; ++k)
        for (int v = 0; v < lanes; v += 8)
        {
            const __m256 m = _mm256_load_ps(&amountMod[k][v]);
            const __m256 base =
                _mm256_add_ps(one, _mm256_mul_ps(depth, avx2::clamp01(_mm256_add_ps(amountV, m))));
            const __m256 f = _mm256_load_ps(freq + v);
            const __m512d fD = _mm512_cvtps_pd(f);
            // The upper word of each base as a double: the same fastPow as the scalar one.
            const __m512d upper =
                _mm512_cvtepi64_pd(_mm512_srli_epi64(_mm512_castpd_si512(_mm512_cvtps_pd(base)), 32));
            const __m512d term = _mm512_sub_pd(upper, bias);
            const __m256 applies =
                amountSet ? _mm256_castsi256_ps(_mm256_set1_epi32(-1)) : _mm256_cmp_ps(m, zero, _CMP_NEQ_UQ);
            for (int j = kOversampling * k; j < kOversampling * (k + 1); ++j)
                for (int c = 0; c < 2; ++c)
                {
                    const __m512d x =
                        _mm512_cvtps_pd(_mm256_load_ps(c == 0 ? &sourceL[j][v] : &sourceR[j][v]));
                    __m512d scaled = _mm512_add_pd(_mm512_mul_pd(x, term), bias);
                    scaled = _mm512_min_pd(_mm512_max_pd(scaled, lowest), highest);
                    const __m512d power = _mm512_castsi512_pd(
                        _mm512_slli_epi64(_mm512_cvtepu32_epi64(_mm512_cvttpd_epi32(scaled)), 32));
                    const __m512d product = _mm512_mul_pd(fD, power);
                    const __mmask8 keep = _mm512_cmp_pd_mask(product, _mm512_setzero_pd(), _CMP_GE_OQ);
                    const __m256 fm = _mm256_maskz_mov_ps(keep, _mm512_cvtpd_ps(product));
                    _mm256_store_ps(c == 0 ? &incL[j][v] : &incR[j][v],
                                    _mm256_div_ps(_mm256_blendv_ps(f, fm, applies), rate));
                }
        }
}

#pragma GCC diagnostic pop

void fmIncrementsWide(const ModLanes& amountMod, const LaneBlock& sourceL, const LaneBlock& sourceR,
                      const float* freq, float amount, float internalRate, LaneBlock& incL, LaneBlock& incR,
                      int lanes)
{
    if (simd::hasAvx512())
        fmIncrementsAvx512(amountMod, sourceL, sourceR, freq, amount, internalRate, incL, incR, lanes);
    else
        fmIncrementsAvx2(amountMod, sourceL, sourceR, freq, amount, internalRate, incL, incR, lanes);
}
#define fmIncrementsAvx2 fmIncrementsWide
#endif
TALVANE_KERNEL_WITH_AVX2(fmIncrements,
                         (const ModLanes& amountMod, const LaneBlock& sourceL, const LaneBlock& sourceR,
                          const float* freq, float amount, float internalRate, LaneBlock& incL,
                          LaneBlock& incR, int lanes),
                         (amountMod, sourceL, sourceR, freq, amount, internalRate, incL, incR, lanes))
#ifdef TALVANE_HAS_AVX2_PATH
#undef fmIncrementsAvx2
#endif

// Pan (the side away from the pan keeps a gain of exactly 1), then mix into the voice sum. Without
// modulation the pan gains and the level are the same for every lane and sample.
template <bool panModulated, bool mixModulated>
TALVANE_KERNEL_BODY void panAndMixLanesBody(const LaneBlock& rawL, const LaneBlock& rawR,
                                            const ModLanes& panMod, const ModLanes& levelMod, float panning,
                                            float mix, LaneBlock& pannedL, LaneBlock& pannedR,
                                            LaneBlock& outL, LaneBlock& outR, int lanes)
{
    // Written as (m + 1) * 0.5 + pan - 0.5 even without modulation: the rounding is part of the sound.
    const float fixedU = clamp01((0.0f + 1.0f) * 0.5f + panning - 0.5f);
    const float fixedGainL = fixedU > 0.5f ? 2.0f * (1.0f - fixedU) : 1.0f;
    const float fixedGainR = fixedU > 0.5f ? 1.0f : 2.0f * fixedU;
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
        for (int v = 0; v < lanes; ++v)
        {
            float gainL = fixedGainL, gainR = fixedGainR;
            if constexpr (panModulated)
            {
                const float u = clamp01((panMod[j / kOversampling][v] + 1.0f) * 0.5f + panning - 0.5f);
                gainL = u > 0.5f ? 2.0f * (1.0f - u) : 1.0f;
                gainR = u > 0.5f ? 1.0f : 2.0f * u;
            }
            pannedL[j][v] = gainL * rawL[j][v];
            pannedR[j][v] = gainR * rawR[j][v];
            float level = mix;
            if constexpr (mixModulated)
                level = clamp01(mix + levelMod[j / kOversampling][v]);
            outL[j][v] += kOutputScale * level * pannedL[j][v];
            outR[j][v] += kOutputScale * level * pannedR[j][v];
        }
}

// Calls `kernel` with whether pan and level are modulated as compile-time flags, so that each
// combination is a loop of its own, without branches.
template <typename Kernel>
TALVANE_KERNEL_BODY void withModulationCase(bool panModulated, bool mixModulated, Kernel kernel)
{
    if (panModulated && mixModulated)
        kernel(std::true_type{}, std::true_type{});
    else if (panModulated)
        kernel(std::true_type{}, std::false_type{});
    else if (mixModulated)
        kernel(std::false_type{}, std::true_type{});
    else
        kernel(std::false_type{}, std::false_type{});
}

TALVANE_KERNEL_BODY void panAndMixDispatchBody(const LaneBlock& rawL, const LaneBlock& rawR,
                                               const ModLanes& panMod, const ModLanes& levelMod,
                                               float panning, float mix, bool panModulated, bool mixModulated,
                                               LaneBlock& pannedL, LaneBlock& pannedR, LaneBlock& outL,
                                               LaneBlock& outR, int lanes)
{
    withModulationCase(panModulated, mixModulated, [&](auto pan, auto level) {
        panAndMixLanesBody<decltype(pan)::value, decltype(level)::value>(
            rawL, rawR, panMod, levelMod, panning, mix, pannedL, pannedR, outL, outR, lanes);
    });
}
#ifdef TALVANE_HAS_AVX2_PATH
// One build per combination of modulated pan and level, so the loop has no branches.
template <bool panModulated, bool mixModulated>
TALVANE_TARGET_AVX2 void panAndMixAvx2(const LaneBlock& rawL, const LaneBlock& rawR, const ModLanes& panMod,
                                       const ModLanes& levelMod, float panning, float mix,
                                       LaneBlock& __restrict pannedL, LaneBlock& __restrict pannedR,
                                       LaneBlock& __restrict outL, LaneBlock& __restrict outR, int lanes)
{
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256 half = _mm256_set1_ps(0.5f);
    const __m256 two = _mm256_set1_ps(2.0f);
    const __m256 pan = _mm256_set1_ps(panning);
    const __m256 mixV = _mm256_set1_ps(mix);
    const __m256 scale = _mm256_set1_ps(kOutputScale);
    // Written as (m + 1) * 0.5 + pan - 0.5 even without modulation: the rounding is part of the sound.
    const float fixedU = clamp01((0.0f + 1.0f) * 0.5f + panning - 0.5f);
    const __m256 fixedGainL = _mm256_set1_ps(fixedU > 0.5f ? 2.0f * (1.0f - fixedU) : 1.0f);
    const __m256 fixedGainR = _mm256_set1_ps(fixedU > 0.5f ? 1.0f : 2.0f * fixedU);
    const __m256 fixedLevel = _mm256_mul_ps(scale, mixV);
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
        for (int v = 0; v < lanes; v += 8)
        {
            __m256 gainL = fixedGainL, gainR = fixedGainR;
            if constexpr (panModulated)
            {
                const __m256 m = _mm256_load_ps(&panMod[j / kOversampling][v]);
                const __m256 u = avx2::clamp01(
                    _mm256_sub_ps(_mm256_add_ps(_mm256_mul_ps(_mm256_add_ps(m, one), half), pan), half));
                const __m256 right = avx2::greater(u, half);
                gainL = avx2::select(right, _mm256_mul_ps(two, _mm256_sub_ps(one, u)), one);
                gainR = avx2::select(right, one, _mm256_mul_ps(two, u));
            }
            const __m256 pL = _mm256_mul_ps(gainL, _mm256_load_ps(&rawL[j][v]));
            const __m256 pR = _mm256_mul_ps(gainR, _mm256_load_ps(&rawR[j][v]));
            _mm256_store_ps(&pannedL[j][v], pL);
            _mm256_store_ps(&pannedR[j][v], pR);
            __m256 level = fixedLevel;
            if constexpr (mixModulated)
                level = _mm256_mul_ps(scale, avx2::clamp01(_mm256_add_ps(
                                                 mixV, _mm256_load_ps(&levelMod[j / kOversampling][v]))));
            _mm256_store_ps(&outL[j][v],
                            _mm256_add_ps(_mm256_load_ps(&outL[j][v]), _mm256_mul_ps(level, pL)));
            _mm256_store_ps(&outR[j][v],
                            _mm256_add_ps(_mm256_load_ps(&outR[j][v]), _mm256_mul_ps(level, pR)));
        }
}

TALVANE_TARGET_AVX2 void panAndMixDispatchAvx2(const LaneBlock& rawL, const LaneBlock& rawR,
                                               const ModLanes& panMod, const ModLanes& levelMod,
                                               float panning, float mix, bool panModulated, bool mixModulated,
                                               LaneBlock& pannedL, LaneBlock& pannedR, LaneBlock& outL,
                                               LaneBlock& outR, int lanes)
{
    withModulationCase(panModulated, mixModulated, [&](auto pan, auto level) {
        panAndMixAvx2<decltype(pan)::value, decltype(level)::value>(rawL, rawR, panMod, levelMod, panning,
                                                                    mix, pannedL, pannedR, outL, outR, lanes);
    });
}
#endif
TALVANE_KERNEL_WITH_AVX2(panAndMixDispatch,
                         (const LaneBlock& rawL, const LaneBlock& rawR, const ModLanes& panMod,
                          const ModLanes& levelMod, float panning, float mix, bool panModulated,
                          bool mixModulated, LaneBlock& pannedL, LaneBlock& pannedR, LaneBlock& outL,
                          LaneBlock& outR, int lanes),
                         (rawL, rawR, panMod, levelMod, panning, mix, panModulated, mixModulated, pannedL,
                          pannedR, outL, outR, lanes))

// The stretch of every lane and sample as a table index scale, under its modulation.
TALVANE_KERNEL_BODY void stretchScalesBody(const ModLanes& stretchMod, float stretch,
                                           LaneBlock& __restrict scale, int lanes)
{
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
        for (int v = 0; v < lanes; ++v)
            scale[j][v] = clamp01(stretch + stretchMod[j / kOversampling][v]) * kStretchIndexScale;
}
TALVANE_KERNEL_COMPILED_FOR_AVX2(stretchScales,
                                 (const ModLanes& stretchMod, float stretch, LaneBlock& scale, int lanes),
                                 (stretchMod, stretch, scale, lanes))

// Oscillator 3's modulator: oscillators 1 and 2 crossfaded by the FM mix.
TALVANE_KERNEL_BODY void crossfadeModulatorsBody(const ModLanes& mixMod, float mix, const LaneBlock& firstL,
                                                 const LaneBlock& firstR, const LaneBlock& secondL,
                                                 const LaneBlock& secondR, LaneBlock& __restrict outL,
                                                 LaneBlock& __restrict outR, int lanes)
{
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
        for (int v = 0; v < lanes; ++v)
        {
            const float x = clamp01(mix + mixMod[j / kOversampling][v]);
            outL[j][v] = (1.0f - x) * firstL[j][v] + x * secondL[j][v];
            outR[j][v] = (1.0f - x) * firstR[j][v] + x * secondR[j][v];
        }
}
TALVANE_KERNEL_COMPILED_FOR_AVX2(crossfadeModulators,
                                 (const ModLanes& mixMod, float mix, const LaneBlock& firstL,
                                  const LaneBlock& firstR, const LaneBlock& secondL, const LaneBlock& secondR,
                                  LaneBlock& outL, LaneBlock& outR, int lanes),
                                 (mixMod, mix, firstL, firstR, secondL, secondR, outL, outR, lanes))

struct RingAmounts
{
    float rm12, rm13, rm23;
};

TALVANE_KERNEL_BODY void ringLanesBody(const LaneBlock* pannedL, const LaneBlock* pannedR,
                                       const ModLanes& m12, const ModLanes& m13, const ModLanes& m23,
                                       RingAmounts rm, LaneBlock& outL, LaneBlock& outR, int lanes)
{
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
        for (int v = 0; v < lanes; ++v)
        {
            const float a12 = clamp01(rm.rm12 + m12[j / kOversampling][v]);
            const float a13 = clamp01(rm.rm13 + m13[j / kOversampling][v]);
            const float a23 = clamp01(rm.rm23 + m23[j / kOversampling][v]);
            const float o1L = pannedL[0][j][v], o2L = pannedL[1][j][v], o3L = pannedL[2][j][v];
            const float o1R = pannedR[0][j][v], o2R = pannedR[1][j][v], o3R = pannedR[2][j][v];
            outL[j][v] += kOutputScale * ((a13 * o1L + a23 * o2L) * o3L + a12 * o1L * o2L);
            outR[j][v] += kOutputScale * ((a13 * o1R + a23 * o2R) * o3R + a12 * o1R * o2R);
        }
}
#ifdef TALVANE_HAS_AVX2_PATH
TALVANE_TARGET_AVX2 void ringLanesAvx2(const LaneBlock* pannedL, const LaneBlock* pannedR,
                                       const ModLanes& m12, const ModLanes& m13, const ModLanes& m23,
                                       RingAmounts rm, LaneBlock& outL, LaneBlock& outR, int lanes)
{
    const __m256 rm12 = _mm256_set1_ps(rm.rm12), rm13 = _mm256_set1_ps(rm.rm13),
                 rm23 = _mm256_set1_ps(rm.rm23);
    const __m256 scale = _mm256_set1_ps(kOutputScale);
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
        for (int v = 0; v < lanes; v += 8)
        {
            const __m256 a12 = avx2::clamp01(_mm256_add_ps(rm12, _mm256_load_ps(&m12[j / kOversampling][v])));
            const __m256 a13 = avx2::clamp01(_mm256_add_ps(rm13, _mm256_load_ps(&m13[j / kOversampling][v])));
            const __m256 a23 = avx2::clamp01(_mm256_add_ps(rm23, _mm256_load_ps(&m23[j / kOversampling][v])));
            for (int c = 0; c < 2; ++c)
            {
                const LaneBlock* panned = c == 0 ? pannedL : pannedR;
                float* out = c == 0 ? &outL[j][v] : &outR[j][v];
                const __m256 o1 = _mm256_load_ps(&panned[0][j][v]);
                const __m256 o2 = _mm256_load_ps(&panned[1][j][v]);
                const __m256 o3 = _mm256_load_ps(&panned[2][j][v]);
                // ((a13 * o1 + a23 * o2) * o3 + a12 * o1 * o2) * 0.25, in the scalar order.
                const __m256 sum = _mm256_add_ps(
                    _mm256_mul_ps(_mm256_add_ps(_mm256_mul_ps(a13, o1), _mm256_mul_ps(a23, o2)), o3),
                    _mm256_mul_ps(_mm256_mul_ps(a12, o1), o2));
                _mm256_store_ps(out, _mm256_add_ps(_mm256_load_ps(out), _mm256_mul_ps(scale, sum)));
            }
        }
}
#endif
TALVANE_KERNEL_WITH_AVX2(ringLanes,
                         (const LaneBlock* pannedL, const LaneBlock* pannedR, const ModLanes& m12,
                          const ModLanes& m13, const ModLanes& m23, RingAmounts rm, LaneBlock& outL,
                          LaneBlock& outR, int lanes),
                         (pannedL, pannedR, m12, m13, m23, rm, outL, outR, lanes))

} // namespace

struct OscillatorStage::Lanes
{
    alignas(32) LaneRow phaseL;
    alignas(32) LaneRow phaseR;
    alignas(32) LaneRow freq;
    alignas(32) int tableOffset[kMaxLanes];
    alignas(32) LaneBlock incL, incR;
    alignas(32) LaneRow fixedIncrement; // without FM: the same for both channels and all samples
    alignas(32) LaneRow fixedScale;     // without stretch modulation
    alignas(32) LaneBlock scale;
    alignas(32) LaneBlock rawL, rawR;
    alignas(32) ModLanes modA, modB, modC;  // modulation rows
    alignas(32) LaneBlock sourceL, sourceR; // the modulator mix of oscillator 3's FM
    alignas(32) LaneBlock pannedL[kNumOscillators], pannedR[kNumOscillators];
    alignas(32) LaneBlock outL, outR;
};

OscillatorStage::OscillatorStage() : lanes(std::make_unique<Lanes>()) {}

OscillatorStage::~OscillatorStage() = default;

void OscillatorStage::setSources(const WavetableBank* bankIn, const LookupTables* lookupIn,
                                 const NoiseBuffers* noiseIn, float internalRate)
{
    bank = bankIn;
    lookup = lookupIn;
    noise = noiseIn;
    internalRateF = internalRate;
}

void OscillatorStage::startVoice(OscillatorVoiceState& state, const ModBus& bus) const
{
    for (int i = 0; i < kNumOscillators; ++i)
    {
        const OscillatorSettings& s = osc[i];
        float e;
        if (s.retrig)
            e = clamp01(s.phaseInit +
                        0.5f * (1.0f + bus.value[mod_dest::osc(i, mod_dest::kOscInitPhase)][0]));
        else
            e = static_cast<float>(random15() * kRandomPhaseScale);
        state.phaseL[i] = e;
        state.phaseR[i] = e;
        const float f =
            clamp01(s.stereoDephase + bus.value[mod_dest::osc(i, mod_dest::kOscStereoDephase)][0]);
        if (f < 0.5f)
            state.phaseR[i] = frac(e + 0.5f - f);
        if (f > 0.5f)
            state.phaseL[i] = frac(e + f - 0.5f);
    }
}

void OscillatorStage::render(OscillatorVoiceState& state, float currentPitch, const ModBus& bus,
                             const ModRouting& routing, float* outL, float* outR) const
{
    const OscillatorVoice voice{&state, currentPitch, &bus};
    VoiceLanes out;
    renderVoices(&voice, 1, routing, out);
    out.store(0, outL, outR);
}

void OscillatorStage::renderVoices(const OscillatorVoice* voices, int count, const ModRouting& routing,
                                   VoiceLanes& out) const
{
    Lanes& L = *lanes;
    fillLanes(L.outL, 0.0f);
    fillLanes(L.outR, 0.0f);
    for (int i = 0; i < kNumOscillators; ++i)
    {
        if (!osc[i].on)
        {
            // An oscillator that is off contributes zeros to FM and ring modulation.
            fillLanes(L.pannedL[i], 0.0f);
            fillLanes(L.pannedR[i], 0.0f);
            continue;
        }
        if (isNoise(osc[i].waveform))
            readNoise(i, voices, count);
        else
            readTable(i, voices, count, routing);
        panAndMix(i, voices, count, routing);
    }
    const bool ringUsed = common.rm12 != 0.0f || common.rm13 != 0.0f || common.rm23 != 0.0f ||
                          routing.modulated[mod_dest::kRm12] || routing.modulated[mod_dest::kRm13] ||
                          routing.modulated[mod_dest::kRm23];
    if (ringUsed)
        ringModulate(voices, count, routing);
    const size_t rowBytes = sizeof(float) * static_cast<size_t>(paddedLanes(count));
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
    {
        std::memcpy(out.samples[j], L.outL[j], rowBytes);
        std::memcpy(out.samples[j] + VoiceLanes::kRightLanes, L.outR[j], rowBytes);
    }
}

void OscillatorStage::readNoise(int i, const OscillatorVoice* voices, int count) const
{
    // Noise ignores pitch, FM, stretch and invert; both channels carry the same samples.
    Lanes& L = *lanes;
    const float* buffer = noise->buffer(osc[i].waveform);
    for (int v = 0; v < count; ++v)
    {
        int& position = voices[v].state->noisePos[i];
        position = (position + kSubBlockInternalSamples) % kNoiseWrap;
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
            L.rawL[j][v] = L.rawR[j][v] = buffer[position + j];
    }
}

bool OscillatorStage::fmActive(int i, const ModRouting& routing) const
{
    if (i == 1)
        return common.fm12 != 0.0f || routing.modulated[mod_dest::kFm12];
    if (i == 2)
        return common.fm3 != 0.0f || routing.modulated[mod_dest::kFm3Amount];
    return false;
}

void OscillatorStage::readTable(int i, const OscillatorVoice* voices, int count,
                                const ModRouting& routing) const
{
    Lanes& L = *lanes;
    const OscillatorSettings& s = osc[i];
    const int lanesUsed = paddedLanes(count);
    for (int v = 0; v < kMaxLanes; ++v)
    {
        if (v >= count)
        {
            L.phaseL[v] = L.phaseR[v] = L.freq[v] = 0.0f;
            L.tableOffset[v] = 0;
            continue;
        }
        const OscillatorVoice& voice = voices[v];
        // Pitch once per sub-block; the summation order is part of the sound.
        const float pitch = common.pitchBendOffset + s.octave + s.fineTune + s.detune + voice.currentPitch +
                            kPitchModRange * voice.bus->value[mod_dest::osc(i, mod_dest::kOscPitch)][0] +
                            kPitchModRange * voice.bus->value[mod_dest::kPitch][0];
        // Held between note 0 and a pitch whose frequency, even raised by FM, stays far inside the
        // float range; a NaN counts as note 0. So the table chosen always exists.
        double pitchValue = static_cast<double>(pitch) / kNotesPerUnit;
        if (!(pitchValue >= 0.0))
            pitchValue = 0.0;
        pitchValue = std::min(pitchValue, kHighestPitchValue);
        // At and above note 128 the frequency is computed directly and the top table is used.
        L.freq[v] = lookup->noteToHz(pitchValue);
        const int note = pitchValue >= 1.0 ? kHighestNote : static_cast<int>(kNotesPerUnit * pitchValue);
        L.tableOffset[v] = bank->tableOffset(s.waveform, note);
        L.phaseL[v] = voice.state->phaseL[i];
        L.phaseR[v] = voice.state->phaseR[i];
    }
    const bool withFm = fmActive(i, routing);
    if (withFm)
        computeFmIncrements(i, voices, count, routing);
    else
        for (int v = 0; v < kMaxLanes; ++v)
            L.fixedIncrement[v] = L.freq[v] / internalRateF;
    const LaneInput incL = withFm ? LaneInput::perSample(L.incL) : LaneInput::constant(L.fixedIncrement);
    const LaneInput incR = withFm ? LaneInput::perSample(L.incR) : LaneInput::constant(L.fixedIncrement);

    // stretch * phase * 2 * 4096: the power-of-two factors are exact, so one product suffices.
    const int stretchDest = mod_dest::osc(i, mod_dest::kOscStretch);
    const bool stretchModulated = routing.modulated[stretchDest];
    if (stretchModulated)
    {
        spreadLanes(voices, count, stretchDest, L.modA);
        stretchScales(L.modA, s.stretch, L.scale, lanesUsed);
    }
    else
    {
        std::fill(std::begin(L.fixedScale), std::end(L.fixedScale), s.stretch * kStretchIndexScale);
    }
    const LaneInput scale =
        stretchModulated ? LaneInput::perSample(L.scale) : LaneInput::constant(L.fixedScale);

    // Without stereo dephase and without FM the right channel would repeat the left exactly.
    const size_t phaseBytes = sizeof(float) * static_cast<size_t>(lanesUsed);
    if (!withFm && std::memcmp(L.phaseR, L.phaseL, phaseBytes) == 0)
    {
        monoChain(bank->sampleBlock(), L.tableOffset, scale, incL, L.phaseL, L.rawL, lanesUsed);
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
            std::memcpy(L.rawR[j], L.rawL[j], phaseBytes);
        std::memcpy(L.phaseR, L.phaseL, phaseBytes);
    }
    else
    {
        chain(bank->sampleBlock(), L.tableOffset, scale, incL, incR, L.phaseL, L.phaseR, L.rawL, L.rawR,
              lanesUsed);
    }
    for (int v = 0; v < count; ++v)
    {
        voices[v].state->phaseL[i] = L.phaseL[v];
        voices[v].state->phaseR[i] = L.phaseR[v];
    }
    if (s.invert)
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
            for (int v = 0; v < lanesUsed; ++v)
            {
                L.rawL[j][v] *= -1.0f;
                L.rawR[j][v] *= -1.0f;
            }
}

void OscillatorStage::computeFmIncrements(int i, const OscillatorVoice* voices, int count,
                                          const ModRouting& routing) const
{
    Lanes& L = *lanes;
    const int lanesUsed = paddedLanes(count);
    // The frequency scaled by the modulator's panned output (before its mix level).
    const bool isO2 = i == 1;
    const float amount = isO2 ? common.fm12 : common.fm3;
    const ModLanes& amountMod =
        modulationLanes(voices, count, isO2 ? mod_dest::kFm12 : mod_dest::kFm3Amount, routing, L.modA);
    // The modulator: oscillator 1 for oscillator 2; a mix of oscillators 1 and 2 for oscillator 3.
    const LaneBlock* sourceL = &L.pannedL[0];
    const LaneBlock* sourceR = &L.pannedR[0];
    if (!isO2)
    {
        const ModLanes& mixMod = modulationLanes(voices, count, mod_dest::kFm3OscMix, routing, L.modB);
        crossfadeModulators(mixMod, common.fm3Mix, L.pannedL[0], L.pannedR[0], L.pannedL[1], L.pannedR[1],
                            L.sourceL, L.sourceR, lanesUsed);
        sourceL = &L.sourceL;
        sourceR = &L.sourceR;
    }
    fmIncrements(amountMod, *sourceL, *sourceR, L.freq, amount, internalRateF, L.incL, L.incR, lanesUsed);
}

void OscillatorStage::panAndMix(int i, const OscillatorVoice* voices, int count,
                                const ModRouting& routing) const
{
    Lanes& L = *lanes;
    const OscillatorSettings& s = osc[i];
    const int lanesUsed = paddedLanes(count);
    const int panDest = mod_dest::osc(i, mod_dest::kOscPanning);
    const int mixDest = mod_dest::osc(i, mod_dest::kOscMix);
    const bool panModulated = routing.modulated[panDest];
    const bool mixModulated = routing.modulated[mixDest];
    if (panModulated)
        spreadLanes(voices, count, panDest, L.modA);
    if (mixModulated)
        spreadLanes(voices, count, mixDest, L.modB);
    panAndMixDispatch(L.rawL, L.rawR, L.modA, L.modB, s.panning, s.mix, panModulated, mixModulated,
                      L.pannedL[i], L.pannedR[i], L.outL, L.outR, lanesUsed);
}

void OscillatorStage::ringModulate(const OscillatorVoice* voices, int count, const ModRouting& routing) const
{
    Lanes& L = *lanes;
    const int lanesUsed = paddedLanes(count);
    const ModLanes& m12 = modulationLanes(voices, count, mod_dest::kRm12, routing, L.modA);
    const ModLanes& m13 = modulationLanes(voices, count, mod_dest::kRm13, routing, L.modB);
    const ModLanes& m23 = modulationLanes(voices, count, mod_dest::kRm23, routing, L.modC);
    ringLanes(L.pannedL, L.pannedR, m12, m13, m23, {common.rm12, common.rm13, common.rm23}, L.outL, L.outR,
              lanesUsed);
}

} // namespace talvane
