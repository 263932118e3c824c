// The X11 backend inside a real X server: a private Xvfb started by the test, a parent window
// standing in for the host's, and a fake host run loop that polls the registered descriptors and
// fires the registered timers (or, without the SDK, an event loop of the GUI layer's own kind).
// Input arrives through the XTEST extension, as from a real mouse.
#include "tests/gui/guitest.h"
#include "tests/gui/x11testhost.h"

#include "gui/menupopup.h"
#include "gui/platform/eventloop.h"
#include "gui/platform/platformparent.h"
#include "sdk/vstguieditor.h"

using namespace Steinberg;
using namespace VSTGUI;
using namespace talvane::testing;

namespace {

const CRect kButtonRect(40, 30, 69, 49);
const CRect kMenuRect(120, 30, 159, 46);

class ProbeEditor : public Vst::VSTGUIEditor
{
public:
    explicit ProbeEditor(CControlListener* controlListener) : VSTGUIEditor(nullptr), listener(controlListener)
    {
        setIdleRate(50);
    }

    bool PLUGIN_API open(void* parent) override
    {
        frame = new CFrame(CRect(0, 0, 320, 200), parent, this);
        bitmap = new CBitmap("button.png");
        button = new COnOffButton(kButtonRect, listener, 5, bitmap);
        frame->addView(button);
        menu = new COptionMenu(kMenuRect, listener, 9, nullptr, nullptr, kCheckStyle | kPopupStyle);
        for (const char* entry : {"LP", "BP", "HP", "Peak", "Notch"})
            menu->addEntry(entry);
        menu->setCurrent(0);
        frame->addView(menu);
        return true;
    }
    void PLUGIN_API close() override
    {
        frame->close();
        frame = nullptr;
        bitmap->forget();
    }

    CControlListener* listener;
    CBitmap* bitmap = nullptr;
    COnOffButton* button = nullptr;
    COptionMenu* menu = nullptr;
};

TEST(X11Frame, EmbedsInTheHostWindowRedrawsFromTheTimerAndTakesRealClicks)
{
    Xvfb server;
    if (const std::string why = server.whyNoInput(); !why.empty())
        GTEST_SKIP() << why;
    const char* previousDisplay = std::getenv("DISPLAY");
    const std::string savedDisplay = previousDisplay ? previousDisplay : "";
    setenv("DISPLAY", server.name.c_str(), 1);

    Display* hostDisplay = server.display;
    const Window root = DefaultRootWindow(hostDisplay);
    const Window parent = XCreateSimpleWindow(hostDisplay, root, 0, 0, 320, 200, 0, 0, 0);
    XMapWindow(hostDisplay, parent);
    XSync(hostDisplay, False);

    FakeHost host;
    talvane::testing::RecordingListener listener;
    auto* editor = new ProbeEditor(&listener);
    editor->setFrame(&host);
    ASSERT_EQ(editor->attached(reinterpret_cast<void*>(parent), Steinberg::kPlatformTypeX11EmbedWindowID),
              kResultTrue);
    EXPECT_EQ(host.lastResize.getWidth(), 320);
    ASSERT_EQ(host.handlers.size(), 1u);
    ASSERT_EQ(host.timers.size(), 1u);
    EXPECT_EQ(host.timers.begin()->second.interval, std::chrono::milliseconds(50));

    Window rootReturn = 0, parentReturn = 0;
    Window* children = nullptr;
    unsigned childCount = 0;
    XQueryTree(hostDisplay, parent, &rootReturn, &parentReturn, &children, &childCount);
    ASSERT_EQ(childCount, 1u);
    const Window child = children[0];
    XFree(children);

    // The first idle periods draw the frame into its window.
    host.runFor(std::chrono::milliseconds(300));
    EXPECT_GE(host.timerFirings, 3);
    EXPECT_EQ(windowPixel(hostDisplay, child, 5, 5), kGreyCColor);
    EXPECT_EQ(windowPixel(hostDisplay, child, 41, 31),
              talvane::testing::expectedStripPixel(*editor->bitmap, 19, 0, 1, 1, kGreyCColor));

    // A click through the X server switches the button on; the next idle period shows it.
    int rootX = 0, rootY = 0;
    Window unused = 0;
    XTranslateCoordinates(hostDisplay, child, root, 50, 40, &rootX, &rootY, &unused);
    clickAt(hostDisplay, rootX, rootY);
    host.runFor(std::chrono::milliseconds(300));
    EXPECT_FLOAT_EQ(editor->button->getValue(), 1.f);
    EXPECT_EQ(listener.values, std::vector<float>{1.f});
    EXPECT_EQ(windowPixel(hostDisplay, child, 41, 31),
              talvane::testing::expectedStripPixel(*editor->bitmap, 19, 1, 1, 1, kGreyCColor));

    // A list opens its pop-up window over the host's; a click on an entry chooses it.
    XTranslateCoordinates(hostDisplay, child, root, 130, 38, &rootX, &rootY, &unused);
    clickAt(hostDisplay, rootX, rootY);
    host.runFor(std::chrono::milliseconds(200));
    ASSERT_TRUE(editor->getFrame()->isPopupOpen());
    const CRect entry = editor->getFrame()->getPopup()->entryRect(3);
    XTranslateCoordinates(hostDisplay, child, root, static_cast<int>(kMenuRect.left + entry.getCenter().x),
                          static_cast<int>(kMenuRect.top + entry.getCenter().y), &rootX, &rootY, &unused);
    clickAt(hostDisplay, rootX, rootY);
    host.runFor(std::chrono::milliseconds(200));
    EXPECT_FALSE(editor->getFrame()->isPopupOpen());
    EXPECT_EQ(editor->menu->getCurrentIndex(), 3);
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 3.f}));

    EXPECT_EQ(editor->removed(), kResultOk);
    EXPECT_TRUE(host.handlers.empty());
    EXPECT_TRUE(host.timers.empty());
    editor->release();
    XSync(hostDisplay, False);
    XQueryTree(hostDisplay, parent, &rootReturn, &parentReturn, &children, &childCount);
    EXPECT_EQ(childCount, 0u);
    if (children)
        XFree(children);
    XDestroyWindow(hostDisplay, parent);

    if (previousDisplay)
        setenv("DISPLAY", savedDisplay.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

TEST(X11Frame, OpensInAHostWindowOfAnotherVisual)
{
    // GTK hosts (jalv, and suil's X11-in-GTK wrappers) give windows of a visual of their own, here
    // a 32-bit one with its own colormap: the frame's window must not inherit what fits only that.
    Xvfb server;
    if (!server.display)
        GTEST_SKIP() << "no X server for this test: " << server.failure;
    Display* hostDisplay = server.display;
    XVisualInfo info{};
    if (!XMatchVisualInfo(hostDisplay, DefaultScreen(hostDisplay), 32, TrueColor, &info))
        GTEST_SKIP() << "the X server offers no 32-bit visual";
    ScopedDisplay scopedDisplay(server.name);
    const Window root = DefaultRootWindow(hostDisplay);
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(hostDisplay, root, info.visual, AllocNone);
    attributes.border_pixel = 0;
    attributes.background_pixel = 0;
    const Window parent = XCreateWindow(hostDisplay, root, 0, 0, 320, 200, 0, info.depth, InputOutput, info.visual,
                                        CWColormap | CWBorderPixel | CWBackPixel, &attributes);
    XMapWindow(hostDisplay, parent);
    XSync(hostDisplay, False);

    FakeHost host;
    talvane::testing::RecordingListener listener;
    auto* editor = new ProbeEditor(&listener);
    editor->setFrame(&host);
    EXPECT_EQ(editor->attached(reinterpret_cast<void*>(parent), Steinberg::kPlatformTypeX11EmbedWindowID),
              kResultTrue);
    host.runFor(std::chrono::milliseconds(150));
    Window rootReturn = 0, parentReturn = 0;
    Window* children = nullptr;
    unsigned childCount = 0;
    XQueryTree(hostDisplay, parent, &rootReturn, &parentReturn, &children, &childCount);
    ASSERT_EQ(childCount, 1u);
    XWindowAttributes childAttributes{};
    XGetWindowAttributes(hostDisplay, children[0], &childAttributes);
    XFree(children);
    EXPECT_EQ(childAttributes.map_state, IsViewable);
    EXPECT_EQ(childAttributes.width, 320);
    editor->removed();
    editor->release();
    XDestroyWindow(hostDisplay, parent);
    XFreeColormap(hostDisplay, attributes.colormap);
}

// An event loop of the GUI layer's own kind, with no host interface behind it: it polls the
// watched descriptors itself.
class PollingEventLoop : public GuiEventLoop
{
public:
    std::unique_ptr<Watch> watchFileDescriptor(int fd, Callback onReadable) override
    {
        const int id = nextId++;
        watches[id] = {fd, std::move(onReadable)};
        return std::make_unique<PollWatch>(*this, id);
    }

    void runFor(std::chrono::milliseconds span)
    {
        const auto end = Clock::now() + span;
        while (Clock::now() < end)
        {
            std::vector<pollfd> fds;
            std::vector<int> ids;
            for (const auto& [id, watched] : watches)
            {
                fds.push_back({watched.fd, POLLIN, 0});
                ids.push_back(id);
            }
            poll(fds.data(), fds.size(), 5);
            for (size_t i = 0; i < fds.size(); ++i)
            {
                const auto found = watches.find(ids[i]);
                if ((fds[i].revents & POLLIN) && found != watches.end())
                {
                    ++calls;
                    found->second.onReadable();
                }
            }
        }
    }

    struct Watched
    {
        int fd;
        Callback onReadable;
    };
    std::map<int, Watched> watches;
    int calls = 0;

private:
    class PollWatch : public Watch
    {
    public:
        PollWatch(PollingEventLoop& owner, int watchId) : loop(owner), id(watchId) {}
        ~PollWatch() override { loop.watches.erase(id); }

    private:
        PollingEventLoop& loop;
        int id;
    };

    int nextId = 1;
};

TEST(X11Frame, RunsOnTheGuiLayersOwnEventLoop)
{
    Xvfb server;
    if (const std::string why = server.whyNoInput(); !why.empty())
        GTEST_SKIP() << why;
    ScopedDisplay scopedDisplay(server.name);
    Display* hostDisplay = server.display;
    const Window parentWindow =
        XCreateSimpleWindow(hostDisplay, DefaultRootWindow(hostDisplay), 0, 0, 320, 200, 0, 0, 0);
    XMapWindow(hostDisplay, parentWindow);
    XSync(hostDisplay, False);

    RecordingListener listener;
    RecordingEditor editor(listener.log);
    PlatformParent parent;
    parent.kind = PlatformKind::X11;
    parent.window = parentWindow;

    // Without a loop the window would never see an event: the frame does not open.
    auto* unopened = new CFrame(CRect(0, 0, 320, 200), &parent, &editor);
    EXPECT_FALSE(unopened->isOpen());
    unopened->close();

    PollingEventLoop loop;
    parent.eventLoop = &loop;
    auto* frame = new CFrame(CRect(0, 0, 320, 200), &parent, &editor);
    ASSERT_TRUE(frame->isOpen());
    ASSERT_EQ(loop.watches.size(), 1u) << "the frame watches its X connection";
    auto* bitmap = new CBitmap("button.png");
    auto* button = new COnOffButton(kButtonRect, &listener, 5, bitmap);
    frame->addView(button);

    const std::vector<Window> children = childWindows(hostDisplay, parentWindow);
    ASSERT_EQ(children.size(), 1u);
    const Window child = children.front();

    // A real click reaches the button only through the loop's callback: nothing else here reads
    // the frame's connection. (The expose may come or not: Xlib can read it while the frame opens.)
    loop.runFor(std::chrono::milliseconds(150));
    const int callsBefore = loop.calls;
    const auto [rootX, rootY] = rootPosition(hostDisplay, child, 50, 40);
    clickAt(hostDisplay, rootX, rootY);
    loop.runFor(std::chrono::milliseconds(200));
    EXPECT_GT(loop.calls, callsBefore);
    EXPECT_FLOAT_EQ(button->getValue(), 1.f);
    EXPECT_EQ(listener.values, std::vector<float>{1.f});

    frame->close();
    bitmap->forget();
    EXPECT_TRUE(loop.watches.empty()) << "closing the frame ends its watch";
    XDestroyWindow(hostDisplay, parentWindow);
}

} // namespace
