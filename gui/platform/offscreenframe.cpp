#include "gui/platform/offscreenframe.h"

#include "gui/cframe.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace VSTGUI {

namespace {

cairo_surface_t* createImage(int width, int height)
{
    return cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(1, width), std::max(1, height));
}

constexpr unsigned kByteMask = 0xff;
constexpr int kRedShift = 16;
constexpr int kGreenShift = 8;

} // namespace

OffscreenFrame::OffscreenFrame(CFrame& owner, int width, int height)
    : frame(owner), backBuffer(createImage(width, height))
{}

OffscreenFrame::~OffscreenFrame()
{
    cairo_surface_destroy(backBuffer);
}

OffscreenFrame* OffscreenFrame::of(CFrame* frame)
{
    return frame ? dynamic_cast<OffscreenFrame*>(frame->getPlatformFrame()) : nullptr;
}

void OffscreenFrame::present(const CRect& area)
{
    ++presentCount;
    lastPresented = area;
}

bool OffscreenFrame::setSize(int width, int height)
{
    cairo_surface_destroy(backBuffer);
    backBuffer = createImage(width, height);
    return true;
}

bool OffscreenFrame::openPopup(const CRect& area)
{
    popupOpen = true;
    popupArea = area;
    return true;
}

void OffscreenFrame::closePopup()
{
    popupOpen = false;
}

CMouseEventResult OffscreenFrame::mouseDown(const CPoint& where, int32_t buttons)
{
    CPoint point(where);
    return frame.onMouseDown(point, CButtonState(buttons));
}

CMouseEventResult OffscreenFrame::mouseMove(const CPoint& where, int32_t buttons)
{
    CPoint point(where);
    return frame.onMouseMoved(point, CButtonState(buttons));
}

CMouseEventResult OffscreenFrame::mouseUp(const CPoint& where, int32_t buttons)
{
    CPoint point(where);
    return frame.onMouseUp(point, CButtonState(buttons));
}

void OffscreenFrame::click(const CPoint& where, int32_t buttons)
{
    mouseDown(where, buttons);
    mouseUp(where, buttons);
}

void OffscreenFrame::doubleClick(const CPoint& where, int32_t buttons)
{
    click(where, buttons);
    mouseDown(where, buttons | kDoubleClick);
    mouseUp(where, buttons);
}

bool OffscreenFrame::wheel(const CPoint& where, float distance, int32_t modifiers)
{
    return frame.onWheel(where, distance, CButtonState(modifiers));
}

void OffscreenFrame::mouseLeave()
{
    CPoint outside(-1, -1);
    frame.onMouseExited(outside, CButtonState());
}

void OffscreenFrame::popupMouseMove(const CPoint& where)
{
    if (popupOpen)
        frame.popupMouseMoved(where);
}

void OffscreenFrame::popupMouseDown(const CPoint& where)
{
    if (popupOpen)
        frame.popupMouseDown(where);
}

CColor OffscreenFrame::getPixel(int x, int y) const
{
    cairo_surface_flush(backBuffer);
    const int width = cairo_image_surface_get_width(backBuffer);
    const int height = cairo_image_surface_get_height(backBuffer);
    if (x < 0 || y < 0 || x >= width || y >= height)
        return kTransparentCColor;
    const unsigned char* row =
        cairo_image_surface_get_data(backBuffer) +
        static_cast<size_t>(y) * static_cast<size_t>(cairo_image_surface_get_stride(backBuffer));
    const uint32_t pixel = reinterpret_cast<const uint32_t*>(row)[x];
    return MakeCColor(static_cast<uint8_t>((pixel >> kRedShift) & kByteMask),
                      static_cast<uint8_t>((pixel >> kGreenShift) & kByteMask),
                      static_cast<uint8_t>(pixel & kByteMask));
}

bool OffscreenFrame::saveScreenshot(const std::string& pngPath, bool withPopup) const
{
    const CRect frameArea(0, 0, cairo_image_surface_get_width(backBuffer),
                          cairo_image_surface_get_height(backBuffer));
    CRect canvas = frameArea;
    if (withPopup && popupOpen)
        canvas.unite(popupArea);
    const int width = static_cast<int>(std::ceil(canvas.right - canvas.left));
    const int height = static_cast<int>(std::ceil(canvas.bottom - canvas.top));
    cairo_surface_t* image = createImage(width, height);
    cairo_t* cr = cairo_create(image);
    cairo_translate(cr, -canvas.left, -canvas.top);
    cairo_set_source_surface(cr, backBuffer, 0, 0);
    cairo_paint(cr);
    if (withPopup && popupOpen)
    {
        cairo_save(cr);
        cairo_translate(cr, popupArea.left, popupArea.top);
        cairo_rectangle(cr, 0, 0, popupArea.getWidth(), popupArea.getHeight());
        cairo_clip(cr);
        frame.drawPopup(cr);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(image, pngPath.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(image);
    return written;
}

} // namespace VSTGUI
