// cairo's view of the GUI layer's colours (cairo backend only).
#pragma once

#include "gui/cgeometry.h"

typedef struct _cairo cairo_t;

namespace VSTGUI {

// Sets the cairo source colour from a CColor.
void setSourceColor(cairo_t* cr, const CColor& color);

} // namespace VSTGUI
