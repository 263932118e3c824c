#include "source/editor/zoommenu.h"

#include "source/editor/editorzoom.h"

#include "gui/cframe.h"
#include "gui/coptionmenu.h"

#include <cmath>

namespace Steinberg {
namespace Vst {

using namespace VSTGUI;

namespace {
// Not a parameter: nothing takes the menu for a parameter's control.
constexpr int32_t kZoomMenuTag = -1;
} // namespace

std::string ZoomMenu::entryText(int percent)
{
    return "Zoom " + std::to_string(percent) + " %";
}

bool ZoomMenu::open(CFrame& frame, const CPoint& where, int currentPercent)
{
    auto* menu = new COptionMenu(CRect(where, where), this, kZoomMenuTag, nullptr, nullptr, kCheckStyle);
    for (int step = 0; step < talvane::kNumZoomSteps; ++step)
    {
        menu->addEntry(entryText(talvane::kZoomSteps[step]).c_str());
        if (talvane::kZoomSteps[step] == currentPercent)
            menu->setCurrent(step);
    }
    // The pop-up holds the menu for as long as it is open.
    const bool opened = frame.openPopupAt(menu, where);
    menu->forget();
    return opened;
}

void ZoomMenu::valueChanged(CControl* control)
{
    const auto step = static_cast<int>(std::lround(control->getValue()));
    if (step >= 0 && step < talvane::kNumZoomSteps && choice)
        choice(talvane::kZoomSteps[step]);
}

} // namespace Vst
} // namespace Steinberg
