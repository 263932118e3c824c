// The drawing library under the GUI layer: cairo on Linux, GDI+ on Windows. Everything above this
// header names only these aliases and functions; each backend implements them, together with
// CDrawContext and CFontDesc, in its own sources (gui/cairo/, gui/gdiplus/).
#pragma once

#include "gui/cgeometry.h"

#include <cstddef>
#include <string>

#ifdef _WIN32
namespace Gdiplus {
class Graphics;
class Bitmap;
class Font;
} // namespace Gdiplus

namespace VSTGUI {
using NativeContext = Gdiplus::Graphics;
using NativeImage = Gdiplus::Bitmap;
using NativeFont = Gdiplus::Font;
} // namespace VSTGUI
#else
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo_font_face cairo_font_face_t;

namespace VSTGUI {
using NativeContext = cairo_t;
using NativeImage = cairo_surface_t;
using NativeFont = cairo_font_face_t;
} // namespace VSTGUI
#endif

namespace VSTGUI {

// An opaque image of `width` x `height` pixels (at least 1 x 1), for back buffers and pop-ups.
NativeImage* createImage(int width, int height);
// An image with an alpha channel, transparent at first, for pictures drawn by code.
NativeImage* createTransparentImage(int width, int height);
// A PNG picture with its alpha channel; null if the bytes are no PNG.
NativeImage* decodePngImage(const unsigned char* data, std::size_t size);
void destroyImage(NativeImage* image);

int getImageWidth(NativeImage* image);
int getImageHeight(NativeImage* image);
// The pixel's colour as it would be shown (opaque); transparent outside the image.
CColor getImagePixel(NativeImage* image, int x, int y);
bool saveImageAsPng(NativeImage* image, const std::string& path);

} // namespace VSTGUI
