// What every kernel uses, compiled for each target: the lane groups a kernel covers its lanes
// with, and the engine's scalar idioms on vectors, with the same results (NaN included).
// Included by the kernels once per target (the guard toggles with HWY_TARGET_TOGGLE).
#if defined(TALVANE_KERNELS_LANEGROUPS_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef TALVANE_KERNELS_LANEGROUPS_INL_H_
#undef TALVANE_KERNELS_LANEGROUPS_INL_H_
#else
#define TALVANE_KERNELS_LANEGROUPS_INL_H_
#endif

#include "source/engine/kernels/lanes.h"

#include <hwy/highway.h>

#include <cstddef>

HWY_BEFORE_NAMESPACE();
namespace talvane::kernels::HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

// Calls body(d, v) for consecutive groups of lanes from `v` up to `end`: as many vectors of up to
// kWidth floats as fit, then halves of those, down to vectors of kNarrowest. `end` - `v` must be a
// multiple of kNarrowest.
template <std::size_t kWidth, std::size_t kNarrowest, class Body>
HWY_INLINE void coverLanes(int& v, int end, const Body& body)
{
    const hn::CappedTag<float, kWidth> d;
    const int width = static_cast<int>(hn::Lanes(d));
    for (; v + width <= end; v += width)
        body(d, v);
    if constexpr (kWidth > kNarrowest)
        coverLanes<kWidth / 2, kNarrowest>(v, end, body);
}

// The voice lanes [0, lanes), lanes padded as lanes::paddedLanes pads them.
template <class Body>
HWY_INLINE void forEachLaneGroup(int lanes, const Body& body)
{
    int v = 0;
    coverLanes<lanes::kWidestVector, lanes::kLaneQuantum>(v, lanes, body);
}

// The vector twin of clamp01 in source/engine/scalarmath.h, std::min(std::max(x, 0.0f), 1.0f): the
// operand order passes NaN through as the scalar code does.
template <class V>
HWY_INLINE V clamp01(V x)
{
    const hn::DFromV<V> d;
    return hn::Min(hn::Set(d, 1.0f), hn::Max(hn::Zero(d), x));
}

// std::min(std::max(x, -1.0f), 1.0f), NaN passed through likewise.
template <class V>
HWY_INLINE V clampBipolar(V x)
{
    const hn::DFromV<V> d;
    return hn::Min(hn::Set(d, 1.0f), hn::Max(hn::Set(d, -1.0f), x));
}

// (int)x as the processor converts floats: NaN and values outside the int32 range give INT32_MIN,
// whatever their sign (Highway's conversion saturates by sign, which for NaN depends on how the NaN
// came about). The table indices the engine derives from such values have always read index 0.
template <class V>
HWY_INLINE auto truncateToInt(V x)
{
    const hn::DFromV<V> d;
    const hn::RebindToSigned<decltype(d)> di;
    const auto lowest = hn::Set(d, -2147483648.0f);
    return hn::ConvertTo(di, hn::IfThenElse(hn::Lt(x, hn::Set(d, 2147483648.0f)), x, lowest));
}

// a != b as C++ compares floats: true where either is NaN. (Highway's operator!= is ordered on some
// targets and unordered on others.)
template <class V>
HWY_INLINE auto notEqual(V a, V b)
{
    return hn::Not(hn::Eq(a, b));
}

} // namespace talvane::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif // include guard
