// talvane with its editor: a window of a private X server, titled with the sound's name, drawn by
// the editor, and the program ending cleanly when the window is closed. Its picture is saved for
// the README (screenshots/standalone-window.png).
// GoogleTest before Xlib, whose None macro would otherwise meet GoogleTest's own None.
#include "tests/standalone/jacksupport.h"

#include "tests/gui/x11picture.h"
#include "tests/gui/x11testhost.h"

#include <X11/Xatom.h>

#include <set>

namespace talvane::testing {
namespace {

// The top-level window called `title`, or 0.
Window windowTitled(Display* display, const std::string& title)
{
    Window rootReturn = 0, parentReturn = 0;
    Window* children = nullptr;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &rootReturn, &parentReturn, &children, &count);
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i)
    {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name)
        {
            if (title == name)
                found = children[i];
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    return found;
}

Window waitForWindow(Display* display, const std::string& title)
{
    const auto end = Clock::now() + std::chrono::seconds(15);
    while (Clock::now() < end)
    {
        if (const Window window = windowTitled(display, title))
            return window;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

// As a window manager does when its close button is pressed.
void askToClose(Display* display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

TEST(StandaloneWindow, ShowsTheEditorTitledWithTheSoundAndQuitsWhenClosed)
{
    Xvfb xvfb;
    if (!xvfb.display)
        GTEST_SKIP() << xvfb.failure;
    ScopedDisplay useDisplay(xvfb.name);
    const std::string scratch = ::testing::TempDir() + "talvane-window-" + std::to_string(getpid());
    std::filesystem::create_directories(scratch);
    ScopedEnvironment config("XDG_CONFIG_HOME", scratch);
    DummyJackServer server(scratch + "/jackd.log");
    if (!server.running)
        GTEST_SKIP() << server.failure;

    // fontconfig keeps its caches (the editor's fonts) until the process ends; a sanitizer build's
    // leak check is told so, and checks everything else.
    const std::string suppressions = scratch + "/leaks.supp";
    std::ofstream(suppressions) << "leak:libfontconfig.so\n";
    ScopedEnvironment leakCheck("LSAN_OPTIONS", "suppressions=" + suppressions + ":print_suppressions=0");
    ChildProcess talvane({TALVANE_STANDALONE_TOOL, "--audio", "jack", "--preset", "Warm Pad"}, scratch + "/talvane.log");
    ASSERT_TRUE(talvane.waitForMessage("playing")) << talvane.errorText();
    const Window window = waitForWindow(xvfb.display, "Warm Pad - Talvane");
    ASSERT_NE(window, 0u) << "no window titled with the sound's name";

    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(xvfb.display, window, &attributes));
    // The editor draws from its timer: wait until the picture holds still and has colours in it.
    PixelGrid picture(1, 1);
    std::set<std::uint32_t> colours;
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end && colours.size() < 16)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        picture = windowPicture(xvfb.display, window, 0, 0, attributes.width, attributes.height);
        colours.clear();
        for (int y = 0; y < picture.height; y += 7)
            for (int x = 0; x < picture.width; x += 7)
            {
                const VSTGUI::CColor c = picture.at(x, y);
                colours.insert((std::uint32_t(c.red) << 16) | (std::uint32_t(c.green) << 8) | c.blue);
            }
    }
    EXPECT_GE(colours.size(), 16u) << "the editor did not draw into the window";
    EXPECT_TRUE(savePicture(picture, "standalone-window.png"));

    askToClose(xvfb.display, window);
    EXPECT_EQ(talvane.wait(), 0) << talvane.errorText();
    EXPECT_NE(talvane.errorText().find("stopped;"), std::string::npos) << talvane.errorText();
    std::filesystem::remove_all(scratch);
}

} // namespace
} // namespace talvane::testing
