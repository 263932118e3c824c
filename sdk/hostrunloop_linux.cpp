#include "sdk/hostrunloop.h"

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

} // namespace Vst
} // namespace Steinberg
