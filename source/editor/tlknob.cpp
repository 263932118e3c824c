#include "source/editor/tlknob.h"

namespace Steinberg {
namespace Vst {

using namespace VSTGUI;

CMouseEventResult TLKnob::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kDoubleClick) || !(buttons & kLButton))
        return CAnimKnob::onMouseDown(where, buttons);

    beginEdit();
    setValue(getDefaultValue());
    // Only a reset that shows as a move of the knob reaches the listener (and so the host).
    if (isDirty() && listener)
        listener->valueChanged(this);
    endEdit();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CMouseEventResult TLKnob::onMouseExited(CPoint& /*where*/, const CButtonState& /*buttons*/)
{
    if (wheelEditPending)
    {
        wheelEditPending = false;
        // The wheel's edit is over: the listener puts the caption back. No edit of the frame's:
        // nothing took hold of the knob.
        if (listener)
            listener->controlEndEdit(this);
    }
    return kMouseEventHandled;
}

bool TLKnob::onWheel(const CPoint& /*where*/, const float& distance, const CButtonState& /*buttons*/)
{
    if (!getMouseEnabled())
        return false;
    value += distance * kWheelStep;
    bounceValue();
    wheelEditPending = true;
    // Reported even when the value sits at an end of the range and did not move.
    if (listener)
    {
        beginEdit();
        listener->valueChanged(this);
        endEdit();
    }
    return true;
}

} // namespace Vst
} // namespace Steinberg
