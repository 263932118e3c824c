// Pan and mix of every instruction-set target against the scalar statement, lane for lane.
#include "engine/kernels/kernelinputs.h"
#include "engine/kernels/scalarreference.h"
#include "support/kerneltargets.h"

#include <memory>

using namespace talvane;
using namespace talvane::kernels;
using talvane::testing::KernelInputs;
namespace reference = talvane::testing::reference;

namespace {

struct PanData
{
    alignas(64) LaneBlock raw[2];
    alignas(64) HostRateLanes panMod, mixMod;
    alignas(64) LaneBlock panned[2];
    alignas(64) StereoRow voices[kSubBlockInternalSamples];

    PanAndMix args(bool invert, bool panModulated, bool mixModulated, float panning, float mix, int lanes)
    {
        PanAndMix a = {};
        a.raw[0] = &raw[0];
        a.raw[1] = &raw[1];
        a.invert = invert;
        a.panning = panning;
        a.panMod = panModulated ? &panMod : nullptr;
        a.mix = mix;
        a.mixMod = mixModulated ? &mixMod : nullptr;
        a.panned[0] = &panned[0];
        a.panned[1] = &panned[1];
        a.voices = voices;
        a.lanes = lanes;
        return a;
    }
};

class PanAndMixKernel : public talvane::testing::KernelTargetTest
{};

} // namespace

TEST_P(PanAndMixKernel, PansAndMixesExactlyAsTheScalarStatementInEveryCase)
{
    TALVANE_KERNELS_OR_SKIP(set);
    KernelInputs in(11);
    auto expected = std::make_unique<PanData>();
    auto actual = std::make_unique<PanData>();
    constexpr int kBlockFloats = kSubBlockInternalSamples * lanes::kVoiceLanes;
    constexpr int kRowsFloats = kSubBlockSamples * lanes::kVoiceLanes;
    for (int active = 1; active <= lanes::kVoiceLanes; ++active)
        for (int variant = 0; variant < 8; ++variant)
        {
            const int lanes = lanes::paddedLanes(active);
            PanData& d = *expected;
            for (int c = 0; c < 2; ++c)
            {
                in.fill(&d.raw[c][0][0], kBlockFloats, [&] { return in.any(-1.5f, 1.5f); });
                std::fill(&d.panned[c][0][0], &d.panned[c][0][0] + kBlockFloats, talvane::testing::kUntouched);
            }
            in.fill(&d.panMod[0][0], kRowsFloats, [&] { return in.any(-1.0f, 1.0f); });
            in.fill(&d.mixMod[0][0], kRowsFloats, [&] { return in.any(-1.0f, 1.0f); });
            in.fill(&d.voices[0][0], kSubBlockInternalSamples * lanes::kStereoLanes, [&] { return in.any(-1.0f, 1.0f); });
            const float panning = in.any(0.0f, 1.0f), mix = in.any(0.0f, 1.0f);
            *actual = d;
            const bool invert = (variant & 1) != 0, panModulated = (variant & 2) != 0, mixModulated = (variant & 4) != 0;
            reference::panAndMix(expected->args(invert, panModulated, mixModulated, panning, mix, lanes));
            set->panAndMix(actual->args(invert, panModulated, mixModulated, panning, mix, lanes));
            const std::string what = std::string(set->target) + ", " + std::to_string(active) + " voices, variant " +
                                     std::to_string(variant);
            for (int c = 0; c < 2; ++c)
                talvane::testing::expectSameLanes(&expected->panned[c][0][0], &actual->panned[c][0][0],
                                                  kSubBlockInternalSamples, lanes::kVoiceLanes, lanes,
                                                  what + ", panned channel " + std::to_string(c));
            for (int j = 0; j < kSubBlockInternalSamples; ++j)
                for (int c = 0; c < 2; ++c)
                    talvane::testing::expectSameLanes(expected->voices[j] + c * lanes::kRightLanes,
                                                      actual->voices[j] + c * lanes::kRightLanes, 1,
                                                      lanes::kVoiceLanes, lanes,
                                                      what + ", voice sum of channel " + std::to_string(c));
            if (HasFailure())
                return;
        }
}

TALVANE_INSTANTIATE_FOR_KERNEL_TARGETS(PanAndMixKernel);
