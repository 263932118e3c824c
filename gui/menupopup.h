// The pop-up of an option menu: its entries laid out in columns (titles over their groups), drawn
// through a CDrawContext, and the entry under a point. Platform code only shows the surface and
// forwards the mouse. The layout is in frame units, with the text measured as it is set at the
// frame's scale.
#pragma once

#include "gui/cgeometry.h"

#include <vector>

namespace VSTGUI {

class CDrawContext;
class CFontDesc;
class COptionMenu;

class MenuPopup
{
public:
    // Holds a reference to the menu while open.
    explicit MenuPopup(COptionMenu* menu, double scale = 1.0);
    ~MenuPopup();
    MenuPopup(const MenuPopup&) = delete;
    MenuPopup& operator=(const MenuPopup&) = delete;

    COptionMenu* getMenu() const { return menu; }
    CPoint getSize() const { return popupSize; }
    int32_t getNbColumns() const { return static_cast<int32_t>(columnLefts.size()); }

    // Pop-up coordinates; empty for an index out of range.
    CRect entryRect(int32_t index) const;
    // The selectable entry at `where`, or -1 (outside every entry, or one that cannot be chosen).
    int32_t entryAt(const CPoint& where) const;
    // True if the highlighted entry changed.
    bool setHovered(int32_t index);
    int32_t getHovered() const { return hovered; }

    // Pop-up coordinates: (0, 0) is its top-left corner.
    void draw(CDrawContext& context) const;

private:
    void layout();

    COptionMenu* menu;
    CFontDesc* font;
    CFontDesc* titleFont;
    double scale;
    std::vector<CRect> entryRects; // one per entry, pop-up coordinates
    std::vector<CCoord> columnLefts;
    CPoint popupSize;
    int32_t hovered = -1;
};

} // namespace VSTGUI
