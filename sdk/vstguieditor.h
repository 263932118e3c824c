// Stand-in for the VST 3 SDK's VSTGUIEditor, which Debian's SDK subset lacks: the base of an editor
// view drawn with the GUI layer. It opens the editor's frame when the host attaches the view (X11
// window ids on Linux, HWNDs on Windows, or our offscreen type for tests), runs the idle timer that
// redraws the frame (through the host's run loop on Linux, a window timer on Windows), and tells
// the controller when the view comes and goes.
//
// It also scales the editor: the host's content scale (IPlugViewContentScaleSupport) times the
// editor's own zoom is the frame's scale factor. The view reports its size at that scale, asks the
// host for the new size (IPlugFrame::resizeView) whenever the scale changes, and redraws.
#pragma once

#include "gui/cframe.h"
#include "gui/platform/eventloop.h"
#include "gui/platform/platformparent.h"
#include "sdk/idletimer.h"

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <memory>

namespace Steinberg {
namespace Vst {

class VSTGUIEditor : public EditorView,
                     public IPlugViewContentScaleSupport,
                     public VSTGUI::VSTGUIEditorInterface
{
public:
    static constexpr int32 kDefaultIdleRate = 100;
    // The host's content scales the editor follows; others are refused.
    static constexpr double kMinContentScale = 0.5;
    static constexpr double kMaxContentScale = 5.0;

    explicit VSTGUIEditor(EditController* controller, ViewRect* size = nullptr);
    ~VSTGUIEditor() override;
    VSTGUIEditor(const VSTGUIEditor&) = delete;
    VSTGUIEditor& operator=(const VSTGUIEditor&) = delete;

    // Creates the frame in `parent` (hand it to the CFrame constructor unchanged) and fills it.
    virtual bool PLUGIN_API open(void* parent) = 0;
    // Deletes the frame and sets `frame` to null.
    virtual void PLUGIN_API close() = 0;

    // The editor's size at 100 %: the size of the frame that open() makes.
    void setEditorSize(int32 width, int32 height);

    // IPlugViewContentScaleSupport: the host's scale for the view (1 = 100 %).
    tresult PLUGIN_API setContentScaleFactor(ScaleFactor factor) override;
    double getContentScaleFactor() const { return contentScale; }
    // The editor's own zoom on top of the host's scale (1 = 100 %). Answers false, and keeps the
    // zoom it had, if the host refuses the new size.
    bool setZoomFactor(double zoom);
    double getZoomFactor() const { return zoomFactor; }
    // Device pixels per editor unit: the frame's scale.
    double getScaleFactor() const { return contentScale * zoomFactor; }

    // Milliseconds between two redraws of the frame; takes effect at once if attached.
    void setIdleRate(int32 milliseconds);
    int32 getIdleRate() const { return idleRate; }

    // VSTGUIEditorInterface: the frame reports the begin and end of every control edit here.
    bool beginEdit(int32_t index) override;
    bool endEdit(int32_t index) override;
    int32_t getKnobMode() const override;

    // IPlugView (sizes in device pixels, at the scale factor)
    tresult PLUGIN_API isPlatformTypeSupported(FIDString type) override;
    tresult PLUGIN_API attached(void* parent, FIDString type) override;
    tresult PLUGIN_API removed() override;
    tresult PLUGIN_API onSize(ViewRect* newSize) override;
    tresult PLUGIN_API canResize() override { return kResultFalse; }
    tresult PLUGIN_API checkSizeConstraint(ViewRect* rect) override;

    // One idle period: what the timer does (the frame redraws).
    virtual void onIdleTimer();

    OBJ_METHODS(VSTGUIEditor, EditorView)
    DEFINE_INTERFACES
    DEF_INTERFACE(IPlugViewContentScaleSupport)
    END_DEFINE_INTERFACES(EditorView)
    REFCOUNT_METHODS(EditorView)

protected:
    // A size in editor units at the current scale, in whole device pixels.
    int32 toDeviceSize(double editorUnits) const;

private:
    void startTimer();
    void stopTimer();
    // Gives the frame the current scale and asks the host for the matching size; false if the
    // host refused it.
    bool applyScale();

    double editorWidth = 0;
    double editorHeight = 0;
    double contentScale = 1.0;
    double zoomFactor = 1.0;

    VSTGUI::PlatformParent platformParent;
    Linux::IRunLoop* runLoop = nullptr;
    // The X11 frame's event loop, over `runLoop`.
    std::unique_ptr<VSTGUI::GuiEventLoop> eventLoop;
    std::unique_ptr<EditorIdleTimer> idleTimer;
    int32 idleRate = kDefaultIdleRate;
};

} // namespace Vst
} // namespace Steinberg
