// The editor's idle timer, as the window system provides one: on Linux a timer of the host's run
// loop (Linux::IRunLoop), on Windows a window timer of the user-interface thread (SetTimer). Either
// way the callback runs on the host's user-interface thread. Stopped when destroyed.
#pragma once

#include "pluginterfaces/base/ftypes.h"

#include <functional>
#include <memory>

namespace Steinberg {
namespace Linux {
class IRunLoop;
} // namespace Linux

namespace Vst {

class EditorIdleTimer
{
public:
    using Callback = std::function<void()>;

    // Null when there is no way to run one: on Linux, a host without a run loop (see hostrunloop.h).
    static std::unique_ptr<EditorIdleTimer> start(Linux::IRunLoop* runLoop, int32 milliseconds, Callback tick);

    virtual ~EditorIdleTimer() = default;
    EditorIdleTimer(const EditorIdleTimer&) = delete;
    EditorIdleTimer& operator=(const EditorIdleTimer&) = delete;

protected:
    EditorIdleTimer() = default;
};

} // namespace Vst
} // namespace Steinberg
