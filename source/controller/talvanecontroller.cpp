#include "source/controller/talvanecontroller.h"

#include "source/params/paramtable.h"

#include "pluginterfaces/base/ustring.h"

#include <new>

namespace Steinberg {
namespace Vst {

FUnknown* TalvaneController::createInstance(void* /*context*/)
{
    auto* controller = new (std::nothrow) TalvaneController();
    return controller ? static_cast<IEditController*>(controller) : nullptr;
}

tresult PLUGIN_API TalvaneController::initialize(FUnknown* context)
{
    const tresult result = EditControllerEx1::initialize(context);
    EditController::setKnobMode(kLinearMode);
    if (result != kResultOk)
        return result;

    for (talvane::ParamId id = 0; id < static_cast<talvane::ParamId>(talvane::kNumParams); ++id)
    {
        const talvane::ParamDef& def = talvane::kParamDefs[id];
        const float defaultValue = talvane::defaultNormalized(id);
        controllerValues[id] = defaultValue;
        String128 title;
        UString(title, str16BufferSize(String128)).fromAscii(talvane::kParamNames[id]);
        const int32 stepCount = def.numValues > 0 ? def.numValues - 1 : 0;
        parameters.addParameter(title, nullptr, stepCount, defaultValue,
                                def.flags | ParameterInfo::kCanAutomate, static_cast<ParamID>(id),
                                kRootUnitId);
    }
    return kResultOk;
}

tresult PLUGIN_API TalvaneController::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                            String128 string)
{
    return EditControllerEx1::getParamStringByValue(id, valueNormalized, string);
}

ParamValue PLUGIN_API TalvaneController::getParamNormalized(ParamID id)
{
    if (id >= static_cast<ParamID>(talvane::kNumParams))
        return 0.0;
    return controllerValues[id];
}

tresult PLUGIN_API TalvaneController::setParamNormalized(ParamID id, ParamValue value)
{
    const tresult result = EditControllerEx1::setParamNormalized(id, value);
    if (id < static_cast<ParamID>(talvane::kNumParams))
        controllerValues[id] = static_cast<float>(value);
    return result;
}

} // namespace Vst
} // namespace Steinberg
