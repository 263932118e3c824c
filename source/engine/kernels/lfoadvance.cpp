// The LFOs' phase chains at the host rate: every lane reads the LFO's table at its phase, then
// advances the phase and keeps its fractional part.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "source/engine/kernels/lfoadvance.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include "source/engine/kernels/entrypoints-inl.h"
#include "source/engine/kernels/lanegroups-inl.h"
#include "source/engine/wavetablebank.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace talvane::kernels::HWY_NAMESPACE {
namespace {

constexpr float kTableLength = static_cast<float>(WavetableBank::kTableLength);
constexpr int kTableMask = WavetableBank::kTableLength - 1;

// frac(phase + increment), written as s − trunc(s), which for s ≥ 0 is exactly it.
template <class D>
HWY_INLINE void lfoGroup(D d, const LfoAdvance& a, int v)
{
    const hn::RebindToSigned<D> di;
    auto phase = hn::LoadU(d, a.phase + v);
    const auto increment = hn::LoadU(d, a.increment + v);
    for (int k = 0; k < kSubBlockSamples; ++k)
    {
        const auto index =
            hn::And(truncateToInt(hn::Mul(phase, hn::Set(d, kTableLength))), hn::Set(di, kTableMask));
        hn::StoreU(hn::GatherIndex(d, a.table, index), d, (*a.raw)[k] + v);
        const auto sum = hn::Add(phase, increment);
        phase = hn::Sub(sum, hn::Trunc(sum));
    }
    hn::StoreU(phase, d, a.phase + v);
}

} // namespace

void lfoAdvance(const LfoAdvance& a) noexcept
{
    forEachLaneGroup(a.lanes, [&](auto d, int v) HWY_ATTR { lfoGroup(d, a, v); });
}

} // namespace talvane::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
