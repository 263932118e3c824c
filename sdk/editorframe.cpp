// What the frame does alike on every platform: it passes the view's resize requests to the host.
#include "sdk/editorframe.h"

#include <utility>

namespace Steinberg {
namespace Vst {

EditorFrame::EditorFrame(ResizeRequest resize) : onResize(std::move(resize)) {}

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
