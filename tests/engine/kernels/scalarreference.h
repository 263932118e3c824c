// The kernels' computations stated one lane and one sample at a time in plain C++, as the engine's
// documentation writes them: what every target's vector code must reproduce bit for bit.
#pragma once

#include "source/engine/kernels/fastpow.h"
#include "source/engine/kernels/kernelset.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace talvane::testing::reference {

using namespace talvane::kernels;

inline float clamp01(float x)
{
    return std::min(std::max(x, 0.0f), 1.0f);
}

// Float to int32 rounding toward zero; NaN and values out of range give INT_MIN.
inline int toInt(float x)
{
    if (!(x >= -2147483648.0f && x < 2147483648.0f))
        return INT_MIN;
    return static_cast<int>(x);
}

constexpr int kTableMask = 4095;

// The phase increment of internal sample j of channel c in lane v under FM.
inline float fmIncrement(const FmModulation& fm, int v, int j, int c)
{
    const float m = (*fm.amountMod)[j / 2][v];
    const double base = 1.0f + 8.0f * clamp01(fm.amount + m);
    const float f = fm.freq[v];
    float source = (*fm.first[c])[j][v];
    if (fm.second[0])
    {
        const float x = clamp01(fm.mix + (*fm.mixMod)[j / 2][v]);
        source = (1.0f - x) * source + x * (*fm.second[c])[j][v];
    }
    const double product = f * fastpow::fastPow(base, source);
    // Negative or NaN frequencies stop the phase instead.
    const float modulated = product >= 0.0 ? static_cast<float>(product) : 0.0f;
    const bool applies = fm.amount != 0.0f || m != 0.0f;
    return (applies ? modulated : f) / fm.internalRate;
}

inline void oscillator(const Oscillator& a)
{
    for (int v = 0; v < a.lanes; ++v)
    {
        float phase[2] = {};
        if (!a.source[0])
            for (int c = 0; c < a.channels; ++c)
                phase[c] = a.phase[c][v];
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
        {
            float raw[2] = {};
            for (int c = 0; c < 2; ++c)
            {
                if (a.source[0])
                {
                    raw[c] = (*a.source[c])[j][v];
                    continue;
                }
                if (c >= a.channels)
                {
                    raw[c] = raw[0]; // the right channel repeats the left
                    continue;
                }
                // stretch × phase × 2 × 4096: stretch 0.5 reads the table once per period.
                const float scale = a.stretchMod ? clamp01(a.stretch + (*a.stretchMod)[j / 2][v]) * 8192.0f
                                                 : a.stretch * 8192.0f;
                raw[c] = a.samples[a.tableOffset[v] + (toInt(phase[c] * scale) & kTableMask)];
                phase[c] += a.fm ? fmIncrement(*a.fm, v, j, c) : a.increment[v];
                if (phase[c] > 1.0f)
                    phase[c] -= std::trunc(phase[c]);
            }
            const float m = a.panMod ? (*a.panMod)[j / 2][v] : 0.0f;
            const float u = clamp01((m + 1.0f) * 0.5f + a.panning - 0.5f);
            const float gain[2] = {u > 0.5f ? 2.0f * (1.0f - u) : 1.0f, u > 0.5f ? 1.0f : 2.0f * u};
            const float level = a.mixMod ? clamp01(a.mix + (*a.mixMod)[j / 2][v]) : a.mix;
            for (int c = 0; c < 2; ++c)
            {
                if (a.invert)
                    raw[c] *= -1.0f;
                const float panned = gain[c] * raw[c];
                (*a.panned[c])[j][v] = panned;
                a.voices[j][c * lanes::kRightLanes + v] += 0.25f * level * panned;
            }
        }
        if (!a.source[0])
            for (int c = 0; c < a.channels; ++c)
                a.phase[c][v] = phase[c];
    }
}

inline void ringModulation(const RingModulation& a)
{
    for (int v = 0; v < a.lanes; ++v)
        for (int j = 0; j < kSubBlockInternalSamples; ++j)
        {
            const float a12 = clamp01(a.amount[0] + (*a.amountMod[0])[j / 2][v]);
            const float a13 = clamp01(a.amount[1] + (*a.amountMod[1])[j / 2][v]);
            const float a23 = clamp01(a.amount[2] + (*a.amountMod[2])[j / 2][v]);
            for (int c = 0; c < 2; ++c)
            {
                const float o1 = (*a.panned[0][c])[j][v], o2 = (*a.panned[1][c])[j][v],
                            o3 = (*a.panned[2][c])[j][v];
                a.voices[j][c * lanes::kRightLanes + v] +=
                    0.25f * ((a13 * o1 + a23 * o2) * o3 + a12 * o1 * o2);
            }
        }
}

inline void ladder(const Ladder& a)
{
    LadderLanes& L = *a.state;
    for (int c = 0; c < 2; ++c)
        for (int v = 0; v < a.lanes; ++v)
        {
            const int lane = c * lanes::kRightLanes + v;
            const float p = L.p[v], p2 = L.p2[v], f = L.f[v], k = L.k[v], comp = L.comp[v];
            for (int j = 0; j < kSubBlockInternalSamples; ++j)
            {
                float& io = a.samples[j][lane];
                const float s = io;
                const float x = s - comp * L.fb[lane] * k;
                const float y1 = p * L.x0[lane] + p * x - f * L.y1[lane];
                const float y2 = p * L.y1[lane] + p * y1 - f * L.y2[lane];
                const float y3 = p2 * L.y2[lane] + p * y2 - f * L.y3[lane];
                const float y4 = p2 * L.y3[lane] + p * y3 - f * L.y4[lane];
                L.x0[lane] = x;
                L.y1[lane] = y1;
                L.y2[lane] = y2;
                L.y3[lane] = y3;
                L.y4[lane] = y4;
                L.fb[lane] = y4 - 0.125f * s;
                switch (a.type)
                {
                case FilterType::LowPass:
                    io = y4;
                    break;
                case FilterType::BandPass:
                    io = y4 - y2;
                    break;
                case FilterType::HighPass:
                    io = x - y4;
                    break;
                case FilterType::Peak:
                    io = (y4 - y2) - 0.33f * s;
                    break;
                case FilterType::Notch:
                    io = (y4 - y2) + 0.66f * s;
                    break;
                }
            }
        }
}

inline void lfoAdvance(const LfoAdvance& a)
{
    for (int v = 0; v < a.lanes; ++v)
        for (int k = 0; k < kSubBlockSamples; ++k)
        {
            (*a.raw)[k][v] = a.table[toInt(a.phase[v] * 4096.0f) & kTableMask];
            const float sum = a.phase[v] + a.increment[v];
            a.phase[v] = sum - std::trunc(sum);
        }
}

inline void busClamp(const BusClamp& a)
{
    for (int i = 0; i < a.count; ++i)
    {
        float* row = a.rows[a.listed[i]];
        for (int k = 0; k < kSubBlockSamples; ++k)
            row[k] = std::min(std::max(row[k], -1.0f), 1.0f);
        a.last[a.listed[i]] = row[kSubBlockSamples - 1];
    }
}

inline void tapSum(const TapSum& a)
{
    for (int i = 0; i < a.count; ++i)
    {
        float sum = 0.0f;
        for (int k = 0; k < a.tapCount; ++k)
            sum += a.coefficients[k] * a.taps[k][i];
        a.output[i] = sum;
    }
}

} // namespace talvane::testing::reference
