#include "gui/cfont.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

namespace VSTGUI {

CFontDesc::CFontDesc(UTF8StringPtr fontName, CCoord fontSize, int32_t fontStyle)
    : name(fontName ? fontName : ""), size(fontSize), style(fontStyle)
{}

CFontDesc::~CFontDesc()
{
    if (face)
        cairo_font_face_destroy(face);
}

cairo_font_face_t* CFontDesc::getFontFace(double /*scale*/) const
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
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, size);
    FcPatternAddInteger(pattern, FC_WEIGHT, (style & kBoldFace) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, (style & kItalicFace) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
        resolvedFile = reinterpret_cast<const char*>(file);
    face = cairo_ft_font_face_create_for_pattern(match);
    FcPatternDestroy(match);
    if (face && cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS)
    {
        cairo_font_face_destroy(face);
        face = nullptr;
    }
}

} // namespace VSTGUI
