#include "source/editor/editorfactory.h"

#include "source/editor/talvaneeditorview.h"

#include <new>

namespace Steinberg {
namespace Vst {

IPlugView* createTalvaneEditorView(TalvaneController* controller)
{
    if (!controller)
        return nullptr;
    auto* view = new (std::nothrow) TalvaneEditorView(controller);
    return view ? static_cast<IPlugView*>(view) : nullptr;
}

} // namespace Vst
} // namespace Steinberg
