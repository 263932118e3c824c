// The X11 backend: a child window of the host's window, driven by the host's event loop
// (GuiEventLoop), which calls back when the X connection's descriptor is readable; the window shows
// the frame's back buffer and takes the keyboard focus while the frame has a focus view; a list's
// pop-up is an override-redirect window that grabs the pointer while it is open.
#pragma once

#include "gui/platform/eventloop.h"
#include "gui/platform/iplatformframe.h"

#include <memory>

typedef struct _XDisplay Display;
union _XEvent;
struct _XGC;

namespace VSTGUI {

class CFrame;

class X11Frame : public IPlatformFrame
{
public:
    // Null if there is no display, no event loop or the parent window is not usable.
    static std::unique_ptr<IPlatformFrame> create(CFrame& frame, unsigned long parentWindow,
                                                  GuiEventLoop* eventLoop, int width, int height);
    ~X11Frame() override;
    X11Frame(const X11Frame&) = delete;
    X11Frame& operator=(const X11Frame&) = delete;

    // IPlatformFrame
    cairo_surface_t* getBackBuffer() override { return backBuffer; }
    void present(const CRect& area) override;
    bool setSize(int width, int height) override;
    bool openPopup(const CRect& area) override;
    void closePopup() override;
    void invalidatePopup() override;
    void onIdle() override;
    void takeKeyboardFocus() override;

    unsigned long getWindow() const { return window; }
    // Handles every event the connection has received.
    void processEvents();

private:
    X11Frame(CFrame& frame, Display* display);
    bool open(unsigned long parentWindow, GuiEventLoop& eventLoop, int width, int height);
    void handleEvent(::_XEvent& event);
    void handleFrameEvent(::_XEvent& event);
    void handlePopupEvent(::_XEvent& event);
    bool isViewable() const;
    void drawPopup();
    void putImage(unsigned long target, cairo_surface_t* image, const CRect& area);

    CFrame& frame;
    Display* display;
    std::unique_ptr<GuiEventLoop::Watch> connectionWatch;
    unsigned long window = 0;
    ::_XGC* gc = nullptr;
    cairo_surface_t* backBuffer = nullptr;
    unsigned long popupWindow = 0;
    cairo_surface_t* popupSurface = nullptr;
    bool processing = false;

    struct LastPress
    {
        unsigned button = 0;
        unsigned long time = 0;
        int x = 0;
        int y = 0;
        bool wasDoubleClick = false;
    } lastPress;
};

} // namespace VSTGUI
