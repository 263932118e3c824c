// Basic types shared by every part of the GUI layer: coordinates, reference counting, mouse button
// states, mouse event results, keys and knob modes. The names and numeric values are those the editor
// code is written against.
#pragma once

#include <cstdint>

namespace VSTGUI {

using CCoord = double;
using UTF8StringPtr = const char*;

// Reference counting of views, bitmaps and fonts: an object starts with one reference held by its
// creator; whoever takes it over (a frame, a control) either adopts that reference or adds its own.
class CBaseObject
{
public:
    CBaseObject() = default;
    virtual ~CBaseObject() = default;
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;

    void remember() { ++references; }
    void forget()
    {
        if (--references == 0)
            delete this;
    }
    int32_t getNbReference() const { return references; }

private:
    int32_t references = 1;
};

// Mouse buttons and keyboard modifiers, as bits of a button state.
enum CButton : int32_t
{
    kLButton = 1 << 1,
    kMButton = 1 << 2,
    kRButton = 1 << 3,
    kShift = 1 << 4,
    kControl = 1 << 5,
    kAlt = 1 << 6,
    kApple = 1 << 7,
    kButton4 = 1 << 8,
    kButton5 = 1 << 9,
    kDoubleClick = 1 << 10,
};

// Shift makes knob drags and wheel steps finer; Ctrl with the left button resets to the default.
constexpr int32_t kZoomModifier = kShift;
constexpr int32_t kDefaultValueModifier = kControl;

class CButtonState
{
public:
    CButtonState(int32_t state = 0) : state(state) {}

    int32_t getButtonState() const { return state & kButtonMask; }
    int32_t getModifierState() const { return state & kModifierMask; }
    bool isLeftButton() const { return getButtonState() == kLButton; }
    bool isRightButton() const { return getButtonState() == kRButton; }
    bool isDoubleClick() const { return (state & kDoubleClick) != 0; }

    int32_t operator()() const { return state; }
    int32_t operator&(int32_t mask) const { return state & mask; }
    CButtonState& operator|=(int32_t bits)
    {
        state |= bits;
        return *this;
    }
    bool operator==(const CButtonState& other) const { return state == other.state; }
    bool operator!=(const CButtonState& other) const { return state != other.state; }

private:
    static constexpr int32_t kButtonMask = kLButton | kMButton | kRButton | kButton4 | kButton5;
    static constexpr int32_t kModifierMask = kShift | kControl | kAlt | kApple;
    int32_t state;
};

enum CMouseEventResult : int32_t
{
    kMouseEventNotImplemented = 0,
    kMouseEventHandled = 1,
    kMouseEventNotHandled = 2,
    kMouseDownEventHandledButDontNeedMovedOrUpEvents = 3,
    kMouseMoveEventHandledButDontNeedMoreEvents = 4,
};

// A key the user pressed: the character it types (0 for none) or one of the editing keys, with the
// modifiers held (CButton bits). Window systems deliver them to the frame's focus view.
enum CVirtualKey : int32_t
{
    kVirtualKeyNone = 0,
    kVirtualKeyBack,
    kVirtualKeyDelete,
    kVirtualKeyReturn,
    kVirtualKeyEscape,
    kVirtualKeyLeft,
    kVirtualKeyRight,
    kVirtualKeyHome,
    kVirtualKeyEnd,
    kVirtualKeyTab,
};

struct CKeyEvent
{
    char32_t character = 0;
    int32_t virtualKey = kVirtualKeyNone;
    int32_t modifiers = 0;
};

// How a knob follows the mouse (the host may choose; the same numbers as the VST 3 knob modes).
enum CKnobMode : int32_t
{
    kCircularMode = 0,
    kRelativCircularMode = 1,
    kLinearMode = 2,
};

} // namespace VSTGUI
