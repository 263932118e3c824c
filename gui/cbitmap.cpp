#include "gui/cbitmap.h"

#include "gui/cdrawcontext.h"
#include "gui/resources.h"
#include "gui/vectorpicture.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

namespace {
// Frame offsets are whole multiples of the frame height; this guards the division against a value
// a hair below one.
constexpr double kFrameTolerance = 1e-6;
} // namespace

CBitmap::CBitmap(const CResourceDescription& description)
{
    const EmbeddedResource* resource = findEmbeddedResource(description.getName());
    if (!resource)
        return;
    surface = decodePngImage(resource->data, resource->size);
    if (!surface)
        return;
    width = getImageWidth(surface);
    height = getImageHeight(surface);
    // Only a picture that matches the embedded one stands in for it at other scales.
    const VectorPicture* drawing = resource->picture;
    if (drawing && drawing->paintFrame && drawing->width == width &&
        drawing->frameHeight * drawing->frameCount == height)
        picture = drawing;
}

CBitmap::~CBitmap()
{
    dropScaledFrames();
    destroyImage(surface);
}

void CBitmap::dropScaledFrames()
{
    for (NativeImage* image : scaledFrames)
        destroyImage(image);
    scaledFrames.clear();
    scaledFramesScale = 0;
}

NativeImage* CBitmap::getScaledFrame(int32_t frame, double scale)
{
    if (!picture || frame < 0 || frame >= picture->frameCount || !(scale > 0))
        return nullptr;
    // One scale at a time: an editor shows all its bitmaps at its frame's scale.
    if (scale != scaledFramesScale)
    {
        dropScaledFrames();
        scaledFrames.assign(static_cast<size_t>(picture->frameCount), nullptr);
        scaledFramesScale = scale;
    }
    NativeImage*& image = scaledFrames[static_cast<size_t>(frame)];
    if (!image)
        image = renderVectorFrame(*picture, frame, scale);
    return image;
}

void CBitmap::draw(CDrawContext* context, const CRect& destination, const CPoint& offset, float alpha)
{
    if (!surface || !context)
        return;
    const double scale = context->getScaleFactor();
    if (scale == 1.0 || !picture)
    {
        context->drawImage(surface, destination, offset, noAlpha, alpha);
        return;
    }
    const int32_t frame =
        std::clamp(static_cast<int32_t>(std::floor(offset.y / picture->frameHeight + kFrameTolerance)), 0,
                   picture->frameCount - 1);
    const CPoint withinFrame(offset.x, offset.y - frame * picture->frameHeight);
    if (NativeImage* image = getScaledFrame(frame, scale))
        context->drawImage(image, destination,
                           CPoint(toDevice(withinFrame.x, scale), toDevice(withinFrame.y, scale)), noAlpha,
                           alpha);
}

} // namespace VSTGUI
