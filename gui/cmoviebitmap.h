// Shows one of N stacked frames of a bitmap according to its value (min: the first, max: the last,
// rounded to the nearest frame between). It takes no input of its own.
#pragma once

#include "gui/ccontrol.h"

namespace VSTGUI {

class CMovieBitmap : public CControl
{
public:
    CMovieBitmap(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                 const CPoint& offset = CPoint(0, 0));
    CMovieBitmap(const CRect& size, CControlListener* listener, int32_t tag, int32_t subPixmaps,
                 CCoord heightOfOneImage, CBitmap* background, const CPoint& offset = CPoint(0, 0));

    int32_t getNumSubPixmaps() const { return subPixmaps; }
    CCoord getHeightOfOneImage() const { return heightOfOneImage; }
    int32_t frameIndexForValue() const;

    void draw(CDrawContext* context) override;
    bool isDirty() const override;

private:
    CPoint offset;
    int32_t subPixmaps;
    CCoord heightOfOneImage;
    int32_t drawnFrame = -1;
};

} // namespace VSTGUI
