#include "gui/vectorpicture.h"

#include <cmath>

namespace VSTGUI {

namespace {

// Products such as 50 x 1.1 land a hair above the whole number they stand for.
constexpr double kExtentTolerance = 1e-9;

NativeImage* createPictureImage(const VectorPicture& picture, int width, int height)
{
    return picture.opaque ? createImage(width, height) : createTransparentImage(width, height);
}

} // namespace

int scaledPictureExtent(int extent, double scale)
{
    return static_cast<int>(std::ceil(extent * scale - kExtentTolerance));
}

NativeImage* renderVectorFrame(const VectorPicture& picture, int frame, double scale)
{
    NativeImage* image = createPictureImage(picture, scaledPictureExtent(picture.width, scale),
                                            scaledPictureExtent(picture.frameHeight, scale));
    if (!image)
        return nullptr;
    std::unique_ptr<VectorPainter> painter = createVectorPainter(image);
    if (!painter)
    {
        destroyImage(image);
        return nullptr;
    }
    painter->scale(scale);
    picture.paintFrame(*painter, frame);
    return image;
}

NativeImage* renderVectorStrip(const VectorPicture& picture)
{
    NativeImage* image = createPictureImage(picture, picture.width, picture.frameHeight * picture.frameCount);
    if (!image)
        return nullptr;
    std::unique_ptr<VectorPainter> painter = createVectorPainter(image);
    if (!painter)
    {
        destroyImage(image);
        return nullptr;
    }
    for (int frame = 0; frame < picture.frameCount; ++frame)
    {
        painter->save();
        painter->translate(0, frame * picture.frameHeight);
        painter->clipRect(0, 0, picture.width, picture.frameHeight);
        picture.paintFrame(*painter, frame);
        painter->restore();
    }
    return image;
}

} // namespace VSTGUI
