#include "source/controller/talvanecontroller.h"

#include "source/controller/controllerstate.h"
#include "source/controller/midimapping.h"
#include "source/controller/parameterdisplay.h"
#include "source/controller/valuestrings.h"
#include "source/editor/editorfactory.h"
#include "source/params/paramtable.h"
#include "source/presets/programs.h"
#include "source/params/stateformat.h"

#include "base/source/fstring.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "public.sdk/source/vst/vstparameters.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace Steinberg {
namespace Vst {

namespace {

constexpr const char kEditorViewName[] = "editor";
constexpr const char kRootUnitName[] = "Root";
// The program attribute that carries a factory sound's category, as in the preset files.
constexpr const char kCategoryAttribute[] = "MusicalCategory";

using talvane::presets::kProgramChangeId;

// A UTF-8 name as the SDK's 16-bit strings hold it (cut to fit).
void toString128(const std::string& text, String128 out)
{
    Steinberg::String wide(text.c_str(), kCP_Utf8);
    wide.copyTo16(out, 0, str16BufferSize(String128) - 1);
}

static_assert(talvane::kModWheelController == kCtrlModWheel && talvane::kPitchWheelController == kPitchBend,
              "the MIDI mapping counts controllers as the VST 3 interfaces do");

bool isParameter(ParamID id)
{
    return id < static_cast<ParamID>(talvane::kNumParams);
}

} // namespace

TalvaneController::TalvaneController()
    : programs(talvane::presets::factoryPrograms()), soundName(talvane::presets::kInitProgramName)
{}

FUnknown* TalvaneController::createInstance(void* /*context*/)
{
    try
    {
        auto* controller = new (std::nothrow) TalvaneController();
        return controller ? static_cast<IEditController*>(controller) : nullptr;
    }
    catch (const std::bad_alloc&)
    {
        return nullptr; // the program table could not be built
    }
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
        const talvane::ParamRecord& record = talvane::paramRecord(id);
        const float defaultValue = talvane::defaultNormalized(id);
        controllerValues[id] = defaultValue;
        String128 title;
        UString(title, str16BufferSize(String128)).fromAscii(record.title);
        const int32 stepCount = record.numValues > 0 ? record.numValues - 1 : 0;
        parameters.addParameter(title, nullptr, stepCount, defaultValue, ParameterInfo::kCanAutomate,
                                static_cast<ParamID>(id), kRootUnitId);
    }
    registerPrograms();
    return kResultOk;
}

void TalvaneController::registerPrograms()
{
    // The root unit's program list, and the parameter that selects in it, after the 147 parameters
    // of the sound so that their indices stay what hosts know.
    String128 text;
    toString128(talvane::presets::kFactoryProgramListName, text);
    auto* list = new ProgramList(text, talvane::presets::kFactoryProgramListId, kRootUnitId);
    toString128(talvane::presets::kProgramChangeTitle, text);
    auto* parameter = new StringListParameter(
        text, kProgramChangeId, nullptr,
        ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsProgramChange, kRootUnitId);
    for (int32 index = 0; index < programs.count(); ++index)
    {
        const talvane::presets::Program& program = programs.at(index);
        toString128(program.name, text);
        list->addProgram(text);
        parameter->appendString(text);
        if (!program.category.empty())
        {
            toString128(program.category, text);
            list->setProgramInfo(index, kCategoryAttribute, text);
        }
    }
    addProgramList(list);
    toString128(kRootUnitName, text);
    addUnit(new Unit(text, kRootUnitId, kNoParentUnitId, talvane::presets::kFactoryProgramListId));
    parameters.addParameter(parameter);
}

tresult PLUGIN_API TalvaneController::terminate()
{
    editorViews.clear();
    return EditControllerEx1::terminate();
}

tresult PLUGIN_API TalvaneController::setComponentState(IBStream* state)
{
    const talvane::presets::SoundValues before = getSoundValues();
    loadingSound = true;
    // Unlike the processor, a value out of range is skipped and the rest of the state still read.
    const tresult result =
        talvane::readState(state, talvane::OutOfRangeValue::Skip,
                           [this](talvane::ParamId id, float value) { setParamNormalized(id, value); });
    loadingSound = false;

    // A factory program is known by its values. Any other sound keeps its name, marked as edited,
    // until the controller's own state, which hosts restore after this one, names it.
    const talvane::presets::SoundValues after = getSoundValues();
    const int32 program = programs.find(after.data());
    if (program >= 0)
    {
        setProgramQuietly(program);
        setSound(programs.at(program).name, false);
        return result;
    }
    for (talvane::ParamId id = 0; id < static_cast<talvane::ParamId>(talvane::kNumParams); ++id)
        if (talvane::presets::isSoundParameter(id) && before[id] != after[id])
        {
            setSound(soundName, true);
            break;
        }
    return result;
}

tresult PLUGIN_API TalvaneController::setState(IBStream* state)
{
    if (!state)
        return kInvalidArgument;
    const std::optional<std::vector<std::uint8_t>> bytes =
        talvane::readRemainingBytes(state, talvane::kMaxControllerStateBytes);
    if (!bytes)
        return kResultFalse;
    // Projects saved before the controller kept a state hand over an empty one.
    if (bytes->empty())
        return kResultOk;
    const std::optional<talvane::ControllerState> record = talvane::decodeControllerState(*bytes);
    if (!record)
        return kResultFalse;
    if (programs.contains(record->program))
        setProgramQuietly(record->program);
    setSound(record->soundName.empty() ? soundName : record->soundName, record->soundEdited);
    // A record saved before the zoom was kept leaves the zoom as it is.
    if (record->editorZoom)
        restoreEditorZoom(*record->editorZoom);
    return kResultOk;
}

tresult PLUGIN_API TalvaneController::getState(IBStream* state)
{
    if (!state)
        return kInvalidArgument;
    try
    {
        const talvane::ControllerState record{soundName, soundEdited, getProgramIndex(), editorZoom};
        return talvane::writeAllBytes(state, talvane::encodeControllerState(record)) ? kResultOk
                                                                                     : kResultFalse;
    }
    catch (const std::bad_alloc&)
    {
        return kOutOfMemory;
    }
}

tresult PLUGIN_API TalvaneController::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                            String128 string)
{
    if (!string)
        return kInvalidArgument;
    if (id == kProgramChangeId)
        return EditControllerEx1::getParamStringByValue(id, valueNormalized, string);
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
    if (id == kProgramChangeId)
        return EditControllerEx1::getParamNormalized(id);
    if (!isParameter(id))
        return 0.0;
    return controllerValues[id];
}

tresult PLUGIN_API TalvaneController::setParamNormalized(ParamID id, ParamValue value)
{
    if (id == kProgramChangeId)
        return selectProgram(value);
    // As the processor takes changes: a NaN is refused, anything else held to 0..1.
    if (!isParameter(id) || std::isnan(value))
        return kInvalidArgument;
    value = std::min(std::max(value, 0.0), 1.0);
    const bool changed = static_cast<float>(value) != controllerValues[id];
    const tresult result = EditControllerEx1::setParamNormalized(id, value);
    controllerValues[id] = static_cast<float>(value);
    // By index: a display may attach or remove an editor while it is being told.
    for (std::size_t i = 0; i < editorViews.size(); ++i)
        if (ParameterDisplay* display = editorViews[i].display)
            display->updateParameterDisplay(id, value);
    if (changed && !loadingSound && talvane::presets::isSoundParameter(id))
        setSound(soundName, true);
    return result;
}

tresult TalvaneController::selectProgram(ParamValue value)
{
    if (std::isnan(value))
        return kInvalidArgument;
    const tresult result = EditControllerEx1::setParamNormalized(kProgramChangeId, value);
    if (result != kResultOk)
        return result;
    // The host sends the same change to the processor, which takes the program's values itself:
    // here they are shown, not edited.
    const int32 program = getProgramIndex();
    const talvane::presets::SoundValues& values = programs.at(program).values;
    loadingSound = true;
    for (talvane::ParamId id = 0; id < static_cast<talvane::ParamId>(talvane::kNumParams); ++id)
        setParamNormalized(id, values[id]);
    loadingSound = false;
    setSound(programs.at(program).name, false);
    if (componentHandler)
        componentHandler->restartComponent(kParamValuesChanged);
    return kResultOk;
}

int32 TalvaneController::getProgramIndex() const
{
    const Parameter* parameter = parameters.getParameter(kProgramChangeId);
    return parameter
               ? talvane::presets::programIndexFromNormalized(parameter->getNormalized(), programs.count())
               : 0;
}

void TalvaneController::setProgramQuietly(int32 program)
{
    if (Parameter* parameter = parameters.getParameter(kProgramChangeId))
        parameter->setNormalized(talvane::presets::normalizedFromProgramIndex(program, programs.count()));
}

talvane::presets::SoundValues TalvaneController::getSoundValues() const
{
    talvane::presets::SoundValues values{};
    std::copy(std::begin(controllerValues), std::end(controllerValues), values.begin());
    return values;
}

void TalvaneController::loadSound(const talvane::presets::SoundValues& values, const std::string& name,
                                  int32 program)
{
    startGroupEdit();
    loadingSound = true;
    for (talvane::ParamId id = 0; id < static_cast<talvane::ParamId>(talvane::kNumParams); ++id)
    {
        const float value = values[id];
        if (value == controllerValues[id])
            continue;
        beginEdit(id);
        setParamNormalized(id, value);
        performEdit(id, value);
        endEdit(id);
    }
    loadingSound = false;
    finishGroupEdit();
    const bool programMoves = programs.contains(program) && program != getProgramIndex();
    if (programMoves)
        setProgramQuietly(program);
    setSound(name, false);
    // The host learns of the program-change parameter's new position, which was no edit.
    if (programMoves && componentHandler)
        componentHandler->restartComponent(kParamValuesChanged);
}

void TalvaneController::loadProgram(int32 program)
{
    if (programs.contains(program))
        loadSound(programs.at(program).values, programs.at(program).name, program);
}

void TalvaneController::renameSound(const std::string& name)
{
    setSound(name, false);
}

void TalvaneController::setSound(const std::string& name, bool edited)
{
    if (name == soundName && edited == soundEdited)
        return;
    soundName = name;
    soundEdited = edited;
    tellDisplaysAboutTheSound();
}

void TalvaneController::tellDisplaysAboutTheSound()
{
    for (std::size_t i = 0; i < editorViews.size(); ++i)
        if (ParameterDisplay* display = editorViews[i].display)
            display->updateSoundDisplay();
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
    if (!isParameter(id))
        return EditControllerEx1::getParamValueByString(id, string, valueNormalized);
    // A typed value is read by the parameter's own display rule, so every text it shows reads back.
    char text[talvane::kValueTextCapacity];
    double parsed = 0.0;
    if (!talvane::narrowToLatin1(string, text, sizeof text) ||
        !talvane::parseValueText(id, text, controllerValues, parsed))
        return kResultFalse;
    valueNormalized = parsed;
    return kResultOk;
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
    if (!talvane::isZoomStep(percent) || percent == editorZoom)
        return;
    editorZoom = percent;
    // The zoom is kept in the project but is no parameter, so the host hears of no edit: told that
    // the project has changed, it offers to save it.
    if (Steinberg::FUnknownPtr<IComponentHandler2> handler2{componentHandler})
        handler2->setDirty(true);
}

void TalvaneController::restoreEditorZoom(int percent)
{
    if (talvane::isZoomStep(percent))
        editorZoom = percent;
    // Every open view follows, whatever zoom each had: the project says how the editor looks. By
    // index: a host may attach or remove a view while one resizes.
    for (std::size_t i = 0; i < editorViews.size(); ++i)
        if (ParameterDisplay* display = editorViews[i].display)
            display->updateZoomDisplay(editorZoom);
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
