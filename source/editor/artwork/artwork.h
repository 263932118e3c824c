// The editor's eleven bitmaps as pictures drawn by code. At build time they are painted at 100 %
// into the bitmaps embedded in the module; an editor shown at another scale paints them afresh at
// that scale, so that they stay sharp instead of being stretched.
#pragma once

#include "source/editor/editorlayout.h"

#include "gui/vectorpicture.h"

namespace talvane::artwork {

// The picture of each of the editor's bitmaps, in the order of kEditorBitmaps, with the same size
// and frames.
extern const VSTGUI::VectorPicture kEditorPictures[kNumEditorBitmaps];

// The drawings, each in the frame coordinates of one frame.
enum class KnobKind
{
    Blue,       // the value arc grows clockwise from the minimum
    BlueCentre, // the value arc grows from 12 o'clock either way
    Red,
};

void drawKnobFrame(VSTGUI::VectorPainter& painter, KnobKind kind, int size, int frame, int frames);
void drawWheelFrame(VSTGUI::VectorPainter& painter, int width, int frameHeight, int frame, int frames);
void drawButtonFrame(VSTGUI::VectorPainter& painter, int width, int frameHeight, bool relief, bool on);
void drawListBox(VSTGUI::VectorPainter& painter, int width, int height);
void drawPageSwitcherFrame(VSTGUI::VectorPainter& painter, int width, int frameHeight, int highlighted);
void drawBackground(VSTGUI::VectorPainter& painter, int width, int height);

} // namespace talvane::artwork
