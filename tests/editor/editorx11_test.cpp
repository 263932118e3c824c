// The editor as a host on X11 sees it: created by the controller's createView, attached to a real
// parent window of a private X server, redrawn from the host's run-loop timer, and edited by clicks,
// drags, the wheel and keys that go through the X server, at 100 % and zoomed.
#include "tests/editor/editortest.h"
#include "tests/gui/guitest.h"
#include "tests/gui/x11picture.h"
#include "tests/gui/x11testhost.h"
#include "tests/support/pixelgrid.h"

#include "source/editor/editorlayout.h"
#include "source/editor/soundbar.h"
#include "source/editor/tlknob.h"
#include "source/params/paramtable.h"

#include "gui/menupopup.h"

#include "host/dynamiclibrary.h"


#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

using namespace Steinberg;
using namespace VSTGUI;
using namespace talvane::testing;

namespace {

// The editor embedded in a host window of a private X server, at the controller's zoom.
class EmbeddedEditor
{
public:
    EmbeddedEditor(ControllerWithHost& plugin, Display* display, int width, int height) : display(display)
    {
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(width),
                                     static_cast<unsigned>(height), 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
        view = plugin.createEditor();
        view->setFrame(&host);
        attached = view->attached(reinterpret_cast<void*>(parent),
                                  Steinberg::kPlatformTypeX11EmbedWindowID) == kResultTrue;
        Window rootReturn = 0, parentReturn = 0;
        Window* children = nullptr;
        unsigned childCount = 0;
        XQueryTree(display, parent, &rootReturn, &parentReturn, &children, &childCount);
        if (childCount == 1)
            child = children[0];
        if (children)
            XFree(children);
        host.runFor(std::chrono::milliseconds(300));
    }
    ~EmbeddedEditor()
    {
        view->removed();
        view->release();
        XDestroyWindow(display, parent);
        XSync(display, False);
    }
    EmbeddedEditor(const EmbeddedEditor&) = delete;
    EmbeddedEditor& operator=(const EmbeddedEditor&) = delete;

    double scale() const { return view->getFrame()->getScaleFactor(); }
    // A point of the layout in root coordinates, through the child window's scaled pixels.
    std::pair<int, int> root(const CPoint& layout) const
    {
        return rootPosition(display, child, static_cast<int>(toDevice(layout.x, scale())),
                            static_cast<int>(toDevice(layout.y, scale())));
    }
    std::pair<int, int> rootOf(Steinberg::Vst::ParamID id) const
    {
        return root(view->getControl(id)->getViewSize().getCenter());
    }
    void click(const std::pair<int, int>& at)
    {
        clickAt(display, at.first, at.second);
        host.runFor(std::chrono::milliseconds(150));
    }
    PixelGrid picture(const CRect& layout) const
    {
        const CRect area = toDevice(layout, scale());
        return windowPicture(display, child, static_cast<int>(area.left), static_cast<int>(area.top),
                             static_cast<int>(area.getWidth()), static_cast<int>(area.getHeight()));
    }

    Display* display;
    FakeHost host;
    Window parent = 0;
    Window child = 0;
    Steinberg::Vst::TalvaneEditorView* view = nullptr;
    bool attached = false;
};

TEST(EditorOnX11, AttachesToTheHostWindowRedrawsFromTheTimerAndEditsOnARealClick)
{
    Xvfb server;
    if (const std::string why = server.whyNoInput(); !why.empty())
        GTEST_SKIP() << why;
    ScopedDisplay display(server.name);

    Display* hostDisplay = server.display;
    const Window root = DefaultRootWindow(hostDisplay);
    const Window parent =
        XCreateSimpleWindow(hostDisplay, root, 0, 0, talvane::kEditorWidth, talvane::kEditorHeight, 0, 0, 0);
    XMapWindow(hostDisplay, parent);
    XSync(hostDisplay, False);

    ControllerWithHost plugin;
    FakeHost host;
    IPlugView* view = plugin.controller->createView("editor");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->isPlatformTypeSupported(Steinberg::kPlatformTypeX11EmbedWindowID), kResultTrue);
    view->setFrame(&host);
    ASSERT_EQ(view->attached(reinterpret_cast<void*>(parent), Steinberg::kPlatformTypeX11EmbedWindowID), kResultTrue);
    EXPECT_EQ(host.lastResize.getWidth(), talvane::kEditorWidth);
    EXPECT_EQ(host.lastResize.getHeight(), talvane::kEditorHeight);
    ASSERT_EQ(host.timers.size(), 1u);
    EXPECT_EQ(host.timers.begin()->second.interval, std::chrono::milliseconds(50));

    Window rootReturn = 0, parentReturn = 0;
    Window* children = nullptr;
    unsigned childCount = 0;
    XQueryTree(hostDisplay, parent, &rootReturn, &parentReturn, &children, &childCount);
    ASSERT_EQ(childCount, 1u);
    const Window child = children[0];
    XFree(children);

    // The idle timer draws the background picture into the window.
    host.runFor(std::chrono::milliseconds(400));
    EXPECT_GE(host.timerFirings, 3);
    CBitmap background(talvane::kBackgroundBitmap.name);
    const int x = 300, y = 30;
    EXPECT_EQ(windowPixel(hostDisplay, child, x, y),
              expectedStripPixel(background, talvane::kEditorHeight, 0, x, y, kGreyCColor));

    // A click on the first oscillator's switch, through the X server, reaches the host as an edit.
    const double before = plugin.controller->getParamNormalized(talvane::kO1On);
    const double after = before < 0.5 ? 1.0 : 0.0;
    int rootX = 0, rootY = 0;
    Window unused = 0;
    XTranslateCoordinates(hostDisplay, child, root, 60, 188, &rootX, &rootY, &unused);
    clickAt(hostDisplay, rootX, rootY);
    host.runFor(std::chrono::milliseconds(300));
    EXPECT_EQ(plugin.handler.edits, editTriple(talvane::kO1On, after));
    EXPECT_EQ(plugin.controller->getParamNormalized(talvane::kO1On), after);

    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_TRUE(host.handlers.empty());
    EXPECT_TRUE(host.timers.empty());
    view->release();
    XSync(hostDisplay, False);
    XQueryTree(hostDisplay, parent, &rootReturn, &parentReturn, &children, &childCount);
    EXPECT_EQ(childCount, 0u);
    if (children)
        XFree(children);
    XDestroyWindow(hostDisplay, parent);
}

} // namespace

namespace {

TEST(EditorOnX11, ZoomedItTakesRealClicksDragsAndTheWheelAtTheScaledPlaces)
{
    Xvfb server("2600x1500x24");
    if (const std::string why = server.whyNoInput(); !why.empty())
        GTEST_SKIP() << why;
    ScopedDisplay display(server.name);
    Display* x = server.display;

    const CRect volumeArea(639, 70, 689, 129);
    PixelGrid volumeAt100(1, 1);
    for (const auto& [zoom, width, height] :
         {std::tuple{100, 1066, 544}, {150, 1599, 816}, {200, 2132, 1088}})
    {
        SCOPED_TRACE(zoom);
        ControllerWithHost plugin;
        // The zoom is the controller's: the view opens at it.
        plugin.controller->setEditorZoom(zoom);
        EmbeddedEditor editor(plugin, x, width, height);
        ASSERT_TRUE(editor.attached);
        ASSERT_NE(editor.child, 0u);
        EXPECT_EQ(editor.host.lastResize.getWidth(), width);
        EXPECT_EQ(editor.host.lastResize.getHeight(), height);
        XWindowAttributes attributes;
        XGetWindowAttributes(x, editor.child, &attributes);
        EXPECT_EQ(attributes.width, width);
        EXPECT_EQ(attributes.height, height);

        // The picture the X server shows, saved and checked: at 200 % the knob is drawn anew, with
        // edges far steeper than those of the picture at 100 % stretched.
        const PixelGrid whole = windowPicture(x, editor.child, 0, 0, width, height);
        EXPECT_TRUE(savePicture(whole, "editor-x11-" + std::to_string(zoom) + ".png"));
        if (zoom == 100)
            volumeAt100 = editor.picture(volumeArea);
        if (zoom == 200)
        {
            const PixelGrid volume = editor.picture(volumeArea);
            EXPECT_GT(volume.edgeSteepness(), 1.3 * volumeAt100.stretched(2).edgeSteepness());
            EXPECT_LT(volume.shrunk(2).meanDifference(volumeAt100), 12.0);
        }

        // A click on the first oscillator's switch.
        const double on = plugin.controller->getParamNormalized(talvane::kO1On);
        editor.click(editor.rootOf(talvane::kO1On));
        EXPECT_EQ(plugin.handler.edits, editTriple(talvane::kO1On, on < 0.5 ? 1.0 : 0.0));

        // A drag of 60 pixels up moves the cutoff by 60 / (400 x scale): the same turn for the
        // same travel across the knob as at 100 %.
        plugin.handler.edits.clear();
        plugin.controller->setParamNormalized(talvane::kFCutoff, 0.5);
        const auto [knobX, knobY] = editor.rootOf(talvane::kFCutoff);
        moveTo(x, knobX, knobY);
        pressButton(x, 1, true);
        editor.host.runFor(std::chrono::milliseconds(50));
        for (int step = 1; step <= 6; ++step)
        {
            moveTo(x, knobX, knobY - 10 * step);
            editor.host.runFor(std::chrono::milliseconds(30));
        }
        pressButton(x, 1, false);
        editor.host.runFor(std::chrono::milliseconds(100));
        const std::vector<Steinberg::Vst::ParamValue> cutoff = plugin.handler.performed(talvane::kFCutoff);
        ASSERT_FALSE(cutoff.empty());
        EXPECT_NEAR(cutoff.back(), 0.5 + 60 / (400 * editor.scale()), 1e-6);
        EXPECT_NEAR(plugin.controller->getParamNormalized(talvane::kFCutoff), cutoff.back(), 1e-7);

        // One notch of the wheel on the volume knob.
        plugin.handler.edits.clear();
        plugin.controller->setParamNormalized(talvane::kGlobalVolume, 0.8);
        const auto [volumeX, volumeY] = editor.rootOf(talvane::kGlobalVolume);
        moveTo(x, volumeX, volumeY);
        pressButton(x, 4, true);
        pressButton(x, 4, false);
        editor.host.runFor(std::chrono::milliseconds(100));
        EXPECT_EQ(plugin.handler.performed(talvane::kGlobalVolume),
                  std::vector<Steinberg::Vst::ParamValue>{0.8f + Steinberg::Vst::TLKnob::kWheelStep});

        // A double-click resets the detune.
        plugin.handler.edits.clear();
        plugin.controller->setParamNormalized(talvane::kO1Detune, 0.8);
        editor.host.runFor(std::chrono::milliseconds(60));
        const auto detune = editor.rootOf(talvane::kO1Detune);
        clickAt(x, detune.first, detune.second);
        clickAt(x, detune.first, detune.second);
        editor.host.runFor(std::chrono::milliseconds(100));
        EXPECT_EQ(plugin.handler.performed(talvane::kO1Detune), std::vector<Steinberg::Vst::ParamValue>{0.5});

        // The page switcher's matrix zone starts at x 947 of the layout.
        editor.click(editor.root(CPoint(std::ceil(947 * editor.scale()) / editor.scale(), 150)));
        EXPECT_EQ(editor.view->getCurrentPage(), talvane::kMatrixPage);

        // A list's pop-up window opens at the scaled place and takes a click on an entry.
        plugin.handler.edits.clear();
        editor.click(editor.rootOf(talvane::kFType));
        ASSERT_TRUE(editor.view->getFrame()->isPopupOpen());
        const CRect box = editor.view->getControl(talvane::kFType)->getViewSize();
        const CPoint entry = editor.view->getFrame()->getPopup()->entryRect(3).getCenter();
        const auto [boxX, boxY] = editor.root(box.getTopLeft());
        editor.click({boxX + static_cast<int>(toDevice(entry.x, editor.scale())),
                      boxY + static_cast<int>(toDevice(entry.y, editor.scale()))});
        EXPECT_FALSE(editor.view->getFrame()->isPopupOpen());
        EXPECT_EQ(plugin.handler.edits, editTriple(talvane::kFType, 0.75));
    }
}

// The sound bar worked by real clicks and keys through the X server, at 100 % and zoomed: the
// next sound, a sound from the menu's own pop-up window, a sound saved under a typed name into a
// temporary folder, and a folder that cannot be written.
TEST(EditorOnX11, TheSoundBarChoosesAndSavesSoundsWithARealMouseAndKeyboard)
{
    Xvfb server("1700x900x24");
    if (const std::string why = server.whyNoInput(); !why.empty())
        GTEST_SKIP() << why;
    ScopedDisplay display(server.name);
    Display* x = server.display;

    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() /
                            ("talvane-x11-sounds-" + std::to_string(talvane::host::currentProcessId()));
    for (const auto& [zoom, width, height] : {std::tuple{100, 1066, 544}, {150, 1599, 816}})
    {
        SCOPED_TRACE(zoom);
        fs::remove_all(folder);
        ControllerWithHost plugin;
        plugin.controller->setEditorZoom(zoom);
        plugin.controller->soundLibrary().setUserFolder(folder / "Talvane");
        EmbeddedEditor editor(plugin, x, width, height);
        ASSERT_TRUE(editor.attached);
        ASSERT_NE(editor.child, 0u);
        Steinberg::Vst::SoundBar* bar = editor.view->getSoundBar();
        ASSERT_NE(bar, nullptr);
        auto clickOn = [&](const talvane::PixelRect& r) {
            editor.click(editor.root(CPoint((r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0)));
            editor.host.runFor(std::chrono::milliseconds(100));
        };
        auto shownName = [&] { return bar->getMenu()->getShownName(); };

        // Next: the first factory sound, every change an edit the host records.
        clickOn(talvane::kNextSoundRect);
        EXPECT_EQ(shownName(), "Warm Pad");
        EXPECT_FALSE(plugin.handler.edits.empty());

        // The menu opens in a window of its own; a click on an entry there loads it.
        clickOn(talvane::kSoundNameRect);
        const Window popup = topPopupWindow(x);
        ASSERT_NE(popup, 0u);
        const MenuPopup* opened = editor.view->getFrame()->getPopup();
        ASSERT_NE(opened, nullptr);
        int32_t entry = -1;
        for (int32_t i = 0; i < bar->getMenu()->getNbEntries(); ++i)
            if (bar->getMenu()->getEntry(i)->getTitle() == "Tubular Bell")
                entry = i;
        ASSERT_GE(entry, 0);
        const CPoint centre = opened->entryRect(entry).getCenter();
        editor.click(rootPosition(x, popup, static_cast<int>(toDevice(centre.x, editor.scale())),
                                  static_cast<int>(toDevice(centre.y, editor.scale()))));
        EXPECT_FALSE(editor.view->getFrame()->isPopupOpen());
        EXPECT_EQ(shownName(), "Tubular Bell");

        // Save: a name typed on the keyboard, then Return.
        clickOn(talvane::kSaveSoundRect);
        ASSERT_TRUE(bar->getNameEntry()->isEditing());
        typeText(x, "Long Bell 2");
        pressKey(x, XK_Return);
        editor.host.runFor(std::chrono::milliseconds(250));
        EXPECT_TRUE(fs::is_regular_file(folder / "Talvane" / "Long Bell 2.vstpreset"))
            << bar->getMessage()->getText();
        EXPECT_EQ(shownName(), "Long Bell 2");
        EXPECT_STREQ(bar->getMessage()->getText(), "Saved \"Long Bell 2\"");

        // A folder that cannot be written: the musician reads why, and nothing is saved.
        std::ofstream(folder / "blocked") << "a file, not a folder";
        plugin.controller->soundLibrary().setUserFolder(folder / "blocked" / "Talvane");
        clickOn(talvane::kSaveSoundRect);
        typeText(x, "Nowhere");
        pressKey(x, XK_Return);
        editor.host.runFor(std::chrono::milliseconds(250));
        EXPECT_TRUE(bar->isErrorShown());
        EXPECT_STREQ(bar->getMessage()->getText(), "Cannot save: cannot make the preset folder (Not a directory)");
        EXPECT_EQ(shownName(), "Long Bell 2");
    }
    fs::remove_all(folder);
}

} // namespace
