// Keys through the Win32 backend, as Windows delivers them to the frame's window: WM_KEYDOWN for
// the editing keys, WM_CHAR (surrogate pairs included) for what is typed, and the focus a text
// entry asks for. Built for Windows and run under Wine.
#include "tests/gui/guitest.h"

#include "gui/ctextedit.h"
#include "gui/platform/platformparent.h"
#include "gui/platform/win32frame.h"

#include <windows.h>

using namespace VSTGUI;
using talvane::testing::RecordingEditor;
using talvane::testing::RecordingListener;

namespace {

class Win32Keys : public ::testing::Test
{
protected:
    void SetUp() override
    {
        parentWindow = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                       nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!parentWindow)
            GTEST_SKIP() << "no window system to make windows in (under Wine: no display)";
        parent.kind = PlatformKind::Win32;
        parent.window = reinterpret_cast<std::uintptr_t>(parentWindow);
        frame = new CFrame(CRect(0, 0, 400, 300), &parent, &editor);
        ASSERT_TRUE(frame->isOpen());
        platform = dynamic_cast<Win32Frame*>(frame->getPlatformFrame());
        ASSERT_NE(platform, nullptr);
        edit = new CTextEdit(CRect(20, 20, 220, 44), &listener, 5, "Bass");
        frame->addView(edit);
    }
    void TearDown() override
    {
        if (frame)
            frame->close();
        if (parentWindow)
            DestroyWindow(parentWindow);
    }
    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam = 0)
    {
        return SendMessageW(platform->getWindow(), message, wParam, lParam);
    }

    HWND parentWindow = nullptr;
    PlatformParent parent;
    RecordingListener listener;
    RecordingEditor editor{listener.log};
    CFrame* frame = nullptr;
    Win32Frame* platform = nullptr;
    CTextEdit* edit = nullptr;
};

TEST_F(Win32Keys, AClickTakesTheFocusAndTheWindowsKeysEditTheText)
{
    send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
    send(WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
    ASSERT_TRUE(edit->isEditing());
    EXPECT_EQ(GetFocus(), platform->getWindow());
    EXPECT_EQ(send(WM_GETDLGCODE, 0) & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS) << "Return and Escape come here";

    send(WM_KEYDOWN, VK_BACK);
    send(WM_CHAR, 'x');
    send(WM_CHAR, '\b');   // the control character of Backspace is not typed again
    send(WM_CHAR, 0xD83C); // U+1F3B9 as a surrogate pair
    send(WM_CHAR, 0xDFB9);
    send(WM_KEYDOWN, VK_HOME);
    send(WM_CHAR, 0x00C9); // É
    send(WM_KEYDOWN, VK_RETURN);
    send(WM_CHAR, '\r');
    EXPECT_FALSE(edit->isEditing());
    EXPECT_TRUE(edit->wasCommitted());
    EXPECT_STREQ(edit->getText(), "\xC3\x89"
                                  "Basx\xF0\x9F\x8E\xB9");
    EXPECT_EQ(listener.values.size(), 1u);
}

TEST_F(Win32Keys, EscapeCancelsAndKeysWithoutAFocusViewGoToTheHost)
{
    ASSERT_TRUE(edit->beginEditing());
    send(WM_CHAR, 'z');
    send(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_FALSE(edit->isEditing());
    EXPECT_STREQ(edit->getText(), "Bass");
    EXPECT_TRUE(listener.values.empty());
    EXPECT_EQ(send(WM_GETDLGCODE, 0), 0) << "no entry open: the host keeps its keys";
}

} // namespace
