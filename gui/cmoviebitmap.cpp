#include "gui/cmoviebitmap.h"

#include "gui/cbitmap.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

CMovieBitmap::CMovieBitmap(const CRect& size, CControlListener* bitmapListener, int32_t bitmapTag,
                           CBitmap* bitmap, const CPoint& bitmapOffset)
    : CMovieBitmap(
          size, bitmapListener, bitmapTag,
          bitmap && size.getHeight() > 0 ? static_cast<int32_t>(bitmap->getHeight() / size.getHeight()) : 1,
          size.getHeight(), bitmap, bitmapOffset)
{}

CMovieBitmap::CMovieBitmap(const CRect& size, CControlListener* bitmapListener, int32_t bitmapTag,
                           int32_t frameCount, CCoord imageHeight, CBitmap* bitmap,
                           const CPoint& bitmapOffset)
    : CControl(size, bitmapListener, bitmapTag, bitmap), offset(bitmapOffset),
      subPixmaps(std::max(1, frameCount)), heightOfOneImage(imageHeight)
{}

int32_t CMovieBitmap::frameIndexForValue() const
{
    const float position = getValueNormalized() * static_cast<float>(subPixmaps - 1);
    return std::clamp(static_cast<int32_t>(std::floor(position + 0.5f)), 0, subPixmaps - 1);
}

void CMovieBitmap::draw(CDrawContext* context)
{
    drawnFrame = frameIndexForValue();
    if (background)
        background->draw(context, size, CPoint(offset.x, offset.y + drawnFrame * heightOfOneImage));
    setDirty(false);
}

bool CMovieBitmap::isDirty() const
{
    return CView::isDirty() || frameIndexForValue() != drawnFrame;
}

} // namespace VSTGUI
