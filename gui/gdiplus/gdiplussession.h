// GDI+ must be started before its first object and shut down after its last. A plug-in cannot do
// either from DllMain, so every GDI+ object of the GUI layer (images, fonts) holds the library for
// as long as it lives: the first one starts it, the last one shuts it down. All of it happens on
// the host's user-interface thread.
#pragma once

#include "gui/cgeometry.h"

#include <windows.h>

#include <gdiplus.h>

#include <string>

namespace VSTGUI::gdiplus {

// True when GDI+ is running (and now held once more); every true must be matched by release().
bool acquire();
void release();

// Text for the wide-character API.
std::wstring widen(const char* utf8);

inline Gdiplus::Color toColor(const CColor& color)
{
    return Gdiplus::Color(color.alpha, color.red, color.green, color.blue);
}

} // namespace VSTGUI::gdiplus
