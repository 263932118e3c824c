// The editor as a host on X11 sees it: created by the controller's createView, attached to a real
// parent window of a private X server, redrawn from the host's run-loop timer, and edited by a click
// that goes through the X server.
#include "tests/editor/editortest.h"
#include "tests/gui/guitest.h"
#include "tests/gui/x11testhost.h"

#include "source/editor/editorlayout.h"
#include "source/params/paramtable.h"

using namespace Steinberg;
using namespace VSTGUI;
using namespace talvane::testing;

namespace {

TEST(EditorOnX11, AttachesToTheHostWindowRedrawsFromTheTimerAndEditsOnARealClick)
{
    Xvfb server;
    if (!server.display)
        GTEST_SKIP() << "no X server for this test: " << server.failure;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(server.display, &eventBase, &errorBase, &major, &minor))
        GTEST_SKIP() << "the X server lacks the XTEST extension";
    ScopedDisplay display(server.name);

    Display* hostDisplay = server.display;
    const Window root = DefaultRootWindow(hostDisplay);
    const Window parent =
        XCreateSimpleWindow(hostDisplay, root, 0, 0, talvane::kEditorWidth, talvane::kEditorHeight, 0, 0, 0);
    XMapWindow(hostDisplay, parent);
    XSync(hostDisplay, False);

    ControllerWithHost plugin;
    FakeHost host;
    IPlugView* view = plugin.controller->createView("editor");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->isPlatformTypeSupported(Steinberg::kPlatformTypeX11EmbedWindowID), kResultTrue);
    view->setFrame(&host);
    ASSERT_EQ(view->attached(reinterpret_cast<void*>(parent), Steinberg::kPlatformTypeX11EmbedWindowID), kResultTrue);
    EXPECT_EQ(host.lastResize.getWidth(), talvane::kEditorWidth);
    EXPECT_EQ(host.lastResize.getHeight(), talvane::kEditorHeight);
    ASSERT_EQ(host.timers.size(), 1u);
    EXPECT_EQ(host.timers.begin()->second.interval, std::chrono::milliseconds(50));

    Window rootReturn = 0, parentReturn = 0;
    Window* children = nullptr;
    unsigned childCount = 0;
    XQueryTree(hostDisplay, parent, &rootReturn, &parentReturn, &children, &childCount);
    ASSERT_EQ(childCount, 1u);
    const Window child = children[0];
    XFree(children);

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
    XQueryTree(hostDisplay, parent, &rootReturn, &parentReturn, &children, &childCount);
    EXPECT_EQ(childCount, 0u);
    if (children)
        XFree(children);
    XDestroyWindow(hostDisplay, parent);
}

} // namespace
