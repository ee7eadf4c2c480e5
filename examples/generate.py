#!/usr/bin/env python3
"""Writes the bundled cutting programs, and large programs for benchmarks.

Kerf program format: one line per code or relative move, in 0.1 mm.
  "5" rapid moves follow, "6" cutting moves follow,
  "+a-b" straight move, "+a+b+c+d+" arc to (a, b) around (c, d), "+" at
  the end counter-clockwise, "-" clockwise; "101" ... "102" a marking text
  section the view skips; "*" ends the program.

usage: generate.py examples            the bundled examples (into folder)
       generate.py large N OUT.knf     a sheet of parts with N lines
       generate.py large-iso N OUT.nc  the same sheet as an ISO program of N blocks
"""
import math
import sys


def s(v):
    v = int(round(v))
    return ("+" if v >= 0 else "-") + str(abs(v))


def line(dx, dy):
    return s(dx) + s(dy)


def arc(dx, dy, cx, cy, ccw=True):
    return s(dx) + s(dy) + s(cx) + s(cy) + ("+" if ccw else "-")


class Program:
    def __init__(self):
        self.lines = ["[START]"]
        self.x = self.y = 0

    def code(self, c):
        self.lines.append(str(c))

    def move(self, x, y):
        x, y = int(round(x)), int(round(y))
        self.lines.append(line(x - self.x, y - self.y))
        self.x, self.y = x, y

    def rapid(self, x, y):
        self.code(5)
        self.move(x, y)
        self.code(6)

    def circle(self, cx, cy, ccw=True):
        """A whole circle from the current point around (cx, cy)."""
        self.lines.append(arc(0, 0, cx - self.x, cy - self.y, ccw))

    def arc_to(self, x, y, cx, cy, ccw=True):
        x, y = int(round(x)), int(round(y))
        self.lines.append(arc(x - self.x, y - self.y, cx - self.x, cy - self.y, ccw))
        self.x, self.y = x, y

    def hole(self, cx, cy, r, lead=None):
        """Pierce inside, lead in to the edge, cut the circle clockwise."""
        lead = lead if lead is not None else r * 0.5
        self.rapid(cx + r - lead, cy)
        self.move(cx + r, cy)
        self.circle(cx, cy, ccw=False)

    def text(self, *words):
        self.code(101)
        for w in words:
            self.lines.append(w)
        self.code(102)

    def write(self, path, closing=99):
        self.code(closing)
        self.lines.append("*")
        with open(path, "w", newline="") as f:
            f.write("\r\n".join(self.lines) + "\r\n")


def flange(p, ox=0, oy=0, r_out=1500, r_in=500, r_bolt=1000, holes=6, r_hole=110):
    for k in range(holes):
        a = 2 * math.pi * k / holes + math.pi / holes
        p.hole(ox + r_bolt * math.cos(a), oy + r_bolt * math.sin(a), r_hole)
    p.hole(ox, oy, r_in, lead=200)
    # Outer edge: lead in from outside, counter-clockwise.
    p.rapid(ox + r_out + 200, oy - 200)
    p.arc_to(ox + r_out, oy, ox + r_out, oy - 200, ccw=True)
    p.circle(ox, oy, ccw=True)
    p.move(ox + r_out + 150, oy + 150)


def bracket(p, ox, oy, w=1600, h=900, r=200):
    """A plate with rounded corners, a slot and two holes."""
    p.hole(ox + 350, oy + h / 2, 90)
    p.hole(ox + w - 350, oy + h / 2, 90)
    # Slot: two half circles joined by straight lines.
    p.rapid(ox + w / 2 - 250, oy + h / 2 - 80)
    p.move(ox + w / 2 + 250, oy + h / 2 - 80)
    p.arc_to(ox + w / 2 + 250, oy + h / 2 + 80, ox + w / 2 + 250, oy + h / 2, ccw=True)
    p.move(ox + w / 2 - 250, oy + h / 2 + 80)
    p.arc_to(ox + w / 2 - 250, oy + h / 2 - 80, ox + w / 2 - 250, oy + h / 2, ccw=True)
    # Outline, clockwise with rounded corners, lead-in from the left.
    p.rapid(ox - 150, oy + h / 2)
    p.move(ox, oy + h / 2)
    p.move(ox, oy + h - r)
    p.arc_to(ox + r, oy + h, ox + r, oy + h - r, ccw=False)
    p.move(ox + w - r, oy + h)
    p.arc_to(ox + w, oy + h - r, ox + w - r, oy + h - r, ccw=False)
    p.move(ox + w, oy + r)
    p.arc_to(ox + w - r, oy, ox + w - r, oy + r, ccw=False)
    p.move(ox + r, oy)
    p.arc_to(ox, oy + r, ox + r, oy + r, ccw=False)
    p.move(ox, oy + h / 2)


def examples(folder):
    p = Program()
    flange(p)
    p.write(f"{folder}/flange.knf")

    p = Program()
    p.text("PART 17-0042", "S235 10MM")
    bracket(p, 0, 0)
    p.text("QTY 4")
    p.write(f"{folder}/marked_bracket.knf", closing=63)

    p = Program()
    for row in range(2):
        for col in range(3):
            if (row + col) % 2 == 0:
                flange(p, 1700 + col * 3400, 1700 + row * 3400, r_out=1500)
            else:
                bracket(p, 900 + col * 3400, 1250 + row * 3400)
    p.rapid(0, 0)
    p.write(f"{folder}/sheet.knf")


def sheet(lines):
    """Flanges and brackets, 40 to a row, until the program has `lines` lines."""
    p = Program()
    col = 0
    while len(p.lines) < lines:
        ox, oy = (col % 40) * 3400, (col // 40) * 3400
        if col % 2:
            bracket(p, ox, oy)
        else:
            flange(p, ox + 1700, oy + 1700)
        col += 1
    return p


def large(n, path):
    p = sheet(n - 3)
    del p.lines[n - 2:]
    p.write(path)


def kerf_numbers(text):
    """The signed numbers of a Kerf move line (2, or 4 for an arc)."""
    numbers, sign, digits = [], None, ""
    for ch in text:
        if ch in "+-":
            if sign is not None:
                numbers.append(int(digits or "0") * (1 if sign == "+" else -1))
            sign, digits = ch, ""
        else:
            digits += ch
    if digits:
        numbers.append(int(digits) * (1 if sign == "+" else -1))
    return numbers


def large_iso(n, path):
    """The sheet of `large` as ISO blocks in absolute millimetres (G90)."""
    p = sheet(2 * n)  # code lines become no block of their own
    blocks = ['"sheet of parts"', "%", "G90"]
    x = y = 0
    mode = "G1"
    for text in p.lines:
        if len(blocks) >= n - 1:
            break
        if text in ("5", "6"):
            mode = "G0" if text == "5" else "G1"
        elif text[0] in "+-":
            numbers = kerf_numbers(text)
            x, y = x + numbers[0], y + numbers[1]
            if len(numbers) == 2:
                blocks.append(f"{mode} X{x / 10:g} Y{y / 10:g}")
            else:
                word = "G3" if text[-1] == "+" else "G2"
                blocks.append(f"{word} X{x / 10:g} Y{y / 10:g} I{numbers[2] / 10:g} J{numbers[3] / 10:g}")
        elif not text[0].isdigit():
            blocks.append(f'"{text}"')
    blocks.append("M30")
    with open(path, "w", newline="") as f:
        f.write("\r\n".join(blocks) + "\r\n")


if __name__ == "__main__":
    if len(sys.argv) >= 2 and sys.argv[1] == "examples":
        examples(sys.argv[2] if len(sys.argv) > 2 else ".")
    elif len(sys.argv) == 4 and sys.argv[1] == "large":
        large(int(sys.argv[2]), sys.argv[3])
    elif len(sys.argv) == 4 and sys.argv[1] == "large-iso":
        large_iso(int(sys.argv[2]), sys.argv[3])
    else:
        print(__doc__)
        sys.exit(2)
