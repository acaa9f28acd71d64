#!/usr/bin/env python3
"""Writes the demo song as a Standard MIDI File (format 1, standard library only).

Twelve bars of 4/4 at 96 BPM (30 seconds): chords on MIDI channel 1, bass on channel 2 and a
lead melody on channel 3, over the progression Am - F - C - G played three times. The lead
comes in on the second pass. The render tool plays each channel with its own program:

    python3 tools/demo/make_demo.py demo.mid
    tavrel-render demo.mid --channel-map "$(python3 tools/demo/make_demo.py --channel-map)"
"""

import argparse
import struct
import sys

# The program each channel plays (numbers of the plug-in's factory bank, counted from 0).
# Change them here only.
PROGRAMS = {
    1: 24,  # chords: Warm Pad
    2: 13,  # bass: Classic Bass
    3: 6,  # lead: Twin Saw Lead
}

TEMPO_BPM = 96
TICKS_PER_QUARTER = 480
BAR = 4 * TICKS_PER_QUARTER

# The progression: chord tones as MIDI notes (C4 = 60) and the bass root.
PROGRESSION = [
    ("Am", [57, 60, 64], 45),
    ("F", [57, 60, 65], 41),
    ("C", [55, 60, 64], 48),
    ("G", [55, 59, 62], 43),
]
PASSES = 3

# The lead over one pass of the progression: (note or None for a rest, length in quarters).
LEAD_PASS = [
    (76, 1), (74, 0.5), (72, 0.5), (71, 1), (72, 1),
    (72, 1.5), (69, 0.5), (69, 2),
    (67, 1), (69, 0.5), (72, 0.5), (76, 1), (74, 1),
    (74, 3), (None, 1),
]


def variable_length(value):
    """A MIDI variable-length quantity: seven bits per byte, most significant first."""
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append((value & 0x7F) | 0x80)
        value >>= 7
    return bytes(reversed(out))


def track_chunk(events):
    """events: (tick, bytes) in any order; written with delta times and an end of track."""
    data = bytearray()
    now = 0
    # Note-offs (0x8n) sort before note-ons at the same tick so repeated notes retrigger.
    for tick, message in sorted(events, key=lambda e: (e[0], e[1][0] & 0xF0 != 0x80)):
        data += variable_length(tick - now) + message
        now = tick
    data += variable_length(0) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


def note(events, channel, start, length, pitch, velocity):
    events.append((start, bytes([0x90 | (channel - 1), pitch, velocity])))
    events.append((start + length, bytes([0x80 | (channel - 1), pitch, 64])))


def name_event(text):
    encoded = text.encode("ascii")
    return (0, b"\xff\x03" + variable_length(len(encoded)) + encoded)


def conductor():
    microseconds = round(60_000_000 / TEMPO_BPM)
    return [
        name_event("Tavrel demo"),
        (0, b"\xff\x51\x03" + microseconds.to_bytes(3, "big")),
        (0, b"\xff\x58\x04\x04\x02\x18\x08"),  # 4/4
    ]


def chords():
    events = [name_event("Chords")]
    for bar in range(len(PROGRESSION) * PASSES):
        _, tones, _ = PROGRESSION[bar % len(PROGRESSION)]
        start = bar * BAR
        # Two strokes per bar: a long one and a shorter push on beat three and a half.
        for offset, length, velocity in ((0, 5 * BAR // 8, 84), (5 * BAR // 8, 3 * BAR // 8, 70)):
            for pitch in tones:
                note(events, 1, start + offset, length - 10, pitch, velocity)
    return events


def bass():
    events = [name_event("Bass")]
    eighth = TICKS_PER_QUARTER // 2
    pattern = [0, 0, 12, 0, 0, 7, 12, 7]  # semitones above the root, one per eighth
    for bar in range(len(PROGRESSION) * PASSES):
        _, _, root = PROGRESSION[bar % len(PROGRESSION)]
        for step, interval in enumerate(pattern):
            velocity = 100 if step % 2 == 0 else 80
            note(events, 2, bar * BAR + step * eighth, eighth - 30, root - 12 + interval, velocity)
    return events


def lead():
    events = [name_event("Lead")]
    tick = len(PROGRESSION) * BAR  # enters on the second pass
    for _ in range(PASSES - 1):
        for pitch, quarters in LEAD_PASS:
            length = round(quarters * TICKS_PER_QUARTER)
            if pitch is not None:
                note(events, 3, tick, length - 20, pitch, 96)
            tick += length
    return events


def song():
    tracks = [conductor(), chords(), bass(), lead()]
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), TICKS_PER_QUARTER)
    return header + b"".join(track_chunk(t) for t in tracks)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", nargs="?", default="demo.mid", help="the .mid file to write")
    parser.add_argument("--channel-map", action="store_true",
                        help="print the channel map for tavrel-render and write nothing")
    args = parser.parse_args()
    if args.channel_map:
        print(",".join(f"{channel}={program}" for channel, program in sorted(PROGRAMS.items())))
        return 0
    with open(args.output, "wb") as file:
        file.write(song())
    return 0


if __name__ == "__main__":
    sys.exit(main())
