// The offscreen backend: the frame draws into an image and input comes from the caller. Tests and
// the screenshot tool use it to press, drag, double-click and scroll synthetically, to work a
// list's pop-up and to read back pixels. Like a window, it works in device pixels: at a scale
// other than 100 % the input positions and pixels are those of the scaled picture.
#pragma once

#include "gui/platform/iplatformframe.h"

#include <string>

namespace VSTGUI {

class CFrame;

class OffscreenFrame : public IPlatformFrame
{
public:
    OffscreenFrame(CFrame& frame, int width, int height);
    ~OffscreenFrame() override;
    OffscreenFrame(const OffscreenFrame&) = delete;
    OffscreenFrame& operator=(const OffscreenFrame&) = delete;

    // The offscreen backend of `frame`, or null if it has another one.
    static OffscreenFrame* of(CFrame* frame);

    // IPlatformFrame
    NativeImage* getBackBuffer() override { return backBuffer; }
    void present(const CRect& area) override;
    bool setSize(int width, int height) override;
    bool openPopup(const CRect& area) override;
    void closePopup() override;
    void invalidatePopup() override {}

    // Synthetic input in the picture's pixels; `buttons` holds buttons and modifiers (CButton bits).
    CMouseEventResult mouseDown(const CPoint& where, int32_t buttons = kLButton);
    CMouseEventResult mouseMove(const CPoint& where, int32_t buttons = 0);
    CMouseEventResult mouseUp(const CPoint& where, int32_t buttons = kLButton);
    void click(const CPoint& where, int32_t buttons = kLButton);
    // A first click, then a press carrying kDoubleClick, then its release.
    void doubleClick(const CPoint& where, int32_t buttons = kLButton);
    bool wheel(const CPoint& where, float distance, int32_t modifiers = 0);
    // The pointer leaves the window.
    void mouseLeave();
    // Keys for the frame's focus view: one editing key, or the characters of UTF-8 text.
    bool key(int32_t virtualKey, int32_t modifiers = 0);
    void type(const std::string& utf8);
    int getKeyboardFocusRequests() const { return focusRequests; }
    void takeKeyboardFocus() override { ++focusRequests; }

    // The pop-up of a list, if one is open; its area is in the picture's pixels.
    bool isPopupOpen() const { return popupOpen; }
    CRect getPopupArea() const { return popupArea; }
    // Input in the pop-up's pixels.
    void popupMouseMove(const CPoint& where);
    void popupMouseDown(const CPoint& where);

    // The picture: the frame's back buffer, and the frame with its open pop-up over it.
    CColor getPixel(int x, int y) const;
    bool saveScreenshot(const std::string& pngPath, bool withPopup = true) const;

    int getPresentCount() const { return presentCount; }
    const CRect& getLastPresented() const { return lastPresented; }

private:
    CFrame& frame;
    NativeImage* backBuffer;
    bool popupOpen = false;
    CRect popupArea;
    int presentCount = 0;
    int focusRequests = 0;
    CRect lastPresented;
};

} // namespace VSTGUI
