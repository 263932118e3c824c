// Controls: views with a value (by default 0..1), a default value, a tag and a listener that hears
// of value changes and of the beginning and end of each edit.
#pragma once

#include "gui/cview.h"

namespace VSTGUI {

class CControl;

class CControlListener
{
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CControl* control) = 0;
    // Called before a control handles a click with a modifier or the right button; a non-zero
    // answer means the listener has dealt with the click and the control ignores it.
    virtual int32_t controlModifierClicked(CControl* /*control*/, CButtonState /*buttons*/) { return 0; }
    virtual void controlBeginEdit(CControl* /*control*/) {}
    virtual void controlEndEdit(CControl* /*control*/) {}
};

class CControl : public CView
{
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, int32_t tag = 0,
             CBitmap* background = nullptr);

    // Values are kept inside min..max.
    virtual void setValue(float newValue);
    virtual float getValue() const { return value; }
    void setValueNormalized(float normalized);
    float getValueNormalized() const;

    virtual void setMin(float newMin) { vmin = newMin; }
    float getMin() const { return vmin; }
    virtual void setMax(float newMax) { vmax = newMax; }
    float getMax() const { return vmax; }
    float getRange() const { return vmax - vmin; }

    void setDefaultValue(float newDefault) { defaultValue = newDefault; }
    float getDefaultValue() const { return defaultValue; }
    void setWheelInc(float increment) { wheelInc = increment; }
    float getWheelInc() const { return wheelInc; }

    void setTag(int32_t newTag) { tag = newTag; }
    int32_t getTag() const { return tag; }
    void setListener(CControlListener* newListener) { listener = newListener; }
    CControlListener* getListener() const { return listener; }

    // Tells the listener about the current value.
    virtual void valueChanged();
    // An edit gesture; both reach the listener and, through the frame, the editor. The frame's
    // notifications enclose the listener's, so that a change the listener makes when the edit ends
    // (a control springing back) still belongs to the gesture.
    virtual void beginEdit();
    virtual void endEdit();
    bool isEditing() const { return editing; }

    // Brings the value back into min..max.
    virtual void bounceValue();

    // Dirty when the value differs from the one last drawn.
    bool isDirty() const override;
    void setDirty(bool state = true) override;

    // Ctrl with the left button: back to the default value (the caller brackets it with an edit).
    // True if it was such a click.
    virtual bool checkDefaultValue(CButtonState buttons);

protected:
    // Offers a click with a modifier or the right button to the listener; true if it took it.
    bool offerModifierClick(const CButtonState& buttons);

    CControlListener* listener;
    int32_t tag;
    float value = 0.f;
    float vmin = 0.f;
    float vmax = 1.f;
    float defaultValue = 0.5f;
    float wheelInc = 0.1f;
    float drawnValue;
    bool editing = false;
};

} // namespace VSTGUI
