// The seam between the frame and the windowing system. A backend shows the frame's back buffer,
// feeds mouse and key events to the frame and hosts the list pop-up; everything above it is
// portable. Everything here is in the window's device pixels: the frame converts its coordinates at
// its scale factor, and a backend hands mouse positions through CFrame::pointFromDevice.
#pragma once

#include "gui/cgeometry.h"
#include "gui/platform/nativegraphics.h"

namespace VSTGUI {

class IPlatformFrame
{
public:
    virtual ~IPlatformFrame() = default;

    // The image the frame draws into, as large as the window.
    virtual NativeImage* getBackBuffer() = 0;
    // The frame has redrawn `area` of the back buffer: bring it to the screen.
    virtual void present(const CRect& area) = 0;
    virtual bool setSize(int width, int height) = 0;

    // The pop-up of a list: a surface of `area` (relative to the window, may reach beyond it) in
    // which the frame's open pop-up draws itself (CFrame::drawPopup, with a context at the frame's
    // scale) and which forwards mouse events to CFrame::popupMouseMoved / popupMouseDown. Only one
    // is open at a time.
    virtual bool openPopup(const CRect& area) = 0;
    virtual void closePopup() = 0;
    virtual void invalidatePopup() = 0;

    // Called at the start of each idle period, before the frame redraws.
    virtual void onIdle() {}

    // The frame has a focus view: the window asks the window system for the keyboard, whose keys
    // it forwards to CFrame::onKeyDown.
    virtual void takeKeyboardFocus() {}
};

} // namespace VSTGUI
