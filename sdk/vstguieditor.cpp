#include "sdk/vstguieditor.h"

#include "gui/platform/platformfactory.h"
#include "sdk/hostrunloop.h"

#include "pluginterfaces/gui/iplugview.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace Steinberg {
namespace Vst {

VSTGUIEditor::VSTGUIEditor(EditController* controller, ViewRect* size) : EditorView(controller, size)
{
    if (size)
    {
        editorWidth = size->getWidth();
        editorHeight = size->getHeight();
    }
}

VSTGUIEditor::~VSTGUIEditor()
{
    stopTimer();
    releaseHostRunLoop(runLoop);
}

void VSTGUIEditor::setEditorSize(int32 width, int32 height)
{
    editorWidth = width;
    editorHeight = height;
    if (!frame)
        setRect(ViewRect(0, 0, toDeviceSize(width), toDeviceSize(height)));
}

int32 VSTGUIEditor::toDeviceSize(double editorUnits) const
{
    return static_cast<int32>(VSTGUI::toDevice(editorUnits, getScaleFactor()));
}

tresult PLUGIN_API VSTGUIEditor::setContentScaleFactor(ScaleFactor factor)
{
    if (!(factor >= kMinContentScale && factor <= kMaxContentScale))
        return kInvalidArgument;
    if (factor != contentScale)
    {
        contentScale = factor;
        // The host asked for the scale: it stays even if the host then refuses the size.
        applyScale();
    }
    return kResultTrue;
}

bool VSTGUIEditor::setZoomFactor(double zoom)
{
    if (!(zoom > 0))
        return false;
    if (zoom == zoomFactor)
        return true;
    const double previous = zoomFactor;
    zoomFactor = zoom;
    if (applyScale())
        return true;
    zoomFactor = previous;
    applyScale();
    return false;
}

bool VSTGUIEditor::applyScale()
{
    const double scale = getScaleFactor();
    // An open frame keeps its size in editor units (a host may have grown it); a closed editor
    // opens at its own size.
    const double width = frame ? frame->getWidth() : editorWidth;
    const double height = frame ? frame->getHeight() : editorHeight;
    ViewRect size(0, 0, toDeviceSize(width), toDeviceSize(height));
    setRect(size);
    if (!frame)
        return true;
    frame->setScaleFactor(scale);
    // The host answers with onSize, now or later.
    return !plugFrame || plugFrame->resizeView(this, &size) == kResultTrue;
}

void VSTGUIEditor::setIdleRate(int32 milliseconds)
{
    if (milliseconds <= 0 || milliseconds == idleRate)
        return;
    idleRate = milliseconds;
    if (idleTimer)
    {
        stopTimer();
        startTimer();
    }
}

bool VSTGUIEditor::beginEdit(int32_t /*index*/)
{
    return false;
}

bool VSTGUIEditor::endEdit(int32_t /*index*/)
{
    return false;
}

int32_t VSTGUIEditor::getKnobMode() const
{
    return EditController::getHostKnobMode();
}

tresult PLUGIN_API VSTGUIEditor::isPlatformTypeSupported(FIDString type)
{
    if (!type)
        return kInvalidArgument;
    return VSTGUI::isPlatformTypeSupported(type) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API VSTGUIEditor::attached(void* parent, FIDString type)
{
    if (isAttached() || frame)
        return kResultFalse;
    if (isPlatformTypeSupported(type) != kResultTrue)
        return kResultFalse;

    releaseHostRunLoop(runLoop);
    runLoop = findHostRunLoop(plugFrame);
    eventLoop = makeGuiEventLoop(runLoop);

    platformParent = VSTGUI::PlatformParent();
    platformParent.scaleFactor = getScaleFactor();
    if (std::strcmp(type, VSTGUI::kPlatformTypeX11EmbedWindowID) == 0)
    {
        // Without the host's run loop the window would never see an event.
        if (!parent || !runLoop)
            return kResultFalse;
        platformParent.kind = VSTGUI::PlatformKind::X11;
        platformParent.window = reinterpret_cast<std::uintptr_t>(parent);
        platformParent.eventLoop = eventLoop.get();
    }
    else if (std::strcmp(type, VSTGUI::kPlatformTypeHWND) == 0)
    {
        if (!parent)
            return kResultFalse;
        platformParent.kind = VSTGUI::PlatformKind::Win32;
        platformParent.window = reinterpret_cast<std::uintptr_t>(parent);
    }

    if (!open(&platformParent))
        return kResultFalse;
    if (!frame || !frame->isOpen())
    {
        close();
        return kResultFalse;
    }

    const VSTGUI::CPoint deviceSize = frame->getDeviceSize();
    ViewRect frameRect(0, 0, static_cast<int32>(deviceSize.x), static_cast<int32>(deviceSize.y));
    setRect(frameRect);
    if (plugFrame)
        plugFrame->resizeView(this, &frameRect);
    startTimer();
    // Offscreen views have no window of their own; the descriptor stands in as the system window.
    return EditorView::attached(parent ? parent : &platformParent, type);
}

tresult PLUGIN_API VSTGUIEditor::removed()
{
    stopTimer();
    if (frame)
        close();
    return EditorView::removed();
}

namespace {
// The distance of two edges a host passes, computed wide (it may not fit an int32) and held to
// 0 .. the largest int32.
int32 spanBetween(int32 low, int32 high)
{
    const int64 span = static_cast<int64>(high) - low;
    return static_cast<int32>(std::min<int64>(std::max<int64>(span, 0), std::numeric_limits<int32>::max()));
}
} // namespace

tresult PLUGIN_API VSTGUIEditor::onSize(ViewRect* newSize)
{
    if (!newSize)
        return kInvalidArgument;
    // The frame keeps its size in editor units unless the host gave it other pixels than that.
    if (frame)
    {
        const int32 width = spanBetween(newSize->left, newSize->right);
        const int32 height = spanBetween(newSize->top, newSize->bottom);
        const VSTGUI::CPoint deviceSize = frame->getDeviceSize();
        if (deviceSize.x != width || deviceSize.y != height)
            frame->setSize(width / getScaleFactor(), height / getScaleFactor());
    }
    return EditorView::onSize(newSize);
}

tresult PLUGIN_API VSTGUIEditor::checkSizeConstraint(ViewRect* /*rect*/)
{
    return kResultFalse;
}

void VSTGUIEditor::onIdleTimer()
{
    if (frame)
        frame->idle();
}

void VSTGUIEditor::startTimer()
{
    if (idleTimer)
        return;
    idleTimer = EditorIdleTimer::start(runLoop, idleRate, [this] { onIdleTimer(); });
}

void VSTGUIEditor::stopTimer()
{
    idleTimer.reset();
}

} // namespace Vst
} // namespace Steinberg
