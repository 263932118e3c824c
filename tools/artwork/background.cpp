// The editor's background: a dark panel with the logo and a titled area around each group of
// controls. The areas are computed from the layout tables, so they follow the controls.
#include "tools/artwork/artwork.h"
#include "tools/artwork/painting.h"

#include "source/editor/editorlayout.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace talvane::artwork {

namespace {

struct Box
{
    double left = 1e9;
    double top = 1e9;
    double right = -1e9;
    double bottom = -1e9;

    void add(const PixelRect& r)
    {
        left = std::min(left, double(r.left));
        top = std::min(top, double(r.top));
        right = std::max(right, double(r.right));
        bottom = std::max(bottom, double(r.bottom));
    }
    bool empty() const { return right < left; }
};

constexpr double kPanelPad = 10;
constexpr double kHeaderHeight = 22;
constexpr double kTitleSize = 11;
constexpr double kLegendSize = 8;
constexpr double kTitleTracking = 1.6;

// The area taken by a control and its caption.
void addPlacement(Box& box, const ControlPlacement& placement)
{
    box.add(controlRect(placement));
    if (hasCaption(placement))
        box.add(captionRect(placement));
}

Box boxOf(std::initializer_list<ParamId> ids)
{
    Box box;
    auto visit = [&](const LayoutTable& table) {
        for (const ControlPlacement& placement : table)
            for (ParamId id : ids)
                if (placement.id == id)
                    addPlacement(box, placement);
    };
    visit(alwaysPresentLayout());
    for (int page = 0; page < kNumPages; ++page)
        visit(pageLayout(page));
    if (box.empty())
        throw std::runtime_error("layout group without controls");
    return box;
}

Box boxOfRange(ParamId first, ParamId last)
{
    Box box;
    for (const ControlPlacement& placement : alwaysPresentLayout())
        if (placement.id >= first && placement.id <= last)
            addPlacement(box, placement);
    return box;
}

// Every control of the modulation pages above (upper) or below (lower) the given y.
Box modulationArea(bool upper, double split)
{
    Box box;
    for (int page = 0; page < kNumPages; ++page)
        for (const ControlPlacement& placement : pageLayout(page))
        {
            const PixelRect r = controlRect(placement);
            if ((r.top < split) == upper)
                addPlacement(box, placement);
        }
    return box;
}

const ControlPlacement& placementOf(ParamId id)
{
    for (const ControlPlacement& placement : alwaysPresentLayout())
        if (placement.id == id)
            return placement;
    throw std::runtime_error("no such control");
}

void drawPanel(cairo_t* cr, const Box& panel, const std::string& title)
{
    const double x = panel.left + 0.5;
    const double y = panel.top + 0.5;
    const double w = panel.right - panel.left - 1;
    const double h = panel.bottom - panel.top - 1;

    // Drop shadow.
    roundedRect(cr, x + 1, y + 2, w, h, 6);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    cairo_fill(cr);

    cairo_pattern_t* face = cairo_pattern_create_linear(0, y, 0, y + h);
    const Rgb top = hex(0x262a32);
    const Rgb bottom = palette::kPanel;
    cairo_pattern_add_color_stop_rgb(face, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(face, 1, bottom.r, bottom.g, bottom.b);
    roundedRect(cr, x, y, w, h, 6);
    cairo_set_source(cr, face);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(face);
    setColor(cr, palette::kPanelEdge);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    if (title.empty())
        return;
    // Header strip with the title and an accent tick.
    setColor(cr, palette::kPanelHeader);
    cairo_rectangle(cr, x + 6, y + kHeaderHeight - 1, w - 12, 1);
    cairo_fill(cr);
    setColor(cr, palette::kTitle);
    cairo_rectangle(cr, x + 8, y + 7, 3, kHeaderHeight - 14);
    cairo_fill(cr);
    drawText(cr, title, x + 16, y + kHeaderHeight / 2, kTitleSize, true, Align::Left, palette::kTitle,
             kTitleTracking);
}

void drawArea(cairo_t* cr, const Box& area)
{
    roundedRect(cr, area.left + 0.5, area.top + 0.5, area.right - area.left - 1, area.bottom - area.top - 1,
                4);
    setColor(cr, palette::kArea);
    cairo_fill_preserve(cr);
    setColor(cr, hex(0x2e343d));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void drawNumber(cairo_t* cr, int number, double x, double y, double size)
{
    drawText(cr, std::to_string(number), x, y, size, true, Align::Centre, palette::kNumber);
}

// A small legend centred under a control that has no caption of its own.
void legendBelow(cairo_t* cr, ParamId id, const std::string& text, double gap = 2)
{
    const PixelRect r = controlRect(placementOf(id));
    drawText(cr, text, (r.left + r.right) / 2.0, r.bottom + gap + kLegendSize / 2, kLegendSize, true,
             Align::Centre, palette::kLegend, 0.6);
}

void drawLogo(cairo_t* cr)
{
    // The name, lit from above.
    cairo_save(cr);
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_ITALIC, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 50);
    cairo_move_to(cr, 26, 92);
    cairo_text_path(cr, "Talvane");
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 52, 0, 96);
    cairo_pattern_add_color_stop_rgb(fill, 0, 0.75, 0.99, 1.0);
    cairo_pattern_add_color_stop_rgb(fill, 1, 0.18, 0.55, 0.95);
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
    cairo_restore(cr);
    drawText(cr, "POLYPHONIC WAVETABLE SYNTHESIZER", 29, 110, 9, true, Align::Left, palette::kLegend, 2.1);

    // A wavetable: one wave morphing from sine towards saw, row behind row.
    const double left = 300;
    const double width = 240;
    const int rows = 9;
    cairo_set_line_width(cr, 1.1);
    for (int row = rows - 1; row >= 0; --row)
    {
        const double morph = static_cast<double>(row) / (rows - 1);
        const double baseY = 92 - row * 5.0;
        const double shift = row * 9.0;
        for (int i = 0; i <= 120; ++i)
        {
            const double phase = i / 120.0;
            double v = 0;
            for (int harmonic = 1; harmonic <= 8; ++harmonic)
            {
                const double weight = harmonic == 1 ? 1.0 : morph / harmonic;
                v += weight * std::sin(2 * kPi * harmonic * phase);
            }
            const double px = left + shift + phase * width * 0.78;
            const double py = baseY - v * 13;
            if (i == 0)
                cairo_move_to(cr, px, py);
            else
                cairo_line_to(cr, px, py);
        }
        setColor(cr, palette::kBlue, 0.18 + 0.6 * (1.0 - morph));
        cairo_stroke(cr);
    }
}

void checkInside(const Box& outer, const Box& inner, const char* what)
{
    if (inner.left < outer.left || inner.top < outer.top || inner.right > outer.right ||
        inner.bottom > outer.bottom)
        throw std::runtime_error(std::string("controls outside their panel: ") + what);
}

} // namespace

cairo_surface_t* drawBackground(int width, int height)
{
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(image);

    cairo_pattern_t* backdrop = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgb(backdrop, 0, palette::kBackdropTop.r, palette::kBackdropTop.g,
                                     palette::kBackdropTop.b);
    cairo_pattern_add_color_stop_rgb(backdrop, 1, palette::kBackdropBottom.r, palette::kBackdropBottom.g,
                                     palette::kBackdropBottom.b);
    cairo_set_source(cr, backdrop);
    cairo_paint(cr);
    cairo_pattern_destroy(backdrop);
    // Fine horizontal brushing.
    for (int y = 0; y < height; y += 2)
    {
        cairo_set_source_rgba(cr, 1, 1, 1, (y % 6 == 0) ? 0.012 : 0.006);
        cairo_rectangle(cr, 0, y, width, 1);
        cairo_fill(cr);
    }

    drawLogo(cr);

    // Groups of controls, as the layout places them.
    const Box common = boxOf(
        {kGlobalVolume, kPortamento, kNoteMode, kPolyphony, kModWheel, kPitchBend, kPbUp, kPbDown, kPanic});
    const Box oscillators = boxOfRange(kO1On, kO3SterDeph);
    const Box oscControl = boxOfRange(kO1Mix, kRm2x3);
    const Box amplifier = boxOfRange(kAAttack, kARelease);
    Box filter = boxOf({kFOn, kFCutoff, kFQ, kFType, kFAmount, kFAttack, kFDecay, kFSustain, kFRelease,
                        kKeyFollow, kRefOctave, kRefNote});
    const Box upper = modulationArea(true, 340);
    const Box lower = modulationArea(false, 340);

    // Panels: the groups with room for a header, aligned in rows.
    const double middleTop = std::min(oscillators.top, oscControl.top) - kHeaderHeight - 6;
    const double middleBottom = std::max(oscillators.bottom, oscControl.bottom) + 8;
    const double lowerTop = std::min(amplifier.top, filter.top) - kHeaderHeight - 6;
    const double lowerBottom = std::max(amplifier.bottom, filter.bottom) + 8;
    const double leftEdge = 10;
    const double numberColumn = oscillators.left - leftEdge;

    const Box commonPanel{common.left - kPanelPad, common.top - kHeaderHeight - 6, width - 10.0,
                          common.bottom + 4};
    const Box oscPanel{leftEdge, middleTop, oscillators.right + kPanelPad, middleBottom};
    const Box oscControlPanel{oscControl.left - kPanelPad, middleTop, oscControl.right + kPanelPad,
                              middleBottom};
    const Box ampPanel{leftEdge, lowerTop, amplifier.right + kPanelPad, lowerBottom};
    const Box filterPanel{filter.left - kPanelPad, lowerTop, filter.right + kPanelPad, lowerBottom};
    const Box switcher{double(kPageSwitcherX), double(kPageSwitcherY),
                       double(kPageSwitcherX + kPageSwitcherBitmap.width),
                       double(kPageSwitcherY + kPageSwitcherBitmap.frameHeight())};
    const Box modPanel{switcher.left - 8, switcher.top - 5, width - 10.0, lowerBottom};
    checkInside(commonPanel, common, "common");
    checkInside(oscPanel, oscillators, "oscillators");
    checkInside(oscControlPanel, oscControl, "oscillator control");
    checkInside(ampPanel, amplifier, "amplifier");
    checkInside(filterPanel, filter, "filter");
    checkInside(modPanel, upper, "modulation 1");
    checkInside(modPanel, lower, "modulation 2");
    if (commonPanel.bottom >= modPanel.top || oscControlPanel.right >= modPanel.left)
        throw std::runtime_error("panels overlap");

    drawPanel(cr, commonPanel, "COMMON");
    drawPanel(cr, oscPanel, "OSCILLATORS");
    drawPanel(cr, oscControlPanel, "OSC CONTROL");
    drawPanel(cr, ampPanel, "AMPLIFIER");
    drawPanel(cr, filterPanel, "FILTER");
    drawPanel(cr, modPanel, "");

    // Oscillator rows, numbered.
    const ParamId rowFirst[3] = {kO1On, kO2On, kO3On};
    const ParamId stride = kO2On - kO1On;
    for (int row = 0; row < 3; ++row)
    {
        const Box rowBox = boxOfRange(rowFirst[row], rowFirst[row] + stride - 1);
        drawArea(cr, Box{leftEdge + 6, rowBox.top - 5, oscPanel.right - 6, rowBox.bottom + 4});
        drawNumber(cr, row + 1, leftEdge + numberColumn / 2 + 2, (rowBox.top + rowBox.bottom) / 2, 26);
    }
    legendBelow(cr, kO1Waveform, "WAVEFORM");
    legendBelow(cr, kO2Waveform, "WAVEFORM");
    legendBelow(cr, kO3Waveform, "WAVEFORM");

    // Filter legends for the controls without captions.
    legendBelow(cr, kFOn, "ON");
    legendBelow(cr, kFType, "TYPE");
    legendBelow(cr, kRefNote, "NOTE");
    legendBelow(cr, kRefOctave, "OCTAVE");

    // Modulation panel: the upper and lower areas, numbered 1 and 2.
    const Box upperArea{modPanel.left + 5, upper.top - 12, modPanel.right - 5, upper.bottom + 5};
    const Box lowerArea{modPanel.left + 5, lower.top - 12, modPanel.right - 5, lower.bottom + 5};
    drawArea(cr, upperArea);
    drawArea(cr, lowerArea);
    drawNumber(cr, 1, 808, upperArea.top + 26, 30);
    drawNumber(cr, 2, 808, lowerArea.top + 26, 30);

    cairo_destroy(cr);
    cairo_surface_flush(image);
    return image;
}

} // namespace talvane::artwork
