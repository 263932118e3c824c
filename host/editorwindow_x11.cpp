#include "host/editorwindow_x11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <poll.h>

#include <algorithm>
#include <vector>

namespace talvane::host {

using namespace Steinberg;

X11EditorWindow::~X11EditorWindow()
{
    close();
}

bool X11EditorWindow::open(IPlugView* view, const std::string& title)
{
    close();
    if (!view || view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID) != kResultTrue)
    {
        lastError = "the plug-in has no X11 editor";
        return false;
    }
    connection = XOpenDisplay(nullptr);
    if (!connection)
    {
        lastError = "cannot open the X display (is DISPLAY set?)";
        return false;
    }
    ViewRect size;
    if (view->getSize(&size) != kResultOk || size.getWidth() <= 0 || size.getHeight() <= 0)
        size = ViewRect(0, 0, 800, 600);
    const int screen = DefaultScreen(connection);
    window = XCreateSimpleWindow(connection, RootWindow(connection, screen), 0, 0,
                                 static_cast<unsigned>(size.getWidth()), static_cast<unsigned>(size.getHeight()), 0,
                                 BlackPixel(connection, screen), BlackPixel(connection, screen));
    deleteWindow = XInternAtom(connection, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(connection, window, &deleteWindow, 1);
    XSelectInput(connection, window, StructureNotifyMask);
    XClassHint classHint{const_cast<char*>("talvane"), const_cast<char*>("Talvane")};
    XSetClassHint(connection, window, &classHint);
    setTitle(title);
    XMapWindow(connection, window);
    XSync(connection, False);

    closedByUser = false;
    view->setFrame(this);
    if (view->attached(reinterpret_cast<void*>(window), kPlatformTypeX11EmbedWindowID) != kResultTrue)
    {
        view->setFrame(nullptr);
        lastError = "the editor did not open in the window";
        close();
        return false;
    }
    attachedView = view;
    return true;
}

void X11EditorWindow::close()
{
    if (attachedView)
    {
        attachedView->removed();
        attachedView->setFrame(nullptr);
        attachedView = nullptr;
    }
    if (connection)
    {
        if (window)
            XDestroyWindow(connection, window);
        XCloseDisplay(connection);
    }
    window = 0;
    connection = nullptr;
}

void X11EditorWindow::setTitle(const std::string& title)
{
    if (!window)
        return;
    // The UTF-8 name for today's window managers, the Latin-1 one for the others.
    const Atom netName = XInternAtom(connection, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(connection, "UTF8_STRING", False);
    XChangeProperty(connection, window, netName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
    XStoreName(connection, window, title.c_str());
    XFlush(connection);
}

bool X11EditorWindow::run(std::chrono::milliseconds span)
{
    const Clock::time_point end = Clock::now() + span;
    do
    {
        handleDisplayEvents();
        if (closedByUser || !window)
            return false;
        std::vector<pollfd> fds{{ConnectionNumber(connection), POLLIN, 0}};
        std::vector<Linux::IEventHandler*> owners{nullptr};
        for (const auto& [handler, fd] : handlers)
        {
            fds.push_back({fd, POLLIN, 0});
            owners.push_back(handler);
        }
        if (poll(fds.data(), fds.size(), millisecondsToNextTimer(end)) < 0)
            continue;
        if (fds[0].revents & (POLLHUP | POLLERR))
        {
            closedByUser = true;
            return false;
        }
        for (std::size_t i = 1; i < fds.size(); ++i)
            if ((fds[i].revents & POLLIN) && handlers.count(owners[i]))
                owners[i]->onFDIsSet(fds[i].fd);
        runDueTimer();
    } while (Clock::now() < end);
    handleDisplayEvents();
    return !closedByUser && window;
}

void X11EditorWindow::handleDisplayEvents()
{
    if (!connection)
        return;
    while (XPending(connection) > 0)
    {
        XEvent event;
        XNextEvent(connection, &event);
        if (event.type == ClientMessage && event.xclient.window == window &&
            static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
            closedByUser = true;
    }
}

void X11EditorWindow::runDueTimer()
{
    const Clock::time_point now = Clock::now();
    for (auto& [handler, timer] : timers)
        if (now >= timer.due)
        {
            timer.due = std::max(timer.due + timer.interval, now);
            handler->onTimer();
            return; // the handler may have changed the timers
        }
}

int X11EditorWindow::millisecondsToNextTimer(Clock::time_point end) const
{
    Clock::time_point next = end;
    for (const auto& entry : timers)
        next = std::min(next, entry.second.due);
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
    return static_cast<int>(std::max<long long>(wait, 0));
}

tresult PLUGIN_API X11EditorWindow::resizeView(IPlugView* view, ViewRect* newSize)
{
    if (!view || !newSize || !window)
        return kInvalidArgument;
    XResizeWindow(connection, window, static_cast<unsigned>(std::max(newSize->getWidth(), 1)),
                  static_cast<unsigned>(std::max(newSize->getHeight(), 1)));
    XFlush(connection);
    return view->onSize(newSize);
}

tresult PLUGIN_API X11EditorWindow::registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd)
{
    if (!handler)
        return kInvalidArgument;
    if (handlers.emplace(handler, fd).second)
        handler->addRef();
    return kResultOk;
}

tresult PLUGIN_API X11EditorWindow::unregisterEventHandler(Linux::IEventHandler* handler)
{
    if (handlers.erase(handler))
        handler->release();
    return kResultOk;
}

tresult PLUGIN_API X11EditorWindow::registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval milliseconds)
{
    if (!handler)
        return kInvalidArgument;
    const std::chrono::milliseconds interval(std::max<Linux::TimerInterval>(milliseconds, 1));
    if (timers.count(handler) == 0)
        handler->addRef();
    timers[handler] = {interval, Clock::now() + interval};
    return kResultOk;
}

tresult PLUGIN_API X11EditorWindow::unregisterTimer(Linux::ITimerHandler* handler)
{
    if (timers.erase(handler))
        handler->release();
    return kResultOk;
}

tresult PLUGIN_API X11EditorWindow::queryInterface(const TUID iid, void** obj)
{
    if (!obj)
        return kInvalidArgument;
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

} // namespace talvane::host
