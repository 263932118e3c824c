// What a frame is opened in: the kind of window system, its parent handle and the scale to show
// the frame at. The editor base passes a pointer to one of these as the `parent` of the editor's
// open(); the editor hands it on to the CFrame constructor unchanged.
#pragma once

#include <cstdint>

namespace VSTGUI {

class GuiEventLoop;

// The host-facing names of the platform types (IPlugView::isPlatformTypeSupported).
constexpr const char* kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";
constexpr const char* kPlatformTypeHWND = "HWND";
// Our own: no window at all, the frame draws into an image only (tests, screenshots).
constexpr const char* kPlatformTypeOffscreen = "TalvaneOffscreen";

// The host window type of the system the GUI layer is built for.
#ifdef _WIN32
constexpr const char* kPlatformTypeNative = kPlatformTypeHWND;
#else
constexpr const char* kPlatformTypeNative = kPlatformTypeX11EmbedWindowID;
#endif

enum class PlatformKind
{
    Offscreen,
    X11,
    Win32,
};

struct PlatformParent
{
    PlatformKind kind = PlatformKind::Offscreen;
    // X11: the host's parent window id; Win32: the host's parent HWND.
    std::uintptr_t window = 0;
    // X11: the loop that delivers the X connection's events to the frame (see eventloop.h).
    GuiEventLoop* eventLoop = nullptr;
    // Device pixels per frame unit: the host's content scale times the editor's zoom.
    double scaleFactor = 1.0;
};

} // namespace VSTGUI
