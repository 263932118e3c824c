#include "source/editor/editorlayout.h"

#include <gtest/gtest.h>

#include <set>

using namespace talvane;

namespace {

struct ExpectedRow
{
    int page; // -1: always present
    ParamId id;
    PixelRect control;
    bool caption;
    PixelRect captionArea;
};

// Rows as the editor's drawing shows them: the rectangles follow from anchors and bitmap sizes.
const ExpectedRow kSamples[] = {
    {-1, 0, {639, 70, 689, 120}, true, {639, 120, 689, 129}},     // GlobalVolume
    {-1, 57, {747, 89, 775, 105}, true, {747, 108, 827, 117}},    // NoteMode
    {-1, 60, {844, 72, 860, 115}, true, {844, 120, 894, 129}},    // PitchBend
    {-1, 61, {884, 70, 934, 120}, true, {884, 120, 934, 129}},    // PB_Up
    {-1, 62, {934, 70, 984, 120}, true, {934, 120, 984, 129}},    // PB_Down
    {-1, 59, {994, 72, 1010, 115}, true, {994, 120, 1044, 129}},  // ModWheel
    {-1, 2, {33, 458, 83, 508}, true, {33, 508, 83, 517}},        // A_Attack
    {-1, 6, {281, 460, 310, 479}, false, {0, 0, 0, 0}},           // F_On
    {-1, 64, {696, 458, 746, 508}, true, {696, 508, 746, 517}},   // KeyFollow
    {-1, 66, {665, 461, 693, 477}, false, {0, 0, 0, 0}},          // RefNote
    {-1, 15, {51, 179, 80, 198}, true, {80, 179, 131, 198}},      // O1_On
    {-1, 18, {395, 176, 445, 226}, true, {395, 226, 445, 235}},   // O1_PhaseInit
    {-1, 23, {446, 176, 496, 226}, true, {446, 226, 496, 235}},   // O1_WaveStrech
    {-1, 27, {51, 283, 129, 307}, false, {0, 0, 0, 0}},           // O2_Waveform
    {-1, 48, {589, 176, 639, 226}, true, {589, 226, 639, 235}},   // O1_Mix
    {-1, 49, {589, 257, 639, 307}, true, {589, 307, 639, 316}},   // O2_Mix
    {-1, 50, {589, 337, 639, 387}, true, {589, 387, 639, 396}},   // O3_Mix
    {0, 99, {834, 187, 884, 237}, true, {834, 237, 884, 246}},    // ENV1_Attack
    {0, 103, {841, 311, 880, 327}, false, {0, 0, 0, 0}},          // ENV1_Dest1
    {0, 104, {834, 259, 884, 309}, false, {0, 0, 0, 0}},          // ENV1_Amount1
    {0, 97, {784, 259, 834, 309}, true, {784, 309, 834, 318}},    // ENV1_Amount
    {0, 98, {788, 232, 827, 248}, false, {0, 0, 0, 0}},           // ENV1_Type
    {0, 112, {788, 412, 827, 428}, false, {0, 0, 0, 0}},          // ENV2_Type
    {1, 67, {784, 259, 834, 309}, true, {784, 309, 834, 318}},    // LFO1_Amount
    {1, 69, {834, 187, 884, 237}, true, {834, 237, 884, 246}},    // LFO1_Freq
    {1, 70, {891, 216, 920, 235}, true, {891, 237, 971, 246}},    // LFO1_Retrig
    {1, 71, {891, 185, 920, 204}, true, {891, 206, 971, 215}},    // LFO1_Sync
    {1, 72, {934, 187, 984, 237}, true, {934, 237, 984, 246}},    // LFO1_InitPhase
    {1, 83, {788, 412, 827, 428}, false, {0, 0, 0, 0}},           // LFO2_Waveform
    {1, 84, {834, 367, 884, 417}, true, {834, 417, 884, 426}},    // LFO2_Freq
    {1, 87, {934, 367, 984, 417}, true, {934, 417, 984, 426}},    // LFO2_InitPhase
    {2, 125, {840, 202, 918, 226}, false, {0, 0, 0, 0}},          // MATRIX1_Src
    {2, 126, {934, 187, 984, 237}, true, {934, 237, 984, 246}},   // MATRIX1_Amount
    {2, 127, {984, 187, 1034, 237}, true, {984, 237, 1034, 246}}, // MATRIX1_Clipping
    {2, 135, {984, 259, 1034, 309}, false, {0, 0, 0, 0}},         // MATRIX1_Amount4
    {2, 136, {840, 382, 918, 406}, false, {0, 0, 0, 0}},          // MATRIX2_Src
};

const ControlPlacement* findPlacement(const LayoutTable& table, ParamId id)
{
    for (const ControlPlacement& p : table)
        if (p.id == id)
            return &p;
    return nullptr;
}

std::set<ParamId> idsOf(const LayoutTable& table)
{
    std::set<ParamId> ids;
    for (const ControlPlacement& p : table)
        ids.insert(p.id);
    return ids;
}

std::set<ParamId> range(ParamId first, ParamId last)
{
    std::set<ParamId> ids;
    for (ParamId id = first; id <= last; ++id)
        ids.insert(id);
    return ids;
}

TEST(EditorLayout, RectanglesFollowFromAnchorsAndBitmaps)
{
    for (const ExpectedRow& row : kSamples)
    {
        const LayoutTable& table = row.page < 0 ? alwaysPresentLayout() : pageLayout(row.page);
        const ControlPlacement* p = findPlacement(table, row.id);
        ASSERT_NE(p, nullptr) << row.id;
        EXPECT_EQ(controlRect(*p), row.control) << row.id;
        EXPECT_EQ(hasCaption(*p), row.caption) << row.id;
        if (row.caption)
        {
            EXPECT_EQ(captionRect(*p), row.captionArea) << row.id;
        }
    }
}

TEST(EditorLayout, EachTableHoldsExactlyItsParametersOnce)
{
    EXPECT_EQ(alwaysPresentLayout().count, 67u);
    EXPECT_EQ(idsOf(alwaysPresentLayout()), range(0, 66));
    EXPECT_EQ(pageLayout(kEnvelopePage).count, 28u);
    EXPECT_EQ(idsOf(pageLayout(kEnvelopePage)), range(97, 124));
    EXPECT_EQ(pageLayout(kLfoPage).count, 30u);
    EXPECT_EQ(idsOf(pageLayout(kLfoPage)), range(67, 96));
    EXPECT_EQ(pageLayout(kMatrixPage).count, 22u);
    EXPECT_EQ(idsOf(pageLayout(kMatrixPage)), range(125, 146));
    EXPECT_EQ(pageLayout(3).count, 0u);
    EXPECT_EQ(pageLayout(-1).count, 0u);
}

TEST(EditorLayout, CreationOrderIsKept)
{
    // The first controls created, and the pairs whose order is not by ID.
    const LayoutTable& always = alwaysPresentLayout();
    EXPECT_EQ(always.entries[0].id, kGlobalVolume);
    EXPECT_EQ(always.entries[2].id, kNoteMode);
    EXPECT_EQ(always.entries[8].id, kModWheel);
    EXPECT_EQ(always.entries[25].id, kO1Waveform);
    EXPECT_EQ(always.entries[26].id, kO1On);
    EXPECT_EQ(always.entries[66].id, kRm2x3);
    EXPECT_EQ(pageLayout(kEnvelopePage).entries[0].id, kEnv1Attack);
    EXPECT_EQ(pageLayout(kEnvelopePage).entries[12].id, kEnv1Amount);
    EXPECT_EQ(pageLayout(kMatrixPage).entries[0].id, kMatrix1Src);
}

TEST(EditorLayout, StylesAndCaptionsFollowTheControlKinds)
{
    std::set<ParamId> centred;
    for (int page = -1; page < kNumPages; ++page)
        for (const ControlPlacement& p : page < 0 ? alwaysPresentLayout() : pageLayout(page))
        {
            if (p.style == KnobBlueCenter)
                centred.insert(p.id);
            // Routing slots never have captions.
            if (p.id >= kLfo1Dest1 && p.id <= kLfo1Amount4)
            {
                EXPECT_FALSE(hasCaption(p)) << p.id;
            }
            if (p.style == Wheel)
            {
                EXPECT_TRUE(hasCaption(p));
            }
            EXPECT_EQ(captionCentred(p), isKnobStyle(p.style) && p.style != Wheel) << p.id;
        }
    EXPECT_EQ(centred.count(kFAmount), 1u);
    EXPECT_EQ(centred.count(kO2Detune), 1u);
    EXPECT_EQ(centred.count(kMatrix2Amount4), 1u);
    EXPECT_EQ(centred.count(kGlobalVolume), 0u);
    EXPECT_EQ(centred.size(), 1u + 3 * 6 + 2 + 2 + 8 * 3);
    // The known irregularities of the grid.
    EXPECT_EQ(findPlacement(alwaysPresentLayout(), kFm3Amount)->x, 663);
    EXPECT_EQ(findPlacement(pageLayout(kLfoPage), kLfo1Dest1)->x, 841);
}

TEST(EditorLayout, BitmapTableMatchesTheStyles)
{
    EXPECT_STREQ(controlBitmap(KickButton).name, "button.png");
    EXPECT_EQ(&controlBitmap(KickButton), &controlBitmap(ToggleButton));
    EXPECT_EQ(controlBitmap(Wheel).frameHeight(), 43);
    EXPECT_EQ(controlBitmap(KnobRed).frameCount, 256);
    EXPECT_EQ(kPageSwitcherBitmap.frameHeight(), 22);
    EXPECT_FALSE(kBackgroundBitmap.hasAlpha);
    std::set<std::string> names;
    for (const BitmapInfo* info : kEditorBitmaps)
        names.insert(info->name);
    EXPECT_EQ(names.size(), 11u);
    // The page switcher's zones are 117, 52 and 102 pixels wide.
    EXPECT_EQ(kPageZoneStarts[1] - kPageZoneStarts[0], 117);
    EXPECT_EQ(kPageZoneStarts[2] - kPageZoneStarts[1], 52);
    EXPECT_EQ(kPageSwitcherX + kPageSwitcherBitmap.width - kPageZoneStarts[2], 102);
}

} // namespace
