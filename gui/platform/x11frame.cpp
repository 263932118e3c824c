#include "gui/platform/x11frame.h"

#include "gui/cdrawcontext.h"
#include "gui/cframe.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace VSTGUI {

namespace {

constexpr unsigned long kDoubleClickMilliseconds = 400;
constexpr int kDoubleClickSlop = 4;
constexpr unsigned kWheelUpButton = 4;
constexpr unsigned kWheelDownButton = 5;

constexpr long kFrameEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                                 EnterWindowMask | LeaveWindowMask | StructureNotifyMask | KeyPressMask;
constexpr long kPopupEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr unsigned kPopupGrabMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr int kBitsPerPixel = 32;
constexpr unsigned long kRedMask = 0xff0000;
constexpr unsigned long kGreenMask = 0x00ff00;
constexpr unsigned long kBlueMask = 0x0000ff;
constexpr int kDirectDepth = 24;
constexpr int kDirectDepthWithAlpha = 32;

// cairo's RGB24 pixels are 0x00RRGGBB words, which such a visual takes unchanged.
bool isDirectVisual(const Visual* visual, int depth)
{
    return (depth == kDirectDepth || depth == kDirectDepthWithAlpha) && visual->red_mask == kRedMask &&
           visual->green_mask == kGreenMask && visual->blue_mask == kBlueMask;
}

int32_t modifiersOf(unsigned state)
{
    int32_t bits = 0;
    if (state & ShiftMask)
        bits |= kShift;
    if (state & ControlMask)
        bits |= kControl;
    if (state & Mod1Mask)
        bits |= kAlt;
    return bits;
}

int32_t heldButtonsOf(unsigned state)
{
    int32_t bits = 0;
    if (state & Button1Mask)
        bits |= kLButton;
    if (state & Button2Mask)
        bits |= kMButton;
    if (state & Button3Mask)
        bits |= kRButton;
    return bits;
}

int32_t buttonBit(unsigned button)
{
    switch (button)
    {
    case Button1:
        return kLButton;
    case Button2:
        return kMButton;
    case Button3:
        return kRButton;
    default:
        return 0;
    }
}

// The editing keys and the character a key types. Keysyms of Latin-1 characters are their code
// points; other characters have keysyms of 0x01000000 plus their code point.
CKeyEvent keyEventOf(XKeyEvent& press)
{
    constexpr KeySym kUnicodeKeysymBase = 0x01000000;
    constexpr KeySym kUnicodeKeysymMask = 0x00FFFFFF;
    constexpr KeySym kLastLatin1Keysym = 0xFF;
    KeySym keysym = NoSymbol;
    char ignored[8];
    XLookupString(&press, ignored, sizeof ignored, &keysym, nullptr);
    CKeyEvent key;
    key.modifiers = modifiersOf(press.state);
    switch (keysym)
    {
    case XK_BackSpace:
        key.virtualKey = kVirtualKeyBack;
        break;
    case XK_Delete:
    case XK_KP_Delete:
        key.virtualKey = kVirtualKeyDelete;
        break;
    case XK_Return:
    case XK_KP_Enter:
        key.virtualKey = kVirtualKeyReturn;
        break;
    case XK_Escape:
        key.virtualKey = kVirtualKeyEscape;
        break;
    case XK_Left:
    case XK_KP_Left:
        key.virtualKey = kVirtualKeyLeft;
        break;
    case XK_Right:
    case XK_KP_Right:
        key.virtualKey = kVirtualKeyRight;
        break;
    case XK_Home:
    case XK_KP_Home:
        key.virtualKey = kVirtualKeyHome;
        break;
    case XK_End:
    case XK_KP_End:
        key.virtualKey = kVirtualKeyEnd;
        break;
    case XK_Tab:
        key.virtualKey = kVirtualKeyTab;
        break;
    default:
        if (keysym >= 0x20 && keysym <= kLastLatin1Keysym)
            key.character = static_cast<char32_t>(keysym);
        else if ((keysym & ~kUnicodeKeysymMask) == kUnicodeKeysymBase)
            key.character = static_cast<char32_t>(keysym & kUnicodeKeysymMask);
        break;
    }
    return key;
}

// Xlib reports errors through one process-wide handler, which by default ends the process. While
// we create windows in the host's process we catch them instead, and put the host's handler back.
class ScopedErrorTrap
{
public:
    explicit ScopedErrorTrap(Display* trapped) : display(trapped)
    {
        XSync(display, False);
        failed = false;
        previous = XSetErrorHandler(&ScopedErrorTrap::record);
    }
    ~ScopedErrorTrap() { XSetErrorHandler(previous); }
    ScopedErrorTrap(const ScopedErrorTrap&) = delete;
    ScopedErrorTrap& operator=(const ScopedErrorTrap&) = delete;

    bool sawError()
    {
        XSync(display, False);
        return failed;
    }

private:
    static int record(Display*, XErrorEvent*)
    {
        failed = true;
        return 0;
    }

    static inline bool failed = false;
    Display* display;
    XErrorHandler previous;
};

} // namespace

std::unique_ptr<IPlatformFrame> X11Frame::create(CFrame& frame, unsigned long parentWindow,
                                                 GuiEventLoop* eventLoop, int width, int height)
{
    if (!eventLoop || parentWindow == 0)
        return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    std::unique_ptr<X11Frame> platform(new X11Frame(frame, display));
    if (!platform->open(parentWindow, *eventLoop, width, height))
        return nullptr;
    return platform;
}

X11Frame::X11Frame(CFrame& owner, Display* connection) : frame(owner), display(connection) {}

bool X11Frame::open(unsigned long parentWindow, GuiEventLoop& eventLoop, int width, int height)
{
    const int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    // The back buffer goes to the window as it is: that needs a true-colour visual with 8 bits per
    // channel, which every current X server offers by default.
    if (!isDirectVisual(visual, DefaultDepth(display, screen)))
        return false;
    {
        ScopedErrorTrap trap(display);
        XSetWindowAttributes attributes{};
        attributes.event_mask = kFrameEventMask;
        attributes.background_pixmap = None;
        // The host's window may have another visual than the screen's default (GTK hosts choose
        // their own): the window names its colormap and border rather than taking the parent's,
        // which would not fit its visual.
        attributes.colormap = DefaultColormap(display, screen);
        attributes.border_pixel = 0;
        window = XCreateWindow(display, parentWindow, 0, 0, static_cast<unsigned>(width),
                               static_cast<unsigned>(height), 0, DefaultDepth(display, screen), InputOutput,
                               visual, CWEventMask | CWBackPixmap | CWColormap | CWBorderPixel, &attributes);
        if (trap.sawError() || window == 0)
        {
            window = 0;
            return false;
        }
    }
    XMapWindow(display, window);
    gc = XCreateGC(display, window, 0, nullptr);
    backBuffer = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    connectionWatch = eventLoop.watchFileDescriptor(ConnectionNumber(display), [this] { processEvents(); });
    if (!connectionWatch)
        return false;
    XFlush(display);
    return true;
}

X11Frame::~X11Frame()
{
    closePopup();
    // No more calls before the connection closes.
    connectionWatch.reset();
    if (backBuffer)
        cairo_surface_destroy(backBuffer);
    if (gc)
        XFreeGC(display, gc);
    if (window)
        XDestroyWindow(display, window);
    XCloseDisplay(display);
}

void X11Frame::present(const CRect& area)
{
    putImage(window, backBuffer, area);
    XFlush(display);
}

void X11Frame::putImage(unsigned long target, cairo_surface_t* image, const CRect& area)
{
    cairo_surface_flush(image);
    const int width = cairo_image_surface_get_width(image);
    const int height = cairo_image_surface_get_height(image);
    const int left = std::clamp(static_cast<int>(area.left), 0, width);
    const int top = std::clamp(static_cast<int>(area.top), 0, height);
    const int right = std::clamp(static_cast<int>(std::ceil(area.right)), left, width);
    const int bottom = std::clamp(static_cast<int>(std::ceil(area.bottom)), top, height);
    if (right == left || bottom == top)
        return;
    const int screen = DefaultScreen(display);
    XImage* ximage = XCreateImage(display, DefaultVisual(display, screen),
                                  static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap, 0,
                                  reinterpret_cast<char*>(cairo_image_surface_get_data(image)),
                                  static_cast<unsigned>(width), static_cast<unsigned>(height), kBitsPerPixel,
                                  cairo_image_surface_get_stride(image));
    if (!ximage)
        return;
    XPutImage(display, target, gc, ximage, left, top, left, top, static_cast<unsigned>(right - left),
              static_cast<unsigned>(bottom - top));
    // The pixels belong to cairo.
    ximage->data = nullptr;
    XDestroyImage(ximage);
}

bool X11Frame::setSize(int width, int height)
{
    XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    cairo_surface_destroy(backBuffer);
    backBuffer = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    XFlush(display);
    return true;
}

void X11Frame::onIdle()
{
    // Xlib may have read events into its queue while we drew; the descriptor will not report them.
    if (XEventsQueued(display, QueuedAlready) > 0)
        processEvents();
}

void X11Frame::processEvents()
{
    if (processing)
        return;
    processing = true;
    while (XPending(display) > 0)
    {
        XEvent event;
        XNextEvent(display, &event);
        handleEvent(event);
    }
    processing = false;
}

void X11Frame::handleEvent(XEvent& event)
{
    if (popupWindow && event.xany.window == popupWindow)
        handlePopupEvent(event);
    else if (event.xany.window == window)
        handleFrameEvent(event);
}

void X11Frame::handleFrameEvent(XEvent& event)
{
    switch (event.type)
    {
    case Expose:
    {
        frame.redrawInvalid();
        const XExposeEvent& expose = event.xexpose;
        present(CRect(expose.x, expose.y, expose.x + expose.width, expose.y + expose.height));
        break;
    }
    case ButtonPress:
    {
        const XButtonEvent& press = event.xbutton;
        CPoint where = frame.pointFromDevice(CPoint(press.x, press.y));
        if (press.button == kWheelUpButton || press.button == kWheelDownButton)
        {
            const float distance = press.button == kWheelUpButton ? 1.f : -1.f;
            frame.onWheel(where, distance, CButtonState(modifiersOf(press.state)));
            break;
        }
        const int32_t bit = buttonBit(press.button);
        if (!bit)
            break;
        const bool isDoubleClick = !lastPress.wasDoubleClick && lastPress.button == press.button &&
                                   press.time - lastPress.time <= kDoubleClickMilliseconds &&
                                   std::abs(press.x - lastPress.x) <= kDoubleClickSlop &&
                                   std::abs(press.y - lastPress.y) <= kDoubleClickSlop;
        lastPress = {press.button, press.time, press.x, press.y, isDoubleClick};
        frame.onMouseDown(where,
                          CButtonState(bit | modifiersOf(press.state) | (isDoubleClick ? kDoubleClick : 0)));
        break;
    }
    case ButtonRelease:
    {
        const XButtonEvent& release = event.xbutton;
        const int32_t bit = buttonBit(release.button);
        if (!bit)
            break;
        CPoint where = frame.pointFromDevice(CPoint(release.x, release.y));
        frame.onMouseUp(where, CButtonState(bit | modifiersOf(release.state)));
        break;
    }
    case MotionNotify:
    {
        // Only the latest position matters.
        while (XCheckTypedWindowEvent(display, window, MotionNotify, &event))
        {}
        const XMotionEvent& motion = event.xmotion;
        CPoint where = frame.pointFromDevice(CPoint(motion.x, motion.y));
        frame.onMouseMoved(where, CButtonState(heldButtonsOf(motion.state) | modifiersOf(motion.state)));
        break;
    }
    case EnterNotify:
    {
        const XCrossingEvent& crossing = event.xcrossing;
        CPoint where = frame.pointFromDevice(CPoint(crossing.x, crossing.y));
        frame.onMouseMoved(where, CButtonState(heldButtonsOf(crossing.state) | modifiersOf(crossing.state)));
        break;
    }
    case LeaveNotify:
    {
        const XCrossingEvent& crossing = event.xcrossing;
        // A drag loses the mouse when another client grabs it, or when the window stops being
        // viewable while a button is down (the host hid it): the server drops the button's grab,
        // and no release will come here. A release that ended the drag came before this.
        if (crossing.mode == NotifyGrab || crossing.mode == NotifyUngrab ||
            (heldButtonsOf(crossing.state) != 0 && !isViewable()))
            frame.onMouseCancel();
        CPoint where = frame.pointFromDevice(CPoint(crossing.x, crossing.y));
        frame.onMouseExited(where, CButtonState(modifiersOf(crossing.state)));
        break;
    }
    case KeyPress:
    {
        const CKeyEvent key = keyEventOf(event.xkey);
        if (key.virtualKey == kVirtualKeyEscape && frame.isPopupOpen())
            frame.cancelPopup();
        else
            frame.onKeyDown(key);
        break;
    }
    default:
        break;
    }
}

bool X11Frame::isViewable() const
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

void X11Frame::takeKeyboardFocus()
{
    // The host's window keeps the focus of the window manager; within it the keys come here.
    ScopedErrorTrap trap(display);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    trap.sawError(); // a window not shown yet cannot take the focus: nothing else to do
}

bool X11Frame::openPopup(const CRect& area)
{
    closePopup();
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    int rootX = 0;
    int rootY = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, root, static_cast<int>(area.left), static_cast<int>(area.top),
                          &rootX, &rootY, &child);
    const int width = std::max(1, static_cast<int>(area.getWidth()));
    const int height = std::max(1, static_cast<int>(area.getHeight()));
    // Keep the pop-up on the screen.
    rootX = std::clamp(rootX, 0, std::max(0, DisplayWidth(display, screen) - width));
    rootY = std::clamp(rootY, 0, std::max(0, DisplayHeight(display, screen) - height));

    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.event_mask = kPopupEventMask;
    attributes.background_pixmap = None;
    popupWindow = XCreateWindow(display, root, rootX, rootY, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), 0, DefaultDepth(display, screen), InputOutput,
                                DefaultVisual(display, screen),
                                CWOverrideRedirect | CWSaveUnder | CWEventMask | CWBackPixmap, &attributes);
    if (!popupWindow)
        return false;
    XMapRaised(display, popupWindow);
    popupSurface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    // Every click goes to the pop-up while it is open, reported in its coordinates, so that a click
    // outside it closes it.
    XGrabPointer(display, popupWindow, False, kPopupGrabMask, GrabModeAsync, GrabModeAsync, None, None,
                 CurrentTime);
    drawPopup();
    return true;
}

void X11Frame::closePopup()
{
    if (!popupWindow)
        return;
    XUngrabPointer(display, CurrentTime);
    cairo_surface_destroy(popupSurface);
    popupSurface = nullptr;
    XDestroyWindow(display, popupWindow);
    popupWindow = 0;
    XFlush(display);
}

void X11Frame::invalidatePopup()
{
    drawPopup();
}

void X11Frame::drawPopup()
{
    if (!popupSurface)
        return;
    {
        CImageDrawContext context(popupSurface, frame.getScaleFactor());
        frame.drawPopup(context);
    }
    putImage(popupWindow, popupSurface,
             CRect(0, 0, cairo_image_surface_get_width(popupSurface),
                   cairo_image_surface_get_height(popupSurface)));
    XFlush(display);
}

void X11Frame::handlePopupEvent(XEvent& event)
{
    switch (event.type)
    {
    case Expose:
        drawPopup();
        break;
    case MotionNotify:
        while (XCheckTypedWindowEvent(display, popupWindow, MotionNotify, &event))
        {}
        frame.popupMouseMoved(frame.pointFromDevice(CPoint(event.xmotion.x, event.xmotion.y)));
        break;
    case ButtonPress:
        // The wheel does not choose anything.
        if (buttonBit(event.xbutton.button))
            frame.popupMouseDown(frame.pointFromDevice(CPoint(event.xbutton.x, event.xbutton.y)));
        break;
    default:
        break;
    }
}

} // namespace VSTGUI
