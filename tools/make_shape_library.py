#!/usr/bin/env python3
"""Writes resources/SG.DAT, the shape library that every cache carries.

The file is generated so it can be checked and regenerated: the pattern values are computed from
their waveforms, the shapes come from the table below, and the script asserts the counts and the
exact size (16,957 bytes, CR LF line ends) before it writes anything. With --check it only
compares resources/SG.DAT with what it would write (exit status 1 when they differ).
"""
import math
import pathlib
import sys

LIBRARY_SIZE = 16957
PATTERN_BYTES = 1204  # compiled size of the 15 pattern entries

# ---------------------------------------------------------------------------------------------
# Patterns: 8 values a row, values are 16-bit two's complement written in lower-case hex.


def hex16(value: int) -> str:
    return format(value & 0xFFFF, "x")


def clip8(value: float) -> int:
    """Scales -1..1 to -128..127 the way the sine table does: truncate, clip the top at 127."""
    return max(-128, min(127, int(value * 128)))


def sine8(n: int = 32) -> list[int]:
    return [clip8(math.sin(2 * math.pi * t / n)) for t in range(n)]


def trapezoid() -> list[int]:
    # A triangle doubled and clipped: quarter-period ramps with flat tops between them.
    values = []
    for t in range(32):
        phase = (t % 32) / 32.0
        tri = 4 * phase if phase < 0.25 else (2 - 4 * phase if phase < 0.75 else 4 * phase - 4)
        values.append(clip8(max(-1.0, min(1.0, 2 * tri))))
    return values


def saw() -> list[int]:
    return [-128 + round(t * 255 / 31) for t in range(32)]


def random_values(seed: int = 1994) -> list[int]:
    # A fixed linear congruential sequence, so the file never changes between runs.
    values, state = [], seed
    for _ in range(32):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        values.append(((state >> 16) & 0xFF) - 128)
    return values


def spiral8() -> list[int]:
    # Two turns of a sine whose amplitude grows from nothing to full scale; a shape that runs it
    # on pan and on tilt a quarter turn (45 degrees of the pattern) apart draws a spiral.
    return [clip8((t + 1) / 64 * math.sin(2 * math.pi * t / 32)) for t in range(64)]


def steps(levels: list[int]) -> list[int]:
    return [level for level in levels for _ in range(8)]


def flick(direction: int) -> list[int]:
    # A sharp jump away from the centre and a slower fall back, then rest.
    shape = [0, 64, 127, 112, 96, 80, 64, 48, 36, 24, 16, 8, 4, 0]
    shape += [0] * (32 - len(shape))
    return [v if direction > 0 else clip8(-v / 127) for v in shape]


def pulse(on: int) -> list[int]:
    return [127] * on + [-128] * (32 - on)


def strobe() -> list[int]:
    return ([127] + [-128] * 7) * 4


def sine16(n: int = 64) -> list[int]:
    return [max(-32768, min(32767, int(math.sin(2 * math.pi * t / n) * 32768))) for t in range(n)]


def spiral16() -> list[int]:
    return [max(-32768, min(32767, int((t + 1) / 64 * math.sin(2 * math.pi * t / 32) * 32768)))
            for t in range(64)]


SIN_ROWS = [
    "0 18 30 47 5a 6a 76 7d",
    "7f 7d 76 6a 5a 47 30 18",
    "0 ffe8 ffd0 ffb9 ffa6 ff96 ff8a ff83",
    "ff80 ff83 ff8a ff96 ffa6 ffb9 ffd0 ffe8",
]

PATTERNS = [
    ("SIN", sine8()),
    ("TRAPS", trapezoid()),
    ("SAW", saw()),
    ("RANDOM 1", random_values()),
    ("SPIRAL", spiral8()),
    ("STEP UP", steps([-128, -43, 42, 127])),
    ("STEP DOWN", steps([127, 42, -43, -128])),
    ("FLICK UP", flick(+1)),
    ("FLICK DOWN", flick(-1)),
    ("PULSE1.1", pulse(16)),   # on 1 : off 1
    ("PULSE1.2", pulse(11)),   # on 1 : off 2
    ("PULSE1.3", pulse(8)),    # on 1 : off 3
    ("PULSE2.1", pulse(21)),   # on 2 : off 1
    ("PULSE3.1", pulse(24)),   # on 3 : off 1
    ("STROBE", strobe()),
]

# ---------------------------------------------------------------------------------------------
# Shapes. Channels: 1 colour wheel, 2 cyan, 3 yellow, 4 magenta, 5 pan, 6 tilt, 7 iris, 8 dimmer,
# 9 colour wheel 2, 10 gobo wheel 1, 11 gobo wheel 2, 12 gobo 1 rotation, 13 gobo 2 rotation,
# 14 focus, 20 red, 21 green, 22 blue.
# A step is: channel amplitude rate ramp repeat spread phase offset.

PAN, TILT = 5, 6


def s(ch, amp, rate, ramp, repeat, spread, phase, offset):
    return (ch, amp, rate, ramp, repeat, spread, phase, offset)


def pan_tilt(amp, rate, repeat, spread, pan_phase=0, tilt_phase=90, offset=0):
    return [s(PAN, amp, rate, 0, repeat, spread, pan_phase, offset),
            s(TILT, amp, rate, 0, repeat, spread, tilt_phase, offset)]


def rainbow(rate, repeat, spread, offset):
    out = []
    for phase, (subtractive, additive) in zip((0, 120, 240), ((2, 20), (3, 21), (4, 22))):
        out.append(s(subtractive, 255, rate, 0, repeat, spread, phase, offset))
        out.append(s(additive, 255, rate, 0, repeat, spread, phase, offset))
    return out


def one(ch, amp, rate, repeat=0, spread=0, phase=0, offset=128, ramp=0):
    return [s(ch, amp, rate, ramp, repeat, spread, phase, offset)]


# The five spreads a family of shapes comes in: parallel, even, odd/even, user, even from user.
FAMILY = {
    "Parallel": dict(repeat=0, spread=1),
    "Even": dict(repeat=0, spread=0),
    "Odd/Even": dict(repeat=2, spread=0),
    "User": dict(repeat=0, spread=1, offset=0),
    "EvenUser": dict(repeat=0, spread=0, offset=0),
}


def colour_family(ch, names, rate=16):
    kinds = ["Parallel", "Even", "Odd/Even", "User", "EvenUser"]
    return [(name, "SIN", one(ch, 255, rate, **FAMILY[kind])) for name, kind in zip(names, kinds)]


def colour_shake(ch, prefix, parallel_name):
    return [
        (f"{prefix}Shak {parallel_name}", "SIN", one(ch, 24, 48, spread=1, offset=0)),
        (f"{prefix}Shak Even1", "SIN", one(ch, 24, 48, offset=0)),
        (f"{prefix}Shak Odd/Even", "SIN", one(ch, 24, 48, repeat=2, offset=0)),
        (f"{prefix}Shak", "SIN", one(ch, 40, 64, spread=1, offset=0)),
        (f"{prefix}Shak Even2", "SIN", one(ch, 40, 64, offset=0)),
        (f"{prefix}Shak O/E", "SIN", one(ch, 40, 64, repeat=2, offset=0)),
        (f"{prefix} Wave1Usr", "SIN", one(ch, 64, 12, spread=1, offset=0)),
        (f"{prefix} Wave2Usr", "SIN", one(ch, 64, 12, offset=0)),
        (f"{prefix} UsrFlik up", "FLICK UP", one(ch, 48, 32, offset=0)),
        (f"{prefix} UsrFlik dwn", "FLICK DOWN", one(ch, 48, 32, offset=0)),
    ]


SHAPES = [
    ("Circle 1", "SIN", [s(5, 40, 64, 0, 0, 1, 0, 0), s(6, 40, 64, 0, 0, 1, 90, 0)]),
    ("Circle Even", "SIN", pan_tilt(40, 32, 0, 0)),
    ("Rainbow Effect", "SIN", [s(2, 255, 64, 0, 0, 1, 0, 128), s(20, 255, 64, 0, 0, 1, 0, 128),
                               s(3, 255, 64, 0, 0, 1, 120, 128), s(21, 255, 64, 0, 0, 1, 120, 128),
                               s(4, 255, 64, 0, 0, 1, 240, 128), s(22, 255, 64, 0, 0, 1, 240, 128)]),
    ("Rainbow Spread", "SIN", rainbow(16, 0, 0, 128)),
    ("Iris", "SIN", one(7, 128, 32, spread=1)),
    ("Iris Spread", "SIN", one(7, 128, 32)),
    ("Dimmer Spread", "SIN", one(8, 255, 16)),
    ("Spiral", "SPIRAL", pan_tilt(64, 16, 0, 1, 0, 45)),
    ("Random", "RANDOM 1", pan_tilt(48, 24, 0, 1, 0, 180)),
    ("Random Spread", "RANDOM 1", pan_tilt(48, 24, 0, 0, 0, 180)),
    ("Tilt Saw", "SAW", one(TILT, 64, 16, spread=1, offset=0)),
    ("Pan Saw", "SAW", one(PAN, 64, 16, spread=1, offset=0)),
    ("Dimmer Saw", "SAW", one(8, 255, 16, spread=1)),
    ("Dimmer Pulse1.1", "PULSE1.1", one(8, 255, 32, spread=1)),
    ("Dimmer Pulse1.2", "PULSE1.2", one(8, 255, 32, spread=1)),
    ("Dimmer PULSE1.3", "PULSE1.3", one(8, 255, 32, spread=1)),
    ("Dimmer Pulse2.1", "PULSE2.1", one(8, 255, 32, spread=1)),
    ("Dimmer Pulse3.1", "PULSE3.1", one(8, 255, 32, spread=1)),
    ("Dimmer Step Up", "STEP UP", one(8, 255, 8, spread=1)),
    ("Dimmer Step Dwn", "STEP DOWN", one(8, 255, 8, spread=1)),
    ("Circle Parallel", "SIN", pan_tilt(32, 24, 0, 1)),
    ("Circle Even", "SIN", pan_tilt(32, 24, 0, 0)),
    ("Circle Odd/Eve", "SIN", pan_tilt(32, 24, 2, 0)),
    ("Pan Swing", "SIN", one(PAN, 96, 12, spread=1, offset=0)),
    ("Tilt Swing", "SIN", one(TILT, 64, 12, spread=1, offset=0)),
    ("Square Parallel", "TRAPS", pan_tilt(40, 16, 0, 1)),
    ("Square Even", "TRAPS", pan_tilt(40, 16, 0, 0)),
    ("Square Odd/Even", "TRAPS", pan_tilt(40, 16, 2, 0)),
    ("Square Corners", "PULSE1.1", pan_tilt(40, 8, 0, 1)),
    ("Square Spread7", "TRAPS", pan_tilt(40, 16, 7, 0, 195, 285)),
    ("Diamond Parallel", "TRAPS", pan_tilt(40, 16, 0, 1, 0, 45)),
    ("Diamond Even", "TRAPS", pan_tilt(40, 16, 0, 0, 0, 45)),
    ("Diamond Odd/Even", "TRAPS", pan_tilt(40, 16, 2, 0, 0, 45)),
    ("Pan Saw User", "SAW", one(PAN, 64, 16, offset=0)),
    ("Tilt Saw User", "SAW", one(TILT, 64, 16, offset=0)),
    ("Random Parallel", "RANDOM 1", pan_tilt(32, 32, 0, 1, 0, 180)),
    ("Random Even", "RANDOM 1", pan_tilt(32, 32, 0, 0, 0, 180)),
    ("Random Odd/Even", "RANDOM 1", pan_tilt(32, 32, 2, 0, 0, 180)),
    ("Spiral Parallel", "SPIRAL", pan_tilt(64, 16, 0, 1, 0, 45)),
    ("Spiral Even", "SPIRAL", pan_tilt(64, 16, 0, 0, 0, 45)),
    ("Rainbow Parallel", "SIN", rainbow(24, 0, 1, 128)),
    ("Rainbow Even", "SIN", rainbow(24, 0, 0, 128)),
    ("Rainbow Odd/Even", "SIN", rainbow(24, 2, 0, 128)),
    ("Rainbow User", "SIN", rainbow(24, 0, 1, 0)),
    ("Rainbow Even Usr", "SIN", rainbow(24, 0, 0, 0)),
    ("RGB Strobe", "STROBE", [s(20, 255, 64, 0, 0, 1, 0, 0), s(21, 255, 64, 0, 0, 1, 120, 0),
                              s(22, 255, 64, 0, 0, 1, 240, 0)]),
    ("RGB Strobe 2", "STROBE", [s(20, 255, 64, 0, 0, 0, 0, 0), s(21, 255, 64, 0, 0, 0, 120, 0),
                                s(22, 255, 64, 0, 0, 0, 240, 0)]),
]
SHAPES += colour_family(2, ["Cyan Parallel", "Cyan Even", "Cyan Odd/Even", "Cyan User",
                            "Cyan Eve User"])
SHAPES += colour_family(4, ["Magenta Parallel", "Magenta Even", "Magenta Odd/Even",
                            "Magenta User", "Magenta Even Usr"])
SHAPES += colour_family(3, ["Yellow Parallel", "Yellow Even", "Yellow Odd/Even", "Yellow User",
                            "Yellow Even Usr"])
for ch, colour, eve_user in ((20, "Red", "Red Eve User"), (21, "Green", "Green Even Usr"),
                             (22, "Blue", "Blue Even Usr")):
    SHAPES += colour_family(ch, [f"{colour} Parallel", f"{colour} Even", f"{colour} Odd/Even",
                                 f"{colour} User", eve_user], rate=20)
    SHAPES += [(f"{colour} Pulse3.1", "PULSE3.1", one(ch, 255, 32, spread=1, offset=0)),
               (f"{colour} Strobe", "STROBE", one(ch, 255, 64, spread=1, offset=0))]
SHAPES += colour_shake(1, "Col1", "Parallel")
SHAPES += colour_shake(9, "Col2", "Parellel")
SHAPES += [
    ("Gobo1 Shak", "SIN", one(10, 16, 64, spread=1, offset=0)),
    ("Gobo1 Shak Eve", "SIN", one(10, 16, 64, offset=0)),
    ("Gobo1 Shak O/E", "SIN", one(10, 16, 64, repeat=2, offset=0)),
    ("Gobo1 Shak PlU", "SIN", one(10, 32, 48, spread=1, offset=0, ramp=1)),
    ("Gobo1 Shak EvU", "SIN", one(10, 32, 48, offset=0, ramp=1)),
    ("Gobo2 Shak1", "SIN", one(11, 16, 64, spread=1, offset=0)),
    ("Gobo2 Shak Eve", "SIN", one(11, 16, 64, offset=0)),
    ("Gobo2 Shak O/E", "SIN", one(11, 16, 64, repeat=2, offset=0)),
    ("Gobo2 Shak2", "SIN", one(11, 32, 48, spread=1, offset=0, ramp=1)),
    ("Gobo2 Shak EvU", "SIN", one(11, 32, 48, offset=0, ramp=1)),
    ("Gobo1 Rot1", "SAW", one(12, 128, 8, spread=1)),
    ("Gobo1 Rot Eve", "SAW", one(12, 128, 8)),
    ("Gobo1 Rot2", "SIN", one(12, 96, 6, spread=1)),
    ("Gobo2 Rot1", "SAW", one(13, 128, 8, spread=1)),
    ("Gobo2 Rot Even", "SAW", one(13, 128, 8)),
    ("Gobo2 Rot2", "SIN", one(13, 96, 6, spread=1)),
    ("Focus Shak", "SIN", one(14, 24, 48, spread=1, offset=0)),
    ("Focus ShakEv", "SIN", one(14, 24, 48, offset=0)),
    ("Focus Quake", "RANDOM 1", one(14, 48, 64, spread=1, offset=0)),
    ("Focus QuakeEvU", "RANDOM 1", one(14, 48, 64, offset=0)),
    ("Iris Shak1", "SIN", one(7, 32, 48, spread=1, offset=0)),
    ("Iris Shak Eve", "SIN", one(7, 32, 48, offset=0)),
    ("Iris Shak O/E", "SIN", one(7, 32, 48, repeat=2, offset=0)),
    ("Iris Flik", "FLICK UP", one(7, 96, 24, spread=1, offset=0)),
    ("Iris Flik Eve", "FLICK UP", one(7, 96, 24, offset=0)),
    ("Iris Shak2", "SIN", one(7, 64, 64, spread=1, offset=0)),
    ("Iris ShakEv2", "SIN", one(7, 64, 64, offset=0)),
    ("Iris ShakO/E2", "SIN", one(7, 64, 64, repeat=2, offset=0)),
    ("IrisFlik", "FLICK DOWN", one(7, 96, 24, spread=1, offset=0)),
    ("IrisFlik Even", "FLICK DOWN", one(7, 96, 24, offset=0)),
    ("Dimmer Saw1", "SAW", one(8, 256, 16, spread=1)),
    ("Dimmer Saw Even", "SAW", one(8, 256, 16)),
    ("Dimmer Saw O/E", "SAW", one(8, 256, 16, repeat=2)),
    ("Dimmer Saw2", "SAW", one(8, 255, 8, spread=1, offset=0)),
    ("Dimmer Saw EveU", "SAW", one(8, 255, 8, offset=0)),
    ("Dimmer 1:1 User", "PULSE1.1", one(8, 255, 32, spread=1, offset=0)),
    ("Dimmer 1:2 User", "PULSE1.2", one(8, 255, 32, spread=1, offset=0)),
    ("Dimmer 1:3 User", "PULSE1.3", one(8, 255, 32, spread=1, offset=0)),
    ("Dimmer 2:1 User", "PULSE2.1", one(8, 255, 32, spread=1, offset=0)),
    ("Dimmer 3:1 User", "PULSE3.1", one(8, 255, 32, spread=1, offset=0)),
]

SHAPE_NAMES = [
    "Circle 1", "Circle Even", "Rainbow Effect", "Rainbow Spread", "Iris", "Iris Spread",
    "Dimmer Spread", "Spiral", "Random", "Random Spread", "Tilt Saw", "Pan Saw", "Dimmer Saw",
    "Dimmer Pulse1.1", "Dimmer Pulse1.2", "Dimmer PULSE1.3", "Dimmer Pulse2.1", "Dimmer Pulse3.1",
    "Dimmer Step Up", "Dimmer Step Dwn", "Circle Parallel", "Circle Even", "Circle Odd/Eve",
    "Pan Swing", "Tilt Swing", "Square Parallel", "Square Even", "Square Odd/Even",
    "Square Corners", "Square Spread7", "Diamond Parallel", "Diamond Even", "Diamond Odd/Even",
    "Pan Saw User", "Tilt Saw User", "Random Parallel", "Random Even", "Random Odd/Even",
    "Spiral Parallel", "Spiral Even", "Rainbow Parallel", "Rainbow Even", "Rainbow Odd/Even",
    "Rainbow User", "Rainbow Even Usr", "RGB Strobe", "RGB Strobe 2", "Cyan Parallel",
    "Cyan Even", "Cyan Odd/Even", "Cyan User", "Cyan Eve User", "Magenta Parallel",
    "Magenta Even", "Magenta Odd/Even", "Magenta User", "Magenta Even Usr", "Yellow Parallel",
    "Yellow Even", "Yellow Odd/Even", "Yellow User", "Yellow Even Usr", "Red Parallel", "Red Even",
    "Red Odd/Even", "Red User", "Red Eve User", "Red Pulse3.1", "Red Strobe", "Green Parallel",
    "Green Even", "Green Odd/Even", "Green User", "Green Even Usr", "Green Pulse3.1",
    "Green Strobe", "Blue Parallel", "Blue Even", "Blue Odd/Even", "Blue User", "Blue Even Usr",
    "Blue Pulse3.1", "Blue Strobe", "Col1Shak Parallel", "Col1Shak Even1", "Col1Shak Odd/Even",
    "Col1Shak", "Col1Shak Even2", "Col1Shak O/E", "Col1 Wave1Usr", "Col1 Wave2Usr",
    "Col1 UsrFlik up", "Col1 UsrFlik dwn", "Col2Shak Parellel", "Col2Shak Even1",
    "Col2Shak Odd/Even", "Col2Shak", "Col2Shak Even2", "Col2Shak O/E", "Col2 Wave1Usr",
    "Col2 Wave2Usr", "Col2 UsrFlik up", "Col2 UsrFlik dwn", "Gobo1 Shak", "Gobo1 Shak Eve",
    "Gobo1 Shak O/E", "Gobo1 Shak PlU", "Gobo1 Shak EvU", "Gobo2 Shak1", "Gobo2 Shak Eve",
    "Gobo2 Shak O/E", "Gobo2 Shak2", "Gobo2 Shak EvU", "Gobo1 Rot1", "Gobo1 Rot Eve", "Gobo1 Rot2",
    "Gobo2 Rot1", "Gobo2 Rot Even", "Gobo2 Rot2", "Focus Shak", "Focus ShakEv", "Focus Quake",
    "Focus QuakeEvU", "Iris Shak1", "Iris Shak Eve", "Iris Shak O/E", "Iris Flik",
    "Iris Flik Eve", "Iris Shak2", "Iris ShakEv2", "Iris ShakO/E2", "IrisFlik", "IrisFlik Even",
    "Dimmer Saw1", "Dimmer Saw Even", "Dimmer Saw O/E", "Dimmer Saw2", "Dimmer Saw EveU",
    "Dimmer 1:1 User", "Dimmer 1:2 User", "Dimmer 1:3 User", "Dimmer 2:1 User", "Dimmer 3:1 User",
]

SHAPE_LEGEND = [
    ';SHAPE <"name">  <"pattern">',
    ";<Channel, 1=Color wheel, 2=Cyan, 3=Yellow, 4=Magenta, 5=Pan>",
    ";<6=Tilt, 7=Iris, 8=Dimmer>",
    ";<Ampitude (0..255)>",
    ";<rate, 512/(rate*16)=seconds>",
    ";<ramp 0=Off 1=ON>",
    ";<repeat-repeats pattern after repeat number of fixtures>",
    ";<spread-how the instruments are spread across the pattern, 0=even spread>",
    ";<phase-0..360, position where the pattern is picked up from>",
    ";<offset-base position for the channel 0..255)>",
]

# ---------------------------------------------------------------------------------------------
# Layout


def rows(values: list[int]) -> list[str]:
    return [" ".join(hex16(v) for v in values[i:i + 8]) for i in range(0, len(values), 8)]


def step_line(step) -> str:
    return "  " + "".join(format(v, "<4") for v in step[:-1]) + str(step[-1])


# Comment lines that head each group of shapes, by the first shape of the group.
SHAPE_GROUPS = {
    "Circle 1": "Basic shapes: one of each kind",
    "Circle Parallel": "Position shapes: circles, squares, diamonds, saws, random, spirals",
    "Rainbow Parallel": "Colour mixing shapes: rainbows, RGB strobes, C/M/Y and R/G/B",
    "Col1Shak Parallel": "Colour wheel shapes: shakes, waves and flicks",
    "Gobo1 Shak": "Gobo shapes: shakes and rotation on both wheels",
    "Focus Shak": "Focus and iris shapes: shakes, quakes and flicks",
    "Dimmer Saw1": "Dimmer shapes: saws and pulses",
}


def build(filler: int) -> list[str]:
    lines = [
        ";Hoardwright shape library",
        ";Edit history",
        ";  02-Feb-2026  first issue: sine, saw, random, spiral; pan/tilt shapes",
        ";  19-Mar-2026  steps, flicks, pulses, strobe; colour, gobo, focus, iris shapes",
        ";  07-Jun-2026  rainbow and RGB shapes also drive red, green, blue (20-22)",
        ";  30-Nov-2026  16-bit SIN and SPIRAL kept below as comments only",
        ';<PATTERN> <"name">',
    ]
    for name, values in PATTERNS:
        body = SIN_ROWS if name == "SIN" else rows(values)
        lines += [f'PATTERN "{name}"', *body, "PEND"]
    lines += [";", ";16-bit SIN and SPIRAL, kept for reference only (not compiled)"]
    for name, values in (("SIN", sine16()), ("SPIRAL", spiral16())):
        lines += [f';PATTERN "{name}"', *(";" + r for r in rows(values)), ";PEND16"]
    lines += [";", ";" + "-" * filler]
    lines += SHAPE_LEGEND
    lines += [";<channels 9=Colour wheel 2, 10/11=Gobo 1/2, 12/13=Gobo 1/2 rotation, 14=Focus,",
              "; 20=Red, 21=Green, 22=Blue>"]
    for name, pattern, shape_steps in SHAPES:
        if name in SHAPE_GROUPS:
            lines += [";", ";" + SHAPE_GROUPS[name], ";"]
        if name != SHAPE_NAMES[0] and name not in SHAPE_GROUPS:
            lines.append("")
        lines += [f'SHAPE "{name}"  "{pattern}"', *(step_line(st) for st in shape_steps), "SEND"]
    return lines


def encode(lines: list[str]) -> bytes:
    return "".join(line + "\r\n" for line in lines).encode("ascii")


def check(lines: list[str], data: bytes) -> None:
    assert data.count(b"\n") == data.count(b"\r\n") and data.count(b"\r") == data.count(b"\r\n")
    assert lines[6] == ';<PATTERN> <"name">' and all(l.startswith(";") for l in lines[:6])
    names = [n for n, _ in PATTERNS]
    assert [n for n, _, _ in SHAPES] == SHAPE_NAMES and len(SHAPES) == 143
    counts = {}
    for _, pattern, st in SHAPES:
        assert pattern in names, pattern
        counts[len(st)] = counts.get(len(st), 0) + 1
        for step in st:
            assert len(step) == 8
            assert step[0] in set(range(1, 15)) | {20, 21, 22}, step
            assert all(0 <= v <= 360 for v in step)
    assert counts == {1: 113, 2: 21, 3: 2, 6: 7}, counts
    all_steps = [step for _, _, st in SHAPES for step in st]
    assert {step[0] for step in all_steps} == set(range(1, 15)) | {20, 21, 22}
    assert any(step[1] == 256 for step in all_steps)
    assert any(step[6] == 285 for step in all_steps)
    assert rows(sine8()) == SIN_ROWS
    compiled = 0
    for name, values in PATTERNS:
        expected = 64 if name == "SPIRAL" else 32
        assert len(values) == expected and all(-128 <= v <= 127 for v in values), name
        compiled += 3 + len(name) + 1 + 2 * len(values) + 1
    assert compiled == PATTERN_BYTES, compiled
    for values in (sine16(), spiral16()):
        assert len(values) == 64
    assert 0x7FFF in sine16() and -0x8000 in sine16()
    # Every line of the legend appears exactly once, in order.
    start = lines.index(SHAPE_LEGEND[0])
    assert lines[start:start + len(SHAPE_LEGEND)] == SHAPE_LEGEND
    assert max(len(l) for l in lines) < 299
    assert len(data) == LIBRARY_SIZE, len(data)


def compile_library(data: bytes) -> tuple[int, int, dict[int, int]]:
    """Reads the text back the way the console compiler does; returns the compiled size of the
    pattern entries, the number of shapes and the step-line distribution."""
    lines = data.decode("ascii").split("\r\n")
    assert lines[-1] == ""
    pattern_bytes, shapes, distribution = 0, 0, {}
    i = 0
    while i < len(lines) - 1:
        line = lines[i]
        i += 1
        if line.startswith("PATTERN"):
            name = line[len("PATTERN"):].strip().strip('"')
            values = 0
            while not lines[i].startswith("PEND"):
                row = lines[i].split()
                assert row and all(int(v, 16) <= 0xFFFF for v in row), lines[i]
                values += len(row)
                i += 1
            assert lines[i] == "PEND"
            i += 1
            pattern_bytes += 3 + len(name) + 1 + 2 * values + 1
        elif line.startswith("SHAPE"):
            steps = 0
            while not lines[i].startswith("SEND"):
                assert len(lines[i].split()) == 8 and all(v.isdigit() for v in lines[i].split())
                steps += 1
                i += 1
            i += 1
            shapes += 1
            distribution[steps] = distribution.get(steps, 0) + 1
        else:
            assert line == "" or line.startswith(";"), line
    return pattern_bytes, shapes, distribution


def main() -> int:
    base = len(encode(build(0)))
    filler = LIBRARY_SIZE - base
    assert 60 <= filler <= 90, f"layout is {base} bytes; adjust the wording"
    lines = build(filler)
    data = encode(lines)
    check(lines, data)
    assert compile_library(data) == (PATTERN_BYTES, 143, {1: 113, 2: 21, 3: 2, 6: 7})
    target = pathlib.Path(__file__).resolve().parent.parent / "resources" / "SG.DAT"
    if "--check" in sys.argv[1:]:
        # Leaves the file alone and says whether it is what this script would write.
        same = target.exists() and target.read_bytes() == data
        print(f"{target}: {'up to date' if same else 'DIFFERS from the generated text'}")
        return 0 if same else 1
    target.write_bytes(data)
    print(f"{target}: {len(data)} bytes, {len(lines)} lines")
    return 0


if __name__ == "__main__":
    sys.exit(main())
