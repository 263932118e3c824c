#include "gui/cview.h"

#include "gui/cbitmap.h"
#include "gui/cframe.h"

namespace VSTGUI {

CView::CView(const CRect& viewSize) : size(viewSize) {}

CView::~CView()
{
    if (background)
        background->forget();
}

void CView::draw(CDrawContext* context)
{
    if (background)
        background->draw(context, size);
    setDirty(false);
}

void CView::drawRect(CDrawContext* context, const CRect& /*updateRect*/)
{
    draw(context);
}

CMouseEventResult CView::onMouseDown(CPoint& /*where*/, const CButtonState& /*buttons*/)
{
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/)
{
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseMoved(CPoint& /*where*/, const CButtonState& /*buttons*/)
{
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseEntered(CPoint& /*where*/, const CButtonState& /*buttons*/)
{
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseExited(CPoint& /*where*/, const CButtonState& /*buttons*/)
{
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseCancel()
{
    return kMouseEventNotImplemented;
}
bool CView::onWheel(const CPoint& /*where*/, const float& /*distance*/, const CButtonState& /*buttons*/)
{
    return false;
}

bool CView::onKeyDown(const CKeyEvent& /*key*/)
{
    return false;
}

bool CView::hitTest(const CPoint& where, const CButtonState& /*buttons*/)
{
    return size.pointInside(where);
}

void CView::invalid()
{
    invalidRect(size);
}

void CView::invalidRect(const CRect& rect)
{
    if (frame && visible)
        frame->invalidRect(rect);
}

void CView::setVisible(bool state)
{
    if (visible == state)
        return;
    if (!state)
        invalid();
    visible = state;
    if (state)
        invalid();
}

void CView::setTransparency(bool state)
{
    transparency = state;
    invalid();
}

void CView::setBackground(CBitmap* bitmap)
{
    if (bitmap == background)
        return;
    if (bitmap)
        bitmap->remember();
    if (background)
        background->forget();
    background = bitmap;
    invalid();
}

void CView::setViewSize(const CRect& rect, bool invalidate)
{
    if (invalidate)
        invalid();
    size = rect;
    if (invalidate)
        invalid();
}

bool CView::attached(CFrame* parent)
{
    if (frame)
        return false;
    frame = parent;
    return true;
}

bool CView::removed(CFrame* /*parent*/)
{
    frame = nullptr;
    return true;
}

} // namespace VSTGUI
