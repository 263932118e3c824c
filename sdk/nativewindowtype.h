// The type of window that hosts on this system hand to a plug-in's view (IPlugView::attached).
#pragma once

#include "pluginterfaces/gui/iplugview.h"

namespace Steinberg {

#ifdef _WIN32
inline const FIDString kNativeWindowType = kPlatformTypeHWND;
#else
inline const FIDString kNativeWindowType = kPlatformTypeX11EmbedWindowID;
#endif

} // namespace Steinberg
