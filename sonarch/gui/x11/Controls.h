// The panel's controls as rectangles of one X11 window, each drawn with cairo over the background
// and driven by the portable model of its kind.
#pragma once

#include "sonarch/gui/ControlDrawing.h"
#include "sonarch/gui/DropDownModel.h"
#include "sonarch/gui/FontDescription.h"
#include "sonarch/gui/HoverTracker.h"
#include "sonarch/gui/KnobModel.h"
#include "sonarch/gui/PixelRect.h"
#include "sonarch/gui/SliderModel.h"
#include "sonarch/gui/StripLayout.h"
#include "sonarch/gui/SwitchModel.h"
#include "sonarch/gui/x11/Painter.h"

namespace Sonarch::X11
{

// X11 has no child window per control here: the view finds the control under the pointer, hands
// it the mouse in its own coordinates (0, 0 at its top-left corner), and keeps the pressed control
// as the capture until the button's release. setValue only shows a value and never tells anybody;
// press and move return true when the user changed the value, which the view then hands to the
// bank. A control that must be drawn again says so through takeDirty.
class Control
{
public:
    Control(int parameterIndex, const Gui::PixelRect& place);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // The bookkeeping's view of a control: one parameter.
    int getCount() const { return 1; }
    int getId(int) const { return parameterIndex; }
    virtual float getValue() const = 0;
    virtual void setValue(int index, float valueNorm) = 0;

    // Draws the control's rectangle: the panel background under it, then the control.
    virtual void paint(Painter& painter, cairo_surface_t* background) = 0;
    virtual bool press(unsigned keys, int x, int y);
    virtual bool move(unsigned keys, int x, int y);
    // Whether a press opens the control's list of choices (a drop-down box).
    virtual bool opensList() const { return false; }

    const Gui::PixelRect& getPlace() const { return place; }
    bool contains(int x, int y) const;
    // Whether the control must be drawn again; clears the mark.
    bool takeDirty();

    Gui::HoverTracker hover;

protected:
    void markDirty() { dirty = true; }
    Gui::ControlPlacement placement() const;

    int parameterIndex;
    Gui::PixelRect place;

private:
    bool dirty = true;
};

// A knob or a switch: one frame of a strip of equal frames.
class StripControl : public Control
{
protected:
    StripControl(int parameterIndex, const Gui::PixelRect& place, cairo_surface_t* strip,
                 const Gui::StripLayout& layout);
    void paintFrame(Painter& painter, cairo_surface_t* background, int frame);

    cairo_surface_t* strip;
    Gui::StripLayout layout;
};

class Knob final : public StripControl
{
public:
    Knob(int parameterIndex, const Gui::PixelRect& place, cairo_surface_t* strip,
         const Gui::StripLayout& layout, float defaultValue);
    float getValue() const override { return model.getValue(); }
    void setValue(int index, float valueNorm) override;
    void paint(Painter& painter, cairo_surface_t* background) override;
    bool press(unsigned keys, int x, int y) override;
    bool move(unsigned keys, int x, int y) override;

private:
    Gui::KnobModel model;
};

class TwoWaySwitch final : public StripControl
{
public:
    TwoWaySwitch(int parameterIndex, const Gui::PixelRect& place, cairo_surface_t* strip,
                 const Gui::StripLayout& layout, float defaultValue);
    float getValue() const override { return model.getValue(); }
    void setValue(int index, float valueNorm) override;
    void paint(Painter& painter, cairo_surface_t* background) override;
    bool press(unsigned keys, int x, int y) override;

private:
    Gui::SwitchModel model;
};

class Slider final : public Control
{
public:
    Slider(int parameterIndex, const Gui::PixelRect& place, cairo_surface_t* thumb, int thumbWidth,
           int thumbHeight, Gui::SliderOrientation orientation, float defaultValue);
    float getValue() const override { return model.getValue(); }
    void setValue(int index, float valueNorm) override;
    void paint(Painter& painter, cairo_surface_t* background) override;
    bool press(unsigned keys, int x, int y) override;
    bool move(unsigned keys, int x, int y) override;

private:
    cairo_surface_t* thumb;
    Gui::SliderModel model;
};

class DropDownBox final : public Control
{
public:
    DropDownBox(int parameterIndex, const Gui::PixelRect& place, const char* const* items,
                int itemCount, const Gui::FontDescription& font, Rgb textColour);
    float getValue() const override { return model.getValue(); }
    void setValue(int index, float valueNorm) override;
    void paint(Painter& painter, cairo_surface_t* background) override;
    bool opensList() const override { return true; }

    int getItemCount() const { return model.getCount(); }
    const char* getItem(int item) const;
    int getSelected() const { return model.getSelected(); }
    // The list returned a command (DropDownModel::commandForItem, 0 dismissed); true when an item
    // was chosen, to be handed to the bank.
    bool choose(int command);

private:
    const char* const* items;
    const Gui::FontDescription& font;
    Rgb textColour;
    Gui::DropDownModel model;
};

} // namespace Sonarch::X11
