// The editor's background: a dark panel with the logo and a titled area around each group of
// controls. The areas are computed from the layout tables, so they follow the controls.
#include "source/editor/artwork/artwork.h"
#include "source/editor/artwork/painting.h"

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

void drawPanel(VectorPainter& p, const Box& panel, const std::string& title)
{
    const double x = panel.left + 0.5;
    const double y = panel.top + 0.5;
    const double w = panel.right - panel.left - 1;
    const double h = panel.bottom - panel.top - 1;

    // Drop shadow.
    roundedRect(p, x + 1, y + 2, w, h, 6);
    p.setColor({0, 0, 0, 0.35});
    p.fill();

    const Rgb top = hex(0x262a32);
    const Rgb bottom = palette::kPanel;
    p.setLinearGradient(0, y, 0, y + h, {{0, paintColor(top)}, {1, paintColor(bottom)}});
    roundedRect(p, x, y, w, h, 6);
    p.fillPreserve();
    setColor(p, palette::kPanelEdge);
    p.setLineWidth(1);
    p.stroke();

    if (title.empty())
        return;
    // Header strip with the title and an accent tick.
    setColor(p, palette::kPanelHeader);
    p.rectangle(x + 6, y + kHeaderHeight - 1, w - 12, 1);
    p.fill();
    setColor(p, palette::kTitle);
    p.rectangle(x + 8, y + 7, 3, kHeaderHeight - 14);
    p.fill();
    drawText(p, title, x + 16, y + kHeaderHeight / 2, kTitleSize, true, Align::Left, palette::kTitle,
             kTitleTracking);
}

void drawArea(VectorPainter& p, const Box& area)
{
    roundedRect(p, area.left + 0.5, area.top + 0.5, area.right - area.left - 1, area.bottom - area.top - 1,
                4);
    setColor(p, palette::kArea);
    p.fillPreserve();
    setColor(p, hex(0x2e343d));
    p.setLineWidth(1);
    p.stroke();
}

void drawNumber(VectorPainter& p, int number, double x, double y, double size)
{
    drawText(p, std::to_string(number), x, y, size, true, Align::Centre, palette::kNumber);
}

// A small legend centred under a control that has no caption of its own.
void legendBelow(VectorPainter& p, ParamId id, const std::string& text, double gap = 2)
{
    const PixelRect r = controlRect(placementOf(id));
    drawText(p, text, (r.left + r.right) / 2.0, r.bottom + gap + kLegendSize / 2, kLegendSize, true,
             Align::Centre, palette::kLegend, 0.6);
}

void drawLogo(VectorPainter& p)
{
    // The name, lit from above.
    p.save();
    p.selectFont(kFontFamily, true, true, 50);
    p.moveTo(26, 92);
    p.textPath("Talvane");
    p.setLinearGradient(0, 52, 0, 96, {{0, {0.75, 0.99, 1.0}}, {1, {0.18, 0.55, 0.95}}});
    p.fill();
    p.restore();
    drawText(p, "POLYPHONIC WAVETABLE SYNTHESIZER", 29, 110, 9, true, Align::Left, palette::kLegend, 2.1);

    // A wavetable: one wave morphing from sine towards saw, row behind row.
    const double left = 300;
    const double width = 240;
    const int rows = 9;
    p.setLineWidth(1.1);
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
                p.moveTo(px, py);
            else
                p.lineTo(px, py);
        }
        setColor(p, palette::kBlue, 0.18 + 0.6 * (1.0 - morph));
        p.stroke();
    }
}

void checkInside(const Box& outer, const Box& inner, const char* what)
{
    if (inner.left < outer.left || inner.top < outer.top || inner.right > outer.right ||
        inner.bottom > outer.bottom)
        throw std::runtime_error(std::string("controls outside their panel: ") + what);
}

} // namespace

void drawBackground(VectorPainter& p, int width, int height)
{
    p.setLinearGradient(0, 0, 0, height,
                        {{0, paintColor(palette::kBackdropTop)}, {1, paintColor(palette::kBackdropBottom)}});
    p.paint();
    // Fine horizontal brushing.
    for (int y = 0; y < height; y += 2)
    {
        p.setColor({1, 1, 1, (y % 6 == 0) ? 0.012 : 0.006});
        p.rectangle(0, y, width, 1);
        p.fill();
    }

    drawLogo(p);

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

    drawPanel(p, commonPanel, "COMMON");
    drawPanel(p, oscPanel, "OSCILLATORS");
    drawPanel(p, oscControlPanel, "OSC CONTROL");
    drawPanel(p, ampPanel, "AMPLIFIER");
    drawPanel(p, filterPanel, "FILTER");
    drawPanel(p, modPanel, "");

    // Oscillator rows, numbered.
    const ParamId rowFirst[3] = {kO1On, kO2On, kO3On};
    const ParamId stride = kO2On - kO1On;
    for (int row = 0; row < 3; ++row)
    {
        const Box rowBox = boxOfRange(rowFirst[row], rowFirst[row] + stride - 1);
        drawArea(p, Box{leftEdge + 6, rowBox.top - 5, oscPanel.right - 6, rowBox.bottom + 4});
        drawNumber(p, row + 1, leftEdge + numberColumn / 2 + 2, (rowBox.top + rowBox.bottom) / 2, 26);
    }
    legendBelow(p, kO1Waveform, "WAVEFORM");
    legendBelow(p, kO2Waveform, "WAVEFORM");
    legendBelow(p, kO3Waveform, "WAVEFORM");

    // Filter legends for the controls without captions.
    legendBelow(p, kFOn, "ON");
    legendBelow(p, kFType, "TYPE");
    legendBelow(p, kRefNote, "NOTE");
    legendBelow(p, kRefOctave, "OCTAVE");

    // Modulation panel: the upper and lower areas, numbered 1 and 2.
    const Box upperArea{modPanel.left + 5, upper.top - 12, modPanel.right - 5, upper.bottom + 5};
    const Box lowerArea{modPanel.left + 5, lower.top - 12, modPanel.right - 5, lower.bottom + 5};
    drawArea(p, upperArea);
    drawArea(p, lowerArea);
    drawNumber(p, 1, 808, upperArea.top + 26, 30);
    drawNumber(p, 2, 808, lowerArea.top + 26, 30);
}

} // namespace talvane::artwork
