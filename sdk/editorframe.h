// The frame a VST 2 host's window gives a wrapped VST 3 editor view (IPlugFrame): on Linux it also
// runs the view's timers and window events (Linux::IRunLoop), driven by the host's editor idle
// calls; on Windows the host's message loop does that, and the frame only passes resize requests on.
#pragma once

#ifdef _WIN32
#include "sdk/editorframe_win32.h"
#else
#include "sdk/editorframe_linux.h"
#endif
