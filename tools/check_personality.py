#!/usr/bin/env python3
"""Checks personality files the way the console compiler reads them, before they go into a cache.

Usage: check_personality.py FILE...   (exit status 1 when any file has a problem)

It follows the reading order of a compile: DEVICE, TYPE, optional MIRROR, DEVICEADDRESS..DAEND,
MINDMX=, MAXDMX=, DIVBY=, DMX..END (13 columns a channel line), TEXT..END, and the repeated
ATTR..END, RANGE..REND, PFTABLE..PFEND and MACRO..MEND blocks; and it asks for what the cache
builders need besides: CR LF line ends, a NAME line with two quoted fields, and device names that
differ in their first 12 characters.
"""
import re
import sys

NUMBER = re.compile(r"-?\d+")


class Problem(Exception):
    pass


def find(lines, start, keyword):
    """Index of the next line starting with `keyword` from `start`, or None."""
    for i in range(start, len(lines)):
        if lines[i].startswith(keyword):
            return i
    return None


def need(lines, start, keyword):
    i = find(lines, start, keyword)
    if i is None:
        raise Problem(f"couldn't find keyword {keyword}")
    return i


def quoted_token(text, limit):
    """The token rule: skip blanks, tabs and quotes, copy to a quote or the line end.
    Returns (token, rest) with rest None when the token reached the end of the line."""
    pos = 0
    while pos < len(text) and text[pos] in ' \t"':
        pos += 1
    end = pos
    while end < len(text) and text[end] != '"' and end - pos < limit:
        end += 1
    token = text[pos:end]
    if end >= len(text):
        return token, None
    return token, text[end + 1:]


def byte_value(text):
    m = NUMBER.search(text)
    if m is None:
        raise Problem("number missing")
    return int(m.group()), text[m.end():].lstrip("-0123456789")


def char_column(text):
    stripped = text.lstrip(" \t")
    if not stripped:
        raise Problem("character column missing")
    return stripped[0], stripped[1:]


def check_channel_line(line):
    rest = line
    for column in ("number", "number", "char", "number", "number", "number", "char", "char",
                   "number"):
        if column == "number":
            _, rest = byte_value(rest)
        else:
            _, rest = char_column(rest)
    name, rest = quoted_token(rest, 12)
    if rest is None:
        raise Problem(f"channel name not closed: {line!r}")
    if '"' not in line or len(line.split('"')[1]) > 12:
        raise Problem(f"channel name longer than 12 characters: {line!r}")
    _, rest = byte_value(rest)
    for _ in range(2):  # two word values; they must be there to mean what they say
        rest = rest.lstrip(" \t")
        if not rest[:1].isdigit():
            raise Problem(f"word value missing: {line!r}")
        rest = rest.lstrip("0123456789")


def check_index_rows(lines, start, end_keyword, preset_focus):
    header = lines[start][len("MACRO" if not preset_focus else "PFTABLE"):]
    name, rest = quoted_token(header, 12)
    if rest is None or not name:
        raise Problem(f"table name missing: {lines[start]!r}")
    columns = len(NUMBER.findall(rest))
    if columns == 0:
        raise Problem(f"table header without columns: {lines[start]!r}")
    end = need(lines, start + 1, end_keyword)
    for line in lines[start + 1:end]:
        if preset_focus and '"' not in line:
            continue
        token, rest = quoted_token(line, 12)
        if rest is None:
            raise Problem(f"row name reaches the end of the line: {line!r}")
        values = rest.split(";")[0].split()
        if len(values) != columns:
            raise Problem(f"row has {len(values)} values, header has {columns}: {line!r}")
        int(values[0], 10)
        for v in values[1:]:
            int(v, 16)
    return end


def check(path):
    data = open(path, "rb").read()
    if data.count(b"\n") != data.count(b"\r\n") or data.count(b"\r") != data.count(b"\r\n"):
        raise Problem("line ends are not all CR LF")
    if not data.endswith(b"\r\n"):
        raise Problem("last line has no line end")
    lines = data.decode("ascii").split("\r\n")[:-1]
    if any(len(line) > 298 for line in lines):
        raise Problem("line longer than the 300-byte line buffer")

    device = need(lines, 0, "DEVICE")
    if lines[device].startswith("DEVICEADDRESS"):
        raise Problem("DEVICEADDRESS comes before the DEVICE line")
    device_text, _ = quoted_token(lines[device][len("DEVICE"):], 80)
    name_line = need(lines, 0, "NAME")
    maker, rest = quoted_token(lines[name_line][4:], 300)
    fixture, _ = quoted_token(rest or "", 300)
    if not maker or not fixture or len(maker) > 20 or len(fixture) > 30:
        raise Problem("NAME needs two quoted fields (maker up to 20, fixture up to 30 chars)")

    type_line = need(lines, device + 1, "TYPE")
    if not NUMBER.search(lines[type_line]):
        raise Problem("TYPE line without a number")
    position = type_line + 1
    mirror = find(lines, position, "MIRROR")
    if mirror is not None:
        if len(NUMBER.findall(lines[mirror])) < 3:
            raise Problem("MIRROR needs three numbers")
        position = mirror + 1
    start = need(lines, position, "DEVICEADDRESS")
    position = need(lines, start + 1, "DAEND") + 1
    for keyword in ("MINDMX=", "MAXDMX=", "DIVBY="):
        i = need(lines, position, keyword)
        if not lines[i][len(keyword):].strip().lstrip("-").isdigit():
            raise Problem(f"{keyword} without a number")
        position = i + 1
    dmx = need(lines, position, "DMX")
    end = need(lines, dmx + 1, "END")
    channels = 0
    for line in lines[dmx + 1:end]:
        if len(line) + 1 <= 8 or line.startswith(";"):
            continue
        check_channel_line(line)
        channels += 1
    if channels == 0:
        raise Problem("DMX table has no channel lines")
    text = need(lines, end + 1, "TEXT")
    text_end = need(lines, text + 1, "END")
    for line in lines[text + 1:text_end]:
        if len(line) > 22:
            raise Problem(f"TEXT line longer than 22 characters: {line!r}")

    # The repeated families are searched from just after the TYPE line.
    for keyword, end_keyword in (("ATTR", "END"), ("RANGE", "REND"), ("PFTABLE", "PFEND"),
                                 ("MACRO", "MEND")):
        i = find(lines, type_line + 1, keyword)
        while i is not None:
            block_end = need(lines, i + 1, end_keyword)
            if any(len(line) > 121 for line in lines[i + 1:block_end]):
                raise Problem(f"{keyword} line longer than 121 characters")
            if keyword in ("PFTABLE", "MACRO"):
                check_index_rows(lines, i, end_keyword, keyword == "PFTABLE")
            i = find(lines, block_end + 1, keyword)
    return device_text


def main(paths):
    failed, devices = False, {}
    for path in paths:
        try:
            device = check(path)
            key = device[:12]
            if key in devices:
                raise Problem(f"device name {key!r} already used by {devices[key]}")
            devices[key] = path
            print(f"ok    {path}: {device!r}")
        except (Problem, ValueError, UnicodeDecodeError) as error:
            failed = True
            print(f"FAIL  {path}: {error}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
