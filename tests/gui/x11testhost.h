// A host's side of an X11 editor for tests: a private Xvfb on a free display number, stopped with
// the test; a plug frame with a run loop that polls the registered descriptors and fires the
// registered timers; and helpers that read window pixels, click and type through the XTEST
// extension, as a real mouse and keyboard would.
#pragma once

#include "gui/cgeometry.h"

#include "pluginterfaces/gui/iplugview.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <utility>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace talvane::testing {

using Clock = std::chrono::steady_clock;

// A private X server on a free display number, stopped with the test. Xvfb chooses the number
// itself and tells it through a pipe: test programs starting at the same moment (ctest's parallel
// jobs, other checkouts' tests on the same machine) each get a server of their own, where looking
// for a free number first could give two of them the same one.
class Xvfb
{
public:
    // `geometry`: the screen's width x height x depth.
    explicit Xvfb(std::string geometry = "1280x800x24") : screenGeometry(std::move(geometry)) { start(); }
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

    // Why tests cannot drive this server as a mouse and keyboard would (no server, or no XTEST
    // extension on it), or empty when they can.
    std::string whyNoInput() const
    {
        if (!display)
            return "no X server for this test: " + failure;
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor))
            return "the X server lacks the XTEST extension";
        return {};
    }

    Display* display = nullptr;
    std::string name;
    std::string failure;

private:
    // Where Xvfb writes the display number, in its own descriptor table.
    static constexpr int kNumberDescriptor = 9;
    static constexpr std::chrono::seconds kStartTime{10};

    void start()
    {
        int ends[2] = {-1, -1};
        if (pipe2(ends, O_CLOEXEC) != 0)
        {
            failure = "no pipe for Xvfb's display number";
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, ends[1], kNumberDescriptor);
        char program[] = "Xvfb";
        char displayFdFlag[] = "-displayfd";
        std::string descriptor = std::to_string(kNumberDescriptor);
        char screenFlag[] = "-screen";
        char screenNumber[] = "0";
        std::string geometry = screenGeometry;
        char noTcp[] = "-nolisten";
        char tcp[] = "tcp";
        char* argv[] = {program,      displayFdFlag,   descriptor.data(), screenFlag, screenNumber,
                        geometry.data(), noTcp, tcp,   nullptr};
        const int spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(ends[1]);
        if (spawned != 0)
        {
            close(ends[0]);
            pid = -1;
            failure = "cannot run Xvfb (tools/install-deps installs it)";
            return;
        }
        const std::string number = readDisplayNumber(ends[0]);
        close(ends[0]);
        if (number.empty())
        {
            failure = "Xvfb named no display";
            stop();
            return;
        }
        name = ":" + number;
        // The server takes connections once it has told its number.
        display = XOpenDisplay(name.c_str());
        if (!display)
        {
            failure = "Xvfb did not accept connections";
            stop();
        }
    }

    // The digits Xvfb writes when it is ready, up to its newline; empty if it exits or takes too long.
    static std::string readDisplayNumber(int descriptor)
    {
        std::string number;
        const auto deadline = Clock::now() + kStartTime;
        while (Clock::now() < deadline)
        {
            pollfd ready{descriptor, POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (poll(&ready, 1, static_cast<int>(std::max<long long>(left.count(), 1))) <= 0)
                continue;
            char c = 0;
            if (read(descriptor, &c, 1) != 1)
                break; // Xvfb closed the pipe: it exited
            if (c == '\n')
                return number;
            if (c >= '0' && c <= '9')
                number += c;
        }
        return {};
    }

    void stop()
    {
        if (pid > 0)
        {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        pid = -1;
    }

    std::string screenGeometry;
    pid_t pid = -1;
};

// The host's side: a plug frame with a run loop.
namespace x11host {
using namespace Steinberg;

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

} // namespace x11host
using x11host::FakeHost;

// Points DISPLAY at the test's server while it lives.
class ScopedDisplay
{
public:
    explicit ScopedDisplay(const std::string& name)
    {
        const char* previous = std::getenv("DISPLAY");
        hadPrevious = previous != nullptr;
        if (previous)
            saved = previous;
        setenv("DISPLAY", name.c_str(), 1);
    }
    ~ScopedDisplay()
    {
        if (hadPrevious)
            setenv("DISPLAY", saved.c_str(), 1);
        else
            unsetenv("DISPLAY");
    }
    ScopedDisplay(const ScopedDisplay&) = delete;
    ScopedDisplay& operator=(const ScopedDisplay&) = delete;

private:
    std::string saved;
    bool hadPrevious = false;
};

inline VSTGUI::CColor windowPixel(Display* display, Window window, int x, int y)
{
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return VSTGUI::kTransparentCColor;
    const unsigned long value = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return VSTGUI::MakeCColor((value >> 16) & 0xff, (value >> 8) & 0xff, value & 0xff);
}

inline void clickAt(Display* display, int rootX, int rootY)
{
    XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, 0);
    XTestFakeButtonEvent(display, 1, True, 0);
    XTestFakeButtonEvent(display, 1, False, 0);
    XFlush(display);
}

// Types text through XTEST, a key at a time, with Shift where the keyboard map needs it. Only
// characters the server's keyboard map has (ASCII on Xvfb) can be typed.
inline void typeText(Display* display, const std::string& text)
{
    const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
    for (char c : text)
    {
        const KeySym keysym = c == ' ' ? XK_space : static_cast<KeySym>(static_cast<unsigned char>(c));
        const KeyCode code = XKeysymToKeycode(display, keysym);
        if (code == 0)
            continue;
        int perCode = 0;
        KeySym* map = XGetKeyboardMapping(display, code, 1, &perCode);
        const bool needsShift = map && perCode > 0 && map[0] != keysym;
        if (map)
            XFree(map);
        if (needsShift)
            XTestFakeKeyEvent(display, shift, True, 0);
        XTestFakeKeyEvent(display, code, True, 0);
        XTestFakeKeyEvent(display, code, False, 0);
        if (needsShift)
            XTestFakeKeyEvent(display, shift, False, 0);
    }
    XFlush(display);
}

inline void pressKey(Display* display, KeySym keysym)
{
    const KeyCode code = XKeysymToKeycode(display, keysym);
    XTestFakeKeyEvent(display, code, True, 0);
    XTestFakeKeyEvent(display, code, False, 0);
    XFlush(display);
}

// The mapped override-redirect window at the top of the root's children (a pop-up), or 0.
inline Window topPopupWindow(Display* display)
{
    Window rootReturn = 0, parentReturn = 0;
    Window* children = nullptr;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &rootReturn, &parentReturn, &children, &count);
    Window found = 0;
    for (unsigned i = count; i-- > 0 && !found;)
    {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.override_redirect &&
            attributes.map_state == IsViewable)
            found = children[i];
    }
    if (children)
        XFree(children);
    return found;
}

// The pointer to a root position, then `button` (1 left, 4 and 5 the wheel) pressed or released.
inline void moveTo(Display* display, int rootX, int rootY)
{
    XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, 0);
    XFlush(display);
}

inline void pressButton(Display* display, unsigned button, bool down)
{
    XTestFakeButtonEvent(display, button, down ? True : False, 0);
    XFlush(display);
}

// The child windows of `window`, bottom to top.
inline std::vector<Window> childWindows(Display* display, Window window)
{
    Window rootReturn = 0, parentReturn = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<Window> found;
    if (XQueryTree(display, window, &rootReturn, &parentReturn, &children, &count) && children)
    {
        found.assign(children, children + count);
        XFree(children);
    }
    return found;
}

// A window position in root coordinates.
inline std::pair<int, int> rootPosition(Display* display, Window window, int x, int y)
{
    int rootX = 0, rootY = 0;
    Window unused = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY, &unused);
    return {rootX, rootY};
}

} // namespace talvane::testing
