// Two-frame buttons drawn from a bitmap with the frames stacked vertically (off above, on below).
#pragma once

#include "gui/ccontrol.h"

namespace VSTGUI {

// Toggles between min and max at each left click.
class COnOffButton : public CControl
{
public:
    COnOffButton(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                 int32_t style = 0);

    bool isOn() const;
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

    int32_t getStyle() const { return style; }

private:
    int32_t style;
};

// Max while pressed with the pointer over it. On release over it the listener hears max and then
// min; released elsewhere it hears nothing.
class CKickButton : public CControl
{
public:
    CKickButton(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                const CPoint& offset = CPoint(0, 0));
    CKickButton(const CRect& size, CControlListener* listener, int32_t tag, CCoord heightOfOneImage,
                CBitmap* background, const CPoint& offset = CPoint(0, 0));

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    // Nothing fires: the button pops up and its edit closes, as when released elsewhere.
    CMouseEventResult onMouseCancel() override;

private:
    CPoint offset;
    CCoord heightOfOneImage;
    bool pressed = false;
};

} // namespace VSTGUI
