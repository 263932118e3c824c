// The event loop a frame's window lives in, as far as the GUI layer needs one: an X11 frame has its
// own connection to the X server, and the loop calls back on the user-interface thread whenever
// that connection's descriptor is readable. The GUI layer knows no host interface: whoever opens
// an X11 frame passes an implementation over its host's loop (the editor base does, over the host's
// run loop). Win32 frames need none, the thread's message loop delivers their messages; redraws
// come from the editor's idle timer (CFrame::idle), so the GUI layer asks for no timers.
#pragma once

#include <functional>
#include <memory>

namespace VSTGUI {

class GuiEventLoop
{
public:
    using Callback = std::function<void()>;

    // A descriptor being watched; destroying it stops the calls, even from inside the callback.
    class Watch
    {
    public:
        virtual ~Watch() = default;

    protected:
        Watch() = default;
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;
    };

    virtual ~GuiEventLoop() = default;

    // Calls `onReadable` whenever `fd` is readable (or has hung up), until the watch is destroyed.
    // Null if the loop refused the descriptor.
    virtual std::unique_ptr<Watch> watchFileDescriptor(int fd, Callback onReadable) = 0;
};

} // namespace VSTGUI
