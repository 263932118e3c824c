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

} // namespace

MenuPopup::MenuPopup(COptionMenu* popupMenu, double popupScale)
    : menu(popupMenu), font(new CFontDesc("Arial", kPopupFontSize)), scale(popupScale)
{
    menu->remember();
    layout();
}

MenuPopup::~MenuPopup()
{
    font->forget();
    menu->forget();
}

void MenuPopup::layout()
{
    const int32_t count = menu->getNbEntries();
    perColumn = menu->getNbItemsPerColumn() > 0 ? menu->getNbItemsPerColumn() : std::max(1, count);
    const int32_t columns = std::max(1, (count + perColumn - 1) / perColumn);

    CCoord left = kBorder;
    CCoord height = 0;
    for (int32_t column = 0; column < columns; ++column)
    {
        CCoord width = 0;
        CCoord columnHeight = 0;
        for (int32_t row = 0; row < perColumn; ++row)
        {
            const CMenuItem* item = menu->getEntry(column * perColumn + row);
            if (!item)
                break;
            columnHeight += item->isSeparator() ? kSeparatorHeight : kEntryHeight;
            if (!item->isSeparator())
                width = std::max(width, std::ceil(measureStringWidth(font, item->getTitle().c_str(), scale)));
        }
        width += kCheckWidth + kRightPadding;
        columnLefts.push_back(left);
        columnWidths.push_back(width);
        left += width;
        height = std::max(height, columnHeight);
    }
    popupSize = CPoint(left + kBorder, std::max(height, kEntryHeight) + 2 * kBorder);
}

CRect MenuPopup::entryRect(int32_t index) const
{
    if (index < 0 || index >= menu->getNbEntries())
        return CRect();
    const int32_t column = index / perColumn;
    CCoord top = kBorder;
    for (int32_t i = column * perColumn; i < index; ++i)
        top += menu->getEntry(i)->isSeparator() ? kSeparatorHeight : kEntryHeight;
    const CCoord height = menu->getEntry(index)->isSeparator() ? kSeparatorHeight : kEntryHeight;
    const CCoord left = columnLefts[static_cast<size_t>(column)];
    return CRect(left, top, left + columnWidths[static_cast<size_t>(column)], top + height);
}

int32_t MenuPopup::entryAt(const CPoint& where) const
{
    for (size_t column = 0; column < columnLefts.size(); ++column)
    {
        if (where.x < columnLefts[column] || where.x >= columnLefts[column] + columnWidths[column])
            continue;
        const int32_t first = static_cast<int32_t>(column) * perColumn;
        const int32_t last = std::min(first + perColumn, menu->getNbEntries());
        for (int32_t index = first; index < last; ++index)
            if (entryRect(index).pointInside(where))
                return menu->getEntry(index)->isSeparator() ? -1 : index;
    }
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

    context.setFont(font);
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
        context.setFontColor(kPopupTextColor);
        CRect textRect(rect.left + kCheckWidth, rect.top, rect.right - kRightPadding / 2, rect.bottom);
        context.drawString(item->getTitle().c_str(), textRect, kLeftText, true);
    }
}

} // namespace VSTGUI
