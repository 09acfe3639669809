#!/usr/bin/env python3
"""Draws the demo's engine map and writes the demo's three files (run again after a change):

  demo/engine-map.wmf     the background picture: consumption map of a 1.4-litre turbocharged
                          petrol engine (torque over speed) with its full-load line, lines of
                          constant specific fuel consumption and of constant power, as a
                          placeable Windows metafile
  demo/engine-map.txt     the block's ten settings lines: axis ranges of the map, and the
                          coordinate system placed exactly on the map's own axis frame
  demo/engine-curves.csv  the samples of a test-bench run: torque over speed at five throttle
                          settings, each a sweep from 1000 to 6000 1/min, the pen lifted
                          (control 5) while the bench returns to 1000 1/min

The frame lies at fixed percentages of the picture (FRAME below), which the settings lines
repeat as OriginX, OriginY, SizeX and SizeY. The block stretches the picture over its whole
drawing area and places its coordinate system by the same percentages, so the two frames meet
whatever the size of the window."""
import math
import os
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "demo")

# Axis ranges of the map: speed n [1/min] on x, torque M [Nm] on y.
N_MIN, N_MAX = 1000.0, 6000.0
M_MIN, M_MAX = 0.0, 280.0
GRID_N, GRID_M = 500.0, 40.0
# The axis frame in percent of the picture: left, bottom, width, height.
FRAME = (11, 13, 85, 79)
# Logical size of the picture (metafile units, y downward) and its size in inches.
WIDTH, HEIGHT = 12000, 8000
UNITS_PER_INCH = 1440

THROTTLES = (10, 15, 20, 30, 100)  # percent, one traced curve each
LEVELS = (500, 400, 350, 300, 280, 260, 250, 240, 235, 230)  # g/kWh, outermost first


# ---------------------------------------------------------------- the engine

def soft_min(a, b, k=0.25):
    """min(a, b) with a rounded corner of a few Nm."""
    m = min(a, b)
    return m - math.log(math.exp(-k * (a - m)) + math.exp(-k * (b - m))) / k


def full_load(n):
    """Full-load torque [Nm]: rises to 250 Nm at 1800 1/min, limited by 105 kW above 4000."""
    t = min(max((n - 1000.0) / 800.0, 0.0), 1.0)
    rise = 140.0 + 110.0 * t * t * (3 - 2 * t)
    return soft_min(rise, 105000.0 * 60 / (2 * math.pi * max(n, 300.0)))


def friction(n):
    return 8.0 + 0.6e-6 * n * n


def consumption(n, m):
    """Brake specific fuel consumption [g/kWh] at speed n and torque m."""
    if m <= 0.5:
        return 1e9
    n = max(n, 300.0)
    indicated = 0.405 - 0.04 * ((n - 2700.0) / 2000.0) ** 2
    indicated -= 0.03 * max(0.0, (2000.0 - n) / 1000.0) ** 2  # heat losses at low speed
    indicated -= 0.05 * max(0.0, (m - 170.0) / 60.0) ** 2  # knock: ignition retarded
    pumping = 10.0 * max(0.0, 1.0 - m / full_load(n))
    efficiency = indicated * m / (m + friction(n) + pumping)
    return 84.7 / efficiency if efficiency > 0.01 else 1e9


def part_load(n, throttle):
    """Torque at a fixed throttle opening (percent): the throttle passes air for a fixed mass
    flow, so the air per cycle, and with it the torque, falls with the speed."""
    air = 3.1e6 * (throttle / 100.0) ** 1.5 / n
    return soft_min(full_load(n), air - friction(n) + 8.0, 0.5)


# ---------------------------------------------------------------- geometry

def to_unit(n, m):
    return (n - N_MIN) / (N_MAX - N_MIN), (m - M_MIN) / (M_MAX - M_MIN)


def from_unit(u, v):
    return N_MIN + u * (N_MAX - N_MIN), M_MIN + v * (M_MAX - M_MIN)


def to_picture(u, v):
    """Unit coordinates of the frame (0..1, y up) to metafile units (y down)."""
    left, bottom, width, height = FRAME
    x = (left + u * width) / 100.0 * WIDTH
    y = (1.0 - (bottom + v * height) / 100.0) * HEIGHT
    return int(round(x)), int(round(y))


def inside_domain(u, v):
    n, m = from_unit(u, v)
    return m <= full_load(n)


def optimum():
    best = None
    for i in range(101):
        for j in range(101):
            n, m = from_unit(i / 100.0, j / 100.0)
            if m < full_load(n):
                be = consumption(n, m)
                if best is None or be < best[0]:
                    best = (be, i / 100.0, j / 100.0)
    return best


def level_polygon(level, centre, steps=240):
    """The line of one consumption level, found along rays from the map's optimum."""
    cu, cv = centre
    points = []
    for k in range(steps):
        a = 2 * math.pi * k / steps
        du, dv = math.cos(a), math.sin(a) * 0.8
        def above(r):
            return consumption(*from_unit(cu + r * du, cv + r * dv)) >= level
        r, step = 0.0, 0.004
        while r < 3.0 and not above(r + step):
            r += step
        lo, hi = r, r + step
        for _ in range(30):
            mid = (lo + hi) / 2
            lo, hi = (lo, mid) if above(mid) else (mid, hi)
        points.append((cu + hi * du, cv + hi * dv))
    return points


def clip_to_frame(points):
    """Sutherland-Hodgman against the unit square."""
    edges = ((0, 0.0, 1), (0, 1.0, -1), (1, 0.0, 1), (1, 1.0, -1))
    for axis, limit, sign in edges:
        def inside(p):
            return sign * (p[axis] - limit) >= 0
        def cross(p, q):
            t = (limit - p[axis]) / (q[axis] - p[axis])
            return (p[0] + t * (q[0] - p[0]), p[1] + t * (q[1] - p[1]))
        result = []
        for i, q in enumerate(points):
            p = points[i - 1]
            if inside(q):
                if not inside(p):
                    result.append(cross(p, q))
                result.append(q)
            elif inside(p):
                result.append(cross(p, q))
        points = result
        if not points:
            break
    return points


def clip_to_domain(points, closed):
    """Pieces of a line that lie inside the frame and below the full-load line."""
    def ok(p):
        return 0 <= p[0] <= 1 and 0 <= p[1] <= 1 and inside_domain(*p)

    def border(p, q):  # p inside, q outside
        for _ in range(30):
            mid = ((p[0] + q[0]) / 2, (p[1] + q[1]) / 2)
            p, q = (mid, q) if ok(mid) else (p, mid)
        return p

    seq = points + [points[0]] if closed else points
    pieces, current = [], []
    for i, q in enumerate(seq):
        if ok(q):
            if not current and i > 0:
                current.append(border(q, seq[i - 1]))
            current.append(q)
        elif current:
            current.append(border(current[-1], q))
            pieces.append(current)
            current = []
    if current:
        pieces.append(current)
    # A closed line that starts inside: its first and last pieces are one.
    if closed and len(pieces) > 1 and ok(seq[0]) and ok(seq[-1]):
        pieces[0] = pieces.pop() + pieces[0]
    return [p for p in pieces if len(p) > 1]


# ---------------------------------------------------------------- a placeable metafile

def rgb(r, g, b):
    return r | (g << 8) | (b << 16)


class Metafile:
    def __init__(self):
        self.records = []
        self.slots = []  # the object table: True where an object lives
        self.max_objects = 0

    def record(self, function, words=(), data=b""):
        body = struct.pack("<%dh" % len(words), *words) + data
        if len(body) % 2:
            body += b"\0"
        self.records.append(struct.pack("<IH", 3 + len(body) // 2, function) + body)

    def _new_object(self):
        for i, used in enumerate(self.slots):
            if not used:
                self.slots[i] = True
                return i
        self.slots.append(True)
        self.max_objects = max(self.max_objects, len(self.slots))
        return len(self.slots) - 1

    def select_new(self, create):
        """Creates an object, selects it and returns its index (delete it after use)."""
        create()
        index = self._new_object()
        self.record(0x012D, (index,))
        return index

    def delete(self, index):
        self.record(0x01F0, (index,))
        self.slots[index] = False

    def pen(self, colour, width=0, style=0):
        return self.select_new(lambda: self.record(
            0x02FA, (style, width, 0), struct.pack("<I", colour)))

    def brush(self, colour, style=0):
        return self.select_new(lambda: self.record(
            0x02FC, (style,), struct.pack("<IH", colour, 0)))

    def font(self, height, weight=400, angle=0, name=b"Arial"):
        """angle: tenths of a degree, counter-clockwise."""
        face = name + b"\0" * (32 - len(name))
        return self.select_new(lambda: self.record(
            0x02FB, (-height, 0, angle, angle, weight), bytes([0, 0, 0, 0, 0, 0, 4, 0x22]) + face))

    def polygon(self, points):
        flat = [c for p in points for c in p]
        self.record(0x0324, [len(points)] + flat)

    def polyline(self, points):
        flat = [c for p in points for c in p]
        self.record(0x0325, [len(points)] + flat)

    def text(self, x, y, text, align=0, colour=0, opaque_colour=None):
        self.record(0x012E, (align,))
        self.record(0x0209, (), struct.pack("<I", colour))
        if opaque_colour is None:
            self.record(0x0102, (1,))
        else:
            self.record(0x0201, (), struct.pack("<I", opaque_colour))
            self.record(0x0102, (2,))
        raw = text.encode("cp1252")
        padded = raw + (b"\0" if len(raw) % 2 else b"")
        self.record(0x0521, (len(raw),), padded + struct.pack("<hh", y, x))

    def bytes(self):
        self.record(0x0000)
        body = b"".join(self.records)
        words = 9 + len(body) // 2
        largest = max(len(r) for r in self.records) // 2
        header = struct.pack("<HHHIHIH", 1, 9, 0x0300, words, self.max_objects, largest, 0)
        placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, WIDTH, HEIGHT,
                                UNITS_PER_INCH, 0)
        checksum = 0
        for (w,) in struct.iter_unpack("<H", placeable):
            checksum ^= w
        return placeable + struct.pack("<H", checksum) + header + body


# ---------------------------------------------------------------- the map

WHITE = rgb(255, 255, 255)
FRAME_COLOUR = rgb(0, 0, 0)
GRID_COLOUR = rgb(200, 200, 200)
LINE_COLOUR = rgb(70, 110, 80)
POWER_COLOUR = rgb(150, 150, 150)
FULL_LOAD_COLOUR = rgb(150, 30, 30)
TEXT_COLOUR = rgb(40, 40, 40)


def band_colour(i):
    """Fill colours from the outermost band (light sand) to the optimum (green)."""
    t = i / float(len(LEVELS))
    a, b = (250, 244, 222), (122, 196, 132)
    return rgb(*(int(round(a[k] + t * (b[k] - a[k]))) for k in range(3)))


def fill(wmf, points, colour):
    pen = wmf.pen(colour, style=5)  # no outline
    brush = wmf.brush(colour)
    wmf.polygon([to_picture(*p) for p in points])
    wmf.delete(brush)
    wmf.delete(pen)


def draw_bands(wmf, polygons):
    fill(wmf, [(0, 0), (1, 0), (1, 1), (0, 1)], band_colour(0))
    for i, poly in enumerate(polygons):
        clipped = clip_to_frame(poly)
        if len(clipped) > 2:
            fill(wmf, clipped, band_colour(i + 1))
    # Above the full-load line the engine cannot run: white up to the frame's top.
    above = [(0, 1)] + [to_unit(n, full_load(n)) for n in frange(N_MIN, N_MAX, 25)] + [(1, 1)]
    fill(wmf, above, WHITE)


def frange(a, b, step):
    n = int(round((b - a) / step))
    return [a + i * (b - a) / n for i in range(n + 1)]


def draw_grid(wmf):
    pen = wmf.pen(GRID_COLOUR)
    for n in frange(N_MIN, N_MAX, GRID_N)[1:-1]:
        wmf.polyline([to_picture(*to_unit(n, M_MIN)), to_picture(*to_unit(n, M_MAX))])
    for m in frange(M_MIN, M_MAX, GRID_M)[1:-1]:
        wmf.polyline([to_picture(*to_unit(N_MIN, m)), to_picture(*to_unit(N_MAX, m))])
    wmf.delete(pen)


def draw_power_lines(wmf, font_height):
    pen = wmf.pen(POWER_COLOUR, style=2)  # dotted
    font = wmf.font(font_height)
    for kw in (20, 40, 60, 80):
        line = [to_unit(n, kw * 1000 * 60 / (2 * math.pi * n)) for n in frange(N_MIN, N_MAX, 25)]
        for piece in clip_to_domain(line, closed=False):
            wmf.polyline([to_picture(*p) for p in piece])
        x, y = to_picture(*to_unit(N_MAX, kw * 1000 * 60 / (2 * math.pi * N_MAX)))
        wmf.text(x - 40, y - 30, "%d kW" % kw, align=26, colour=rgb(110, 110, 110),
                 opaque_colour=WHITE)
    wmf.delete(font)
    wmf.delete(pen)


def guide_distance(p, best):
    """Distance of p from the labels' guide: the ray from the optimum towards (0.75, 0)."""
    du, dv = 0.75 - best[1], -best[2]
    length = math.hypot(du, dv)
    pu, pv = p[0] - best[1], p[1] - best[2]
    along = (pu * du + pv * dv) / length
    return abs(pu * dv - pv * du) / length + (0 if along > 0 else 10)


def draw_levels(wmf, polygons, best, font_height):
    pen = wmf.pen(LINE_COLOUR)
    font = wmf.font(font_height)
    for level, poly in zip(LEVELS, polygons):
        pieces = clip_to_domain(poly, closed=True)
        for piece in pieces:
            wmf.polyline([to_picture(*p) for p in piece])
        # Labels sit in a row where the lines cross a guide from the optimum down to the right.
        label = [p for piece in pieces for p in piece if 0.03 < p[0] < 0.95 and 0.04 < p[1] < 0.95]
        if label:
            u, v = min(label, key=lambda p: guide_distance(p, best))
            x, y = to_picture(u, v)
            wmf.text(x, y - font_height // 2, str(level), align=6, colour=LINE_COLOUR,
                     opaque_colour=WHITE)
    wmf.delete(font)
    wmf.delete(pen)


def draw_full_load(wmf):
    pen = wmf.pen(FULL_LOAD_COLOUR, width=36)
    line = [to_picture(*to_unit(n, full_load(n))) for n in frange(N_MIN, N_MAX, 25)]
    wmf.polyline(line)
    wmf.delete(pen)


def draw_frame(wmf):
    pen = wmf.pen(FRAME_COLOUR)
    corners = [(0, 0), (1, 0), (1, 1), (0, 1), (0, 0)]
    wmf.polyline([to_picture(*c) for c in corners])
    wmf.delete(pen)


def draw_texts(wmf, best):
    left, bottom, width, height = FRAME
    small, large = 150, 190
    top = to_picture(0, 1)[1]
    font = wmf.font(large, weight=700)
    wmf.text(to_picture(0.01, 1)[0], top - 110, "Motorkennfeld 1,4 l Turbo-Ottomotor",
             align=24, colour=TEXT_COLOUR)
    wmf.delete(font)
    font = wmf.font(small)
    right = to_picture(1, 1)[0]
    wmf.text(right, top - 300, "be in g/kWh (gr\xfcne Linien), Leistung in kW (punktiert)",
             align=26, colour=TEXT_COLOUR)
    wmf.text(right, top - 90, "Pr\xfcfstand (blau): Drosselklappe " +
             ", ".join("%d" % t for t in THROTTLES) + " %", align=26, colour=rgb(0, 0, 200))
    x, y = to_picture(*to_unit(2000, full_load(2000)))
    wmf.text(x, y - 60, "Volllast", align=24, colour=FULL_LOAD_COLOUR)
    x, y = to_picture(best[1], best[2])
    wmf.text(x, y + 40, "be min %d" % round(best[0]), align=6, colour=LINE_COLOUR)
    wmf.delete(font)
    font = wmf.font(small, weight=700)
    wmf.text(int(WIDTH * (left + width / 2) / 100.0), HEIGHT - 150,
             "Drehzahl n in 1/min", align=30, colour=TEXT_COLOUR)
    wmf.delete(font)
    font = wmf.font(small, weight=700, angle=900)
    wmf.text(60, to_picture(0, 0.5)[1], "Drehmoment M in Nm", align=6, colour=TEXT_COLOUR)
    wmf.delete(font)


def draw_map():
    wmf = Metafile()
    wmf.record(0x020B, (0, 0))            # SetWindowOrg
    wmf.record(0x020C, (HEIGHT, WIDTH))   # SetWindowExt
    wmf.record(0x0102, (1,))              # transparent text
    best = optimum()
    polygons = [level_polygon(level, best[1:]) for level in LEVELS]
    draw_bands(wmf, polygons)
    draw_grid(wmf)
    draw_power_lines(wmf, 140)
    draw_levels(wmf, polygons, best, 140)
    draw_full_load(wmf)
    draw_frame(wmf)
    draw_texts(wmf, best)
    return wmf.bytes()


# ---------------------------------------------------------------- settings and samples

def settings_lines():
    left, bottom, width, height = FRAME
    values = ["%g" % N_MIN, "%g" % N_MAX, "%g" % M_MIN, "%g" % M_MAX,
              str(left), str(bottom), str(width), str(height), "1", "engine-map.wmf"]
    return "".join(v + "\r\n" for v in values)


def samples():
    lines = ["# Test bench run: torque M [Nm] over speed n [1/min] at throttle settings "
             + ", ".join("%d %%" % t for t in THROTTLES) + ".",
             "# Control 0: pen down while the speed sweeps up; 5: pen up while it returns.",
             "n,M,control"]
    for throttle in THROTTLES:
        for n in frange(N_MIN, N_MAX, 25):
            lines.append("%g,%.3f,0" % (n, part_load(n, throttle)))
        for n in frange(N_MAX, N_MIN, -250):
            lines.append("%g,%.3f,5" % (n, part_load(n, throttle)))
    return "\n".join(lines) + "\n"


def main():
    os.makedirs(OUT, exist_ok=True)
    with open(os.path.join(OUT, "engine-map.wmf"), "wb") as f:
        f.write(draw_map())
    with open(os.path.join(OUT, "engine-map.txt"), "wb") as f:
        f.write(settings_lines().encode("ascii"))
    with open(os.path.join(OUT, "engine-curves.csv"), "w", newline="\n") as f:
        f.write(samples())


if __name__ == "__main__":
    main()
