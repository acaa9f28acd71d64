// Drawing with cairo.
#include "sonarch/gui/x11/Painter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace Sonarch::X11
{

namespace
{

struct PngSource
{
    const unsigned char* bytes;
    std::size_t size;
    std::size_t offset;
};

cairo_status_t readPng(void* closure, unsigned char* data, unsigned int length)
{
    auto* source = static_cast<PngSource*>(closure);
    if (source->size - source->offset < length)
    {
        return CAIRO_STATUS_READ_ERROR;
    }
    std::memcpy(data, source->bytes + source->offset, length);
    source->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

// A cell height of Arial is 1.15 of its em; the other platform sizes fonts by the cell.
constexpr double kCellPerEm = 1.15;

double channel(unsigned char value)
{
    return value / 255.0;
}

} // namespace

cairo_surface_t* decodePng(const XLibraries& x, const unsigned char* bytes, std::size_t size)
{
    if (bytes == nullptr || size == 0)
    {
        return nullptr;
    }
    PngSource source = {bytes, size, 0};
    cairo_surface_t* image = x.cairo_image_surface_create_from_png_stream(readPng, &source);
    if (x.cairo_surface_status(image) != CAIRO_STATUS_SUCCESS)
    {
        x.cairo_surface_destroy(image);
        return nullptr;
    }
    return image;
}

namespace
{

std::uint32_t littleEndian(const unsigned char* bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
    {
        value = (value << 8) | bytes[i];
    }
    return value;
}

} // namespace

cairo_surface_t* decodeBmp(const XLibraries& x, const unsigned char* bytes, std::size_t size)
{
    // File header of 14 bytes, then the information header: width at 18, height at 22 (positive:
    // rows bottom up), bits per pixel at 28, compression at 30; rows padded to 4 bytes.
    constexpr std::size_t kHeaderBytes = 54;
    if (bytes == nullptr || size < kHeaderBytes || bytes[0] != 'B' || bytes[1] != 'M')
    {
        return nullptr;
    }
    const std::uint32_t offset = littleEndian(bytes + 10, 4);
    const auto width = static_cast<std::int32_t>(littleEndian(bytes + 18, 4));
    const auto rows = static_cast<std::int32_t>(littleEndian(bytes + 22, 4));
    if (littleEndian(bytes + 28, 2) != 24 || littleEndian(bytes + 30, 4) != 0 || width <= 0 ||
        width > 4096 || rows == 0 || rows > 4096 || rows < -4096)
    {
        return nullptr;
    }
    const int height = rows < 0 ? -rows : rows;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    if (offset > size || (size - offset) / rowBytes < static_cast<std::size_t>(height))
    {
        return nullptr;
    }
    cairo_surface_t* image = x.cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (x.cairo_surface_status(image) != CAIRO_STATUS_SUCCESS)
    {
        x.cairo_surface_destroy(image);
        return nullptr;
    }
    x.cairo_surface_flush(image);
    unsigned char* pixels = x.cairo_image_surface_get_data(image);
    const int stride = x.cairo_image_surface_get_stride(image);
    for (int y = 0; y < height; ++y)
    {
        const unsigned char* source =
            bytes + offset + rowBytes * static_cast<std::size_t>(rows > 0 ? height - 1 - y : y);
        auto* target =
            reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(y) * stride);
        for (int column = 0; column < width; ++column)
        {
            const unsigned char* bgr = source + 3 * column;
            target[column] = (std::uint32_t{bgr[2]} << 16) | (std::uint32_t{bgr[1]} << 8) | bgr[0];
        }
    }
    x.cairo_surface_mark_dirty(image);
    return image;
}

int surfaceWidth(const XLibraries& x, cairo_surface_t* image)
{
    return image != nullptr ? x.cairo_image_surface_get_width(image) : 0;
}

int surfaceHeight(const XLibraries& x, cairo_surface_t* image)
{
    return image != nullptr ? x.cairo_image_surface_get_height(image) : 0;
}

void Painter::image(cairo_surface_t* source, int targetX, int targetY, int sourceX, int sourceY,
                    int width, int height)
{
    if (source == nullptr || width <= 0 || height <= 0)
    {
        return;
    }
    x.cairo_save(cr);
    x.cairo_rectangle(cr, targetX, targetY, width, height);
    x.cairo_clip(cr);
    x.cairo_set_source_surface(cr, source, targetX - sourceX, targetY - sourceY);
    x.cairo_paint(cr);
    x.cairo_restore(cr);
}

void Painter::fill(const Gui::PixelRect& rect, Rgb colour)
{
    x.cairo_set_source_rgb(cr, channel(colour.red), channel(colour.green), channel(colour.blue));
    x.cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
    x.cairo_fill(cr);
}

void Painter::frame(const Gui::PixelRect& rect, Rgb colour)
{
    x.cairo_set_source_rgb(cr, channel(colour.red), channel(colour.green), channel(colour.blue));
    x.cairo_set_line_width(cr, 1.0);
    // Half-pixel offsets put the line on whole pixels.
    x.cairo_rectangle(cr, rect.left + 0.5, rect.top + 0.5, rect.width() - 1.0, rect.height() - 1.0);
    x.cairo_stroke(cr);
}

void Painter::disc(double centreX, double centreY, double radius, Rgb colour)
{
    x.cairo_set_source_rgb(cr, channel(colour.red), channel(colour.green), channel(colour.blue));
    x.cairo_arc(cr, centreX, centreY, radius, 0.0, 6.283185307179586);
    x.cairo_fill(cr);
}

void Painter::selectFont(const XLibraries& x, cairo_t* cr, const Gui::FontDescription& font)
{
    x.cairo_select_font_face(
        cr, font.faceName, font.italic != 0 ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
        font.weight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    const int cellPixels = font.height < 0 ? -font.height : font.height;
    x.cairo_set_font_size(cr, cellPixels / kCellPerEm);
}

void Painter::showLine(const char* begin, const char* end, const Gui::PixelRect& rect,
                       double baseline, bool leftAligned, bool narrowToFit)
{
    const std::string line(begin, end);
    cairo_text_extents_t extents = {};
    x.cairo_text_extents(cr, line.c_str(), &extents);
    const double width = extents.x_advance;
    const double scale = narrowToFit && width > rect.width() ? rect.width() / width : 1.0;
    const double left = leftAligned ? rect.left : rect.left + (rect.width() - width * scale) / 2.0;
    x.cairo_save(cr);
    x.cairo_move_to(cr, left, baseline);
    x.cairo_scale(cr, scale, 1.0);
    x.cairo_show_text(cr, line.c_str());
    x.cairo_restore(cr);
}

void Painter::text(const char* text, const Gui::FontDescription& font, Rgb colour,
                   const Gui::PixelRect& rect, bool leftAligned)
{
    if (text == nullptr)
    {
        return;
    }
    x.cairo_save(cr);
    selectFont(x, cr, font);
    x.cairo_set_source_rgb(cr, channel(colour.red), channel(colour.green), channel(colour.blue));
    cairo_font_extents_t metrics = {};
    x.cairo_font_extents(cr, &metrics);
    const double baseline =
        rect.top + (rect.height() - (metrics.ascent + metrics.descent)) / 2.0 + metrics.ascent;
    showLine(text, text + std::strlen(text), rect, baseline, leftAligned, false);
    x.cairo_restore(cr);
}

void Painter::fittedLines(const char* text, const Gui::FontDescription& font, Rgb colour,
                          const Gui::PixelRect& rect)
{
    if (text == nullptr || *text == '\0')
    {
        return;
    }
    x.cairo_save(cr);
    x.cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
    x.cairo_clip(cr);
    selectFont(x, cr, font);
    x.cairo_set_source_rgb(cr, channel(colour.red), channel(colour.green), channel(colour.blue));
    cairo_font_extents_t metrics = {};
    x.cairo_font_extents(cr, &metrics);
    const char* const finish = text + std::strlen(text);
    const auto lines = 1 + std::count(text, finish, '\n');
    const double lineHeight = metrics.ascent + metrics.descent;
    double baseline = rect.top + (rect.height() - lines * lineHeight) / 2.0 + metrics.ascent;
    const char* start = text;
    for (;;)
    {
        const char* end = std::find(start, finish, '\n');
        showLine(start, end, rect, baseline, false, true);
        if (end == finish)
        {
            break;
        }
        baseline += lineHeight;
        start = end + 1;
    }
    x.cairo_restore(cr);
}

TextMeasure::TextMeasure(const XLibraries& libraries, const Gui::FontDescription& font)
    : x(libraries), scratch(libraries.cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1)),
      cr(libraries.cairo_create(scratch))
{
    Painter::selectFont(x, cr, font);
}

TextMeasure::~TextMeasure()
{
    x.cairo_destroy(cr);
    x.cairo_surface_destroy(scratch);
}

double TextMeasure::width(const char* text)
{
    cairo_text_extents_t extents = {};
    x.cairo_text_extents(cr, text != nullptr ? text : "", &extents);
    return extents.x_advance;
}

} // namespace Sonarch::X11
