#include "lv2/editforwarder.h"

#include "lv2/portlayout.h"

namespace talvane::lv2 {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
constexpr uint32_t kFloatProtocol = 0; // a single float to a control port
} // namespace

EditForwarder::EditForwarder(const ParameterPorts& parameterPorts, LV2UI_Write_Function writeFunction,
                             LV2UI_Controller hostController, const LV2UI_Touch* hostTouch)
    : ports(parameterPorts), write(writeFunction), controller(hostController), touch(hostTouch)
{}

void EditForwarder::touchPort(ParamID id, bool grabbed)
{
    if (touch && touch->touch && isParameterPort(id))
        touch->touch(touch->handle, id, grabbed);
}

tresult PLUGIN_API EditForwarder::beginEdit(ParamID id)
{
    touchPort(id, true);
    return kResultOk;
}

tresult PLUGIN_API EditForwarder::performEdit(ParamID id, ParamValue valueNormalized)
{
    // Parameters without a port (none today) stay with the editor.
    if (!write || !isParameterPort(id))
        return kResultFalse;
    const float value = portValueFromNormalized(ports[id], id, valueNormalized);
    write(controller, id, sizeof value, kFloatProtocol, &value);
    return kResultOk;
}

tresult PLUGIN_API EditForwarder::endEdit(ParamID id)
{
    touchPort(id, false);
    return kResultOk;
}

tresult PLUGIN_API EditForwarder::restartComponent(int32 /*flags*/)
{
    return kResultOk; // the port list is fixed
}

} // namespace talvane::lv2
