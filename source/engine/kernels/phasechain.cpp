// The oscillators' phase chains: every lane reads its wavetable at its phase and advances the phase,
// sample after sample, for one channel or two.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "source/engine/kernels/phasechain.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include "source/engine/kernels/entrypoints-inl.h"
#include "source/engine/kernels/lanegroups-inl.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace talvane::kernels::HWY_NAMESPACE {
namespace {

constexpr int kTableMask = 4095;
// Stretch 0.5 reads the table once per period: the index is stretch × phase × 2 × 4096, and the
// power-of-two factors are exact, so one product with their product suffices.
constexpr float kStretchIndexScale = 2.0f * 4096.0f;

// Reads the table at the phase, then advances the phase; a phase above 1 loses its integer part.
template <class D, class VI>
HWY_INLINE void chainStep(D d, const float* samples, VI offset, hn::Vec<D> scale, hn::Vec<D>& phase,
                          hn::Vec<D> increment, float* out)
{
    const hn::RebindToSigned<D> di;
    const VI index = hn::Add(offset, hn::And(truncateToInt(hn::Mul(phase, scale)), hn::Set(di, kTableMask)));
    hn::StoreU(hn::GatherIndex(d, samples, index), d, out);
    phase = hn::Add(phase, increment);
    phase = hn::IfThenElse(hn::Gt(phase, hn::Set(d, 1.0f)), hn::Sub(phase, hn::Trunc(phase)), phase);
}

// kGroups vectors of lanes from v, kChannels channels each: all their chains interleaved.
template <bool kStretchModulated, int kChannels, int kGroups, class D>
HWY_INLINE void chainGroups(D d, const PhaseChain& a, int first)
{
    const hn::RebindToSigned<D> di;
    const int width = static_cast<int>(hn::Lanes(d));
    hn::Vec<decltype(di)> offset[kGroups];
    hn::Vec<D> phase[kGroups][kChannels];
    for (int g = 0; g < kGroups; ++g)
    {
        const int v = first + g * width;
        offset[g] = hn::LoadU(di, a.tableOffset + v);
        for (int c = 0; c < kChannels; ++c)
            phase[g][c] = hn::LoadU(d, a.phase[c] + v);
    }
    const auto fixedScale = hn::Set(d, a.stretch * kStretchIndexScale);
    for (int k = 0; k < kSubBlockSamples; ++k)
    {
        hn::Vec<D> scale[kGroups];
        for (int g = 0; g < kGroups; ++g)
            if constexpr (kStretchModulated)
                scale[g] = hn::Mul(clamp01(hn::Add(hn::Set(d, a.stretch), hn::LoadU(d, (*a.stretchMod)[k] + first + g * width))),
                                   hn::Set(d, kStretchIndexScale));
            else
                scale[g] = fixedScale;
        for (int j = kOversampling * k; j < kOversampling * (k + 1); ++j)
            for (int g = 0; g < kGroups; ++g)
            {
                const int v = first + g * width;
                for (int c = 0; c < kChannels; ++c)
                    chainStep(d, a.samples, offset[g], scale[g], phase[g][c], hn::LoadU(d, a.increment[c].at(j) + v),
                              &(*a.raw[c])[j][v]);
            }
    }
    for (int g = 0; g < kGroups; ++g)
        for (int c = 0; c < kChannels; ++c)
            hn::StoreU(phase[g][c], d, a.phase[c] + first + g * width);
}

template <bool kStretchModulated, int kChannels>
void chainLanes(const PhaseChain& a)
{
    forEachLaneGroupPair(a.lanes, [&](auto d, int v, auto groups) HWY_ATTR {
        chainGroups<kStretchModulated, kChannels, decltype(groups)::value>(d, a, v);
    });
}

} // namespace

void phaseChain(const PhaseChain& a) noexcept
{
    if (a.stretchMod)
        return a.channels == 1 ? chainLanes<true, 1>(a) : chainLanes<true, 2>(a);
    return a.channels == 1 ? chainLanes<false, 1>(a) : chainLanes<false, 2>(a);
}

} // namespace talvane::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
