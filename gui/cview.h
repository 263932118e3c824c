// The base of everything shown in a frame: a rectangle in frame coordinates that draws itself,
// takes mouse and key events and marks itself for redrawing.
#pragma once

#include "gui/cgeometry.h"

namespace VSTGUI {

class CBitmap;
class CDrawContext;
class CFrame;

class CView : public CBaseObject
{
public:
    explicit CView(const CRect& size);
    ~CView() override;

    virtual void draw(CDrawContext* context);
    // Called by the frame with the part of the view that needs drawing (already clipped to it).
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);

    // Mouse events carry frame coordinates.
    virtual CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons);
    // The view that took a press loses the mouse before the button's release reaches it (the
    // window lost it, or the frame closes): whatever the press began ends here, as it is.
    virtual CMouseEventResult onMouseCancel();
    // distance: +1 for one wheel notch away from the user, -1 towards.
    virtual bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons);
    virtual bool hitTest(const CPoint& where, const CButtonState& buttons);

    // Keys reach the frame's focus view; true if the view used the key.
    virtual bool onKeyDown(const CKeyEvent& key);
    // The view became the frame's focus view, or stopped being it.
    virtual void onFocusGained() {}
    virtual void onFocusLost() {}

    // A dirty view is redrawn at the frame's next idle time.
    virtual void setDirty(bool state = true) { dirty = state; }
    virtual bool isDirty() const { return dirty; }
    // Marks the view's area (or part of it) for redrawing at the next idle time.
    virtual void invalid();
    virtual void invalidRect(const CRect& rect);

    void setMouseEnabled(bool state) { mouseEnabled = state; }
    bool getMouseEnabled() const { return mouseEnabled; }
    virtual void setVisible(bool state);
    bool isVisible() const { return visible; }
    virtual void setTransparency(bool state);
    bool getTransparency() const { return transparency; }

    // The view keeps its own reference to the bitmap.
    virtual void setBackground(CBitmap* bitmap);
    CBitmap* getBackground() const { return background; }

    const CRect& getViewSize() const { return size; }
    virtual void setViewSize(const CRect& rect, bool invalidate = true);
    CCoord getWidth() const { return size.getWidth(); }
    CCoord getHeight() const { return size.getHeight(); }

    CFrame* getFrame() const { return frame; }
    bool isAttached() const { return frame != nullptr; }
    // Called by the frame when the view is added to it or removed from it.
    virtual bool attached(CFrame* parent);
    virtual bool removed(CFrame* parent);

protected:
    CRect size;
    CFrame* frame = nullptr;
    CBitmap* background = nullptr;
    bool dirty = false;
    bool mouseEnabled = true;
    bool visible = true;
    bool transparency = false;
};

} // namespace VSTGUI
