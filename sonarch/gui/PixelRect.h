// A rectangle of whole pixels: left and top inside, right and bottom just outside.
#pragma once

namespace Sonarch::Gui
{

struct PixelRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const PixelRect&) const = default;
};

} // namespace Sonarch::Gui
