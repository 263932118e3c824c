// The LV2 plug-in's entry point: the instrument's processor behind Lv2Plugin.
#include "lv2/lv2plugin.h"
#include "lv2/portlayout.h"
#include "source/processor/talvane.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include <cstring>

using talvane::lv2::Lv2Plugin;

namespace {

Lv2Plugin* pluginOf(LV2_Handle instance)
{
    return static_cast<Lv2Plugin*>(instance);
}

LV2_Handle instantiate(const LV2_Descriptor* /*descriptor*/, double sampleRate, const char* /*bundlePath*/,
                       const LV2_Feature* const* features)
{
    Steinberg::FUnknown* created = Steinberg::Vst::Talvane::createInstance(nullptr);
    Steinberg::Vst::IComponent* component = nullptr;
    if (created)
    {
        if (created->queryInterface(Steinberg::Vst::IComponent::iid, reinterpret_cast<void**>(&component)) !=
            Steinberg::kResultOk)
            component = nullptr;
        created->release();
    }
    return Lv2Plugin::create(component, sampleRate, features);
}

void connectPort(LV2_Handle instance, uint32_t port, void* data)
{
    pluginOf(instance)->connectPort(port, data);
}

void activate(LV2_Handle instance)
{
    pluginOf(instance)->activate();
}

void run(LV2_Handle instance, uint32_t sampleCount)
{
    pluginOf(instance)->run(sampleCount);
}

void deactivate(LV2_Handle instance)
{
    pluginOf(instance)->deactivate();
}

void cleanup(LV2_Handle instance)
{
    delete pluginOf(instance);
}

LV2_State_Status save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle,
                      uint32_t /*flags*/, const LV2_Feature* const* /*features*/)
{
    return pluginOf(instance)->save(store, handle);
}

LV2_State_Status restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                         uint32_t /*flags*/, const LV2_Feature* const* /*features*/)
{
    return pluginOf(instance)->restore(retrieve, handle);
}

const void* extensionData(const char* uri)
{
    static const LV2_State_Interface stateInterface{save, restore};
    if (uri && std::strcmp(uri, LV2_STATE__interface) == 0)
        return &stateInterface;
    return nullptr;
}

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    static const LV2_Descriptor descriptor{talvane::lv2::kPluginUri, instantiate, connectPort, activate, run,
                                           deactivate, cleanup, extensionData};
    return index == 0 ? &descriptor : nullptr;
}
