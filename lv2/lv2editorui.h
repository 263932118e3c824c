// The instrument's editor as an LV2 X11 UI: the VST 3 edit controller and its "editor" view,
// embedded in the host's window (ui:parent) and driven by the host's idle calls.
//
// The controller is the editor's model, as in a VST 3 host: the host's port values reach it as
// parameter values (port_event), which it shows in the editor, and once a batch of them has come,
// as the state they make, as a VST 3 host restores a project: so the controller knows a factory
// sound by its values and the sound bar names it; the musician's edits leave it
// through an EditForwarder, as port writes and touch notifications. The view's timers and window
// events run from the host's idle calls (ui:idleInterface) through an EditorFrame, which also
// passes the view's size requests to the host (ui:resize); the host's own resizing reaches the view
// through the UI's resize interface. Everything runs on the host's UI thread.
#pragma once

#include "lv2/editforwarder.h"
#include "lv2/parameterports.h"
#include "sdk/editorframe.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <memory>

namespace Steinberg {
namespace Vst {
class HostApplication;
} // namespace Vst
} // namespace Steinberg

namespace talvane::lv2 {

class Lv2EditorUi
{
public:
    // Takes over `controller` (one reference) and initialises it, opens its editor in the host's
    // parent window and sets `widget` to the editor's own window. Null when the host gives no
    // parent window or the editor cannot open in it.
    static Lv2EditorUi* create(Steinberg::Vst::IEditController* controller, LV2UI_Write_Function write,
                               LV2UI_Controller hostController, const LV2_Feature* const* features,
                               LV2UI_Widget* widget);
    ~Lv2EditorUi();
    Lv2EditorUi(const Lv2EditorUi&) = delete;
    Lv2EditorUi& operator=(const Lv2EditorUi&) = delete;

    // A control port's new value from the host.
    void portEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer);
    // ui:idleInterface: window events and redraws. 0 while the UI lives.
    int idle();
    // ui:resize: the host has given the editor this size.
    int resize(int width, int height);

private:
    Lv2EditorUi(Steinberg::Vst::IEditController* controller, LV2UI_Write_Function write,
                LV2UI_Controller hostController, const LV2UI_Touch* touch, const LV2UI_Resize* hostResize);
    bool open(void* parentWindow, double scale, LV2UI_Widget* widget);
    bool passResizeToHost(Steinberg::IPlugView* resized, const Steinberg::ViewRect& size);
    void passHostValuesAsState();

    ParameterPorts ports;
    std::unique_ptr<Steinberg::Vst::HostApplication> hostContext;
    Steinberg::Vst::IEditController* controller;
    bool initialized = false;
    EditForwarder forwarder;
    const LV2UI_Resize* hostResize;
    Steinberg::Vst::EditorFrame frame;
    Steinberg::IPlugView* view = nullptr;
    bool attachedToHost = false;
    bool hostValuesArrived = false; // since the last idle call
};

} // namespace talvane::lv2
