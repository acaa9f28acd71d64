// What each kind of panel control draws, written once for both platforms. A platform's painter
// only knows how to draw a part of an image and a line of text; these functions decide which parts
// and where, from the controls' portable models.
#pragma once

#include "sonarch/gui/DropDownModel.h"
#include "sonarch/gui/PixelRect.h"
#include "sonarch/gui/StripLayout.h"

namespace Sonarch::Gui
{

// A platform's painter on one target. Image is its handle of a decoded image (transparent pixels
// keep their alpha), Font and Colour its text styles.
//   image(image, targetX, targetY, sourceX, sourceY, width, height) draws the part of the image at
//       (sourceX, sourceY), width x height, unscaled at (targetX, targetY) of the target, over what
//       is there; a missing image draws nothing.
//   text(text, font, colour, rect) draws one line centred in rect, over what is there.
template <class P>
concept Painter = requires(P& painter, typename P::Image image, const typename P::Font& font,
                           typename P::Colour colour, const char* text, const PixelRect& rect,
                           int n)
{
    painter.image(image, n, n, n, n, n, n);
    painter.text(text, font, colour, rect);
};

// A painter that also fits a text of a few lines into a box: the lines split at '\n' (and, where
// the platform wraps, at word breaks), each centred, the block in the middle of the box's height,
// a line wider than the box narrowed so that nothing leaves it.
template <class P>
concept TextBoxPainter = Painter<P> &&
    requires(P& painter, const typename P::Font& font, typename P::Colour colour, const char* text,
             const PixelRect& rect)
{
    painter.fittedLines(text, font, colour, rect);
};

// Where a control is drawn: its rectangle on the painter's target, and its top-left corner in the
// panel background, whose pixels there are the ones behind the control.
struct ControlPlacement
{
    PixelRect target;
    int panelLeft = 0;
    int panelTop = 0;
};

// The panel background behind the control, over its whole rectangle.
template <Painter P>
void drawBackground(P& painter, typename P::Image background, const ControlPlacement& at)
{
    painter.image(background, at.target.left, at.target.top, at.panelLeft, at.panelTop,
                  at.target.width(), at.target.height());
}

// A knob or a switch: the background, then one frame of its strip (clamped by the layout) at the
// control's corner.
template <Painter P>
void drawStripFrame(P& painter, typename P::Image background, typename P::Image strip,
                    const StripLayout& layout, int frame, const ControlPlacement& at)
{
    drawBackground(painter, background, at);
    const PixelRect source = layout.frameRect(frame);
    painter.image(strip, at.target.left, at.target.top, source.left, source.top, source.width(),
                  source.height());
}

// A slider: the background, then the whole thumb image at thumbPlace (SliderModel::thumbRect, in
// the control's own coordinates).
template <Painter P>
void drawSlider(P& painter, typename P::Image background, typename P::Image thumb,
                const PixelRect& thumbPlace, const ControlPlacement& at)
{
    drawBackground(painter, background, at);
    painter.image(thumb, at.target.left + thumbPlace.left, at.target.top + thumbPlace.top, 0, 0,
                  thumbPlace.width(), thumbPlace.height());
}

// A drop-down box: the background, then the chosen item centred in the part left of the arrow.
// A null item draws the background only.
template <Painter P>
void drawDropDown(P& painter, typename P::Image background, const char* item,
                  const typename P::Font& font, typename P::Colour colour,
                  const ControlPlacement& at)
{
    drawBackground(painter, background, at);
    if (item != nullptr)
    {
        PixelRect text = at.target;
        text.right = at.target.left + DropDownModel::textRight(at.target.width());
        painter.text(item, font, colour, text);
    }
}

// A label (the status line): the background, then its text fitted into its whole box.
template <TextBoxPainter P>
void drawLabel(P& painter, typename P::Image background, const char* text,
               const typename P::Font& font, typename P::Colour colour, const ControlPlacement& at)
{
    drawBackground(painter, background, at);
    painter.fittedLines(text, font, colour, at.target);
}

} // namespace Sonarch::Gui
