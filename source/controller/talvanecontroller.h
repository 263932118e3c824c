// The instrument's edit controller: the host-facing list of parameters and their values, the
// reading of the processor's saved state, the MIDI controller mapping and the editor's creation;
// the root unit's program list of the factory sounds with its program-change parameter, and the
// loaded sound's name, which it keeps in a state of its own.
#pragma once

#include "source/controller/soundlibrary.h"
#include "source/editor/editorzoom.h"
#include "source/params/paramids.h"
#include "source/presets/factorysounds.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <string>
#include <vector>

namespace talvane::presets {
class ProgramTable;
} // namespace talvane::presets

namespace Steinberg {
namespace Vst {

class ParameterDisplay;

class TalvaneController : public EditControllerEx1, public IMidiMapping
{
public:
    TalvaneController();
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

    // The editor's zoom in percent (one of talvane::kZoomSteps): kept with the instance and saved in
    // its state, so that a new editor view opens at the zoom last chosen or restored.
    int getEditorZoom() const { return editorZoom; }
    // Ignores a zoom that is not a step.
    void setEditorZoom(int percent);

    // EditController: an open editor view came, went or is being destroyed.
    void editorAttached(EditorView* editor) SMTG_OVERRIDE;
    void editorRemoved(EditorView* editor) SMTG_OVERRIDE;
    void editorDestroyed(EditorView* editor) SMTG_OVERRIDE;

    // The sound loaded last (a program, a user sound or a state the host restored), and whether a
    // sound parameter changed since.
    const std::string& getSoundName() const { return soundName; }
    bool isSoundEdited() const { return soundEdited; }
    // The program the program-change parameter selects.
    int32 getProgramIndex() const;
    talvane::presets::SoundValues getSoundValues() const;

    // Loads a sound as the editor chooses one: every parameter whose value changes reaches the host
    // as one begin/perform/end edit, so the host records it and can undo it. A factory program
    // (`program` >= 0) also moves the program-change parameter.
    void loadSound(const talvane::presets::SoundValues& values, const std::string& name, int32 program = -1);
    void loadProgram(int32 program);
    // The loaded sound takes the name it was saved under.
    void renameSound(const std::string& name);

    talvane::SoundLibrary& soundLibrary() { return library; }

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

    void registerPrograms();
    // The program-change parameter, and the values and name of the program it selects.
    tresult selectProgram(ParamValue value);
    void setProgramQuietly(int32 program);
    void setSound(const std::string& name, bool edited);
    void tellDisplaysAboutTheSound();
    // The zoom a restored state brings, taken by the open views too.
    void restoreEditorZoom(int percent);

    float controllerValues[talvane::kNumParams] = {};
    int editorZoom = talvane::kDefaultZoomPercent;
    std::vector<AttachedEditor> editorViews; // in order of attachment

    const talvane::presets::ProgramTable& programs;
    talvane::SoundLibrary library;
    std::string soundName;
    bool soundEdited = false;
    // Set while values change as part of a loaded sound, not as edits of it.
    bool loadingSound = false;
};

} // namespace Vst
} // namespace Steinberg
