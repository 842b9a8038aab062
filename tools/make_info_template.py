#!/usr/bin/env python3
"""Writes resources/info-template.qpf, the template of the information personality "1_INFO.QPF".

The consoles read the compiled result byte for byte, so the text is fixed here exactly: 53 lines,
each ending in CR LF, a tab on lines 10 and 11, one trailing blank on line 44, empty lines 42 and
47. Run from anywhere; the file goes into resources/ of this repository. With --check the script only
compares the file with what it would write (exit status 1 when they differ).
"""
import pathlib
import sys

PUBLISHER = "www.hoardwright.example"
FRAME = ";" + "*" * 86

LINES = [
    FRAME,
    ";**** Custom Cache File. Made from Cache file creator downloaded from " + PUBLISHER + " ****",
    ";**** INSTRUCTIONS:                                                                ****",
    ";**** 1. Fill in the Data/Name etc the file was created below.                     ****",
    ';**** 2. Scroll down till you see the "FILL THIS BIT IN" section.                  ****',
    ";**** 3. Fill in the date of this cache file, and who created it.                  ****",
    ";**** 4. Close this windiow using the X in the corner.                             ****",
    FRAME,
    ";",
    ";   Date      By        \tDescription",
    ";   %DATE     %CREATEDBY\tCustom Cache File",
    ";",
    ";",
    ";********* IGNORE THE BIT BELOW. DO NOT CHANGE**********",
    ";",
    ";",
    ";" + "-" * 76,
    "DEVICE  1.Info                                  CACHE FILE INFORMATION",
    "TYPE  1  1  M",
    "MIRROR  2  360 270",
    "DEVICEADDRESS",
    '"Handle  %2d"h',
    '"Fixture %11s"n',
    '"DMX     %03d"d',
    '""',
    "DAEND",
    "MINDMX=1",
    "MAXDMX=512",
    "DIVBY=1",
    "DMX",
    '1   1   H    1  100 1N  H   1   "Dimmer"        255  255  255  ; DIMMER',
    "END",
    ";",
    ";" + "-" * 76,
    ";",
    ";********* IGNORE THE BIT ABOVE. DO NOT CHANGE**********",
    ";",
    ";",
    "; *** TEXT TO CHANGE- FILL IN THIS BIT ***",
    "TEXT",
    "**CACHE INFORMATION**",
    "",
    "DATE: %DATE",
    "Created by: %CREATEDBY ",
    "Files: %FILECOUNT",
    "%NOTES",
    "",
    "%INFO",
    "*********************",
    "See " + PUBLISHER + " for",
    "official cache files",
    "*********************",
    "END",
]


def main() -> int:
    assert len(LINES) == 53, len(LINES)
    assert len(FRAME) == len(LINES[2]) == 87
    assert LINES[1].startswith(";****") and LINES[1].endswith(" ****")
    assert LINES[9].count("\t") == 1 and LINES[10].count("\t") == 1
    assert LINES[43].endswith("%CREATEDBY ") and LINES[41] == "" and LINES[46] == ""
    text = "".join(line + "\r\n" for line in LINES)
    for placeholder, count in (("%DATE", 2), ("%CREATEDBY", 2), ("%FILECOUNT", 1),
                               ("%NOTES", 1), ("%INFO", 1)):
        assert text.count(placeholder) == count, placeholder
    data = text.encode("ascii")
    target = pathlib.Path(__file__).resolve().parent.parent / "resources" / "info-template.qpf"
    if "--check" in sys.argv[1:]:
        # Leaves the file alone and says whether it is what this script would write.
        same = target.exists() and target.read_bytes() == data
        print(f"{target}: {'up to date' if same else 'DIFFERS from the generated text'}")
        return 0 if same else 1
    target.write_bytes(data)
    print(f"{target}: {len(data)} bytes, {len(LINES)} lines")
    return 0


if __name__ == "__main__":
    sys.exit(main())
