"""Pellucor's pictures: the hand pointer, the row-dragging pointer and the program icon."""

from .canvas import Canvas, hex_colour, vertical_gradient
from .shapes import Capsule, Circle, Polygon, RoundRect, Union

INK = hex_colour("#1d2228")
PAPER = hex_colour("#ffffff")
SLATE = hex_colour("#4d5967")
MIST = hex_colour("#aab3bf")
STEEL = hex_colour("#3f6e9a")


def hand_pointer():
    """32x32 pointing hand, white with a dark outline; returns (canvas, hotspot)."""
    index_finger = Capsule(10.5, 4.5, 10.5, 16, 2.5)
    folded = [Capsule(15, 13, 15, 18, 2), Capsule(19, 14, 19, 19, 2), Capsule(23, 15.5, 23, 20, 2)]
    palm = RoundRect(8, 16, 25, 26, 3.5)
    wrist = Polygon([(10, 24), (24, 24), (23, 30), (11, 30)])
    thumb = Capsule(10.5, 22, 5, 17, 2.25)
    hand = Union(index_finger, *folded, palm, wrist, thumb)

    canvas = Canvas(32, 32)
    canvas.paint(hand.grown(1), INK)
    canvas.paint(hand, PAPER)
    canvas.paint(Capsule(8, 17, 11.2, 20.2, 0.55), INK)  # where the thumb leaves the palm
    for x, top, bottom in ((17.5, 14.5, 19), (21.5, 15.5, 20)):  # gaps between folded fingers
        canvas.paint(Capsule(x, top, x, bottom, 0.5), INK)
    canvas.paint(RoundRect(11, 27, 23, 28, 0.5), MIST)  # the cuff's seam
    return canvas, _topmost_opaque(canvas, 10)


def _topmost_opaque(canvas, column):
    """The first opaque pixel from the top in `column`: the fingertip."""
    for y in range(canvas.height):
        if canvas.rgba(column, y)[3] >= 128:
            return (column, y)
    raise ValueError("the pointer has no opaque pixel in its finger's column")


def drag_pointer():
    """32x32 'move this row': a page with an up and a down arrow beside it."""
    canvas = Canvas(32, 32)
    page = Polygon([(3, 4), (14, 4), (19, 9), (19, 28), (3, 28)])
    canvas.paint(page.grown(1), SLATE)
    canvas.paint(page, PAPER)
    canvas.paint(Polygon([(14, 4), (14, 9), (19, 9)]), MIST)  # the folded corner
    for y in (12, 16, 20, 24):
        canvas.paint(RoundRect(6, y, 16 if y != 24 else 12, y + 2), MIST)
    arrows = Union(
        Polygon([(26, 2), (31, 9), (21, 9)]),
        RoundRect(25, 8, 27, 24),
        Polygon([(26, 30), (31, 23), (21, 23)]),
    )
    canvas.paint(arrows.grown(1), PAPER)
    canvas.paint(arrows, STEEL)
    return canvas


def program_icon(size):
    """The program icon: a page whose sentence ends in a full stop with a spacing bracket.

    Drawn in a 256-unit square. Small sizes get a layout of their own, with
    fewer text lines and a larger full stop and bracket, so that they still read.
    """
    layout = _SMALL if size < 64 else _LARGE
    unit = size / 256
    canvas = Canvas(size, size)

    def scaled(shape_type, *values):
        return shape_type(*(v * unit for v in values))

    def polygon(points, dx=0, dy=0):
        return Polygon([((x + dx) * unit, (y + dy) * unit) for x, y in points])

    top, bottom = layout["tile"][1] * unit, layout["tile"][3] * unit
    tile = vertical_gradient(hex_colour("#6e98ab"), hex_colour("#4b7387"), top, bottom)
    canvas.paint(scaled(RoundRect, *layout["tile"]), tile)
    canvas.paint(polygon(layout["sheet"], 6, 8), hex_colour("#26465a", 70))  # shadow
    canvas.paint(polygon(layout["sheet"]), hex_colour("#fbfaf6"))
    canvas.paint(polygon(layout["fold"]), hex_colour("#d9dee3"))
    for line in layout["lines"]:
        canvas.paint(scaled(Capsule, *line), hex_colour("#b8c2cc"))
    for shape_type, values in layout["sentence"]:
        canvas.paint(scaled(shape_type, *values), hex_colour("#2e4454"))
    for segment in layout["bracket"]:
        canvas.paint(scaled(Capsule, *segment), hex_colour("#d99a4e"))
    return canvas


# Capsules are (x0, y0, x1, y1, radius); the sentence is a word, a full stop
# on its baseline and, in the large layout, the next word after the space.
_LARGE = {
    "tile": (12, 12, 244, 244, 52),
    "sheet": [(52, 34), (170, 34), (204, 68), (204, 222), (52, 222)],
    "fold": [(170, 34), (170, 68), (204, 68)],
    "lines": [(82, 72, 142, 72, 6), (82, 96, 176, 96, 6), (82, 120, 154, 120, 6),
              (82, 192, 176, 192, 6)],
    "sentence": [(Capsule, (84, 146, 104, 146, 9)), (Circle, (127, 145, 10)),
                 (Capsule, (180, 146, 190, 146, 9))],
    "bracket": [(144, 162, 144, 176, 4), (144, 176, 164, 176, 4), (164, 176, 164, 162, 4)],
}
_SMALL = {
    "tile": (8, 8, 248, 248, 48),
    "sheet": [(48, 24), (176, 24), (208, 56), (208, 232), (48, 232)],
    "fold": [(176, 24), (176, 56), (208, 56)],
    "lines": [(80, 72, 160, 72, 8), (80, 200, 176, 200, 8)],
    "sentence": [(Capsule, (84, 140, 100, 140, 12)), (Circle, (144, 136, 16))],
    "bracket": [(172, 128, 172, 164, 6), (172, 164, 196, 164, 6), (196, 164, 196, 128, 6)],
}
