// Bitmaps loaded by resource name from the PNG resources embedded in the binary. A bitmap with
// several frames has them stacked vertically, frame 0 at the top; controls pick a frame by offset.
//
// The embedded picture is the bitmap at 100 %. A bitmap that comes with the picture it was painted
// from draws itself at any other scale by painting that picture afresh at the scale, one frame at
// a time as frames are first shown, so it stays as sharp as at 100 %; a bitmap without one is
// drawn pixel for pixel, never stretched.
#pragma once

#include "gui/cgeometry.h"
#include "gui/platform/nativegraphics.h"

#include <vector>

namespace VSTGUI {

class CDrawContext;
struct VectorPicture;

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
    // In frame coordinates (the picture's pixels at 100 %).
    CCoord getWidth() const { return width; }
    CCoord getHeight() const { return height; }

    // An opaque bitmap is copied as it is, without blending with what lies beneath.
    void setNoAlpha(bool state) { noAlpha = state; }
    bool getNoAlpha() const { return noAlpha; }

    // Draws the part of the bitmap that starts at `offset` into `destination` (frame coordinates),
    // at the context's scale.
    void draw(CDrawContext* context, const CRect& destination, const CPoint& offset = CPoint(0, 0),
              float alpha = 1.f);

    // The decoded picture at 100 %, in the drawing library's own form.
    NativeImage* getSurface() const { return surface; }
    // Whether the bitmap can be painted at other scales.
    bool isScalable() const { return picture != nullptr; }
    // One frame painted at `scale` (kept until the bitmap is drawn at another scale); null for a
    // bitmap that cannot be painted or a frame out of range.
    NativeImage* getScaledFrame(int32_t frame, double scale);

private:
    void dropScaledFrames();

    NativeImage* surface = nullptr;
    const VectorPicture* picture = nullptr;
    CCoord width = 0;
    CCoord height = 0;
    bool noAlpha = false;
    double scaledFramesScale = 0;
    std::vector<NativeImage*> scaledFrames;
};

} // namespace VSTGUI
