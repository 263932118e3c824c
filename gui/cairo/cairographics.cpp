// Images for the cairo backend: cairo image surfaces, RGB24 for back buffers and ARGB32 for
// pictures with alpha.
#include "gui/platform/nativegraphics.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

namespace VSTGUI {

namespace {

constexpr unsigned kByteMask = 0xff;
constexpr int kRedShift = 16;
constexpr int kGreenShift = 8;

struct MemoryReader
{
    const unsigned char* data;
    std::size_t size;
    std::size_t position;
};

cairo_status_t readFromMemory(void* closure, unsigned char* buffer, unsigned int length)
{
    auto* reader = static_cast<MemoryReader*>(closure);
    if (length > reader->size - reader->position)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(buffer, reader->data + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

NativeImage* createImage(int width, int height)
{
    return cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(1, width), std::max(1, height));
}

NativeImage* createTransparentImage(int width, int height)
{
    return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(1, width), std::max(1, height));
}

NativeImage* decodePngImage(const unsigned char* data, std::size_t size)
{
    if (!data)
        return nullptr;
    MemoryReader reader{data, size, 0};
    cairo_surface_t* loaded = cairo_image_surface_create_from_png_stream(readFromMemory, &reader);
    if (cairo_surface_status(loaded) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(loaded);
        return nullptr;
    }
    return loaded;
}

void destroyImage(NativeImage* image)
{
    if (image)
        cairo_surface_destroy(image);
}

int getImageWidth(NativeImage* image)
{
    return image ? cairo_image_surface_get_width(image) : 0;
}

int getImageHeight(NativeImage* image)
{
    return image ? cairo_image_surface_get_height(image) : 0;
}

CColor getImagePixel(NativeImage* image, int x, int y)
{
    if (!image || x < 0 || y < 0 || x >= getImageWidth(image) || y >= getImageHeight(image))
        return kTransparentCColor;
    cairo_surface_flush(image);
    const unsigned char* row = cairo_image_surface_get_data(image) +
                               static_cast<std::size_t>(y) * static_cast<std::size_t>(cairo_image_surface_get_stride(image));
    const uint32_t pixel = reinterpret_cast<const uint32_t*>(row)[x];
    return MakeCColor(static_cast<uint8_t>((pixel >> kRedShift) & kByteMask),
                      static_cast<uint8_t>((pixel >> kGreenShift) & kByteMask),
                      static_cast<uint8_t>(pixel & kByteMask));
}

bool saveImageAsPng(NativeImage* image, const std::string& path)
{
    return image && cairo_surface_write_to_png(image, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace VSTGUI
