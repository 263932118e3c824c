// The LV2 UI's entry point: the instrument's edit controller and editor behind Lv2EditorUi.
#include "lv2/lv2editorui.h"
#include "lv2/portlayout.h"
#include "source/controller/talvanecontroller.h"

#include <lv2/ui/ui.h>

#include <cstring>

using talvane::lv2::Lv2EditorUi;

namespace {

Lv2EditorUi* uiOf(LV2UI_Handle handle)
{
    return static_cast<Lv2EditorUi*>(handle);
}

LV2UI_Handle instantiate(const LV2UI_Descriptor* /*descriptor*/, const char* pluginUri, const char* /*bundlePath*/,
                         LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features)
{
    if (!pluginUri || std::strcmp(pluginUri, talvane::lv2::kPluginUri) != 0)
        return nullptr;
    Steinberg::FUnknown* created = Steinberg::Vst::TalvaneController::createInstance(nullptr);
    Steinberg::Vst::IEditController* editController = nullptr;
    if (created)
    {
        if (created->queryInterface(Steinberg::Vst::IEditController::iid,
                                    reinterpret_cast<void**>(&editController)) != Steinberg::kResultOk)
            editController = nullptr;
        created->release();
    }
    return Lv2EditorUi::create(editController, write, controller, features, widget);
}

void cleanup(LV2UI_Handle handle)
{
    delete uiOf(handle);
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer)
{
    uiOf(handle)->portEvent(port, bufferSize, format, buffer);
}

int idle(LV2UI_Handle handle)
{
    return uiOf(handle)->idle();
}

int resize(LV2UI_Feature_Handle handle, int width, int height)
{
    return uiOf(handle)->resize(width, height);
}

const void* extensionData(const char* uri)
{
    static const LV2UI_Idle_Interface idleInterface{idle};
    static const LV2UI_Resize resizeInterface{nullptr, resize};
    if (!uri)
        return nullptr;
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0)
        return &idleInterface;
    if (std::strcmp(uri, LV2_UI__resize) == 0)
        return &resizeInterface;
    return nullptr;
}

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    static const LV2UI_Descriptor descriptor{talvane::lv2::kUiUri, instantiate, cleanup, portEvent, extensionData};
    return index == 0 ? &descriptor : nullptr;
}
