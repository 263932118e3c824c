// The zoom the musician chooses for the editor, on top of the host's content scale: the steps on
// offer, in percent of the editor's size at 100 %.
#pragma once

#include <cstdint>

namespace talvane {

constexpr int kZoomSteps[] = {75, 100, 125, 150, 175, 200};
constexpr int kNumZoomSteps = static_cast<int>(sizeof kZoomSteps / sizeof kZoomSteps[0]);
constexpr int kDefaultZoomPercent = 100;

constexpr bool isZoomStep(int percent)
{
    for (int step : kZoomSteps)
        if (step == percent)
            return true;
    return false;
}

// The step closest to `percent`: a zoom saved by another version (a step this one lacks, or one
// beyond the range on offer) opens at the nearest one here. Steps are 25 apart, so there is no tie.
constexpr int nearestZoomStep(std::uint32_t percent)
{
    const auto distanceTo = [percent](int step) {
        const auto target = static_cast<std::uint32_t>(step);
        return percent > target ? percent - target : target - percent;
    };
    int nearest = kZoomSteps[0];
    for (int step : kZoomSteps)
        if (distanceTo(step) < distanceTo(nearest))
            nearest = step;
    return nearest;
}

// The zoom as a scale factor (1 for 100 %).
constexpr double zoomFactorOf(int percent)
{
    return percent / 100.0;
}

} // namespace talvane
