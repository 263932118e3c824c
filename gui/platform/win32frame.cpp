#include "gui/platform/win32frame.h"

#include "gui/cdrawcontext.h"
#include "gui/cframe.h"
#include "gui/gdiplus/gdiplussession.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

namespace VSTGUI {

namespace {

constexpr const wchar_t* kFrameClassName = L"TalvaneFrame";
constexpr const wchar_t* kPopupClassName = L"TalvanePopup";
constexpr float kWheelNotch = WHEEL_DELTA;
constexpr int kBitsPerPixel = 32;
constexpr int kBytesPerPixel = 4;

// Both window classes belong to this module, so two copies of the plug-in never share them; they
// are registered while any frame exists.
int registeredFrames = 0;

HINSTANCE thisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

LRESULT CALLBACK frameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Win32Frame::handleFrameMessage(window, message, wParam, lParam);
}

LRESULT CALLBACK popupProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Win32Frame::handlePopupMessage(window, message, wParam, lParam);
}

bool registerClasses()
{
    if (registeredFrames++ > 0)
        return true;
    WNDCLASSEXW frameClass{};
    frameClass.cbSize = sizeof frameClass;
    // Double-clicks reset knobs; without CS_DBLCLKS Windows reports them as plain presses.
    frameClass.style = CS_DBLCLKS;
    frameClass.lpfnWndProc = &frameProcedure;
    frameClass.hInstance = thisModule();
    frameClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    frameClass.lpszClassName = kFrameClassName;

    WNDCLASSEXW popupClass = frameClass;
    popupClass.style = CS_DROPSHADOW | CS_SAVEBITS;
    popupClass.lpfnWndProc = &popupProcedure;
    popupClass.lpszClassName = kPopupClassName;
    if (!RegisterClassExW(&frameClass) || !RegisterClassExW(&popupClass))
    {
        UnregisterClassW(kFrameClassName, thisModule());
        registeredFrames = 0;
        return false;
    }
    return true;
}

void unregisterClasses()
{
    if (registeredFrames == 0 || --registeredFrames > 0)
        return;
    UnregisterClassW(kPopupClassName, thisModule());
    UnregisterClassW(kFrameClassName, thisModule());
}

int32_t virtualKeyOf(std::uintptr_t wParam)
{
    switch (wParam)
    {
    case VK_BACK:
        return kVirtualKeyBack;
    case VK_DELETE:
        return kVirtualKeyDelete;
    case VK_RETURN:
        return kVirtualKeyReturn;
    case VK_ESCAPE:
        return kVirtualKeyEscape;
    case VK_LEFT:
        return kVirtualKeyLeft;
    case VK_RIGHT:
        return kVirtualKeyRight;
    case VK_HOME:
        return kVirtualKeyHome;
    case VK_END:
        return kVirtualKeyEnd;
    case VK_TAB:
        return kVirtualKeyTab;
    default:
        return kVirtualKeyNone;
    }
}

int32_t keyboardModifiers()
{
    int32_t bits = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        bits |= kShift;
    if (GetKeyState(VK_CONTROL) < 0)
        bits |= kControl;
    if (GetKeyState(VK_MENU) < 0)
        bits |= kAlt;
    return bits;
}

int32_t modifiersOf(WPARAM keys)
{
    int32_t bits = 0;
    if (keys & MK_SHIFT)
        bits |= kShift;
    if (keys & MK_CONTROL)
        bits |= kControl;
    if (GetKeyState(VK_MENU) < 0)
        bits |= kAlt;
    return bits;
}

int32_t heldButtonsOf(WPARAM keys)
{
    int32_t bits = 0;
    if (keys & MK_LBUTTON)
        bits |= kLButton;
    if (keys & MK_MBUTTON)
        bits |= kMButton;
    if (keys & MK_RBUTTON)
        bits |= kRButton;
    return bits;
}

// The buttons as the message being handled left them.
bool anyButtonHeld()
{
    return GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_MBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0;
}

CPoint pointOf(LPARAM lParam)
{
    return CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

template <typename Owner>
Owner* ownerOf(HWND window)
{
    return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Copies `area` of `image` to the device context at the same place.
void blit(HDC target, NativeImage* image, const RECT& area)
{
    const int width = getImageWidth(image);
    const int height = getImageHeight(image);
    const int left = std::clamp(static_cast<int>(area.left), 0, width);
    const int top = std::clamp(static_cast<int>(area.top), 0, height);
    const int right = std::clamp(static_cast<int>(area.right), left, width);
    const int bottom = std::clamp(static_cast<int>(area.bottom), top, height);
    if (right == left || bottom == top)
        return;
    // Whole rows, so that the locked pixels form one top-down DIB as wide as the image.
    Gdiplus::Rect rows(0, top, width, bottom - top);
    Gdiplus::BitmapData pixels{};
    if (image->LockBits(&rows, Gdiplus::ImageLockModeRead, PixelFormat32bppRGB, &pixels) != Gdiplus::Ok)
        return;
    if (pixels.Stride == width * kBytesPerPixel)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -(bottom - top);
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = kBitsPerPixel;
        info.bmiHeader.biCompression = BI_RGB;
        StretchDIBits(target, left, top, right - left, bottom - top, left, 0, right - left, bottom - top,
                      pixels.Scan0, &info, DIB_RGB_COLORS, SRCCOPY);
    }
    image->UnlockBits(&pixels);
}

RECT wholeImage(NativeImage* image)
{
    return RECT{0, 0, getImageWidth(image), getImageHeight(image)};
}

RECT rectOf(const CRect& area)
{
    RECT rect;
    rect.left = static_cast<LONG>(std::floor(area.left));
    rect.top = static_cast<LONG>(std::floor(area.top));
    rect.right = static_cast<LONG>(std::ceil(area.right));
    rect.bottom = static_cast<LONG>(std::ceil(area.bottom));
    return rect;
}

} // namespace

std::unique_ptr<IPlatformFrame> Win32Frame::create(CFrame& frame, std::uintptr_t parentWindow, int width,
                                                   int height)
{
    HWND parent = reinterpret_cast<HWND>(parentWindow);
    if (!parent || !IsWindow(parent))
        return nullptr;
    std::unique_ptr<Win32Frame> platform(new Win32Frame(frame));
    if (!platform->open(parent, width, height))
        return nullptr;
    return platform;
}

Win32Frame::Win32Frame(CFrame& owner) : frame(owner) {}

bool Win32Frame::open(HWND parent, int width, int height)
{
    if (!registerClasses())
        return false;
    backBuffer = createImage(width, height);
    if (!backBuffer)
        return false;
    window = CreateWindowExW(0, kFrameClassName, L"Talvane", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, width,
                             height, parent, nullptr, thisModule(), this);
    return window != nullptr;
}

Win32Frame::~Win32Frame()
{
    closePopup();
    if (window)
    {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
    destroyImage(backBuffer);
    unregisterClasses();
}

void Win32Frame::present(const CRect& area)
{
    if (!window)
        return;
    HDC target = GetDC(window);
    blit(target, backBuffer, rectOf(area));
    ReleaseDC(window, target);
}

bool Win32Frame::setSize(int width, int height)
{
    if (!window)
        return false;
    NativeImage* resized = createImage(width, height);
    if (!resized)
        return false;
    destroyImage(backBuffer);
    backBuffer = resized;
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

std::intptr_t Win32Frame::handleFrameMessage(HWND window, unsigned message, std::uintptr_t wParam,
                                             std::intptr_t lParam)
{
    if (message == WM_NCCREATE)
    {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    if (Win32Frame* owner = ownerOf<Win32Frame>(window))
        return owner->onFrameMessage(window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

std::intptr_t Win32Frame::handlePopupMessage(HWND window, unsigned message, std::uintptr_t wParam,
                                             std::intptr_t lParam)
{
    if (message == WM_NCCREATE)
    {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    if (Win32Frame* owner = ownerOf<Win32Frame>(window))
        return owner->onPopupMessage(window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

std::intptr_t Win32Frame::onFrameMessage(HWND target, unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    switch (message)
    {
    case WM_PAINT:
        paintFrame();
        return 0;
    case WM_ERASEBKGND:
        // The back buffer covers every pixel.
        return 1;
    case WM_PRINTCLIENT:
        // PrintWindow and WM_PRINT (window pictures, thumbnails) ask for the picture in a context of
        // their own; unanswered, they get a black window.
        frame.redrawInvalid();
        blit(reinterpret_cast<HDC>(wParam), backBuffer, wholeImage(backBuffer));
        return 0;
    case WM_LBUTTONDOWN:
        onButtonDown(kLButton, wParam, lParam, false);
        return 0;
    case WM_MBUTTONDOWN:
        onButtonDown(kMButton, wParam, lParam, false);
        return 0;
    case WM_RBUTTONDOWN:
        onButtonDown(kRButton, wParam, lParam, false);
        return 0;
    case WM_LBUTTONDBLCLK:
        onButtonDown(kLButton, wParam, lParam, true);
        return 0;
    case WM_MBUTTONDBLCLK:
        onButtonDown(kMButton, wParam, lParam, true);
        return 0;
    case WM_RBUTTONDBLCLK:
        onButtonDown(kRButton, wParam, lParam, true);
        return 0;
    case WM_LBUTTONUP:
        onButtonUp(kLButton, wParam, lParam);
        return 0;
    case WM_MBUTTONUP:
        onButtonUp(kMButton, wParam, lParam);
        return 0;
    case WM_RBUTTONUP:
        onButtonUp(kRButton, wParam, lParam);
        return 0;
    case WM_MOUSEMOVE:
    {
        if (!trackingLeave)
        {
            TRACKMOUSEEVENT track{};
            track.cbSize = sizeof track;
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = target;
            trackingLeave = TrackMouseEvent(&track) != FALSE;
        }
        CPoint where = frame.pointFromDevice(pointOf(lParam));
        frame.onMouseMoved(where, CButtonState(heldButtonsOf(wParam) | modifiersOf(wParam)));
        return 0;
    }
    case WM_MOUSELEAVE:
    {
        trackingLeave = false;
        // During a drag the window keeps the mouse, wherever the pointer goes.
        if (GetCapture() != window)
        {
            CPoint outside(-1, -1);
            frame.onMouseExited(outside, CButtonState());
        }
        return 0;
    }
    case WM_MOUSEWHEEL:
    {
        // Wheel positions come in screen coordinates.
        POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(window, &screen);
        const float distance = static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / kWheelNotch;
        if (frame.onWheel(frame.pointFromDevice(CPoint(screen.x, screen.y)), distance,
                          CButtonState(modifiersOf(GET_KEYSTATE_WPARAM(wParam)))))
            return 0;
        break;
    }
    case WM_CAPTURECHANGED:
        // Another window took the mouse while a button was held (a host's dialog, a switch of
        // application): the drag ends where it is. Giving the mouse back at a release happens with
        // no button held.
        if (reinterpret_cast<HWND>(lParam) != target && anyButtonHeld())
            frame.onMouseCancel();
        return 0;
    case WM_NCDESTROY:
        // The host destroyed its window, and this one with it, before removing the view: the frame
        // lives on without a window until then, and must never touch the dead handle again.
        SetWindowLongPtrW(target, GWLP_USERDATA, 0);
        window = nullptr;
        if (frame.isPopupOpen())
            frame.cancelPopup();
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && frame.isPopupOpen())
        {
            frame.cancelPopup();
            return 0;
        }
        if (const int32_t key = virtualKeyOf(wParam); key != kVirtualKeyNone)
        {
            CKeyEvent event;
            event.virtualKey = key;
            event.modifiers = keyboardModifiers();
            if (frame.onKeyDown(event))
                return 0;
        }
        break;
    case WM_GETDLGCODE:
        // A host that runs the editor in a dialog keeps Return, Escape and Tab unless asked.
        if (frame.getFocusView())
            return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
        break;
    case WM_CHAR:
        // The editing keys come as WM_KEYDOWN; their control characters are not typed.
        if (const char32_t character = takeCharacter(wParam); character >= 0x20)
        {
            CKeyEvent event;
            event.character = character;
            event.modifiers = keyboardModifiers();
            if (frame.onKeyDown(event))
                return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(target, message, wParam, lParam);
}

void Win32Frame::takeKeyboardFocus()
{
    if (window)
        SetFocus(window);
}

char32_t Win32Frame::takeCharacter(std::uintptr_t wParam)
{
    // Characters beyond the first plane arrive as two WM_CHAR messages, a surrogate pair.
    const auto unit = static_cast<char32_t>(wParam & 0xFFFF);
    if (unit >= 0xD800 && unit <= 0xDBFF)
    {
        pendingHighSurrogate = unit;
        return 0;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF)
    {
        const char32_t high = pendingHighSurrogate;
        pendingHighSurrogate = 0;
        return high ? 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00) : 0;
    }
    pendingHighSurrogate = 0;
    return unit;
}

void Win32Frame::onButtonDown(int32_t button, std::uintptr_t wParam, std::intptr_t lParam, bool doubleClick)
{
    // The wheel goes to the window with the keyboard focus, and a drag keeps the mouse.
    SetFocus(window);
    SetCapture(window);
    CPoint where = frame.pointFromDevice(pointOf(lParam));
    frame.onMouseDown(where, CButtonState(button | modifiersOf(wParam) | (doubleClick ? kDoubleClick : 0)));
}

void Win32Frame::onButtonUp(int32_t button, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (heldButtonsOf(wParam) == 0 && GetCapture() == window)
        ReleaseCapture();
    CPoint where = frame.pointFromDevice(pointOf(lParam));
    frame.onMouseUp(where, CButtonState(button | modifiersOf(wParam)));
}

void Win32Frame::paintFrame()
{
    frame.redrawInvalid();
    PAINTSTRUCT paint;
    HDC target = BeginPaint(window, &paint);
    blit(target, backBuffer, paint.rcPaint);
    EndPaint(window, &paint);
}

bool Win32Frame::openPopup(const CRect& area)
{
    closePopup();
    if (!window)
        return false;
    POINT origin{static_cast<LONG>(std::floor(area.left)), static_cast<LONG>(std::floor(area.top))};
    ClientToScreen(window, &origin);
    const int width = std::max(1, static_cast<int>(std::ceil(area.getWidth())));
    const int height = std::max(1, static_cast<int>(std::ceil(area.getHeight())));
    // Keep the pop-up on the monitor that shows the list box.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromPoint(origin, MONITOR_DEFAULTTONEAREST), &monitor))
    {
        const RECT& work = monitor.rcWork;
        origin.x = std::clamp<LONG>(origin.x, work.left, std::max<LONG>(work.left, work.right - width));
        origin.y = std::clamp<LONG>(origin.y, work.top, std::max<LONG>(work.top, work.bottom - height));
    }
    popupImage = createImage(width, height);
    if (!popupImage)
        return false;
    popupWindow = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kPopupClassName, L"",
                                  WS_POPUP, origin.x, origin.y, width, height, GetAncestor(window, GA_ROOT),
                                  nullptr, thisModule(), this);
    if (!popupWindow)
    {
        destroyImage(popupImage);
        popupImage = nullptr;
        return false;
    }
    drawPopupImage();
    ShowWindow(popupWindow, SW_SHOWNOACTIVATE);
    UpdateWindow(popupWindow);
    // Every click goes to the pop-up while it is open, in its coordinates, so that a click outside
    // it closes it.
    SetCapture(popupWindow);
    return true;
}

void Win32Frame::closePopup()
{
    if (!popupWindow)
        return;
    closingPopup = true;
    HWND closing = popupWindow;
    popupWindow = nullptr;
    SetWindowLongPtrW(closing, GWLP_USERDATA, 0);
    if (GetCapture() == closing)
        ReleaseCapture();
    DestroyWindow(closing);
    destroyImage(popupImage);
    popupImage = nullptr;
    closingPopup = false;
}

void Win32Frame::invalidatePopup()
{
    if (!popupWindow)
        return;
    drawPopupImage();
    HDC target = GetDC(popupWindow);
    blit(target, popupImage, wholeImage(popupImage));
    ReleaseDC(popupWindow, target);
}

void Win32Frame::drawPopupImage()
{
    CImageDrawContext context(popupImage, frame.getScaleFactor());
    frame.drawPopup(context);
}

void Win32Frame::paintPopup()
{
    PAINTSTRUCT paint;
    HDC target = BeginPaint(popupWindow, &paint);
    blit(target, popupImage, paint.rcPaint);
    EndPaint(popupWindow, &paint);
}

std::intptr_t Win32Frame::onPopupMessage(HWND target, unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    switch (message)
    {
    case WM_PAINT:
        paintPopup();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PRINTCLIENT:
        blit(reinterpret_cast<HDC>(wParam), popupImage, wholeImage(popupImage));
        return 0;
    case WM_MOUSEACTIVATE:
        // Choosing an entry must not take the activation from the host's window.
        return MA_NOACTIVATE;
    case WM_MOUSEMOVE:
        frame.popupMouseMoved(frame.pointFromDevice(pointOf(lParam)));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
        // May close the pop-up, and this window with it: nothing of it is touched afterwards.
        frame.popupMouseDown(frame.pointFromDevice(pointOf(lParam)));
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (a switch of application, say): the choice is off.
        if (!closingPopup && frame.isPopupOpen())
            frame.cancelPopup();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(target, message, wParam, lParam);
}

} // namespace VSTGUI
