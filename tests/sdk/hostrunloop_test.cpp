// The GUI layer's event loop over a host's run loop: the run loop here is the VST 2 wrapper's editor
// frame, which polls the registered descriptors on each idle call, and the descriptor a pipe the
// test writes into.
#include "sdk/editorframe.h"
#include "sdk/hostrunloop.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <memory>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

class Pipe
{
public:
    Pipe() { EXPECT_EQ(pipe2(ends, O_NONBLOCK | O_CLOEXEC), 0); }
    ~Pipe()
    {
        close(ends[0]);
        close(ends[1]);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int readEnd() const { return ends[0]; }
    void put() { ASSERT_EQ(write(ends[1], "x", 1), 1); }
    void drain()
    {
        char bytes[16];
        while (read(ends[0], bytes, sizeof bytes) > 0)
        {}
    }

private:
    int ends[2] = {-1, -1};
};

EditorFrame::ResizeRequest noResize()
{
    return [](IPlugView*, const ViewRect&) { return false; };
}

TEST(GuiEventLoopOverRunLoop, CallsBackWhileWatchedAndUnregistersWithTheWatch)
{
    EXPECT_EQ(makeGuiEventLoop(nullptr), nullptr) << "no run loop, no event loop";

    EditorFrame host(noResize());
    Pipe descriptor;
    auto loop = makeGuiEventLoop(&host);
    ASSERT_NE(loop, nullptr);
    int calls = 0;
    auto watch = loop->watchFileDescriptor(descriptor.readEnd(), [&] {
        ++calls;
        descriptor.drain();
    });
    ASSERT_NE(watch, nullptr);
    EXPECT_EQ(host.eventHandlerCount(), 1u);

    host.idle();
    EXPECT_EQ(calls, 0) << "nothing to read yet";
    descriptor.put();
    host.idle();
    EXPECT_EQ(calls, 1);
    host.idle();
    EXPECT_EQ(calls, 1) << "drained";

    // The watch may outlive the loop object that made it: it holds the run loop itself.
    loop.reset();
    descriptor.put();
    host.idle();
    EXPECT_EQ(calls, 2);

    watch.reset();
    EXPECT_EQ(host.eventHandlerCount(), 0u);
    descriptor.put();
    host.idle();
    EXPECT_EQ(calls, 2) << "no calls once the watch is gone";
}

TEST(GuiEventLoopOverRunLoop, AWatchMayEndInsideItsOwnCallbackAndARefusedDescriptorGivesNone)
{
    EditorFrame host(noResize());
    auto loop = makeGuiEventLoop(&host);
    ASSERT_NE(loop, nullptr);

    // A watch dropped while its callback runs (its owner closed by the event it handles): the
    // callback's captures must stay valid until it returns (AddressSanitizer tells otherwise).
    Pipe descriptor;
    std::unique_ptr<VSTGUI::GuiEventLoop::Watch> watch;
    int calls = 0;
    auto counter = std::make_shared<int>(0);
    watch = loop->watchFileDescriptor(descriptor.readEnd(), [&, counter] {
        watch.reset();
        ++*counter;
        ++calls;
    });
    ASSERT_NE(watch, nullptr);
    descriptor.put();
    host.idle();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(*counter, 1);
    EXPECT_EQ(watch, nullptr);
    EXPECT_EQ(host.eventHandlerCount(), 0u);
    host.idle();
    EXPECT_EQ(calls, 1);

    // The editor frame refuses a negative descriptor: no watch, nothing left registered.
    EXPECT_EQ(loop->watchFileDescriptor(-1, [&] { ++calls; }), nullptr);
    EXPECT_EQ(host.eventHandlerCount(), 0u);
}

} // namespace
