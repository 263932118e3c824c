#include "gui/platform/offscreenframe.h"

#include "gui/cdrawcontext.h"
#include "gui/cframe.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

OffscreenFrame::OffscreenFrame(CFrame& owner, int width, int height)
    : frame(owner), backBuffer(createImage(width, height))
{}

OffscreenFrame::~OffscreenFrame()
{
    destroyImage(backBuffer);
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
    destroyImage(backBuffer);
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
    CPoint point = frame.pointFromDevice(where);
    return frame.onMouseDown(point, CButtonState(buttons));
}

CMouseEventResult OffscreenFrame::mouseMove(const CPoint& where, int32_t buttons)
{
    CPoint point = frame.pointFromDevice(where);
    return frame.onMouseMoved(point, CButtonState(buttons));
}

CMouseEventResult OffscreenFrame::mouseUp(const CPoint& where, int32_t buttons)
{
    CPoint point = frame.pointFromDevice(where);
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
    return frame.onWheel(frame.pointFromDevice(where), distance, CButtonState(modifiers));
}

void OffscreenFrame::mouseLeave()
{
    CPoint outside(-1, -1);
    frame.onMouseExited(outside, CButtonState());
}

bool OffscreenFrame::key(int32_t virtualKey, int32_t modifiers)
{
    CKeyEvent event;
    event.virtualKey = virtualKey;
    event.modifiers = modifiers;
    return frame.onKeyDown(event);
}

void OffscreenFrame::type(const std::string& utf8)
{
    for (std::size_t i = 0; i < utf8.size();)
    {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += length;
        CKeyEvent event;
        event.character = code;
        frame.onKeyDown(event);
    }
}

void OffscreenFrame::popupMouseMove(const CPoint& where)
{
    if (popupOpen)
        frame.popupMouseMoved(frame.pointFromDevice(where));
}

void OffscreenFrame::popupMouseDown(const CPoint& where)
{
    if (popupOpen)
        frame.popupMouseDown(frame.pointFromDevice(where));
}

CColor OffscreenFrame::getPixel(int x, int y) const
{
    return getImagePixel(backBuffer, x, y);
}

bool OffscreenFrame::saveScreenshot(const std::string& pngPath, bool withPopup) const
{
    const CRect frameArea(0, 0, getImageWidth(backBuffer), getImageHeight(backBuffer));
    const bool showPopup = withPopup && popupOpen;
    CRect canvas = frameArea;
    if (showPopup)
        canvas.unite(popupArea);
    const int width = static_cast<int>(std::ceil(canvas.right - canvas.left));
    const int height = static_cast<int>(std::ceil(canvas.bottom - canvas.top));
    NativeImage* popupImage = nullptr;
    if (showPopup)
    {
        popupImage = createImage(static_cast<int>(std::ceil(popupArea.getWidth())),
                                 static_cast<int>(std::ceil(popupArea.getHeight())));
        CImageDrawContext popupContext(popupImage, frame.getScaleFactor());
        frame.drawPopup(popupContext);
    }
    NativeImage* image = createImage(width, height);
    {
        CImageDrawContext context(image);
        context.drawImage(backBuffer, CRect(frameArea).offset(-canvas.left, -canvas.top), CPoint(0, 0), true);
        if (popupImage)
            context.drawImage(popupImage, CRect(popupArea).offset(-canvas.left, -canvas.top), CPoint(0, 0), true);
    }
    const bool written = saveImageAsPng(image, pngPath);
    destroyImage(image);
    destroyImage(popupImage);
    return written;
}

} // namespace VSTGUI
