// The idle timer on Windows: a window timer of the user-interface thread, which the host's message
// loop delivers there. Thread timers call back without a window, so the timer's number leads to
// its owner.
#include "sdk/idletimer.h"

#include <windows.h>

#include <map>

namespace Steinberg {
namespace Vst {

namespace {

class WindowIdleTimer;

// Only the user-interface thread starts, stops and runs these timers.
std::map<UINT_PTR, WindowIdleTimer*>& runningTimers()
{
    static std::map<UINT_PTR, WindowIdleTimer*> timers;
    return timers;
}

class WindowIdleTimer : public EditorIdleTimer
{
public:
    explicit WindowIdleTimer(Callback callback) : tick(std::move(callback)) {}
    ~WindowIdleTimer() override
    {
        if (id == 0)
            return;
        KillTimer(nullptr, id);
        runningTimers().erase(id);
    }

    bool start(int32 milliseconds)
    {
        id = SetTimer(nullptr, 0, static_cast<UINT>(milliseconds), &WindowIdleTimer::onTimer);
        if (id == 0)
            return false;
        runningTimers()[id] = this;
        return true;
    }

private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR timerId, DWORD)
    {
        const auto found = runningTimers().find(timerId);
        if (found != runningTimers().end())
            found->second->tick();
    }

    Callback tick;
    UINT_PTR id = 0;
};

} // namespace

std::unique_ptr<EditorIdleTimer> EditorIdleTimer::start(Linux::IRunLoop* /*runLoop*/, int32 milliseconds,
                                                        Callback tick)
{
    auto timer = std::make_unique<WindowIdleTimer>(std::move(tick));
    if (!timer->start(milliseconds))
        return nullptr;
    return timer;
}

} // namespace Vst
} // namespace Steinberg
