#include "sdk/hostrunloop.h"

#include "sdk/refcounting.h"

namespace Steinberg {
namespace Vst {

Linux::IRunLoop* findHostRunLoop(IPlugFrame* plugFrame)
{
    Linux::IRunLoop* runLoop = nullptr;
    if (plugFrame &&
        plugFrame->queryInterface(Linux::IRunLoop::iid, reinterpret_cast<void**>(&runLoop)) != kResultOk)
        runLoop = nullptr;
    return runLoop;
}

void releaseHostRunLoop(Linux::IRunLoop* runLoop)
{
    if (runLoop)
        runLoop->release();
}

namespace {

using VSTGUI::GuiEventLoop;

// The handler the host's run loop calls when a watched descriptor is readable. Reference counted
// on its own, since the host may hold it a little beyond the watch. The callback lives as long as
// the handler: a watch destroyed from inside its own callback leaves the running callback intact.
class DescriptorHandler : public HeapRefCounted<Linux::IEventHandler>
{
public:
    explicit DescriptorHandler(GuiEventLoop::Callback callback) : onReadable(std::move(callback)) {}

    void detach() { attached = false; }

    void PLUGIN_API onFDIsSet(Linux::FileDescriptor /*fd*/) override
    {
        addRef();
        if (attached)
            onReadable();
        release();
    }

private:
    GuiEventLoop::Callback onReadable;
    bool attached = true;
};

class RunLoopWatch : public GuiEventLoop::Watch
{
public:
    RunLoopWatch(Linux::IRunLoop* hostRunLoop, DescriptorHandler* descriptorHandler)
        : runLoop(hostRunLoop), handler(descriptorHandler)
    {
        runLoop->addRef();
    }
    ~RunLoopWatch() override
    {
        runLoop->unregisterEventHandler(handler);
        handler->detach();
        handler->release();
        runLoop->release();
    }

private:
    Linux::IRunLoop* runLoop;
    DescriptorHandler* handler;
};

class RunLoopEventLoop : public GuiEventLoop
{
public:
    explicit RunLoopEventLoop(Linux::IRunLoop* hostRunLoop) : runLoop(hostRunLoop) { runLoop->addRef(); }
    ~RunLoopEventLoop() override { runLoop->release(); }
    RunLoopEventLoop(const RunLoopEventLoop&) = delete;
    RunLoopEventLoop& operator=(const RunLoopEventLoop&) = delete;

    std::unique_ptr<Watch> watchFileDescriptor(int fd, Callback onReadable) override
    {
        auto* handler = new DescriptorHandler(std::move(onReadable));
        if (runLoop->registerEventHandler(handler, fd) != kResultOk)
        {
            handler->detach();
            handler->release();
            return nullptr;
        }
        return std::make_unique<RunLoopWatch>(runLoop, handler);
    }

private:
    Linux::IRunLoop* runLoop;
};

} // namespace

std::unique_ptr<GuiEventLoop> makeGuiEventLoop(Linux::IRunLoop* runLoop)
{
    if (!runLoop)
        return nullptr;
    return std::make_unique<RunLoopEventLoop>(runLoop);
}

} // namespace Vst
} // namespace Steinberg
