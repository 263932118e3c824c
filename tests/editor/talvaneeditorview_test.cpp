// The editor through the offscreen backend: a real controller, the view it creates, synthetic mouse
// input and the edits a host would receive.
#include "tests/editor/editortest.h"
#include "tests/gui/guitest.h"

#include "source/editor/editgestures.h"
#include "source/editor/editorlayout.h"
#include "source/editor/switchercmoviebitmap.h"
#include "source/editor/tlknob.h"
#include "source/params/paramtable.h"

#include "gui/menupopup.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace VSTGUI;
using talvane::EditGestures;
using talvane::testing::editTriple;
using talvane::testing::HostEdit;
using talvane::testing::HostEdits;
using talvane::testing::oneGesture;
using talvane::testing::sameEdits;

namespace {

constexpr int kAlwaysPresentCount = 67;

std::set<ParamID> idRange(ParamID first, ParamID last)
{
    std::set<ParamID> ids;
    for (ParamID id = first; id <= last; ++id)
        ids.insert(id);
    return ids;
}

std::set<ParamID> unite(std::set<ParamID> a, const std::set<ParamID>& b)
{
    a.insert(b.begin(), b.end());
    return a;
}

const std::set<ParamID> kAlwaysPresentIds = idRange(0, 66);

class EditorView : public ::testing::Test
{
protected:
    void SetUp() override
    {
        editor = host.createEditor();
        ASSERT_NE(editor, nullptr);
        open();
    }
    void TearDown() override
    {
        if (editor->getFrame())
            editor->removed();
        editor->release();
    }

    void open()
    {
        ASSERT_EQ(editor->attached(nullptr, kPlatformTypeOffscreen), kResultTrue);
        screen = OffscreenFrame::of(editor->getFrame());
        ASSERT_NE(screen, nullptr);
        // Drawn once, as the first idle period would.
        editor->getFrame()->idle();
    }

    std::set<ParamID> existingControls() const
    {
        std::set<ParamID> ids;
        for (ParamID id = 0; id < static_cast<ParamID>(talvane::kNumParams); ++id)
            if (editor->getControl(id))
                ids.insert(id);
        return ids;
    }

    CControl* control(ParamID id) const
    {
        CControl* found = editor->getControl(id);
        EXPECT_NE(found, nullptr) << "no control for " << id;
        return found;
    }
    CPoint centreOf(ParamID id) const { return control(id)->getViewSize().getCenter(); }
    std::string caption(ParamID id) const
    {
        CTextLabel* label = editor->getLabel(id);
        return label ? label->getText() : "(none)";
    }
    COptionMenu* menu(ParamID id) const { return dynamic_cast<COptionMenu*>(control(id)); }
    std::string shownEntry(ParamID id) const
    {
        const CMenuItem* item = menu(id)->getCurrent();
        return item ? item->getTitle() : "(none)";
    }
    // A value the host sets, as automation does.
    void hostSets(ParamID id, double value) { host.controller->setParamNormalized(id, value); }
    double controllerValue(ParamID id) const { return host.controller->getParamNormalized(id); }
    // Clicks entry `index` of the open pop-up.
    void choosePopupEntry(int32_t index)
    {
        ASSERT_TRUE(screen->isPopupOpen());
        screen->popupMouseDown(editor->getFrame()->getPopup()->entryRect(index).getCenter());
    }

    talvane::testing::ControllerWithHost host;
    TalvaneEditorView* editor = nullptr;
    OffscreenFrame* screen = nullptr;
};

TEST_F(EditorView, OpensOnTheLfoPageWithEveryAlwaysPresentControl)
{
    EXPECT_EQ(editor->getCurrentPage(), talvane::kLfoPage);
    EXPECT_EQ(existingControls(), unite(kAlwaysPresentIds, idRange(67, 96)));
    EXPECT_EQ(existingControls().size(), static_cast<size_t>(kAlwaysPresentCount + 30));

    // Every control reports to the editor under its parameter ID; a caption exactly where the
    // layout asks for one (and always for the wheels).
    int captions = 0;
    for (const talvane::LayoutTable* table : {&talvane::alwaysPresentLayout(), &talvane::pageLayout(1)})
        for (const talvane::ControlPlacement& placement : *table)
        {
            CControl* shown = control(placement.id);
            EXPECT_EQ(shown->getTag(), static_cast<int32_t>(placement.id));
            EXPECT_EQ(shown->getListener(), editor);
            const talvane::PixelRect r = talvane::controlRect(placement);
            EXPECT_EQ(shown->getViewSize(), CRect(r.left, r.top, r.right, r.bottom)) << placement.id;
            EXPECT_EQ(editor->getLabel(placement.id) != nullptr, talvane::hasCaption(placement))
                << placement.id;
            captions += talvane::hasCaption(placement) ? 1 : 0;
        }
    // The version label, the switcher, the controls and their captions, and the sound bar's six
    // views (three buttons, the name, its entry and the message line).
    EXPECT_EQ(editor->getFrame()->getNbViews(), 2 + kAlwaysPresentCount + 30 + captions + 6);

    CTextLabel* version = editor->getVersionLabel();
    ASSERT_NE(version, nullptr);
    EXPECT_STREQ(version->getText(), "BETA- v0.87.0 / Mar 17 2014");
    EXPECT_EQ(version->getViewSize(), CRect(0, 0, 200, 20));

    switcherCMovieBitmap* switcher = editor->getPageSwitcher();
    ASSERT_NE(switcher, nullptr);
    EXPECT_EQ(switcher->getViewSize(), CRect(778, 141, 1049, 163));
    EXPECT_EQ(switcher->getTag(), 0);
    EXPECT_FLOAT_EQ(switcher->getValue(), 0.5f);
    EXPECT_EQ(switcher->frameIndexForValue(), 1);

    EXPECT_EQ(editor->getFrame()->getBackgroundColor(), MakeCColor(127, 127, 127, 255));
    ViewRect size;
    EXPECT_EQ(editor->getSize(&size), kResultTrue);
    EXPECT_EQ(size.getWidth(), 1066);
    EXPECT_EQ(size.getHeight(), 544);
    EXPECT_EQ(editor->getIdleRate(), 50);
}

TEST_F(EditorView, BuildsEachKindOfControlAsTheLayoutSays)
{
    auto* volume = dynamic_cast<TLKnob*>(control(talvane::kGlobalVolume));
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->getNumSubPixmaps(), 256);
    EXPECT_EQ(volume->getHeightOfOneImage(), 50);
    EXPECT_EQ(editor->getLabel(talvane::kGlobalVolume)->getViewSize(), CRect(639, 120, 689, 129));
    EXPECT_EQ(editor->getLabel(talvane::kGlobalVolume)->getHoriAlign(), kCenterText);

    auto* pitchBend = dynamic_cast<TLKnob*>(control(talvane::kPitchBend));
    ASSERT_NE(pitchBend, nullptr);
    EXPECT_EQ(pitchBend->getViewSize(), CRect(844, 72, 860, 115));
    EXPECT_EQ(pitchBend->getNumSubPixmaps(), 37);
    EXPECT_EQ(pitchBend->getHeightOfOneImage(), 43);
    EXPECT_EQ(editor->getLabel(talvane::kPitchBend)->getViewSize(), CRect(844, 120, 894, 129));
    EXPECT_EQ(editor->getLabel(talvane::kPitchBend)->getHoriAlign(), kLeftText);

    EXPECT_NE(dynamic_cast<COnOffButton*>(control(talvane::kO1On)), nullptr);
    EXPECT_EQ(editor->getLabel(talvane::kO1On)->getViewSize(), CRect(80, 179, 131, 198));
    EXPECT_EQ(editor->getLabel(talvane::kLfo1Sync)->getViewSize(), CRect(891, 206, 971, 215));
    EXPECT_EQ(editor->getLabel(talvane::kFOn), nullptr);
    EXPECT_NE(dynamic_cast<CKickButton*>(control(talvane::kPanic)), nullptr);
    EXPECT_EQ(editor->getLabel(talvane::kPanic)->getViewSize(), CRect(596, 108, 676, 117));

    // Captions: white, transparent, the 9-pixel label font.
    CTextLabel* label = editor->getLabel(talvane::kFCutoff);
    EXPECT_EQ(label->getFontColor(), kWhiteCColor);
    EXPECT_TRUE(label->getTransparency());
    EXPECT_EQ(label->getFont()->getName(), "Arial");
    EXPECT_EQ(label->getFont()->getSize(), 9);

    // List boxes: check marks, the pop-up over the box, cyan text without antialiasing; the
    // oscillator waveforms in the larger font; destinations in columns of twelve.
    COptionMenu* noteMode = menu(talvane::kNoteMode);
    EXPECT_EQ(noteMode->getStyle(), 1025);
    EXPECT_EQ(noteMode->getFontColor(), MakeCColor(156, 251, 255, 255));
    EXPECT_FALSE(noteMode->getAntialias());
    EXPECT_EQ(noteMode->getFont()->getSize(), 9);
    EXPECT_EQ(noteMode->getNbEntries(), 3);
    EXPECT_EQ(editor->getLabel(talvane::kNoteMode)->getViewSize(), CRect(747, 108, 827, 117));
    EXPECT_EQ(menu(talvane::kO2Waveform)->getFont()->getSize(), 12);
    EXPECT_EQ(menu(talvane::kLfo1Waveform)->getFont()->getSize(), 9);
    EXPECT_EQ(menu(talvane::kLfo1Waveform)->getNbEntries(), 14);
    EXPECT_EQ(menu(talvane::kLfo2Dest3)->getNbEntries(), 84);
    EXPECT_EQ(menu(talvane::kLfo2Dest3)->getNbItemsPerColumn(), 12);
    EXPECT_EQ(menu(talvane::kFType)->getNbItemsPerColumn(), -1);

    // "-2" and "-1" are ordinary entries, not separators.
    COptionMenu* octave = menu(talvane::kRefOctave);
    ASSERT_EQ(octave->getNbEntries(), 10);
    for (int32_t i = 0; i < octave->getNbEntries(); ++i)
    {
        EXPECT_EQ(octave->getEntry(i)->getTitle(), talvane::kOctaveNames[i]);
        EXPECT_FALSE(octave->getEntry(i)->isSeparator()) << i;
    }
    EXPECT_TRUE(octave->setCurrent(0));
    EXPECT_EQ(octave->getCurrent()->getTitle(), "-2");
}

TEST_F(EditorView, ControlsStartAtTheControllersValues)
{
    editor->removed();
    hostSets(talvane::kFCutoff, 0.25);
    hostSets(talvane::kO1On, 0.0);
    hostSets(talvane::kFType, 1.0);
    open();
    EXPECT_FLOAT_EQ(control(talvane::kFCutoff)->getValue(), 0.25f);
    EXPECT_FLOAT_EQ(control(talvane::kO1On)->getValue(), 0.f);
    EXPECT_EQ(shownEntry(talvane::kFType), "Notch");
    EXPECT_FLOAT_EQ(control(talvane::kFType)->getValue(), 4.f);
    EXPECT_FLOAT_EQ(control(talvane::kO1Detune)->getDefaultValue(),
                    talvane::defaultNormalized(talvane::kO1Detune));
}

TEST_F(EditorView, PageSwitchesCreateTheNewPageAndRemoveTheOthers)
{
    CControl* volume = control(talvane::kGlobalVolume);
    editor->switchPage(talvane::kEnvelopePage);
    EXPECT_EQ(editor->getCurrentPage(), talvane::kEnvelopePage);
    EXPECT_EQ(existingControls(), unite(kAlwaysPresentIds, idRange(97, 124)));
    EXPECT_EQ(editor->getLabel(talvane::kLfo1Freq), nullptr);
    EXPECT_STREQ(editor->getLabel(talvane::kEnv1Attack)->getText(), "ATTACK");
    EXPECT_FLOAT_EQ(editor->getPageSwitcher()->getValue(), 0.f);

    // The page already shown: nothing is rebuilt.
    CControl* attack = control(talvane::kEnv1Attack);
    const int32_t views = editor->getFrame()->getNbViews();
    editor->switchPage(talvane::kEnvelopePage);
    EXPECT_EQ(control(talvane::kEnv1Attack), attack);
    EXPECT_EQ(editor->getFrame()->getNbViews(), views);

    editor->switchPage(talvane::kMatrixPage);
    EXPECT_EQ(existingControls(), unite(kAlwaysPresentIds, idRange(125, 146)));
    EXPECT_FLOAT_EQ(editor->getPageSwitcher()->getValue(), 1.f);
    editor->switchPage(talvane::kLfoPage);
    EXPECT_EQ(existingControls(), unite(kAlwaysPresentIds, idRange(67, 96)));

    // The always-present controls stay the same objects throughout; no page leaves views behind.
    EXPECT_EQ(control(talvane::kGlobalVolume), volume);
    editor->switchPage(talvane::kEnvelopePage);
    EXPECT_EQ(editor->getFrame()->getNbViews(), views);

    // Pages that do not exist are ignored.
    editor->switchPage(3);
    editor->switchPage(-1);
    EXPECT_EQ(editor->getCurrentPage(), talvane::kEnvelopePage);
}

TEST_F(EditorView, PageSwitchesRedrawTheSwitcher)
{
    const CRect area = editor->getPageSwitcher()->getViewSize();
    auto picture = [&] {
        editor->getFrame()->idle();
        std::vector<uint32_t> pixels;
        for (int y = static_cast<int>(area.top); y < area.bottom; ++y)
            for (int x = static_cast<int>(area.left); x < area.right; ++x)
            {
                const CColor c = screen->getPixel(x, y);
                pixels.push_back((c.red << 16) | (c.green << 8) | c.blue);
            }
        return pixels;
    };
    const auto lfoPage = picture();
    editor->switchPage(talvane::kEnvelopePage);
    const auto envelopePage = picture();
    editor->switchPage(talvane::kLfoPage);
    EXPECT_NE(envelopePage, lfoPage);
    EXPECT_EQ(picture(), lfoPage);
}

TEST_F(EditorView, ClosingReleasesEverythingAndReopeningShowsTheLfoPage)
{
    editor->switchPage(talvane::kMatrixPage);
    EXPECT_EQ(editor->removed(), kResultOk);
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_TRUE(existingControls().empty());
    for (ParamID id = 0; id < static_cast<ParamID>(talvane::kNumParams); ++id)
        EXPECT_EQ(editor->getLabel(id), nullptr) << id;
    EXPECT_EQ(editor->getPageSwitcher(), nullptr);
    EXPECT_EQ(editor->getVersionLabel(), nullptr);
    EXPECT_EQ(editor->getCurrentPage(), talvane::kMatrixPage);
    // A closed editor hears nothing more from the controller.
    hostSets(talvane::kFCutoff, 0.1);
    editor->switchPage(talvane::kEnvelopePage);

    open();
    EXPECT_EQ(editor->getCurrentPage(), talvane::kLfoPage);
    EXPECT_EQ(existingControls(), unite(kAlwaysPresentIds, idRange(67, 96)));
    EXPECT_FLOAT_EQ(control(talvane::kFCutoff)->getValue(), 0.1f);
    // Opening an open editor changes nothing.
    EXPECT_FALSE(editor->open(nullptr));
    EXPECT_EQ(editor->attached(nullptr, kPlatformTypeOffscreen), kResultFalse);
}

TEST_F(EditorView, HostValuesForHiddenPagesShowWhenThePageIsShown)
{
    hostSets(talvane::kMatrix1Src, 4.0 / 9.0);
    EXPECT_EQ(editor->getControl(talvane::kMatrix1Src), nullptr);
    editor->switchPage(talvane::kMatrixPage);
    EXPECT_EQ(shownEntry(talvane::kMatrix1Src), "AmpEnv");

    // A shown control follows the host; its caption stays; the host hears nothing back.
    hostSets(talvane::kFCutoff, 0.75);
    EXPECT_FLOAT_EQ(control(talvane::kFCutoff)->getValue(), 0.75f);
    EXPECT_EQ(caption(talvane::kFCutoff), "CUTOFF");
    EXPECT_TRUE(host.handler.edits.empty());
    editor->updateParameterDisplay(talvane::kNumParams, 0.5);
}

TEST_F(EditorView, ListBoxesShowTheEntryOfTheValueAndSendTheEntrysValue)
{
    hostSets(talvane::kRefNote, 9.0 / 11.0);
    EXPECT_EQ(shownEntry(talvane::kRefNote), "A");
    EXPECT_FLOAT_EQ(control(talvane::kRefNote)->getValue(), 9.f);
    hostSets(talvane::kRefNote, 1.0);
    EXPECT_EQ(shownEntry(talvane::kRefNote), "B");
    // Whatever a host sends stays inside the list.
    hostSets(talvane::kRefNote, -0.5);
    EXPECT_EQ(shownEntry(talvane::kRefNote), "C");
    hostSets(talvane::kRefNote, 7.0);
    EXPECT_EQ(shownEntry(talvane::kRefNote), "B");
    // The controller refuses a NaN, so the list box keeps its entry; told one directly, the editor
    // still shows an entry of the list.
    hostSets(talvane::kRefNote, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(shownEntry(talvane::kRefNote), "B");
    editor->updateParameterDisplay(talvane::kRefNote, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(shownEntry(talvane::kRefNote), "C");

    screen->click(centreOf(talvane::kRefNote));
    choosePopupEntry(4);
    const float expected = 4.f / 11.f;
    EXPECT_EQ(host.handler.edits, editTriple(talvane::kRefNote, expected));
    EXPECT_EQ(controllerValue(talvane::kRefNote), expected);
    EXPECT_EQ(shownEntry(talvane::kRefNote), "E");

    // A destination: one complete edit of k / 83.
    host.handler.edits.clear();
    screen->click(centreOf(talvane::kLfo2Dest1));
    choosePopupEntry(30);
    EXPECT_EQ(host.handler.edits, editTriple(talvane::kLfo2Dest1, 30.f / 83.f));
    EXPECT_EQ(menu(talvane::kLfo2Dest1)->getCurrentIndex(), 30);
    // The last entry sends 1.
    host.handler.edits.clear();
    screen->click(centreOf(talvane::kLfo2Dest1));
    choosePopupEntry(83);
    EXPECT_EQ(host.handler.edits, editTriple(talvane::kLfo2Dest1, 1.0));
}

TEST_F(EditorView, KnobCaptionsShowTheValueTextWhilePressed)
{
    hostSets(talvane::kFCutoff, 0.5);
    const CPoint knob = centreOf(talvane::kFCutoff);
    screen->mouseDown(knob);
    EXPECT_EQ(caption(talvane::kFCutoff), "640 Hz");
    screen->mouseMove(CPoint(knob.x, knob.y - 40), kLButton);
    EXPECT_EQ(caption(talvane::kFCutoff), "1280 Hz");
    screen->mouseUp(CPoint(knob.x, knob.y - 40));
    EXPECT_EQ(caption(talvane::kFCutoff), "CUTOFF");

    // The degree sign of a phase is one character, in its UTF-8 form.
    hostSets(talvane::kO1PhaseInit, 0.5);
    screen->mouseDown(centreOf(talvane::kO1PhaseInit));
    EXPECT_EQ(caption(talvane::kO1PhaseInit), "180 \xC2\xB0");
    screen->mouseUp(centreOf(talvane::kO1PhaseInit));
    EXPECT_EQ(caption(talvane::kO1PhaseInit), "PHASE");

    // A right press is no edit, but the editor hears of it as a modifier click and shows the text.
    hostSets(talvane::kFQ, 0.25);
    host.handler.edits.clear();
    EXPECT_EQ(screen->mouseDown(centreOf(talvane::kFQ), kRButton), kMouseEventNotHandled);
    EXPECT_EQ(caption(talvane::kFQ), "25.0 %");
    EXPECT_FLOAT_EQ(control(talvane::kFQ)->getValue(), 0.25f);
    EXPECT_TRUE(host.handler.edits.empty());
}

TEST_F(EditorView, ButtonAndListCaptionsNeverChange)
{
    screen->mouseDown(centreOf(talvane::kO1Retrig));
    EXPECT_EQ(caption(talvane::kO1Retrig), "RTG");
    screen->mouseUp(centreOf(talvane::kO1Retrig));
    EXPECT_EQ(caption(talvane::kO1Retrig), "RTG");
    EXPECT_EQ(host.handler.performed(talvane::kO1Retrig).size(), 1u);

    screen->mouseDown(centreOf(talvane::kPanic));
    EXPECT_EQ(caption(talvane::kPanic), "PANIC");
    screen->mouseUp(centreOf(talvane::kPanic));
    EXPECT_EQ(caption(talvane::kPanic), "PANIC");
    EXPECT_EQ(host.handler.performed(talvane::kPanic), (std::vector<ParamValue>{1.0, 0.0}));

    screen->click(centreOf(talvane::kNoteMode));
    EXPECT_EQ(caption(talvane::kNoteMode), "MODE");
    choosePopupEntry(2);
    EXPECT_EQ(caption(talvane::kNoteMode), "MODE");
    EXPECT_EQ(host.handler.performed(talvane::kNoteMode), std::vector<ParamValue>{1.0});
}

TEST_F(EditorView, ADragIsOneGestureFromPressToRelease)
{
    hostSets(talvane::kFCutoff, 0.5);
    const CPoint knob = centreOf(talvane::kFCutoff);
    screen->mouseDown(knob);
    EXPECT_EQ(host.handler.edits, (HostEdits{{HostEdit::Begin, talvane::kFCutoff}}));
    std::vector<ParamValue> steps;
    for (int step = 1; step <= 10; ++step)
    {
        screen->mouseMove(CPoint(knob.x, knob.y - 4 * step), kLButton);
        steps.push_back(0.5 + 0.01 * step);
    }
    screen->mouseUp(CPoint(knob.x, knob.y - 40));
    EXPECT_TRUE(sameEdits(host.handler.edits, oneGesture(talvane::kFCutoff, steps)));
    EXPECT_EQ(controllerValue(talvane::kFCutoff), host.handler.performed(talvane::kFCutoff).back());

    // A press that moves nothing is a gesture without a value.
    host.handler.edits.clear();
    screen->click(knob);
    EXPECT_EQ(host.handler.edits, oneGesture(talvane::kFCutoff, {}));
}

TEST_F(EditorView, ADragEndsWhenTheWindowLosesTheMouseOrTheEditorCloses)
{
    hostSets(talvane::kFCutoff, 0.5);
    const CPoint knob = centreOf(talvane::kFCutoff);
    screen->mouseDown(knob);
    screen->mouseMove(CPoint(knob.x, knob.y - 4), kLButton);
    editor->getFrame()->onMouseCancel();
    EXPECT_TRUE(sameEdits(host.handler.edits, oneGesture(talvane::kFCutoff, {0.51})));
    EXPECT_EQ(caption(talvane::kFCutoff), "CUTOFF");
    screen->mouseMove(CPoint(knob.x, knob.y - 40), kLButton);
    screen->mouseUp(CPoint(knob.x, knob.y - 40));
    EXPECT_TRUE(sameEdits(host.handler.edits, oneGesture(talvane::kFCutoff, {0.51})));

    // Closed mid-drag, the pitch-bend wheel still springs back within its gesture.
    host.handler.edits.clear();
    const CPoint bend = centreOf(talvane::kPitchBend);
    screen->mouseDown(bend);
    screen->mouseMove(CPoint(bend.x, bend.y - 40), kLButton);
    editor->removed();
    EXPECT_TRUE(sameEdits(host.handler.edits, oneGesture(talvane::kPitchBend, {0.6, 0.5})));
    EXPECT_EQ(controllerValue(talvane::kPitchBend), 0.5);
}

TEST_F(EditorView, ThePitchBendWheelSpringsBackTheModWheelStays)
{
    const CPoint bend = centreOf(talvane::kPitchBend);
    screen->mouseDown(bend);
    screen->mouseMove(CPoint(bend.x, bend.y - 40), kLButton);
    screen->mouseUp(CPoint(bend.x, bend.y - 40));
    // The spring back belongs to the gesture.
    EXPECT_TRUE(sameEdits(host.handler.edits, oneGesture(talvane::kPitchBend, {0.6, 0.5})));
    EXPECT_FLOAT_EQ(control(talvane::kPitchBend)->getValue(), 0.5f);
    EXPECT_EQ(controllerValue(talvane::kPitchBend), 0.5);
    EXPECT_EQ(caption(talvane::kPitchBend), "PB");

    const float modStart = control(talvane::kModWheel)->getValue();
    const CPoint mod = centreOf(talvane::kModWheel);
    screen->mouseDown(mod);
    screen->mouseMove(CPoint(mod.x, mod.y - 40), kLButton);
    screen->mouseUp(CPoint(mod.x, mod.y - 40));
    EXPECT_NEAR(control(talvane::kModWheel)->getValue(), modStart + 0.1f, 1e-6);
    EXPECT_EQ(host.handler.performed(talvane::kModWheel),
              std::vector<ParamValue>{control(talvane::kModWheel)->getValue()});
    EXPECT_EQ(caption(talvane::kModWheel), "WHEEL");
}

TEST_F(EditorView, ALeftDoubleClickResetsAKnobToItsDefault)
{
    ASSERT_EQ(talvane::defaultNormalized(talvane::kO1Detune), 0.5f);
    hostSets(talvane::kO1Detune, 0.8);
    editor->getFrame()->idle();
    // The first click holds the knob without moving it; the second resets it as one edit.
    screen->doubleClick(centreOf(talvane::kO1Detune));
    HostEdits expected = oneGesture(talvane::kO1Detune, {});
    const HostEdits reset = editTriple(talvane::kO1Detune, 0.5);
    expected.insert(expected.end(), reset.begin(), reset.end());
    EXPECT_EQ(host.handler.edits, expected);
    EXPECT_FLOAT_EQ(control(talvane::kO1Detune)->getValue(), 0.5f);
    EXPECT_EQ(caption(talvane::kO1Detune), "DETUNE");

    // Already at the default: no value reaches the host, only the two touches.
    editor->getFrame()->idle();
    host.handler.edits.clear();
    screen->doubleClick(centreOf(talvane::kO1Detune));
    const HostEdits touch = oneGesture(talvane::kO1Detune, {});
    expected = touch;
    expected.insert(expected.end(), touch.begin(), touch.end());
    EXPECT_EQ(host.handler.edits, expected);
    host.handler.edits.clear();

    // The right button's double-click is an ordinary press.
    hostSets(talvane::kO1Detune, 0.8);
    screen->doubleClick(centreOf(talvane::kO1Detune), kRButton);
    EXPECT_FLOAT_EQ(control(talvane::kO1Detune)->getValue(), 0.8f);
    EXPECT_TRUE(host.handler.edits.empty());
}

TEST_F(EditorView, WheelStepsAreFineAlwaysSentAndOneGestureUntilThePointerLeaves)
{
    const CPoint knob = centreOf(talvane::kGlobalVolume);
    screen->mouseMove(knob);
    hostSets(talvane::kGlobalVolume, 0.8);
    // One notch is 0.001, Shift or not.
    EXPECT_TRUE(screen->wheel(knob, 1.f, kShift));
    EXPECT_EQ(host.handler.edits,
              (HostEdits{{HostEdit::Begin, talvane::kGlobalVolume},
                         {HostEdit::Perform, talvane::kGlobalVolume, 0.8f + TLKnob::kWheelStep}}));
    // At the end of the range a step still sends the value.
    hostSets(talvane::kGlobalVolume, 1.0);
    EXPECT_TRUE(screen->wheel(knob, 1.f));
    EXPECT_TRUE(screen->wheel(knob, -3.f));
    screen->mouseMove(CPoint(10, 300));
    EXPECT_EQ(host.handler.edits, oneGesture(talvane::kGlobalVolume, {0.8f + TLKnob::kWheelStep, 1.0,
                                                                      1.f + -3.f * TLKnob::kWheelStep}));
}

TEST_F(EditorView, TheWheelsGestureEndsWhenTheWheelRestsAnotherControlIsTakenOrTheEditorCloses)
{
    const CPoint volume = centreOf(talvane::kGlobalVolume);
    hostSets(talvane::kGlobalVolume, 0.5);
    screen->mouseMove(volume);
    screen->wheel(volume, 1.f);
    editor->onIdleTimer();
    EXPECT_EQ(host.handler.edits.back().kind, HostEdit::Perform) << "ended before the pause";
    std::this_thread::sleep_for(EditGestures::kWheelPause + std::chrono::milliseconds(20));
    editor->onIdleTimer();
    EXPECT_TRUE(sameEdits(host.handler.edits, oneGesture(talvane::kGlobalVolume, {0.501})));
    // A step after the pause is a gesture of its own.
    host.handler.edits.clear();
    screen->wheel(volume, 1.f);
    EXPECT_TRUE(sameEdits(host.handler.edits, HostEdits{{HostEdit::Begin, talvane::kGlobalVolume},
                                                        {HostEdit::Perform, talvane::kGlobalVolume, 0.502}}));

    // The wheel on another control: the first gesture ends before the other begins.
    host.handler.edits.clear();
    const CPoint cutoff = centreOf(talvane::kFCutoff);
    hostSets(talvane::kFCutoff, 0.5);
    screen->wheel(cutoff, 1.f);
    HostEdits expected{{HostEdit::End, talvane::kGlobalVolume}};
    const HostEdits next{{HostEdit::Begin, talvane::kFCutoff}, {HostEdit::Perform, talvane::kFCutoff, 0.501}};
    expected.insert(expected.end(), next.begin(), next.end());
    EXPECT_TRUE(sameEdits(host.handler.edits, expected));

    // A toggle taken meanwhile ends it too.
    host.handler.edits.clear();
    screen->click(centreOf(talvane::kO1Retrig));
    ASSERT_GE(host.handler.edits.size(), 2u);
    EXPECT_EQ(host.handler.edits[0], (HostEdit{HostEdit::End, talvane::kFCutoff}));
    EXPECT_EQ(host.handler.edits[1], (HostEdit{HostEdit::Begin, talvane::kO1Retrig}));

    // Closing ends one still waiting for its pause.
    host.handler.edits.clear();
    screen->wheel(cutoff, 1.f);
    editor->removed();
    EXPECT_TRUE(sameEdits(host.handler.edits, oneGesture(talvane::kFCutoff, {0.502})));
}

TEST_F(EditorView, AToggleAndTheKickButtonAreEachOneGesture)
{
    const double switchedOn = controllerValue(talvane::kO1Retrig) < 0.5 ? 1.0 : 0.0;
    screen->click(centreOf(talvane::kO1Retrig));
    EXPECT_EQ(host.handler.edits, editTriple(talvane::kO1Retrig, switchedOn));

    // The kick button is held from the press to the release, which fires it.
    host.handler.edits.clear();
    screen->mouseDown(centreOf(talvane::kPanic));
    EXPECT_EQ(host.handler.edits, (HostEdits{{HostEdit::Begin, talvane::kPanic}}));
    screen->mouseUp(centreOf(talvane::kPanic));
    EXPECT_EQ(host.handler.edits, oneGesture(talvane::kPanic, {1.0, 0.0}));
}

TEST_F(EditorView, AfterAWheelStepTheCaptionKeepsTheValueTextUntilThePointerLeaves)
{
    const CPoint knob = centreOf(talvane::kGlobalVolume);
    hostSets(talvane::kGlobalVolume, 1.0);
    screen->mouseMove(knob);
    screen->wheel(knob, 1.f);
    EXPECT_EQ(caption(talvane::kGlobalVolume), "100.0 %");
    screen->mouseMove(CPoint(knob.x + 1, knob.y));
    EXPECT_EQ(caption(talvane::kGlobalVolume), "100.0 %");
    host.handler.edits.clear();
    screen->mouseMove(CPoint(10, 300));
    EXPECT_EQ(caption(talvane::kGlobalVolume), "VOLUME");
    // Leaving ends the wheel's gesture, and sends nothing else.
    EXPECT_EQ(host.handler.edits, (HostEdits{{HostEdit::End, talvane::kGlobalVolume}}));
    EXPECT_FALSE(dynamic_cast<TLKnob*>(control(talvane::kGlobalVolume))->isWheelEditPending());

    // A press clears it too: the pointer's knob hears that it was left.
    screen->mouseMove(knob);
    screen->wheel(knob, -1.f);
    screen->mouseDown(knob);
    screen->mouseUp(knob);
    EXPECT_EQ(caption(talvane::kGlobalVolume), "VOLUME");
}

TEST_F(EditorView, AWheelStepOnThePitchBendSendsTheStepThenTheCentre)
{
    const CPoint bend = centreOf(talvane::kPitchBend);
    screen->mouseMove(bend);
    screen->wheel(bend, 1.f);
    EXPECT_EQ(host.handler.performed(talvane::kPitchBend), (std::vector<ParamValue>{0.5f + 0.001f, 0.5}));
    EXPECT_FLOAT_EQ(control(talvane::kPitchBend)->getValue(), 0.5f);
    // Leaving re-centres once more, and ends the wheel's gesture.
    screen->mouseMove(CPoint(10, 300));
    EXPECT_EQ(host.handler.edits, oneGesture(talvane::kPitchBend, {0.5f + 0.001f, 0.5, 0.5}));
    EXPECT_EQ(caption(talvane::kPitchBend), "PB");
}

TEST_F(EditorView, TheSwitcherSelectsThePageUnderThePointerAndSendsNothing)
{
    const CCoord y = 150;
    const std::pair<CCoord, int32> zones[] = {{894, 0}, {895, 1}, {946, 1}, {947, 2}, {779, 0}, {1048, 2}};
    for (const auto& [x, page] : zones)
    {
        screen->click(CPoint(x, y));
        EXPECT_EQ(editor->getCurrentPage(), page) << x;
    }
    screen->doubleClick(CPoint(900, y), kRButton);
    EXPECT_EQ(editor->getCurrentPage(), talvane::kLfoPage);

    // The switcher carries tag 0, GlobalVolume's ID, yet neither sends nor follows it.
    EXPECT_TRUE(host.handler.edits.empty());
    EXPECT_EQ(controllerValue(talvane::kGlobalVolume), talvane::defaultNormalized(talvane::kGlobalVolume));
    hostSets(talvane::kGlobalVolume, 0.2);
    EXPECT_FLOAT_EQ(control(talvane::kGlobalVolume)->getValue(), 0.2f);
    EXPECT_FLOAT_EQ(editor->getPageSwitcher()->getValue(), 0.5f);
}

TEST_F(EditorView, AnotherOpenEditorFollowsTheEdits)
{
    TalvaneEditorView* second = host.createEditor();
    ASSERT_EQ(second->attached(nullptr, kPlatformTypeOffscreen), kResultTrue);
    hostSets(talvane::kFAmount, 0.9);
    EXPECT_FLOAT_EQ(second->getControl(talvane::kFAmount)->getValue(), 0.9f);
    editor->getFrame()->idle();
    screen->doubleClick(centreOf(talvane::kFAmount));
    EXPECT_FLOAT_EQ(second->getControl(talvane::kFAmount)->getValue(), 0.5f);
    second->removed();
    second->release();
}

TEST_F(EditorView, SizeConstraintsAndTheHostQueries)
{
    ViewRect wide(0, 0, 2000, 300);
    EXPECT_EQ(editor->checkSizeConstraint(&wide), kResultOk);
    EXPECT_EQ(wide.getWidth(), 1116);
    EXPECT_EQ(wide.getHeight(), 544);
    ViewRect inside(10, 20, 1110, 580);
    EXPECT_EQ(editor->checkSizeConstraint(&inside), kResultOk);
    EXPECT_EQ(inside.left, 10);
    EXPECT_EQ(inside.top, 20);
    EXPECT_EQ(inside.right, 1110);
    EXPECT_EQ(inside.bottom, 580);
    EXPECT_EQ(editor->checkSizeConstraint(nullptr), kInvalidArgument);
    EXPECT_EQ(editor->canResize(), kResultFalse);

    IParameterFinder* finder = nullptr;
    ASSERT_EQ(editor->queryInterface(IParameterFinder::iid, reinterpret_cast<void**>(&finder)), kResultOk);
    ParamID tag = 12345;
    const CPoint knob = centreOf(talvane::kFCutoff);
    EXPECT_EQ(finder->findParameter(static_cast<int32>(knob.x), static_cast<int32>(knob.y), tag),
              kResultFalse);
    EXPECT_EQ(tag, 12345u);
    finder->release();

    IContextMenuTarget* target = nullptr;
    ASSERT_EQ(editor->queryInterface(IContextMenuTarget::iid, reinterpret_cast<void**>(&target)), kResultOk);
    EXPECT_EQ(target->executeMenuItem(0), kResultOk);
    EXPECT_EQ(target->executeMenuItem(-7), kResultOk);
    target->release();

    IPlugView* view = nullptr;
    ASSERT_EQ(editor->queryInterface(IPlugView::iid, reinterpret_cast<void**>(&view)), kResultOk);
    EXPECT_EQ(view, static_cast<IPlugView*>(editor));
    view->release();
}

class ExposedEditorView : public TalvaneEditorView
{
public:
    using TalvaneEditorView::addControl;
    using TalvaneEditorView::TalvaneEditorView;
};

TEST(EditorAddControl, IgnoresAnAnchorAtTheOriginAndUnknownStyles)
{
    talvane::testing::ControllerWithHost host;
    auto* editor = new ExposedEditorView(host.controller);
    ASSERT_EQ(editor->attached(nullptr, kPlatformTypeOffscreen), kResultTrue);
    const int32_t views = editor->getFrame()->getNbViews();
    editor->addControl(talvane::kMatrix1Amount, talvane::KnobBlue, 0, 0, true);
    editor->addControl(talvane::kMatrix1Amount, 10, 959, 212, true);
    editor->addControl(talvane::kMatrix1Amount, -1, 959, 212, true);
    editor->addControl(talvane::kNumParams, talvane::KnobBlue, 959, 212, true);
    EXPECT_EQ(editor->getControl(talvane::kMatrix1Amount), nullptr);
    EXPECT_EQ(editor->getFrame()->getNbViews(), views);
    editor->removed();
    editor->release();
}

TEST_F(EditorView, DrawsTheBackgroundPicture)
{
    CBitmap background("background.bmp");
    ASSERT_TRUE(background.isLoaded());
    // Points away from every control and caption.
    for (const CPoint& p : {CPoint(300, 30), CPoint(20, 420), CPoint(1060, 540), CPoint(760, 160)})
        EXPECT_EQ(screen->getPixel(static_cast<int>(p.x), static_cast<int>(p.y)),
                  talvane::testing::expectedStripPixel(background, talvane::kEditorHeight, 0,
                                                       static_cast<int>(p.x), static_cast<int>(p.y),
                                                       kGreyCColor))
            << p.x << ", " << p.y;
}

} // namespace

namespace {

// A host that drops an open view without removing it first: the window and its controls go with
// the view (the leak checker sees otherwise), and the controller no longer reaches it.
TEST(EditorLifetime, AViewReleasedWhileOpenTakesItsWindowAlong)
{
    talvane::testing::ControllerWithHost host;
    TalvaneEditorView* editor = host.createEditor();
    ASSERT_EQ(editor->attached(nullptr, kPlatformTypeOffscreen), kResultTrue);
    EXPECT_EQ(editor->release(), 0u);
    EXPECT_EQ(host.controller->setParamNormalized(talvane::kFCutoff, 0.3), kResultTrue);
}

} // namespace
