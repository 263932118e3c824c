// A knob drawn from a vertical strip of N frames (frame 0 for the minimum, N - 1 for the maximum).
// It follows the mouse in the frame's knob mode: circular (the pointer's angle is the value),
// relative circular (angle changes move the value) or linear (400 pixels up or right span the
// range, Shift makes it four times finer). Alt switches between circular and linear for one drag,
// Ctrl with the left button resets to the default value, the wheel steps by the wheel increment.
#pragma once

#include "gui/ccontrol.h"

namespace VSTGUI {

class CAnimKnob : public CControl
{
public:
    // The frame count follows from the bitmap height and the rectangle height.
    CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
              const CPoint& offset = CPoint(0, 0));
    CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag, int32_t subPixmaps,
              CCoord heightOfOneImage, CBitmap* background, const CPoint& offset = CPoint(0, 0));

    int32_t getNumSubPixmaps() const { return subPixmaps; }
    CCoord getHeightOfOneImage() const { return heightOfOneImage; }
    int32_t frameIndexForValue() const;

    void setZoomFactor(float factor) { zoomFactor = factor; }
    float getZoomFactor() const { return zoomFactor; }

    void draw(CDrawContext* context) override;
    // Dirty when the value would be drawn with another frame than the one last drawn.
    bool isDirty() const override;

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    // The drag ends where it is, as at a release.
    CMouseEventResult onMouseCancel() override;
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;

protected:
    // The value the angle of `where` (frame coordinates) stands for.
    float valueFromPoint(const CPoint& where) const;

private:
    float linearRange(const CButtonState& buttons) const;
    float guardedAgainstWrap(float candidate) const;

    CPoint offset;
    int32_t subPixmaps;
    CCoord heightOfOneImage;
    int32_t drawnFrame = -1;
    float zoomFactor;

    // Drag state.
    bool dragging = false;
    int32_t dragMode = kCircularMode;
    CPoint firstPoint;
    float entryValue = 0.f;
    float firstAngleValue = 0.f;
    float coefficient = 0.f;
    CButtonState dragButtons;
};

} // namespace VSTGUI
