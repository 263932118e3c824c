// Creates the instrument's editor view for a controller. The controller knows the editor only
// through this function and the ParameterDisplay interface the view implements.
#pragma once

#include "pluginterfaces/gui/iplugview.h"

namespace Steinberg {
namespace Vst {

class TalvaneController;

// A new view holding one reference for the caller, or null when none can be made.
IPlugView* createTalvaneEditorView(TalvaneController* controller);

} // namespace Vst
} // namespace Steinberg
