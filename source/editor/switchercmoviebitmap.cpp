#include "source/editor/switchercmoviebitmap.h"

#include "source/editor/editorlayout.h"
#include "source/editor/talvaneeditorview.h"

#include "gui/cframe.h"

namespace Steinberg {
namespace Vst {

using namespace VSTGUI;

int switcherCMovieBitmap::pageAt(CCoord x)
{
    using namespace talvane;
    if (x < kPageZoneStarts[kLfoPage])
        return kEnvelopePage;
    if (x < kPageZoneStarts[kMatrixPage])
        return kLfoPage;
    return kMatrixPage;
}

CMouseEventResult switcherCMovieBitmap::onMouseDown(CPoint& where, const CButtonState& /*buttons*/)
{
    if (frame)
        if (auto* editor = dynamic_cast<TalvaneEditorView*>(frame->getEditor()))
            editor->switchPage(pageAt(where.x));
    return kMouseEventHandled;
}

} // namespace Vst
} // namespace Steinberg
