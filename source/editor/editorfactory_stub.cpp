// Stand-in until the editor view exists: the controller offers no view.
#include "source/editor/editorfactory.h"

namespace Steinberg {
namespace Vst {

IPlugView* createTalvaneEditorView(TalvaneController* /*controller*/)
{
    return nullptr;
}

} // namespace Vst
} // namespace Steinberg
