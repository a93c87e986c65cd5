"""An RGBA canvas that paints shapes with one pixel of antialiasing at their edges."""

import math


def hex_colour(text, alpha=255):
    """'#rrggbb' as an (r, g, b, a) tuple of 0..255 values."""
    value = int(text.lstrip("#"), 16)
    return (value >> 16 & 255, value >> 8 & 255, value & 255, alpha)


def vertical_gradient(top_colour, bottom_colour, top, bottom):
    """A paint that runs from top_colour at y=top to bottom_colour at y=bottom."""

    def paint(_x, y):
        t = max(0.0, min(1.0, (y - top) / (bottom - top)))
        return tuple(round(a + (b - a) * t) for a, b in zip(top_colour, bottom_colour))

    return paint


class Canvas:
    """Pixels held as premultiplied floats, composited with 'source over'."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self._pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def paint(self, shape, colour):
        """Covers the shape with colour: an (r, g, b, a) tuple or a function of (x, y)."""
        left, top, right, bottom = shape.bounds
        for y in range(max(0, math.floor(top) - 1), min(self.height, math.ceil(bottom) + 1)):
            for x in range(max(0, math.floor(left) - 1), min(self.width, math.ceil(right) + 1)):
                coverage = 0.5 - shape.distance(x + 0.5, y + 0.5)
                if coverage > 0:
                    rgba = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                    self._blend(y * self.width + x, rgba, min(1.0, coverage))

    def _blend(self, index, rgba, coverage):
        alpha = rgba[3] / 255 * coverage
        pixel = self._pixels[index]
        keep = 1.0 - alpha
        for channel in range(3):
            pixel[channel] = rgba[channel] / 255 * alpha + pixel[channel] * keep
        pixel[3] = alpha + pixel[3] * keep

    def rgba(self, x, y):
        """The pixel at (x, y) as straight (not premultiplied) 0..255 values."""
        red, green, blue, alpha = self._pixels[y * self.width + x]
        if round(alpha * 255) == 0:
            return (0, 0, 0, 0)
        return (
            round(min(1.0, red / alpha) * 255),
            round(min(1.0, green / alpha) * 255),
            round(min(1.0, blue / alpha) * 255),
            round(alpha * 255),
        )

    def rows(self):
        """Top to bottom, each row a list of straight RGBA tuples."""
        return [[self.rgba(x, y) for x in range(self.width)] for y in range(self.height)]
