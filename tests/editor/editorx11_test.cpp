// The editor as a host on X11 sees it: created by the controller's createView, attached to a real
// parent window of a private X server, redrawn from the host's run-loop timer, and edited by a click
// that goes through the X server.
#include "tests/editor/editortest.h"
#include "tests/gui/guitest.h"
#include "tests/gui/x11testhost.h"

#include "source/editor/editorlayout.h"
#include "source/editor/soundbar.h"
#include "source/params/paramtable.h"

#include "gui/menupopup.h"

#include "host/dynamiclibrary.h"

#include <filesystem>
#include <fstream>
#include <memory>

using namespace Steinberg;
using namespace VSTGUI;
using namespace talvane::testing;

namespace {

// A private X server with XTEST and a host's top-level window at the editor's size.
class EditorOnX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!server.display)
            GTEST_SKIP() << "no X server for this test: " << server.failure;
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(server.display, &eventBase, &errorBase, &major, &minor))
            GTEST_SKIP() << "the X server lacks the XTEST extension";
        display = std::make_unique<ScopedDisplay>(server.name);
        hostDisplay = server.display;
        root = DefaultRootWindow(hostDisplay);
        parent = XCreateSimpleWindow(hostDisplay, root, 0, 0, talvane::kEditorWidth, talvane::kEditorHeight,
                                     0, 0, 0);
        XMapWindow(hostDisplay, parent);
        XSync(hostDisplay, False);
    }
    void TearDown() override
    {
        if (parent)
            XDestroyWindow(hostDisplay, parent);
    }

    // The editor's own window: the one child of the host's window.
    Window editorWindow()
    {
        Window rootReturn = 0, parentReturn = 0;
        Window* children = nullptr;
        unsigned childCount = 0;
        XQueryTree(hostDisplay, parent, &rootReturn, &parentReturn, &children, &childCount);
        EXPECT_EQ(childCount, 1u);
        const Window child = childCount > 0 ? children[0] : 0;
        if (children)
            XFree(children);
        return child;
    }

    Xvfb server;
    std::unique_ptr<ScopedDisplay> display;
    Display* hostDisplay = nullptr;
    Window root = 0;
    Window parent = 0;
};

TEST_F(EditorOnX11, AttachesToTheHostWindowRedrawsFromTheTimerAndEditsOnARealClick)
{
    ControllerWithHost plugin;
    FakeHost host;
    IPlugView* view = plugin.controller->createView("editor");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->isPlatformTypeSupported(Steinberg::kPlatformTypeX11EmbedWindowID), kResultTrue);
    view->setFrame(&host);
    ASSERT_EQ(view->attached(reinterpret_cast<void*>(parent), Steinberg::kPlatformTypeX11EmbedWindowID),
              kResultTrue);
    EXPECT_EQ(host.lastResize.getWidth(), talvane::kEditorWidth);
    EXPECT_EQ(host.lastResize.getHeight(), talvane::kEditorHeight);
    ASSERT_EQ(host.timers.size(), 1u);
    EXPECT_EQ(host.timers.begin()->second.interval, std::chrono::milliseconds(50));

    const Window child = editorWindow();
    ASSERT_NE(child, 0u);

    // The idle timer draws the background picture into the window.
    host.runFor(std::chrono::milliseconds(400));
    EXPECT_GE(host.timerFirings, 3);
    CBitmap background(talvane::kBackgroundBitmap.name);
    const int x = 300, y = 30;
    EXPECT_EQ(windowPixel(hostDisplay, child, x, y),
              expectedStripPixel(background, talvane::kEditorHeight, 0, x, y, kGreyCColor));

    // A click on the first oscillator's switch, through the X server, reaches the host as an edit.
    const double before = plugin.controller->getParamNormalized(talvane::kO1On);
    const double after = before < 0.5 ? 1.0 : 0.0;
    int rootX = 0, rootY = 0;
    Window unused = 0;
    XTranslateCoordinates(hostDisplay, child, root, 60, 188, &rootX, &rootY, &unused);
    clickAt(hostDisplay, rootX, rootY);
    host.runFor(std::chrono::milliseconds(300));
    EXPECT_EQ(plugin.handler.edits, editTriple(talvane::kO1On, after));
    EXPECT_EQ(plugin.controller->getParamNormalized(talvane::kO1On), after);

    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_TRUE(host.handlers.empty());
    EXPECT_TRUE(host.timers.empty());
    view->release();
    XSync(hostDisplay, False);
    Window rootReturn = 0, parentReturn = 0;
    Window* children = nullptr;
    unsigned childCount = 0;
    XQueryTree(hostDisplay, parent, &rootReturn, &parentReturn, &children, &childCount);
    EXPECT_EQ(childCount, 0u);
    if (children)
        XFree(children);
}

// The editor's sound bar worked by real clicks and keys through the X server: the next sound, a
// sound from the menu's own pop-up window, a sound saved under a typed name into a temporary
// folder, and a folder that cannot be written.
TEST_F(EditorOnX11, TheSoundBarChoosesAndSavesSoundsWithARealMouseAndKeyboard)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() /
                            ("talvane-x11-sounds-" + std::to_string(talvane::host::currentProcessId()));
    fs::remove_all(folder);
    ControllerWithHost plugin;
    plugin.controller->soundLibrary().setUserFolder(folder / "Talvane");
    FakeHost host;
    IPlugView* view = plugin.controller->createView("editor");
    ASSERT_NE(view, nullptr);
    view->setFrame(&host);
    ASSERT_EQ(view->attached(reinterpret_cast<void*>(parent), Steinberg::kPlatformTypeX11EmbedWindowID),
              kResultTrue);
    auto* editor = dynamic_cast<Vst::TalvaneEditorView*>(view);
    ASSERT_NE(editor, nullptr);
    Vst::SoundBar* bar = editor->getSoundBar();
    ASSERT_NE(bar, nullptr);
    host.runFor(std::chrono::milliseconds(200));
    const Window child = editorWindow();
    ASSERT_NE(child, 0u);
    auto clickEditor = [&](const talvane::PixelRect& r) {
        int rootX = 0, rootY = 0;
        Window unused = 0;
        XTranslateCoordinates(hostDisplay, child, root, (r.left + r.right) / 2, (r.top + r.bottom) / 2,
                              &rootX, &rootY, &unused);
        clickAt(hostDisplay, rootX, rootY);
        host.runFor(std::chrono::milliseconds(250));
    };
    auto shownName = [&] { return bar->getMenu()->getShownName(); };

    // Next: the first factory sound, every change an edit the host records.
    clickEditor(talvane::kNextSoundRect);
    EXPECT_EQ(shownName(), "Warm Pad");
    EXPECT_FALSE(plugin.handler.edits.empty());

    // The menu opens in a window of its own; a click on an entry there loads it.
    clickEditor(talvane::kSoundNameRect);
    const Window popup = topPopupWindow(hostDisplay);
    ASSERT_NE(popup, 0u);
    const VSTGUI::MenuPopup* opened = editor->getFrame()->getPopup();
    ASSERT_NE(opened, nullptr);
    int32_t entry = -1;
    for (int32_t i = 0; i < bar->getMenu()->getNbEntries(); ++i)
        if (bar->getMenu()->getEntry(i)->getTitle() == "Tubular Bell")
            entry = i;
    ASSERT_GE(entry, 0);
    const VSTGUI::CPoint centre = opened->entryRect(entry).getCenter();
    int popupX = 0, popupY = 0;
    Window unused = 0;
    XTranslateCoordinates(hostDisplay, popup, root, static_cast<int>(centre.x), static_cast<int>(centre.y),
                          &popupX, &popupY, &unused);
    clickAt(hostDisplay, popupX, popupY);
    host.runFor(std::chrono::milliseconds(250));
    EXPECT_FALSE(editor->getFrame()->isPopupOpen());
    EXPECT_EQ(shownName(), "Tubular Bell");

    // Save: a name typed on the keyboard, then Return.
    clickEditor(talvane::kSaveSoundRect);
    ASSERT_TRUE(bar->getNameEntry()->isEditing());
    typeText(hostDisplay, "Long Bell 2");
    pressKey(hostDisplay, XK_Return);
    host.runFor(std::chrono::milliseconds(250));
    EXPECT_TRUE(fs::is_regular_file(folder / "Talvane" / "Long Bell 2.vstpreset"))
        << bar->getMessage()->getText();
    EXPECT_EQ(shownName(), "Long Bell 2");
    EXPECT_STREQ(bar->getMessage()->getText(), "Saved \"Long Bell 2\"");

    // A folder that cannot be written: the musician reads why, and nothing is saved.
    fs::create_directories(folder);
    std::ofstream(folder / "blocked") << "a file, not a folder";
    plugin.controller->soundLibrary().setUserFolder(folder / "blocked" / "Talvane");
    clickEditor(talvane::kSaveSoundRect);
    typeText(hostDisplay, "Nowhere");
    pressKey(hostDisplay, XK_Return);
    host.runFor(std::chrono::milliseconds(250));
    EXPECT_TRUE(bar->isErrorShown());
    EXPECT_STREQ(bar->getMessage()->getText(),
                 "Cannot save: cannot make the preset folder (Not a directory)");
    EXPECT_EQ(shownName(), "Long Bell 2");

    EXPECT_EQ(view->removed(), kResultOk);
    view->release();
    fs::remove_all(folder);
}

} // namespace
