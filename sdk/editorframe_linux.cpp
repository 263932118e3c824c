#include "sdk/editorframe_linux.h"

#include <poll.h>

#include <algorithm>

namespace Steinberg {
namespace Vst {

EditorFrame::~EditorFrame()
{
    clear();
}

tresult PLUGIN_API EditorFrame::queryInterface(const TUID iid, void** obj)
{
    if (!obj)
        return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IPlugFrame::iid))
        *obj = static_cast<IPlugFrame*>(this);
    else if (FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid))
        *obj = static_cast<Linux::IRunLoop*>(this);
    else
    {
        *obj = nullptr;
        return kNoInterface;
    }
    addRef();
    return kResultOk;
}

tresult PLUGIN_API EditorFrame::registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd)
{
    if (!handler || fd < 0)
        return kInvalidArgument;
    handler->addRef();
    eventHandlers.push_back({handler, fd, nextSerial++});
    return kResultTrue;
}

tresult PLUGIN_API EditorFrame::unregisterEventHandler(Linux::IEventHandler* handler)
{
    if (!handler)
        return kInvalidArgument;
    bool found = false;
    // Released after removal: the release may destroy the handler, which may call back into us.
    std::vector<Linux::IEventHandler*> removed;
    for (auto it = eventHandlers.begin(); it != eventHandlers.end();)
    {
        if (it->handler == handler)
        {
            removed.push_back(it->handler);
            it = eventHandlers.erase(it);
            found = true;
        }
        else
            ++it;
    }
    for (Linux::IEventHandler* h : removed)
        h->release();
    return found ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API EditorFrame::registerTimer(Linux::ITimerHandler* handler,
                                              Linux::TimerInterval milliseconds)
{
    if (!handler)
        return kInvalidArgument;
    handler->addRef();
    const Clock::duration interval = std::chrono::milliseconds(milliseconds);
    timers.push_back({handler, interval, Clock::now() + interval, nextSerial++});
    return kResultTrue;
}

tresult PLUGIN_API EditorFrame::unregisterTimer(Linux::ITimerHandler* handler)
{
    if (!handler)
        return kInvalidArgument;
    bool found = false;
    std::vector<Linux::ITimerHandler*> removed;
    for (auto it = timers.begin(); it != timers.end();)
    {
        if (it->handler == handler)
        {
            removed.push_back(it->handler);
            it = timers.erase(it);
            found = true;
        }
        else
            ++it;
    }
    for (Linux::ITimerHandler* h : removed)
        h->release();
    return found ? kResultTrue : kResultFalse;
}

void EditorFrame::clear()
{
    std::vector<EventRegistration> oldHandlers;
    std::vector<TimerRegistration> oldTimers;
    oldHandlers.swap(eventHandlers);
    oldTimers.swap(timers);
    for (const EventRegistration& r : oldHandlers)
        r.handler->release();
    for (const TimerRegistration& r : oldTimers)
        r.handler->release();
}

void EditorFrame::idle(Clock::time_point now)
{
    pollEventHandlers();
    fireDueTimers(now);
}

bool EditorFrame::eventStillRegistered(std::uint64_t serial) const
{
    return std::any_of(eventHandlers.begin(), eventHandlers.end(),
                       [serial](const EventRegistration& r) { return r.serial == serial; });
}

EditorFrame::TimerRegistration* EditorFrame::timerStillRegistered(std::uint64_t serial)
{
    for (TimerRegistration& r : timers)
        if (r.serial == serial)
            return &r;
    return nullptr;
}

void EditorFrame::pollEventHandlers()
{
    if (eventHandlers.empty())
        return;
    const std::vector<EventRegistration> snapshot = eventHandlers;
    std::vector<pollfd> fds;
    fds.reserve(snapshot.size());
    for (const EventRegistration& r : snapshot)
        fds.push_back({r.fd, POLLIN, 0});
    // No waiting: the host's idle call must come back at once.
    if (poll(fds.data(), static_cast<nfds_t>(fds.size()), 0) <= 0)
        return;
    for (std::size_t i = 0; i < snapshot.size(); ++i)
    {
        // A descriptor that hung up or failed is handed to its handler too: that is how the view
        // learns of it (reading it tells).
        if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
            continue;
        if (eventStillRegistered(snapshot[i].serial))
            snapshot[i].handler->onFDIsSet(snapshot[i].fd);
    }
}

void EditorFrame::fireDueTimers(Clock::time_point now)
{
    if (timers.empty())
        return;
    std::vector<std::uint64_t> due;
    for (const TimerRegistration& r : timers)
        if (r.due <= now)
            due.push_back(r.serial);
    for (std::uint64_t serial : due)
    {
        TimerRegistration* timer = timerStillRegistered(serial);
        if (!timer)
            continue;
        // The next firing is one interval after this idle: a timer late by several intervals fires
        // once, not once per missed interval.
        timer->due = now + timer->interval;
        Linux::ITimerHandler* handler = timer->handler;
        handler->addRef(); // may be unregistered from inside its own callback
        handler->onTimer();
        handler->release();
    }
}

} // namespace Vst
} // namespace Steinberg
