#include "sdk/vstguieditor.h"

#include "sdk/refcounting.h"

#include "pluginterfaces/gui/iplugview.h"

#include <cstring>

namespace Steinberg {
namespace Vst {

// The handler the host's run loop calls every idle period. Reference counted on its own, since
// the host may keep it a little beyond the editor's wish.
class VSTGUIEditor::IdleTimer : public HeapRefCounted<Linux::ITimerHandler>
{
public:
    explicit IdleTimer(VSTGUIEditor* editor) : owner(editor) {}

    void detach() { owner = nullptr; }

    void PLUGIN_API onTimer() override
    {
        if (owner)
            owner->onIdleTimer();
    }

private:
    VSTGUIEditor* owner;
};

VSTGUIEditor::VSTGUIEditor(EditController* controller, ViewRect* size) : EditorView(controller, size) {}

VSTGUIEditor::~VSTGUIEditor()
{
    stopTimer();
    if (runLoop)
        runLoop->release();
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
    if (std::strcmp(type, VSTGUI::kPlatformTypeX11EmbedWindowID) == 0 ||
        std::strcmp(type, VSTGUI::kPlatformTypeOffscreen) == 0)
        return kResultTrue;
    return kResultFalse;
}

tresult PLUGIN_API VSTGUIEditor::attached(void* parent, FIDString type)
{
    if (isAttached() || frame)
        return kResultFalse;
    if (isPlatformTypeSupported(type) != kResultTrue)
        return kResultFalse;

    if (runLoop)
    {
        runLoop->release();
        runLoop = nullptr;
    }
    if (plugFrame)
        plugFrame->queryInterface(Linux::IRunLoop::iid, reinterpret_cast<void**>(&runLoop));

    platformParent = VSTGUI::PlatformParent();
    if (std::strcmp(type, VSTGUI::kPlatformTypeX11EmbedWindowID) == 0)
    {
        // Without the host's run loop the window would never see an event.
        if (!parent || !runLoop)
            return kResultFalse;
        platformParent.kind = VSTGUI::PlatformKind::X11;
        platformParent.window = reinterpret_cast<unsigned long>(parent);
        platformParent.runLoop = runLoop;
    }

    if (!open(&platformParent))
        return kResultFalse;
    if (!frame || !frame->isOpen())
    {
        close();
        return kResultFalse;
    }

    ViewRect frameRect(0, 0, static_cast<int32>(frame->getWidth()), static_cast<int32>(frame->getHeight()));
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

tresult PLUGIN_API VSTGUIEditor::onSize(ViewRect* newSize)
{
    if (!newSize)
        return kInvalidArgument;
    if (frame)
        frame->setSize(newSize->getWidth(), newSize->getHeight());
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
    if (idleTimer || !runLoop)
        return;
    idleTimer = new IdleTimer(this);
    if (runLoop->registerTimer(idleTimer, static_cast<Linux::TimerInterval>(idleRate)) != kResultOk)
    {
        idleTimer->detach();
        idleTimer->release();
        idleTimer = nullptr;
    }
}

void VSTGUIEditor::stopTimer()
{
    if (!idleTimer)
        return;
    if (runLoop)
        runLoop->unregisterTimer(idleTimer);
    idleTimer->detach();
    idleTimer->release();
    idleTimer = nullptr;
}

} // namespace Vst
} // namespace Steinberg
