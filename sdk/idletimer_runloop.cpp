// The idle timer on Linux: a timer handler registered with the host's run loop.
#include "sdk/idletimer.h"
#include "sdk/refcounting.h"

#include "pluginterfaces/gui/iplugview.h"

namespace Steinberg {
namespace Vst {

namespace {

// The handler the host's run loop calls every idle period. Reference counted on its own, since
// the host may keep it a little beyond the editor's wish.
class RunLoopTimerHandler : public HeapRefCounted<Linux::ITimerHandler>
{
public:
    explicit RunLoopTimerHandler(EditorIdleTimer::Callback callback) : tick(std::move(callback)) {}

    void detach() { tick = nullptr; }

    void PLUGIN_API onTimer() override
    {
        if (tick)
            tick();
    }


private:
    EditorIdleTimer::Callback tick;
};

class RunLoopIdleTimer : public EditorIdleTimer
{
public:
    RunLoopIdleTimer(Linux::IRunLoop* hostRunLoop, RunLoopTimerHandler* timerHandler)
        : runLoop(hostRunLoop), handler(timerHandler)
    {}
    ~RunLoopIdleTimer() override
    {
        runLoop->unregisterTimer(handler);
        handler->detach();
        handler->release();
    }

private:
    Linux::IRunLoop* runLoop;
    RunLoopTimerHandler* handler;
};

} // namespace

std::unique_ptr<EditorIdleTimer> EditorIdleTimer::start(Linux::IRunLoop* runLoop, int32 milliseconds, Callback tick)
{
    if (!runLoop)
        return nullptr;
    auto* handler = new RunLoopTimerHandler(std::move(tick));
    if (runLoop->registerTimer(handler, static_cast<Linux::TimerInterval>(milliseconds)) != kResultOk)
    {
        handler->detach();
        handler->release();
        return nullptr;
    }
    return std::make_unique<RunLoopIdleTimer>(runLoop, handler);
}

} // namespace Vst
} // namespace Steinberg
