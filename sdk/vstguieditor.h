// Stand-in for the VST 3 SDK's VSTGUIEditor, which Debian's SDK subset lacks: the base of an editor
// view drawn with the GUI layer. It opens the editor's frame when the host attaches the view (X11
// window ids on Linux, HWNDs on Windows, or our offscreen type for tests), runs the idle timer that
// redraws the frame (through the host's run loop on Linux, a window timer on Windows), and tells
// the controller when the view comes and goes.
#pragma once

#include "gui/cframe.h"
#include "gui/platform/platformparent.h"
#include "sdk/idletimer.h"

#include "public.sdk/source/vst/vsteditcontroller.h"

#include <memory>

namespace Steinberg {
namespace Vst {

class VSTGUIEditor : public EditorView, public VSTGUI::VSTGUIEditorInterface
{
public:
    static constexpr int32 kDefaultIdleRate = 100;

    explicit VSTGUIEditor(EditController* controller, ViewRect* size = nullptr);
    ~VSTGUIEditor() override;
    VSTGUIEditor(const VSTGUIEditor&) = delete;
    VSTGUIEditor& operator=(const VSTGUIEditor&) = delete;

    // Creates the frame in `parent` (hand it to the CFrame constructor unchanged) and fills it.
    virtual bool PLUGIN_API open(void* parent) = 0;
    // Deletes the frame and sets `frame` to null.
    virtual void PLUGIN_API close() = 0;

    // Milliseconds between two redraws of the frame; takes effect at once if attached.
    void setIdleRate(int32 milliseconds);
    int32 getIdleRate() const { return idleRate; }

    // VSTGUIEditorInterface: the frame reports the begin and end of every control edit here.
    bool beginEdit(int32_t index) override;
    bool endEdit(int32_t index) override;
    int32_t getKnobMode() const override;

    // IPlugView
    tresult PLUGIN_API isPlatformTypeSupported(FIDString type) override;
    tresult PLUGIN_API attached(void* parent, FIDString type) override;
    tresult PLUGIN_API removed() override;
    tresult PLUGIN_API onSize(ViewRect* newSize) override;
    tresult PLUGIN_API canResize() override { return kResultFalse; }
    tresult PLUGIN_API checkSizeConstraint(ViewRect* rect) override;

    // One idle period: what the timer does (the frame redraws).
    virtual void onIdleTimer();

private:
    void startTimer();
    void stopTimer();

    VSTGUI::PlatformParent platformParent;
    Linux::IRunLoop* runLoop = nullptr;
    std::unique_ptr<EditorIdleTimer> idleTimer;
    int32 idleRate = kDefaultIdleRate;
};

} // namespace Vst
} // namespace Steinberg
