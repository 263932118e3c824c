#include "gui/menupopup.h"

#include "gui/cdrawcontext.h"
#include "gui/cfont.h"
#include "gui/coptionmenu.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

namespace {

constexpr CCoord kPopupFontSize = 12;
constexpr CCoord kEntryHeight = 18;
constexpr CCoord kSeparatorHeight = 7;
constexpr CCoord kCheckWidth = 18;
constexpr CCoord kRightPadding = 12;
constexpr CCoord kBorder = 1;
constexpr CCoord kCheckStroke = 1.6;

constexpr CColor kPopupBackColor = MakeCColor(30, 33, 38);
constexpr CColor kPopupBorderColor = MakeCColor(86, 96, 110);
constexpr CColor kPopupTextColor = MakeCColor(222, 226, 232);
constexpr CColor kPopupHoverColor = MakeCColor(46, 104, 150);
constexpr CColor kPopupSeparatorColor = MakeCColor(70, 76, 86);
constexpr CColor kPopupCheckColor = MakeCColor(156, 251, 255);
constexpr CColor kPopupColumnRuleColor = MakeCColor(52, 57, 66);
constexpr CColor kPopupTitleColor = MakeCColor(120, 190, 230);
constexpr CColor kPopupDisabledColor = MakeCColor(110, 116, 126);
constexpr CCoord kTitleIndent = 6;

} // namespace

MenuPopup::MenuPopup(COptionMenu* popupMenu, double popupScale)
    : menu(popupMenu), font(new CFontDesc("Arial", kPopupFontSize)),
      titleFont(new CFontDesc("Arial", kPopupFontSize, kBoldFace)), scale(popupScale)
{
    menu->remember();
    layout();
}

MenuPopup::~MenuPopup()
{
    titleFont->forget();
    font->forget();
    menu->forget();
}

void MenuPopup::layout()
{
    const int32_t count = menu->getNbEntries();
    const int32_t perColumn =
        menu->getNbItemsPerColumn() > 0 ? menu->getNbItemsPerColumn() : std::max(1, count);

    // Entries go down a column until it holds perColumn of them or one asks for a new column.
    std::vector<int32_t> columnStarts;
    for (int32_t index = 0; index < count; ++index)
    {
        const bool full = !columnStarts.empty() && index - columnStarts.back() == perColumn;
        if (columnStarts.empty() || full ||
            (menu->getEntry(index)->startsColumn() && index > columnStarts.back()))
            columnStarts.push_back(index);
    }
    if (columnStarts.empty())
        columnStarts.push_back(0);

    entryRects.assign(static_cast<size_t>(count), CRect());
    CCoord left = kBorder;
    CCoord height = 0;
    for (size_t column = 0; column < columnStarts.size(); ++column)
    {
        const int32_t first = columnStarts[column];
        const int32_t last = column + 1 < columnStarts.size() ? columnStarts[column + 1] : count;
        CCoord width = 0;
        for (int32_t index = first; index < last; ++index)
        {
            const CMenuItem* item = menu->getEntry(index);
            if (!item->isSeparator())
                width = std::max(width, std::ceil(measureStringWidth(item->isTitle() ? titleFont : font,
                                                                     item->getTitle().c_str(), scale)));
        }
        width += kCheckWidth + kRightPadding;
        CCoord top = kBorder;
        for (int32_t index = first; index < last; ++index)
        {
            const CCoord entryHeight = menu->getEntry(index)->isSeparator() ? kSeparatorHeight : kEntryHeight;
            entryRects[static_cast<size_t>(index)] = CRect(left, top, left + width, top + entryHeight);
            top += entryHeight;
        }
        columnLefts.push_back(left);
        left += width;
        height = std::max(height, top - kBorder);
    }
    popupSize = CPoint(left + kBorder, std::max(height, kEntryHeight) + 2 * kBorder);
}

CRect MenuPopup::entryRect(int32_t index) const
{
    if (index < 0 || index >= static_cast<int32_t>(entryRects.size()))
        return CRect();
    return entryRects[static_cast<size_t>(index)];
}

int32_t MenuPopup::entryAt(const CPoint& where) const
{
    for (size_t index = 0; index < entryRects.size(); ++index)
        if (entryRects[index].pointInside(where))
            return menu->getEntry(static_cast<int32_t>(index))->isSelectable() ? static_cast<int32_t>(index)
                                                                               : -1;
    return -1;
}

bool MenuPopup::setHovered(int32_t index)
{
    if (index == hovered)
        return false;
    hovered = index;
    return true;
}

void MenuPopup::draw(CDrawContext& context) const
{
    const CRect whole(CPoint(0, 0), popupSize);
    context.setFillColor(kPopupBackColor);
    context.setFrameColor(kPopupBorderColor);
    context.drawRect(whole, kDrawFilledAndStroked);

    for (size_t column = 1; column < columnLefts.size(); ++column)
    {
        context.setFillColor(kPopupColumnRuleColor);
        context.drawRect(CRect(columnLefts[column], kBorder, columnLefts[column] + 1, popupSize.y - kBorder),
                         kDrawFilled);
    }

    const bool checkCurrent = (menu->getStyle() & kCheckStyle) != 0;
    for (int32_t index = 0; index < menu->getNbEntries(); ++index)
    {
        const CMenuItem* item = menu->getEntry(index);
        const CRect rect = entryRect(index);
        if (item->isSeparator())
        {
            const CCoord middle = std::floor(rect.getCenter().y);
            context.setFillColor(kPopupSeparatorColor);
            context.drawRect(CRect(rect.left + 4, middle, rect.right - 4, middle + 1), kDrawFilled);
            continue;
        }
        if (index == hovered)
        {
            context.setFillColor(kPopupHoverColor);
            context.drawRect(CRect(rect).inset(1, 0), kDrawFilled);
        }
        if (checkCurrent && index == menu->getCurrentIndex())
        {
            // A tick drawn as two strokes, so it needs no glyph from the font.
            const CCoord x = rect.left + 5;
            const CCoord y = rect.top + kEntryHeight / 2;
            const CPoint tick[] = {CPoint(x, y), CPoint(x + 3, y + 3), CPoint(x + 9, y - 4)};
            context.setFrameColor(kPopupCheckColor);
            context.drawPolyline(tick, 3, kCheckStroke);
        }
        context.setFont(item->isTitle() ? titleFont : font);
        context.setFontColor(item->isTitle()        ? kPopupTitleColor
                             : item->isSelectable() ? kPopupTextColor
                                                    : kPopupDisabledColor);
        // Titles stand out to the left of the entries they head.
        const CCoord textLeft = item->isTitle() ? rect.left + kTitleIndent : rect.left + kCheckWidth;
        CRect textRect(textLeft, rect.top, rect.right - kRightPadding / 2, rect.bottom);
        context.drawString(item->getTitle().c_str(), textRect, kLeftText, true);
    }
}

} // namespace VSTGUI
