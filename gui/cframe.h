// The frame: the top of the view hierarchy inside the host's window. It owns the views added to it,
// draws its background and the views from the idle timer, dispatches mouse events to the view under
// the pointer and hosts the pop-up of a list.
//
// Views live in frame coordinates, the layout's pixels at 100 %. The frame is shown at a scale
// factor: its window and back buffer have toDevice(size) pixels, everything is drawn at that
// resolution, and the window system's mouse positions come back through pointFromDevice.
#pragma once

#include "gui/cview.h"

#include <memory>
#include <vector>

namespace VSTGUI {

class CDrawContext;
class CFrame;
class COptionMenu;
class IPlatformFrame;
class MenuPopup;

// What a frame knows of the editor that made it.
class VSTGUIEditorInterface
{
public:
    virtual int32_t getKnobMode() const { return -1; }
    // Told by the frame whenever a control begins or ends an edit; `index` is the control's tag.
    virtual bool beginEdit(int32_t /*index*/) { return false; }
    virtual bool endEdit(int32_t /*index*/) { return false; }
    // A press on the frame's background, where there is no view (frame coordinates); true if the
    // editor did something with it, such as opening a context menu.
    virtual bool onBackgroundMouseDown(const CPoint& /*where*/, const CButtonState& /*buttons*/)
    {
        return false;
    }
    virtual CFrame* getFrame() const { return frame; }

protected:
    VSTGUIEditorInterface() = default;
    virtual ~VSTGUIEditorInterface() = default;

    CFrame* frame = nullptr;
};

class CFrame : public CView
{
public:
    // `systemWindow` is the PlatformParent the editor base handed to open(), which also says the
    // scale to show the frame at, or null for a frame that draws offscreen only, at 100 %.
    CFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor);
    ~CFrame() override;

    // Ends a drag in progress, removes and releases every view, closes the window and releases the
    // frame's own reference.
    void close();
    // False when the window system could not give the frame a window.
    bool isOpen() const { return platform != nullptr; }

    // The frame adopts the caller's reference to the view.
    bool addView(CView* view);
    // Takes the view out of the frame (ending its drag, if it has one); with `withForget` the
    // frame's reference goes too.
    bool removeView(CView* view, bool withForget = true);
    void removeAll(bool withForget = true);
    bool isChild(const CView* view) const;
    int32_t getNbViews() const { return static_cast<int32_t>(views.size()); }
    CView* getView(int32_t index) const;
    // The topmost visible, mouse-enabled view under `where`.
    CView* getViewAt(const CPoint& where) const;

    void setBackgroundColor(const CColor& color);
    const CColor& getBackgroundColor() const { return backgroundColor; }

    VSTGUIEditorInterface* getEditor() const { return editor; }
    int32_t getKnobMode() const;
    void beginEdit(int32_t tag);
    void endEdit(int32_t tag);

    // In frame coordinates; the window takes the size at the frame's scale.
    bool setSize(CCoord width, CCoord height);

    // Device pixels per frame unit. A new scale keeps the frame's size in frame coordinates,
    // resizes the window, closes an open pop-up and redraws everything.
    double getScaleFactor() const { return scaleFactor; }
    bool setScaleFactor(double scale);
    // The window's size in device pixels.
    CPoint getDeviceSize() const;
    // A position in the window's pixels (mouse input), in frame coordinates.
    CPoint pointFromDevice(const CPoint& pixel) const { return fromDevice(pixel, scaleFactor); }

    // Called every idle period: marks dirty views invalid and redraws every invalid area.
    void idle();
    // Redraws what is invalid now (the idle timer does this; so does an expose of the window).
    void redrawInvalid();
    bool hasInvalidAreas() const { return !invalidRects.empty(); }

    void invalid() override;
    void invalidRect(const CRect& rect) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;

    // Mouse input from the platform, in frame coordinates.
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    // The window lost the mouse while a button was down (another window took it, the window was
    // hidden): the view that took the press hears that no release will come.
    CMouseEventResult onMouseCancel() override;
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;

    // Keyboard: the view keys go to (null: none). A new focus view tells the old one it lost the
    // focus and asks the window for the keyboard; a click elsewhere, or removing it, ends it.
    void setFocusView(CView* view);
    CView* getFocusView() const { return focusView; }
    // A key from the platform, for the focus view; false if nothing used it.
    bool onKeyDown(const CKeyEvent& key);

    // The pop-up of a list. The menu is held until the pop-up closes. It opens at the menu's
    // top-left corner (kPopupStyle) or below it (see also kPopupInFrameStyle).
    bool openPopup(COptionMenu* menu);
    // The pop-up of a menu that is not one of the frame's views (a context menu), its top-left
    // corner at `where`.
    bool openPopupAt(COptionMenu* menu, const CPoint& where);
    bool isPopupOpen() const { return popup != nullptr; }
    MenuPopup* getPopup() const { return popup.get(); }
    void cancelPopup();
    // From the platform: pop-up coordinates (0, 0 at the pop-up's top-left corner), in frame
    // units: the platform draws the pop-up with a context at the frame's scale and converts the
    // mouse's pixels with pointFromDevice.
    void drawPopup(CDrawContext& context);
    void popupMouseMoved(const CPoint& where);
    void popupMouseDown(const CPoint& where);

    IPlatformFrame* getPlatformFrame() const { return platform.get(); }

private:
    CMouseEventResult dispatchMouseDown(CPoint& where, const CButtonState& buttons);
    bool showPopup(COptionMenu* menu, const CPoint& origin);
    void finishPopup(int32_t chosenIndex);
    void updateMouseOver(CPoint& where, const CButtonState& buttons);
    void forgetPointerTargets(const CView* view);
    std::vector<CView*> viewsTopDown() const;

    VSTGUIEditorInterface* editor;
    std::unique_ptr<IPlatformFrame> platform;
    std::vector<CView*> views;
    std::vector<CRect> invalidRects;
    std::unique_ptr<MenuPopup> popup;
    CView* mouseDownView = nullptr;
    CView* mouseOverView = nullptr;
    CView* focusView = nullptr;
    CColor backgroundColor = kGreyCColor;
    double scaleFactor;
};

} // namespace VSTGUI
