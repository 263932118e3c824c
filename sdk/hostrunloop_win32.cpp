#include "sdk/hostrunloop.h"

namespace Steinberg {
namespace Vst {

Linux::IRunLoop* findHostRunLoop(IPlugFrame* /*plugFrame*/)
{
    return nullptr;
}

void releaseHostRunLoop(Linux::IRunLoop* /*runLoop*/) {}

std::unique_ptr<VSTGUI::GuiEventLoop> makeGuiEventLoop(Linux::IRunLoop* /*runLoop*/)
{
    return nullptr;
}

} // namespace Vst
} // namespace Steinberg
