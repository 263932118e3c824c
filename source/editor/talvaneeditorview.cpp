#include "source/editor/talvaneeditorview.h"

#include "source/controller/talvanecontroller.h"
#include "source/editor/soundbar.h"
#include "source/editor/editorzoom.h"
#include "source/editor/switchercmoviebitmap.h"
#include "source/editor/tlknob.h"
#include "source/params/paramcurves.h"
#include "source/params/paramtable.h"

#include "gui/vstgui.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace Steinberg {
namespace Vst {

using namespace VSTGUI;
using talvane::ControlPlacement;
using talvane::ControlStyle;
using talvane::LayoutTable;

namespace {

constexpr CColor kFrameBackgroundColor = MakeCColor(127, 127, 127, 255);
constexpr CColor kListTextColor = MakeCColor(156, 251, 255, 255);
// Check marks in the pop-up, which opens over the list box.
constexpr int32_t kListBoxStyle = kCheckStyle | kPopupStyle;
constexpr const char* kFontName = "Arial";
constexpr CCoord kLabelFontSize = 9;
constexpr CCoord kMenuFontSize = 9;
constexpr CCoord kWaveMenuFontSize = 12;
constexpr CRect kVersionLabelRect(0, 0, 200, 20);
// The switcher's value for a page: 0, 0.5 or 1 shows frame 0, 1 or 2.
constexpr float kSwitcherValuePerPage = 0.5f;
constexpr float kPitchBendCentre = 0.5f;
// The destination lists show their 84 entries in columns of this many.
constexpr int32_t kDestinationsPerColumn = 12;
// The editor may be widened and heightened by up to this much (editor units).
constexpr int32 kMaxGrowth = 50;

// Labels take 8-bit text: at most this many bytes of a value text, plus the terminator.
constexpr size_t kLabelTextCapacity = 128;

struct ListEntries
{
    const char* const* names;
    int32_t count;
    int32_t perColumn; // -1: a single column
};

// The entries of a list parameter's menu; the long list of modulation destinations in columns.
ListEntries listEntriesOf(ParamID id)
{
    const talvane::NameList list = talvane::nameListOf(static_cast<talvane::ParamId>(id));
    return {list.names, list.count, list.names == talvane::kModDestNames ? kDestinationsPerColumn : -1};
}

bool usesWaveMenuFont(ParamID id)
{
    return id == talvane::kO1Waveform || id == talvane::kO2Waveform || id == talvane::kO3Waveform;
}

// The entry a list parameter shows for the normalized value. A host may send anything, so values
// below 0 (and NaN) show the first entry.
int32_t listIndexFor(ParamID id, float value)
{
    return talvane::indexFromNormalized(id, talvane::clampNormalized(value)) -
           talvane::paramRecord(id).minValue;
}

// UTF-16 to UTF-8, whole characters only: at most capacity - 1 bytes and a terminator.
void utf8FromUtf16(const char16* units, char* text, size_t capacity)
{
    constexpr char32_t kSurrogateFirst = 0xD800;
    constexpr char32_t kLowSurrogateFirst = 0xDC00;
    constexpr char32_t kSurrogateEnd = 0xE000;
    constexpr char32_t kReplacement = 0xFFFD;
    size_t length = 0;
    for (size_t i = 0; units[i] != 0; ++i)
    {
        char32_t code = units[i];
        if (code >= kSurrogateFirst && code < kLowSurrogateFirst && units[i + 1] >= kLowSurrogateFirst &&
            units[i + 1] < kSurrogateEnd)
        {
            code = 0x10000 + ((code - kSurrogateFirst) << 10) + (units[i + 1] - kLowSurrogateFirst);
            ++i;
        }
        else if (code >= kSurrogateFirst && code < kSurrogateEnd)
        {
            code = kReplacement;
        }
        char encoded[4];
        size_t size = 0;
        if (code < 0x80)
        {
            encoded[size++] = static_cast<char>(code);
        }
        else if (code < 0x800)
        {
            encoded[size++] = static_cast<char>(0xC0 | (code >> 6));
            encoded[size++] = static_cast<char>(0x80 | (code & 0x3F));
        }
        else if (code < 0x10000)
        {
            encoded[size++] = static_cast<char>(0xE0 | (code >> 12));
            encoded[size++] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            encoded[size++] = static_cast<char>(0x80 | (code & 0x3F));
        }
        else
        {
            encoded[size++] = static_cast<char>(0xF0 | (code >> 18));
            encoded[size++] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            encoded[size++] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            encoded[size++] = static_cast<char>(0x80 | (code & 0x3F));
        }
        if (length + size >= capacity)
            break;
        std::copy(encoded, encoded + size, text + length);
        length += size;
    }
    text[length] = '\0';
}

CRect toCRect(const talvane::PixelRect& rect)
{
    return CRect(rect.left, rect.top, rect.right, rect.bottom);
}

bool isParameter(ParamID id)
{
    return id < static_cast<ParamID>(talvane::kNumParams);
}

} // namespace

TalvaneEditorView::TalvaneEditorView(TalvaneController* editController)
    : VSTGUIEditor(editController, nullptr),
      zoomPercent(editController ? editController->getEditorZoom() : talvane::kDefaultZoomPercent)
{
    setEditorSize(talvane::kEditorWidth, talvane::kEditorHeight);
    setZoomFactor(talvane::zoomFactorOf(zoomPercent));
    setIdleRate(kIdleRate);
}

TalvaneEditorView::~TalvaneEditorView()
{
    // A host that releases the view without removing it first must not leave a window behind whose
    // controls still report to this editor.
    if (frame)
        close();
}

bool PLUGIN_API TalvaneEditorView::open(void* parent)
{
    if (frame)
        return false;
    frame = new CFrame(CRect(0, 0, talvane::kEditorWidth, talvane::kEditorHeight), parent, this);
    if (!frame->isOpen())
    {
        frame->close();
        frame = nullptr;
        return false;
    }
    frame->setBackgroundColor(kFrameBackgroundColor);
    loadSharedResources();
    frame->setBackground(backgroundBitmap);
    frame->setTransparency(false);

    versionLabel = new CTextLabel(kVersionLabelRect, kVersionText, nullptr, 0);
    versionLabel->setFont(labelFont);
    versionLabel->setTransparency(true);
    frame->addView(versionLabel);

    createPageSwitcher(talvane::kPageSwitcherX, talvane::kPageSwitcherY);
    // The editor always opens on the LFO page.
    currentPage = talvane::kEnvelopePage;
    switchPage(talvane::kLfoPage);
    addPlacedControls(talvane::alwaysPresentLayout());
    if (auto* talvaneController = dynamic_cast<TalvaneController*>(controller))
        soundBar = std::make_unique<SoundBar>(*talvaneController, *frame);
    return true;
}

void PLUGIN_API TalvaneEditorView::close()
{
    if (!frame)
        return;
    // The frame ends a drag in progress, then releases every control and caption it holds, the
    // sound bar's among them.
    frame->close();
    frame = nullptr;
    soundBar.reset();
    // A wheel's gesture waiting for its pause ends with the editor too.
    gestures.endAll();
    std::fill(std::begin(controls), std::end(controls), nullptr);
    std::fill(std::begin(labels), std::end(labels), nullptr);
    pageSwitcher = nullptr;
    versionLabel = nullptr;
    releaseSharedResources();
}

void TalvaneEditorView::loadSharedResources()
{
    backgroundBitmap = new CBitmap(talvane::kBackgroundBitmap.name);
    backgroundBitmap->setNoAlpha(true);
    for (int style = 0; style < talvane::kNumControlStyles; ++style)
    {
        const char* name = talvane::controlBitmap(static_cast<ControlStyle>(style)).name;
        // Styles drawn from the same picture share one bitmap; each pointer holds a reference.
        for (int earlier = 0; earlier < style && !styleBitmaps[style]; ++earlier)
            if (std::strcmp(talvane::controlBitmap(static_cast<ControlStyle>(earlier)).name, name) == 0)
            {
                styleBitmaps[style] = styleBitmaps[earlier];
                styleBitmaps[style]->remember();
            }
        if (!styleBitmaps[style])
            styleBitmaps[style] = new CBitmap(name);
    }
    switcherBitmap = new CBitmap(talvane::kPageSwitcherBitmap.name);
    labelFont = new CFontDesc(kFontName, kLabelFontSize);
    menuFont = new CFontDesc(kFontName, kMenuFontSize);
    waveMenuFont = new CFontDesc(kFontName, kWaveMenuFontSize);
}

void TalvaneEditorView::releaseSharedResources()
{
    auto release = [](auto*& object) {
        if (object)
            object->forget();
        object = nullptr;
    };
    release(backgroundBitmap);
    for (CBitmap*& bitmap : styleBitmaps)
        release(bitmap);
    release(switcherBitmap);
    release(labelFont);
    release(menuFont);
    release(waveMenuFont);
}

void TalvaneEditorView::createPageSwitcher(int32 x, int32 y)
{
    const talvane::BitmapInfo& info = talvane::kPageSwitcherBitmap;
    const CRect rect(x, y, x + info.width, y + info.frameHeight());
    pageSwitcher = new switcherCMovieBitmap(rect, this, 0, info.frameCount, info.frameHeight(),
                                            switcherBitmap, CPoint(0, 0));
    pageSwitcher->setValue(0.f);
    frame->addView(pageSwitcher);
}

void TalvaneEditorView::switchPage(int32 page)
{
    if (page == currentPage || page < 0 || page >= talvane::kNumPages || !frame)
        return;
    pageSwitcher->setValue(static_cast<float>(page) * kSwitcherValuePerPage);
    pageSwitcher->invalid();

    const LayoutTable& shown = talvane::pageLayout(page);
    addPlacedControls(shown);

    // The controls of the other pages go only now, after the new ones exist.
    bool onShownPage[talvane::kNumParams] = {};
    bool onAnyPage[talvane::kNumParams] = {};
    for (const ControlPlacement& placement : shown)
        onShownPage[placement.id] = true;
    for (int other = 0; other < talvane::kNumPages; ++other)
        for (const ControlPlacement& placement : talvane::pageLayout(other))
            onAnyPage[placement.id] = true;
    for (ParamID id = 0; isParameter(id); ++id)
        if (onAnyPage[id] && !onShownPage[id])
            removeControl(id);
    currentPage = page;
}

void TalvaneEditorView::addPlacedControls(const LayoutTable& table)
{
    for (const ControlPlacement& placement : table)
        addControl(placement.id, placement.style, placement.x, placement.y, placement.withLabel);
}

void TalvaneEditorView::addControl(ParamID id, int32 style, int32 x, int32 y, bool withLabel)
{
    if (!frame || !isParameter(id) || (x == 0 && y == 0) || style < 0 || style >= talvane::kNumControlStyles)
        return;
    // A parameter has one control at most.
    removeControl(id);
    const ControlPlacement placement{id, static_cast<ControlStyle>(style), x, y, withLabel};
    controlStyles[id] = style;
    CControl* control = createControl(placement);
    controls[id] = control;
    frame->addView(control);
    if (talvane::hasCaption(placement))
        addCaption(placement);
}

CControl* TalvaneEditorView::createControl(const ControlPlacement& placement)
{
    const CRect rect = toCRect(talvane::controlRect(placement));
    const auto tag = static_cast<int32_t>(placement.id);
    CBitmap* bitmap = styleBitmaps[placement.style];
    if (talvane::isListStyle(placement.style))
        return createListBox(placement);
    if (talvane::isKnobStyle(placement.style))
    {
        const talvane::BitmapInfo& info = talvane::controlBitmap(placement.style);
        auto* knob = new TLKnob(rect, this, tag, info.frameCount, info.frameHeight(), bitmap, CPoint(0, 0));
        knob->setDefaultValue(talvane::defaultNormalized(placement.id));
        knob->setValue(controllerValue(placement.id));
        return knob;
    }
    CControl* button = nullptr;
    if (placement.style == talvane::KickButton)
        button = new CKickButton(rect, this, tag, bitmap, CPoint(0, 0));
    else
        button = new COnOffButton(rect, this, tag, bitmap, 0);
    button->setValue(controllerValue(placement.id));
    return button;
}

CControl* TalvaneEditorView::createListBox(const ControlPlacement& placement)
{
    const CRect rect = toCRect(talvane::controlRect(placement));
    auto* menu = new COptionMenu(rect, this, static_cast<int32_t>(placement.id),
                                 styleBitmaps[placement.style], nullptr, kListBoxStyle);
    menu->setFont(usesWaveMenuFont(placement.id) ? waveMenuFont : menuFont);
    menu->setFontColor(kListTextColor);
    menu->setAntialias(false);
    const ListEntries list = listEntriesOf(placement.id);
    for (int32_t i = 0; i < list.count; ++i)
        menu->addEntry(list.names[i]);
    if (list.perColumn > 0)
        menu->setNbItemsPerColumn(list.perColumn);
    const int32_t index = listIndexFor(placement.id, controllerValue(placement.id));
    menu->setValue(static_cast<float>(index));
    menu->setCurrent(index);
    return menu;
}

void TalvaneEditorView::addCaption(const ControlPlacement& placement)
{
    auto* label = new CTextLabel(toCRect(talvane::captionRect(placement)),
                                 talvane::paramRecord(placement.id).caption, nullptr, 0);
    label->setFont(labelFont);
    label->setTransparency(true);
    label->setHoriAlign(talvane::captionCentred(placement) ? kCenterText : kLeftText);
    labels[placement.id] = label;
    frame->addView(label);
}

void TalvaneEditorView::removeControl(ParamID id)
{
    if (CControl* control = controls[id])
    {
        controls[id] = nullptr;
        frame->removeView(control);
    }
    if (CTextLabel* label = labels[id])
    {
        labels[id] = nullptr;
        frame->removeView(label);
    }
}

bool TalvaneEditorView::isShownControl(const CControl* control, ParamID& id) const
{
    if (!control || control->getTag() < 0)
        return false;
    id = static_cast<ParamID>(control->getTag());
    return isParameter(id) && controls[id] == control;
}

float TalvaneEditorView::controllerValue(ParamID id) const
{
    return controller ? static_cast<float>(controller->getParamNormalized(id)) : 0.f;
}

void TalvaneEditorView::valueChanged(CControl* control)
{
    ParamID id = 0;
    if (!isShownControl(control, id) || !controller)
        return;
    if (talvane::isListStyle(static_cast<ControlStyle>(controlStyles[id])))
    {
        const int32_t count = listEntriesOf(id).count;
        const float value = control->getValue() / static_cast<float>(count - 1);
        gestures.change(id, value);
        // The controller's answer decides the entry shown, as for a change from the host.
        if (auto* menu = dynamic_cast<COptionMenu*>(controls[id]))
            menu->setCurrent(listIndexFor(id, controllerValue(id)));
    }
    else
    {
        gestures.change(id, control->getValue());
    }
    // The control may be gone if a display removed it while told of the change.
    if (controls[id] == control)
        controlBeginEdit(control);
}

int32_t TalvaneEditorView::controlModifierClicked(CControl* control, CButtonState /*buttons*/)
{
    controlBeginEdit(control);
    return 0; // the control handles the click as usual
}

void TalvaneEditorView::controlBeginEdit(CControl* control)
{
    ParamID id = 0;
    if (!isShownControl(control, id) || !talvane::isKnobStyle(static_cast<ControlStyle>(controlStyles[id])))
        return;
    showValueText(id);
}

void TalvaneEditorView::showValueText(ParamID id)
{
    CTextLabel* label = labels[id];
    if (!label || !controller)
        return;
    String128 units = {};
    controller->getParamStringByValue(id, controller->getParamNormalized(id), units);
    char text[kLabelTextCapacity];
    utf8FromUtf16(units, text, sizeof text);
    label->setText(text);
    label->invalid();
}

void TalvaneEditorView::controlEndEdit(CControl* control)
{
    ParamID id = 0;
    if (!isShownControl(control, id))
        return;
    const auto style = static_cast<ControlStyle>(controlStyles[id]);
    if (!talvane::isKnobStyle(style))
        return;
    // The pitch-bend wheel springs back to its centre at the end of every edit.
    if (style == talvane::Wheel && id == talvane::kPitchBend)
    {
        control->setValue(kPitchBendCentre);
        valueChanged(control);
    }
    const auto* knob = dynamic_cast<const TLKnob*>(control);
    if (knob && knob->isWheelEditPending())
        return;
    if (labels[id] && controls[id] == control)
        labels[id]->setText(talvane::paramRecord(id).caption);
    // No wheel step pending: a gesture the wheel left open waits no longer.
    gestures.finishWheel(id);
}

talvane::EditGestures::Hold TalvaneEditorView::holdOf(int32_t index) const
{
    const auto id = static_cast<ParamID>(index);
    const auto* knob = isParameter(id) ? dynamic_cast<const TLKnob*>(controls[id]) : nullptr;
    return knob && knob->isWheelEditPending() ? talvane::EditGestures::Hold::WheelStep
                                              : talvane::EditGestures::Hold::Button;
}

// A control that is no parameter's (a negative tag is no parameter ID either) begins no gesture,
// but taking hold of it still ends what the wheel holds.
bool TalvaneEditorView::beginEdit(int32_t index)
{
    gestures.take(static_cast<talvane::ParamId>(index), holdOf(index));
    return true;
}

bool TalvaneEditorView::endEdit(int32_t index)
{
    gestures.release(static_cast<talvane::ParamId>(index), holdOf(index),
                     talvane::EditGestures::Clock::now());
    return true;
}

void TalvaneEditorView::onIdleTimer()
{
    VSTGUIEditor::onIdleTimer();
    gestures.idle(talvane::EditGestures::Clock::now());
}

void TalvaneEditorView::gestureBegan(talvane::ParamId id)
{
    if (controller)
        controller->beginEdit(id);
}

void TalvaneEditorView::gestureChanged(talvane::ParamId id, double value)
{
    if (!controller)
        return;
    // The controller first, so that every open editor shows the value before the host hears it.
    controller->setParamNormalized(id, value);
    controller->performEdit(id, value);
}

void TalvaneEditorView::gestureEnded(talvane::ParamId id)
{
    if (controller)
        controller->endEdit(id);
}

void TalvaneEditorView::updateParameterDisplay(ParamID id, ParamValue value)
{
    if (!isParameter(id) || !controls[id])
        return;
    CControl* control = controls[id];
    const bool isList = talvane::isListStyle(static_cast<ControlStyle>(controlStyles[id]));
    const int32_t index = isList ? listIndexFor(id, static_cast<float>(value)) : 0;
    const float shown = isList ? static_cast<float>(index) : static_cast<float>(value);
    // A whole state read again, or a host's echo of an edit, mostly shows what is shown already:
    // such a control is not drawn again.
    if (control->getValue() == shown)
        return;
    control->setValue(shown);
    if (auto* menu = isList ? dynamic_cast<COptionMenu*>(control) : nullptr)
        menu->setCurrent(index);
    control->invalid();
}

void TalvaneEditorView::updateSoundDisplay()
{
    if (soundBar)
        soundBar->updateSound();
}

void TalvaneEditorView::updateZoomDisplay(int percent)
{
    // A host that refuses the size leaves this view at its zoom; the controller keeps the one
    // restored, for the next view.
    setZoom(percent);
}

namespace {
// One side of a proposed rect held to [least, most]. Computed wide, since a host may pass edges whose
// distance, or whose far edge after the change, does not fit an int32: then the near edge moves.
void constrainSpan(int32& low, int32& high, int32 least, int32 most)
{
    const int64 span = std::clamp<int64>(static_cast<int64>(high) - low, least, most);
    low = static_cast<int32>(std::min<int64>(low, std::numeric_limits<int32>::max() - span));
    high = static_cast<int32>(low + span);
}
} // namespace

tresult PLUGIN_API TalvaneEditorView::checkSizeConstraint(ViewRect* rect)
{
    if (!rect)
        return kInvalidArgument;
    constrainSpan(rect->left, rect->right, toDeviceSize(talvane::kEditorWidth),
                  toDeviceSize(talvane::kEditorWidth + kMaxGrowth));
    constrainSpan(rect->top, rect->bottom, toDeviceSize(talvane::kEditorHeight),
                  toDeviceSize(talvane::kEditorHeight + kMaxGrowth));
    return kResultOk;
}

bool TalvaneEditorView::setZoom(int percent)
{
    if (!talvane::isZoomStep(percent))
        return false;
    if (percent == zoomPercent)
        return true;
    if (!setZoomFactor(talvane::zoomFactorOf(percent)))
        return false;
    zoomPercent = percent;
    if (TalvaneController* editController = owner())
        editController->setEditorZoom(percent);
    return true;
}

bool TalvaneEditorView::onBackgroundMouseDown(const CPoint& where, const CButtonState& buttons)
{
    return frame && buttons.isRightButton() && zoomMenu.open(*frame, where, zoomPercent);
}

TalvaneController* TalvaneEditorView::owner() const
{
    // Made only by TalvaneController::createView.
    return static_cast<TalvaneController*>(controller);
}

tresult PLUGIN_API TalvaneEditorView::findParameter(int32 /*xPos*/, int32 /*yPos*/, ParamID& /*resultTag*/)
{
    return kResultFalse;
}

tresult PLUGIN_API TalvaneEditorView::executeMenuItem(int32 /*tag*/)
{
    return kResultOk;
}

CControl* TalvaneEditorView::getControl(ParamID id) const
{
    return isParameter(id) ? controls[id] : nullptr;
}

CTextLabel* TalvaneEditorView::getLabel(ParamID id) const
{
    return isParameter(id) ? labels[id] : nullptr;
}

} // namespace Vst
} // namespace Steinberg
