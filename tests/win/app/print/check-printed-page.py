#!/usr/bin/env python3
"""check-printed-page.py PAGE.ppm EXPECTED.txt

Checks a printed page as rendered from its PDF: the sheet lies landscape, and
the picture's four corner blocks (red, green, blue, yellow, clockwise from the
top-left one) sit where the placement put the picture, within a few device
pixels. EXPECTED.txt holds what the printing test saw of the printer: its
resolution, the sheet, the printable area's offset on it and the picture's
rectangle in the printable area."""
import sys

TOLERANCE = 4  # device pixels


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise SystemExit(f"{path}: not an 8-bit PPM")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:pos + 1 + width * height * 3]


def read_expected(path):
    values = {}
    with open(path) as f:
        for line in f:
            key, _, rest = line.strip().partition(" ")
            values[key] = rest.split()
    return values


def bounds(width, height, pixels, match):
    """The bounding box (left, top, right, bottom) of the pixels that match."""
    left, top, right, bottom = width, height, -1, -1
    for y in range(height):
        row = pixels[y * width * 3:(y + 1) * width * 3]
        for x in range(width):
            if match(row[3 * x], row[3 * x + 1], row[3 * x + 2]):
                left, right = min(left, x), max(right, x)
                top, bottom = min(top, y), max(bottom, y)
    return None if right < 0 else (left, top, right, bottom)


def main():
    width, height, pixels = read_ppm(sys.argv[1])
    expected = read_expected(sys.argv[2])
    sheet_w, sheet_h = map(int, expected["sheet"])
    off_x, off_y = map(int, expected["offset"])
    left, top, w, h = map(int, expected["picture"])
    failures = []
    if width <= height:
        failures.append(f"the page is {width} x {height}: not landscape")
    if abs(width - sheet_w) > TOLERANCE or abs(height - sheet_h) > TOLERANCE:
        failures.append(f"the page is {width} x {height}, the printer's sheet {sheet_w} x {sheet_h}")
    # The picture's outer corners on the rendered sheet.
    x0, y0 = off_x + left, off_y + top
    x1, y1 = x0 + w - 1, y0 + h - 1
    corners = {
        "red (top-left)": (lambda r, g, b: r > 200 and g < 80 and b < 80, ("left", x0), ("top", y0)),
        "green (top-right)": (lambda r, g, b: g > 200 and r < 80 and b < 80, ("right", x1), ("top", y0)),
        "blue (bottom-left)": (lambda r, g, b: b > 200 and r < 80 and g < 80, ("left", x0), ("bottom", y1)),
        "yellow (bottom-right)": (lambda r, g, b: r > 200 and g > 200 and b < 80, ("right", x1), ("bottom", y1)),
    }
    for name, (match, (side_x, want_x), (side_y, want_y)) in corners.items():
        box = bounds(width, height, pixels, match)
        if box is None:
            failures.append(f"no {name} block on the page")
            continue
        got = dict(zip(("left", "top", "right", "bottom"), box))
        if abs(got[side_x] - want_x) > TOLERANCE or abs(got[side_y] - want_y) > TOLERANCE:
            failures.append(f"{name} block's corner at ({got[side_x]}, {got[side_y]}), "
                            f"expected ({want_x}, {want_y})")
    if failures:
        for failure in failures:
            print("check-printed-page:", failure, file=sys.stderr)
        return 1
    print(f"check-printed-page: landscape {width} x {height}, picture at ({x0}, {y0})-({x1}, {y1}) as placed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
