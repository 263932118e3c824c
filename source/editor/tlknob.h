// The editor's knob, used for every continuous control and for the two wheels: the library's
// animated knob plus a left double-click that resets to the default, a fine mouse wheel, and a flag
// that marks the wheel's edit as going on after a wheel step until the pointer leaves: meanwhile the
// caption keeps the value text, and further steps may join the wheel's gesture.
#pragma once

#include "gui/canimknob.h"

namespace Steinberg {
namespace Vst {

class TLKnob : public VSTGUI::CAnimKnob
{
public:
    // One wheel notch moves the value by this much, whatever the modifiers.
    static constexpr float kWheelStep = 0.001f;

    using CAnimKnob::CAnimKnob;

    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseExited(VSTGUI::CPoint& where,
                                            const VSTGUI::CButtonState& buttons) override;
    bool onWheel(const VSTGUI::CPoint& where, const float& distance,
                 const VSTGUI::CButtonState& buttons) override;

    // Set by every wheel step, cleared when the pointer leaves the knob.
    bool isWheelEditPending() const { return wheelEditPending; }

private:
    bool wheelEditPending = false;
};

} // namespace Vst
} // namespace Steinberg
