#include "sdk/hostrunloop.h"

namespace Steinberg {
namespace Vst {

Linux::IRunLoop* findHostRunLoop(IPlugFrame* /*plugFrame*/)
{
    return nullptr;
}

void releaseHostRunLoop(Linux::IRunLoop* /*runLoop*/) {}

} // namespace Vst
} // namespace Steinberg
