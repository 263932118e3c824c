// The editor's layout as data: which control each parameter gets, where, and whether it has a
// caption, for the always-present controls and for each page of the modulation panel, in creation
// order (later entries are drawn above earlier ones); and the bitmaps the controls are drawn from.
// The artwork generator places its panels around the same tables.
#pragma once

#include "source/params/paramids.h"

#include <cstddef>
#include <cstdint>

namespace talvane {

// The ten kinds of control (the numbers are stored per parameter by the editor).
enum ControlStyle : std::int32_t
{
    KnobBlue = 0,
    KnobBlueCenter = 1,
    KnobRed = 2,
    ToggleButton = 3,
    ToggleButtonRelief = 4,
    KickButton = 5,
    ListSmall = 6,
    ListMedium = 7,
    ListLarge = 8,
    Wheel = 9,
};
constexpr int kNumControlStyles = 10;

bool isKnobStyle(ControlStyle style);   // the three knobs and the wheel
bool isListStyle(ControlStyle style);   // the three list boxes
bool isToggleStyle(ControlStyle style); // the two on/off buttons

struct ControlPlacement
{
    ParamId id;
    ControlStyle style;
    // Knobs and wheels: the centre; buttons and list boxes: the top-left corner.
    int x;
    int y;
    bool withLabel;
};

struct LayoutTable
{
    const ControlPlacement* entries;
    std::size_t count;

    const ControlPlacement* begin() const { return entries; }
    const ControlPlacement* end() const { return entries + count; }
};

constexpr int kEditorWidth = 1066;
constexpr int kEditorHeight = 544;

// The modulation panel's pages.
constexpr int kEnvelopePage = 0;
constexpr int kLfoPage = 1;
constexpr int kMatrixPage = 2;
constexpr int kNumPages = 3;

const LayoutTable& alwaysPresentLayout();
// page: kEnvelopePage, kLfoPage or kMatrixPage.
const LayoutTable& pageLayout(int page);

struct BitmapInfo
{
    const char* name;
    int width;
    int height;     // of the whole bitmap
    int frameCount; // frames stacked vertically
    bool hasAlpha;

    int frameHeight() const { return height / frameCount; }
};

// The bitmap each style is drawn from.
const BitmapInfo& controlBitmap(ControlStyle style);
extern const BitmapInfo kBackgroundBitmap;
extern const BitmapInfo kPageSwitcherBitmap;
// All eleven bitmaps of the editor, each once.
constexpr int kNumEditorBitmaps = 11;
extern const BitmapInfo* const kEditorBitmaps[kNumEditorBitmaps];

// The page switcher sits above the modulation panel; its three title zones start at these x
// positions (frame coordinates).
constexpr int kPageSwitcherX = 778;
constexpr int kPageSwitcherY = 141;
constexpr int kPageZoneStarts[kNumPages] = {778, 895, 947};

struct PixelRect
{
    int left;
    int top;
    int right;
    int bottom;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PixelRect& other) const
    {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

// The sound bar in the free space of the header, above the common panel and as wide as it:
// previous and next, the loaded sound's name (which opens the menu of sounds) and save; the line
// that reports on choosing and saving sounds sits to its left.
constexpr PixelRect kSoundBarRect{586, 8, 1056, 34};
constexpr PixelRect kPreviousSoundRect{586, 8, 612, 34};
constexpr PixelRect kNextSoundRect{616, 8, 642, 34};
constexpr PixelRect kSoundNameRect{648, 8, 984, 34};
constexpr PixelRect kSaveSoundRect{990, 8, 1056, 34};
constexpr PixelRect kSoundMessageRect{220, 8, 578, 34};

// The rectangle of a placed control, from its anchor and its bitmap's size.
PixelRect controlRect(const ControlPlacement& placement);
// Whether the control gets a caption label: when asked for, and always for a wheel.
bool hasCaption(const ControlPlacement& placement);
// The caption's rectangle (meaningful where hasCaption), and whether its text is centred.
PixelRect captionRect(const ControlPlacement& placement);
bool captionCentred(const ControlPlacement& placement);

} // namespace talvane
