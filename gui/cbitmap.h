// Bitmaps loaded by resource name from the PNG resources embedded in the binary. A bitmap with
// several frames has them stacked vertically, frame 0 at the top; controls pick a frame by offset.
#pragma once

#include "gui/cgeometry.h"
#include "gui/platform/nativegraphics.h"

namespace VSTGUI {

class CDrawContext;

class CResourceDescription
{
public:
    CResourceDescription(UTF8StringPtr resourceName) : name(resourceName) {}
    UTF8StringPtr getName() const { return name; }

private:
    UTF8StringPtr name;
};

class CBitmap : public CBaseObject
{
public:
    explicit CBitmap(const CResourceDescription& description);
    ~CBitmap() override;

    bool isLoaded() const { return surface != nullptr; }
    CCoord getWidth() const { return width; }
    CCoord getHeight() const { return height; }

    // An opaque bitmap is copied as it is, without blending with what lies beneath.
    void setNoAlpha(bool state) { noAlpha = state; }
    bool getNoAlpha() const { return noAlpha; }

    // Draws the part of the bitmap that starts at `offset` into `destination`.
    void draw(CDrawContext* context, const CRect& destination, const CPoint& offset = CPoint(0, 0),
              float alpha = 1.f);

    // The decoded picture, in the drawing library's own form.
    NativeImage* getSurface() const { return surface; }

private:
    NativeImage* surface = nullptr;
    CCoord width = 0;
    CCoord height = 0;
    bool noAlpha = false;
};

} // namespace VSTGUI
