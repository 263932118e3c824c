// The choice of window system backend: X11 on Linux, Win32 on Windows, offscreen on both.
#include "gui/platform/platformfactory.h"

#include "gui/cframe.h"
#include "gui/platform/offscreenframe.h"

#ifdef _WIN32
#include "gui/platform/win32frame.h"
#else
#include "gui/platform/x11frame.h"
#endif

#include <cstring>

namespace VSTGUI {

bool isPlatformTypeSupported(const char* type)
{
    return type && (std::strcmp(type, kPlatformTypeNative) == 0 || std::strcmp(type, kPlatformTypeOffscreen) == 0);
}

std::unique_ptr<IPlatformFrame> createPlatformFrame(CFrame& frame, const PlatformParent* parent)
{
    const CPoint size = frame.getDeviceSize();
    const int width = static_cast<int>(size.x);
    const int height = static_cast<int>(size.y);
    if (!parent || parent->kind == PlatformKind::Offscreen)
        return std::make_unique<OffscreenFrame>(frame, width, height);
#ifdef _WIN32
    if (parent->kind == PlatformKind::Win32)
        return Win32Frame::create(frame, parent->window, width, height);
#else
    if (parent->kind == PlatformKind::X11)
        return X11Frame::create(frame, parent->window, parent->eventLoop, width, height);
#endif
    return nullptr;
}

} // namespace VSTGUI
