// Drawing with cairo: PNG images decoded from memory, parts of images, rectangles and texts.
#pragma once

#include "sonarch/gui/FontDescription.h"
#include "sonarch/gui/PixelRect.h"
#include "sonarch/gui/x11/XLibraries.h"

#include <cstddef>

namespace Sonarch::X11
{

struct Rgb
{
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
};

// The colours of the plug-in's own menus and dialogs: a plain light face, black text, a blue
// highlight with white text, grey frames.
constexpr Rgb kFaceColour = {240, 240, 240};
constexpr Rgb kTextColour = {0, 0, 0};
constexpr Rgb kHighlightColour = {0, 120, 215};
constexpr Rgb kHighlightTextColour = {255, 255, 255};

// Decodes a PNG held in memory; null when the bytes are no PNG cairo can read. The caller destroys
// the surface with cairo_surface_destroy.
cairo_surface_t* decodePng(const XLibraries& x, const unsigned char* bytes, std::size_t size);
// Decodes an uncompressed 24-bit Windows bitmap (the about box's picture); null for anything else.
cairo_surface_t* decodeBmp(const XLibraries& x, const unsigned char* bytes, std::size_t size);
int surfaceWidth(const XLibraries& x, cairo_surface_t* image);
int surfaceHeight(const XLibraries& x, cairo_surface_t* image);

// One drawing pass on a cairo context it does not own. Coordinates are pixels of the target. It is
// a Gui::Painter, so the panel's controls are drawn through the portable ControlDrawing.
class Painter
{
public:
    using Image = cairo_surface_t*;
    using Font = Gui::FontDescription;
    using Colour = Rgb;

    Painter(const XLibraries& libraries, cairo_t* context) : x(libraries), cr(context) {}

    // The part of image at (sourceX, sourceY), width x height, drawn with its alpha at
    // (targetX, targetY).
    void image(cairo_surface_t* image, int targetX, int targetY, int sourceX, int sourceY,
               int width, int height);
    void fill(const Gui::PixelRect& rect, Rgb colour);
    // A one-pixel frame just inside rect.
    void frame(const Gui::PixelRect& rect, Rgb colour);
    // A filled disc, for the mark of a list's current item.
    void disc(double centreX, double centreY, double radius, Rgb colour);
    // One line of text centred in rect (horizontally unless leftAligned), vertically in the
    // middle. The font's height is its cell height in pixels, as on the other platform.
    void text(const char* text, const Gui::FontDescription& font, Rgb colour,
              const Gui::PixelRect& rect, bool leftAligned = false);
    // Lines split at '\n', each centred, the block in the middle of rect's height; a line wider
    // than rect is narrowed to fit, so that no line leaves the box (the status line).
    void fittedLines(const char* text, const Gui::FontDescription& font, Rgb colour,
                     const Gui::PixelRect& rect);

    // Makes the font the context's own: its face, its weight, its cell height in pixels.
    static void selectFont(const XLibraries& x, cairo_t* cr, const Gui::FontDescription& font);

private:
    void showLine(const char* begin, const char* end, const Gui::PixelRect& rect, double baseline,
                  bool leftAligned, bool narrowToFit);

    const XLibraries& x;
    cairo_t* cr;
};

// Widths of texts in a font, measured before anything is drawn (to size a menu or wrap a message).
class TextMeasure
{
public:
    TextMeasure(const XLibraries& libraries, const Gui::FontDescription& font);
    ~TextMeasure();
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    // The advance of the text in pixels.
    double width(const char* text);

private:
    const XLibraries& x;
    cairo_surface_t* scratch;
    cairo_t* cr;
};

} // namespace Sonarch::X11
