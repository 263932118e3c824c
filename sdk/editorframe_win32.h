// The frame of a wrapped editor view on Windows: resize requests go to the host; timers and mouse
// messages reach the view through the host's message loop, so idling has nothing to do.
#pragma once

#include "pluginterfaces/gui/iplugview.h"

#include <atomic>
#include <chrono>
#include <functional>

namespace Steinberg {
namespace Vst {

class EditorFrame : public IPlugFrame
{
public:
    using Clock = std::chrono::steady_clock;
    // Answers whether the host took the new size.
    using ResizeRequest = std::function<bool(IPlugView* view, const ViewRect& size)>;

    explicit EditorFrame(ResizeRequest onResize);
    EditorFrame(const EditorFrame&) = delete;
    EditorFrame& operator=(const EditorFrame&) = delete;

    void idle(Clock::time_point /*now*/ = Clock::now()) {}
    void clear() {}

    // IPlugFrame
    tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override;

    // FUnknown: the frame belongs to its wrapper; the count never frees it.
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
    uint32 PLUGIN_API addRef() override { return static_cast<uint32>(++refs); }
    uint32 PLUGIN_API release() override { return static_cast<uint32>(--refs); }

private:
    ResizeRequest onResize;
    std::atomic<int32> refs{1};
};

} // namespace Vst
} // namespace Steinberg
