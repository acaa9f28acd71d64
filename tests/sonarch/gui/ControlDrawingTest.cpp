// The controls' drawing as both platforms use it: drawn into the whole panel (X11's canvas) or
// into a target of the control's own size (a Win32 control's window), every control shows the same
// pixels, and those are the panel's wherever its image is transparent.
#include "sonarch/gui/ControlDrawing.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

using namespace Sonarch::Gui;

namespace
{

// An image that is its own painter's target. Pixels are ints, 0 transparent; a text fills its box
// with its colour, a fitted text with its colour + 1.
struct Raster
{
    using Image = const Raster*;
    using Font = int;
    using Colour = int;

    Raster(int widthIn, int height, int (*value)(int x, int y))
        : width(widthIn), pixels(static_cast<std::size_t>(widthIn * height))
    {
        for (int i = 0; i < widthIn * height; ++i)
        {
            pixels[static_cast<std::size_t>(i)] = value(i % width, i / width);
        }
    }
    int at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
    void set(int x, int y, int value) { pixels[static_cast<std::size_t>(y * width + x)] = value; }

    void image(const Raster* from, int targetX, int targetY, int sourceX, int sourceY, int w, int h)
    {
        for (int i = 0; i < w * h; ++i)
        {
            if (const int pixel = from->at(sourceX + i % w, sourceY + i / w); pixel != 0)
            {
                set(targetX + i % w, targetY + i / w, pixel);
            }
        }
    }
    void text(const char*, const int&, int colour, const PixelRect& r)
    {
        for (int i = 0; i < r.width() * r.height(); ++i)
        {
            set(r.left + i % r.width(), r.top + i / r.width(), colour);
        }
    }
    void fittedLines(const char* text, const int& font, int colour, const PixelRect& rect)
    {
        this->text(text, font, colour + 1, rect);
    }

    int width;
    std::vector<int> pixels;
};

static_assert(TextBoxPainter<Raster>);

int behind(int x, int y)
{
    return 1000 + y * 40 + x;
}

TEST(ControlDrawingTest, EveryKindShowsTheSamePixelsOnThePanelAndInItsOwnTarget)
{
    const Raster panel(40, 30, behind);
    // Two 6 x 5 frames with a transparent pixel at (3, 2); frame 1's pixels are 2.
    const Raster strip(6, 10, [](int x, int y) { return x == 3 && y % 5 == 2 ? 0 : 1 + y / 5; });
    const Raster thumb(4, 3, [](int x, int y) { return x + y == 0 ? 0 : 7; });
    const StripLayout layout(2, 6, 10);
    struct Case
    {
        const char* name;
        PixelRect place;
        std::function<void(Raster&, const ControlPlacement&)> draw;
        std::vector<std::array<int, 3>> expected; // x, y in the control, and the value there
    };
    const PixelRect place = {10, 12, 16, 17};
    // 12 wide: the text ends 8 pixels short, left of the arrow.
    const PixelRect box = {10, 12, 22, 17};
    const std::vector<Case> cases = {
        {"knob frame 1",
         place,
         [&](auto& p, auto& at) { drawStripFrame(p, &panel, &strip, layout, 1, at); },
         {{0, 0, 2}, {3, 2, behind(13, 14)}, {5, 4, 2}}},
        {"slider",
         {20, 4, 24, 24},
         [&](auto& p, auto& at) {
             drawSlider(p, &panel, &thumb, {0, 9, 4, 12}, at);
         },
         {{0, 8, behind(20, 12)}, {0, 9, behind(20, 13)}, {1, 9, 7}, {3, 11, 7}}},
        {"drop-down",
         box,
         [&](auto& p, auto& at) { drawDropDown(p, &panel, "Saw", 0, 9, at); },
         {{0, 0, 9}, {3, 4, 9}, {4, 0, behind(14, 12)}}},
        {"drop-down without items",
         box,
         [&](auto& p, auto& at) { drawDropDown(p, &panel, nullptr, 0, 9, at); },
         {{0, 0, behind(10, 12)}}},
        {"label",
         place,
         [&](auto& p, auto& at) { drawLabel(p, &panel, "Cutoff", 0, 5, at); },
         {{0, 0, 6}, {5, 4, 6}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const int width = c.place.width();
        Raster canvas(40, 30, [](int, int) { return 0; });
        c.draw(canvas, {c.place, c.place.left, c.place.top});
        Raster own(width, c.place.height(), [](int, int) { return 0; });
        c.draw(own, {{0, 0, width, c.place.height()}, c.place.left, c.place.top});
        for (std::size_t i = 0; i < own.pixels.size(); ++i)
        {
            const int x = static_cast<int>(i) % width;
            const int y = static_cast<int>(i) / width;
            ASSERT_EQ(own.at(x, y), canvas.at(c.place.left + x, c.place.top + y));
        }
        EXPECT_EQ(canvas.at(c.place.left - 1, c.place.top), 0) << "drawn outside its place";
        for (const auto& [x, y, value] : c.expected)
        {
            EXPECT_EQ(own.at(x, y), value) << x << ", " << y;
        }
    }
}

} // namespace
