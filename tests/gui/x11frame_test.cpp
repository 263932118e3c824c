// The X11 backend inside a real X server: a private Xvfb started by the test, a parent window
// standing in for the host's, and a fake host run loop that polls the registered descriptors and
// fires the registered timers. Input arrives through the XTEST extension, as from a real mouse.
#include "tests/gui/guitest.h"

#include "gui/menupopup.h"
#include "sdk/vstguieditor.h"

#include "pluginterfaces/gui/iplugview.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace Steinberg;
using namespace VSTGUI;

namespace {

using Clock = std::chrono::steady_clock;

// A private X server on a free display number, stopped with the test.
class Xvfb
{
public:
    Xvfb()
    {
        for (int number = 91; number < 160 && !display && !spawnFailed; ++number)
        {
            const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            struct stat info;
            if (stat(lock.c_str(), &info) == 0 || stat(socket.c_str(), &info) == 0)
                continue;
            tryStart(number);
        }
    }
    ~Xvfb()
    {
        if (display)
            XCloseDisplay(display);
        if (pid > 0)
        {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    Display* display = nullptr;
    std::string name;
    std::string failure = "no free display number";

private:
    void tryStart(int number)
    {
        const std::string displayName = ":" + std::to_string(number);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        char program[] = "Xvfb";
        std::string displayArg = displayName;
        char screenFlag[] = "-screen";
        char screenNumber[] = "0";
        char geometry[] = "1280x800x24";
        char noTcp[] = "-nolisten";
        char tcp[] = "tcp";
        char* argv[] = {program, displayArg.data(), screenFlag, screenNumber, geometry, noTcp, tcp, nullptr};
        const int spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0)
        {
            pid = -1;
            failure = "cannot run Xvfb (tools/install-deps installs it)";
            spawnFailed = true;
            return;
        }
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < deadline)
        {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
            {
                pid = -1;
                failure = "Xvfb exited at start";
                return;
            }
            display = XOpenDisplay(displayName.c_str());
            if (display)
            {
                name = displayName;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        failure = "Xvfb did not accept connections";
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }

    pid_t pid = -1;
    bool spawnFailed = false;
};

// The host's side: a plug frame with a run loop.
class FakeHost : public IPlugFrame, public Linux::IRunLoop
{
public:
    tresult PLUGIN_API resizeView(IPlugView*, ViewRect* newSize) override
    {
        lastResize = *newSize;
        return kResultOk;
    }
    tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd) override
    {
        handler->addRef();
        handlers[handler] = fd;
        return kResultOk;
    }
    tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* handler) override
    {
        if (handlers.erase(handler))
            handler->release();
        return kResultOk;
    }
    tresult PLUGIN_API registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval ms) override
    {
        handler->addRef();
        timers[handler] = {std::chrono::milliseconds(ms), Clock::now() + std::chrono::milliseconds(ms)};
        return kResultOk;
    }
    tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* handler) override
    {
        if (timers.erase(handler))
            handler->release();
        return kResultOk;
    }
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        if (FUnknownPrivate::iidEqual(iid, IPlugFrame::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid))
        {
            *obj = static_cast<IPlugFrame*>(this);
            return kResultOk;
        }
        if (FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid))
        {
            *obj = static_cast<Linux::IRunLoop*>(this);
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

    // Runs the loop for a while: descriptors when readable, timers when due.
    void runFor(std::chrono::milliseconds span)
    {
        const auto end = Clock::now() + span;
        while (Clock::now() < end)
        {
            std::vector<pollfd> fds;
            std::vector<Linux::IEventHandler*> owners;
            for (const auto& [handler, fd] : handlers)
            {
                fds.push_back({fd, POLLIN, 0});
                owners.push_back(handler);
            }
            poll(fds.data(), fds.size(), 5);
            for (size_t i = 0; i < fds.size(); ++i)
                if ((fds[i].revents & POLLIN) && handlers.count(owners[i]))
                    owners[i]->onFDIsSet(fds[i].fd);
            for (auto& [handler, timer] : timers)
                if (Clock::now() >= timer.due)
                {
                    timer.due += timer.interval;
                    ++timerFirings;
                    handler->onTimer();
                    break; // the handler may have changed the timers
                }
        }
    }

    struct Timer
    {
        std::chrono::milliseconds interval;
        Clock::time_point due;
    };
    std::map<Linux::IEventHandler*, Linux::FileDescriptor> handlers;
    std::map<Linux::ITimerHandler*, Timer> timers;
    ViewRect lastResize;
    int timerFirings = 0;
};

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

CColor windowPixel(Display* display, Window window, int x, int y)
{
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return kTransparentCColor;
    const unsigned long value = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return MakeCColor((value >> 16) & 0xff, (value >> 8) & 0xff, value & 0xff);
}

void clickAt(Display* display, int rootX, int rootY)
{
    XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, 0);
    XTestFakeButtonEvent(display, 1, True, 0);
    XTestFakeButtonEvent(display, 1, False, 0);
    XFlush(display);
}

TEST(X11Frame, EmbedsInTheHostWindowRedrawsFromTheTimerAndTakesRealClicks)
{
    Xvfb server;
    if (!server.display)
        GTEST_SKIP() << "no X server for this test: " << server.failure;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(server.display, &eventBase, &errorBase, &major, &minor))
        GTEST_SKIP() << "the X server lacks the XTEST extension";
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

} // namespace
