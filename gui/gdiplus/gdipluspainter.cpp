// The vector painter over GDI+: cairo's model (a current path, a current source and a saved state)
// kept by hand on a Graphics. Paths are built in user coordinates and painted with the world
// transformation in force when they are painted. GDI+ has no padded linear gradient, so the
// gradient brush is stretched over the painted area with the end colours added at its ends; its
// path gradient stands in for the radial one, centred on the outer circle.
#include "gui/gdiplus/gdiplussession.h"
#include "gui/vectorpicture.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace VSTGUI {

namespace {

constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;
constexpr double kChannelMax = 255.0;
// Families to fall back on when the chosen one is not installed: Arial first, whose metrics the
// artwork's family shares.
constexpr const wchar_t* kFallbackFamily = L"Arial";

Gdiplus::REAL real(double value)
{
    return static_cast<Gdiplus::REAL>(value);
}

BYTE channel(double value)
{
    return static_cast<BYTE>(std::lround(std::clamp(value, 0.0, 1.0) * kChannelMax));
}

Gdiplus::Color toColor(const PaintColor& color)
{
    return Gdiplus::Color(channel(color.alpha), channel(color.red), channel(color.green),
                          channel(color.blue));
}

struct Source
{
    enum Kind
    {
        Solid,
        Linear,
        Radial,
    };
    Kind kind = Solid;
    PaintColor color{0, 0, 0, 1};
    // Linear: from (x0, y0) to (x1, y1); radial: circle 0 to circle 1.
    double x0 = 0, y0 = 0, r0 = 0, x1 = 0, y1 = 0, r1 = 0;
    std::vector<ColorStop> stops;
};

struct FontChoice
{
    std::wstring family = L"Arial";
    int style = Gdiplus::FontStyleRegular;
    double size = 10;
};

// A gradient's colours at sorted positions from 0 to 1, as GDI+'s preset blends want them.
struct Blend
{
    std::vector<Gdiplus::Color> colors;
    std::vector<Gdiplus::REAL> positions;

    // Positions must rise strictly: of two colours at one position the first is kept.
    void add(double position, const PaintColor& color)
    {
        const Gdiplus::REAL at = real(std::clamp(position, 0.0, 1.0));
        if (!positions.empty() && at <= positions.back())
            return;
        positions.push_back(at);
        colors.push_back(toColor(color));
    }
    // The first position must be 0 and the last 1.
    void close(const PaintColor& last)
    {
        if (positions.empty() || positions.back() < 1)
            add(1, last);
    }
};

class GdiplusPainter : public VectorPainter
{
public:
    explicit GdiplusPainter(Gdiplus::Bitmap* target) : graphics(target) { prepare(); }
    ~GdiplusPainter() override { graphics.Flush(Gdiplus::FlushIntentionSync); }
    GdiplusPainter(const GdiplusPainter&) = delete;
    GdiplusPainter& operator=(const GdiplusPainter&) = delete;

    bool isValid() { return graphics.GetLastStatus() == Gdiplus::Ok; }

    void save() override { saved.push_back({graphics.Save(), state}); }
    void restore() override
    {
        if (saved.empty())
            return;
        graphics.Restore(saved.back().graphicsState);
        state = saved.back().state;
        saved.pop_back();
    }
    void translate(double dx, double dy) override { graphics.TranslateTransform(real(dx), real(dy)); }
    void scale(double factor) override { graphics.ScaleTransform(real(factor), real(factor)); }
    void clipRect(double x, double y, double width, double height) override
    {
        graphics.IntersectClip(Gdiplus::RectF(real(x), real(y), real(width), real(height)));
    }

    void moveTo(double x, double y) override
    {
        path.StartFigure();
        figureEmpty = true;
        current = Gdiplus::PointF(real(x), real(y));
        figureStart = *current;
    }
    void lineTo(double x, double y) override
    {
        if (!current)
        {
            moveTo(x, y);
            return;
        }
        const Gdiplus::PointF to(real(x), real(y));
        path.AddLine(*current, to);
        figureEmpty = false;
        current = to;
    }
    void arc(double centreX, double centreY, double radius, double fromAngle, double toAngle) override
    {
        while (toAngle < fromAngle)
            toAngle += 2 * 3.14159265358979323846;
        const Gdiplus::PointF start(real(centreX + radius * std::cos(fromAngle)),
                                    real(centreY + radius * std::sin(fromAngle)));
        if (!current)
            moveTo(start.X, start.Y);
        else if (figureEmpty)
            lineTo(start.X, start.Y); // GDI+ joins segments of a figure, but not a lone start point
        path.AddArc(real(centreX - radius), real(centreY - radius), real(2 * radius), real(2 * radius),
                    real(fromAngle * kDegreesPerRadian), real((toAngle - fromAngle) * kDegreesPerRadian));
        figureEmpty = false;
        current = Gdiplus::PointF(real(centreX + radius * std::cos(toAngle)),
                                  real(centreY + radius * std::sin(toAngle)));
    }
    void rectangle(double x, double y, double width, double height) override
    {
        path.StartFigure();
        path.AddRectangle(Gdiplus::RectF(real(x), real(y), real(width), real(height)));
        current = Gdiplus::PointF(real(x), real(y));
        figureStart = *current;
        path.StartFigure();
        figureEmpty = true;
    }
    void newSubPath() override
    {
        path.StartFigure();
        figureEmpty = true;
        current.reset();
    }
    void closePath() override
    {
        path.CloseFigure();
        figureEmpty = true;
        current = figureStart;
    }

    void setColor(const PaintColor& color) override
    {
        state.source = Source{};
        state.source.color = color;
    }
    void setLinearGradient(double x0, double y0, double x1, double y1, ColorStops stops) override
    {
        state.source = Source{Source::Linear, {}, x0, y0, 0, x1, y1, 0, std::vector<ColorStop>(stops)};
    }
    void setRadialGradient(double centreX0, double centreY0, double radius0, double centreX1, double centreY1,
                           double radius1, ColorStops stops) override
    {
        state.source = Source{Source::Radial, {},      centreX0,
                              centreY0,       radius0, centreX1,
                              centreY1,       radius1, std::vector<ColorStop>(stops)};
    }
    void setLineWidth(double width) override { state.lineWidth = width; }
    void setRoundCaps(bool round) override { state.roundCaps = round; }

    void fill() override
    {
        fillPreserve();
        newPath();
    }
    void fillPreserve() override
    {
        Gdiplus::RectF bounds;
        path.GetBounds(&bounds);
        if (std::unique_ptr<Gdiplus::Brush> brush = makeBrush(bounds))
            graphics.FillPath(brush.get(), &path);
    }
    void stroke() override
    {
        auto pen = std::make_unique<Gdiplus::Pen>(Gdiplus::Color(), real(state.lineWidth));
        Gdiplus::RectF bounds;
        path.GetBounds(&bounds, nullptr, pen.get());
        std::unique_ptr<Gdiplus::Brush> brush = makeBrush(bounds);
        if (brush)
        {
            pen->SetBrush(brush.get());
            const Gdiplus::LineCap cap = state.roundCaps ? Gdiplus::LineCapRound : Gdiplus::LineCapFlat;
            pen->SetLineCap(cap, cap, Gdiplus::DashCapRound);
            graphics.DrawPath(pen.get(), &path);
        }
        newPath();
    }
    void paint() override
    {
        Gdiplus::RectF bounds;
        graphics.GetVisibleClipBounds(&bounds);
        if (std::unique_ptr<Gdiplus::Brush> brush = makeBrush(bounds))
            graphics.FillRectangle(brush.get(), bounds);
    }

    void selectFont(const char* family, bool bold, bool italic, double size) override
    {
        state.font.family = gdiplus::widen(family);
        state.font.style = (bold ? Gdiplus::FontStyleBold : 0) | (italic ? Gdiplus::FontStyleItalic : 0);
        state.font.size = size;
    }
    double textAdvance(const std::string& text) override
    {
        const std::wstring wide = gdiplus::widen(text.c_str());
        std::unique_ptr<Gdiplus::FontFamily> family = fontFamily();
        if (wide.empty() || !family)
            return 0;
        Gdiplus::Font font(family.get(), real(state.font.size), state.font.style, Gdiplus::UnitWorld);
        Gdiplus::RectF bounds;
        const TypographicFormat format;
        graphics.MeasureString(wide.c_str(), static_cast<INT>(wide.size()), &font, Gdiplus::PointF(0, 0),
                               &format, &bounds);
        return bounds.Width;
    }
    FontMetrics fontMetrics() override
    {
        std::unique_ptr<Gdiplus::FontFamily> family = fontFamily();
        if (!family)
            return {0, 0};
        const double em = std::max<UINT16>(1, family->GetEmHeight(state.font.style));
        return {state.font.size * family->GetCellAscent(state.font.style) / em,
                state.font.size * family->GetCellDescent(state.font.style) / em};
    }
    void showText(const std::string& text) override
    {
        Gdiplus::GraphicsPath glyphs(Gdiplus::FillModeWinding);
        const double advance = addText(glyphs, text);
        Gdiplus::RectF bounds;
        glyphs.GetBounds(&bounds);
        if (std::unique_ptr<Gdiplus::Brush> brush = makeBrush(bounds))
            graphics.FillPath(brush.get(), &glyphs);
        if (current)
            current->X += real(advance);
    }
    void textPath(const std::string& text) override
    {
        const double advance = addText(path, text);
        if (current)
            current->X += real(advance);
    }

private:
    // Advance widths without GDI+'s default padding around the text.
    class TypographicFormat : public Gdiplus::StringFormat
    {
    public:
        TypographicFormat() : Gdiplus::StringFormat(Gdiplus::StringFormat::GenericTypographic())
        {
            SetFormatFlags(GetFormatFlags() | Gdiplus::StringFormatFlagsMeasureTrailingSpaces |
                           Gdiplus::StringFormatFlagsNoWrap);
        }
    };

    struct State
    {
        Source source;
        double lineWidth = 2.0;
        bool roundCaps = false;
        FontChoice font;
    };
    struct Saved
    {
        Gdiplus::GraphicsState graphicsState;
        State state;
    };

    void prepare()
    {
        // Pixel centres at half coordinates and antialiased edges, as cairo draws.
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        graphics.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
        graphics.SetCompositingQuality(Gdiplus::CompositingQualityHighQuality);
        graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
        path.SetFillMode(Gdiplus::FillModeWinding);
    }

    void newPath()
    {
        path.Reset();
        path.SetFillMode(Gdiplus::FillModeWinding);
        current.reset();
        figureEmpty = true;
    }

    std::unique_ptr<Gdiplus::FontFamily> fontFamily() const
    {
        for (const wchar_t* name : {state.font.family.c_str(), kFallbackFamily})
        {
            auto family = std::make_unique<Gdiplus::FontFamily>(name);
            if (family->IsAvailable())
                return family;
        }
        std::unique_ptr<Gdiplus::FontFamily> generic(Gdiplus::FontFamily::GenericSansSerif()->Clone());
        return generic && generic->IsAvailable() ? std::move(generic) : nullptr;
    }

    // The text's outlines into `target`, its baseline at the current point; answers its advance.
    double addText(Gdiplus::GraphicsPath& target, const std::string& text)
    {
        const std::wstring wide = gdiplus::widen(text.c_str());
        std::unique_ptr<Gdiplus::FontFamily> family = fontFamily();
        if (wide.empty() || !family || !current)
            return 0;
        // GDI+ places a line by the top of its cell, one ascent above the baseline.
        const double ascent = fontMetrics().ascent;
        const TypographicFormat format;
        target.StartFigure();
        target.AddString(wide.c_str(), static_cast<INT>(wide.size()), family.get(), state.font.style,
                         real(state.font.size), Gdiplus::PointF(current->X, real(current->Y - ascent)),
                         &format);
        return textAdvance(text);
    }

    std::unique_ptr<Gdiplus::Brush> makeBrush(const Gdiplus::RectF& area) const
    {
        const Source& source = state.source;
        if (source.kind == Source::Solid || source.stops.empty())
        {
            const PaintColor color = source.kind == Source::Solid ? source.color : PaintColor{0, 0, 0, 0};
            return std::make_unique<Gdiplus::SolidBrush>(toColor(color));
        }
        if (source.kind == Source::Linear)
            return linearBrush(source, area);
        return radialBrush(source);
    }

    // The gradient stretched to cover `area`, the end colours held beyond the original ends.
    static std::unique_ptr<Gdiplus::Brush> linearBrush(const Source& source, const Gdiplus::RectF& area)
    {
        const double dx = source.x1 - source.x0;
        const double dy = source.y1 - source.y0;
        const double length2 = dx * dx + dy * dy;
        if (length2 <= 0)
            return std::make_unique<Gdiplus::SolidBrush>(toColor(source.stops.back().color));
        // The span of the area along the gradient, with a margin so that no edge meets a tile seam.
        double from = 0;
        double to = 1;
        const double xs[2] = {area.X - 1.0, area.X + area.Width + 1.0};
        const double ys[2] = {area.Y - 1.0, area.Y + area.Height + 1.0};
        for (double x : xs)
            for (double y : ys)
            {
                const double t = ((x - source.x0) * dx + (y - source.y0) * dy) / length2;
                from = std::min(from, t);
                to = std::max(to, t);
            }
        Blend blend;
        blend.add(0, source.stops.front().color);
        for (const ColorStop& stop : source.stops)
            blend.add((stop.offset - from) / (to - from), stop.color);
        blend.close(source.stops.back().color);
        auto brush = std::make_unique<Gdiplus::LinearGradientBrush>(
            Gdiplus::PointF(real(source.x0 + from * dx), real(source.y0 + from * dy)),
            Gdiplus::PointF(real(source.x0 + to * dx), real(source.y0 + to * dy)), blend.colors.front(),
            blend.colors.back());
        brush->SetInterpolationColors(blend.colors.data(), blend.positions.data(),
                                      static_cast<INT>(blend.colors.size()));
        brush->SetWrapMode(Gdiplus::WrapModeTileFlipXY);
        return brush;
    }

    // A path gradient over the outer circle: its positions run from the rim (0) to the centre (1).
    static std::unique_ptr<Gdiplus::Brush> radialBrush(const Source& source)
    {
        if (source.r1 <= 0)
            return std::make_unique<Gdiplus::SolidBrush>(toColor(source.stops.back().color));
        Gdiplus::GraphicsPath circle;
        circle.AddEllipse(real(source.x1 - source.r1), real(source.y1 - source.r1), real(2 * source.r1),
                          real(2 * source.r1));
        auto brush = std::make_unique<Gdiplus::PathGradientBrush>(&circle);
        brush->SetCenterPoint(Gdiplus::PointF(real(source.x1), real(source.y1)));
        Blend blend;
        const std::vector<ColorStop>& stops = source.stops;
        blend.add(0, stops.back().color);
        for (auto stop = stops.rbegin(); stop != stops.rend(); ++stop)
        {
            const double radius = source.r0 + stop->offset * (source.r1 - source.r0);
            blend.add(1 - radius / source.r1, stop->color);
        }
        blend.close(stops.front().color);
        if (stops.size() != 2)
        {
            brush->SetInterpolationColors(blend.colors.data(), blend.positions.data(),
                                          static_cast<INT>(blend.colors.size()));
            return brush;
        }
        // Two stops as the centre and rim colours blended at the same positions, which every GDI+
        // paints (Wine ignores preset colours in path gradients): each position holds one of them.
        Gdiplus::Color rim = blend.colors.front();
        const Gdiplus::Color centre = blend.colors.back();
        INT rims = 1;
        brush->SetCenterColor(centre);
        brush->SetSurroundColors(&rim, &rims);
        std::vector<Gdiplus::REAL> factors;
        for (const Gdiplus::Color& color : blend.colors)
            factors.push_back(color.GetValue() == centre.GetValue() ? 1.f : 0.f);
        brush->SetBlend(factors.data(), blend.positions.data(), static_cast<INT>(factors.size()));
        return brush;
    }

    Gdiplus::Graphics graphics;
    Gdiplus::GraphicsPath path{Gdiplus::FillModeWinding};
    std::optional<Gdiplus::PointF> current;
    Gdiplus::PointF figureStart;
    bool figureEmpty = true;
    State state;
    std::vector<Saved> saved;
};

} // namespace

std::unique_ptr<VectorPainter> createVectorPainter(NativeImage* target)
{
    if (!target)
        return nullptr;
    auto painter = std::make_unique<GdiplusPainter>(target);
    if (!painter->isValid())
        return nullptr;
    return painter;
}

} // namespace VSTGUI
