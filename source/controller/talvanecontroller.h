// The instrument's edit controller: the host-facing list of parameters and their values.
#pragma once

#include "source/params/paramids.h"

#include "public.sdk/source/vst/vsteditcontroller.h"

namespace Steinberg {
namespace Vst {

class TalvaneController : public EditControllerEx1
{
public:
    TalvaneController() = default;
    TalvaneController(const TalvaneController&) = delete;
    TalvaneController& operator=(const TalvaneController&) = delete;

    static FUnknown* createInstance(void* context);

    tresult PLUGIN_API initialize(FUnknown* context) SMTG_OVERRIDE;
    tresult PLUGIN_API getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                             String128 string) SMTG_OVERRIDE;
    ParamValue PLUGIN_API getParamNormalized(ParamID id) SMTG_OVERRIDE;
    tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) SMTG_OVERRIDE;

protected:
    float controllerValues[talvane::kNumParams] = {};
};

} // namespace Vst
} // namespace Steinberg
