#include "source/editor/editorlayout.h"

#include <iterator>

namespace talvane {

namespace {

const ControlPlacement kAlwaysPresentControls[] = {
    {kGlobalVolume, KnobRed, 664, 95, true},
    {kPortamento, KnobRed, 809, 95, true},
    {kNoteMode, ListSmall, 747, 89, true},
    {kPolyphony, KnobRed, 714, 95, true},
    {kPitchBend, Wheel, 852, 93, true},
    {kPbUp, KnobRed, 909, 95, true},
    {kPbDown, KnobRed, 959, 95, true},
    {kPanic, KickButton, 596, 86, true},
    {kModWheel, Wheel, 1002, 93, true},
    {kAAttack, KnobBlue, 58, 483, true},
    {kADecay, KnobBlue, 108, 483, true},
    {kASustain, KnobBlue, 158, 483, true},
    {kARelease, KnobBlue, 208, 483, true},
    {kFOn, ToggleButtonRelief, 281, 460, false},
    {kFCutoff, KnobBlue, 339, 483, true},
    {kFQ, KnobBlue, 389, 483, true},
    {kFType, ListSmall, 281, 494, false},
    {kFAmount, KnobBlueCenter, 439, 483, true},
    {kFAttack, KnobBlue, 489, 483, true},
    {kFDecay, KnobBlue, 539, 483, true},
    {kFSustain, KnobBlue, 589, 483, true},
    {kFRelease, KnobBlue, 639, 483, true},
    {kKeyFollow, KnobBlue, 721, 483, true},
    {kRefOctave, ListSmall, 665, 494, false},
    {kRefNote, ListSmall, 665, 461, false},
    {kO1Waveform, ListLarge, 51, 202, false},
    {kO1On, ToggleButtonRelief, 51, 179, true},
    {kO1Panning, KnobBlueCenter, 369, 201, true},
    {kO1PhaseInit, KnobBlue, 420, 201, true},
    {kO1Retrig, ToggleButton, 139, 179, true},
    {kO1Octave, KnobBlueCenter, 215, 201, true},
    {kO1Detune, KnobBlueCenter, 266, 201, true},
    {kO1FineTune, KnobBlueCenter, 318, 201, true},
    {kO1WaveStretch, KnobBlueCenter, 471, 201, true},
    {kO1Invert, ToggleButton, 139, 210, true},
    {kO1SterDeph, KnobBlueCenter, 522, 201, true},
    {kO2Waveform, ListLarge, 51, 283, false},
    {kO2On, ToggleButtonRelief, 51, 260, true},
    {kO2Panning, KnobBlueCenter, 369, 282, true},
    {kO2PhaseInit, KnobBlue, 420, 282, true},
    {kO2Retrig, ToggleButton, 139, 260, true},
    {kO2Octave, KnobBlueCenter, 215, 282, true},
    {kO2Detune, KnobBlueCenter, 266, 282, true},
    {kO2FineTune, KnobBlueCenter, 318, 282, true},
    {kO2WaveStretch, KnobBlueCenter, 471, 282, true},
    {kO2Invert, ToggleButton, 139, 291, true},
    {kO2SterDeph, KnobBlueCenter, 522, 282, true},
    {kO3Waveform, ListLarge, 51, 363, false},
    {kO3On, ToggleButtonRelief, 51, 340, true},
    {kO3Panning, KnobBlueCenter, 369, 362, true},
    {kO3PhaseInit, KnobBlue, 420, 362, true},
    {kO3Retrig, ToggleButton, 139, 340, true},
    {kO3Octave, KnobBlueCenter, 215, 362, true},
    {kO3Detune, KnobBlueCenter, 266, 362, true},
    {kO3FineTune, KnobBlueCenter, 318, 362, true},
    {kO3WaveStretch, KnobBlueCenter, 471, 362, true},
    {kO3Invert, ToggleButton, 139, 371, true},
    {kO3SterDeph, KnobBlueCenter, 522, 362, true},
    {kO1Mix, KnobBlue, 614, 201, true},
    {kO2Mix, KnobBlue, 614, 282, true},
    {kO3Mix, KnobBlue, 614, 362, true},
    {kFmO1O2, KnobBlue, 664, 282, true},
    {kFm3Amount, KnobBlue, 663, 362, true},
    {kFm3O1O2Mix, KnobBlue, 714, 362, true},
    {kRm1x2, KnobBlue, 664, 201, true},
    {kRm1x3, KnobBlue, 714, 201, true},
    {kRm2x3, KnobBlue, 714, 282, true},
};

const ControlPlacement kEnvelopePageControls[] = {
    {kEnv1Attack, KnobBlue, 859, 212, true},   {kEnv1Decay, KnobBlue, 909, 212, true},
    {kEnv1Sustain, KnobBlue, 959, 212, true},  {kEnv1Release, KnobBlue, 1009, 212, true},
    {kEnv1Dest1, ListMedium, 841, 311, false}, {kEnv1Amount1, KnobBlueCenter, 859, 284, false},
    {kEnv1Dest2, ListMedium, 890, 311, false}, {kEnv1Amount2, KnobBlueCenter, 909, 284, false},
    {kEnv1Dest3, ListMedium, 940, 311, false}, {kEnv1Amount3, KnobBlueCenter, 959, 284, false},
    {kEnv1Dest4, ListMedium, 990, 311, false}, {kEnv1Amount4, KnobBlueCenter, 1009, 284, false},
    {kEnv1Amount, KnobBlue, 809, 284, true},   {kEnv1Type, ListMedium, 788, 232, false},
    {kEnv2Attack, KnobBlue, 859, 392, true},   {kEnv2Decay, KnobBlue, 909, 392, true},
    {kEnv2Sustain, KnobBlue, 959, 392, true},  {kEnv2Release, KnobBlue, 1009, 392, true},
    {kEnv2Dest1, ListMedium, 841, 491, false}, {kEnv2Amount1, KnobBlueCenter, 859, 464, false},
    {kEnv2Dest2, ListMedium, 890, 491, false}, {kEnv2Amount2, KnobBlueCenter, 909, 464, false},
    {kEnv2Dest3, ListMedium, 940, 491, false}, {kEnv2Amount3, KnobBlueCenter, 959, 464, false},
    {kEnv2Dest4, ListMedium, 990, 491, false}, {kEnv2Amount4, KnobBlueCenter, 1009, 464, false},
    {kEnv2Amount, KnobBlue, 809, 464, true},   {kEnv2Type, ListMedium, 788, 412, false},
};

const ControlPlacement kLfoPageControls[] = {
    {kLfo1Amount, KnobBlue, 809, 284, true},
    {kLfo1Waveform, ListMedium, 788, 232, false},
    {kLfo1Freq, KnobBlue, 859, 212, true},
    {kLfo1Retrig, ToggleButton, 891, 216, true},
    {kLfo1Sync, ToggleButton, 891, 185, true},
    {kLfo1InitPhase, KnobBlue, 959, 212, true},
    {kLfo1Clipping, KnobBlueCenter, 1009, 212, true},
    {kLfo1Dest1, ListMedium, 841, 311, false},
    {kLfo1Amount1, KnobBlueCenter, 859, 284, false},
    {kLfo1Dest2, ListMedium, 890, 311, false},
    {kLfo1Amount2, KnobBlueCenter, 909, 284, false},
    {kLfo1Dest3, ListMedium, 940, 311, false},
    {kLfo1Amount3, KnobBlueCenter, 959, 284, false},
    {kLfo1Dest4, ListMedium, 990, 311, false},
    {kLfo1Amount4, KnobBlueCenter, 1009, 284, false},
    {kLfo2Amount, KnobBlue, 809, 464, true},
    {kLfo2Waveform, ListMedium, 788, 412, false},
    {kLfo2Freq, KnobBlue, 859, 392, true},
    {kLfo2Retrig, ToggleButton, 891, 396, true},
    {kLfo2Sync, ToggleButton, 891, 365, true},
    {kLfo2InitPhase, KnobBlue, 959, 392, true},
    {kLfo2Clipping, KnobBlueCenter, 1009, 392, true},
    {kLfo2Dest1, ListMedium, 841, 491, false},
    {kLfo2Amount1, KnobBlueCenter, 859, 464, false},
    {kLfo2Dest2, ListMedium, 890, 491, false},
    {kLfo2Amount2, KnobBlueCenter, 909, 464, false},
    {kLfo2Dest3, ListMedium, 940, 491, false},
    {kLfo2Amount3, KnobBlueCenter, 959, 464, false},
    {kLfo2Dest4, ListMedium, 990, 491, false},
    {kLfo2Amount4, KnobBlueCenter, 1009, 464, false},
};

const ControlPlacement kMatrixPageControls[] = {
    {kMatrix1Src, ListLarge, 840, 202, false},           {kMatrix1Amount, KnobBlue, 959, 212, true},
    {kMatrix1Clipping, KnobBlueCenter, 1009, 212, true}, {kMatrix1Target1, ListMedium, 841, 311, false},
    {kMatrix1Amount1, KnobBlueCenter, 859, 284, false},  {kMatrix1Target2, ListMedium, 890, 311, false},
    {kMatrix1Amount2, KnobBlueCenter, 909, 284, false},  {kMatrix1Target3, ListMedium, 940, 311, false},
    {kMatrix1Amount3, KnobBlueCenter, 959, 284, false},  {kMatrix1Target4, ListMedium, 990, 311, false},
    {kMatrix1Amount4, KnobBlueCenter, 1009, 284, false}, {kMatrix2Src, ListLarge, 840, 382, false},
    {kMatrix2Amount, KnobBlue, 959, 392, true},          {kMatrix2Clipping, KnobBlueCenter, 1009, 392, true},
    {kMatrix2Target1, ListMedium, 841, 491, false},      {kMatrix2Amount1, KnobBlueCenter, 859, 464, false},
    {kMatrix2Target2, ListMedium, 890, 491, false},      {kMatrix2Amount2, KnobBlueCenter, 909, 464, false},
    {kMatrix2Target3, ListMedium, 940, 491, false},      {kMatrix2Amount3, KnobBlueCenter, 959, 464, false},
    {kMatrix2Target4, ListMedium, 990, 491, false},      {kMatrix2Amount4, KnobBlueCenter, 1009, 464, false},
};
constexpr LayoutTable kAlwaysPresent{kAlwaysPresentControls, std::size(kAlwaysPresentControls)};
constexpr LayoutTable kPages[kNumPages] = {
    {kEnvelopePageControls, std::size(kEnvelopePageControls)},
    {kLfoPageControls, std::size(kLfoPageControls)},
    {kMatrixPageControls, std::size(kMatrixPageControls)},
};
constexpr LayoutTable kNoControls{nullptr, 0};

constexpr BitmapInfo kKnobBlueBitmap{"knob_blue.png", 50, 12800, 256, true};
constexpr BitmapInfo kKnobBlueCenterBitmap{"knob_blue_center.png", 50, 12800, 256, true};
constexpr BitmapInfo kKnobRedBitmap{"knob_red.png", 50, 12800, 256, true};
constexpr BitmapInfo kButtonBitmap{"button.png", 29, 38, 2, true};
constexpr BitmapInfo kButtonReliefBitmap{"button_relief.png", 29, 38, 2, true};
constexpr BitmapInfo kListSmallBitmap{"listbox_small.png", 28, 16, 1, true};
constexpr BitmapInfo kListMediumBitmap{"listbox_medium.png", 39, 16, 1, true};
constexpr BitmapInfo kListLargeBitmap{"listbox_large.png", 78, 24, 1, true};
constexpr BitmapInfo kWheelBitmap{"wheel.png", 16, 1591, 37, true};

constexpr const BitmapInfo* kStyleBitmaps[kNumControlStyles] = {
    &kKnobBlueBitmap, &kKnobBlueCenterBitmap, &kKnobRedBitmap,    &kButtonBitmap,    &kButtonReliefBitmap,
    &kButtonBitmap,   &kListSmallBitmap,      &kListMediumBitmap, &kListLargeBitmap, &kWheelBitmap,
};

// Toggles whose caption sits below the button rather than to its right.
constexpr ParamId kCaptionBelowToggles[] = {kLfo1Retrig, kLfo1Sync, kLfo2Retrig, kLfo2Sync};

// Captions of buttons and list boxes reach this far right of the anchor.
constexpr int kCaptionReach = 80;
constexpr int kCaptionHeight = 9;
// Gaps between a control and a caption below it.
constexpr int kToggleCaptionGap = 2;
constexpr int kKickCaptionGap = 3;
constexpr int kListCaptionGap = 3;
constexpr int kWheelCaptionGap = 5;

bool captionBelowToggle(ParamId id)
{
    for (ParamId below : kCaptionBelowToggles)
        if (below == id)
            return true;
    return false;
}

} // namespace

const BitmapInfo kBackgroundBitmap{"background.bmp", kEditorWidth, kEditorHeight, 1, false};
const BitmapInfo kPageSwitcherBitmap{"modswitcher.png", 271, 66, 3, true};
const BitmapInfo* const kEditorBitmaps[kNumEditorBitmaps] = {
    &kBackgroundBitmap, &kKnobBlueBitmap,     &kKnobBlueCenterBitmap, &kKnobRedBitmap,
    &kButtonBitmap,     &kButtonReliefBitmap, &kListSmallBitmap,      &kListMediumBitmap,
    &kListLargeBitmap,  &kWheelBitmap,        &kPageSwitcherBitmap,
};

bool isKnobStyle(ControlStyle style)
{
    return style == KnobBlue || style == KnobBlueCenter || style == KnobRed || style == Wheel;
}

bool isListStyle(ControlStyle style)
{
    return style == ListSmall || style == ListMedium || style == ListLarge;
}

bool isToggleStyle(ControlStyle style)
{
    return style == ToggleButton || style == ToggleButtonRelief;
}

const LayoutTable& alwaysPresentLayout()
{
    return kAlwaysPresent;
}

const LayoutTable& pageLayout(int page)
{
    if (page < 0 || page >= kNumPages)
        return kNoControls;
    return kPages[page];
}

const BitmapInfo& controlBitmap(ControlStyle style)
{
    const int index = static_cast<int>(style);
    return *kStyleBitmaps[index >= 0 && index < kNumControlStyles ? index : 0];
}

PixelRect controlRect(const ControlPlacement& placement)
{
    const BitmapInfo& bitmap = controlBitmap(placement.style);
    const int x = placement.x;
    const int y = placement.y;
    if (placement.style == Wheel)
    {
        // Integer halves of the strip: the upper one of one frame's height is the larger.
        const int top = y - bitmap.height / (2 * bitmap.frameCount);
        return {x - bitmap.width / 2, top, x + bitmap.width / 2, top + bitmap.frameHeight()};
    }
    if (isKnobStyle(placement.style))
    {
        const int half = bitmap.width / 2;
        return {x - half, y - half, x + half, y + half};
    }
    return {x, y, x + bitmap.width, y + bitmap.frameHeight()};
}

bool hasCaption(const ControlPlacement& placement)
{
    return placement.withLabel || placement.style == Wheel;
}

PixelRect captionRect(const ControlPlacement& placement)
{
    const PixelRect control = controlRect(placement);
    const int x = placement.x;
    switch (placement.style)
    {
    case KnobBlue:
    case KnobBlueCenter:
    case KnobRed:
        return {control.left, control.bottom, control.right, control.bottom + kCaptionHeight};
    case Wheel:
    {
        const int width = controlBitmap(KnobBlue).width;
        const int top = control.bottom + kWheelCaptionGap;
        return {control.left, top, control.left + width, top + kCaptionHeight};
    }
    case ToggleButton:
    case ToggleButtonRelief:
        if (captionBelowToggle(placement.id))
        {
            const int top = control.bottom + kToggleCaptionGap;
            return {x, top, x + kCaptionReach, top + kCaptionHeight};
        }
        return {control.right, control.top, x + kCaptionReach, control.bottom};
    case KickButton:
    {
        const int top = control.bottom + kKickCaptionGap;
        return {x, top, x + kCaptionReach, top + kCaptionHeight};
    }
    case ListSmall:
    case ListMedium:
    case ListLarge:
    {
        const int top = control.bottom + kListCaptionGap;
        return {x, top, x + kCaptionReach, top + kCaptionHeight};
    }
    }
    return control;
}

bool captionCentred(const ControlPlacement& placement)
{
    return placement.style == KnobBlue || placement.style == KnobBlueCenter || placement.style == KnobRed;
}

} // namespace talvane
