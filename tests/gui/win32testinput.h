// Input and pictures for tests of real windows on Windows (and under Wine): the mouse and keyboard
// driven through SendInput, as a device drives them, so that the system's hit testing, mouse
// capture, focus and double-click detection all take part; and a window's pixels read back as the
// screen shows them (BitBlt from the window's device context) and as the window draws itself when
// asked to (PrintWindow).
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace talvane::testing::win32 {

// Moves the pointer to a position on the primary screen; false if it landed elsewhere.
inline bool movePointerTo(POINT screen)
{
    const LONG width = GetSystemMetrics(SM_CXSCREEN);
    const LONG height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    // Absolute positions count in 65536ths of the screen; rounding up lands on the wanted pixel.
    input.mi.dx = (screen.x * 65536 + width - 1) / width;
    input.mi.dy = (screen.y * 65536 + height - 1) / height;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    if (SendInput(1, &input, sizeof input) != 1)
        return false;
    POINT now{};
    GetCursorPos(&now);
    return now.x == screen.x && now.y == screen.y;
}

inline bool sendMouse(DWORD flags, DWORD data = 0)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.mouseData = data;
    return SendInput(1, &input, sizeof input) == 1;
}

inline bool pressLeftButton()
{
    return sendMouse(MOUSEEVENTF_LEFTDOWN);
}

inline bool releaseLeftButton()
{
    return sendMouse(MOUSEEVENTF_LEFTUP);
}

// Positive notches turn the wheel away from the user. Each notch is an input of its own, all sent
// at once, as a wheel turned quickly: the window's queue holds them together, however long the
// machine takes to deliver them.
inline bool turnWheel(int notches)
{
    const int count = notches < 0 ? -notches : notches;
    std::vector<INPUT> inputs(static_cast<std::size_t>(count));
    for (INPUT& input : inputs)
    {
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = MOUSEEVENTF_WHEEL;
        input.mi.mouseData = static_cast<DWORD>((notches < 0 ? -1 : 1) * WHEEL_DELTA);
    }
    return SendInput(static_cast<UINT>(count), inputs.data(), sizeof(INPUT)) == static_cast<UINT>(count);
}

inline bool sendKey(WORD virtualKey, bool down)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    return SendInput(1, &input, sizeof input) == 1;
}

// A window's client area, one 0xRRGGBB value per pixel, rows top down.
struct WindowPicture
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

enum class PictureSource
{
    Screen,      // BitBlt from the window's device context: what the screen shows
    PrintWindow, // the window draws itself into our bitmap
};

inline WindowPicture pictureOf(HWND window, PictureSource source)
{
    WindowPicture picture;
    RECT client{};
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0)
        return picture;
    picture.width = client.right;
    picture.height = client.bottom;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height; // top down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC windowContext = GetDC(window);
    HDC memory = CreateCompatibleDC(windowContext);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits)
    {
        DeleteDC(memory);
        ReleaseDC(window, windowContext);
        return WindowPicture();
    }
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const std::size_t count = static_cast<std::size_t>(picture.width) * picture.height;
    // A window that ignores the request leaves the bitmap black.
    std::fill_n(static_cast<std::uint32_t*>(bits), count, 0u);
    if (source == PictureSource::Screen)
        BitBlt(memory, 0, 0, picture.width, picture.height, windowContext, 0, 0, SRCCOPY);
    else
        PrintWindow(window, memory, PW_CLIENTONLY);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    picture.pixels.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        picture.pixels.push_back(pixels[i] & 0xffffffu);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, windowContext);
    return picture;
}

} // namespace talvane::testing::win32
