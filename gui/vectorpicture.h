// Pictures drawn by code, so that they can be drawn afresh at any scale instead of stretching a
// bitmap: a VectorPicture paints its frames through a VectorPainter, a small path-and-fill drawing
// interface that each drawing library implements (cairo on Linux, GDI+ on Windows). Its model is
// cairo's: a current path, a current source (a colour or a gradient) that fills and strokes paint
// with, and a state (transformation, clip, source, line and font settings) that save/restore nest.
// Angles are in radians, clockwise from the x axis (y grows downwards). Change the transformation
// only between paintings: GDI+ takes a path and a gradient in the transformation in force when they
// are painted, cairo in the one in force when they are made.
#pragma once

#include "gui/platform/nativegraphics.h"

#include <initializer_list>
#include <memory>
#include <string>

namespace VSTGUI {

// A colour with channels 0..1, not premultiplied.
struct PaintColor
{
    double red;
    double green;
    double blue;
    double alpha = 1.0;
};

struct ColorStop
{
    double offset; // 0..1 along the gradient
    PaintColor color;
};

using ColorStops = std::initializer_list<ColorStop>;

struct FontMetrics
{
    double ascent;  // above the baseline
    double descent; // below the baseline, positive
};

class VectorPainter
{
public:
    virtual ~VectorPainter() = default;

    virtual void save() = 0;
    virtual void restore() = 0;
    virtual void translate(double dx, double dy) = 0;
    virtual void scale(double factor) = 0;
    // Narrows the clip to a rectangle (user coordinates); the current path is not touched.
    virtual void clipRect(double x, double y, double width, double height) = 0;

    // Path building. arc() joins the current point to its start with a line, as lineTo would;
    // newSubPath() drops the current point, so that the next arc starts a figure of its own.
    virtual void moveTo(double x, double y) = 0;
    virtual void lineTo(double x, double y) = 0;
    virtual void arc(double centreX, double centreY, double radius, double fromAngle, double toAngle) = 0;
    virtual void rectangle(double x, double y, double width, double height) = 0;
    virtual void newSubPath() = 0;
    virtual void closePath() = 0;

    // The source of fills and strokes. Gradients keep their end colours beyond their ends; the
    // radial one runs between two circles.
    virtual void setColor(const PaintColor& color) = 0;
    virtual void setLinearGradient(double x0, double y0, double x1, double y1, ColorStops stops) = 0;
    virtual void setRadialGradient(double centreX0, double centreY0, double radius0, double centreX1,
                                   double centreY1, double radius1, ColorStops stops) = 0;
    virtual void setLineWidth(double width) = 0;
    virtual void setRoundCaps(bool round) = 0;

    // Painting the current path (fill and stroke consume it, the *Preserve forms keep it), or the
    // whole clip area.
    virtual void fill() = 0;
    virtual void fillPreserve() = 0;
    virtual void stroke() = 0;
    virtual void paint() = 0;

    // Text, in a font chosen by family name, weight, slant and size in user units. showText draws
    // with the current source and textPath adds the outlines to the path, both with the baseline
    // starting at the current point.
    virtual void selectFont(const char* family, bool bold, bool italic, double size) = 0;
    virtual double textAdvance(const std::string& text) = 0;
    virtual FontMetrics fontMetrics() = 0;
    virtual void showText(const std::string& text) = 0;
    virtual void textPath(const std::string& text) = 0;
};

// A picture of `frameCount` frames of width x frameHeight (frame coordinates), stacked vertically
// like a bitmap strip, each painted by `paintFrame` in those coordinates.
struct VectorPicture
{
    int width;
    int frameHeight;
    int frameCount;
    bool opaque;
    void (*paintFrame)(VectorPainter& painter, int frame);
};

// A painter that draws into `target` (in its pixels until scaled); what it drew is in the image
// once the painter is destroyed. Implemented by each drawing library.
std::unique_ptr<VectorPainter> createVectorPainter(NativeImage* target);

// The size of one frame of the picture at `scale`, in whole pixels that cover it.
int scaledPictureExtent(int extent, double scale);

// One frame of the picture drawn at `scale` into a new image of ceil(width x scale) by
// ceil(frameHeight x scale) pixels: opaque, or transparent where the picture leaves it so. Null if
// the drawing library cannot make the image.
NativeImage* renderVectorFrame(const VectorPicture& picture, int frame, double scale);
// Every frame at 100 %, stacked into one strip as an embedded bitmap holds them.
NativeImage* renderVectorStrip(const VectorPicture& picture);

} // namespace VSTGUI
