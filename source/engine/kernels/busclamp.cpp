// The modulation bus's clamp: every listed destination's row limited to -1..1 (NaN passes), and its
// last value kept for the next sub-block.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "source/engine/kernels/busclamp.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include "source/engine/kernels/entrypoints-inl.h"
#include "source/engine/kernels/lanegroups-inl.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace talvane::kernels::HWY_NAMESPACE {

void busClamp(const BusClamp& a) noexcept
{
    for (int i = 0; i < a.count; ++i)
    {
        float* row = a.rows[a.listed[i]];
        int k = 0;
        coverLanes<kSubBlockSamples, lanes::kLaneQuantum>(k, kSubBlockSamples, [&](auto d, int at) HWY_ATTR {
            hn::StoreU(clampBipolar(hn::LoadU(d, row + at)), d, row + at);
        });
        a.last[a.listed[i]] = row[kSubBlockSamples - 1];
    }
}

} // namespace talvane::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
