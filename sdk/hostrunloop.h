// The host's run loop (Linux::IRunLoop), which Linux hosts offer through their plug frame and
// through which a view's timers and window events are driven. Windows hosts have none: their
// message loop serves instead, and these answer null there.
#pragma once

#include "gui/platform/eventloop.h"

#include "pluginterfaces/gui/iplugview.h"

#include <memory>

namespace Steinberg {
namespace Linux {
class IRunLoop;
} // namespace Linux

namespace Vst {

// The frame's run loop with a reference added, or null.
Linux::IRunLoop* findHostRunLoop(IPlugFrame* plugFrame);
void releaseHostRunLoop(Linux::IRunLoop* runLoop);

// The GUI layer's event loop over the host's run loop: each watched descriptor is an event handler
// registered with it. Keeps its own reference to the run loop, as does each watch. Null without a
// run loop.
std::unique_ptr<VSTGUI::GuiEventLoop> makeGuiEventLoop(Linux::IRunLoop* runLoop);

} // namespace Vst
} // namespace Steinberg
