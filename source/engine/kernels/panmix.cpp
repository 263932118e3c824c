// One oscillator's samples panned and mixed into the voice sum, in every lane. The side away from
// the pan keeps its full level; the panned samples are kept for FM and ring modulation.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "source/engine/kernels/panmix.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include "source/engine/kernels/entrypoints-inl.h"
#include "source/engine/kernels/lanegroups-inl.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace talvane::kernels::HWY_NAMESPACE {
namespace {

constexpr float kOutputScale = 0.25f;

// The channels' gains at the pan of the panning setting under modulation m. The pan position is
// written as (m + 1) × 0.5 + panning − 0.5 even without modulation: the rounding is part of the sound.
template <class V>
HWY_INLINE void panGains(V panning, V m, V (&gain)[2])
{
    const hn::DFromV<V> d;
    const auto one = hn::Set(d, 1.0f);
    const auto half = hn::Set(d, 0.5f);
    const auto two = hn::Set(d, 2.0f);
    const auto u = clamp01(hn::Sub(hn::Add(hn::Mul(hn::Add(m, one), half), panning), half));
    const auto right = hn::Gt(u, half);
    gain[0] = hn::IfThenElse(right, hn::Mul(two, hn::Sub(one, u)), one);
    gain[1] = hn::IfThenElse(right, one, hn::Mul(two, u));
}

template <bool kInvert, bool kPanModulated, bool kMixModulated, class D>
HWY_INLINE void panGroup(D d, const PanAndMix& a, int v)
{
    const auto scale = hn::Set(d, kOutputScale);
    const auto panning = hn::Set(d, a.panning);
    const auto mix = hn::Set(d, a.mix);
    hn::Vec<D> gain[2];
    panGains(panning, hn::Zero(d), gain);
    hn::Vec<D> level = hn::Mul(scale, mix);
    for (int k = 0; k < kSubBlockSamples; ++k)
    {
        if constexpr (kPanModulated)
            panGains(panning, hn::LoadU(d, (*a.panMod)[k] + v), gain);
        if constexpr (kMixModulated)
            level = hn::Mul(scale, clamp01(hn::Add(mix, hn::LoadU(d, (*a.mixMod)[k] + v))));
        for (int j = kOversampling * k; j < kOversampling * (k + 1); ++j)
            for (int c = 0; c < 2; ++c)
            {
                auto raw = hn::LoadU(d, &(*a.raw[c])[j][v]);
                if constexpr (kInvert)
                    raw = hn::Mul(raw, hn::Set(d, -1.0f));
                const auto panned = hn::Mul(gain[c], raw);
                hn::StoreU(panned, d, &(*a.panned[c])[j][v]);
                float* voice = a.voices[j] + c * lanes::kRightLanes + v;
                hn::StoreU(hn::Add(hn::LoadU(d, voice), hn::Mul(level, panned)), d, voice);
            }
    }
}

template <bool kInvert, bool kPanModulated, bool kMixModulated>
void panLanes(const PanAndMix& a)
{
    forEachLaneGroup(a.lanes, [&](auto d, int v) HWY_ATTR { panGroup<kInvert, kPanModulated, kMixModulated>(d, a, v); });
}

// Each combination of inversion and modulation is a loop of its own, without branches.
template <bool... kFlags>
void panCase(const PanAndMix& a)
{
    constexpr int kChosen = sizeof...(kFlags);
    if constexpr (kChosen == 3)
        panLanes<kFlags...>(a);
    else
    {
        const bool flag = kChosen == 0 ? a.invert : kChosen == 1 ? a.panMod != nullptr : a.mixMod != nullptr;
        if (flag)
            panCase<kFlags..., true>(a);
        else
            panCase<kFlags..., false>(a);
    }
}

} // namespace

void panAndMix(const PanAndMix& a) noexcept
{
    panCase<>(a);
}

} // namespace talvane::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
