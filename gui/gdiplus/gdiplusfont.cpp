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
    // The scaled faces live within the GDI+ session that the face at 100 % holds.
    for (const auto& [scale, scaled] : scaledFaces)
        delete scaled;
    if (face)
    {
        delete face;
        gdiplus::release();
    }
}

NativeFont* CFontDesc::getFontFace(double scale) const
{
    if (!resolved)
        resolve();
    if (!face || scale == 1.0 || !(scale > 0))
        return face;
    for (const auto& [known, scaled] : scaledFaces)
        if (known == scale)
            return scaled;
    NativeFont* scaled = createScaledFace(scale);
    if (scaled)
        scaledFaces.emplace_back(scale, scaled);
    return scaled;
}

NativeFont* CFontDesc::createScaledFace(double scale) const
{
    // The family the face at 100 % resolved to, stand-ins included.
    Gdiplus::FontFamily family;
    if (face->GetFamily(&family) != Gdiplus::Ok)
        return nullptr;
    auto* scaled = new Gdiplus::Font(&family, static_cast<Gdiplus::REAL>(size * scale), gdiplusStyleOf(style),
                                     Gdiplus::UnitPixel);
    if (scaled->GetLastStatus() != Gdiplus::Ok)
    {
        delete scaled;
        return nullptr;
    }
    return scaled;
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
