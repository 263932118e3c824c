// The three-way switcher above the modulation panel: a movie bitmap whose frames highlight the
// title of the page on show. A click selects the page under the pointer through the frame's editor;
// the page is display state only, so nothing reaches the listener, the controller or the host.
#pragma once

#include "gui/cmoviebitmap.h"

namespace Steinberg {
namespace Vst {

class switcherCMovieBitmap : public VSTGUI::CMovieBitmap
{
public:
    using CMovieBitmap::CMovieBitmap;

    // Every button and modifier combination switches alike.
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;

    // The page whose title zone holds the frame x coordinate `x`.
    static int pageAt(VSTGUI::CCoord x);
};

} // namespace Vst
} // namespace Steinberg
