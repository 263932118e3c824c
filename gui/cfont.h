// Font descriptions: a family name, a pixel size and a style. The face is resolved by the drawing
// library the first time it is drawn with: through fontconfig on Linux, so that "Arial" finds its
// metric-compatible stand-in, and as a GDI+ font of the system's family on Windows.
#pragma once

#include "gui/platform/nativegraphics.h"
#include "gui/vstguibase.h"

#include <string>
#include <utility>
#include <vector>

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

    // The drawing library's face for this description set at `scale` times its size (owned by the
    // font); null if none is found. A cairo face serves every size; GDI+ needs one per size.
    NativeFont* getFontFace(double scale = 1.0) const;
    // What the system chose (fontconfig's file, or the GDI+ family's name), for diagnostics and tests.
    std::string getResolvedFile() const;

private:
    void resolve() const;

    std::string name;
    CCoord size;
    int32_t style;
    mutable NativeFont* face = nullptr;
#ifdef _WIN32
    NativeFont* createScaledFace(double scale) const;
    mutable std::vector<std::pair<double, NativeFont*>> scaledFaces;
#endif
    mutable std::string resolvedFile;
    mutable bool resolved = false;
};

using CFontRef = CFontDesc*;

} // namespace VSTGUI
