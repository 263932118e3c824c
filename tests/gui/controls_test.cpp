#include "tests/gui/guitest.h"

#include "gui/menupopup.h"

using namespace VSTGUI;
using talvane::testing::countMismatches;
using talvane::testing::kTestBackground;
using talvane::testing::kTestFrameRect;
using talvane::testing::OffscreenFrameTest;

namespace {

const CRect kButtonRect(20, 20, 49, 39);
const CPoint kButtonPoint(30, 30);

class ControlsTest : public OffscreenFrameTest
{
protected:
    CBitmap* load(const char* name)
    {
        CBitmap* bitmap = new CBitmap(name);
        EXPECT_TRUE(bitmap->isLoaded()) << name;
        held.push_back(bitmap);
        return bitmap;
    }
    void TearDown() override
    {
        OffscreenFrameTest::TearDown();
        for (CBitmap* bitmap : held)
            bitmap->forget();
    }

    std::vector<CBitmap*> held;
};

TEST_F(ControlsTest, OnOffButtonTogglesAsOneEditAndDrawsItsFrame)
{
    CBitmap* bitmap = load("button.png");
    auto* button = new COnOffButton(kButtonRect, &listener, 3, bitmap);
    frame->addView(button);

    EXPECT_EQ(screen->mouseDown(kButtonPoint), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_FLOAT_EQ(button->getValue(), 1.f);
    frame->idle();
    EXPECT_EQ(countMismatches(*screen, kButtonRect, *bitmap, 19, 1, kTestBackground), 0);

    screen->click(kButtonPoint);
    EXPECT_FLOAT_EQ(button->getValue(), 0.f);
    frame->idle();
    EXPECT_EQ(countMismatches(*screen, kButtonRect, *bitmap, 19, 0, kTestBackground), 0);

    const std::vector<std::string> expected = {
        "editor begin 3", "begin", "value 1.000000", "end", "editor end 3",
        "editor begin 3", "begin", "value 0.000000", "end", "editor end 3"};
    EXPECT_EQ(listener.log, expected);
}

TEST_F(ControlsTest, OnOffButtonReadsTheUpperHalfAsOnAndIgnoresTheRightButton)
{
    auto* button = new COnOffButton(kButtonRect, &listener, 3, load("button_relief.png"));
    frame->addView(button);
    button->setValue(0.7f);
    EXPECT_TRUE(button->isOn());
    screen->click(kButtonPoint);
    EXPECT_FLOAT_EQ(button->getValue(), 0.f);

    listener.log.clear();
    EXPECT_EQ(screen->mouseDown(kButtonPoint, kRButton), kMouseEventNotHandled);
    EXPECT_FLOAT_EQ(button->getValue(), 0.f);
    EXPECT_EQ(listener.log, std::vector<std::string>{"modifier " + std::to_string(kRButton)});
}

TEST_F(ControlsTest, KickButtonFiresOnReleaseOverItOnly)
{
    CBitmap* bitmap = load("button.png");
    auto* kick = new CKickButton(kButtonRect, &listener, 63, bitmap);
    frame->addView(kick);

    screen->mouseDown(kButtonPoint);
    EXPECT_FLOAT_EQ(kick->getValue(), 1.f);
    frame->idle();
    EXPECT_EQ(countMismatches(*screen, kButtonRect, *bitmap, 19, 1, kTestBackground), 0);
    EXPECT_TRUE(listener.values.empty());
    screen->mouseUp(kButtonPoint);
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.f}));
    EXPECT_FLOAT_EQ(kick->getValue(), 0.f);
    frame->idle();
    EXPECT_EQ(countMismatches(*screen, kButtonRect, *bitmap, 19, 0, kTestBackground), 0);

    // Dragged off before release: nothing fires, the edit still closes.
    listener.log.clear();
    listener.values.clear();
    screen->mouseDown(kButtonPoint);
    screen->mouseMove(CPoint(200, 200), kLButton);
    EXPECT_FLOAT_EQ(kick->getValue(), 0.f);
    screen->mouseUp(CPoint(200, 200));
    EXPECT_TRUE(listener.values.empty());
    const std::vector<std::string> expected = {"editor begin 63", "begin", "end", "editor end 63"};
    EXPECT_EQ(listener.log, expected);

    // Held when the window loses the mouse: nothing fires, the button pops up, the edit closes.
    listener.log.clear();
    screen->mouseDown(kButtonPoint);
    EXPECT_FLOAT_EQ(kick->getValue(), 1.f);
    EXPECT_EQ(frame->onMouseCancel(), kMouseEventHandled);
    EXPECT_FLOAT_EQ(kick->getValue(), 0.f);
    EXPECT_TRUE(listener.values.empty());
    EXPECT_EQ(listener.log, expected);
    screen->mouseUp(kButtonPoint);
    EXPECT_TRUE(listener.values.empty());
}

TEST_F(ControlsTest, MovieBitmapShowsTheNearestFrameOfItsValue)
{
    CBitmap* bitmap = load("modswitcher.png");
    const CRect area(50, 50, 321, 72);
    auto* movie = new CMovieBitmap(area, &listener, 0, 3, 22, bitmap);
    frame->addView(movie);
    const std::pair<float, int> cases[] = {{0.f, 0}, {0.24f, 0}, {0.26f, 1}, {0.5f, 1}, {0.76f, 2}, {1.f, 2}};
    for (const auto& [value, expectedFrame] : cases)
    {
        movie->setValue(value);
        EXPECT_EQ(movie->frameIndexForValue(), expectedFrame) << value;
        frame->idle();
        EXPECT_EQ(countMismatches(*screen, area, *bitmap, 22, expectedFrame, kTestBackground), 0) << value;
    }
    EXPECT_GT(countMismatches(*screen, area, *bitmap, 22, 0, kTestBackground), 50);
    // A movie bitmap takes no clicks and never reports.
    screen->click(CPoint(60, 60));
    EXPECT_TRUE(listener.log.empty());
}

TEST_F(ControlsTest, TextLabelIsTransparentOnlyWhenAskedTo)
{
    CFontDesc* font = new CFontDesc("Arial", 9);
    auto* label = new CTextLabel(CRect(10, 200, 110, 220), "VOLUME");
    label->setFont(font);
    font->forget();
    label->setBackColor(MakeCColor(10, 20, 30));
    label->setFrameColor(MakeCColor(10, 20, 30));
    frame->addView(label);
    frame->idle();
    EXPECT_EQ(screen->getPixel(12, 202), MakeCColor(10, 20, 30));

    label->setTransparency(true);
    label->setHoriAlign(kLeftText);
    frame->idle();
    EXPECT_EQ(screen->getPixel(108, 202), kTestBackground);
    // Some text is drawn at the left, in white.
    int bright = 0;
    for (int x = 10; x < 40; ++x)
        for (int y = 200; y < 220; ++y)
            if (screen->getPixel(x, y).red > 200)
                ++bright;
    EXPECT_GT(bright, 5);
}

class OptionMenuTest : public ControlsTest
{
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        menu = new COptionMenu(CRect(30, 30, 69, 46), &listener, 74, load("listbox_medium.png"), nullptr,
                               kCheckStyle | kPopupStyle);
        frame->addView(menu);
    }

    COptionMenu* menu = nullptr;
};

TEST_F(OptionMenuTest, EntriesSetTheRangeAndSeparatorsAreOnlyExactDashes)
{
    for (const char* title : {"-2", "-1", "0", "-", "1"})
        menu->addEntry(title);
    EXPECT_EQ(menu->getNbEntries(), 5);
    EXPECT_FLOAT_EQ(menu->getMax(), 4.f);
    EXPECT_FALSE(menu->getEntry(0)->isSeparator());
    EXPECT_TRUE(menu->getEntry(3)->isSeparator());
    EXPECT_FALSE(menu->setCurrent(3));
    EXPECT_TRUE(menu->setCurrent(1));
    EXPECT_EQ(menu->getCurrentIndex(), 1);
    // Counted without separators, entry 3 is "1".
    EXPECT_TRUE(menu->setCurrent(3, false));
    EXPECT_EQ(menu->getCurrentIndex(), 4);
    menu->setValue(9.f);
    EXPECT_FLOAT_EQ(menu->getValue(), 4.f);
}

TEST_F(OptionMenuTest, ChoosingAnEntryInThePopupSetsCurrentAndValueAsOneEdit)
{
    for (int i = 0; i < 84; ++i)
        menu->addEntry(("Entry " + std::to_string(i)).c_str());
    menu->setNbItemsPerColumn(12);
    menu->setCurrent(5);
    menu->setValue(5.f);

    screen->click(CPoint(40, 40));
    ASSERT_TRUE(screen->isPopupOpen());
    MenuPopup* popup = frame->getPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->getNbColumns(), 7);
    EXPECT_EQ(screen->getPopupArea().getTopLeft(), CPoint(30, 30));
    const CRect entry30 = popup->entryRect(30);
    EXPECT_GT(entry30.left, popup->entryRect(29).left - 1);
    EXPECT_EQ(popup->entryAt(entry30.getCenter()), 30);
    // Opening the list edits nothing yet: the choice is the edit.
    EXPECT_TRUE(listener.log.empty());

    screen->popupMouseMove(entry30.getCenter());
    EXPECT_EQ(popup->getHovered(), 30);
    EXPECT_TRUE(screen->saveScreenshot(::testing::TempDir() + "/popup.png"));
    screen->popupMouseDown(entry30.getCenter());
    EXPECT_FALSE(screen->isPopupOpen());
    EXPECT_EQ(menu->getCurrentIndex(), 30);
    EXPECT_FLOAT_EQ(menu->getValue(), 30.f);
    const std::vector<std::string> expected = {"editor begin 74", "begin", "value 30.000000", "end",
                                               "editor end 74"};
    EXPECT_EQ(listener.log, expected);
}

TEST_F(OptionMenuTest, DismissingThePopupChangesNothingAndSeparatorsKeepItOpen)
{
    for (const char* title : {"LP", "-", "HP"})
        menu->addEntry(title);
    menu->setCurrent(0);
    screen->click(CPoint(40, 40));
    ASSERT_TRUE(screen->isPopupOpen());
    MenuPopup* popup = frame->getPopup();
    screen->popupMouseDown(popup->entryRect(1).getCenter());
    EXPECT_TRUE(screen->isPopupOpen());
    screen->popupMouseDown(CPoint(-20, -20));
    EXPECT_FALSE(screen->isPopupOpen());
    EXPECT_EQ(menu->getCurrentIndex(), 0);
    EXPECT_TRUE(listener.values.empty());
    EXPECT_TRUE(listener.log.empty()) << "a dismissed list edits nothing";

    // Removing the menu while its pop-up is open closes the pop-up first.
    screen->click(CPoint(40, 40));
    ASSERT_TRUE(screen->isPopupOpen());
    frame->removeView(menu);
    EXPECT_FALSE(screen->isPopupOpen());
    EXPECT_FALSE(frame->isPopupOpen());
}

TEST_F(OptionMenuTest, HeadingsAreNeverChosenAndColumnBreaksStartNewColumns)
{
    menu->addEntry("Pads", -1, CMenuItem::kTitle);
    menu->addEntry("Warm");
    menu->addEntry("Glass");
    menu->addEntry("Basses", -1, CMenuItem::kTitle | CMenuItem::kColumnBreak);
    menu->addEntry("Sub");
    menu->addEntry("Gone", -1, CMenuItem::kDisabled);
    EXPECT_FALSE(menu->setCurrent(0));
    EXPECT_FALSE(menu->setCurrent(5));
    EXPECT_TRUE(menu->setCurrent(4));
    EXPECT_FALSE(menu->getEntry(0)->isSelectable());
    EXPECT_TRUE(menu->getEntry(0)->isTitle());
    EXPECT_TRUE(menu->getEntry(3)->startsColumn());

    screen->click(CPoint(40, 40));
    MenuPopup* popup = frame->getPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->getNbColumns(), 2);
    EXPECT_EQ(popup->entryRect(3).top, popup->entryRect(0).top);
    EXPECT_GT(popup->entryRect(3).left, popup->entryRect(2).left);
    EXPECT_EQ(popup->entryRect(2).top, popup->entryRect(1).bottom);
    EXPECT_EQ(popup->entryAt(popup->entryRect(0).getCenter()), -1);
    EXPECT_EQ(popup->entryAt(popup->entryRect(5).getCenter()), -1);
    EXPECT_EQ(popup->entryAt(popup->entryRect(2).getCenter()), 2);
    // A click on a heading keeps the pop-up open.
    screen->popupMouseDown(popup->entryRect(3).getCenter());
    EXPECT_TRUE(screen->isPopupOpen());
    screen->popupMouseDown(popup->entryRect(2).getCenter());
    EXPECT_EQ(menu->getCurrentIndex(), 2);
}

TEST_F(OptionMenuTest, APopupThatAsksToStayInsideTheFrameMovesLeft)
{
    for (int i = 0; i < 60; ++i)
        menu->addEntry(("A long entry named " + std::to_string(i)).c_str());
    menu->setNbItemsPerColumn(10);
    auto* inside = new COptionMenu(CRect(300, 30, 380, 46), &listener, 75, nullptr, nullptr, kPopupInFrameStyle);
    for (int i = 0; i < 3; ++i)
        inside->addEntry(("A long entry named " + std::to_string(i)).c_str());
    frame->addView(inside);

    // Wider than the frame: it opens where its menu is.
    screen->click(CPoint(40, 40));
    ASSERT_TRUE(screen->isPopupOpen());
    EXPECT_GT(screen->getPopupArea().getWidth(), kTestFrameRect.getWidth());
    EXPECT_EQ(screen->getPopupArea().left, 30);
    screen->popupMouseDown(CPoint(-5, -5));

    // Narrower: below its menu, moved left to end at the frame's right edge.
    screen->click(CPoint(340, 40));
    ASSERT_TRUE(screen->isPopupOpen());
    EXPECT_EQ(screen->getPopupArea().top, 46);
    EXPECT_EQ(screen->getPopupArea().right, kTestFrameRect.right);
    EXPECT_LT(screen->getPopupArea().left, 300);
}

TEST_F(OptionMenuTest, ThePopupChecksTheCurrentEntry)
{
    for (const char* title : {"Saw", "Sine", "Tri"})
        menu->addEntry(title);
    menu->setCurrent(2);
    screen->click(CPoint(40, 40));
    MenuPopup* popup = frame->getPopup();
    ASSERT_NE(popup, nullptr);
    const CPoint size = popup->getSize();
    NativeImage* image = createImage(static_cast<int>(size.x), static_cast<int>(size.y));
    {
        CImageDrawContext context(image);
        frame->drawPopup(context);
    }
    auto checkPixels = [&](int index) {
        const CRect r = popup->entryRect(index);
        int count = 0;
        for (int y = static_cast<int>(r.top); y < r.bottom; ++y)
            for (int x = static_cast<int>(r.left) + 3; x < r.left + 16; ++x)
            {
                const CColor p = getImagePixel(image, x, y);
                if (p.green > 200 && p.blue > 200 && p.red < 200)
                    ++count;
            }
        return count;
    };
    EXPECT_GT(checkPixels(2), 3);
    EXPECT_EQ(checkPixels(0), 0);
    destroyImage(image);
}

} // namespace
