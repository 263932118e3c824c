// The road of an edit from the editor to an LV2 host: the controller's component handler, which
// writes each performed value to the parameter's port and tells the host through ui:touch when the
// musician grabs and releases a control (beginEdit / endEdit), so that touch automation records
// the gesture.
#pragma once

#include "lv2/parameterports.h"
#include "sdk/refcounting.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <lv2/ui/ui.h>

namespace talvane::lv2 {

class EditForwarder : public Steinberg::OwnerManaged<Steinberg::Vst::IComponentHandler>
{
public:
    // `touch` may be null: hosts without ui:touch get the values alone.
    EditForwarder(const ParameterPorts& ports, LV2UI_Write_Function write, LV2UI_Controller controller,
                  const LV2UI_Touch* touch);

    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id,
                                              Steinberg::Vst::ParamValue valueNormalized) override;
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override;

private:
    void touchPort(Steinberg::Vst::ParamID id, bool grabbed);

    const ParameterPorts& ports;
    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    const LV2UI_Touch* touch;
};

} // namespace talvane::lv2
