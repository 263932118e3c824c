#include "gui/platform/platformfactory.h"

#include "gui/cframe.h"
#include "gui/platform/offscreenframe.h"
#include "gui/platform/x11frame.h"

namespace VSTGUI {

std::unique_ptr<IPlatformFrame> createPlatformFrame(CFrame& frame, const PlatformParent* parent)
{
    const CRect& size = frame.getViewSize();
    const int width = static_cast<int>(size.getWidth());
    const int height = static_cast<int>(size.getHeight());
    if (!parent || parent->kind == PlatformKind::Offscreen)
        return std::make_unique<OffscreenFrame>(frame, width, height);
    if (parent->kind == PlatformKind::X11)
        return X11Frame::create(frame, parent->window, parent->runLoop, width, height);
    return nullptr;
}

} // namespace VSTGUI
