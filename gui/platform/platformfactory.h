// Chooses the backend for a frame from what it is opened in.
#pragma once

#include "gui/platform/platformparent.h"

#include <memory>

namespace VSTGUI {

class CFrame;
class IPlatformFrame;

// The host window types this build can open a frame in (its native one and offscreen).
bool isPlatformTypeSupported(const char* type);

// Null when the window system refuses (no display, a bad parent window).
std::unique_ptr<IPlatformFrame> createPlatformFrame(CFrame& frame, const PlatformParent* parent);

} // namespace VSTGUI
