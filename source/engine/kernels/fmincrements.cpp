// Exponential FM: per lane and internal sample, an oscillator's phase increment with its frequency
// scaled by fastPow(1 + 8 × amount, modulator), in double precision as fastpow.h states it.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "source/engine/kernels/fmincrements.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include "source/engine/kernels/entrypoints-inl.h"
#include "source/engine/kernels/fastpow.h"
#include "source/engine/kernels/lanegroups-inl.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace talvane::kernels::HWY_NAMESPACE {
namespace {

constexpr float kFmDepth = 8.0f;

// Half a float vector's lanes as doubles: a full vector.
template <class D>
using DoubleHalf = hn::Rebind<double, hn::Half<D>>;

// The upper word of each double, read as a signed integer, as a double.
template <class DD>
HWY_INLINE hn::Vec<DD> upperWord(DD dd, hn::Vec<DD> v)
{
    const hn::RebindToSigned<DD> di;
    return hn::ConvertTo(dd, hn::ShiftRight<32>(hn::BitCast(di, v)));
}

// fastPow(base, x) with `term` = upper word of base - kOneUpperWord.
template <class DD>
HWY_INLINE hn::Vec<DD> fastPow(DD dd, hn::Vec<DD> term, hn::Vec<DD> x)
{
    const hn::Rebind<std::int32_t, DD> di32;
    const hn::Rebind<std::uint32_t, DD> du32;
    const hn::RebindToUnsigned<DD> du64;
    auto word = hn::Add(hn::Mul(x, term), hn::Set(dd, fastpow::kOneUpperWord));
    // Max before Min, the bound second: a NaN word becomes the lowest.
    word = hn::Min(hn::Max(word, hn::Set(dd, fastpow::kLowestWord)), hn::Set(dd, fastpow::kHighestWord));
    const auto upper = hn::BitCast(du32, hn::DemoteTo(di32, word));
    return hn::BitCast(dd, hn::ShiftLeft<32>(hn::PromoteTo(du64, upper)));
}

// freq × fastPow(base, x) narrowed to float, or 0 where that product is negative or NaN: for the
// half of the lanes in `dd`.
template <class DD, class DH>
HWY_INLINE hn::Vec<DH> modulatedFrequency(DD dd, DH dh, hn::Vec<DD> freq, hn::Vec<DD> term, hn::Vec<DH> x)
{
    const auto product = hn::Mul(freq, fastPow(dd, term, hn::PromoteTo(dd, x)));
    return hn::DemoteTo(dh, hn::IfThenElseZero(hn::Ge(product, hn::Zero(dd)), product));
}

template <bool kCrossfade, class D>
HWY_INLINE void fmGroup(D d, const FmIncrements& a, int v)
{
    const hn::Half<D> dh;
    const DoubleHalf<D> dd;
    const auto one = hn::Set(d, 1.0f);
    const auto amount = hn::Set(d, a.amount);
    const auto rate = hn::Set(d, a.internalRate);
    const auto freq = hn::LoadU(d, a.freq + v);
    const auto freqLo = hn::PromoteTo(dd, hn::LowerHalf(dh, freq));
    const auto freqHi = hn::PromoteTo(dd, hn::UpperHalf(dh, freq));
    const auto oneUpperWord = hn::Set(dd, fastpow::kOneUpperWord);
    const bool amountSet = a.amount != 0.0f;
    // The amount is modulated at the host rate: its base serves both internal samples of a host
    // sample and both channels.
    for (int k = 0; k < kSubBlockSamples; ++k)
    {
        const auto m = hn::LoadU(d, (*a.amountMod)[k] + v);
        const auto base = hn::Add(one, hn::Mul(hn::Set(d, kFmDepth), clamp01(hn::Add(amount, m))));
        const auto termLo = hn::Sub(upperWord(dd, hn::PromoteTo(dd, hn::LowerHalf(dh, base))), oneUpperWord);
        const auto termHi = hn::Sub(upperWord(dd, hn::PromoteTo(dd, hn::UpperHalf(dh, base))), oneUpperWord);
        // FM applies where its amount or its modulation is non-zero.
        const auto applies = amountSet ? hn::FirstN(d, hn::Lanes(d)) : notEqual(m, hn::Zero(d));
        hn::Vec<D> crossfade = one;
        if constexpr (kCrossfade)
            crossfade = clamp01(hn::Add(hn::Set(d, a.mix), hn::LoadU(d, (*a.mixMod)[k] + v)));
        for (int j = kOversampling * k; j < kOversampling * (k + 1); ++j)
            for (int c = 0; c < 2; ++c)
            {
                auto source = hn::LoadU(d, &(*a.first[c])[j][v]);
                if constexpr (kCrossfade)
                    source = hn::Add(hn::Mul(hn::Sub(one, crossfade), source),
                                     hn::Mul(crossfade, hn::LoadU(d, &(*a.second[c])[j][v])));
                const auto lo = modulatedFrequency(dd, dh, freqLo, termLo, hn::LowerHalf(dh, source));
                const auto hi = modulatedFrequency(dd, dh, freqHi, termHi, hn::UpperHalf(dh, source));
                const auto frequency = hn::IfThenElse(applies, hn::Combine(d, hi, lo), freq);
                hn::StoreU(hn::Div(frequency, rate), d, &(*a.increment[c])[j][v]);
            }
    }
}

template <bool kCrossfade>
void fmLanes(const FmIncrements& a)
{
    forEachLaneGroup(a.lanes, [&](auto d, int v) HWY_ATTR { fmGroup<kCrossfade>(d, a, v); });
}

} // namespace

void fmIncrements(const FmIncrements& a) noexcept
{
    if (a.second[0])
        fmLanes<true>(a);
    else
        fmLanes<false>(a);
}

} // namespace talvane::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
