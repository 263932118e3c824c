// The frame a wrapped VST 3 editor view lives in on Linux: IPlugFrame for resize requests and the
// run loop (Linux::IRunLoop) through which the view asks for its file descriptors to be watched and
// its timers to be fired. A VST 2 host has no such loop, so this one is driven by the host's editor
// idle calls: each idle() polls the registered descriptors without waiting and fires the timers
// that are due. Everything runs on the host's user-interface thread.
#pragma once

#include "pluginterfaces/gui/iplugview.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace Steinberg {
namespace Vst {

class EditorFrame : public IPlugFrame, public Linux::IRunLoop
{
public:
    using Clock = std::chrono::steady_clock;
    // Answers whether the host took the new size.
    using ResizeRequest = std::function<bool(IPlugView* view, const ViewRect& size)>;

    explicit EditorFrame(ResizeRequest onResize);
    ~EditorFrame();
    EditorFrame(const EditorFrame&) = delete;
    EditorFrame& operator=(const EditorFrame&) = delete;

    // Calls the handlers whose descriptors are readable and the timers due at `now`.
    void idle(Clock::time_point now = Clock::now());
    // Drops every registration (the view has gone), releasing the handlers.
    void clear();

    std::size_t eventHandlerCount() const { return eventHandlers.size(); }
    std::size_t timerCount() const { return timers.size(); }

    // IPlugFrame
    tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override;
    // Linux::IRunLoop
    tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd) override;
    tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* handler) override;
    tresult PLUGIN_API registerTimer(Linux::ITimerHandler* handler,
                                     Linux::TimerInterval milliseconds) override;
    tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* handler) override;

    // FUnknown: the frame belongs to its wrapper; the count never frees it.
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
    uint32 PLUGIN_API addRef() override { return static_cast<uint32>(++refs); }
    uint32 PLUGIN_API release() override { return static_cast<uint32>(--refs); }

private:
    // Every registration has a serial number, so that a callback that unregisters or registers
    // handlers while idle() walks a snapshot is noticed.
    struct EventRegistration
    {
        Linux::IEventHandler* handler;
        Linux::FileDescriptor fd;
        std::uint64_t serial;
    };
    struct TimerRegistration
    {
        Linux::ITimerHandler* handler;
        Clock::duration interval;
        Clock::time_point due;
        std::uint64_t serial;
    };

    void pollEventHandlers();
    void fireDueTimers(Clock::time_point now);
    bool eventStillRegistered(std::uint64_t serial) const;
    TimerRegistration* timerStillRegistered(std::uint64_t serial);

    ResizeRequest onResize;
    std::vector<EventRegistration> eventHandlers;
    std::vector<TimerRegistration> timers;
    std::uint64_t nextSerial = 1;
    std::atomic<int32> refs{1};
};

} // namespace Vst
} // namespace Steinberg
