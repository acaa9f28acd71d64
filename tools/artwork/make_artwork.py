#!/usr/bin/python3
"""Draws the editor's artwork and checks it against the panel layout.

The panel layout is data in this file: every control's kind, parameter short name, position,
size and the caption painted beside it, and the section frames that group them. The images are
written into instrument/resources/ and committed there, so building the plug-in never runs this
script. Run it from the repository root:

    tools/artwork/make_artwork.py                    draw every image into instrument/resources
    tools/artwork/make_artwork.py --out DIR          draw them into DIR instead
    tools/artwork/make_artwork.py --check DIR        verify the images in DIR against the layout
    tools/artwork/make_artwork.py --layout-check     verify captions, frames and rectangles
    tools/artwork/make_artwork.py --preview FILE     the panel with every control drawn on it
    tools/artwork/make_artwork.py --print-layout     kind, short name, x, y, w, h of each control

--check and --print-layout use the standard library only. Drawing, --layout-check and
--preview need Debian's python3-pil and fonts-dejavu-core, hence /usr/bin/python3.

--print-layout writes one tab-separated line per control in the panel's creation order
(switches, drop-down boxes, knobs, sliders), e.g. "knob<TAB>O1 Dtn<TAB>72<TAB>156<TAB>32<TAB>33";
the kinds are switch, dropdown, knob, hslider and vslider.
"""

import argparse
import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------------------------------------
# Sizes the editor relies on (pixels)

PANEL_W, PANEL_H = 816, 789
SMALL_W, SMALL_H = 612, 592  # the panel at 3/4, rounded

KNOB_W, KNOB_H, KNOB_FRAMES = 32, 33, 91
KNOB_SMALL_W, KNOB_SMALL_H = 24, 27
KNOB_SWEEP_DEG = 270.0  # frame 0 points to the lower left, frame 90 to the lower right
SWITCH_W, SWITCH_H, SWITCH_FRAMES = 20, 32, 2
SWITCH_SMALL_W, SWITCH_SMALL_H = 12, 22
DROPDOWN_W, DROPDOWN_H, CHANNEL_BOX_W = 93, 15, 53
DROPDOWN_ARROW_W = 8  # the arrow's strip at the right end of each box
HSLIDER_W, HSLIDER_H, MASTER_SLIDER_W = 71, 29, 153
VSLIDER_W, VSLIDER_H = 29, 89
THUMB_UPRIGHT = (19, 30)  # horizontal sliders; moves along x from 0 to width - 19, at y 0
THUMB_UPRIGHT_SMALL = (15, 22)
THUMB_FLAT = (31, 23)  # vertical sliders; moves along y from 0 to 89 - 23, at x 0; top = 1
THUMB_FLAT_SMALL = (22, 20)

# Drawn by the plug-in over the panel: the status label (13 px Arial in this colour) and the
# drop-down text (14 px Arial). The panel keeps both areas dark enough for them.
STATUS_RECT = (625, 2, 150, 25)  # x, y, width, height
STATUS_RGB = (122, 135, 149)
DROPDOWN_TEXT_RGB = (255, 205, 175)
MENU_RECT = (0, 0, 150, 33)  # left, top, right, bottom: a left click here opens the main menu
MIN_CONTRAST = 4.5  # WCAG ratio for normal text

VERSION_TEXT = "1.5.10"  # the plug-in reports 1510

# Resource identifier, file name, mode, width, height, frame count.
RESOURCES = [
    (101, "panel.png", "RGB", PANEL_W, PANEL_H, 1),
    (102, "panel-small.png", "RGB", SMALL_W, SMALL_H, 1),
    (103, "knob.png", "RGBA", KNOB_W, KNOB_H * KNOB_FRAMES, KNOB_FRAMES),
    (104, "knob-small.png", "RGBA", KNOB_SMALL_W, KNOB_SMALL_H * KNOB_FRAMES, KNOB_FRAMES),
    (105, "thumb-upright.png", "RGBA", THUMB_UPRIGHT[0], THUMB_UPRIGHT[1], 1),
    (106, "thumb-upright-small.png", "RGBA", THUMB_UPRIGHT_SMALL[0], THUMB_UPRIGHT_SMALL[1], 1),
    (107, "thumb-flat.png", "RGBA", THUMB_FLAT[0], THUMB_FLAT[1], 1),
    (108, "thumb-flat-small.png", "RGBA", THUMB_FLAT_SMALL[0], THUMB_FLAT_SMALL[1], 1),
    (113, "switch.png", "RGBA", SWITCH_W, SWITCH_H * SWITCH_FRAMES, SWITCH_FRAMES),
    (114, "switch-small.png", "RGBA", SWITCH_SMALL_W, SWITCH_SMALL_H * SWITCH_FRAMES,
     SWITCH_FRAMES),
    (116, "about.bmp", "BMP24", 537, 288, 1),
]

# ---------------------------------------------------------------------------------------------
# The controls, in the panel's creation order within each kind.
#
# Caption placements: left/right (vertically centred on the control), above/below (centred
# horizontally), "pair" (two texts right of a switch, "on|off": the first beside the ring's
# high position, the second beside its low one), "title" (the section's name, right of the
# section's on switch). An optional (dx, dy) nudges the caption.

ITEMS = {
    "channels": [str(n) for n in range(1, 17)],
    "waveforms": ["Sawtooth", "Triangle", "Sine", "Piano", "EPiano", "Tine", "Harpsichord",
                  "Organ", "Bell", "DigiBell", "Glocken", "OrientBell", "PluckString", "EBass",
                  "SlapBass", "SynthBass", "Brass", "Oboe", "Sax", "Vocal1", "Vocal2",
                  "VoxHumana", "SharpWave", "MetallicWave", "FzReed", "DigiHarms"],
    "sources": ["None", "LFO 1", "LFO 2", "Env 1", "Env 2"],
    "pan sources": ["None", "LFO 1", "LFO 2"],
    "filter types": ["Lowpass", "Highpass", "Bandpass", "Notch"],
    "lfo shapes": ["Sine", "Triangle", "Down Ramp", "Up Ramp", "Square", "Sample/Hold"],
}

PM = "+|\u2212"  # polarity switches: plus when on (ring high), minus when off

# short name, x, y, Ctrl+click default, caption, placement[, (dx, dy)]
SWITCHES = [
    ("Poly", 337, 61, 1, "Poly|Mono", "pair"),
    ("OMNI", 208, 61, 1, "Omni", "right"),
    ("O1 FM1P", 104, 349, 1, PM, "pair"),
    ("O1 FM2P", 104, 432, 1, PM, "pair"),
    ("O1 PWOn", 12, 219, 0, "PWM", "right"),
    ("O1 PWMP", 104, 263, 0, PM, "pair"),
    ("O1 Prta", 217, 156, 0, "Porta", "left"),
    ("O2 FM1P", 368, 349, 1, PM, "pair"),
    ("O2 FM2P", 368, 432, 1, PM, "pair"),
    ("O2 PWOn", 276, 219, 0, "PWM", "right"),
    ("O2 PWMP", 368, 263, 0, PM, "pair"),
    ("O2 Prta", 482, 151, 0, "Porta", "left", (0, -1)),
    ("O2 Sync", 482, 183, 0, "Sync", "left", (0, -5)),
    ("F FM1PL", 368, 551, 0, PM, "pair"),
    ("F FM2PL", 368, 594, 0, PM, "pair"),
    ("F CPrss", 368, 503, 0, "Pressure", "right"),
    ("E1 TMod", 717, 584, 1, "Retrig|Legato", "pair"),
    ("E2 TMod", 717, 741, 1, "Retrig|Legato", "pair"),
    ("N On", 536, 152, 0, "NOISE", "title"),
    ("L1 MW", 480, 664, 0, "Mod Wheel", "above"),
    ("L1 Sync", 401, 664, 0, "Sync", "above"),
    ("L2 MW", 480, 737, 0, "Mod Wheel", "above"),
    ("L2 Sync", 401, 737, 0, "Sync", "above"),
    ("OD On", 536, 120, 0, "OVERDRIVE", "title"),
    ("P On", 536, 192, 0, "PANNER", "title"),
    ("P MPol", 630, 248, 0, PM, "pair"),
    ("Ch On", 536, 284, 0, "CHORUS", "title"),
    ("D On", 536, 369, 0, "DELAY", "title"),
    ("D Sync", 588, 403, 0, "Sync", "below"),
    ("D PanD", 747, 418, 0, "Ping-Pong", "below"),
]

# short name, item list, x, y, width, caption, placement[, (dx, dy)]
DROPDOWNS = [
    ("MIDI CH", "channels", 60, 67, CHANNEL_BOX_W, "Channel", "left"),
    ("O1 Wave", "waveforms", 71, 124, DROPDOWN_W, "Wave", "left"),
    ("O1 FM1S", "sources", 71, 314, DROPDOWN_W, "FM 1", "left"),
    ("O1 FM2S", "sources", 71, 395, DROPDOWN_W, "FM 2", "left"),
    ("O1 PWMS", "sources", 71, 223, DROPDOWN_W, "Source", "above"),
    ("O2 Wave", "waveforms", 333, 124, DROPDOWN_W, "Wave", "left"),
    ("O2 FM1S", "sources", 333, 314, DROPDOWN_W, "FM 1", "left"),
    ("O2 FM2S", "sources", 333, 395, DROPDOWN_W, "FM 2", "left"),
    ("O2 PWMS", "sources", 333, 223, DROPDOWN_W, "Source", "above"),
    ("F Type", "filter types", 71, 505, DROPDOWN_W, "Type", "left"),
    ("F FM1S", "sources", 71, 553, DROPDOWN_W, "FM 1", "left"),
    ("F FM2S", "sources", 71, 597, DROPDOWN_W, "FM 2", "left"),
    ("L1 Shpe", "lfo shapes", 71, 667, DROPDOWN_W, "Shape", "left"),
    ("L2 Shpe", "lfo shapes", 71, 741, DROPDOWN_W, "Shape", "left"),
    ("P MSrc", "pan sources", 587, 223, DROPDOWN_W, "Mod", "left"),
]

# short name, x, y, Ctrl+click default, caption, placement[, (dx, dy)]
KNOBS = [
    ("O1 Dtn", 72, 156, 0.5, "Detune", "below"),
    ("O1 Tran", 23, 156, 0.5, "Transpose", "below"),
    ("O1 PBR", 121, 156, 0.16667, "Bend", "below"),
    ("O1 PWid", 201, 253, 0.5, "Width", "left"),
    ("O2 Dtn", 337, 156, 0.5, "Detune", "below"),
    ("O2 Tran", 288, 156, 0.5, "Transpose", "below"),
    ("O2 PBR", 386, 156, 0.16667, "Bend", "below"),
    ("O2 PWid", 467, 253, 0.5, "Width", "left"),
    ("F Cut", 190, 491, 0.5, "Cutoff", "below"),
    ("F Res", 254, 491, 0, "Resonance", "below"),
    ("Pr Time", 533, 59, 0.1, "Time", "left"),
    ("Ch Dly", 548, 317, 0.1, "Delay", "below"),
    ("Ch Dpth", 591, 317, 0.1, "Depth", "below"),
    ("Ch FB", 633, 317, 0.1, "Feedback", "below"),
    ("Ch Freq", 676, 317, 0.1, "Rate", "below"),
    ("D FB", 549, 402, 0.1, "Repeat", "below"),
    ("D LDly", 633, 402, 0.1, "Time L", "below"),
    ("D RDly", 673, 402, 0.1, "Time R", "below"),
]

# short name, orientation ("h" or "v"), x, y, Ctrl+click default, caption, placement[, nudge]
SLIDERS = [
    ("M Lvl", "h", 605, 59, 0.5, "Level", "right"),
    ("D Mix", "h", 711, 375, 0.1, "Mix", "left"),
    ("Ch Mix", "h", 711, 291, 0.1, "Mix", "left"),
    ("N Lvl", "h", 711, 153, 0.1, "Level", "left"),
    ("P L/R", "h", 711, 244, 0.1, "Pan", "left"),
    ("P ModL", "h", 711, 205, 0.1, "Depth", "left", (0, -5)),
    ("OD Lvl", "h", 711, 113, 0.1, "Drive", "left"),
    ("O1 FM1", "h", 184, 307, 0.1, "Depth", "above"),
    ("O1 FM2", "h", 184, 387, 0.1, "Depth", "above"),
    ("O1 PWM", "h", 184, 217, 0.1, "Depth", "left", (0, -17)),
    ("O1 Lvl", "h", 184, 117, 0.1, "Level", "above"),
    ("O2 FM1", "h", 446, 307, 0.1, "Depth", "above"),
    ("O2 FM2", "h", 446, 387, 0.1, "Depth", "above"),
    ("O2 PWM", "h", 446, 217, 0.1, "Depth", "left", (0, -17)),
    ("O2 Lvl", "h", 446, 117, 0.1, "Level", "above"),
    ("F KTrck", "h", 446, 497, 0.1, "Key Track", "above"),
    ("F FM1", "h", 446, 547, 0.1, "Depth", "left"),
    ("F FM2", "h", 446, 589, 0.1, "Depth", "left"),
    ("L1 Dela", "h", 287, 662, 0.1, "Delay", "above"),
    ("L1 Spd", "h", 196, 662, 0.1, "Rate", "above"),
    ("L2 Dela", "h", 287, 735, 0.1, "Delay", "above"),
    ("L2 Spd", "h", 196, 735, 0.1, "Rate", "above"),
    ("E1 KT", "h", 711, 538, 0.1, "Key Track", "below"),
    ("E1 VDpt", "h", 711, 496, 0.1, "Velocity", "above"),
    ("E2 KT", "h", 711, 696, 0.1, "Key Track", "below"),
    ("E2 VDpt", "h", 711, 653, 0.1, "Velocity", "above"),
    ("E1 A", "v", 551, 509, 0.001, "A", "above"),
    ("E1 D", "v", 588, 509, 0.1, "D", "above"),
    ("E1 S", "v", 627, 509, 0.5, "S", "above"),
    ("E1 R", "v", 665, 509, 0.1, "R", "above"),
    ("E2 A", "v", 551, 667, 0.001, "A", "above"),
    ("E2 D", "v", 588, 667, 0.1, "D", "above"),
    ("E2 S", "v", 627, 667, 0.5, "S", "above"),
    ("E2 R", "v", 665, 667, 0.1, "R", "above"),
]

# Section frames: title (None: the rows inside carry their own titles), subtitle, and the
# rectangle x0, y0, x1, y1 whose outermost pixels are the frame's border.
FRAMES = [
    ("MIDI", None, (6, 37, 466, 97)),
    ("PORTAMENTO", None, (472, 37, 594, 97)),
    ("MASTER", None, (600, 37, 810, 97)),
    ("OSCILLATOR 1", None, (6, 100, 260, 469)),
    ("OSCILLATOR 2", None, (266, 100, 524, 469)),
    (None, None, (530, 100, 810, 469)),  # overdrive, noise, panner, chorus, delay
    ("FILTER", None, (6, 473, 524, 630)),
    ("ENVELOPE 1", "AMP", (530, 473, 810, 630)),
    ("LFO 1", None, (6, 634, 524, 701)),
    ("LFO 2", None, (6, 705, 524, 782)),
    ("ENVELOPE 2", "MOD", (530, 634, 810, 782)),
]

# Hairlines between the rows of the effects column: x0, y, x1. The first starts right of the
# on switches, which touch between overdrive and noise.
DIVIDERS = [(562, 147, 804), (536, 188, 804), (562, 282, 804), (562, 367, 804)]

TITLE_BAR_H = 34


class Control:
    """One panel control: its rectangle in panel pixels and its caption."""

    def __init__(self, kind, name, x, y, w, h, default, caption, place, nudge=(0, 0),
                 items=None):
        self.kind, self.name = kind, name
        self.x, self.y, self.w, self.h = x, y, w, h
        self.default = default
        self.caption, self.place, self.nudge = caption, place, nudge
        self.items = items

    @property
    def rect(self):
        return (self.x, self.y, self.x + self.w, self.y + self.h)


def controls():
    """All 97 controls in creation order: switches, drop-down boxes, knobs, sliders."""
    out = []
    for name, x, y, default, caption, place, *nudge in SWITCHES:
        out.append(Control("switch", name, x, y, SWITCH_W, SWITCH_H, default, caption, place,
                           *nudge))
    for name, items, x, y, w, caption, place, *nudge in DROPDOWNS:
        out.append(Control("dropdown", name, x, y, w, DROPDOWN_H, 0.0, caption, place, *nudge,
                           items=ITEMS[items]))
    for name, x, y, default, caption, place, *nudge in KNOBS:
        out.append(Control("knob", name, x, y, KNOB_W, KNOB_H, default, caption, place, *nudge))
    for name, orient, x, y, default, caption, place, *nudge in SLIDERS:
        if orient == "h":
            w = MASTER_SLIDER_W if name == "M Lvl" else HSLIDER_W
            out.append(Control("hslider", name, x, y, w, HSLIDER_H, default, caption, place,
                               *nudge))
        else:
            out.append(Control("vslider", name, x, y, VSLIDER_W, VSLIDER_H, default, caption,
                               place, *nudge))
    return out


def rects_overlap(a, b, gap=0):
    """Whether rectangles (x0, y0, x1, y1), x1 and y1 exclusive, come closer than gap."""
    return a[0] < b[2] + gap and b[0] < a[2] + gap and a[1] < b[3] + gap and b[1] < a[3] + gap


def overlap_rect(a, b):
    return (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3]))


def strip_overlaps(ctrls):
    """Pairs of film-strip controls (knobs, switches) whose rectangles overlap.

    The table puts a few of them corner to corner. Each control copies the panel behind its
    whole rectangle before drawing its frame, so the overlapping corner must be transparent in
    both strips; --check verifies that in the images.
    """
    strips = [c for c in ctrls if c.kind in ("knob", "switch")]
    out = []
    for i, a in enumerate(strips):
        for b in strips[i + 1:]:
            if rects_overlap(a.rect, b.rect):
                out.append((a, b))
    return out


def transparent_boxes(ctrls):
    """For each strip kind, the frame-relative boxes that must stay fully transparent."""
    boxes = {"knob": set(), "switch": set()}
    for a, b in strip_overlaps(ctrls):
        o = overlap_rect(a.rect, b.rect)
        for c in (a, b):
            boxes[c.kind].add((o[0] - c.x, o[1] - c.y, o[2] - c.x, o[3] - c.y))
    return {k: sorted(v) for k, v in boxes.items()}


# ---------------------------------------------------------------------------------------------
# Colours

BG_TOP, BG_BOTTOM = (36, 39, 44), (26, 28, 32)
TITLEBAR_TOP, TITLEBAR_BOTTOM = (25, 27, 31), (17, 18, 21)
FRAME_TOP, FRAME_BOTTOM = (48, 52, 59), (41, 44, 50)
FRAME_BORDER = (66, 71, 80)
FRAME_HIGHLIGHT = (60, 65, 73)
DIVIDER = (60, 65, 73)
CAPTION = (186, 192, 200)
CAPTION_DIM = (128, 135, 145)
TITLE = (240, 156, 76)
ACCENT = (244, 150, 60)
LED_ON = (255, 178, 92)
GROOVE = (14, 15, 18)
GROOVE_EDGE = (76, 82, 92)
RING_GROOVE = (23, 25, 29)
TICK = (88, 94, 104)
TICK_MAJOR = (134, 141, 152)
BOX_FILL = (17, 18, 21)
BOX_BORDER = (80, 86, 96)
BOX_ARROW = (150, 157, 168)
LCD_FILL = (12, 13, 16)
LCD_BORDER = (54, 58, 65)
LOGO = (236, 230, 222)

# ---------------------------------------------------------------------------------------------
# Geometry of the artwork inside the control rectangles (panel pixels)

KNOB_CENTRE = (KNOB_W / 2, KNOB_H / 2)  # in the frame
KNOB_CAP_R = 10.0
KNOB_RING_R = 12.3  # centre line of the value ring
KNOB_RING_WIDTH = 2.2
KNOB_SCALE_R = 17.6  # the scale dots painted into the panel around each knob
KNOB_DOT_R = 0.85

# The recessed pill the ring slides in; everything the switch draws stays inside it.
SWITCH_SLOT = (5.5, 3.0, 14.5, 26.5)
SWITCH_SLOT_R = (SWITCH_SLOT[2] - SWITCH_SLOT[0]) / 2
SWITCH_RING_R = SWITCH_SLOT_R - 0.5
SWITCH_RING_Y = (SWITCH_SLOT[3] - SWITCH_SLOT_R, SWITCH_SLOT[1] + SWITCH_SLOT_R)  # off, on

SS = 4  # supersampling factor for antialiased shapes

ART_MARGIN = 1.0  # antialiasing and shadows reach this far past a shape's outline


def art_clearance(kind, box):
    """Least distance (pixels) from a frame-relative box to the strip art's outline.

    Knob art is a disc (the value ring is its rim); switch art is the slot, a pill that the
    ring and its shadow stay inside. Negative when the box reaches into the art.
    """
    x0, y0, x1, y1 = box
    if kind == "knob":
        cx, cy = KNOB_CENTRE
        px, py = min(max(cx, x0), x1), min(max(cy, y0), y1)
        return math.hypot(px - cx, py - cy) - (KNOB_RING_R + KNOB_RING_WIDTH / 2)
    sx0, sy0, sx1, sy1 = SWITCH_SLOT
    r = (sx1 - sx0) / 2
    cx, ya, yb = (sx0 + sx1) / 2, sy0 + r, sy1 - r  # the pill: points within r of this segment
    best = None
    for py in (min(max(ya, y0), y1), y0, y1, min(max(yb, y0), y1)):
        px = min(max(cx, x0), x1)
        sy = min(max(py, ya), yb)
        d = math.hypot(px - cx, py - sy) - r
        best = d if best is None else min(best, d)
    return best


def knob_angle_deg(frame, frames=KNOB_FRAMES):
    """Screen angle of the pointer, degrees clockwise from +x (y points down)."""
    return 135.0 + KNOB_SWEEP_DEG * frame / (frames - 1)


def knob_frame(value):
    return min(KNOB_FRAMES - 1, int(math.floor(value * KNOB_FRAMES)))


# ---------------------------------------------------------------------------------------------
# Fonts and text items (drawing side; needs PIL)

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
CAPTION_PX = 9
TITLE_PX = 10
TITLE_TRACKING = 1


def _pil():
    try:
        import PIL.Image
        import PIL.ImageChops
        import PIL.ImageDraw
        import PIL.ImageFilter
        import PIL.ImageFont
    except ImportError:
        sys.exit("This needs Debian's python3-pil: run it with /usr/bin/python3.")
    return PIL


_FONTS = {}


def font(bold, px):
    key = (bold, px)
    if key not in _FONTS:
        PIL = _pil()
        name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
        path = os.path.join(FONT_DIR, name)
        if not os.path.exists(path):
            sys.exit(f"Missing {path}: install fonts-dejavu-core.")
        _FONTS[key] = PIL.ImageFont.truetype(path, px)
    return _FONTS[key]


class Text:
    """A text painted on the panel, anchored as PIL anchors text."""

    def __init__(self, text, xy, anchor, bold, px, colour, tracking=0, owner=None):
        self.text, self.xy, self.anchor = text, xy, anchor
        self.bold, self.px, self.colour, self.tracking = bold, px, colour, tracking
        self.owner = owner  # the control whose caption this is, if any

    def _pieces(self):
        """(text, x, y) pieces with a left-baseline anchor, so tracking can be applied."""
        f = font(self.bold, self.px)
        if self.tracking:
            width = sum(f.getlength(ch) + self.tracking for ch in self.text) - self.tracking
        else:
            width = f.getlength(self.text)
        ascent, descent = f.getmetrics()
        x, y = self.xy
        h, v = self.anchor
        x -= {"l": 0, "m": width / 2, "r": width}[h]
        y += {"a": ascent, "m": (ascent - descent) / 2, "s": 0, "d": -descent}[v]
        x, y = round(x), round(y)
        if not self.tracking:
            return [(self.text, x, y)]
        out = []
        for ch in self.text:
            out.append((ch, round(x), y))
            x += f.getlength(ch) + self.tracking
        return out

    def bbox(self):
        """Ink box (x0, y0, x1, y1), x1 and y1 exclusive."""
        PIL = _pil()
        draw = PIL.ImageDraw.Draw(PIL.Image.new("L", (1, 1)))
        f = font(self.bold, self.px)
        box = None
        for ch, x, y in self._pieces():
            b = draw.textbbox((x, y), ch, font=f, anchor="ls")
            if b[2] <= b[0]:
                continue
            box = b if box is None else (min(box[0], b[0]), min(box[1], b[1]),
                                         max(box[2], b[2]), max(box[3], b[3]))
        return box

    def draw(self, draw):
        f = font(self.bold, self.px)
        for ch, x, y in self._pieces():
            draw.text((x, y), ch, font=f, fill=self.colour, anchor="ls")


CAPTION_GAP = 3  # pixels between a control and its caption


def caption_texts(c):
    """The Text items of one control's caption."""
    dx, dy = c.nudge
    x0, y0, x1, y1 = c.rect
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    if c.kind == "knob":
        cy = y0 + KNOB_CENTRE[1]
    # measured from what the control shows: a drop-down's border, a knob's scale
    left, top, right, bottom = visual_rect(c)
    left -= CAPTION_GAP
    right += CAPTION_GAP
    if not c.caption:
        return []
    if c.place == "pair":
        if c.caption.count("|") != 1:
            raise ValueError(f"{c.name}: a pair caption is 'on|off', not '{c.caption}'")
        on, off = c.caption.split("|")
        x = right + dx
        return [Text(on, (x, y0 + SWITCH_RING_Y[1] + dy), "lm", False, CAPTION_PX, CAPTION,
                     owner=c),
                Text(off, (x, y0 + SWITCH_RING_Y[0] + dy), "lm", False, CAPTION_PX, CAPTION,
                     owner=c)]
    if c.place == "title":
        return [Text(c.caption, (x1 + 4 + dx, cy + dy), "lm", True, TITLE_PX, TITLE,
                     TITLE_TRACKING, owner=c)]
    if c.place == "left":
        return [Text(c.caption, (left + dx, cy + dy), "rm", False, CAPTION_PX, CAPTION, owner=c)]
    if c.place == "right":
        return [Text(c.caption, (right + dx, cy + dy), "lm", False, CAPTION_PX, CAPTION,
                     owner=c)]
    bold = c.kind == "vslider"  # the A, D, S, R letters over the faders
    if c.place == "above":
        return [Text(c.caption, (cx + dx, top - 1 + dy), "md", bold, CAPTION_PX + bold, CAPTION,
                     owner=c)]
    if c.place == "below":
        return [Text(c.caption, (cx + dx, bottom + 1 + dy), "ma", False, CAPTION_PX, CAPTION,
                     owner=c)]
    raise ValueError(f"{c.name}: unknown caption placement {c.place}")


def frame_texts():
    out = []
    for title, subtitle, (x0, y0, x1, y1) in FRAMES:
        if title is None:
            continue
        t = Text(title, (x0 + 8, y0 + 13), "ls", True, TITLE_PX, TITLE, TITLE_TRACKING)
        out.append(t)
        if subtitle:
            out.append(Text(subtitle, (t.bbox()[2] + 7, y0 + 13), "ls", True, CAPTION_PX,
                            CAPTION_DIM, TITLE_TRACKING))
    return out


LOGO_TEXT = "TAVREL"
TAGLINE = "SUBTRACTIVE SYNTHESIZER  \u00b7  16 VOICES"


def titlebar_texts():
    return [Text(LOGO_TEXT, (16, 23), "ls", True, 17, LOGO, 3),
            Text(TAGLINE, (166, 21), "ls", False, CAPTION_PX, CAPTION_DIM, 1)]


def all_texts(ctrls):
    out = []
    for c in ctrls:
        out.extend(caption_texts(c))
    return out + frame_texts() + titlebar_texts()


def visual_rect(c):
    """What a control shows, including what the panel paints around it."""
    x0, y0, x1, y1 = c.rect
    if c.kind == "dropdown":
        return (x0 - 1, y0 - 1, x1 + 1, y1 + 1)  # the box's border lies just outside
    if c.kind == "knob":
        r = KNOB_SCALE_R + KNOB_DOT_R
        kx, ky = x0 + KNOB_CENTRE[0], y0 + KNOB_CENTRE[1]
        return (min(x0, math.floor(kx - r)), min(y0, math.floor(ky - r)),
                max(x1, math.ceil(kx + r)), y1)
    return c.rect


# ---------------------------------------------------------------------------------------------
# Layout check

LAYOUT_GAP = 2  # least clearance between a caption and anything else, in pixels


def layout_faults(ctrls):
    faults = []
    notes = []
    names = [c.name for c in ctrls]
    if len(ctrls) != 97:
        faults.append(f"{len(ctrls)} controls, expected 97")
    for n in sorted(set(names)):
        if names.count(n) > 1:
            faults.append(f"{n}: appears {names.count(n)} times")
    counts = {k: sum(1 for c in ctrls if c.kind == k) for k in
              ("switch", "dropdown", "knob", "hslider", "vslider")}
    if (counts["switch"], counts["dropdown"], counts["knob"],
            counts["hslider"] + counts["vslider"]) != (30, 15, 18, 34):
        faults.append(f"control counts {counts}, expected 30 switches, 15 drop-down boxes, "
                      "18 knobs and 34 sliders")

    sx, sy, sw, sh = STATUS_RECT
    reserved = [("status label", (sx, sy, sx + sw, sy + sh)), ("menu area", MENU_RECT)]

    # Control rectangles: inside the panel, clear of the reserved areas, apart from each other
    # except film strips whose shared corner lies outside the art of both (--check verifies
    # in the images that those corners are transparent).
    allowed = set()
    for a, b in strip_overlaps(ctrls):
        o = overlap_rect(a.rect, b.rect)
        if all(art_clearance(c.kind, (o[0] - c.x, o[1] - c.y, o[2] - c.x, o[3] - c.y))
               >= ART_MARGIN for c in (a, b)):
            allowed.add((a.name, b.name))
    for i, a in enumerate(ctrls):
        if not (a.x >= 0 and a.y >= 0 and a.rect[2] <= PANEL_W and a.rect[3] <= PANEL_H):
            faults.append(f"{a.name}: rectangle {a.rect} leaves the panel")
        for what, r in reserved:
            if rects_overlap(a.rect, r):
                faults.append(f"{a.name}: rectangle covers the {what}")
        for b in ctrls[i + 1:]:
            if rects_overlap(a.rect, b.rect):
                if (a.name, b.name) in allowed:
                    o = overlap_rect(a.rect, b.rect)
                    notes.append(f"{a.name} and {b.name} share {o[2] - o[0]} x {o[3] - o[1]} "
                                 "pixels of transparent frame margin")
                else:
                    faults.append(f"{a.name} and {b.name}: rectangles overlap where one of "
                                  "them draws")

    # Captions: one per control, inside the panel, clear of every control and other text.
    texts = []
    for c in ctrls:
        try:
            texts += caption_texts(c)
        except ValueError as e:
            faults.append(str(e))
    texts += frame_texts() + titlebar_texts()
    boxes = []
    for t in texts:
        b = t.bbox()
        label = f"caption '{t.text}' of {t.owner.name}" if t.owner else f"text '{t.text}'"
        if b is None:
            faults.append(f"{label}: draws nothing")
            continue
        boxes.append((label, t, b))
        if not (b[0] >= 0 and b[1] >= 0 and b[2] <= PANEL_W and b[3] <= PANEL_H):
            faults.append(f"{label}: {b} leaves the panel")
    for c in ctrls:
        if not c.caption or not any(t.owner is c for t in texts):
            faults.append(f"{c.name}: no caption")
    for label, t, b in boxes:
        for c in ctrls:
            if rects_overlap(b, visual_rect(c), LAYOUT_GAP):
                faults.append(f"{label}: {b} within {LAYOUT_GAP} px of control {c.name} "
                              f"{visual_rect(c)}")
        for what, r in reserved[:1]:
            if rects_overlap(b, r):
                faults.append(f"{label}: covers the {what}")
    for i, (la, _, a) in enumerate(boxes):
        for lb, _, b in boxes[i + 1:]:
            if rects_overlap(a, b, LAYOUT_GAP):
                faults.append(f"{la} {a} and {lb} {b}: closer than {LAYOUT_GAP} px")

    # Frames: apart from each other; each control and each text lies wholly inside one frame
    # (one pixel clear of its border) or wholly outside it, so no border cuts through them.
    frames = [(f[0] or "effects column", f[2]) for f in FRAMES]
    for i, (na, a) in enumerate(frames):
        if not (a[0] >= 0 and a[1] >= TITLE_BAR_H and a[2] <= PANEL_W and a[3] <= PANEL_H):
            faults.append(f"frame {na} {a} leaves the panel below the title bar")
        for nb, b in frames[i + 1:]:
            if rects_overlap((a[0], a[1], a[2] + 1, a[3] + 1), (b[0], b[1], b[2] + 1, b[3] + 1)):
                faults.append(f"frames {na} and {nb} overlap")
    items = [(c.name, visual_rect(c)) for c in ctrls] + [(lb, b) for lb, _, b in boxes]
    for label, r in items:
        inside = []
        for nf, (x0, y0, x1, y1) in frames:
            interior = (x0 + 2, y0 + 2, x1 - 1, y1 - 1)
            whole = (x0, y0, x1 + 1, y1 + 1)
            if (r[0] >= interior[0] and r[1] >= interior[1] and r[2] <= interior[2]
                    and r[3] <= interior[3]):
                inside.append(nf)
            elif rects_overlap(r, whole):
                faults.append(f"{label} {r}: cut by the border of frame {nf}")
        in_titlebar = r[3] <= TITLE_BAR_H
        if not inside and not in_titlebar:
            faults.append(f"{label} {r}: in no frame")
    for x0, y, x1 in DIVIDERS:
        line = (x0, y, x1, y + 1)
        for label, r in items:
            if rects_overlap(line, r, LAYOUT_GAP):
                faults.append(f"divider at y {y}: too close to {label} {r}")
    return faults, notes


# ---------------------------------------------------------------------------------------------
# Drawing helpers (supersampled)


def _s(v):
    return v * SS


def vgradient(size, top, bottom):
    PIL = _pil()
    w, h = size
    img = PIL.Image.new("RGB", (w, h))
    d = PIL.ImageDraw.Draw(img)
    for y in range(h):
        t = y / max(1, h - 1)
        d.line([(0, y), (w, y)], fill=tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)))
    return img


def rounded_mask(size, box, radius):
    PIL = _pil()
    m = PIL.Image.new("L", size, 0)
    PIL.ImageDraw.Draw(m).rounded_rectangle(box, radius, fill=255)
    return m


def downsample(img, size):
    """Averages each SS x SS block of a supersampled image into one pixel.

    A box filter gives each pixel exactly its coverage; a windowed-sinc filter would ring and
    leave faint alpha in margins that must stay transparent. Alpha is premultiplied while
    averaging so that transparent pixels lend no colour to the edges.
    """
    PIL = _pil()
    if img.mode == "RGBA":
        return img.convert("RGBa").resize(size, PIL.Image.BOX).convert("RGBA")
    return img.resize(size, PIL.Image.BOX)


def circle(d, cx, cy, r, **kw):
    d.ellipse([cx - r, cy - r, cx + r, cy + r], **kw)


# ---------------------------------------------------------------------------------------------
# Knob strip


def render_knob_frames(fw, fh, wanted):
    """Frames (numbers of the 91) of a knob fw x fh: dark cap, value ring, light pointer."""
    PIL = _pil()
    k = fw / KNOB_W
    cx, cy = _s(fw / 2), _s(fh / 2)
    size = (_s(fw), _s(fh))
    cap_r = _s(KNOB_CAP_R * k)
    ring_r = _s(KNOB_RING_R * k)
    ring_w = _s(KNOB_RING_WIDTH * k)

    # Static layers: shadow, ring groove and the cap with a light from above.
    base = PIL.Image.new("RGBA", size, (0, 0, 0, 0))
    shadow = PIL.Image.new("L", size, 0)
    circle(PIL.ImageDraw.Draw(shadow), cx, cy + _s(1.2 * k), cap_r + _s(0.6), fill=170)
    shadow = shadow.filter(PIL.ImageFilter.GaussianBlur(_s(1.1 * k)))
    base.paste((0, 0, 0, 255), (0, 0), shadow)
    d = PIL.ImageDraw.Draw(base)
    # PIL strokes an arc inwards from its box: centre the stroke on ring_r
    outer = ring_r + ring_w / 2
    box = [cx - outer, cy - outer, cx + outer, cy + outer]
    d.arc(box, 135, 405, fill=RING_GROOVE + (255,), width=round(ring_w))
    for a in (135, 405):  # round ends
        ex, ey = cx + ring_r * math.cos(math.radians(a)), cy + ring_r * math.sin(math.radians(a))
        circle(d, ex, ey, ring_w / 2, fill=RING_GROOVE + (255,))

    body = vgradient(size, (118, 124, 134), (30, 32, 36)).convert("RGBA")
    base.paste(body, (0, 0), rounded_mask(size, [cx - cap_r, cy - cap_r, cx + cap_r,
                                                 cy + cap_r], cap_r))
    face_r = cap_r - _s(1.4 * k)
    face = vgradient(size, (76, 81, 90), (50, 53, 59)).convert("RGBA")
    base.paste(face, (0, int(_s(0.3 * k))), rounded_mask(size, [cx - face_r, cy - face_r,
                                                                cx + face_r, cy + face_r],
                                                         face_r))
    # a faint sheen on the upper face
    sheen = PIL.Image.new("L", size, 0)
    circle(PIL.ImageDraw.Draw(sheen), cx, cy - face_r * 0.45, face_r * 0.55, fill=40)
    sheen = sheen.filter(PIL.ImageFilter.GaussianBlur(_s(1.5 * k)))
    clip = rounded_mask(size, [cx - face_r, cy - face_r, cx + face_r, cy + face_r], face_r)
    sheen = PIL.ImageChops.multiply(sheen, clip)
    base.paste((255, 255, 255, 255), (0, 0), sheen)

    frames = []
    for i in wanted:
        a = knob_angle_deg(i)
        img = base.copy()
        d = PIL.ImageDraw.Draw(img)
        if i > 0:
            d.arc(box, 135, a, fill=ACCENT + (255,), width=round(ring_w))
        ex, ey = cx + ring_r * math.cos(math.radians(135)), cy + ring_r * math.sin(
            math.radians(135))
        circle(d, ex, ey, ring_w / 2, fill=(ACCENT if i > 0 else RING_GROOVE) + (255,))
        if i > 0:
            ex, ey = cx + ring_r * math.cos(math.radians(a)), cy + ring_r * math.sin(
                math.radians(a))
            circle(d, ex, ey, ring_w / 2, fill=ACCENT + (255,))
        # pointer
        r0, r1 = _s(2.2 * k), face_r - _s(0.9 * k)
        ca, sa = math.cos(math.radians(a)), math.sin(math.radians(a))
        pw = _s(max(1.7 * k, 1.5))  # thinner lines wash out at the small size
        d.line([(cx + r0 * ca, cy + r0 * sa), (cx + r1 * ca, cy + r1 * sa)],
               fill=(246, 242, 236, 255), width=round(pw))
        circle(d, cx + r1 * ca, cy + r1 * sa, pw / 2, fill=(246, 242, 236, 255))
        circle(d, cx + r0 * ca, cy + r0 * sa, pw / 2, fill=(246, 242, 236, 255))
        frames.append(downsample(img, (fw, fh)))
    return frames


def render_knob_strip(fw, fh):
    PIL = _pil()
    strip = PIL.Image.new("RGBA", (fw, fh * KNOB_FRAMES), (0, 0, 0, 0))
    for i, f in enumerate(render_knob_frames(fw, fh, range(KNOB_FRAMES))):
        strip.paste(f, (0, i * fh))
    return strip


# ---------------------------------------------------------------------------------------------
# Switch strip


def render_switch_strip(fw, fh):
    """Frame 0: ring low, indicator dark. Frame 1: ring high, indicator lit."""
    PIL = _pil()
    k = fw / SWITCH_W
    ky = fh / SWITCH_H
    size = (_s(fw), _s(fh))
    slot_r = _s(max(SWITCH_SLOT_R * k, 3.2))  # narrower would leave the ring no rim
    cx = _s(fw / 2)
    sx0, sy0, sx1, sy1 = cx - slot_r, _s(SWITCH_SLOT[1] * ky), cx + slot_r, _s(SWITCH_SLOT[3] * ky)
    slot = rounded_mask(size, [sx0, sy0, sx1, sy1], slot_r)
    frames = []
    for on in (False, True):
        img = PIL.Image.new("RGBA", size, (0, 0, 0, 0))
        d = PIL.ImageDraw.Draw(img)
        # recessed slot: lighter lower rim, dark well
        d.rounded_rectangle([sx0, sy0, sx1, sy1], slot_r, fill=GROOVE_EDGE + (255,))
        d.rounded_rectangle([sx0, sy0, sx1, sy1 - _s(0.8)], slot_r, fill=(6, 7, 9, 255))
        d.rounded_rectangle([sx0 + _s(0.8), sy0 + _s(1.2), sx1 - _s(0.8), sy1 - _s(0.8)],
                            slot_r - _s(0.8), fill=GROOVE + (255,))
        ry = sy0 + slot_r if on else sy1 - slot_r
        rr = slot_r - _s(0.5)
        # the ring: shadow, metal rim, dark centre, indicator
        sh = PIL.Image.new("L", size, 0)
        circle(PIL.ImageDraw.Draw(sh), cx, ry + _s(0.8), rr + _s(0.4), fill=200)
        sh = sh.filter(PIL.ImageFilter.GaussianBlur(_s(0.7)))
        img.paste((0, 0, 0, 255), (0, 0), sh)
        rim = vgradient(size, (200, 204, 210), (96, 100, 108)).convert("RGBA")
        img.paste(rim, (0, 0), rounded_mask(size, [cx - rr, ry - rr, cx + rr, ry + rr], rr))
        inner = rr - _s(max(1.3 * k, 1.1))
        well = vgradient(size, (44, 46, 51), (78, 82, 90)).convert("RGBA")
        img.paste(well, (0, 0), rounded_mask(size, [cx - inner, ry - inner, cx + inner,
                                                    ry + inner], inner))
        led = inner - _s(0.7 * k)
        d = PIL.ImageDraw.Draw(img)
        if on:
            halo = PIL.Image.new("L", size, 0)
            circle(PIL.ImageDraw.Draw(halo), cx, ry, led + _s(0.9), fill=255)
            halo = halo.filter(PIL.ImageFilter.GaussianBlur(_s(0.8)))
            img.paste(ACCENT + (255,), (0, 0), halo)
            circle(d, cx, ry, led, fill=LED_ON + (255,))
            circle(d, cx - led * 0.3, ry - led * 0.35, led * 0.35, fill=(255, 232, 200, 255))
        else:
            circle(d, cx, ry, led, fill=(30, 31, 35, 255))
        img.putalpha(PIL.ImageChops.multiply(img.getchannel("A"), slot))  # shadow stays in
        frames.append(downsample(img, (fw, fh)))
    strip = PIL.Image.new("RGBA", (fw, fh * SWITCH_FRAMES), (0, 0, 0, 0))
    for i, f in enumerate(frames):
        strip.paste(f, (0, i * fh))
    return strip


# ---------------------------------------------------------------------------------------------
# Slider thumbs


def render_thumb(size, visible, upright):
    """A graphite cap with a light index line across its middle.

    visible: the part (width, height) the slider window shows; the rest of the image stays
    transparent so that the thumb is never cut by its window.
    """
    PIL = _pil()
    w, h = size
    vw, vh = visible
    big = (_s(w), _s(h))
    img = PIL.Image.new("RGBA", big, (0, 0, 0, 0))
    if upright:
        body = [_s(2), _s(1), _s(vw - 2), _s(vh - 1)]
    else:
        body = [_s(1), _s(2), _s(vw - 1), _s(vh - 2)]
    r = _s(2.2)
    sh = PIL.Image.new("L", big, 0)
    PIL.ImageDraw.Draw(sh).rounded_rectangle([body[0], body[1] + _s(0.8), body[2],
                                              body[3] + _s(0.6)], r, fill=190)
    sh = sh.filter(PIL.ImageFilter.GaussianBlur(_s(0.6)))
    img.paste((0, 0, 0, 255), (0, 0), sh)
    rim = vgradient(big, (150, 156, 166), (62, 66, 73)).convert("RGBA")
    img.paste(rim, (0, 0), rounded_mask(big, body, r))
    inset = [body[0] + _s(1), body[1] + _s(1), body[2] - _s(1), body[3] - _s(1)]
    face = vgradient(big, (104, 110, 120), (64, 68, 76)).convert("RGBA")
    img.paste(face, (0, 0), rounded_mask(big, inset, r - _s(1)))
    d = PIL.ImageDraw.Draw(img)
    # grip: fine grooves either side of the index line
    if upright:
        mid = _s(w / 2)
        for off in (-3.5, 3.5):
            for yy in range(int(body[1] + _s(5)), int(body[3] - _s(5)), _s(3)):
                d.rectangle([mid + _s(off) - _s(0.5), yy, mid + _s(off) + _s(0.5), yy + _s(1)],
                            fill=(46, 49, 55, 255))
        d.rectangle([mid - _s(0.5), body[1] + _s(2), mid + _s(0.5), body[3] - _s(2)],
                    fill=(246, 242, 236, 255))
    else:
        mid = _s(h / 2)
        for off in (-4.5, 4.5):
            for xx in range(int(body[0] + _s(5)), int(body[2] - _s(5)), _s(3)):
                d.rectangle([xx, mid + _s(off) - _s(0.5), xx + _s(1), mid + _s(off) + _s(0.5)],
                            fill=(46, 49, 55, 255))
        d.rectangle([body[0] + _s(2), mid - _s(0.5), body[2] - _s(2), mid + _s(0.5)],
                    fill=(246, 242, 236, 255))
    out = downsample(img, size)
    # keep whatever the slider window cuts off fully transparent
    px = out.load()
    for y in range(h):
        for x in range(w):
            if x >= vw or y >= vh:
                px[x, y] = (0, 0, 0, 0)
    return out


# ---------------------------------------------------------------------------------------------
# Panel


def hslider_track(d, c):
    """Groove and scale of a horizontal slider, along the path of the thumb's index line."""
    tw = THUMB_UPRIGHT[0]
    xa, xb = c.x + tw / 2, c.x + c.w - tw / 2
    yc = c.y + HSLIDER_H / 2
    ticks = 21 if c.w > HSLIDER_W else 11
    for i in range(ticks):
        x = xa + (xb - xa) * i / (ticks - 1)
        major = i in (0, ticks - 1) or i * 2 == ticks - 1
        length = 3.0 if major else 2.0
        colour = TICK_MAJOR if major else TICK
        for y0 in (c.y + 3.5, c.y + HSLIDER_H - 3.5 - length):
            d.rectangle([_s(x - 0.5), _s(y0), _s(x + 0.5) - 1, _s(y0 + length) - 1],
                        fill=colour)
    gx0, gx1 = xa - 4, xb + 4
    d.rounded_rectangle([_s(gx0), _s(yc - 2), _s(gx1), _s(yc + 2.5)], _s(2.2),
                        fill=GROOVE_EDGE)
    d.rounded_rectangle([_s(gx0), _s(yc - 2.5), _s(gx1), _s(yc + 2)], _s(2.2), fill=GROOVE)


def vslider_track(d, c):
    th = THUMB_FLAT[1]
    ya, yb = c.y + th / 2, c.y + c.h - th / 2
    xc = c.x + VSLIDER_W / 2
    for i in range(11):
        y = ya + (yb - ya) * i / 10
        major = i in (0, 5, 10)
        length = 5.0 if major else 3.0
        colour = TICK_MAJOR if major else TICK
        d.rectangle([_s(xc - 7 - length), _s(y - 0.5), _s(xc - 7) - 1, _s(y + 0.5) - 1],
                    fill=colour)
        d.rectangle([_s(xc + 7), _s(y - 0.5), _s(xc + 7 + length) - 1, _s(y + 0.5) - 1],
                    fill=colour)
    gy0, gy1 = ya - 5, yb + 5
    d.rounded_rectangle([_s(xc - 2), _s(gy0), _s(xc + 2.5), _s(gy1)], _s(2.2), fill=GROOVE_EDGE)
    d.rounded_rectangle([_s(xc - 2.5), _s(gy0), _s(xc + 2), _s(gy1 - 0.5)], _s(2.2),
                        fill=GROOVE)


def knob_scale(d, c):
    kx, ky = c.x + KNOB_CENTRE[0], c.y + KNOB_CENTRE[1]
    for i in range(11):
        a = math.radians(135 + 27 * i)
        major = i in (0, 5, 10)
        r = KNOB_DOT_R * (1.25 if major else 1.0)
        circle(d, _s(kx + KNOB_SCALE_R * math.cos(a)), _s(ky + KNOB_SCALE_R * math.sin(a)),
               _s(r), fill=TICK_MAJOR if major else TICK)


def dropdown_box(d, c):
    x0, y0, x1, y1 = c.rect
    d.rounded_rectangle([_s(x0 - 1), _s(y0 - 1), _s(x1 + 1) - 1, _s(y1 + 1) - 1], _s(3),
                        fill=BOX_BORDER)
    d.rounded_rectangle([_s(x0), _s(y0), _s(x1) - 1, _s(y1) - 1], _s(2), fill=BOX_FILL)
    # arrow: a small down-pointing triangle in the last 8 pixels, clear of the centred text
    # (the widest item, "MetallicWave" in 14 px Arial, spans about 77 of the 93 pixels)
    ax, ay = x1 - DROPDOWN_ARROW_W / 2 - 0.5, y0 + DROPDOWN_H / 2
    d.polygon([(_s(ax - 2.5), _s(ay - 1.5)), (_s(ax + 2.5), _s(ay - 1.5)),
               (_s(ax), _s(ay + 1.5))], fill=BOX_ARROW)


def render_panel(ctrls):
    PIL = _pil()
    big = (_s(PANEL_W), _s(PANEL_H))
    img = vgradient(big, BG_TOP, BG_BOTTOM)
    d = PIL.ImageDraw.Draw(img)

    # title bar
    bar = vgradient((big[0], _s(TITLE_BAR_H)), TITLEBAR_TOP, TITLEBAR_BOTTOM)
    img.paste(bar, (0, 0))
    d.rectangle([0, _s(TITLE_BAR_H) - SS, big[0], _s(TITLE_BAR_H) - 1], fill=(8, 9, 11))
    d.rectangle([0, _s(TITLE_BAR_H), big[0], _s(TITLE_BAR_H + 1) - 1], fill=(44, 48, 54))
    # the menu button around the logo, with its down arrow
    mx0, my0, mx1, my1 = 5, 5, 145, 29
    d.rounded_rectangle([_s(mx0), _s(my0), _s(mx1) - 1, _s(my1) - 1], _s(4), fill=(46, 50, 57))
    d.rounded_rectangle([_s(mx0), _s(my0 + 1), _s(mx1) - 1, _s(my1) - 1], _s(4),
                        fill=(20, 22, 25))
    d.rounded_rectangle([_s(mx0 + 1), _s(my0 + 1), _s(mx1 - 1) - 1, _s(my1 - 1) - 1], _s(3),
                        fill=(30, 33, 37))
    d.rectangle([_s(116), _s(my0 + 5), _s(117) - 1, _s(my1 - 5) - 1], fill=(52, 56, 63))
    ax, ay = 131, 17.5
    d.polygon([(_s(ax - 5), _s(ay - 2.5)), (_s(ax + 5), _s(ay - 2.5)), (_s(ax), _s(ay + 3))],
              fill=ACCENT)
    # the status display: plain and dark behind the status label
    sx, sy, sw, sh = STATUS_RECT
    d.rounded_rectangle([_s(sx - 5), _s(sy - 1), _s(sx + sw + 5) - 1, _s(sy + sh + 3) - 1],
                        _s(4), fill=LCD_BORDER)
    d.rounded_rectangle([_s(sx - 4), _s(sy), _s(sx + sw + 4) - 1, _s(sy + sh + 2) - 1], _s(3),
                        fill=LCD_FILL)

    # section frames
    for title, _, (x0, y0, x1, y1) in FRAMES:
        box = [_s(x0), _s(y0), _s(x1 + 1) - 1, _s(y1 + 1) - 1]
        d.rounded_rectangle(box, _s(6), fill=FRAME_BORDER)
        inner = [_s(x0 + 1), _s(y0 + 1), _s(x1) - 1, _s(y1) - 1]
        fill = vgradient((big[0], inner[3] - inner[1] + 1), FRAME_TOP, FRAME_BOTTOM)
        strip = fill.crop((0, 0, inner[2] - inner[0] + 1, inner[3] - inner[1] + 1))
        img.paste(strip, (inner[0], inner[1]),
                  rounded_mask(big, inner, _s(5)).crop((inner[0], inner[1], inner[2] + 1,
                                                        inner[3] + 1)))
        d.rounded_rectangle([_s(x0 + 1), _s(y0 + 1), _s(x1) - 1, _s(y0 + 3)], _s(5),
                            fill=FRAME_HIGHLIGHT)
        d.rectangle([_s(x0 + 3), _s(y0 + 2), _s(x1 - 2) - 1, _s(y0 + 3)], fill=FRAME_TOP)
    for x0, y, x1 in DIVIDERS:
        d.rectangle([_s(x0), _s(y), _s(x1) - 1, _s(y + 1) - 1], fill=DIVIDER)
        d.rectangle([_s(x0), _s(y + 1), _s(x1) - 1, _s(y + 2) - 1], fill=(36, 39, 44))

    # what the controls leave to the background
    for c in ctrls:
        if c.kind == "hslider":
            hslider_track(d, c)
        elif c.kind == "vslider":
            vslider_track(d, c)
        elif c.kind == "knob":
            knob_scale(d, c)
        elif c.kind == "dropdown":
            dropdown_box(d, c)

    panel = downsample(img, (PANEL_W, PANEL_H))
    td = PIL.ImageDraw.Draw(panel)
    for t in all_texts(ctrls):
        t.draw(td)
    # the status area must stay one plain colour for the label's text
    td.rectangle([sx, sy, sx + sw - 1, sy + sh - 1], fill=LCD_FILL)
    return panel


# ---------------------------------------------------------------------------------------------
# About box


def render_about():
    PIL = _pil()
    w, h = 537, 288
    big = (_s(w), _s(h))
    img = vgradient(big, (34, 37, 42), (16, 17, 20))
    d = PIL.ImageDraw.Draw(img)
    # a saw wave whose corners soften as it runs right: the filter closing
    pts = []
    for xi in range(0, w * SS, 2):
        x = xi / SS
        t = x / w
        period = 64.0
        phase = (x % period) / period
        harmonics = max(1, int(24 * (1 - t) ** 2) + 1)
        v = sum(math.sin(2 * math.pi * n * phase) / n for n in range(1, harmonics + 1))
        pts.append((xi, _s(226 + 16 * v * (1 - 0.35 * t))))
    for width, col in ((_s(5), (60, 38, 22)), (_s(1.6), (176, 104, 48))):
        d.line(pts, fill=col, width=round(width), joint="curve")
    d.rectangle([_s(36), _s(112), _s(36 + 120) - 1, _s(113.5) - 1], fill=ACCENT)
    img = downsample(img, (w, h)).convert("RGBA")
    # the instrument's own knob, large, turned well up
    kw = 132
    img.alpha_composite(render_knob_frames(kw, kw, [66])[0], (w - kw - 46, 34))
    img = img.convert("RGB")
    td = PIL.ImageDraw.Draw(img)
    Text("TAVREL", (34, 96), "ls", True, 46, LOGO, 7).draw(td)
    Text("SUBTRACTIVE SYNTHESIZER  \u00b7  16 VOICES", (37, 138), "ls", False, 11,
         CAPTION, 1).draw(td)
    Text(f"Version {VERSION_TEXT}", (37, 160), "ls", True, 12, TITLE).draw(td)
    Text("VST 2.4 instrument", (37, 178), "ls", False, 11, CAPTION).draw(td)
    Text("Designed and built by the Tavrel developers", (37, 272), "ls", False, 10,
         CAPTION_DIM).draw(td)
    return img


# ---------------------------------------------------------------------------------------------
# Writing


def render_all(ctrls):
    """Every image, keyed by resource identifier."""
    PIL = _pil()
    panel = render_panel(ctrls)
    return {
        101: panel,
        102: panel.resize((SMALL_W, SMALL_H), PIL.Image.LANCZOS),
        103: render_knob_strip(KNOB_W, KNOB_H),
        104: render_knob_strip(KNOB_SMALL_W, KNOB_SMALL_H),
        105: render_thumb(THUMB_UPRIGHT, (THUMB_UPRIGHT[0], HSLIDER_H), True),
        106: render_thumb(THUMB_UPRIGHT_SMALL, THUMB_UPRIGHT_SMALL, True),
        107: render_thumb(THUMB_FLAT, (VSLIDER_W, THUMB_FLAT[1]), False),
        108: render_thumb(THUMB_FLAT_SMALL, THUMB_FLAT_SMALL, False),
        113: render_switch_strip(SWITCH_W, SWITCH_H),
        114: render_switch_strip(SWITCH_SMALL_W, SWITCH_SMALL_H),
        116: render_about(),
    }


def write_all(out_dir):
    ctrls = controls()
    images = render_all(ctrls)
    os.makedirs(out_dir, exist_ok=True)
    for rid, name, mode, *_ in RESOURCES:
        path = os.path.join(out_dir, name)
        img = images[rid]
        if mode == "BMP24":
            img.convert("RGB").save(path, "BMP")
        else:
            img.convert(mode).save(path, "PNG", optimize=True)
        print(f"{rid} {path}")


# ---------------------------------------------------------------------------------------------
# Preview


PREVIEW_VALUES = {
    "OD On": 1, "Ch On": 1, "D On": 1, "P On": 0, "N On": 0, "O2 Sync": 1, "L1 Sync": 1,
    "O1 PWOn": 1, "F Cut": 0.62, "F Res": 0.35, "O1 Tran": 0.5, "O2 Tran": 0.5 + 12 / 48,
    "O2 Dtn": 0.56, "E1 A": 0.9, "E1 D": 0.55, "E1 S": 0.7, "E1 R": 0.45, "E2 A": 0.8,
    "E2 D": 0.4, "E2 S": 0.2, "E2 R": 0.5, "M Lvl": 0.75, "O1 Lvl": 1.0, "O2 Lvl": 0.8,
    "O1 Wave": 0.0, "O2 Wave": 23 / 25, "F Type": 0.0, "L1 Shpe": 0.2, "L2 Shpe": 1.0,
    "O1 FM1S": 0.25, "P MSrc": 0.5, "MIDI CH": 0.0, "D LDly": 0.25, "D RDly": 0.5,
    "Ch Mix": 0.5, "D Mix": 0.35, "OD Lvl": 0.3,
}


def render_preview(path):
    """Roughly what the editor shows: each control composed as the editor composes it."""
    PIL = _pil()
    ctrls = controls()
    images = render_all(ctrls)
    panel = images[101].convert("RGBA")
    knob, switch = images[103], images[113]
    upright, flat = images[105], images[107]
    # 14 px Arial (cell height) is about a 12.5 px em; Liberation Sans has Arial's metrics
    arial = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"
    if os.path.exists(arial):
        dd_font, status_font = PIL.ImageFont.truetype(arial, 13), PIL.ImageFont.truetype(arial, 12)
    else:
        dd_font, status_font = font(False, 12), font(False, 11)
    for c in ctrls:
        v = PREVIEW_VALUES.get(c.name, c.default)
        layer = PIL.Image.new("RGBA", panel.size, (0, 0, 0, 0))
        if c.kind == "knob":
            f = knob_frame(v)
            layer.paste(knob.crop((0, f * KNOB_H, KNOB_W, (f + 1) * KNOB_H)), (c.x, c.y))
        elif c.kind == "switch":
            f = 1 if v >= 0.5 else 0
            layer.paste(switch.crop((0, f * SWITCH_H, SWITCH_W, (f + 1) * SWITCH_H)),
                        (c.x, c.y))
        elif c.kind == "hslider":
            travel = max(1, c.w - upright.width)
            thumb = upright.crop((0, 0, upright.width, min(upright.height, c.h)))
            layer.paste(thumb, (c.x + int(v * travel), c.y))
        elif c.kind == "vslider":
            travel = max(1, c.h - flat.height)
            thumb = flat.crop((0, 0, min(flat.width, c.w), flat.height))
            layer.paste(thumb, (c.x, c.y + int((1 - v) * travel)))
        panel = PIL.Image.alpha_composite(panel, layer)
        if c.kind == "dropdown":
            n = len(c.items)
            text = c.items[int(math.floor((n - 1) * v + 0.5))]
            td = PIL.ImageDraw.Draw(panel)
            td.text(((c.rect[0] + c.rect[2]) / 2, (c.rect[1] + c.rect[3]) / 2), text,
                    font=dd_font, fill=DROPDOWN_TEXT_RGB, anchor="mm")
    td = PIL.ImageDraw.Draw(panel)
    sx, sy, sw, sh = STATUS_RECT
    td.multiline_text((sx + sw / 2, sy + sh / 2), "Osc 1: Detune\n0.00 Cents", font=status_font,
                      fill=STATUS_RGB, anchor="mm", align="center", spacing=1)
    panel.convert("RGB").save(path)
    print(f"preview {path}")


# ---------------------------------------------------------------------------------------------
# Image check (standard library only)


class ImageFault(Exception):
    pass


class Png:
    """A decoded 8-bit RGB or RGBA PNG: enough to verify the artwork without PIL."""

    def __init__(self, path):
        data = open(path, "rb").read()
        if data[:8] != b"\x89PNG\r\n\x1a\n":
            raise ImageFault("not a PNG file")
        pos, idat, ihdr = 8, [], None
        while pos + 8 <= len(data):
            length, kind = struct.unpack(">I4s", data[pos:pos + 8])
            body = data[pos + 8:pos + 8 + length]
            if len(body) != length or pos + 12 + length > len(data):
                raise ImageFault(f"chunk {kind!r} runs past the end of the file")
            (crc,) = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
            if zlib.crc32(kind + body) != crc:
                raise ImageFault(f"chunk {kind!r} has a bad checksum")
            if kind == b"IHDR":
                ihdr = body
            elif kind == b"IDAT":
                idat.append(body)
            elif kind == b"IEND":
                break
            pos += 12 + length
        if ihdr is None or not idat:
            raise ImageFault("no IHDR or no image data")
        (self.width, self.height, self.depth, self.colour, _, _,
         self.interlace) = struct.unpack(">IIBBBBB", ihdr)
        self.mode = {(8, 2): "RGB", (8, 6): "RGBA"}.get((self.depth, self.colour),
                                                        f"bit depth {self.depth} colour type "
                                                        f"{self.colour}")
        self._idat = b"".join(idat)
        self._pixels = None

    def pixels(self):
        """Row-major bytes, 3 or 4 per pixel."""
        if self._pixels is not None:
            return self._pixels
        if self.mode not in ("RGB", "RGBA") or self.interlace:
            raise ImageFault(f"cannot decode {self.mode}, interlace {self.interlace}")
        bpp = 3 if self.mode == "RGB" else 4
        stride = self.width * bpp
        try:
            raw = zlib.decompress(self._idat)
        except zlib.error as e:
            raise ImageFault(f"image data does not inflate: {e}")
        if len(raw) != (stride + 1) * self.height:
            raise ImageFault(f"{len(raw)} bytes of image data, expected "
                             f"{(stride + 1) * self.height}")
        out = bytearray(stride * self.height)
        prev = bytearray(stride)
        for y in range(self.height):
            i = y * (stride + 1)
            ftype = raw[i]
            row = bytearray(raw[i + 1:i + 1 + stride])
            if ftype == 1:
                for x in range(bpp, stride):
                    row[x] = (row[x] + row[x - bpp]) & 255
            elif ftype == 2:
                for x in range(stride):
                    row[x] = (row[x] + prev[x]) & 255
            elif ftype == 3:
                for x in range(stride):
                    left = row[x - bpp] if x >= bpp else 0
                    row[x] = (row[x] + ((left + prev[x]) >> 1)) & 255
            elif ftype == 4:
                for x in range(stride):
                    a = row[x - bpp] if x >= bpp else 0
                    b = prev[x]
                    c = prev[x - bpp] if x >= bpp else 0
                    p = a + b - c
                    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                    if pa <= pb and pa <= pc:
                        pred = a
                    elif pb <= pc:
                        pred = b
                    else:
                        pred = c
                    row[x] = (row[x] + pred) & 255
            elif ftype != 0:
                raise ImageFault(f"row {y} has unknown filter {ftype}")
            out[y * stride:(y + 1) * stride] = row
            prev = row
        self._pixels = bytes(out)
        return self._pixels

    def pixel(self, x, y):
        bpp = 3 if self.mode == "RGB" else 4
        i = (y * self.width + x) * bpp
        p = self.pixels()
        return tuple(p[i:i + bpp])


def luminance(rgb):
    def lin(c):
        c /= 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (lin(v) for v in rgb[:3])
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)))
    return (lb + 0.05) / (la + 0.05)


def region_pixels(img, rect):
    x0, y0, x1, y1 = rect
    return [img.pixel(x, y) for y in range(y0, y1) for x in range(x0, x1)]


def _pointer_angle(img, frame, fw, fh, centre):
    """Angle of the knob's pointer: the centroid of its bright, colourless pixels."""
    sx = sy = n = 0
    for y in range(fh):
        for x in range(fw):
            r, g, b, a = img.pixel(x, frame * fh + y)
            if a > 200 and min(r, g, b) > 200 and max(r, g, b) - min(r, g, b) < 40:
                sx += x + 0.5 - centre[0]
                sy += y + 0.5 - centre[1]
                n += 1
    if n < 3:
        return None
    return math.degrees(math.atan2(sy, sx)) % 360


def _angle_diff(a, b):
    return abs((a - b + 180) % 360 - 180)


def _check_knob(img, fw, fh, centre, boxes, report):
    faults = []
    for f in (0, KNOB_FRAMES // 2, KNOB_FRAMES - 1):
        got = _pointer_angle(img, f, fw, fh, centre)
        want = knob_angle_deg(f) % 360
        if got is None:
            faults.append(f"frame {f}: no pointer found")
        elif _angle_diff(got, want) > 8:
            faults.append(f"frame {f}: pointer at {got:.0f} degrees, expected {want:.0f} "
                          "(clockwise from the right)")
    report.append("pointer direction of frames 0, 45, 90 (lower left, up, lower right)")
    previous = None
    for f in range(KNOB_FRAMES):
        rows = img.pixels()[f * fh * fw * 4:(f + 1) * fh * fw * 4]
        if not any(rows[i] for i in range(3, len(rows), 4)):
            faults.append(f"frame {f} is empty")
        if previous is not None and rows == previous:
            faults.append(f"frames {f - 1} and {f} are the same")
        previous = rows
    report.append("every frame drawn and unlike the one before")
    faults += _check_clear(img, fw, fh, KNOB_FRAMES, boxes, report)
    return faults


def _check_clear(img, fw, fh, frames, boxes, report):
    faults = []
    for box in boxes:
        x0, y0, x1, y1 = box
        for f in range(frames):
            for y in range(y0, y1):
                for x in range(x0, x1):
                    if img.pixel(x, f * fh + y)[3]:
                        faults.append(f"frame {f}: pixel ({x}, {y}) not transparent in {box}")
                        break
                else:
                    continue
                break
    if boxes:
        report.append(f"transparency of {boxes}, where neighbouring controls overlap")
    return faults


def _check_switch(img, fw, fh, boxes, report):
    faults = []
    stats = []
    for f in range(SWITCH_FRAMES):
        ring_y = ring_n = lit = 0
        for y in range(fh):
            for x in range(fw):
                r, g, b, a = img.pixel(x, f * fh + y)
                if a > 200 and max(r, g, b) > 120:  # the ring's rim and its indicator
                    ring_y += y
                    ring_n += 1
                if a > 128 and r >= 200 and r - b >= 80:
                    lit += 1
        if ring_n == 0:
            faults.append(f"frame {f}: no ring found")
            return faults
        stats.append((ring_y / ring_n, lit))
    (off_y, off_lit), (on_y, on_lit) = stats
    if not on_y < off_y - 0.25 * fh:
        faults.append(f"ring at row {on_y:.1f} when on and {off_y:.1f} when off: "
                      "it should be clearly higher when on")
    if off_lit or on_lit < 4:
        faults.append(f"indicator: {off_lit} lit pixels off, {on_lit} on "
                      "(expected none off, some on)")
    report.append(f"ring and indicator: frame 0 ring at row {off_y:.1f}, {off_lit} lit pixels; "
                  f"frame 1 ring at row {on_y:.1f}, {on_lit} lit pixels")
    faults += _check_clear(img, fw, fh, SWITCH_FRAMES, boxes, report)
    return faults


def _check_thumb(img, visible, report):
    faults = []
    vw, vh = visible
    alpha = [img.pixel(x, y)[3] for y in range(img.height) for x in range(img.width)]
    if not any(alpha):
        faults.append("thumb is empty")
    cut = [(x, y) for y in range(img.height) for x in range(img.width)
           if (x >= vw or y >= vh) and img.pixel(x, y)[3]]
    if cut:
        faults.append(f"{len(cut)} pixels outside the {vw} x {vh} the slider window shows, "
                      f"e.g. {cut[0]}")
    report.append(f"thumb inside the {vw} x {vh} its slider window shows")
    return faults


def _check_panel(img, ctrls, report):
    faults = []
    sx, sy, sw, sh = STATUS_RECT
    pixels = set(region_pixels(img, (sx, sy, sx + sw, sy + sh)))
    if len(pixels) != 1:
        faults.append(f"status area holds {len(pixels)} colours, expected one plain colour")
    worst = min(contrast(p, STATUS_RGB) for p in pixels)
    if worst < MIN_CONTRAST:
        faults.append(f"status text contrast {worst:.1f}, expected at least {MIN_CONTRAST}")
    report.append(f"status area: {len(pixels)} colour(s), contrast {worst:.1f} with its text")
    worst_box = None
    for c in ctrls:
        if c.kind != "dropdown":
            continue
        # the text area: the box without the border pixels and the arrow at its right end
        x0, y0, x1, y1 = c.rect
        for p in region_pixels(img, (x0 + 2, y0 + 2, x1 - DROPDOWN_ARROW_W, y1 - 2)):
            ratio = contrast(p, DROPDOWN_TEXT_RGB)
            if worst_box is None or ratio < worst_box[0]:
                worst_box = (ratio, c.name)
    if worst_box[0] < MIN_CONTRAST:
        faults.append(f"drop-down {worst_box[1]}: text contrast {worst_box[0]:.1f}, "
                      f"expected at least {MIN_CONTRAST}")
    report.append(f"drop-down boxes: least contrast {worst_box[0]:.1f} with their text "
                  f"({worst_box[1]})")
    return faults


def _block_means(img, block, cols, rows):
    bpp = 3
    p = img.pixels()
    out = []
    for by in range(rows):
        for bx in range(cols):
            s = [0, 0, 0]
            for y in range(by * block, (by + 1) * block):
                i = (y * img.width + bx * block) * bpp
                row = p[i:i + block * bpp]
                for ch in range(3):
                    s[ch] += sum(row[ch::3])
            out.append(tuple(v / (block * block) for v in s))
    return out


def _check_small_panel(small, big, report):
    """The small panel must be the panel at 3/4: compare means over 24 px (18 px) blocks."""
    if big is None or big.mode != "RGB" or (big.width, big.height) != (PANEL_W, PANEL_H):
        return ["cannot compare with the panel, which is missing or wrong"]
    cols, rows = PANEL_W // 24, PANEL_H // 24
    a = _block_means(big, 24, cols, rows)
    b = _block_means(small, 18, cols, rows)
    worst = max(abs(x - y) for pa, pb in zip(a, b) for x, y in zip(pa, pb))
    report.append(f"against the panel at 3/4: largest block difference {worst:.1f}")
    if worst > 6:
        return [f"differs from the panel at 3/4 by up to {worst:.1f} levels in a block"]
    return []


def _check_bmp(path, width, height, report):
    data = open(path, "rb").read()
    if len(data) < 54 or data[:2] != b"BM":
        return ["not a BMP file"]
    (size,) = struct.unpack("<I", data[2:6])
    (offset,) = struct.unpack("<I", data[10:14])
    hsize, w, h, planes, bits, compression = struct.unpack("<IiiHHI", data[14:34])
    faults = []
    if hsize < 40:
        faults.append(f"info header of {hsize} bytes")
    if (w, abs(h)) != (width, height):
        faults.append(f"{w} x {abs(h)}, expected {width} x {height}")
    if (planes, bits, compression) != (1, 24, 0):
        faults.append(f"{bits} bits per pixel, compression {compression}, expected 24, 0")
    stride = (w * 3 + 3) & ~3
    if faults:
        return faults
    if size != len(data) or offset + stride * abs(h) > len(data):
        return [f"file is {len(data)} bytes, header says {size}, pixels need "
                f"{offset + stride * abs(h)}"]
    pixels = data[offset:offset + stride * abs(h)]
    if len(set(pixels[i:i + 3] for i in range(0, len(pixels), 3 * 17))) < 16:
        faults.append("image is (nearly) blank")
    report.append(f"{w} x {abs(h)}, 24-bit uncompressed")
    return faults


def check_dir(directory):
    ctrls = controls()
    boxes = transparent_boxes(ctrls)
    loaded = {}
    failed = 0
    for rid, name, mode, width, height, frames in RESOURCES:
        path = os.path.join(directory, name)
        report = []
        try:
            if not os.path.exists(path):
                raise ImageFault("missing")
            if mode == "BMP24":
                faults = _check_bmp(path, width, height, report)
            else:
                img = Png(path)
                loaded[rid] = img
                faults = []
                if img.mode != mode:
                    faults.append(f"mode {img.mode}, expected {mode}")
                if (img.width, img.height) != (width, height):
                    faults.append(f"{img.width} x {img.height}, expected {width} x {height}")
                if not faults:
                    fh = height // frames
                    report.append(f"{width} x {height} {mode}"
                                  + (f", {frames} frames of {width} x {fh}" if frames > 1
                                     else ""))
                    if rid == 101:
                        faults += _check_panel(img, ctrls, report)
                    elif rid == 102:
                        faults += _check_small_panel(img, loaded.get(101), report)
                    elif rid == 103:
                        faults += _check_knob(img, width, fh, KNOB_CENTRE, boxes["knob"],
                                              report)
                    elif rid == 104:
                        faults += _check_knob(img, width, fh, (width / 2, fh / 2), [], report)
                    elif rid == 105:
                        faults += _check_thumb(img, (width, HSLIDER_H), report)
                    elif rid == 107:
                        faults += _check_thumb(img, (VSLIDER_W, height), report)
                    elif rid in (106, 108):
                        faults += _check_thumb(img, (width, height), report)
                    elif rid == 113:
                        faults += _check_switch(img, width, fh, boxes["switch"], report)
                    elif rid == 114:
                        faults += _check_switch(img, width, fh, [], report)
        except (ImageFault, OSError) as e:
            faults = [str(e)]
        status = "FAIL" if faults else "ok"
        print(f"{status:4} {rid} {name}: " + "; ".join(report))
        for f in faults:
            print(f"       {f}")
        failed += bool(faults)
    print(f"{len(RESOURCES) - failed} of {len(RESOURCES)} images pass")
    return 1 if failed else 0


# ---------------------------------------------------------------------------------------------


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    default_out = os.path.normpath(os.path.join(here, "..", "..", "instrument", "resources"))
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    g = p.add_mutually_exclusive_group()
    g.add_argument("--out", default=default_out, help="directory to draw the images into")
    g.add_argument("--check", metavar="DIR", help="verify the images in DIR")
    g.add_argument("--layout-check", action="store_true", help="verify the panel layout")
    g.add_argument("--preview", metavar="FILE", help="write a preview of the panel")
    g.add_argument("--print-layout", action="store_true", help="print the control table")
    args = p.parse_args(argv)
    if args.print_layout:
        for c in controls():
            print(f"{c.kind}\t{c.name}\t{c.x}\t{c.y}\t{c.w}\t{c.h}")
        return 0
    if args.check:
        return check_dir(args.check)
    if args.layout_check:
        faults, notes = layout_faults(controls())
        for n in notes:
            print(f"note: {n}")
        for f in faults:
            print(f"FAIL {f}")
        print(f"{len(controls())} controls with captions, {len(FRAMES)} frames: "
              + (f"{len(faults)} faults" if faults else "layout ok"))
        return 1 if faults else 0
    if args.preview:
        render_preview(args.preview)
        return 0
    write_all(args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
