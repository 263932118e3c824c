#include "source/controller/talvanecontroller.h"

#include "source/controller/midimapping.h"
#include "source/controller/parameterdisplay.h"
#include "source/controller/valuestrings.h"
#include "source/editor/editorfactory.h"
#include "source/params/paramtable.h"
#include "source/processor/stateformat.h"

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace Steinberg {
namespace Vst {

namespace {

constexpr const char kEditorViewName[] = "editor";

static_assert(talvane::kModWheelController == kCtrlModWheel && talvane::kPitchWheelController == kPitchBend,
              "the MIDI mapping counts controllers as the VST 3 interfaces do");

bool isParameter(ParamID id)
{
    return id < static_cast<ParamID>(talvane::kNumParams);
}

} // namespace

FUnknown* TalvaneController::createInstance(void* /*context*/)
{
    auto* controller = new (std::nothrow) TalvaneController();
    return controller ? static_cast<IEditController*>(controller) : nullptr;
}

tresult PLUGIN_API TalvaneController::initialize(FUnknown* context)
{
    const tresult result = EditControllerEx1::initialize(context);
    // The editor's knobs follow the controller's knob mode, so it is set even when the base refuses.
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

tresult PLUGIN_API TalvaneController::terminate()
{
    editorViews.clear();
    return EditControllerEx1::terminate();
}

tresult PLUGIN_API TalvaneController::setComponentState(IBStream* state)
{
    // Unlike the processor, a value out of range is skipped and the rest of the state still read.
    return talvane::readState(state, talvane::OutOfRangeValue::Skip,
                              [this](talvane::ParamId id, float value) { setParamNormalized(id, value); });
}

tresult PLUGIN_API TalvaneController::setState(IBStream* /*state*/)
{
    return kResultOk; // the controller keeps no state of its own
}

tresult PLUGIN_API TalvaneController::getState(IBStream* /*state*/)
{
    return kResultOk;
}

tresult PLUGIN_API TalvaneController::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                            String128 string)
{
    if (!string)
        return kInvalidArgument;
    if (!isParameter(id))
    {
        string[0] = 0;
        return kInvalidArgument;
    }
    char text[talvane::kValueTextCapacity];
    talvane::formatValueText(id, valueNormalized, controllerValues, text, sizeof text);
    talvane::widenLatin1(text, string, talvane::kValueTextCapacity);
    return kResultOk;
}

ParamValue PLUGIN_API TalvaneController::getParamNormalized(ParamID id)
{
    if (!isParameter(id))
        return 0.0;
    return controllerValues[id];
}

tresult PLUGIN_API TalvaneController::setParamNormalized(ParamID id, ParamValue value)
{
    // As the processor takes changes: a NaN is refused, anything else held to 0..1.
    if (!isParameter(id) || std::isnan(value))
        return kInvalidArgument;
    value = std::min(std::max(value, 0.0), 1.0);
    const tresult result = EditControllerEx1::setParamNormalized(id, value);
    controllerValues[id] = static_cast<float>(value);
    // By index: a display may attach or remove an editor while it is being told.
    for (std::size_t i = 0; i < editorViews.size(); ++i)
        if (ParameterDisplay* display = editorViews[i].display)
            display->updateParameterDisplay(id, value);
    return result;
}

tresult PLUGIN_API TalvaneController::getParameterInfo(int32 paramIndex, ParameterInfo& info)
{
    // The base class reads its list with a checked access, which throws for an index beyond it.
    if (paramIndex < 0 || paramIndex >= getParameterCount())
        return kInvalidArgument;
    return EditControllerEx1::getParameterInfo(paramIndex, info);
}

tresult PLUGIN_API TalvaneController::getParamValueByString(ParamID id, TChar* string,
                                                            ParamValue& valueNormalized)
{
    if (!string)
        return kInvalidArgument;
    return EditControllerEx1::getParamValueByString(id, string, valueNormalized);
}

tresult PLUGIN_API TalvaneController::getUnitInfo(int32 unitIndex, UnitInfo& info)
{
    // As getParameterInfo: the base class's checked access throws for an index beyond its list.
    if (unitIndex < 0 || unitIndex >= getUnitCount())
        return kInvalidArgument;
    return EditControllerEx1::getUnitInfo(unitIndex, info);
}

void TalvaneController::setEditorZoom(int percent)
{
    if (talvane::isZoomStep(percent))
        editorZoom = percent;
}

IPlugView* PLUGIN_API TalvaneController::createView(FIDString name)
{
    // The whole name must match, terminator included: "editorx" is not the editor.
    if (!name || std::strcmp(name, kEditorViewName) != 0)
        return nullptr;
    return createTalvaneEditorView(this);
}

tresult PLUGIN_API TalvaneController::getMidiControllerAssignment(int32 busIndex, int16 channel,
                                                                  CtrlNumber midiControllerNumber,
                                                                  ParamID& id)
{
    talvane::ParamId mapped = 0;
    if (!talvane::midiMappedParameter(busIndex, channel, midiControllerNumber, mapped))
        return kResultFalse;
    id = mapped;
    return kResultTrue;
}

void TalvaneController::editorAttached(EditorView* editor)
{
    if (auto* display = dynamic_cast<ParameterDisplay*>(editor))
        editorViews.push_back({editor, display});
}

void TalvaneController::editorRemoved(EditorView* editor)
{
    const auto found = std::find_if(editorViews.begin(), editorViews.end(),
                                    [editor](const AttachedEditor& entry) { return entry.view == editor; });
    if (found != editorViews.end())
        editorViews.erase(found);
}

void TalvaneController::editorDestroyed(EditorView* editor)
{
    // A view destroyed without being removed first must not be told anything later. It is matched
    // by address only: its display part no longer exists at this point.
    editorViews.erase(std::remove_if(editorViews.begin(), editorViews.end(),
                                     [editor](const AttachedEditor& entry) { return entry.view == editor; }),
                      editorViews.end());
}

} // namespace Vst
} // namespace Steinberg
