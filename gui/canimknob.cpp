#include "gui/canimknob.h"

#include "gui/cbitmap.h"
#include "gui/cframe.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

namespace {

constexpr float kLinearRangePixels = 400.f;
constexpr float kDefaultZoomFactor = 4.f;
constexpr float kFineWheelScale = 0.1f;
constexpr double kPi = 3.14159265358979323846;
// The knob's travel: from the lower left (7:30) clockwise through the top to the lower right.
constexpr double kTopAngle = kPi / 2;
constexpr double kTravelAngle = 1.5 * kPi;
// Guards the float-to-frame conversion against values a hair below an exact frame.
constexpr float kFrameEpsilon = 1e-4f;

int32_t framesIn(const CBitmap* bitmap, CCoord frameHeight)
{
    if (!bitmap || frameHeight <= 0)
        return 1;
    return std::max(1, static_cast<int32_t>(bitmap->getHeight() / frameHeight));
}

} // namespace

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* knobListener, int32_t knobTag, CBitmap* bitmap,
                     const CPoint& bitmapOffset)
    : CAnimKnob(size, knobListener, knobTag, framesIn(bitmap, size.getHeight()), size.getHeight(), bitmap,
                bitmapOffset)
{}

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* knobListener, int32_t knobTag, int32_t frameCount,
                     CCoord imageHeight, CBitmap* bitmap, const CPoint& bitmapOffset)
    : CControl(size, knobListener, knobTag, bitmap), offset(bitmapOffset),
      subPixmaps(std::max(1, frameCount)), heightOfOneImage(imageHeight), zoomFactor(kDefaultZoomFactor)
{}

int32_t CAnimKnob::frameIndexForValue() const
{
    const float position = getValueNormalized() * static_cast<float>(subPixmaps - 1);
    return std::clamp(static_cast<int32_t>(std::floor(position + kFrameEpsilon)), 0, subPixmaps - 1);
}

void CAnimKnob::draw(CDrawContext* context)
{
    drawnFrame = frameIndexForValue();
    if (background)
        background->draw(context, size, CPoint(offset.x, offset.y + drawnFrame * heightOfOneImage));
    setDirty(false);
}

bool CAnimKnob::isDirty() const
{
    return CView::isDirty() || frameIndexForValue() != drawnFrame;
}

float CAnimKnob::valueFromPoint(const CPoint& where) const
{
    const CPoint centre = size.getCenter();
    // Mathematical orientation: y grows upwards.
    const double angle = std::atan2(centre.y - where.y, where.x - centre.x);
    double fromTop = angle - kTopAngle;
    while (fromTop > kPi)
        fromTop -= 2 * kPi;
    while (fromTop <= -kPi)
        fromTop += 2 * kPi;
    // Counter-clockwise from the top means below the middle of the range.
    const double normalized = std::clamp(0.5 - fromTop / kTravelAngle, 0.0, 1.0);
    return vmin + static_cast<float>(normalized) * getRange();
}

float CAnimKnob::linearRange(const CButtonState& buttons) const
{
    return (buttons & kZoomModifier) ? kLinearRangePixels * zoomFactor : kLinearRangePixels;
}

float CAnimKnob::guardedAgainstWrap(float candidate) const
{
    // Crossing the gap at the bottom of a circular knob must not jump from one end to the other.
    if (std::fabs(candidate - value) > getRange() / 2)
        return value - vmin < getRange() / 2 ? vmin : vmax;
    return candidate;
}

CMouseEventResult CAnimKnob::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (offerModifierClick(buttons))
        return kMouseEventHandled;
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;

    beginEdit();
    if (checkDefaultValue(buttons))
    {
        endEdit();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }

    const int32_t frameMode = frame ? frame->getKnobMode() : kCircularMode;
    dragMode = frameMode;
    if (buttons & kAlt)
        dragMode = frameMode == kLinearMode ? kCircularMode : kLinearMode;

    dragging = true;
    firstPoint = where;
    entryValue = value;
    dragButtons = buttons;
    coefficient = getRange() / linearRange(buttons);
    firstAngleValue = valueFromPoint(where);
    if (dragMode == kCircularMode)
        onMouseMoved(where, buttons);
    return kMouseEventHandled;
}

CMouseEventResult CAnimKnob::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!dragging || !(buttons & kLButton))
        return kMouseEventNotHandled;
    const float previous = value;
    if (dragMode == kLinearMode)
    {
        const float distance = static_cast<float>((firstPoint.y - where.y) + (where.x - firstPoint.x));
        if ((buttons & kZoomModifier) != (dragButtons & kZoomModifier))
        {
            // Shift pressed or released mid-drag: rebase so the knob does not jump.
            const float newCoefficient = getRange() / linearRange(buttons);
            entryValue += distance * (coefficient - newCoefficient);
            coefficient = newCoefficient;
            dragButtons = buttons;
        }
        value = entryValue + distance * coefficient;
    }
    else if (dragMode == kRelativCircularMode)
    {
        value = guardedAgainstWrap(entryValue + (valueFromPoint(where) - firstAngleValue));
    }
    else
    {
        // The press itself jumps to the pointer; later moves may not wrap across the gap.
        const float pointed = valueFromPoint(where);
        value = where == firstPoint ? pointed : guardedAgainstWrap(pointed);
    }
    bounceValue();
    if (value != previous)
    {
        valueChanged();
        invalid();
    }
    return kMouseEventHandled;
}

CMouseEventResult CAnimKnob::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/)
{
    return onMouseCancel();
}

CMouseEventResult CAnimKnob::onMouseCancel()
{
    if (!dragging)
        return kMouseEventNotHandled;
    dragging = false;
    endEdit();
    return kMouseEventHandled;
}

bool CAnimKnob::onWheel(const CPoint& /*where*/, const float& distance, const CButtonState& buttons)
{
    if (!getMouseEnabled())
        return false;
    const float scale = (buttons & kZoomModifier) ? kFineWheelScale : 1.f;
    setValueNormalized(getValueNormalized() + scale * distance * wheelInc);
    if (isDirty())
    {
        invalid();
        beginEdit();
        valueChanged();
        endEdit();
    }
    return true;
}

} // namespace VSTGUI
