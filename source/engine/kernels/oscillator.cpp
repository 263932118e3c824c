// One oscillator of every lane for a sub-block: its samples read from the wavetables by the phase
// chains (their increments under FM where it applies) or taken from a block (noise), then panned
// and mixed into the voice sum, sample by sample, so that the tables' reads, the FM arithmetic and
// the mixing of the lanes overlap in the processor.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "source/engine/kernels/oscillator.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include "source/engine/kernels/entrypoints-inl.h"
#include "source/engine/kernels/fm-inl.h"
#include "source/engine/kernels/lanegroups-inl.h"
#include "source/engine/kernels/panmix-inl.h"
#include "source/engine/kernels/phasechain-inl.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace talvane::kernels::HWY_NAMESPACE {
namespace {

struct NoFm
{};

enum class Source
{
    MonoTable,   // one phase chain, the right channel repeats the left
    StereoTable, // a phase chain per channel
    StereoFm,    // a phase chain per channel, its increments under FM
    Block,       // samples given (noise)
};

template <Source kSource, class D>
HWY_INLINE void oscillatorGroup(D d, const Oscillator& a, int v)
{
    constexpr bool kTable = kSource != Source::Block;
    constexpr int kChains = kSource == Source::MonoTable ? 1 : 2;
    const hn::RebindToSigned<D> di;
    hn::Vec<decltype(di)> offset = hn::Zero(di);
    hn::Vec<D> phase[kChains], increment = hn::Zero(d), scale = stretchScale(d, a.stretch);
    if constexpr (kTable)
    {
        offset = hn::LoadU(di, a.tableOffset + v);
        for (int c = 0; c < kChains; ++c)
            phase[c] = hn::LoadU(d, a.phase[c] + v);
        if constexpr (kSource != Source::StereoFm)
            increment = hn::LoadU(d, a.increment + v);
    }
    auto fm = [&] {
        if constexpr (kSource == Source::StereoFm)
            return FmLanes<D>(d, *a.fm, v);
        else
            return NoFm();
    }();
    PanLanes<D> pan(d, a, v);
    for (int k = 0; k < kSubBlockSamples; ++k)
    {
        if (kTable && a.stretchMod)
            scale = stretchScale(d, a.stretch, hn::LoadU(d, (*a.stretchMod)[k] + v));
        if constexpr (kSource == Source::StereoFm)
            fm.beginHostSample(d, k);
        pan.beginHostSample(d, k);
        for (int j = kOversampling * k; j < kOversampling * (k + 1); ++j)
        {
            hn::Vec<D> raw[2];
            for (int c = 0; c < kChains; ++c)
            {
                if constexpr (kTable)
                {
                    raw[c] = readTable(d, a.samples, offset, scale, phase[c]);
                    if constexpr (kSource == Source::StereoFm)
                        phase[c] = advancePhase(phase[c], fm.increment(d, j, c));
                    else
                        phase[c] = advancePhase(phase[c], increment);
                }
                else
                {
                    raw[c] = hn::LoadU(d, &(*a.source[c])[j][v]);
                }
            }
            if constexpr (kChains == 1)
                raw[1] = raw[0];
            for (int c = 0; c < 2; ++c)
                pan.panAndMix(d, j, c, raw[c]);
        }
    }
    if constexpr (kTable)
        for (int c = 0; c < kChains; ++c)
            hn::StoreU(phase[c], d, a.phase[c] + v);
}

template <Source kSource>
void oscillatorLanes(const Oscillator& a)
{
    forEachLaneGroup(a.lanes, [&](auto d, int v) HWY_ATTR { oscillatorGroup<kSource>(d, a, v); });
}

} // namespace

void oscillator(const Oscillator& a) noexcept
{
    if (a.source[0])
        oscillatorLanes<Source::Block>(a);
    else if (a.fm)
        oscillatorLanes<Source::StereoFm>(a);
    else if (a.channels == 1)
        oscillatorLanes<Source::MonoTable>(a);
    else
        oscillatorLanes<Source::StereoTable>(a);
}

} // namespace talvane::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
