#include "source/editor/artwork/artwork.h"

namespace talvane::artwork {

namespace {

using VSTGUI::VectorPainter;
using VSTGUI::VectorPicture;
using PaintFrame = void (*)(VectorPainter&, int);

template <ControlStyle style>
const BitmapInfo& bitmapOf()
{
    return controlBitmap(style);
}

template <KnobKind kind, ControlStyle style>
void paintKnob(VectorPainter& painter, int frame)
{
    const BitmapInfo& info = bitmapOf<style>();
    drawKnobFrame(painter, kind, info.width, frame, info.frameCount);
}

template <ControlStyle style>
void paintButton(VectorPainter& painter, int frame)
{
    const BitmapInfo& info = bitmapOf<style>();
    drawButtonFrame(painter, info.width, info.frameHeight(), style == ToggleButtonRelief, frame != 0);
}

template <ControlStyle style>
void paintListBox(VectorPainter& painter, int /*frame*/)
{
    const BitmapInfo& info = bitmapOf<style>();
    drawListBox(painter, info.width, info.height);
}

void paintWheel(VectorPainter& painter, int frame)
{
    const BitmapInfo& info = bitmapOf<Wheel>();
    drawWheelFrame(painter, info.width, info.frameHeight(), frame, info.frameCount);
}

void paintPageSwitcher(VectorPainter& painter, int frame)
{
    drawPageSwitcherFrame(painter, kPageSwitcherBitmap.width, kPageSwitcherBitmap.frameHeight(), frame);
}

void paintBackground(VectorPainter& painter, int /*frame*/)
{
    drawBackground(painter, kBackgroundBitmap.width, kBackgroundBitmap.height);
}

PaintFrame painterOf(const BitmapInfo& info)
{
    if (&info == &kBackgroundBitmap)
        return &paintBackground;
    if (&info == &kPageSwitcherBitmap)
        return &paintPageSwitcher;
    if (&info == &bitmapOf<KnobBlue>())
        return &paintKnob<KnobKind::Blue, KnobBlue>;
    if (&info == &bitmapOf<KnobBlueCenter>())
        return &paintKnob<KnobKind::BlueCentre, KnobBlueCenter>;
    if (&info == &bitmapOf<KnobRed>())
        return &paintKnob<KnobKind::Red, KnobRed>;
    if (&info == &bitmapOf<ToggleButton>())
        return &paintButton<ToggleButton>;
    if (&info == &bitmapOf<ToggleButtonRelief>())
        return &paintButton<ToggleButtonRelief>;
    if (&info == &bitmapOf<ListSmall>())
        return &paintListBox<ListSmall>;
    if (&info == &bitmapOf<ListMedium>())
        return &paintListBox<ListMedium>;
    if (&info == &bitmapOf<ListLarge>())
        return &paintListBox<ListLarge>;
    if (&info == &bitmapOf<Wheel>())
        return &paintWheel;
    return nullptr;
}

VectorPicture pictureFor(int index)
{
    const BitmapInfo& info = *kEditorBitmaps[index];
    return {info.width, info.frameHeight(), info.frameCount, !info.hasAlpha, painterOf(info)};
}

} // namespace

const VectorPicture kEditorPictures[kNumEditorBitmaps] = {
    pictureFor(0), pictureFor(1), pictureFor(2), pictureFor(3), pictureFor(4),  pictureFor(5),
    pictureFor(6), pictureFor(7), pictureFor(8), pictureFor(9), pictureFor(10),
};

} // namespace talvane::artwork
