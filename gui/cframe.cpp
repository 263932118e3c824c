#include "gui/cframe.h"

#include "gui/cbitmap.h"
#include "gui/cdrawcontext.h"
#include "gui/coptionmenu.h"
#include "gui/menupopup.h"
#include "gui/platform/iplatformframe.h"
#include "gui/platform/platformfactory.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

namespace {

// Invalid areas are kept on whole pixels so that partial redraws never leave seams.
CRect pixelAligned(const CRect& rect)
{
    return CRect(std::floor(rect.left), std::floor(rect.top), std::ceil(rect.right), std::ceil(rect.bottom));
}

// Holds a reference to each view for the duration of a dispatch, so that a handler that removes
// views (a page switch, say) never leaves the frame with a dangling pointer.
class ViewSnapshot
{
public:
    explicit ViewSnapshot(std::vector<CView*> list) : views(std::move(list))
    {
        for (CView* view : views)
            view->remember();
    }
    ~ViewSnapshot()
    {
        for (CView* view : views)
            view->forget();
    }
    ViewSnapshot(const ViewSnapshot&) = delete;
    ViewSnapshot& operator=(const ViewSnapshot&) = delete;

    const std::vector<CView*>& get() const { return views; }

private:
    std::vector<CView*> views;
};

bool takesMouse(CView* view, const CPoint& where, const CButtonState& buttons)
{
    return view->isVisible() && view->getMouseEnabled() && view->hitTest(where, buttons);
}

double scaleOf(const void* systemWindow)
{
    const auto* parent = static_cast<const PlatformParent*>(systemWindow);
    return parent && parent->scaleFactor > 0 ? parent->scaleFactor : 1.0;
}

} // namespace

CFrame::CFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* frameEditor)
    : CView(size), editor(frameEditor), scaleFactor(scaleOf(systemWindow))
{
    frame = this;
    platform = createPlatformFrame(*this, static_cast<const PlatformParent*>(systemWindow));
    invalid();
}

CFrame::~CFrame()
{
    cancelPopup();
    removeAll(true);
    platform.reset();
    frame = nullptr;
}

void CFrame::close()
{
    cancelPopup();
    // While every view is still in place: the drag's end may reach other views through the editor.
    onMouseCancel();
    removeAll(true);
    platform.reset();
    forget();
}

bool CFrame::addView(CView* view)
{
    if (!view || isChild(view) || !view->attached(this))
        return false;
    views.push_back(view);
    view->invalid();
    return true;
}

bool CFrame::removeView(CView* view, bool withForget)
{
    if (!isChild(view))
        return false;
    if (popup && popup->getMenu() == view)
        cancelPopup();
    if (view == mouseDownView)
        onMouseCancel();
    // What those two told the editor may have changed the list of views.
    const auto it = std::find(views.begin(), views.end(), view);
    if (it == views.end())
        return false;
    view->invalid();
    views.erase(it);
    forgetPointerTargets(view);
    view->removed(this);
    if (withForget)
        view->forget();
    return true;
}

void CFrame::removeAll(bool withForget)
{
    while (!views.empty())
        removeView(views.back(), withForget);
}

bool CFrame::isChild(const CView* view) const
{
    return std::find(views.begin(), views.end(), view) != views.end();
}

CView* CFrame::getView(int32_t index) const
{
    if (index < 0 || index >= getNbViews())
        return nullptr;
    return views[static_cast<size_t>(index)];
}

CView* CFrame::getViewAt(const CPoint& where) const
{
    for (auto it = views.rbegin(); it != views.rend(); ++it)
        if (takesMouse(*it, where, CButtonState()))
            return *it;
    return nullptr;
}

std::vector<CView*> CFrame::viewsTopDown() const
{
    return std::vector<CView*>(views.rbegin(), views.rend());
}

void CFrame::forgetPointerTargets(const CView* view)
{
    if (focusView == view)
        focusView = nullptr;
    if (mouseDownView == view)
        mouseDownView = nullptr;
    if (mouseOverView == view)
        mouseOverView = nullptr;
}

void CFrame::setBackgroundColor(const CColor& color)
{
    backgroundColor = color;
    invalid();
}

int32_t CFrame::getKnobMode() const
{
    const int32_t mode = editor ? editor->getKnobMode() : -1;
    return mode == -1 ? kCircularMode : mode;
}

void CFrame::beginEdit(int32_t tag)
{
    if (editor)
        editor->beginEdit(tag);
}

void CFrame::endEdit(int32_t tag)
{
    if (editor)
        editor->endEdit(tag);
}

bool CFrame::setSize(CCoord width, CCoord height)
{
    if (width <= 0 || height <= 0)
        return false;
    if (platform && !platform->setSize(static_cast<int>(toDevice(width, scaleFactor)),
                                       static_cast<int>(toDevice(height, scaleFactor))))
        return false;
    size.setWidth(width).setHeight(height);
    invalidRects.clear();
    invalid();
    return true;
}

bool CFrame::setScaleFactor(double scale)
{
    if (!(scale > 0))
        return false;
    if (scale == scaleFactor)
        return true;
    // The pop-up was laid out and placed for the old scale.
    cancelPopup();
    const double previous = scaleFactor;
    scaleFactor = scale;
    if (!setSize(size.getWidth(), size.getHeight()))
    {
        scaleFactor = previous;
        return false;
    }
    return true;
}

CPoint CFrame::getDeviceSize() const
{
    return CPoint(toDevice(size.getWidth(), scaleFactor), toDevice(size.getHeight(), scaleFactor));
}

void CFrame::invalid()
{
    invalidRect(size);
}

void CFrame::invalidRect(const CRect& rect)
{
    CRect area = pixelAligned(rect);
    area.bound(CRect(0, 0, size.getWidth(), size.getHeight()));
    if (area.isEmpty())
        return;
    // Overlapping areas merge, so no pixel is drawn twice in one pass.
    for (bool merged = true; merged;)
    {
        merged = false;
        for (auto it = invalidRects.begin(); it != invalidRects.end(); ++it)
        {
            if (it->rectOverlap(area))
            {
                area.unite(*it);
                invalidRects.erase(it);
                merged = true;
                break;
            }
        }
    }
    invalidRects.push_back(area);
}

void CFrame::idle()
{
    if (platform)
        platform->onIdle();
    for (CView* view : views)
        if (view->isVisible() && view->isDirty())
            invalidRect(view->getViewSize());
    redrawInvalid();
}

void CFrame::redrawInvalid()
{
    if (!platform || invalidRects.empty())
        return;
    NativeImage* target = platform->getBackBuffer();
    if (!target)
        return;
    const std::vector<CRect> areas = std::move(invalidRects);
    invalidRects.clear();
    {
        CImageDrawContext context(target, scaleFactor);
        for (const CRect& area : areas)
            drawRect(&context, area);
    }
    for (const CRect& area : areas)
        platform->present(toDevice(area, scaleFactor));
}

void CFrame::drawRect(CDrawContext* context, const CRect& updateRect)
{
    context->pushClipRect(updateRect);
    if (!transparency)
    {
        context->setFillColor(backgroundColor);
        context->drawRect(updateRect, kDrawFilled);
        if (background)
            background->draw(context, CRect(0, 0, background->getWidth(), background->getHeight()));
    }
    ViewSnapshot snapshot(views);
    for (CView* view : snapshot.get())
    {
        if (!view->isVisible() || !view->getViewSize().rectOverlap(updateRect))
            continue;
        CRect clip = view->getViewSize();
        clip.bound(updateRect);
        context->pushClipRect(clip);
        view->drawRect(context, clip);
        context->popClipRect();
        view->setDirty(false);
    }
    context->popClipRect();
}

void CFrame::setFocusView(CView* view)
{
    if (view == focusView || (view && !isChild(view)))
        return;
    CView* previous = focusView;
    focusView = view;
    if (previous)
        previous->onFocusLost();
    // The old view's handler may have moved the focus on already.
    if (view && focusView == view)
    {
        if (platform)
            platform->takeKeyboardFocus();
        view->onFocusGained();
    }
}

bool CFrame::onKeyDown(const CKeyEvent& key)
{
    if (!focusView)
        return false;
    CView* target = focusView;
    target->remember();
    const bool used = target->onKeyDown(key);
    target->forget();
    return used;
}

CMouseEventResult CFrame::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    const CMouseEventResult result = dispatchMouseDown(where, buttons);
    // Only where no view is: a press on a view that declined it stays unhandled.
    if (result == kMouseEventNotHandled && editor && !getViewAt(where) &&
        editor->onBackgroundMouseDown(where, buttons))
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    return result;
}

CMouseEventResult CFrame::dispatchMouseDown(CPoint& where, const CButtonState& buttons)
{
    cancelPopup();
    // A click away from the focus view ends its hold on the keyboard.
    if (focusView && !focusView->getViewSize().pointInside(where))
        setFocusView(nullptr);
    // A press ends the hovering: the view under the pointer hears that the mouse left it.
    if (CView* hovered = mouseOverView)
    {
        mouseOverView = nullptr;
        hovered->onMouseExited(where, buttons);
    }
    mouseDownView = nullptr;
    ViewSnapshot snapshot(viewsTopDown());
    for (CView* view : snapshot.get())
    {
        if (!isChild(view) || !takesMouse(view, where, buttons))
            continue;
        const CMouseEventResult result = view->onMouseDown(where, buttons);
        if (result == kMouseEventNotHandled || result == kMouseEventNotImplemented)
            continue;
        if (result == kMouseEventHandled && isChild(view))
            mouseDownView = view;
        return result;
    }
    return kMouseEventNotHandled;
}

CMouseEventResult CFrame::onMouseUp(CPoint& where, const CButtonState& buttons)
{
    CMouseEventResult result = kMouseEventNotHandled;
    if (CView* target = mouseDownView)
    {
        mouseDownView = nullptr;
        target->remember();
        result = target->onMouseUp(where, buttons);
        target->forget();
    }
    updateMouseOver(where, CButtonState());
    return result;
}

CMouseEventResult CFrame::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (CView* target = mouseDownView)
    {
        target->remember();
        const CMouseEventResult result = target->onMouseMoved(where, buttons);
        if (result == kMouseMoveEventHandledButDontNeedMoreEvents && mouseDownView == target)
            mouseDownView = nullptr;
        target->forget();
        return result;
    }
    updateMouseOver(where, buttons);
    return kMouseEventHandled;
}

CMouseEventResult CFrame::onMouseCancel()
{
    CView* target = mouseDownView;
    if (!target)
        return kMouseEventNotHandled;
    mouseDownView = nullptr;
    target->remember();
    const CMouseEventResult result = target->onMouseCancel();
    target->forget();
    return result;
}

CMouseEventResult CFrame::onMouseExited(CPoint& where, const CButtonState& buttons)
{
    if (CView* hovered = mouseOverView)
    {
        mouseOverView = nullptr;
        hovered->onMouseExited(where, buttons);
    }
    return kMouseEventHandled;
}

void CFrame::updateMouseOver(CPoint& where, const CButtonState& buttons)
{
    CView* target = getViewAt(where);
    if (target == mouseOverView)
        return;
    if (CView* previous = mouseOverView)
    {
        mouseOverView = nullptr;
        previous->onMouseExited(where, buttons);
    }
    // The exit handler may have removed the new target.
    if (target && isChild(target))
    {
        mouseOverView = target;
        target->onMouseEntered(where, buttons);
    }
}

bool CFrame::onWheel(const CPoint& where, const float& distance, const CButtonState& buttons)
{
    ViewSnapshot snapshot(viewsTopDown());
    for (CView* view : snapshot.get())
        if (isChild(view) && takesMouse(view, where, buttons) && view->onWheel(where, distance, buttons))
            return true;
    return false;
}

bool CFrame::openPopup(COptionMenu* menu)
{
    if (!menu || !isChild(menu))
        return false;
    const CRect& menuRect = menu->getViewSize();
    return showPopup(menu, (menu->getStyle() & kPopupStyle) ? menuRect.getTopLeft()
                                                            : CPoint(menuRect.left, menuRect.bottom));
}

bool CFrame::openPopupAt(COptionMenu* menu, const CPoint& where)
{
    return menu && showPopup(menu, where);
}

bool CFrame::showPopup(COptionMenu* menu, const CPoint& corner)
{
    if (!platform || popup)
        return false;
    popup = std::make_unique<MenuPopup>(menu, scaleFactor);
    // The pop-up's pixels start at the device position of its corner and are drawn from its own
    // (0, 0), so its size is scaled on its own.
    const CPoint popupSize = popup->getSize();
    CPoint origin = corner;
    if ((menu->getStyle() & kPopupInFrameStyle) && popupSize.x <= size.getWidth())
        origin.x = std::min(origin.x, size.getWidth() - popupSize.x);
    const CRect area(CPoint(toDevice(origin.x, scaleFactor), toDevice(origin.y, scaleFactor)),
                     CPoint(toDevice(popupSize.x, scaleFactor), toDevice(popupSize.y, scaleFactor)));
    if (!platform->openPopup(area))
    {
        popup.reset();
        return false;
    }
    return true;
}

void CFrame::cancelPopup()
{
    if (popup)
        finishPopup(-1);
}

void CFrame::finishPopup(int32_t chosenIndex)
{
    std::unique_ptr<MenuPopup> finished = std::move(popup);
    if (platform)
        platform->closePopup();
    finished->getMenu()->popupFinished(chosenIndex);
}

void CFrame::drawPopup(CDrawContext& context)
{
    if (popup)
        popup->draw(context);
}

void CFrame::popupMouseMoved(const CPoint& where)
{
    if (popup && popup->setHovered(popup->entryAt(where)) && platform)
        platform->invalidatePopup();
}

void CFrame::popupMouseDown(const CPoint& where)
{
    if (!popup)
        return;
    const CPoint popupSize = popup->getSize();
    if (!CRect(CPoint(0, 0), popupSize).pointInside(where))
    {
        finishPopup(-1);
        return;
    }
    const int32_t index = popup->entryAt(where);
    // A press on a separator keeps the pop-up open, as menus do.
    if (index >= 0)
        finishPopup(index);
}

} // namespace VSTGUI
