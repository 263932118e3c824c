// The oscillators' phase chains: a lane reads its wavetable at its phase, then advances the phase;
// a phase above 1 loses its integer part. Included once per target.
#if defined(TALVANE_KERNELS_PHASECHAIN_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef TALVANE_KERNELS_PHASECHAIN_INL_H_
#undef TALVANE_KERNELS_PHASECHAIN_INL_H_
#else
#define TALVANE_KERNELS_PHASECHAIN_INL_H_
#endif

#include "source/engine/kernels/lanegroups-inl.h"
#include "source/engine/wavetablebank.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace talvane::kernels::HWY_NAMESPACE {

// Stretch 0.5 reads the table once per period: the index is stretch × phase × 2 × the table length,
// and the power-of-two factors are exact, so one product with their product suffices.
constexpr float kStretchIndexScale = 2.0f * static_cast<float>(WavetableBank::kTableLength);
constexpr int kWavetableMask = WavetableBank::kTableLength - 1;

// The index scale of a stretch setting without modulation, and under modulation m (clamped).
template <class D>
HWY_INLINE hn::Vec<D> stretchScale(D d, float stretch)
{
    return hn::Set(d, stretch * kStretchIndexScale);
}
template <class D>
HWY_INLINE hn::Vec<D> stretchScale(D d, float stretch, hn::Vec<D> m)
{
    return hn::Mul(clamp01(hn::Add(hn::Set(d, stretch), m)), hn::Set(d, kStretchIndexScale));
}

// The sample at the phase of each lane's table (offset into `samples`).
template <class D, class VI>
HWY_INLINE hn::Vec<D> readTable(D d, const float* samples, VI offset, hn::Vec<D> scale, hn::Vec<D> phase)
{
    const hn::RebindToSigned<D> di;
    const VI index =
        hn::Add(offset, hn::And(truncateToInt(hn::Mul(phase, scale)), hn::Set(di, kWavetableMask)));
    return hn::GatherIndex(d, samples, index);
}

template <class V>
HWY_INLINE V advancePhase(V phase, V increment)
{
    const hn::DFromV<V> d;
    phase = hn::Add(phase, increment);
    return hn::IfThenElse(hn::Gt(phase, hn::Set(d, 1.0f)), hn::Sub(phase, hn::Trunc(phase)), phase);
}

} // namespace talvane::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif // include guard
