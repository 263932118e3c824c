// Images for the GDI+ backend: GDI+ bitmaps, 32-bit RGB for back buffers and 32-bit premultiplied
// ARGB for pictures decoded from the embedded PNG bytes.
#include "gui/cgeometry.h"
#include "gui/gdiplus/gdiplussession.h"
#include "gui/platform/nativegraphics.h"

#include <shlwapi.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace VSTGUI {

namespace gdiplus {

namespace {

ULONG_PTR sessionToken = 0;
int sessionUsers = 0;

} // namespace

bool acquire()
{
    if (sessionUsers == 0)
    {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&sessionToken, &input, nullptr) != Gdiplus::Ok)
            return false;
    }
    ++sessionUsers;
    return true;
}

void release()
{
    if (sessionUsers == 0)
        return;
    if (--sessionUsers == 0)
    {
        Gdiplus::GdiplusShutdown(sessionToken);
        sessionToken = 0;
    }
}

std::wstring widen(const char* utf8)
{
    if (!utf8 || !*utf8)
        return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (length <= 1)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return wide;
}

} // namespace gdiplus

namespace {

// A bitmap made from a stream reads that stream whenever GDI+ pleases; a copy in memory of our own
// lets the stream go at once.
Gdiplus::Bitmap* copyOf(Gdiplus::Bitmap& decoded)
{
    const int width = static_cast<int>(decoded.GetWidth());
    const int height = static_cast<int>(decoded.GetHeight());
    auto* copy = new Gdiplus::Bitmap(width, height, PixelFormat32bppPARGB);
    if (copy->GetLastStatus() != Gdiplus::Ok)
    {
        delete copy;
        return nullptr;
    }
    Gdiplus::Graphics graphics(copy);
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.DrawImage(&decoded, Gdiplus::Rect(0, 0, width, height), 0, 0, width, height, Gdiplus::UnitPixel);
    return copy;
}

bool findPngEncoder(CLSID& encoder)
{
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
        return false;
    std::vector<unsigned char> storage(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(storage.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i)
        if (codecs[i].MimeType && lstrcmpiW(codecs[i].MimeType, L"image/png") == 0)
        {
            encoder = codecs[i].Clsid;
            return true;
        }
    return false;
}

} // namespace

namespace {

// A new bitmap's pixels are undefined; it starts from `background`, as a fresh cairo image does
// from black (opaque) or transparent black.
NativeImage* createClearedImage(int width, int height, Gdiplus::PixelFormat format,
                                const Gdiplus::Color& background)
{
    if (!gdiplus::acquire())
        return nullptr;
    auto* image = new Gdiplus::Bitmap(std::max(1, width), std::max(1, height), format);
    if (image->GetLastStatus() != Gdiplus::Ok)
    {
        delete image;
        gdiplus::release();
        return nullptr;
    }
    {
        Gdiplus::Graphics graphics(image);
        graphics.Clear(background);
    }
    return image;
}

} // namespace

NativeImage* createImage(int width, int height)
{
    return createClearedImage(width, height, PixelFormat32bppRGB, Gdiplus::Color(255, 0, 0, 0));
}

NativeImage* createTransparentImage(int width, int height)
{
    return createClearedImage(width, height, PixelFormat32bppPARGB, Gdiplus::Color(0, 0, 0, 0));
}

NativeImage* decodePngImage(const unsigned char* data, std::size_t size)
{
    if (!data || size == 0 || size > UINT_MAX || !gdiplus::acquire())
        return nullptr;
    Gdiplus::Bitmap* image = nullptr;
    if (IStream* stream = SHCreateMemStream(data, static_cast<UINT>(size)))
    {
        Gdiplus::Bitmap decoded(stream);
        if (decoded.GetLastStatus() == Gdiplus::Ok)
            image = copyOf(decoded);
        stream->Release();
    }
    if (!image)
        gdiplus::release();
    return image;
}

void destroyImage(NativeImage* image)
{
    if (!image)
        return;
    delete image;
    gdiplus::release();
}

int getImageWidth(NativeImage* image)
{
    return image ? static_cast<int>(image->GetWidth()) : 0;
}

int getImageHeight(NativeImage* image)
{
    return image ? static_cast<int>(image->GetHeight()) : 0;
}

CColor getImagePixel(NativeImage* image, int x, int y)
{
    if (!image || x < 0 || y < 0 || x >= getImageWidth(image) || y >= getImageHeight(image))
        return kTransparentCColor;
    Gdiplus::Color color;
    if (image->GetPixel(x, y, &color) != Gdiplus::Ok)
        return kTransparentCColor;
    return MakeCColor(color.GetRed(), color.GetGreen(), color.GetBlue());
}

bool saveImageAsPng(NativeImage* image, const std::string& path)
{
    CLSID encoder;
    if (!image || !findPngEncoder(encoder))
        return false;
    const std::wstring widePath = gdiplus::widen(path.c_str());
    return image->Save(widePath.c_str(), &encoder, nullptr) == Gdiplus::Ok;
}

} // namespace VSTGUI
