// Typing and pressing in the GUI layer through the offscreen backend: the frame's keyboard focus,
// the text entry's editing keys, commits and cancels, and the button drawn without a bitmap.
#include "tests/gui/guitest.h"

#include "gui/cfont.h"
#include "gui/ctextbutton.h"
#include "gui/ctextedit.h"

using namespace VSTGUI;
using talvane::testing::OffscreenFrameTest;

namespace {

class TextEditTest : public OffscreenFrameTest
{
protected:
    void SetUp() override
    {
        OffscreenFrameTest::SetUp();
        edit = new CTextEdit(CRect(20, 20, 220, 44), &listener, 7, "Pad");
        frame->addView(edit);
    }
    std::string text() const { return edit->getText(); }

    CTextEdit* edit = nullptr;
};

TEST_F(TextEditTest, AClickTakesTheKeyboardAndTheKeysEditAtTheCaret)
{
    EXPECT_FALSE(screen->key(kVirtualKeyBack)) << "no focus view: nobody takes keys";
    screen->click(CPoint(30, 30));
    ASSERT_TRUE(edit->isEditing());
    EXPECT_EQ(frame->getFocusView(), edit);
    EXPECT_EQ(screen->getKeyboardFocusRequests(), 1);
    EXPECT_EQ(edit->getCaret(), 3u);
    // The editor hears of the edit around what the listener hears.
    EXPECT_EQ(listener.log, (std::vector<std::string>{"editor begin 7", "begin"}));

    screen->type(" 2");
    screen->key(kVirtualKeyHome);
    screen->type("\xC3\x89"); // É, two bytes
    EXPECT_EQ(edit->getCaret(), 2u);
    screen->key(kVirtualKeyRight);
    screen->key(kVirtualKeyBack);
    screen->key(kVirtualKeyLeft);
    screen->key(kVirtualKeyDelete); // the É goes whole, not half of it
    screen->key(kVirtualKeyEnd);
    screen->type("!");
    EXPECT_STREQ(edit->getText(), "Pad") << "the label keeps its text until the edit is committed";
    EXPECT_TRUE(listener.values.empty());

    EXPECT_TRUE(screen->key(kVirtualKeyReturn));
    EXPECT_FALSE(edit->isEditing());
    EXPECT_TRUE(edit->wasCommitted());
    EXPECT_EQ(text(), "ad 2!");
    EXPECT_EQ(frame->getFocusView(), nullptr);
    const std::vector<std::string> expected = {"editor begin 7", "begin", "value 0.000000", "end",
                                               "editor end 7"};
    EXPECT_EQ(listener.log, expected);
}

TEST_F(TextEditTest, EscapeOrAClickElsewhereEndsTheEditWithoutCommitting)
{
    ASSERT_TRUE(edit->beginEditing());
    screen->type("dle");
    screen->key(kVirtualKeyEscape);
    EXPECT_FALSE(edit->isEditing());
    EXPECT_FALSE(edit->wasCommitted());
    EXPECT_EQ(text(), "Pad");
    EXPECT_TRUE(listener.values.empty());
    EXPECT_EQ(listener.log.back(), "editor end 7");

    screen->click(CPoint(30, 30));
    screen->type("xyz");
    screen->click(CPoint(300, 200));
    EXPECT_FALSE(edit->isEditing());
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(text(), "Pad");
    EXPECT_FALSE(screen->key(kVirtualKeyReturn));
}

TEST_F(TextEditTest, OnlyPrintableCharactersGoInAndTheLengthIsLimited)
{
    edit->setMaxLength(7);
    ASSERT_TRUE(edit->beginEditing());
    CKeyEvent key;
    for (char32_t refused :
         {char32_t(0x07), char32_t(0x7F), char32_t(0x85), char32_t(0xD800), char32_t(0x110000)})
    {
        key.character = refused;
        EXPECT_FALSE(frame->onKeyDown(key));
    }
    key.character = 'q';
    key.modifiers = kControl;
    EXPECT_FALSE(frame->onKeyDown(key)) << "a shortcut, not a character";
    screen->type("\xF0\x9F\x8E\xB9xyz"); // a four-byte character fills the seven bytes
    screen->key(kVirtualKeyReturn);
    EXPECT_EQ(text(), "Pad\xF0\x9F\x8E\xB9");

    // Removing the view while it is edited leaves no focus behind.
    ASSERT_TRUE(edit->beginEditing());
    frame->removeView(edit);
    edit = nullptr;
    EXPECT_EQ(frame->getFocusView(), nullptr);
}

TEST_F(TextEditTest, ALongTextScrollsSoTheCaretStaysInView)
{
    auto* font = new CFontDesc("Arial", 12);
    edit->setFont(font);
    font->forget();
    edit->setFontColor(kGreyCColor);
    edit->setCaretColor(kWhiteCColor);
    ASSERT_TRUE(edit->beginEditing());
    screen->type(std::string(120, 'W'));
    frame->idle();
    // The caret, the only white in the box, stands inside it near its right edge.
    int caretColumn = -1;
    for (int x = 20; x < 220; ++x)
        if (screen->getPixel(x, 32) == kWhiteCColor)
            caretColumn = x;
    EXPECT_GE(caretColumn, 200);
    EXPECT_LT(caretColumn, 220);
}

TEST_F(OffscreenFrameTest, ATextButtonIsAKickButtonDrawnWithoutABitmap)
{
    auto* button = new CTextButton(CRect(10, 10, 70, 34), &listener, 3, "SAVE");
    frame->addView(button);
    screen->click(CPoint(40, 20));
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.f}));
    EXPECT_EQ(button->getValue(), 0.f);
    EXPECT_EQ(listener.log.front(), "editor begin 3");
    EXPECT_EQ(listener.log.back(), "editor end 3");

    // Released elsewhere: nothing.
    listener.values.clear();
    screen->mouseDown(CPoint(40, 20));
    screen->mouseMove(CPoint(200, 200), kLButton);
    screen->mouseUp(CPoint(200, 200));
    EXPECT_TRUE(listener.values.empty());
    // The right button does nothing either.
    screen->click(CPoint(40, 20), kRButton);
    EXPECT_TRUE(listener.values.empty());

    // An arrow is drawn in the text colour; the title's button draws its face.
    auto* arrow = new CTextButton(CRect(100, 10, 126, 36), &listener, 4, "", CTextButton::Icon::NextArrow);
    arrow->setColors(kWhiteCColor, kBlackCColor, kBlackCColor, kBlackCColor);
    frame->addView(arrow);
    frame->idle();
    int light = 0;
    for (int x = 100; x < 126; ++x)
        for (int y = 10; y < 36; ++y)
            light += screen->getPixel(x, y).red > 128 ? 1 : 0;
    EXPECT_GT(light, 5);
    EXPECT_LT(light, 100);
}

} // namespace
