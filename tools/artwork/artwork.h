// The editor's bitmaps, drawn by code. Each function returns a new image surface of exactly the
// size the editor's bitmap table gives (frames stacked vertically).
#pragma once

#include <cairo.h>

namespace talvane::artwork {

enum class KnobKind
{
    Blue,       // the value arc grows clockwise from the minimum
    BlueCentre, // the value arc grows from 12 o'clock either way
    Red,
};

cairo_surface_t* drawKnobStrip(KnobKind kind, int size, int frames);
cairo_surface_t* drawWheelStrip(int width, int frameHeight, int frames);
cairo_surface_t* drawButton(int width, int frameHeight, bool relief);
cairo_surface_t* drawListBox(int width, int height);
cairo_surface_t* drawPageSwitcher(int width, int frameHeight);
cairo_surface_t* drawBackground(int width, int height);

} // namespace talvane::artwork
