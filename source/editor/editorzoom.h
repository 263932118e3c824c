// The zoom the musician chooses for the editor, on top of the host's content scale: the steps on
// offer, in percent of the editor's size at 100 %.
#pragma once

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

// The zoom as a scale factor (1 for 100 %).
constexpr double zoomFactorOf(int percent)
{
    return percent / 100.0;
}

} // namespace talvane
