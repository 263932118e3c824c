// Font descriptions for the GDI+ backend: a GDI+ font of the named family at the size in pixels,
// or of a stand-in where the named one is not installed.
#include "gui/cfont.h"

#include "gui/gdiplus/gdiplussession.h"

namespace VSTGUI {

namespace {

constexpr const wchar_t* kStandInFamily = L"Liberation Sans";

int gdiplusStyleOf(int32_t style)
{
    int gdiplusStyle = Gdiplus::FontStyleRegular;
    if (style & kBoldFace)
        gdiplusStyle |= Gdiplus::FontStyleBold;
    if (style & kItalicFace)
        gdiplusStyle |= Gdiplus::FontStyleItalic;
    return gdiplusStyle;
}

} // namespace

CFontDesc::CFontDesc(UTF8StringPtr fontName, CCoord fontSize, int32_t fontStyle)
    : name(fontName ? fontName : ""), size(fontSize), style(fontStyle)
{}

CFontDesc::~CFontDesc()
{
    if (face)
    {
        delete face;
        gdiplus::release();
    }
}

NativeFont* CFontDesc::getFontFace() const
{
    if (!resolved)
        resolve();
    return face;
}

std::string CFontDesc::getResolvedFile() const
{
    if (!resolved)
        resolve();
    return resolvedFile;
}

void CFontDesc::resolve() const
{
    resolved = true;
    if (!gdiplus::acquire())
        return;
    const std::wstring family = gdiplus::widen(name.c_str());
    const auto emSize = static_cast<Gdiplus::REAL>(size);
    auto* font = new Gdiplus::Font(family.c_str(), emSize, gdiplusStyleOf(style), Gdiplus::UnitPixel);
    // Where the family is not installed (Wine has no Arial), its metric-compatible stand-in, as
    // fontconfig chooses on Linux; then the system's sans-serif.
    if (font->GetLastStatus() != Gdiplus::Ok)
    {
        delete font;
        font = new Gdiplus::Font(kStandInFamily, emSize, gdiplusStyleOf(style), Gdiplus::UnitPixel);
    }
    if (font->GetLastStatus() != Gdiplus::Ok)
    {
        delete font;
        font = new Gdiplus::Font(Gdiplus::FontFamily::GenericSansSerif(), emSize, gdiplusStyleOf(style),
                                 Gdiplus::UnitPixel);
    }
    if (font->GetLastStatus() != Gdiplus::Ok)
    {
        delete font;
        gdiplus::release();
        return;
    }
    Gdiplus::FontFamily chosen;
    WCHAR familyName[LF_FACESIZE] = {};
    if (font->GetFamily(&chosen) == Gdiplus::Ok && chosen.GetFamilyName(familyName) == Gdiplus::Ok)
    {
        char narrow[LF_FACESIZE * 4] = {};
        WideCharToMultiByte(CP_UTF8, 0, familyName, -1, narrow, sizeof narrow, nullptr, nullptr);
        resolvedFile = narrow;
    }
    face = font;
}

} // namespace VSTGUI
