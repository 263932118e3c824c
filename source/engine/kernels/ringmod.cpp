// Ring modulation: the three products of the oscillators' panned outputs, added to the voice sum in
// every lane.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "source/engine/kernels/ringmod.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include "source/engine/kernels/entrypoints-inl.h"
#include "source/engine/kernels/lanegroups-inl.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace talvane::kernels::HWY_NAMESPACE {
namespace {

constexpr float kOutputScale = 0.25f;

template <class D>
HWY_INLINE void ringGroup(D d, const RingModulation& a, int v)
{
    using hn::Add;
    using hn::Mul;
    const auto scale = hn::Set(d, kOutputScale);
    for (int k = 0; k < kSubBlockSamples; ++k)
    {
        hn::Vec<D> amount[3];
        for (int p = 0; p < 3; ++p)
            amount[p] = clamp01(Add(hn::Set(d, a.amount[p]), hn::LoadU(d, (*a.amountMod[p])[k] + v)));
        const auto a12 = amount[0], a13 = amount[1], a23 = amount[2];
        for (int j = kOversampling * k; j < kOversampling * (k + 1); ++j)
            for (int c = 0; c < 2; ++c)
            {
                const auto o1 = hn::LoadU(d, &(*a.panned[0][c])[j][v]);
                const auto o2 = hn::LoadU(d, &(*a.panned[1][c])[j][v]);
                const auto o3 = hn::LoadU(d, &(*a.panned[2][c])[j][v]);
                // ((a13 × o1 + a23 × o2) × o3 + a12 × o1 × o2) × 0.25, in this order.
                const auto sum = Add(Mul(Add(Mul(a13, o1), Mul(a23, o2)), o3), Mul(Mul(a12, o1), o2));
                float* voice = a.voices[j] + c * lanes::kRightLanes + v;
                hn::StoreU(Add(hn::LoadU(d, voice), Mul(scale, sum)), d, voice);
            }
    }
}

} // namespace

void ringModulation(const RingModulation& a) noexcept
{
    forEachLaneGroup(a.lanes, [&](auto d, int v) HWY_ATTR { ringGroup(d, a, v); });
}

} // namespace talvane::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
