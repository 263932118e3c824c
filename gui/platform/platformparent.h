// What a frame is opened in: the kind of window system and its parent handle. The editor base
// passes a pointer to one of these as the `parent` of the editor's open(); the editor hands it on
// to the CFrame constructor unchanged.
#pragma once

namespace Steinberg {
namespace Linux {
class IRunLoop;
} // namespace Linux
} // namespace Steinberg

namespace VSTGUI {

// The host-facing names of the platform types (IPlugView::isPlatformTypeSupported).
constexpr const char* kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";
// Our own: no window at all, the frame draws into an image only (tests, screenshots).
constexpr const char* kPlatformTypeOffscreen = "TalvaneOffscreen";

enum class PlatformKind
{
    Offscreen,
    X11,
};

struct PlatformParent
{
    PlatformKind kind = PlatformKind::Offscreen;
    // X11: the host's parent window id.
    unsigned long window = 0;
    // X11: the host's run loop, which delivers the X connection's events to the frame.
    Steinberg::Linux::IRunLoop* runLoop = nullptr;
};

} // namespace VSTGUI
