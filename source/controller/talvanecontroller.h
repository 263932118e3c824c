// The instrument's edit controller: the host-facing list of parameters and their values, the
// reading of the processor's saved state, the MIDI controller mapping and the editor's creation.
#pragma once

#include "source/editor/editorzoom.h"
#include "source/params/paramids.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <vector>

namespace Steinberg {
namespace Vst {

class ParameterDisplay;

class TalvaneController : public EditControllerEx1, public IMidiMapping
{
public:
    TalvaneController() = default;
    TalvaneController(const TalvaneController&) = delete;
    TalvaneController& operator=(const TalvaneController&) = delete;

    static FUnknown* createInstance(void* context);

    // IPluginBase
    tresult PLUGIN_API initialize(FUnknown* context) SMTG_OVERRIDE;
    tresult PLUGIN_API terminate() SMTG_OVERRIDE;

    // IEditController
    tresult PLUGIN_API setComponentState(IBStream* state) SMTG_OVERRIDE;
    tresult PLUGIN_API setState(IBStream* state) SMTG_OVERRIDE;
    tresult PLUGIN_API getState(IBStream* state) SMTG_OVERRIDE;
    tresult PLUGIN_API getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                             String128 string) SMTG_OVERRIDE;
    ParamValue PLUGIN_API getParamNormalized(ParamID id) SMTG_OVERRIDE;
    tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) SMTG_OVERRIDE;
    IPlugView* PLUGIN_API createView(FIDString name) SMTG_OVERRIDE;
    // The base class's own, made safe for any index or text a host passes.
    tresult PLUGIN_API getParameterInfo(int32 paramIndex, ParameterInfo& info) SMTG_OVERRIDE;
    tresult PLUGIN_API getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized) SMTG_OVERRIDE;

    // IUnitInfo: the base class's, made safe for any index.
    tresult PLUGIN_API getUnitInfo(int32 unitIndex, UnitInfo& info) SMTG_OVERRIDE;

    // IMidiMapping
    tresult PLUGIN_API getMidiControllerAssignment(int32 busIndex, int16 channel,
                                                   CtrlNumber midiControllerNumber,
                                                   ParamID& id) SMTG_OVERRIDE;

    // The editor's zoom in percent (one of talvane::kZoomSteps): kept with the instance, so that a
    // new editor view opens at the zoom last chosen.
    int getEditorZoom() const { return editorZoom; }
    // Ignores a zoom that is not a step.
    void setEditorZoom(int percent);

    // EditController: an open editor view came, went or is being destroyed.
    void editorAttached(EditorView* editor) SMTG_OVERRIDE;
    void editorRemoved(EditorView* editor) SMTG_OVERRIDE;
    void editorDestroyed(EditorView* editor) SMTG_OVERRIDE;

    OBJ_METHODS(TalvaneController, EditControllerEx1)
    DEFINE_INTERFACES
    DEF_INTERFACE(IMidiMapping)
    END_DEFINE_INTERFACES(EditControllerEx1)
    REFCOUNT_METHODS(EditControllerEx1)

protected:
    // An attached editor view and its display side; the controller does not own either.
    struct AttachedEditor
    {
        EditorView* view;
        ParameterDisplay* display;
    };

    float controllerValues[talvane::kNumParams] = {};
    int editorZoom = talvane::kDefaultZoomPercent;
    std::vector<AttachedEditor> editorViews; // in order of attachment
};

} // namespace Vst
} // namespace Steinberg
