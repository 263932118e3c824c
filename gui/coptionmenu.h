// A list box: shows its current entry over a background bitmap and, when clicked, pops up its
// entries (in columns of a chosen height); choosing one makes it current and the control's value,
// as one edit.
#pragma once

#include "gui/cparamdisplay.h"

#include <memory>
#include <string>
#include <vector>

namespace VSTGUI {

class CMenuItem
{
public:
    enum Flags : int32_t
    {
        kNoFlags = 0,
        kDisabled = 1 << 0,
        kTitle = 1 << 2, // a heading over the entries that follow it; never chosen
        kSeparator = 1 << 3,
        kColumnBreak = 1 << 4, // the entry starts a new column of the pop-up
    };

    CMenuItem(UTF8StringPtr title, int32_t flags);

    const std::string& getTitle() const { return title; }
    int32_t getFlags() const { return flags; }
    bool isSeparator() const { return (flags & kSeparator) != 0; }
    bool isTitle() const { return (flags & kTitle) != 0; }
    bool startsColumn() const { return (flags & kColumnBreak) != 0; }
    // Separators, titles and disabled entries cannot be chosen or made current.
    bool isSelectable() const { return (flags & (kSeparator | kTitle | kDisabled)) == 0; }

private:
    std::string title;
    int32_t flags;
};

// Styles of the option menu.
enum COptionMenuStyle : int32_t
{
    // The pop-up opens over the control rather than below it.
    kPopupStyle = 1 << 0,
    // The pop-up marks the current entry with a check.
    kCheckStyle = 1 << 10,
    // The pop-up moves left as far as it takes to stay inside the frame, if it is not wider.
    kPopupInFrameStyle = 1 << 11,
};

class COptionMenu : public CParamDisplay
{
public:
    COptionMenu(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background = nullptr,
                CBitmap* backgroundWhenClicked = nullptr, int32_t style = 0);
    ~COptionMenu() override;

    // Appends (index -1) or inserts an entry; an entry titled exactly "-" is a separator.
    CMenuItem* addEntry(UTF8StringPtr title, int32_t index = -1, int32_t flags = CMenuItem::kNoFlags);
    void removeAllEntry();
    int32_t getNbEntries() const { return static_cast<int32_t>(entries.size()); }
    CMenuItem* getEntry(int32_t index) const;

    // The entry shown in the box and checked in the pop-up. Entries that cannot be chosen cannot be
    // current either.
    bool setCurrent(int32_t index, bool countSeparator = true);
    int32_t getCurrentIndex() const { return currentIndex; }
    CMenuItem* getCurrent() const { return getEntry(currentIndex); }

    // Entries per pop-up column; -1 puts them all in one column. An entry flagged kColumnBreak
    // starts a new column as well.
    void setNbItemsPerColumn(int32_t count) { itemsPerColumn = count; }
    int32_t getNbItemsPerColumn() const { return itemsPerColumn; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

    // From the frame when the pop-up closes: the chosen entry, or -1 when it was dismissed.
    void popupFinished(int32_t chosenIndex);

private:
    void updateRange();

    std::vector<std::unique_ptr<CMenuItem>> entries;
    CBitmap* backgroundWhenClicked;
    int32_t currentIndex = -1;
    int32_t itemsPerColumn = -1;
    bool inPopup = false;
};

} // namespace VSTGUI
