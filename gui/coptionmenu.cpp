#include "gui/coptionmenu.h"

#include "gui/cbitmap.h"
#include "gui/cframe.h"

#include <algorithm>
#include <cstring>

namespace VSTGUI {

namespace {
constexpr const char* kSeparatorTitle = "-";
} // namespace

CMenuItem::CMenuItem(UTF8StringPtr itemTitle, int32_t itemFlags)
    : title(itemTitle ? itemTitle : ""), flags(itemFlags)
{
    if (title == kSeparatorTitle)
        flags |= kSeparator;
}

COptionMenu::COptionMenu(const CRect& size, CControlListener* menuListener, int32_t menuTag, CBitmap* bitmap,
                         CBitmap* bitmapWhenClicked, int32_t menuStyle)
    : CParamDisplay(size, bitmap, menuStyle), backgroundWhenClicked(bitmapWhenClicked)
{
    setListener(menuListener);
    setTag(menuTag);
    if (backgroundWhenClicked)
        backgroundWhenClicked->remember();
    updateRange();
}

COptionMenu::~COptionMenu()
{
    if (backgroundWhenClicked)
        backgroundWhenClicked->forget();
}

CMenuItem* COptionMenu::addEntry(UTF8StringPtr title, int32_t index, int32_t flags)
{
    auto item = std::make_unique<CMenuItem>(title, flags);
    CMenuItem* added = item.get();
    if (index < 0 || index >= getNbEntries())
        entries.push_back(std::move(item));
    else
        entries.insert(entries.begin() + index, std::move(item));
    updateRange();
    return added;
}

void COptionMenu::removeAllEntry()
{
    entries.clear();
    currentIndex = -1;
    updateRange();
    setDirty();
}

CMenuItem* COptionMenu::getEntry(int32_t index) const
{
    if (index < 0 || index >= getNbEntries())
        return nullptr;
    return entries[static_cast<size_t>(index)].get();
}

void COptionMenu::updateRange()
{
    // The value is an entry index.
    setMin(0.f);
    setMax(static_cast<float>(std::max(0, getNbEntries() - 1)));
    bounceValue();
}

bool COptionMenu::setCurrent(int32_t index, bool countSeparator)
{
    if (!countSeparator)
    {
        // Count only the entries that are not separators.
        int32_t position = 0;
        for (int32_t i = 0; i < getNbEntries(); ++i)
        {
            if (entries[static_cast<size_t>(i)]->isSeparator())
                continue;
            if (position++ == index)
                return setCurrent(i, true);
        }
        return false;
    }
    const CMenuItem* item = getEntry(index);
    if (!item || !item->isSelectable())
        return false;
    currentIndex = index;
    setDirty();
    return true;
}

void COptionMenu::draw(CDrawContext* context)
{
    if (inPopup && backgroundWhenClicked)
        backgroundWhenClicked->draw(context, size);
    else
        drawBack(context);
    if (const CMenuItem* item = getCurrent())
        drawText(context, item->getTitle().c_str());
    setDirty(false);
}

CMouseEventResult COptionMenu::onMouseDown(CPoint& /*where*/, const CButtonState& buttons)
{
    if (!(buttons & (kLButton | kRButton | kApple)) || !frame || frame->isPopupOpen())
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    inPopup = true;
    setDirty();
    if (!frame->openPopup(this))
        popupFinished(-1);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void COptionMenu::popupFinished(int32_t chosenIndex)
{
    inPopup = false;
    setDirty();
    // The choice is the edit: browsing the entries, or dismissing them, edits nothing.
    if (chosenIndex >= 0 && setCurrent(chosenIndex))
    {
        beginEdit();
        setValue(static_cast<float>(chosenIndex));
        valueChanged();
        endEdit();
    }
}

} // namespace VSTGUI
