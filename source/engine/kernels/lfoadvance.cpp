// The LFOs' phase chains at the host rate: every lane reads the LFO's table at its phase, then
// advances the phase and keeps its fractional part.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "source/engine/kernels/lfoadvance.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include "source/engine/kernels/entrypoints-inl.h"
#include "source/engine/kernels/lanegroups-inl.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace talvane::kernels::HWY_NAMESPACE {
namespace {

constexpr float kTableLength = 4096.0f;
constexpr int kTableMask = 4095;

// frac(phase + increment), written as s − trunc(s), which for s ≥ 0 is exactly it.
template <class D, int kGroups>
HWY_INLINE void lfoGroups(D d, const LfoAdvance& a, int first)
{
    const hn::RebindToSigned<D> di;
    const int width = static_cast<int>(hn::Lanes(d));
    hn::Vec<D> phase[kGroups], increment[kGroups];
    for (int g = 0; g < kGroups; ++g)
    {
        phase[g] = hn::LoadU(d, a.phase + first + g * width);
        increment[g] = hn::LoadU(d, a.increment + first + g * width);
    }
    for (int k = 0; k < kSubBlockSamples; ++k)
        for (int g = 0; g < kGroups; ++g)
        {
            const auto index = hn::And(truncateToInt(hn::Mul(phase[g], hn::Set(d, kTableLength))),
                                       hn::Set(di, kTableMask));
            hn::StoreU(hn::GatherIndex(d, a.table, index), d, (*a.raw)[k] + first + g * width);
            const auto sum = hn::Add(phase[g], increment[g]);
            phase[g] = hn::Sub(sum, hn::Trunc(sum));
        }
    for (int g = 0; g < kGroups; ++g)
        hn::StoreU(phase[g], d, a.phase + first + g * width);
}

} // namespace

void lfoAdvance(const LfoAdvance& a) noexcept
{
    forEachLaneGroupPair(a.lanes, [&](auto d, int v, auto groups) HWY_ATTR {
        lfoGroups<decltype(d), decltype(groups)::value>(d, a, v);
    });
}

} // namespace talvane::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
