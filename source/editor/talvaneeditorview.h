// The instrument's editor: one fixed 1066 x 544 window with the background picture, the 67 controls
// that are always present, the modulation panel, which shows one of three pages (envelopes,
// LFOs, matrices), and the sound bar in the header. Only the controls of the page on show exist. The editor keeps no values of its
// own: controls read the controller when they are created, every user change goes to the controller
// and the host within an edit gesture (beginEdit at the press, performEdit for each change, endEdit
// at the release; see EditGestures), and the controller pushes every value back here.
//
// The window is shown at the host's content scale times the musician's zoom (a right-click on the
// background offers the zoom steps); the layout stays that of 1066 x 544 at every scale. The zoom
// chosen last is kept by the controller and saved with its state; a new view opens at it, and an open
// view follows a zoom the host restores.
#pragma once

#include "source/controller/parameterdisplay.h"
#include "source/editor/editgestures.h"
#include "source/editor/editorlayout.h"
#include "source/editor/zoommenu.h"
#include "source/params/paramids.h"

#include "sdk/vstguieditor.h"

#include "gui/ccontrol.h"

#include <memory>

#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivstplugview.h"

namespace VSTGUI {
class CBitmap;
class CFontDesc;
class CTextLabel;
} // namespace VSTGUI

namespace Steinberg {
namespace Vst {

class SoundBar;
class TalvaneController;
class switcherCMovieBitmap;

class TalvaneEditorView : public VSTGUIEditor,
                          public VSTGUI::CControlListener,
                          public IParameterFinder,
                          public IContextMenuTarget,
                          public ParameterDisplay,
                          private talvane::EditGestureTarget
{
public:
    static constexpr int32 kIdleRate = 50; // milliseconds between redraws
    static constexpr const char* kVersionText = "BETA- v0.87.0 / Mar 17 2014";

    explicit TalvaneEditorView(TalvaneController* controller);
    ~TalvaneEditorView() override;

    // VSTGUIEditor: build the frame and its controls in `parent`, and tear them down again.
    bool PLUGIN_API open(void* parent) override;
    void PLUGIN_API close() override;

    // Shows modulation page 0, 1 or 2: creates its controls, then removes the other pages'.
    void switchPage(int32 page);

    // IPlugView: the window may grow by up to 50 units each way, never shrink (in pixels at the
    // view's scale).
    tresult PLUGIN_API checkSizeConstraint(ViewRect* rect) override;

    // The zoom in percent, one of talvane::kZoomSteps. A new zoom resizes an open editor and is
    // kept by the controller; false (nothing changed) for a zoom that is no step or a size the
    // host refuses.
    int getZoom() const { return zoomPercent; }
    bool setZoom(int percent);

    // VSTGUIEditorInterface: a right-click where no control takes it opens the zoom menu.
    bool onBackgroundMouseDown(const VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;

    // The frame's notifications of control edits: a control of parameter `index` is taken hold of
    // and let go again. They begin and end the parameter's gesture.
    bool beginEdit(int32_t index) override;
    bool endEdit(int32_t index) override;

    // Each idle period also ends the gesture of a wheel that came to rest.
    void onIdleTimer() override;

    // CControlListener
    void valueChanged(VSTGUI::CControl* control) override;
    int32_t controlModifierClicked(VSTGUI::CControl* control, VSTGUI::CButtonState buttons) override;
    void controlBeginEdit(VSTGUI::CControl* control) override;
    void controlEndEdit(VSTGUI::CControl* control) override;

    // IParameterFinder: no parameter is ever named under the mouse.
    tresult PLUGIN_API findParameter(int32 xPos, int32 yPos, ParamID& resultTag) override;
    // IContextMenuTarget: the editor adds no menu items of its own.
    tresult PLUGIN_API executeMenuItem(int32 tag) override;

    // ParameterDisplay
    void updateParameterDisplay(ParamID id, ParamValue value) override;
    void updateSoundDisplay() override;
    void updateZoomDisplay(int percent) override;

    int32 getCurrentPage() const { return currentPage; }
    // The control of parameter `id` and its caption; null while the parameter has none.
    VSTGUI::CControl* getControl(ParamID id) const;
    VSTGUI::CTextLabel* getLabel(ParamID id) const;
    switcherCMovieBitmap* getPageSwitcher() const { return pageSwitcher; }
    VSTGUI::CTextLabel* getVersionLabel() const { return versionLabel; }
    // The bar that chooses and saves sounds; null while the editor is closed.
    SoundBar* getSoundBar() const { return soundBar.get(); }

    OBJ_METHODS(TalvaneEditorView, VSTGUIEditor)
    DEFINE_INTERFACES
    DEF_INTERFACE(IParameterFinder)
    DEF_INTERFACE(IContextMenuTarget)
    END_DEFINE_INTERFACES(VSTGUIEditor)
    REFCOUNT_METHODS(VSTGUIEditor)

protected:
    // Creates the control of parameter `id` in `style` (a talvane::ControlStyle) at anchor (x, y),
    // with its caption if `withLabel` (a wheel always has one). Nothing for an anchor of (0, 0).
    void addControl(ParamID id, int32 style, int32 x, int32 y, bool withLabel);
    void createPageSwitcher(int32 x, int32 y);

private:
    void loadSharedResources();
    void releaseSharedResources();
    void addPlacedControls(const talvane::LayoutTable& table);
    void removeControl(ParamID id);
    void addCaption(const talvane::ControlPlacement& placement);
    VSTGUI::CControl* createControl(const talvane::ControlPlacement& placement);
    VSTGUI::CControl* createListBox(const talvane::ControlPlacement& placement);
    // True if `control` is the one shown for its tag, which then is its parameter `id`.
    bool isShownControl(const VSTGUI::CControl* control, ParamID& id) const;
    float controllerValue(ParamID id) const;
    void showValueText(ParamID id);
    // How the control of `index` is held by an edit beginning or ending now.
    talvane::EditGestures::Hold holdOf(int32_t index) const;

    // talvane::EditGestureTarget: the controller, and through it the host.
    void gestureBegan(talvane::ParamId id) override;
    void gestureChanged(talvane::ParamId id, double value) override;
    void gestureEnded(talvane::ParamId id) override;
    TalvaneController* owner() const;

    int32 currentPage = talvane::kEnvelopePage;
    VSTGUI::CControl* controls[talvane::kNumParams] = {};
    VSTGUI::CTextLabel* labels[talvane::kNumParams] = {};
    int32 controlStyles[talvane::kNumParams] = {};
    switcherCMovieBitmap* pageSwitcher = nullptr;
    VSTGUI::CTextLabel* versionLabel = nullptr;
    std::unique_ptr<SoundBar> soundBar;

    // Held from open to close, one reference each, so that page switches can always reuse them.
    VSTGUI::CBitmap* backgroundBitmap = nullptr;
    VSTGUI::CBitmap* styleBitmaps[talvane::kNumControlStyles] = {}; // kick and toggle share one
    VSTGUI::CBitmap* switcherBitmap = nullptr;
    VSTGUI::CFontDesc* labelFont = nullptr;
    VSTGUI::CFontDesc* menuFont = nullptr;
    VSTGUI::CFontDesc* waveMenuFont = nullptr;

    int zoomPercent;
    ZoomMenu zoomMenu{[this](int percent) { setZoom(percent); }};

    talvane::EditGestures gestures{*this};
};

} // namespace Vst
} // namespace Steinberg
