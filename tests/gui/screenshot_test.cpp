// Pictures of the editor's artwork and controls as the offscreen backend draws them, saved under
// the build tree (screenshots/) for people to look at. The pixel checks make sure they show what
// they claim.
#include "tests/gui/guitest.h"

#include "gui/menupopup.h"

#include "source/editor/editorlayout.h"
#include "source/params/paramtable.h"

#include <cairo.h>
#include <sys/stat.h>

using namespace VSTGUI;
using namespace talvane;

namespace {

std::string screenshotPath(const std::string& name)
{
    mkdir(TALVANE_SCREENSHOT_DIR, 0755);
    return std::string(TALVANE_SCREENSHOT_DIR) + "/" + name;
}

class Panel
{
public:
    Panel()
    {
        frame = new CFrame(CRect(0, 0, kEditorWidth, kEditorHeight), nullptr, nullptr);
        frame->setBackgroundColor(MakeCColor(127, 127, 127));
        background = new CBitmap(kBackgroundBitmap.name);
        background->setNoAlpha(true);
        frame->setBackground(background);
        frame->setTransparency(false);
        labelFont = new CFontDesc("Arial", 9);
        menuFont = new CFontDesc("Arial", 9);
        waveFont = new CFontDesc("Arial", 12);
        for (int style = 0; style < kNumControlStyles; ++style)
            bitmaps[style] = new CBitmap(controlBitmap(static_cast<ControlStyle>(style)).name);
    }
    ~Panel()
    {
        frame->close();
        background->forget();
        labelFont->forget();
        menuFont->forget();
        waveFont->forget();
        for (CBitmap* bitmap : bitmaps)
            bitmap->forget();
    }
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    // Roughly what the editor builds for a row of the layout, with the parameter's default value.
    void add(const ControlPlacement& p)
    {
        const PixelRect r = controlRect(p);
        const CRect rect(r.left, r.top, r.right, r.bottom);
        CBitmap* bitmap = bitmaps[p.style];
        const float value = defaultNormalized(p.id);
        CControl* control = nullptr;
        if (isKnobStyle(p.style))
        {
            const BitmapInfo& info = controlBitmap(p.style);
            control = new CAnimKnob(rect, nullptr, static_cast<int32_t>(p.id), info.frameCount,
                                    info.frameHeight(), bitmap);
            control->setValue(value);
        }
        else if (isToggleStyle(p.style))
        {
            control = new COnOffButton(rect, nullptr, static_cast<int32_t>(p.id), bitmap);
            control->setValue(value);
        }
        else if (p.style == KickButton)
        {
            control = new CKickButton(rect, nullptr, static_cast<int32_t>(p.id), bitmap);
        }
        else
        {
            auto* menu = new COptionMenu(rect, nullptr, static_cast<int32_t>(p.id), bitmap, nullptr,
                                         kCheckStyle | kPopupStyle);
            const bool wave = p.id == kO1Waveform || p.id == kO2Waveform || p.id == kO3Waveform;
            menu->setFont(wave ? waveFont : menuFont);
            menu->setFontColor(MakeCColor(156, 251, 255));
            menu->setAntialias(false);
            for (const char* name : entriesFor(p.id))
                menu->addEntry(name);
            if (menu->getNbEntries() == kNumModDestinations)
                menu->setNbItemsPerColumn(12);
            const int index = indexFromNormalized(p.id, value) - paramRecord(p.id).minValue;
            menu->setValue(static_cast<float>(index));
            menu->setCurrent(index);
            control = menu;
        }
        frame->addView(control);
        if (hasCaption(p))
        {
            const PixelRect c = captionRect(p);
            auto* label =
                new CTextLabel(CRect(c.left, c.top, c.right, c.bottom), paramRecord(p.id).caption.c_str());
            label->setFont(labelFont);
            label->setTransparency(true);
            label->setHoriAlign(captionCentred(p) ? kCenterText : kLeftText);
            frame->addView(label);
        }
    }

    void addPageSwitcher(int page)
    {
        auto* switcher =
            new CMovieBitmap(CRect(kPageSwitcherX, kPageSwitcherY, kPageSwitcherX + 271, kPageSwitcherY + 22),
                             nullptr, 0, 3, 22, new CBitmap(kPageSwitcherBitmap.name));
        switcher->getBackground()->forget();
        switcher->setValue(page * 0.5f);
        frame->addView(switcher);
    }

    static std::vector<const char*> entriesFor(ParamId id)
    {
        auto list = [](const char* const* names, int count) {
            return std::vector<const char*>(names, names + count);
        };
        switch (id)
        {
        case kFType:
            return list(kFilterTypeNames, kNumFilterTypes);
        case kO1Waveform:
        case kO2Waveform:
        case kO3Waveform:
        case kLfo1Waveform:
        case kLfo2Waveform:
            return list(kWaveformNames, kNumWaveforms);
        case kNoteMode:
            return list(kNoteModeNames, kNumNoteModes);
        case kRefOctave:
            return list(kOctaveNames, kNumOctaves);
        case kRefNote:
            return list(kNoteNames, kNumNoteNames);
        case kEnv1Type:
        case kEnv2Type:
            return list(kEnvTypeNames, kNumEnvTypes);
        case kMatrix1Src:
        case kMatrix2Src:
            return list(kModSourceNames, kNumModSources);
        default:
            return list(kModDestNames, kNumModDestinations);
        }
    }

    CFrame* frame;
    CBitmap* background;
    CFontDesc* labelFont;
    CFontDesc* menuFont;
    CFontDesc* waveFont;
    CBitmap* bitmaps[kNumControlStyles];
};

TEST(Screenshots, TheBackgroundAloneAndTheFullPanelOnEachPage)
{
    {
        Panel panel;
        panel.frame->idle();
        OffscreenFrame* screen = OffscreenFrame::of(panel.frame);
        ASSERT_TRUE(screen->saveScreenshot(screenshotPath("background.png")));
        // Opaque: the frame's grey never shows through.
        for (int y = 0; y < kEditorHeight; y += 17)
            for (int x = 0; x < kEditorWidth; x += 13)
                ASSERT_NE(screen->getPixel(x, y), MakeCColor(127, 127, 127)) << x << "," << y;
    }
    static const char* const kNames[kNumPages] = {"panel-envelopes.png", "panel-lfo.png", "panel-matrix.png"};
    for (int page = 0; page < kNumPages; ++page)
    {
        Panel panel;
        panel.addPageSwitcher(page);
        for (const ControlPlacement& p : pageLayout(page))
            panel.add(p);
        for (const ControlPlacement& p : alwaysPresentLayout())
            panel.add(p);
        panel.frame->idle();
        OffscreenFrame* screen = OffscreenFrame::of(panel.frame);
        ASSERT_TRUE(screen->saveScreenshot(screenshotPath(kNames[page])));

        // The volume knob shows frame 204 of the red strip (default 0.8) over the background.
        CBitmap red("knob_red.png");
        CBitmap background(kBackgroundBitmap.name);
        int mismatches = 0;
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 50; ++x)
            {
                const CColor under = [&] {
                    cairo_surface_t* s = background.getSurface();
                    const uint32_t v = reinterpret_cast<const uint32_t*>(
                        cairo_image_surface_get_data(s) +
                        (70 + y) * cairo_image_surface_get_stride(s))[639 + x];
                    return MakeCColor((v >> 16) & 0xff, (v >> 8) & 0xff, v & 0xff);
                }();
                if (screen->getPixel(639 + x, 70 + y) !=
                    talvane::testing::expectedStripPixel(red, 50, 204, x, y, under))
                    ++mismatches;
            }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(Screenshots, ADestinationListWithItsPopupOpen)
{
    Panel panel;
    panel.addPageSwitcher(kLfoPage);
    for (const ControlPlacement& p : pageLayout(kLfoPage))
        panel.add(p);
    for (const ControlPlacement& p : alwaysPresentLayout())
        panel.add(p);
    panel.frame->idle();
    OffscreenFrame* screen = OffscreenFrame::of(panel.frame);
    screen->click(CPoint(845, 315)); // LFO1_Dest1
    ASSERT_TRUE(screen->isPopupOpen());
    EXPECT_EQ(panel.frame->getPopup()->getNbColumns(), 7);
    ASSERT_TRUE(screen->saveScreenshot(screenshotPath("popup-destinations.png")));
}

} // namespace
