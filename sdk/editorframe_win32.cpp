#include "sdk/editorframe_win32.h"

namespace Steinberg {
namespace Vst {

EditorFrame::EditorFrame(ResizeRequest resize) : onResize(std::move(resize)) {}

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

tresult PLUGIN_API EditorFrame::resizeView(IPlugView* view, ViewRect* newSize)
{
    if (!view || !newSize || newSize->getWidth() <= 0 || newSize->getHeight() <= 0)
        return kInvalidArgument;
    if (!onResize || !onResize(view, *newSize))
        return kResultFalse;
    // The host has resized its window; the view now takes the new size, in this call as required.
    view->onSize(newSize);
    return kResultTrue;
}

} // namespace Vst
} // namespace Steinberg
