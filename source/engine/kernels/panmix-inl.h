// An oscillator's samples panned and mixed into the voice sum. The side away from the pan keeps its
// full level; the panned samples are kept for FM and ring modulation. Included once per target.
#if defined(TALVANE_KERNELS_PANMIX_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef TALVANE_KERNELS_PANMIX_INL_H_
#undef TALVANE_KERNELS_PANMIX_INL_H_
#else
#define TALVANE_KERNELS_PANMIX_INL_H_
#endif

#include "source/engine/kernels/kernelset.h"
#include "source/engine/kernels/lanegroups-inl.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace talvane::kernels::HWY_NAMESPACE {

// Pan and level of one group of lanes: set up once per sub-block, updated per host sample where
// they are modulated.
template <class D>
class PanLanes
{
public:
    using V = hn::Vec<D>;

    PanLanes(D d, const Oscillator& osc, int v)
        : osc(osc), v(v), panning(hn::Set(d, osc.panning)), mixSetting(hn::Set(d, osc.mix)),
          scale(hn::Set(d, kOutputScale)), level(hn::Mul(scale, mixSetting))
    {
        setGains(hn::Zero(d));
    }

    void beginHostSample(D d, int k)
    {
        if (osc.panMod)
            setGains(hn::LoadU(d, (*osc.panMod)[k] + v));
        if (osc.mixMod)
            level = hn::Mul(scale, clamp01(hn::Add(mixSetting, hn::LoadU(d, (*osc.mixMod)[k] + v))));
    }

    // Internal sample j of channel c: the raw sample (inverted where the oscillator is) panned,
    // kept, and added to the voice sum at the oscillator's level.
    void panAndMix(D d, int j, int c, V raw) const
    {
        if (osc.invert)
            raw = hn::Mul(raw, hn::Set(d, -1.0f));
        const auto panned = hn::Mul(gain[c], raw);
        hn::StoreU(panned, d, &(*osc.panned[c])[j][v]);
        float* voice = osc.voices[j] + c * lanes::kRightLanes + v;
        hn::StoreU(hn::Add(hn::LoadU(d, voice), hn::Mul(level, panned)), d, voice);
    }

private:
    static constexpr float kOutputScale = 0.25f;

    // The channels' gains at the pan position u = clamp01((m + 1) × 0.5 + panning − 0.5), written
    // so even without modulation: the rounding is part of the sound.
    void setGains(V m)
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

    const Oscillator& osc;
    const int v;
    const V panning, mixSetting, scale;
    V level;
    V gain[2];
};

} // namespace talvane::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif // include guard
