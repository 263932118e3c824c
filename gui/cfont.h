// Font descriptions: a family name, a pixel size and a style. The face is resolved through
// fontconfig the first time it is drawn with, so "Arial" finds its metric-compatible stand-in.
#pragma once

#include "gui/vstguibase.h"

#include <string>

typedef struct _cairo_font_face cairo_font_face_t;

namespace VSTGUI {

enum CTxtFace : int32_t
{
    kNormalFace = 0,
    kBoldFace = 1 << 1,
    kItalicFace = 1 << 2,
};

class CFontDesc : public CBaseObject
{
public:
    CFontDesc(UTF8StringPtr name, CCoord size, int32_t style = kNormalFace);
    ~CFontDesc() override;

    const std::string& getName() const { return name; }
    CCoord getSize() const { return size; }
    int32_t getStyle() const { return style; }

    // The cairo face for this description (owned by the font); null if fontconfig finds nothing.
    cairo_font_face_t* getFontFace() const;
    // The file fontconfig chose, for diagnostics and tests.
    std::string getResolvedFile() const;

private:
    void resolve() const;

    std::string name;
    CCoord size;
    int32_t style;
    mutable cairo_font_face_t* face = nullptr;
    mutable std::string resolvedFile;
    mutable bool resolved = false;
};

using CFontRef = CFontDesc*;

} // namespace VSTGUI
