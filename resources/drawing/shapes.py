"""Shapes as signed distance functions: negative inside, positive outside, in pixels.

Every shape also knows its bounding box, so that painting it only visits the
pixels it can touch.
"""

import math


class Shape:
    """A region of the plane; subclasses give distance() and bounds."""

    bounds = (0.0, 0.0, 0.0, 0.0)  # left, top, right, bottom

    def distance(self, x, y):
        raise NotImplementedError

    def grown(self, amount):
        return Grown(self, amount)

    def minus(self, other):
        return Difference(self, other)


class Circle(Shape):
    def __init__(self, cx, cy, radius):
        self.cx, self.cy, self.radius = cx, cy, radius
        self.bounds = (cx - radius, cy - radius, cx + radius, cy + radius)

    def distance(self, x, y):
        return math.hypot(x - self.cx, y - self.cy) - self.radius


class RoundRect(Shape):
    def __init__(self, left, top, right, bottom, radius=0.0):
        self.bounds = (left, top, right, bottom)
        self.radius = min(radius, (right - left) / 2, (bottom - top) / 2)
        self.cx, self.cy = (left + right) / 2, (top + bottom) / 2
        self.half_w = (right - left) / 2 - self.radius
        self.half_h = (bottom - top) / 2 - self.radius

    def distance(self, x, y):
        qx = abs(x - self.cx) - self.half_w
        qy = abs(y - self.cy) - self.half_h
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - self.radius


class Capsule(Shape):
    """A line segment with round ends, `radius` thick on each side."""

    def __init__(self, ax, ay, bx, by, radius):
        self.a, self.b, self.radius = (ax, ay), (bx, by), radius
        self.bounds = (
            min(ax, bx) - radius,
            min(ay, by) - radius,
            max(ax, bx) + radius,
            max(ay, by) + radius,
        )

    def distance(self, x, y):
        return _segment_distance(x, y, self.a, self.b) - self.radius


class Polygon(Shape):
    """A simple polygon through the given points, in either winding order."""

    def __init__(self, points):
        self.points = list(points)
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        self.bounds = (min(xs), min(ys), max(xs), max(ys))

    def distance(self, x, y):
        nearest = math.inf
        inside = False
        previous = self.points[-1]
        for current in self.points:
            nearest = min(nearest, _segment_distance(x, y, previous, current))
            (x0, y0), (x1, y1) = previous, current
            if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                inside = not inside
            previous = current
        return -nearest if inside else nearest


class Union(Shape):
    def __init__(self, *shapes):
        self.shapes = shapes
        boxes = [s.bounds for s in shapes]
        self.bounds = (
            min(b[0] for b in boxes),
            min(b[1] for b in boxes),
            max(b[2] for b in boxes),
            max(b[3] for b in boxes),
        )

    def distance(self, x, y):
        return min(s.distance(x, y) for s in self.shapes)


class Grown(Shape):
    """The shape widened by `amount` pixels on every side (an outline's outer edge)."""

    def __init__(self, shape, amount):
        self.shape, self.amount = shape, amount
        left, top, right, bottom = shape.bounds
        self.bounds = (left - amount, top - amount, right + amount, bottom + amount)

    def distance(self, x, y):
        return self.shape.distance(x, y) - self.amount


class Difference(Shape):
    def __init__(self, kept, removed):
        self.kept, self.removed = kept, removed
        self.bounds = kept.bounds

    def distance(self, x, y):
        return max(self.kept.distance(x, y), -self.removed.distance(x, y))


def _segment_distance(x, y, a, b):
    (ax, ay), (bx, by) = a, b
    px, py, dx, dy = x - ax, y - ay, bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, (px * dx + py * dy) / length2))
    return math.hypot(px - dx * t, py - dy * t)
