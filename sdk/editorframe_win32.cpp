#include "sdk/editorframe_win32.h"

namespace Steinberg {
namespace Vst {

tresult PLUGIN_API EditorFrame::queryInterface(const TUID iid, void** obj)
{
    if (!obj)
        return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IPlugFrame::iid))
    {
        *obj = static_cast<IPlugFrame*>(this);
        addRef();
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

} // namespace Vst
} // namespace Steinberg
