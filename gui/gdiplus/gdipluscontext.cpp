// CDrawContext over a GDI+ Graphics. Pixel centres lie at half coordinates (PixelOffsetModeHalf),
// as in cairo, so a fill of whole-pixel rectangles covers exactly those pixels and a one-pixel
// stroke on a pixel centre exactly one row or column; images are copied pixel for pixel.
#include "gui/cdrawcontext.h"

#include "gui/cfont.h"
#include "gui/gdiplus/gdiplussession.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace VSTGUI {

namespace {

Gdiplus::REAL real(CCoord value)
{
    return static_cast<Gdiplus::REAL>(value);
}

Gdiplus::RectF rectOf(const CRect& rect)
{
    return Gdiplus::RectF(real(rect.left), real(rect.top), real(rect.getWidth()), real(rect.getHeight()));
}

void prepare(Gdiplus::Graphics& graphics)
{
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
}

// Advance widths without GDI+'s default padding around the text. Made per use: no GDI+ object may
// outlive the session it was made in.
class TypographicFormat : public Gdiplus::StringFormat
{
public:
    TypographicFormat() : Gdiplus::StringFormat(Gdiplus::StringFormat::GenericTypographic())
    {
        SetFormatFlags(GetFormatFlags() | Gdiplus::StringFormatFlagsMeasureTrailingSpaces |
                       Gdiplus::StringFormatFlagsNoWrap);
    }
};

} // namespace

CImageDrawContext::CImageDrawContext(NativeImage* image, double scale)
    : CDrawContext(image ? new Gdiplus::Graphics(image) : nullptr, scale), target(image)
{
    if (getNativeContext())
        prepare(*getNativeContext());
}

CImageDrawContext::~CImageDrawContext()
{
    if (Gdiplus::Graphics* graphics = getNativeContext())
    {
        graphics->Flush(Gdiplus::FlushIntentionSync);
        delete graphics;
    }
}

CCoord measureStringWidth(CFontDesc* font, UTF8StringPtr text, double scale)
{
    NativeImage* scratch = createImage(1, 1);
    if (!scratch)
        return 0;
    CCoord width = 0;
    {
        CImageDrawContext measure(scratch, scale);
        measure.setFont(font);
        width = measure.getStringWidth(text);
    }
    destroyImage(scratch);
    return width;
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style)
{
    if (!native)
        return;
    const CRect device = toDevice(rect, scaleFactor);
    if (style == kDrawFilled || style == kDrawFilledAndStroked)
    {
        Gdiplus::SolidBrush brush(gdiplus::toColor(fillColor));
        native->FillRectangle(&brush, rectOf(device));
    }
    if (style == kDrawStroked || style == kDrawFilledAndStroked)
    {
        // The stroke's middle runs half its width inside the edge, so it covers whole pixels.
        const Gdiplus::REAL width = real(std::max(1.0, std::round(scaleFactor)));
        Gdiplus::Pen pen(gdiplus::toColor(frameColor), width);
        native->DrawRectangle(&pen, real(device.left) + width / 2, real(device.top) + width / 2,
                              real(device.getWidth()) - width, real(device.getHeight()) - width);
    }
}

void CDrawContext::drawPolyline(const CPoint* points, int count, CCoord lineWidth)
{
    if (!native || !points || count < 2)
        return;
    std::vector<Gdiplus::PointF> line;
    line.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        line.emplace_back(real(points[i].x * scaleFactor), real(points[i].y * scaleFactor));
    Gdiplus::Pen pen(gdiplus::toColor(frameColor), real(lineWidth * scaleFactor));
    const Gdiplus::SmoothingMode previous = native->GetSmoothingMode();
    native->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    native->DrawLines(&pen, line.data(), count);
    native->SetSmoothingMode(previous);
}

void CDrawContext::drawImage(NativeImage* image, const CRect& destination, const CPoint& offset, bool opaque,
                             float alpha)
{
    const CRect device = toDevice(destination, scaleFactor);
    if (!native || !image || device.isEmpty())
        return;
    // Only the part of the destination that the image covers: GDI+ would stretch a source
    // rectangle that reaches beyond the image.
    const CRect imageArea(device.left - offset.x, device.top - offset.y,
                          device.left - offset.x + image->GetWidth(),
                          device.top - offset.y + image->GetHeight());
    CRect area = device;
    area.bound(imageArea);
    if (area.isEmpty())
        return;
    const int left = static_cast<int>(std::floor(area.left));
    const int top = static_cast<int>(std::floor(area.top));
    const int width = static_cast<int>(std::ceil(area.right)) - left;
    const int height = static_cast<int>(std::ceil(area.bottom)) - top;
    const int sourceX = left - static_cast<int>(std::floor(imageArea.left));
    const int sourceY = top - static_cast<int>(std::floor(imageArea.top));

    Gdiplus::ImageAttributes attributes;
    // Sampling exactly on pixel centres, but the edges must not blend with a wrapped-around row.
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    if (alpha < 1.f)
    {
        Gdiplus::ColorMatrix fade = {{{1, 0, 0, 0, 0},
                                      {0, 1, 0, 0, 0},
                                      {0, 0, 1, 0, 0},
                                      {0, 0, 0, std::max(0.f, alpha), 0},
                                      {0, 0, 0, 0, 1}}};
        attributes.SetColorMatrix(&fade);
    }
    const Gdiplus::CompositingMode previous = native->GetCompositingMode();
    if (opaque)
        native->SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    native->DrawImage(image, Gdiplus::Rect(left, top, width, height), sourceX, sourceY, width, height,
                      Gdiplus::UnitPixel, &attributes);
    native->SetCompositingMode(previous);
}

bool CDrawContext::selectFont(bool antialias)
{
    if (!native || !font || !font->getFontFace(scaleFactor))
        return false;
    native->SetTextRenderingHint(antialias ? Gdiplus::TextRenderingHintAntiAliasGridFit
                                           : Gdiplus::TextRenderingHintSingleBitPerPixelGridFit);
    return true;
}

CCoord CDrawContext::getStringWidth(UTF8StringPtr text)
{
    if (!text || !selectFont(true))
        return 0;
    const std::wstring wide = gdiplus::widen(text);
    if (wide.empty())
        return 0;
    Gdiplus::RectF bounds;
    const TypographicFormat format;
    native->MeasureString(wide.c_str(), static_cast<INT>(wide.size()), font->getFontFace(scaleFactor),
                          Gdiplus::PointF(0, 0), &format, &bounds);
    return bounds.Width / scaleFactor;
}

void CDrawContext::drawString(UTF8StringPtr text, const CRect& rect, CHoriTxtAlign align, bool antialias)
{
    if (!text || !*text || rect.isEmpty() || !selectFont(antialias))
        return;
    const std::wstring wide = gdiplus::widen(text);
    if (wide.empty())
        return;
    Gdiplus::Font* face = font->getFontFace(scaleFactor);
    Gdiplus::FontFamily family;
    face->GetFamily(&family);
    const INT faceStyle = face->GetStyle();
    const double emHeight = std::max<UINT16>(1, family.GetEmHeight(faceStyle));
    const double ascent = face->GetSize() * family.GetCellAscent(faceStyle) / emHeight;
    const double descent = face->GetSize() * family.GetCellDescent(faceStyle) / emHeight;

    const CRect device = toDevice(rect, scaleFactor);
    const CCoord width = getStringWidth(text) * scaleFactor;
    double x = device.left;
    if (align == kCenterText)
        x = device.left + (device.getWidth() - width) / 2;
    else if (align == kRightText)
        x = device.right - width;
    const double baseline = device.top + (device.getHeight() + ascent - descent) / 2;

    pushClipRect(rect);
    Gdiplus::SolidBrush brush(gdiplus::toColor(fontColor));
    // Whole pixels keep unantialiased text crisp and the same on every redraw; GDI+ places the
    // line by the top of its cell, one ascent above the baseline.
    const Gdiplus::PointF origin(real(std::round(x)), real(std::round(baseline) - ascent));
    const TypographicFormat format;
    native->DrawString(wide.c_str(), static_cast<INT>(wide.size()), face, origin, &format, &brush);
    popClipRect();
}

void CDrawContext::pushClipRect(const CRect& rect)
{
    if (!native)
        return;
    savedStates.push_back(native->Save());
    native->IntersectClip(rectOf(toDevice(rect, scaleFactor)));
}

void CDrawContext::popClipRect()
{
    if (!native || savedStates.empty())
        return;
    native->Restore(savedStates.back());
    savedStates.pop_back();
}

} // namespace VSTGUI
