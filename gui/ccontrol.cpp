#include "gui/ccontrol.h"

#include "gui/cframe.h"

#include <cmath>
#include <limits>

namespace VSTGUI {

CControl::CControl(const CRect& size, CControlListener* controlListener, int32_t controlTag, CBitmap* bitmap)
    : CView(size), listener(controlListener), tag(controlTag),
      drawnValue(std::numeric_limits<float>::quiet_NaN())
{
    if (bitmap)
        setBackground(bitmap);
}

void CControl::setValue(float newValue)
{
    // A value from outside (a host, a stream) may be anything; the control never holds one outside
    // its range, so every drawing and every conversion stays in bounds.
    if (std::isnan(newValue))
        newValue = vmin;
    value = newValue;
    bounceValue();
}

void CControl::setValueNormalized(float normalized)
{
    if (std::isnan(normalized))
        normalized = 0.f;
    normalized = std::fmin(std::fmax(normalized, 0.f), 1.f);
    setValue(vmin + normalized * getRange());
}

float CControl::getValueNormalized() const
{
    const float range = getRange();
    if (range == 0.f)
        return 0.f;
    return (value - vmin) / range;
}

void CControl::bounceValue()
{
    if (value > vmax)
        value = vmax;
    else if (value < vmin)
        value = vmin;
}

void CControl::valueChanged()
{
    if (listener)
        listener->valueChanged(this);
}

void CControl::beginEdit()
{
    editing = true;
    if (frame)
        frame->beginEdit(tag);
    if (listener)
        listener->controlBeginEdit(this);
}

void CControl::endEdit()
{
    editing = false;
    if (listener)
        listener->controlEndEdit(this);
    if (frame)
        frame->endEdit(tag);
}

bool CControl::isDirty() const
{
    return CView::isDirty() || value != drawnValue;
}

void CControl::setDirty(bool state)
{
    CView::setDirty(state);
    if (!state)
        drawnValue = value;
}

bool CControl::checkDefaultValue(CButtonState buttons)
{
    if (!buttons.isLeftButton() || buttons.getModifierState() != kDefaultValueModifier)
        return false;
    if (defaultValue != value)
    {
        setValue(defaultValue);
        valueChanged();
        invalid();
    }
    return true;
}

bool CControl::offerModifierClick(const CButtonState& buttons)
{
    constexpr int32_t kOfferedBits = kShift | kControl | kAlt | kApple | kRButton;
    if (!listener || (buttons & kOfferedBits) == 0)
        return false;
    return listener->controlModifierClicked(this, buttons) != 0;
}

} // namespace VSTGUI
