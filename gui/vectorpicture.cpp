#include "gui/vectorpicture.h"

#include <cmath>

namespace VSTGUI {

namespace {

// Products such as 50 x 1.1 land a hair above the whole number they stand for.
constexpr double kExtentTolerance = 1e-9;

// A new image of the picture's kind, painted by `paint`; null if either cannot be made.
template <typename Paint>
NativeImage* paintedImage(const VectorPicture& picture, int width, int height, Paint paint)
{
    NativeImage* image = picture.opaque ? createImage(width, height) : createTransparentImage(width, height);
    if (!image)
        return nullptr;
    std::unique_ptr<VectorPainter> painter = createVectorPainter(image);
    if (!painter)
    {
        destroyImage(image);
        return nullptr;
    }
    paint(*painter);
    return image;
}

} // namespace

int scaledPictureExtent(int extent, double scale)
{
    return static_cast<int>(std::ceil(extent * scale - kExtentTolerance));
}

NativeImage* renderVectorFrame(const VectorPicture& picture, int frame, double scale)
{
    return paintedImage(picture, scaledPictureExtent(picture.width, scale),
                        scaledPictureExtent(picture.frameHeight, scale), [&](VectorPainter& painter) {
                            painter.scale(scale);
                            picture.paintFrame(painter, frame);
                        });
}

NativeImage* renderVectorStrip(const VectorPicture& picture)
{
    return paintedImage(picture, picture.width, picture.frameHeight * picture.frameCount,
                        [&](VectorPainter& painter) {
                            for (int frame = 0; frame < picture.frameCount; ++frame)
                            {
                                painter.save();
                                painter.translate(0, frame * picture.frameHeight);
                                painter.clipRect(0, 0, picture.width, picture.frameHeight);
                                picture.paintFrame(painter, frame);
                                painter.restore();
                            }
                        });
}

} // namespace VSTGUI
