// A FIR whose taps are laid out for it: y[i] = sum over k of coefficient[k] × tap[k][i], the taps
// summed in order from 0 for every output, many outputs side by side.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "source/engine/kernels/tapsum.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include "source/engine/kernels/entrypoints-inl.h"
#include "source/engine/kernels/lanegroups-inl.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace talvane::kernels::HWY_NAMESPACE {

void tapSum(const TapSum& a) noexcept
{
    int i = 0;
    coverLanes<lanes::kWidestVector, 1>(i, a.count, [&](auto d, int at) HWY_ATTR {
        auto sum = hn::Zero(d);
        for (int k = 0; k < a.tapCount; ++k)
            sum = hn::Add(sum, hn::Mul(hn::Set(d, a.coefficients[k]), hn::LoadU(d, a.taps[k] + at)));
        hn::StoreU(sum, d, a.output + at);
    });
}

} // namespace talvane::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
