// The ladder filter of every instruction-set target against the scalar recursion, in all five
// responses, lane for lane.
#include "engine/kernels/kernelinputs.h"
#include "engine/kernels/scalarreference.h"
#include "support/kerneltargets.h"

#include <memory>

using namespace talvane;
using namespace talvane::kernels;
using talvane::testing::KernelInputs;
namespace reference = talvane::testing::reference;

namespace {

struct LadderData
{
    LadderLanes state;
    alignas(64) StereoRow samples[kSubBlockInternalSamples];
};

class LadderKernel : public talvane::testing::KernelTargetTest
{};

constexpr FilterType kTypes[] = {FilterType::LowPass, FilterType::BandPass, FilterType::HighPass,
                                 FilterType::Peak, FilterType::Notch};

} // namespace

TEST_P(LadderKernel, FiltersEveryResponseExactlyAsTheScalarRecursion)
{
    TALVANE_KERNELS_OR_SKIP(set);
    KernelInputs in(17);
    auto expected = std::make_unique<LadderData>();
    auto actual = std::make_unique<LadderData>();
    for (FilterType type : kTypes)
        for (int active = 1; active <= lanes::kVoiceLanes; ++active)
        {
            const int lanes = lanes::paddedLanes(active);
            LadderData& d = *expected;
            LadderLanes& L = d.state;
            for (float* column : {L.x0, L.fb, L.y1, L.y2, L.y3, L.y4})
                in.fill(column, lanes::kStereoLanes, [&] { return in.any(-2.0f, 2.0f); });
            // Coefficients as the filter stage makes them, sometimes awkward.
            in.fill(L.p, lanes::kVoiceLanes, [&] { return in.any(0.0f, 1.0f); });
            in.fill(L.p2, lanes::kVoiceLanes, [&] { return in.any(0.0f, 1.0f); });
            in.fill(L.f, lanes::kVoiceLanes, [&] { return in.any(-1.0f, 1.0f); });
            in.fill(L.k, lanes::kVoiceLanes, [&] { return in.any(0.0f, 3.6f); });
            in.fill(L.comp, lanes::kVoiceLanes, [&] { return in.any(0.2f, 1.1f); });
            in.fill(&d.samples[0][0], kSubBlockInternalSamples * lanes::kStereoLanes,
                    [&] { return in.any(-1.0f, 1.0f); });
            *actual = d;
            reference::ladder({type, &expected->state, expected->samples, lanes});
            set->ladder({type, &actual->state, actual->samples, lanes});
            const std::string what = std::string(set->target) + ", type " +
                                     std::to_string(static_cast<int>(type)) + ", " + std::to_string(active) +
                                     " voices";
            for (int c = 0; c < 2; ++c)
            {
                const int offset = c * lanes::kRightLanes;
                const std::string channel = what + ", channel " + std::to_string(c);
                for (int j = 0; j < kSubBlockInternalSamples; ++j)
                    talvane::testing::expectSameLanes(expected->samples[j] + offset,
                                                      actual->samples[j] + offset, 1, lanes::kVoiceLanes,
                                                      lanes, channel + ", output");
                const LadderLanes &e = expected->state, &a = actual->state;
                const std::pair<const float*, const float*> states[] = {
                    {e.x0, a.x0}, {e.fb, a.fb}, {e.y1, a.y1}, {e.y2, a.y2}, {e.y3, a.y3}, {e.y4, a.y4}};
                for (const auto& [want, got] : states)
                    talvane::testing::expectSameLanes(want + offset, got + offset, 1, lanes::kVoiceLanes,
                                                      lanes, channel + ", state");
            }
            if (HasFailure())
                return;
        }
}

TALVANE_INSTANTIATE_FOR_KERNEL_TARGETS(LadderKernel);
