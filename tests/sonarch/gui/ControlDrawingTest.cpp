// The controls' drawing as both platforms use it: drawn into the whole panel (X11's canvas) or
// into a target of the control's own size (a Win32 control's window), every control shows the same
// pixels, and those are the panel's wherever its image is transparent.
#include "sonarch/gui/ControlDrawing.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Sonarch::Gui;

namespace
{

// Images are grids of pixel values; 0 is transparent. A text fills its rectangle with its colour.
struct Grid
{
    int width;
    int height;
    std::vector<int> pixels;
    int at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
    int& at(int x, int y) { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

Grid grid(int width, int height, int (*value)(int x, int y))
{
    Grid made{width, height, std::vector<int>(static_cast<std::size_t>(width * height))};
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            made.at(x, y) = value(x, y);
        }
    }
    return made;
}

struct RasterPainter
{
    using Image = const Grid*;
    using Font = int;
    using Colour = int;

    Grid& target;

    void image(const Grid* image, int targetX, int targetY, int sourceX, int sourceY, int width,
               int height)
    {
        for (int y = 0; y < height; ++y)
        {
            for (int x = 0; x < width; ++x)
            {
                if (image->at(sourceX + x, sourceY + y) != 0)
                {
                    target.at(targetX + x, targetY + y) = image->at(sourceX + x, sourceY + y);
                }
            }
        }
    }
    void fittedLines(const char* text, const int& font, int colour, const PixelRect& rect)
    {
        this->text(text, font, colour + 1, rect);
    }
    void text(const char*, const int&, int colour, const PixelRect& rect)
    {
        for (int y = rect.top; y < rect.bottom; ++y)
        {
            for (int x = rect.left; x < rect.right; ++x)
            {
                target.at(x, y) = colour;
            }
        }
    }
};

static_assert(TextBoxPainter<RasterPainter>);

TEST(ControlDrawingTest, EveryKindShowsTheSamePixelsOnThePanelAndInItsOwnTarget)
{
    const Grid panel = grid(40, 30, [](int x, int y) { return 1000 + y * 40 + x; });
    // Two 6 x 5 frames with a transparent hole in the middle; frame 1's pixels are 2.
    const Grid strip =
        grid(6, 10, [](int x, int y) { return x == 3 && y % 5 == 2 ? 0 : 1 + y / 5; });
    const Grid thumb = grid(4, 3, [](int x, int y) { return x == 0 && y == 0 ? 0 : 7; });
    const PixelRect place = {10, 12, 16, 17};
    const PixelRect sliderPlace = {20, 4, 24, 24};
    const PixelRect thumbPlace = {0, 9, 4, 12};

    struct Case
    {
        const char* name;
        PixelRect place;
        void (*draw)(RasterPainter&, const Grid&, const Grid&, const Grid&, const PixelRect&,
                     const ControlPlacement&);
        // Pixels in the control's own coordinates and what they show.
        std::vector<std::pair<std::pair<int, int>, int>> expected;
    };
    const std::vector<Case> cases = {
        {"knob frame 1",
         place,
         [](RasterPainter& p, const Grid& bg, const Grid& s, const Grid&, const PixelRect&,
            const ControlPlacement& at)
         { drawStripFrame(p, &bg, &s, StripLayout(2, 6, 10), 1, at); },
         {{{0, 0}, 2}, {{3, 2}, 1000 + 14 * 40 + 13}, {{5, 4}, 2}}},
        {"frame beyond the strip shows the last",
         place,
         [](RasterPainter& p, const Grid& bg, const Grid& s, const Grid&, const PixelRect&,
            const ControlPlacement& at)
         { drawStripFrame(p, &bg, &s, StripLayout(2, 6, 10), 5, at); },
         {{{1, 1}, 2}}},
        {"slider",
         sliderPlace,
         [](RasterPainter& p, const Grid& bg, const Grid&, const Grid& t, const PixelRect& thumbAt,
            const ControlPlacement& at) { drawSlider(p, &bg, &t, thumbAt, at); },
         {{{0, 8}, 1000 + 12 * 40 + 20}, {{0, 9}, 1000 + 13 * 40 + 20}, {{1, 9}, 7}, {{3, 11}, 7}}},
        {"drop-down",
         place,
         [](RasterPainter& p, const Grid& bg, const Grid&, const Grid&, const PixelRect&,
            const ControlPlacement& at) { drawDropDown(p, &bg, "Saw", 0, 9, 4, at); },
         {{{0, 0}, 9}, {{3, 4}, 9}, {{4, 0}, 1000 + 12 * 40 + 14}}},
        {"drop-down without items",
         place,
         [](RasterPainter& p, const Grid& bg, const Grid&, const Grid&, const PixelRect&,
            const ControlPlacement& at) { drawDropDown(p, &bg, nullptr, 0, 9, 4, at); },
         {{{0, 0}, 1000 + 12 * 40 + 10}}},
        {"label",
         place,
         [](RasterPainter& p, const Grid& bg, const Grid&, const Grid&, const PixelRect&,
            const ControlPlacement& at) { drawLabel(p, &bg, "Cutoff", 0, 5, at); },
         {{{0, 0}, 6}, {{5, 4}, 6}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const int width = c.place.width();
        const int height = c.place.height();
        Grid canvas = grid(40, 30, [](int, int) { return 0; });
        RasterPainter onCanvas{canvas};
        c.draw(onCanvas, panel, strip, thumb, thumbPlace, {c.place, c.place.left, c.place.top});
        Grid own = grid(width, height, [](int, int) { return 0; });
        RasterPainter inOwn{own};
        c.draw(inOwn, panel, strip, thumb, thumbPlace,
               {{0, 0, width, height}, c.place.left, c.place.top});
        for (int y = 0; y < height; ++y)
        {
            for (int x = 0; x < width; ++x)
            {
                ASSERT_EQ(own.at(x, y), canvas.at(c.place.left + x, c.place.top + y))
                    << x << ", " << y;
            }
        }
        EXPECT_EQ(canvas.at(c.place.left - 1, c.place.top), 0) << "drawn outside its place";
        for (const auto& [point, value] : c.expected)
        {
            EXPECT_EQ(own.at(point.first, point.second), value)
                << point.first << ", " << point.second;
        }
    }
}

} // namespace
