// The panel's controls under X11.
#include "sonarch/gui/x11/Controls.h"

namespace Sonarch::X11
{

Control::Control(int parameterIndexIn, const Gui::PixelRect& placeIn)
    : parameterIndex(parameterIndexIn), place(placeIn)
{
}

bool Control::press(unsigned, int, int)
{
    return false;
}

bool Control::move(unsigned, int, int)
{
    return false;
}

bool Control::contains(int x, int y) const
{
    return x >= place.left && x < place.right && y >= place.top && y < place.bottom;
}

bool Control::takeDirty()
{
    const bool was = dirty;
    dirty = false;
    return was;
}

Gui::ControlPlacement Control::placement() const
{
    // The canvas is the panel: a control's place is the same on both.
    return {place, place.left, place.top};
}

StripControl::StripControl(int parameterIndexIn, const Gui::PixelRect& placeIn,
                           cairo_surface_t* stripIn, const Gui::StripLayout& layoutIn)
    : Control(parameterIndexIn, placeIn), strip(stripIn), layout(layoutIn)
{
}

void StripControl::paintFrame(Painter& painter, cairo_surface_t* background, int frame)
{
    Gui::drawStripFrame(painter, background, strip, layout, frame, placement());
}

Knob::Knob(int parameterIndexIn, const Gui::PixelRect& placeIn, cairo_surface_t* stripIn,
           const Gui::StripLayout& layoutIn, float defaultValue)
    : StripControl(parameterIndexIn, placeIn, stripIn, layoutIn), model(defaultValue)
{
}

void Knob::setValue(int, float valueNorm)
{
    if (model.setValue(valueNorm))
    {
        markDirty();
    }
}

void Knob::paint(Painter& painter, cairo_surface_t* background)
{
    paintFrame(painter, background, model.getFrame());
}

bool Knob::press(unsigned keys, int, int y)
{
    const bool changed = model.press(keys, y);
    if (changed)
    {
        markDirty();
    }
    return changed;
}

bool Knob::move(unsigned keys, int, int y)
{
    // The view hands a control moves only while it holds the capture.
    const bool changed = model.move(keys, y, true);
    if (changed)
    {
        markDirty();
    }
    return changed;
}

TwoWaySwitch::TwoWaySwitch(int parameterIndexIn, const Gui::PixelRect& placeIn,
                           cairo_surface_t* stripIn, const Gui::StripLayout& layoutIn,
                           float defaultValue)
    : StripControl(parameterIndexIn, placeIn, stripIn, layoutIn), model(defaultValue)
{
}

void TwoWaySwitch::setValue(int, float valueNorm)
{
    if (model.setValue(valueNorm))
    {
        markDirty();
    }
}

void TwoWaySwitch::paint(Painter& painter, cairo_surface_t* background)
{
    paintFrame(painter, background, model.getFrame());
}

bool TwoWaySwitch::press(unsigned keys, int, int)
{
    const bool changed = model.click(keys);
    if (changed)
    {
        markDirty();
    }
    return changed;
}

Slider::Slider(int parameterIndexIn, const Gui::PixelRect& placeIn, cairo_surface_t* thumbIn,
               int thumbWidth, int thumbHeight, Gui::SliderOrientation orientation,
               float defaultValue)
    : Control(parameterIndexIn, placeIn), thumb(thumbIn), model(orientation, defaultValue)
{
    model.layout(placeIn.width(), placeIn.height(), thumbWidth, thumbHeight);
}

void Slider::setValue(int, float valueNorm)
{
    if (model.setValue(valueNorm))
    {
        markDirty();
    }
}

void Slider::paint(Painter& painter, cairo_surface_t* background)
{
    Gui::drawSlider(painter, background, thumb, model.thumbRect(), placement());
}

bool Slider::press(unsigned keys, int x, int y)
{
    const bool changed = model.press(keys, x, y);
    if (changed)
    {
        markDirty();
    }
    return changed;
}

bool Slider::move(unsigned keys, int x, int y)
{
    const bool changed = model.move(keys, x, y, true);
    if (changed)
    {
        markDirty();
    }
    return changed;
}

DropDownBox::DropDownBox(int parameterIndexIn, const Gui::PixelRect& placeIn,
                         const char* const* itemsIn, int itemCount,
                         const Gui::FontDescription& fontIn, Rgb textColourIn)
    : Control(parameterIndexIn, placeIn), items(itemsIn), font(fontIn), textColour(textColourIn),
      model(itemsIn != nullptr ? itemCount : 0)
{
}

const char* DropDownBox::getItem(int item) const
{
    return item >= 0 && item < model.getCount() && items[item] != nullptr ? items[item] : "";
}

void DropDownBox::setValue(int, float valueNorm)
{
    if (model.setValue(valueNorm))
    {
        markDirty();
    }
}

void DropDownBox::paint(Painter& painter, cairo_surface_t* background)
{
    const char* item = model.getCount() > 0 ? getItem(model.getSelected()) : nullptr;
    Gui::drawDropDown(painter, background, item, font, textColour, placement());
}

bool DropDownBox::choose(int command)
{
    const bool chosen = model.choose(command);
    if (chosen)
    {
        markDirty();
    }
    return chosen;
}

} // namespace Sonarch::X11
