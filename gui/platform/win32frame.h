// The Win32 backend: a child window of the host's window that shows the frame's back buffer and
// feeds it the mouse (buttons with their modifiers, double-clicks, the wheel, capture during drags)
// and, while it has the keyboard focus, the keys; a list's pop-up is a top-level pop-up window that
// captures the mouse while it is open. The host's user-interface thread pumps the messages of both.
#pragma once

#include "gui/platform/iplatformframe.h"

#include <cstdint>
#include <memory>

struct HWND__;
typedef HWND__* HWND;

namespace VSTGUI {

class CFrame;

class Win32Frame : public IPlatformFrame
{
public:
    // Null if `parentWindow` is no window or the child window cannot be made.
    static std::unique_ptr<IPlatformFrame> create(CFrame& frame, std::uintptr_t parentWindow, int width,
                                                  int height);
    ~Win32Frame() override;
    Win32Frame(const Win32Frame&) = delete;
    Win32Frame& operator=(const Win32Frame&) = delete;

    // IPlatformFrame
    NativeImage* getBackBuffer() override { return backBuffer; }
    void present(const CRect& area) override;
    bool setSize(int width, int height) override;
    bool openPopup(const CRect& area) override;
    void closePopup() override;
    void invalidatePopup() override;
    void takeKeyboardFocus() override;

    HWND getWindow() const { return window; }
    HWND getPopupWindow() const { return popupWindow; }

    // Window procedures of the two classes; the frame is in the window's user data.
    static std::intptr_t handleFrameMessage(HWND window, unsigned message, std::uintptr_t wParam,
                                            std::intptr_t lParam);
    static std::intptr_t handlePopupMessage(HWND window, unsigned message, std::uintptr_t wParam,
                                            std::intptr_t lParam);

private:
    explicit Win32Frame(CFrame& frame);
    bool open(HWND parent, int width, int height);
    std::intptr_t onFrameMessage(HWND target, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t onPopupMessage(HWND target, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    void onButtonDown(int32_t button, std::uintptr_t wParam, std::intptr_t lParam, bool doubleClick);
    void onButtonUp(int32_t button, std::uintptr_t wParam, std::intptr_t lParam);
    void paintFrame();
    void paintPopup();
    void drawPopupImage();
    // The character of a WM_CHAR message, once a surrogate pair is complete (0 until then).
    char32_t takeCharacter(std::uintptr_t wParam);

    CFrame& frame;
    HWND window = nullptr;
    NativeImage* backBuffer = nullptr;
    HWND popupWindow = nullptr;
    NativeImage* popupImage = nullptr;
    bool trackingLeave = false;
    bool closingPopup = false;
    char32_t pendingHighSurrogate = 0;
};

} // namespace VSTGUI
