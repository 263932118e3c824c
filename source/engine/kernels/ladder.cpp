// The voice filter's four-stage ladder in its five responses, all lanes side by side: each lane runs
// exactly the scalar recursion, and the lanes' independent recursions overlap in the processor.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "source/engine/kernels/ladder.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include "source/engine/kernels/entrypoints-inl.h"
#include "source/engine/kernels/lanegroups-inl.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace talvane::kernels::HWY_NAMESPACE {
namespace {

constexpr float kFeedbackInputShare = 0.125f;
constexpr float kPeakInputShare = 0.33f;
constexpr float kNotchInputShare = 0.66f;

// One channel's ladder state, held in registers across the sub-block.
template <class D>
struct ChannelState
{
    using V = hn::Vec<D>;
    V x0, fb, y1, y2, y3, y4;

    ChannelState(D d, const LadderLanes& L, int lane)
        : x0(hn::LoadU(d, L.x0 + lane)), fb(hn::LoadU(d, L.fb + lane)), y1(hn::LoadU(d, L.y1 + lane)),
          y2(hn::LoadU(d, L.y2 + lane)), y3(hn::LoadU(d, L.y3 + lane)), y4(hn::LoadU(d, L.y4 + lane))
    {}
    void store(D d, LadderLanes& L, int lane) const
    {
        hn::StoreU(x0, d, L.x0 + lane);
        hn::StoreU(fb, d, L.fb + lane);
        hn::StoreU(y1, d, L.y1 + lane);
        hn::StoreU(y2, d, L.y2 + lane);
        hn::StoreU(y3, d, L.y3 + lane);
        hn::StoreU(y4, d, L.y4 + lane);
    }
};

template <class D>
struct Coefficients
{
    using V = hn::Vec<D>;
    V p, p2, f, k, comp;

    Coefficients(D d, const LadderLanes& L, int lane)
        : p(hn::LoadU(d, L.p + lane)), p2(hn::LoadU(d, L.p2 + lane)), f(hn::LoadU(d, L.f + lane)),
          k(hn::LoadU(d, L.k + lane)), comp(hn::LoadU(d, L.comp + lane))
    {}
};

// One sample of one channel: s is replaced by the filter's output.
template <FilterType kType, class D>
HWY_INLINE void step(D d, const Coefficients<D>& c, ChannelState<D>& st, float* io)
{
    using hn::Add;
    using hn::Mul;
    using hn::Sub;
    const auto s = hn::LoadU(d, io);
    const auto x = Sub(s, Mul(Mul(c.comp, st.fb), c.k));
    const auto y1 = Sub(Add(Mul(c.p, st.x0), Mul(c.p, x)), Mul(c.f, st.y1));
    const auto y2 = Sub(Add(Mul(c.p, st.y1), Mul(c.p, y1)), Mul(c.f, st.y2));
    const auto y3 = Sub(Add(Mul(c.p2, st.y2), Mul(c.p, y2)), Mul(c.f, st.y3));
    const auto y4 = Sub(Add(Mul(c.p2, st.y3), Mul(c.p, y3)), Mul(c.f, st.y4));
    st.x0 = x;
    st.y1 = y1;
    st.y2 = y2;
    st.y3 = y3;
    st.y4 = y4;
    st.fb = Sub(y4, Mul(hn::Set(d, kFeedbackInputShare), s));
    hn::Vec<D> out;
    if constexpr (kType == FilterType::LowPass)
        out = y4;
    else if constexpr (kType == FilterType::BandPass)
        out = Sub(y4, y2);
    else if constexpr (kType == FilterType::HighPass)
        out = Sub(x, y4);
    else if constexpr (kType == FilterType::Peak)
        out = Sub(Sub(y4, y2), Mul(hn::Set(d, kPeakInputShare), s));
    else
        out = Add(Sub(y4, y2), Mul(hn::Set(d, kNotchInputShare), s));
    hn::StoreU(out, d, io);
}

// The voices of lanes [v, v + Lanes(d)), both channels interleaved.
template <FilterType kType, class D>
HWY_INLINE void filterGroup(D d, LadderLanes& L, StereoRow* rows, int v)
{
    const int r = lanes::kRightLanes + v;
    const Coefficients<D> c(d, L, v);
    ChannelState<D> left(d, L, v), right(d, L, r);
    for (int j = 0; j < kSubBlockInternalSamples; ++j)
    {
        step<kType>(d, c, left, rows[j] + v);
        step<kType>(d, c, right, rows[j] + r);
    }
    left.store(d, L, v);
    right.store(d, L, r);
}

template <FilterType kType>
void filterLanes(const Ladder& a)
{
    forEachLaneGroup(a.lanes, [&](auto d, int v) HWY_ATTR { filterGroup<kType>(d, *a.state, a.samples, v); });
}

} // namespace

void ladder(const Ladder& a) noexcept
{
    switch (a.type)
    {
    case FilterType::LowPass:
        return filterLanes<FilterType::LowPass>(a);
    case FilterType::BandPass:
        return filterLanes<FilterType::BandPass>(a);
    case FilterType::HighPass:
        return filterLanes<FilterType::HighPass>(a);
    case FilterType::Peak:
        return filterLanes<FilterType::Peak>(a);
    case FilterType::Notch:
        return filterLanes<FilterType::Notch>(a);
    }
}

} // namespace talvane::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
