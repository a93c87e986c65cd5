#!/usr/bin/env python3
"""Draws Pellucor's pointer and icon files (Python 3 standard library only).

    resources/make_resources.py            writes the files beside this script
    resources/make_resources.py --out DIR  writes them into DIR
    resources/make_resources.py --check    checks that the files beside this
                                           script are what it draws now

Every file written is read back and compared with the drawing, so a fault in
the writers shows here rather than as a missing pointer in the window. The
generated files are kept under version control: the build copies them and
needs no Python. The skin x/o.cjs and pellucor.desktop are written by hand.
"""

import argparse
import pathlib
import sys

from drawing import formats, pictures

HERE = pathlib.Path(__file__).resolve().parent
# The program icon at the sizes desktops look for in the icon theme; the
# 256-pixel one is also the window's icon.
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)


def drawings():
    """{file name: (bytes, rows, hotspot or None)} for every generated file."""
    hand, hotspot = pictures.hand_pointer()
    hand_rows = hand.rows()
    drag_rows = pictures.drag_pointer().rows()
    files = {
        "HAND-M.CUR": (formats.icon_bytes(hand_rows, formats.CURSOR, hotspot), hand_rows, hotspot),
        "drag.ico": (formats.icon_bytes(drag_rows, formats.ICON), drag_rows, None),
    }
    for size in ICON_SIZES:
        rows = pictures.program_icon(size).rows()
        name = "pellucor.png" if size == 256 else f"pellucor-{size}.png"
        files[name] = (formats.png_bytes(rows), rows, None)
    return files


def read_back(path):
    """(rows, hotspot or None) of a written file, through this package's own readers."""
    data = path.read_bytes()
    if path.suffix.lower() == ".png":
        return formats.read_png(data), None
    _, hotspot, rows = formats.read_icon(data)
    return rows, hotspot


def problems_in(folder, expected):
    """Plain sentences about every file in folder that differs from its drawing."""
    problems = []
    for name, (_, rows, hotspot) in expected.items():
        path = folder / name
        try:
            found_rows, found_hotspot = read_back(path)
        except (OSError, formats.FormatError) as error:
            problems.append(f"{path}: cannot be read back: {error}")
            continue
        if found_rows != rows:
            problems.append(f"{path}: its pixels differ from the drawing")
        if found_hotspot != hotspot:
            problems.append(f"{path}: hotspot {found_hotspot}, the drawing says {hotspot}")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", type=pathlib.Path, default=HERE, help="folder to write into")
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    options = parser.parse_args()

    expected = drawings()
    if not options.check:
        options.out.mkdir(parents=True, exist_ok=True)
        for name, (data, _, _) in expected.items():
            (options.out / name).write_bytes(data)
    problems = problems_in(options.out, expected)
    for problem in problems:
        print(f"make_resources: {problem}", file=sys.stderr)
    if not problems:
        hotspot = expected["HAND-M.CUR"][2]
        verb = "match the drawings" if options.check else "written"
        print(f"make_resources: {', '.join(expected)} {verb} in {options.out}")
        print(f"make_resources: the hand pointer's hotspot is at {hotspot}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
