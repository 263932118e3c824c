#include "gui/cbuttons.h"

#include "gui/cbitmap.h"

namespace VSTGUI {

COnOffButton::COnOffButton(const CRect& size, CControlListener* buttonListener, int32_t buttonTag,
                           CBitmap* bitmap, int32_t buttonStyle)
    : CControl(size, buttonListener, buttonTag, bitmap), style(buttonStyle)
{}

bool COnOffButton::isOn() const
{
    // Any value in the upper half counts as on, as a two-step parameter reads it.
    return value >= vmin + getRange() / 2;
}

void COnOffButton::draw(CDrawContext* context)
{
    if (background)
        background->draw(context, size, CPoint(0, isOn() ? size.getHeight() : 0));
    setDirty(false);
}

CMouseEventResult COnOffButton::onMouseDown(CPoint& /*where*/, const CButtonState& buttons)
{
    if (offerModifierClick(buttons))
        return kMouseEventHandled;
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;
    value = isOn() ? vmin : vmax;
    invalid();
    beginEdit();
    valueChanged();
    endEdit();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CKickButton::CKickButton(const CRect& size, CControlListener* buttonListener, int32_t buttonTag,
                         CBitmap* bitmap, const CPoint& bitmapOffset)
    : CKickButton(size, buttonListener, buttonTag, size.getHeight(), bitmap, bitmapOffset)
{}

CKickButton::CKickButton(const CRect& size, CControlListener* buttonListener, int32_t buttonTag,
                         CCoord imageHeight, CBitmap* bitmap, const CPoint& bitmapOffset)
    : CControl(size, buttonListener, buttonTag, bitmap), offset(bitmapOffset), heightOfOneImage(imageHeight)
{}

void CKickButton::draw(CDrawContext* context)
{
    if (background)
    {
        const CCoord frameTop = value == vmax ? heightOfOneImage : 0;
        background->draw(context, size, CPoint(offset.x, offset.y + frameTop));
    }
    setDirty(false);
}

CMouseEventResult CKickButton::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (offerModifierClick(buttons))
        return kMouseEventHandled;
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;
    pressed = true;
    beginEdit();
    onMouseMoved(where, buttons);
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!pressed || !(buttons & kLButton))
        return kMouseEventNotHandled;
    const float shown = size.pointInside(where) ? vmax : vmin;
    if (shown != value)
    {
        value = shown;
        invalid();
    }
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/)
{
    if (!pressed)
        return kMouseEventNotHandled;
    pressed = false;
    if (value == vmax)
    {
        valueChanged();
        value = vmin;
        valueChanged();
        invalid();
    }
    endEdit();
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseCancel()
{
    if (!pressed)
        return kMouseEventNotHandled;
    pressed = false;
    if (value != vmin)
    {
        value = vmin;
        invalid();
    }
    endEdit();
    return kMouseEventHandled;
}

} // namespace VSTGUI
