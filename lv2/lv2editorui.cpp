#include "lv2/lv2editorui.h"

#include "lv2/features.h"

#include "lv2/portlayout.h"
#include "source/params/stateformat.h"

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace talvane::lv2 {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr const char kEditorViewName[] = "editor";
constexpr uint32_t kFloatProtocol = 0;

// The host's scale for the UI (ui:scaleFactor), 1 if it gives none.
double hostScale(const LV2_Feature* const* features)
{
    const auto* map = static_cast<const LV2_URID_Map*>(findFeature(features, LV2_URID__map));
    const auto* options = static_cast<const LV2_Options_Option*>(findFeature(features, LV2_OPTIONS__options));
    if (!map || !options)
        return 1.0;
    const LV2_URID scaleKey = map->map(map->handle, LV2_UI__scaleFactor);
    const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
    for (const LV2_Options_Option* o = options; o->key != 0; ++o)
        if (o->key == scaleKey && o->type == floatType && o->size == sizeof(float) && o->value)
            return *static_cast<const float*>(o->value);
    return 1.0;
}

// The child windows of an X window, or none when there is no display.
std::vector<Window> childWindows(Display* display, Window parent)
{
    std::vector<Window> children;
    Window root = 0;
    Window parentOfParent = 0;
    Window* list = nullptr;
    unsigned int count = 0;
    if (display && XQueryTree(display, parent, &root, &parentOfParent, &list, &count) && list)
    {
        children.assign(list, list + count);
        XFree(list);
    }
    return children;
}

} // namespace

Lv2EditorUi* Lv2EditorUi::create(IEditController* controller, LV2UI_Write_Function write,
                                 LV2UI_Controller hostController, const LV2_Feature* const* features,
                                 LV2UI_Widget* widget)
{
    if (!controller)
        return nullptr;
    const auto* touch = static_cast<const LV2UI_Touch*>(findFeature(features, LV2_UI__touch));
    const auto* hostResize = static_cast<const LV2UI_Resize*>(findFeature(features, LV2_UI__resize));
    auto* ui = new (std::nothrow) Lv2EditorUi(controller, write, hostController, touch, hostResize);
    if (!ui)
    {
        controller->release();
        return nullptr;
    }
    void* parent = findFeature(features, LV2_UI__parent);
    if (!ui->open(parent, hostScale(features), widget))
    {
        delete ui;
        return nullptr;
    }
    return ui;
}

Lv2EditorUi::Lv2EditorUi(IEditController* editController, LV2UI_Write_Function write,
                         LV2UI_Controller hostController, const LV2UI_Touch* touch, const LV2UI_Resize* resize)
    : controller(editController),
      forwarder(ports, write, hostController, touch),
      hostResize(resize),
      frame([this](IPlugView* resized, const ViewRect& size) { return passResizeToHost(resized, size); })
{}

bool Lv2EditorUi::open(void* parentWindow, double scale, LV2UI_Widget* widget)
{
    if (!parentWindow || !widget)
        return false;
    hostContext = std::make_unique<HostApplication>();
    if (controller->initialize(hostContext.get()) != kResultOk)
        return false;
    initialized = true;
    controller->setComponentHandler(&forwarder);

    view = controller->createView(kEditorViewName);
    if (!view || view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID) != kResultTrue)
        return false;
    if (scale != 1.0)
    {
        IPlugViewContentScaleSupport* scaling = nullptr;
        if (view->queryInterface(IPlugViewContentScaleSupport::iid, reinterpret_cast<void**>(&scaling)) ==
                kResultOk &&
            scaling)
        {
            scaling->setContentScaleFactor(static_cast<IPlugViewContentScaleSupport::ScaleFactor>(scale));
            scaling->release();
        }
    }
    view->setFrame(&frame);

    // The host wants the editor's own window as the UI's widget: it is the child the view adds.
    const auto parent = reinterpret_cast<Window>(parentWindow);
    Display* display = XOpenDisplay(nullptr);
    const std::vector<Window> before = childWindows(display, parent);
    attachedToHost = view->attached(parentWindow, kPlatformTypeX11EmbedWindowID) == kResultOk;
    if (!attachedToHost)
    {
        if (display)
            XCloseDisplay(display);
        return false;
    }
    Window editorWindow = 0;
    for (Window child : childWindows(display, parent))
        if (std::find(before.begin(), before.end(), child) == before.end())
            editorWindow = child;
    if (display)
        XCloseDisplay(display);
    *widget = reinterpret_cast<LV2UI_Widget>(editorWindow);
    return true;
}

Lv2EditorUi::~Lv2EditorUi()
{
    // The view goes while the forwarder is still the controller's handler: a drag the host closes
    // the UI in the middle of ends as the view goes, and the host must hear that release (the UI's
    // features stay valid until cleanup returns), or it would hold off automating the port.
    if (view)
    {
        if (attachedToHost)
            view->removed();
        view->setFrame(nullptr);
        view->release();
    }
    // Whatever the view left registered goes with it.
    frame.clear();
    if (initialized)
    {
        controller->setComponentHandler(nullptr);
        controller->terminate();
    }
    controller->release();
}

void Lv2EditorUi::portEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer)
{
    if (format != kFloatProtocol || bufferSize != sizeof(float) || !buffer || !isParameterPort(port))
        return;
    const float value = *static_cast<const float*>(buffer);
    const ParamId id = port;
    // A host echoes the editor's own writes: a value the controller shows already changes nothing,
    // so a knob between two steps of a stepped parameter is not snapped while it is dragged.
    if (value == portValueFromNormalized(ports[id], id, controller->getParamNormalized(id)))
        return;
    double normalized = 0.0;
    if (normalizedFromPortValue(ports[id], id, value, normalized))
    {
        controller->setParamNormalized(id, normalized);
        hostValuesArrived = true;
    }
}

int Lv2EditorUi::idle()
{
    if (hostValuesArrived)
        passHostValuesAsState();
    frame.idle();
    return 0;
}

void Lv2EditorUi::passHostValuesAsState()
{
    hostValuesArrived = false;
    float values[kNumParams];
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
        values[id] = static_cast<float>(controller->getParamNormalized(id));
    MemoryStream state;
    if (writeState(&state, values) != kResultOk)
        return;
    state.seek(0, IBStream::kIBSeekSet, nullptr);
    controller->setComponentState(&state);
}

int Lv2EditorUi::resize(int width, int height)
{
    if (!view || width <= 0 || height <= 0)
        return 1;
    ViewRect size(0, 0, width, height);
    view->checkSizeConstraint(&size);
    return view->onSize(&size) == kResultOk ? 0 : 1;
}

bool Lv2EditorUi::passResizeToHost(IPlugView* resized, const ViewRect& size)
{
    if (resized != view || !hostResize || !hostResize->ui_resize)
        return false;
    return hostResize->ui_resize(hostResize->handle, size.getWidth(), size.getHeight()) == 0;
}

} // namespace talvane::lv2
