// The kernels' entry points of one target, defined each in its computation's file and gathered into
// the target's KernelSet (kernelset.cpp). Included once per target.
#if defined(TALVANE_KERNELS_ENTRYPOINTS_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef TALVANE_KERNELS_ENTRYPOINTS_INL_H_
#undef TALVANE_KERNELS_ENTRYPOINTS_INL_H_
#else
#define TALVANE_KERNELS_ENTRYPOINTS_INL_H_
#endif

#include "source/engine/kernels/kernelset.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace talvane::kernels::HWY_NAMESPACE {

void oscillator(const Oscillator& args) noexcept;
void ringModulation(const RingModulation& args) noexcept;
void ladder(const Ladder& args) noexcept;
void lfoAdvance(const LfoAdvance& args) noexcept;
void busClamp(const BusClamp& args) noexcept;
void tapSum(const TapSum& args) noexcept;

} // namespace talvane::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif // include guard
