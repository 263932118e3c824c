// Exponential FM: an oscillator's frequency scaled by fastPow(1 + 8 × amount, modulator) and
// turned into a phase increment, in double precision as fastpow.h states it. Included once per
// target.
#if defined(TALVANE_KERNELS_FM_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef TALVANE_KERNELS_FM_INL_H_
#undef TALVANE_KERNELS_FM_INL_H_
#else
#define TALVANE_KERNELS_FM_INL_H_
#endif

#include "source/engine/kernels/fastpow.h"
#include "source/engine/kernels/kernelset.h"
#include "source/engine/kernels/lanegroups-inl.h"

#include <hwy/highway.h>

#include <cstdint>

HWY_BEFORE_NAMESPACE();
namespace talvane::kernels::HWY_NAMESPACE {

// The FM of one group of lanes: set up once per sub-block, then per host sample, then asked for
// the increment of each internal sample and channel.
template <class D>
class FmLanes
{
public:
    using V = hn::Vec<D>;

    FmLanes(D d, const FmModulation& fm, int v)
        : fm(fm), v(v), amountSet(fm.amount != 0.0f), freq(hn::LoadU(d, fm.freq + v)),
          freqLo(hn::PromoteTo(DD(), hn::LowerHalf(DH(), freq))),
          freqHi(hn::PromoteTo(DD(), hn::UpperHalf(DH(), freq))), rate(hn::Set(d, fm.internalRate))
    {}

    // The amount is modulated at the host rate: its base serves both internal samples of a host
    // sample and both channels; so does the crossfade of two modulators.
    void beginHostSample(D d, int k)
    {
        const DD dd;
        const DH dh;
        const auto m = hn::LoadU(d, (*fm.amountMod)[k] + v);
        const auto base = hn::Add(hn::Set(d, 1.0f),
                                  hn::Mul(hn::Set(d, kFmDepth), clamp01(hn::Add(hn::Set(d, fm.amount), m))));
        termLo = hn::Sub(upperWord(hn::PromoteTo(dd, hn::LowerHalf(dh, base))),
                         hn::Set(dd, fastpow::kOneUpperWord));
        termHi = hn::Sub(upperWord(hn::PromoteTo(dd, hn::UpperHalf(dh, base))),
                         hn::Set(dd, fastpow::kOneUpperWord));
        // Without an amount FM applies only where its modulation is non-zero.
        if (!amountSet)
            applies = notEqual(m, hn::Zero(d));
        if (fm.second[0])
            crossfade = clamp01(hn::Add(hn::Set(d, fm.mix), hn::LoadU(d, (*fm.mixMod)[k] + v)));
    }

    // The phase increment of internal sample j of channel c.
    V increment(D d, int j, int c) const
    {
        const DH dh;
        auto source = hn::LoadU(d, &(*fm.first[c])[j][v]);
        // The modulator of oscillator 3: oscillators 1 and 2 crossfaded by the FM mix.
        if (fm.second[0])
            source = hn::Add(hn::Mul(hn::Sub(hn::Set(d, 1.0f), crossfade), source),
                             hn::Mul(crossfade, hn::LoadU(d, &(*fm.second[c])[j][v])));
        const auto lo = modulatedFrequency(freqLo, termLo, hn::LowerHalf(dh, source));
        const auto hi = modulatedFrequency(freqHi, termHi, hn::UpperHalf(dh, source));
        const auto modulated = hn::Combine(d, hi, lo);
        return hn::Div(amountSet ? modulated : hn::IfThenElse(applies, modulated, freq), rate);
    }

private:
    static constexpr float kFmDepth = 8.0f;
    using DH = hn::Half<D>;
    using DD = hn::Rebind<double, DH>; // half the lanes as doubles: a full vector
    using VD = hn::Vec<DD>;

    // The upper word of each double, read as a signed integer, as a double.
    static VD upperWord(VD v)
    {
        const DD dd;
        const hn::RebindToSigned<DD> di;
        return hn::ConvertTo(dd, hn::ShiftRight<32>(hn::BitCast(di, v)));
    }

    // fastPow(base, x) with `term` = upper word of base − kOneUpperWord: x × term + kOneUpperWord
    // becomes the upper word of the result, saturated to int32 (a NaN word to the lowest).
    static VD fastPow(VD term, VD x)
    {
        const DD dd;
        const hn::Rebind<std::int32_t, DD> di32;
        const hn::Rebind<std::uint32_t, DD> du32;
        const hn::RebindToUnsigned<DD> du64;
        auto word = hn::Add(hn::Mul(x, term), hn::Set(dd, fastpow::kOneUpperWord));
        // Max before Min, the bound second: a NaN word becomes the lowest.
        word = hn::Min(hn::Max(word, hn::Set(dd, fastpow::kLowestWord)), hn::Set(dd, fastpow::kHighestWord));
        const auto upper = hn::BitCast(du32, hn::DemoteTo(di32, word));
        return hn::BitCast(dd, hn::ShiftLeft<32>(hn::PromoteTo(du64, upper)));
    }

    // freq × fastPow(base, x) narrowed to float, or 0 where that product is negative or NaN.
    static hn::Vec<DH> modulatedFrequency(VD freq, VD term, hn::Vec<DH> x)
    {
        const DD dd;
        const DH dh;
        const auto product = hn::Mul(freq, fastPow(term, hn::PromoteTo(dd, x)));
        return hn::DemoteTo(dh, hn::IfThenElseZero(hn::Ge(product, hn::Zero(dd)), product));
    }

    const FmModulation& fm;
    const int v;
    const bool amountSet;
    V freq;
    VD freqLo, freqHi;
    V rate;
    VD termLo, termHi;
    hn::Mask<D> applies;
    V crossfade;
};

} // namespace talvane::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif // include guard
