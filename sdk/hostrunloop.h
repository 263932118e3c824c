// The host's run loop (Linux::IRunLoop), which Linux hosts offer through their plug frame and
// through which a view's timers and window events are driven. Windows hosts have none: their
// message loop serves instead, and these answer null there.
#pragma once

#include "pluginterfaces/gui/iplugview.h"

namespace Steinberg {
namespace Linux {
class IRunLoop;
} // namespace Linux

namespace Vst {

// The frame's run loop with a reference added, or null.
Linux::IRunLoop* findHostRunLoop(IPlugFrame* plugFrame);
void releaseHostRunLoop(Linux::IRunLoop* runLoop);

} // namespace Vst
} // namespace Steinberg
