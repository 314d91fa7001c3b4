#!/usr/bin/env python3
"""Writes mobile/builtin_mobile.txt, the mobile the saver carries as RCDATA 1.

The geometry of the clouds and of the creature is built here from a few
outline points per piece; the text is then laid out with its comments,
plain ASCII with CR LF line ends. Running the script again writes the same
bytes.

    tools/gen-builtin-mobile.py            write the file
    tools/gen-builtin-mobile.py --check [MOBILECHECK]
                                           write nothing; verify the checked-in
                                           file with the native checker
    tools/gen-builtin-mobile.py --stdout   print the text instead of writing

The check wants the checked-in file to be the bytes written here, the
checker (MOBILECHECK, by default the native build's) to have nothing to say
of it, and the saver's own parser, through the checker's dump, to read back
every block as the geometry built below: its commands in order, each vertex
brought to the item's frame by the block's offset and scale.
"""

import json
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "mobile", "builtin_mobile.txt")

# ---------------------------------------------------------------------------
# Palettes

CLOUD = [
    (0.75, 0.87, 0.94),  # 0 light, the puff tops
    (0.63, 0.75, 0.87),  # 1
    (0.56, 0.65, 0.75),  # 2
    (0.44, 0.56, 0.63),  # 3 dark, the undersides
]
CLOUD_NAMES = ["light", "pale", "grey", "dark"]

LIGHT_GREEN = (0.35, 0.82, 0.35)
GREEN = (0, 0.53, 0)
DARK_GREEN = (0, 0.44, 0)
BROWN = (0.42, 0.01, 0)
FRONT_GREEN = (0, 0.4, 0)
EYE_RED = (0.82, 0.25, 0)
EYE_AMBER = (1, 0.75, 0.1)
EYE_YELLOW = (1, 1, 0.15)
PINK = (1, 0.31, 0.31)
RED = (1, 0, 0)
DEEP_RED = (0.78, 0, 0)
DARK_RED = (0.71, 0, 0)

HEAD = [LIGHT_GREEN, GREEN, DARK_GREEN, BROWN, FRONT_GREEN,
        EYE_RED, EYE_AMBER, EYE_YELLOW]
BODY = [LIGHT_GREEN, GREEN, DARK_GREEN, BROWN, PINK, RED, DEEP_RED, DARK_RED]

COLOUR_NAMES = {
    LIGHT_GREEN: "light green", GREEN: "green", DARK_GREEN: "dark green",
    BROWN: "red-brown", FRONT_GREEN: "snout green", EYE_RED: "eye orange",
    EYE_AMBER: "eye amber", EYE_YELLOW: "eye yellow", PINK: "pink",
    RED: "red", DEEP_RED: "deep red", DARK_RED: "dark red",
}
for _i, _c in enumerate(CLOUD):
    COLOUR_NAMES[_c] = CLOUD_NAMES[_i]


# ---------------------------------------------------------------------------
# Numbers as they are written

def num(v):
    """A coordinate or colour component, as short as it reads: 2, -0.5, 3.25."""
    v = round(v, 3)
    if v == 0:
        return "0"
    text = ("%.3f" % v).rstrip("0").rstrip(".")
    return text


def triple(p):
    return ",".join(num(c) for c in p)


# ---------------------------------------------------------------------------
# A shape block under construction

class Block:
    """Groups of triangles and quads with a colour at every vertex.

    Vertices carry the coordinates in which the block is typed; the desc line's
    offset and scale bring them to the item's frame. Points are numbered in
    the order they first appear; the same point keeps its number wherever it
    is used again, and the colour key names points by these numbers.
    """

    def __init__(self, number, offset, scale, palette, colours_wanted):
        self.number = number
        self.offset = offset
        self.scale = scale
        self.palette = palette
        self.colours_wanted = colours_wanted
        self.entries = []      # ("begin", kind, semicolon) | ("end",) |
        #                        ("note", text) | ("gap",) | ("prim", [verts])
        self.points = {}
        self.group_kind = None

    def begin(self, kind, semicolon=True):
        assert self.group_kind is None
        self.group_kind = kind
        self.entries.append(("begin", kind, semicolon))

    def end(self):
        assert self.group_kind is not None
        self.group_kind = None
        self.entries.append(("end",))

    def note(self, text):
        self.entries.append(("note", text))

    def prim(self, pts, colours, label=True):
        """One triangle or quad; colours is one colour or one per corner."""
        n = 3 if self.group_kind == "GL_TRIANGLES" else 4
        assert len(pts) == n, (self.number, self.group_kind, pts)
        if isinstance(colours, tuple) and isinstance(colours[0], (int, float)):
            colours = [colours] * n
        assert len(colours) == n
        if n == 4:
            assert convex(pts), (self.number, pts)
        verts = []
        for p, c in zip(pts, colours):
            p = tuple(round(v, 2) + 0.0 for v in p)
            assert c in self.palette, (self.number, c)
            number = None
            if label:
                number = self.points.setdefault(p, len(self.points) + 1)
            verts.append([p, c, number, False])
        self.entries.append(("prim", verts))

    # -- colour commands ----------------------------------------------------

    def settle_colours(self):
        """Marks where a colour command goes: wherever the colour changes, and
        then again at the first corner of as many faces as the block wants,
        spread evenly, so that each face starts from a colour of its own;
        if that is not enough, before further corners, spread evenly."""
        current = None
        firsts = []
        others = []
        count = 0
        for entry in self.entries:
            if entry[0] != "prim":
                continue
            for i, vert in enumerate(entry[1]):
                if vert[1] != current:
                    vert[3] = True
                    current = vert[1]
                    count += 1
                else:
                    (firsts if i == 0 else others).append(vert)
        missing = self.colours_wanted - count
        if missing < 0:
            raise SystemExit("desc %d: %d colour changes, more than %d"
                             % (self.number, count, self.colours_wanted))
        if missing > len(firsts) + len(others):
            raise SystemExit("desc %d: cannot reach %d colour commands"
                             % (self.number, self.colours_wanted))
        for pool in (firsts, others):
            take = min(missing, len(pool))
            for k in range(take):
                pool[(k * len(pool)) // take][3] = True
            missing -= take

    def colour_key(self):
        """For each colour of the palette, the numbered points it is set on."""
        used = {}
        for entry in self.entries:
            if entry[0] == "prim":
                for p, c, number, _ in entry[1]:
                    if number is not None:
                        used.setdefault(c, set()).add(number)
        return [(c, sorted(used.get(c, ()))) for c in self.palette]


def convex(pts):
    """True when the quad is flat and convex, its corners in order."""
    def sub(a, b):
        return [x - y for x, y in zip(a, b)]

    def cross(a, b):
        return [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                a[0] * b[1] - a[1] * b[0]]

    normals = [cross(sub(pts[(i + 1) % 4], pts[i]), sub(pts[(i + 2) % 4], pts[(i + 1) % 4]))
               for i in range(4)]
    ref = normals[0]
    for nrm in normals:
        dot = sum(a * b for a, b in zip(nrm, ref))
        size = (sum(a * a for a in nrm) * sum(a * a for a in ref)) ** 0.5
        if size == 0 or dot < 0.999 * size:
            return False
    return True


def ranges(numbers):
    out = []
    i = 0
    while i < len(numbers):
        j = i
        while j + 1 < len(numbers) and numbers[j + 1] == numbers[j] + 1:
            j += 1
        if j == i:
            out.append(str(numbers[i]))
        elif j == i + 1:
            out.append("%d, %d" % (numbers[i], numbers[j]))
        else:
            out.append("%d-%d" % (numbers[i], numbers[j]))
        i = j + 1
    return ", ".join(out)


def wrap(prefix, text, width=76, indent=None):
    """Comment lines of at most width characters."""
    indent = indent if indent is not None else " " * len(prefix)
    words = text.split(" ")
    lines = []
    line = prefix
    for w in words:
        candidate = line + ("" if line == prefix or line == indent else " ") + w
        if len(candidate) > width and line not in (prefix, indent):
            lines.append(line)
            line = indent + w
        else:
            line = candidate
    lines.append(line)
    return lines


# ---------------------------------------------------------------------------
# Clouds

def lerp(a, b, f):
    return tuple(x + (y - x) * f for x, y in zip(a, b))


def cloud_outline(bottom, waist, tops):
    """The front outline of a cloud in the x-y plane.

    bottom: the lower edge from the left tip to the right tip;
    waist:  the line from the left tip to the right tip on which the four
            puffs sit (five points, the tips included);
    tops:   the height of each puff's highest corner.
    Returns the lower triangles, the patch triangles and the puff quads, all
    counter-clockwise seen from the front.
    """
    assert bottom[0] == waist[0] and bottom[-1] == waist[-1]
    # The lower part: a strip between the bottom edge and the waist.
    tris = []
    i = j = 0
    while i < len(bottom) - 1 or j < len(waist) - 1:
        take_bottom = j == len(waist) - 1 or (
            i < len(bottom) - 1 and bottom[i + 1][0] < waist[j + 1][0])
        if take_bottom:
            t = (bottom[i], bottom[i + 1], waist[j])
            i += 1
        else:
            t = (bottom[i], waist[j + 1], waist[j])
            j += 1
        if len(set(t)) == 3:
            tris.append(t)
    # The puffs: a leaning quad on every stretch of the waist.
    puffs = []
    for k in range(len(waist) - 1):
        a, b = waist[k], waist[k + 1]
        w = b[0] - a[0]
        top = tops[k]
        tl = (a[0] + 0.3 * w, top)
        tr = (b[0] - 0.2 * w, top - 0.3 * (top - max(a[1], b[1])))
        puffs.append((a, b, tr, tl))
    return tris, puffs


def notch_patch(puffs, k, f=0.45):
    """A small triangle in the dip between puff k and puff k + 1."""
    left, right = puffs[k], puffs[k + 1]
    w = left[1]
    assert w == right[0]
    return (w, lerp(w, right[3], f), lerp(w, left[2], f))


def cloud_shade(y, levels):
    """Shade number by height: levels are the heights at which the shade
    gets one step lighter."""
    shade = 3
    for h in levels:
        if y >= h:
            shade -= 1
    return shade


def build_cloud(block, bottom, waist, tops, patches, levels, depth=0.2):
    tris, puffs = cloud_outline(bottom, waist, tops)
    patch_tris = [notch_patch(puffs, k) for k in patches]

    def on_face(pts, z, back):
        pts = list(pts)
        if back:
            pts = [pts[0]] + pts[:0:-1]
        return [(p[0], p[1], z) for p in pts]

    def shades(pts, back):
        out = []
        for p in pts:
            s = cloud_shade(p[1], levels) + (1 if back else 0)
            out.append(CLOUD[min(s, 3)])
        return out

    block.begin("GL_TRIANGLES")
    for back, z, name in ((False, depth, "front"), (True, -depth, "back")):
        block.note("lower part, %s face" % name)
        for t in tris:
            pts = on_face(t, z, back)
            block.prim(pts, shades(pts, back))
        block.note("patches in the dips, %s face" % name)
        for t in patch_tris:
            pts = on_face(t, z, back)
            block.prim(pts, shades(pts, back), label=False)
    block.end()
    block.begin("GL_QUADS")
    for back, z, name in ((False, depth, "front"), (True, -depth, "back")):
        block.note("puffs, %s face" % name)
        for q in puffs:
            pts = on_face(q, z, back)
            block.prim(pts, shades(pts, back))
    block.end()


# The five clouds, typed with the left tip at x 0 or a little right of it and
# the lowest point at y 0.

def cloud1(block):
    bottom = [(0, 1.9), (1.9, 1.0), (7.0, 0.0), (19.3, 3.2)]
    waist = [(0, 1.9), (4.6, 2.7), (9.4, 3.0), (14.2, 3.3), (19.3, 3.2)]
    build_cloud(block, bottom, waist, [3.7, 4.1, 4.0, 3.9], [0, 2],
                [1.0, 2.9, 3.6])


def cloud2(block):
    bottom = [(0.5, 1.7), (11.0, 0.0), (15.0, 1.2)]
    waist = [(0.5, 1.7), (4.3, 2.0), (8.0, 1.8), (11.5, 1.5), (15.0, 1.2)]
    build_cloud(block, bottom, waist, [2.9, 3.1, 2.8, 2.3], [1, 2],
                [0.8, 1.75, 2.6])


def cloud3(block):
    bottom = [(0.5, 0.1), (2.6, 0.0), (8.4, 0.0), (11.1, 0.5)]
    waist = [(0.5, 0.1), (3.2, 0.9), (5.9, 1.1), (8.6, 1.0), (11.1, 0.5)]
    build_cloud(block, bottom, waist, [1.5, 2.0, 1.9, 1.4], [1, 2],
                [0.3, 0.85, 1.45])


# ---------------------------------------------------------------------------
# Boxes and prisms

def box_faces(x0, x1, y0, y1, z0, z1):
    """The six faces of a box, counter-clockwise from outside, by name."""
    return {
        "front": [(x0, y0, z0), (x0, y0, z1), (x0, y1, z1), (x0, y1, z0)],
        "back": [(x1, y0, z0), (x1, y1, z0), (x1, y1, z1), (x1, y0, z1)],
        "top": [(x0, y1, z0), (x0, y1, z1), (x1, y1, z1), (x1, y1, z0)],
        "bottom": [(x0, y0, z0), (x1, y0, z0), (x1, y0, z1), (x0, y0, z1)],
        "near": [(x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1)],
        "far": [(x0, y0, z0), (x0, y1, z0), (x1, y1, z0), (x1, y0, z0)],
    }


def ring(section, x, centre=None, f=1.0):
    """A cross-section (y, z pairs) placed at x, shrunk towards centre by f."""
    out = []
    for y, z in section:
        if centre is not None:
            y = centre[0] + (y - centre[0]) * f
            z = centre[1] + (z - centre[1]) * f
        out.append((x, y, z))
    return out


def by_height(y, levels, colours):
    """colours[0] below levels[0], colours[1] below levels[1], ..."""
    for h, c in zip(levels, colours):
        if y < h:
            return c
    return colours[len(levels)]


# ---------------------------------------------------------------------------
# The head: facing -x, typed with the back of the skull at x 9, the bottom at
# y 0 and the middle at z 4.

HEAD_SECTION = [  # (y, z), round from the top, the back of the skull
    (7.8, 4.0), (6.6, 7.6), (2.8, 8.3), (0.0, 5.7),
    (0.0, 2.3), (2.8, -0.3), (6.6, 0.4),
]


def build_head(block):
    greens = [DARK_GREEN, GREEN, LIGHT_GREEN]

    def shade(p, levels=(2.2, 5.4)):
        return by_height(p[1], levels, greens)

    block.begin("GL_QUADS")
    block.note("upper jaw: a box open at the back, reaching into the skull")
    jaw = box_faces(-0.7, 3.6, 2.9, 4.3, 1.7, 6.3)
    block.prim(jaw["top"], [LIGHT_GREEN, LIGHT_GREEN, GREEN, GREEN])
    block.prim(jaw["front"], [FRONT_GREEN, FRONT_GREEN, LIGHT_GREEN,
                              LIGHT_GREEN])
    block.prim(jaw["near"], [DARK_GREEN, GREEN, GREEN, LIGHT_GREEN])
    block.prim(jaw["far"], [DARK_GREEN, LIGHT_GREEN, GREEN, GREEN])
    block.prim(jaw["bottom"], [FRONT_GREEN, DARK_GREEN, DARK_GREEN,
                               FRONT_GREEN])
    block.note("lower jaw, a little shorter and narrower; the mouth is open")
    jaw = box_faces(-0.2, 3.6, 1.2, 2.4, 2.0, 6.0)
    block.prim(jaw["top"], [FRONT_GREEN, FRONT_GREEN, DARK_GREEN,
                            DARK_GREEN])
    block.prim(jaw["front"], [FRONT_GREEN, FRONT_GREEN, GREEN, GREEN])
    block.prim(jaw["near"], [DARK_GREEN, DARK_GREEN, GREEN, GREEN])
    block.prim(jaw["far"], [DARK_GREEN, GREEN, GREEN, DARK_GREEN])
    block.prim(jaw["bottom"], [DARK_GREEN, DARK_GREEN, DARK_GREEN,
                               DARK_GREEN])
    for name, z0 in (("left", 1.0), ("right", 5.0)):
        block.note("%s eye: a cube sitting on the skull" % name)
        eye = box_faces(4.0, 6.0, 6.6, 9.0, z0, z0 + 2.0)
        block.prim(eye["front"], [EYE_AMBER, EYE_AMBER, EYE_YELLOW,
                                  EYE_YELLOW])
        block.prim(eye["top"], [EYE_YELLOW, EYE_YELLOW, EYE_AMBER, EYE_AMBER])
        block.prim(eye["near"], [EYE_RED, EYE_RED, EYE_AMBER, EYE_AMBER])
        block.prim(eye["far"], [EYE_RED, EYE_AMBER, EYE_AMBER, EYE_RED])
        block.prim(eye["back"], EYE_RED)
        block.prim(eye["bottom"], EYE_RED)

    back = ring(HEAD_SECTION, 9.0)
    front = ring(HEAD_SECTION, 3.2, centre=(3.6, 4.0), f=0.72)
    block.note("skull: seven sides, tapering to the front")
    n = len(HEAD_SECTION)
    for i in range(n):
        j = (i + 1) % n
        q = [front[i], front[j], back[j], back[i]]
        block.prim(q, [shade(p) for p in q])
    block.note("front of the skull, behind the jaws")
    block.prim([front[2], front[3], front[4], front[5]], FRONT_GREEN)
    block.prim([front[1], front[2], front[5], front[6]], FRONT_GREEN)
    block.note("back of the skull")
    block.prim([back[5], back[4], back[3], back[2]], BROWN)
    block.prim([back[6], back[5], back[2], back[1]], BROWN)
    block.end()
    block.begin("GL_TRIANGLES")
    block.note("the tops of the front and the back")
    block.prim([front[6], front[0], front[1]], [FRONT_GREEN, LIGHT_GREEN,
                                                FRONT_GREEN])
    block.prim([back[1], back[0], back[6]], BROWN)
    block.end()


# ---------------------------------------------------------------------------
# A body segment: typed from x 0 (front) to 8 (back), the belly at y 0, the
# back at y 10 where the string goes in, the middle at z 4.

BODY_SECTION = [  # (y, z), round from the belly; narrower at the top
    (0.0, 2.6), (0.0, 5.4), (2.6, 8.0), (7.0, 7.7),
    (10.0, 5.2), (10.0, 2.8), (7.0, 0.3), (2.6, 0.0),
]


def octagon_caps(r, reverse):
    """An octagon closed by three quads."""
    quads = [[r[7], r[0], r[1], r[2]], [r[7], r[2], r[3], r[6]],
             [r[6], r[3], r[4], r[5]]]
    if reverse:
        quads = [[q[0]] + q[:0:-1] for q in quads]
    return quads


def fur_tuft(x0, x1, top, lean):
    """One piece of the crest: a four-sided tuft leaning back."""
    b = [(x0, 10.0, 3.0), (x1, 10.0, 3.0), (x1, 10.0, 5.0), (x0, 10.0, 5.0)]
    mid = (x0 + x1) / 2 + lean
    t = [(mid - 0.3, top, 3.6), (mid + 0.3, top, 3.6),
         (mid + 0.3, top, 4.4), (mid - 0.3, top, 4.4)]
    return [
        [b[0], b[3], t[3], t[0]],   # front
        [b[3], b[2], t[2], t[3]],   # near side
        [b[2], b[1], t[1], t[2]],   # back
        [b[1], b[0], t[0], t[1]],   # far side
    ]


def build_segment(block):
    greens = [DARK_GREEN, GREEN, LIGHT_GREEN]
    front = ring(BODY_SECTION, 0.0)
    back = ring(BODY_SECTION, 8.0)
    block.begin("GL_QUADS")
    block.note("the eight sides, from the belly round")
    for i in range(8):
        j = (i + 1) % 8
        q = [front[i], front[j], back[j], back[i]]
        block.prim(q, [by_height(p[1], (2.0, 8.0), greens) for p in q])
    block.note("front end")
    for q in octagon_caps(front, reverse=False):
        block.prim(q, BROWN)
    block.note("back end")
    for q in octagon_caps(back, reverse=True):
        block.prim(q, BROWN)
    for name, x0, x1, top, lean in (("front", 0.4, 2.6, 12.7, 0.6),
                                    ("middle", 2.9, 5.1, 13.6, 0.7),
                                    ("back", 5.4, 7.6, 12.9, 0.5)):
        block.note("crest, %s tuft" % name)
        for k, q in enumerate(fur_tuft(x0, x1, top, lean)):
            base = (DEEP_RED, RED, DARK_RED, RED)[k]
            block.prim(q, [base, base, PINK, PINK])
    block.end()


# ---------------------------------------------------------------------------
# The tail: typed from x 0 (front, against segment 4) to the point at x 19,
# the belly at y 0, the middle at z 4; the string goes in at x 5 on the top.

TAIL_SECTION = [
    (0.0, 2.6), (0.0, 5.4), (2.2, 8.0), (4.6, 7.7),
    (6.5, 5.2), (6.5, 2.8), (4.6, 0.3), (2.2, 0.0),
]
TAIL_TIP = (19.0, 2.8, 4.0)


def build_tail(block):
    front = ring(TAIL_SECTION, 0.0)
    tip = TAIL_TIP
    greens = [DARK_GREEN, GREEN, LIGHT_GREEN]

    block.begin("GL_TRIANGLES")
    block.note("the eight sides, narrowing to the point")
    for i in range(8):
        j = (i + 1) % 8
        t = [front[i], front[j], tip]
        cols = [by_height(p[1], (1.5, 5.5), greens) for p in t[:2]]
        block.prim(t, cols + [GREEN])
    block.end()

    # The crest stands on the ridge of the tail, from near the front to
    # short of the point, and is made like a cloud: puffs on top of a strip.
    def ridge(x):
        return 6.5 + (2.8 - 6.5) * x / 19.0 - 0.05

    left, right = (0.6, ridge(0.6)), (15.4, ridge(15.4))
    waist = [left, (2.8, 8.4), (5.2, 8.6), (7.6, 8.3), (10.0, 7.6),
             (12.6, 6.6), right]
    tops = [11.0, 12.6, 13.7, 13.1, 11.7, 9.6]
    strip = []
    # The lower part: a fan of five triangles from the front end of the
    # ridge.
    inner = waist[1:-1]
    strip.append((left, right, inner[-1]))
    for k in range(len(inner) - 1, 0, -1):
        strip.append((left, inner[k], inner[k - 1]))
    puffs = []
    for k in range(len(waist) - 1):
        a, b = waist[k], waist[k + 1]
        w = b[0] - a[0]
        top = tops[k]
        tl = (a[0] + 0.45 * w, top)
        tr = (b[0] + 0.05 * w, top - 0.35 * (top - max(a[1], b[1])))
        puffs.append((a, b, tr, tl))

    def crest_colour(p):
        return by_height(p[1], (6.5, 9.0, 11.5), [DARK_RED, DEEP_RED, RED,
                                                  PINK])

    def on_face(pts, z, back):
        pts = list(pts)
        if back:
            pts = [pts[0]] + pts[:0:-1]
        return [(p[0], p[1], z) for p in pts]

    block.begin("GL_QUADS", semicolon=False)
    block.note("front end")
    for q in octagon_caps(front, reverse=False):
        block.prim(q, BROWN)
    for back, z, name in ((False, 4.2, "near"), (True, 3.8, "far")):
        block.note("crest, the puffs on the %s face" % name)
        for q in puffs:
            pts = on_face(q, z, back)
            block.prim(pts, [crest_colour(p) for p in pts])
    block.end()
    block.begin("GL_TRIANGLES")
    for back, z, name in ((False, 4.2, "near"), (True, 3.8, "far")):
        block.note("crest, the lower part on the %s face" % name)
        for t in strip:
            pts = on_face(t, z, back)
            block.prim(pts, [crest_colour(p) for p in pts])
    block.end()


# ---------------------------------------------------------------------------
# The text

RULE = "// " + "=" * 63

HEADER = r"""
// ===============================================================
//  THE BUILT-IN MOBILE
// ===============================================================
//
// This text is the mobile the saver shows: five clouds hanging in a
// tree, and under them a long green creature in six pieces (a head,
// four body segments and a tail), each piece on a string of its own.
// The saver carries the text inside itself and reads it afresh each
// time a window with the mobile opens. Edit it, build again, and the
// saver shows your mobile instead.
//
// HOW A MOBILE MOVES
//
// Every item hangs on a string from the item above it and twists back
// and forth about that string; it never swings sideways. Three numbers
// of an item decide how it moves:
//
//   mass    the weight of the item itself. How far an item turns grows
//           with the weight it carries: its own mass plus the masses of
//           everything that hangs below it.
//   radius  the notional radius, as though the item were a ring with
//           all its mass on the rim. A larger radius gives the item more
//           inertia and so a slower swing; it does not make it smaller.
//   string  the string constant, the stiffness of the string against
//           twisting. The swing is divided by it: a small constant lets
//           an item wind up through several turns, a large one keeps it
//           near its rest position.
//
// The arms of a branch count too: a child that hangs far out adds its
// weight times the square of its distance from the string to the
// inertia, so long arms and heavy loads make a slow branch. In round
// figures an item turns up to 3.14 x carried mass / string constant
// degrees either way, and its period grows with the square root of its
// inertia: a swing takes 2 x 3.14 x the square root of the inertia in
// seconds at time factor 1.
//
// HOW THIS FILE IS ARRANGED
//
//   1. directives: the perspective line, which sets the camera, the
//      colours and the pace of the motion;
//   2. items: one branch or end line for every piece of the mobile;
//   3. shapes: desc blocks, one for each shape, each a list of sgl
//      lines that draw the shape from triangles and quads.
//
// Everything after a double slash, up to the end of the line, is
// ignored, and so is a line with nothing but spaces on it. Indent with
// spaces only: a tab in front of a line makes it unreadable. Spaces may
// stand after "=", "," or ":", never before them: a space in front of a
// comma or an equals sign ends the reading of the line. An item number
// with a leading zero is read as octal, so write 8 and not 08.
//
// THE KINDS OF LINE, ONE EXAMPLE EACH
//
// perspective: 45,3,90 lookat=10 timef=1 background=0,0,0 perimeter=30 thread=0.1,1,1,1 periodicity=0
//   field of view in degrees, near and far clipping distances; how far
//   below the top the camera aims; time factor (2 runs twice as fast);
//   background colour r,g,b from 0 to 1; distance of the camera from
//   its aim point; thickness and colour r,g,b of the strings; and the
//   period, in seconds, after which the whole mobile comes round to the
//   same pose (0: every item keeps its own pace). All fourteen numbers,
//   in this order.
// branch 1: desc=2 mass=2 radius=1 above=50 string=1 left=60,-7,2 right=80,-9,3
//   item 1, always the top one, is a branch drawn with shape 2: mass 2,
//   notional radius 1, a string 50 long with constant 1. Item 2 hangs
//   from x=60, y=-7 in the branch's own frame, item 3 from x=80, y=-9.
// end 2: desc=3 mass=4 radius=2
//   item 2 is an end, nothing hangs from it, drawn with shape 3, mass 4,
//   radius 2; the line goes on with above= and string= as for a branch.
// desc 3: offset=1.5,2,0 scale=0.5
//   starts shape 3, which runs to the next desc line. The string ties on
//   at 0,0,0 and the shape is expected to go downwards from there: each
//   vertex is moved by minus the offset, then multiplied by the scale,
//   so a shape can be typed in any handy coordinates with the string
//   going in at the offset point. "desc 3:" alone means no offset and
//   scale 1.
// sglBegin(GL_QUADS);
//   starts a group of quads, four corners each, in order round the edge;
//   GL_TRIANGLES takes three corners each, GL_LINES two.
// sglColor3(0.35,0.82,0.35);
//   the colour r,g,b, from 0 to 1, of the corners that follow; colours
//   shade smoothly across a face from corner to corner.
// sglVertex3(1.5,-2,0.25);
//   one corner x,y,z, in the coordinates of the block.
// sglEnd();
//   ends the group; a bare sglEnd will do as well, but sglEnd; will not.
//
// Whatever follows the ")" of an sgl line is not read; no space may stand
// between the name and the "(". A line that cannot be read is reported on
// the debug output, and the rest of the mobile still shows.
""".strip("\n").split("\n")

DIRECTIVE = ("perspective: 45,3,90 lookat=22 timef=1 background=0.1,0.1,0.2  "
             "perimeter=52  thread=0.08,0.2,0.2,0.3 periodicity=0")

DIRECTIVE_BANNER = """
// ===============================================================
//  GENERAL DIRECTIVES
// ===============================================================
// The whole figure is about 40 units big: the creature stretches some
// 40 across and hangs about 23 below the top. The camera aims 22 below
// the top from 52 away, so the figure fills most of the screen from
// every side. Dark blue sky, thin blue-grey strings, and no common
// period: each item swings at its own pace and the mobile never quite
// repeats.
//
""".strip("\n").split("\n")

TREE_BANNER = r"""
// ===============================================================
//  THE ITEMS
// ===============================================================
//
//                             |
//                       ( cloud 1 )
//                  _______|       |____
//                 |                    |
//           ( cloud 2 )           ( cloud 3 )
//          ___|     |___            _|   |__
//         |             |          |        |
//    ( cloud 4 )    ( cloud 5 )    |        |
//    __|    |__       _|   |__    seg 4    tail
//   |          |     |        |    (6)      (7)
//   |          |     |        |
//  head      seg 1  seg 2   seg 3
//  (8)        (9)   (10)    (11)
//
// Items 1 to 5 are the clouds, 6 to 11 the pieces of the creature;
// along the bottom they read head, segment 1 to 4, tail. The four body
// segments share one shape.
//
// Tuning: the head and the tail are a little heavier than the segments,
// so the clouds that carry them swing further and the head darts about
// a lot; the head's weak string lets it turn a long way on its own. The
// top cloud has a very large notional radius (120) and a small string
// constant (0.02): with the whole weight of the mobile under it, it
// winds up to about five turns and moves very slowly, so the figure
// shows itself from every side in turn.
""".strip("\n").split("\n")

ITEM_LINES = [
    "",
    "// the clouds",
    "branch 1: desc=1 mass=2 radius=120 above=5 string=0.02 left=-8.1,-2.3,2 right=6.8,-0.5,3",
    "branch 2: desc=2 mass=0.4 radius=5 above=4 string=0.1 left=-6.6,0,4 right=3.9,-1.5,5",
    "branch 3: desc=3 mass=0.2 radius=4 above=11 string=0.1 left=-2.5,-0.4,6 right=4,-0.4,7",
    "branch 4: desc=4 mass=0.2 radius=4 above=3 string=0.1 left=-6,-1.3,8 right=1.3,-0.8,9",
    "branch 5: desc=5 mass=0.2 radius=4 above=5.5 string=0.12 left=-2.9,-0.3,10 right=3.3,-0.3,11",
    "",
    "// head and segment 1, under cloud 4",
    "end 8: desc=6 mass=0.5 radius=2 above=8 string=0.03",
    "end 9: desc=7 mass=0.41 radius=2 above=7.2 string=0.1",
    "",
    "// segments 2 and 3, under cloud 5",
    "end 10: desc=7 mass=0.3 radius=8 above=4 string=0.05",
    "end 11: desc=7 mass=0.3 radius=6 above=4 string=0.06",
    "",
    "// segment 4 and tail, under cloud 3",
    "end 6: desc=7 mass=0.3 radius=2 above=5.5 string=0.1",
    "end 7: desc=8 mass=0.48 radius=2 above=6.5 string=0.1",
]

# desc number, title, description lines, offset, scale, palette, colour
# commands, builder
BLOCKS = [
    (1, "the top cloud, the largest",
     ["Its left end hangs low and carries cloud 2 at its tip; the right",
      "end thins out and carries cloud 3. The string goes in at the dip",
      "between the second and third puff. Typed with the left tip at x=0",
      "and the lowest point at y=0."],
     (10, 3.5, 0), 1, CLOUD, 50, cloud1),
    (2, "the second cloud, tilting the other way",
     ["Higher on the left, where cloud 4 hangs, and low on the right,",
      "where cloud 5 hangs. The string goes in at the second puff."],
     (7.6, 2, 0), 1, CLOUD, 55, cloud2),
    (3, "the standard cloud, as cloud 3",
     ["A smaller, flatter cloud; segment 4 hangs from its left part and",
      "the tail from its right. The string goes in just left of the",
      "middle. Descs 4 and 5 below repeat this shape."],
     (5.3, 0.8, 0), 1, CLOUD, 54, cloud3),
    (4, "the standard cloud again, as cloud 4",
     ["The same shape as desc 3, but the string goes in further right, so",
      "the cloud hangs with its long side to the left, over the head. A",
      "piece whose string goes in elsewhere needs a block of its own, for",
      "the offset belongs to the block."],
     (6.5, 1.1, 0), 1, CLOUD, 54, cloud3),
    (5, "the standard cloud once more, as cloud 5",
     ["The same shape as desc 3 with the string further left, carrying",
      "segments 2 and 3 as a pair."],
     (4.1, 0.9, 0), 1, CLOUD, 54, cloud3),
    (6, "the head",
     ["It faces left, along -x: upper and lower jaw, two eyes on top, and",
      "the skull, a seven-sided prism that tapers towards the jaws. The",
      "string goes in on top of the skull, between the eyes. Typed at",
      "five thirds of its size, with the back of the skull at x=9. The",
      "mouth stands open: the lower jaw is shorter and hangs lower."],
     (5, 7, 3.9), 0.6, HEAD, 75, build_head),
    (7, "a body segment, used four times",
     ["An eight-sided prism along x, a little narrower at the top, closed",
      "at both ends, with a crest of red fur on its back in three tufts.",
      "The string goes in at the middle of the back. Typed at twice its",
      "size, with the belly at y=0 and the back at y=10."],
     (4, 10, 4), 0.5, BODY, 43, build_segment),
    (8, "the tail",
     ["Eight sides narrowing to a point at the right, the front end closed",
      "against segment 4, and a tall crest made like a cloud: puffs on top",
      "of a strip of triangles. The string goes in on the ridge, at the",
      "foot of the crest. Typed at twice its size."],
     (5, 6.5, 4), 0.5, BODY, 80, build_tail),
]

VERTEX_COLUMN = 28   # where the point numbers start


def built_block(row):
    number, _, _, offset, scale, palette, colours, build = row
    block = Block(number, offset, scale, palette, colours)
    build(block)
    block.settle_colours()
    return block


def block_lines(row):
    number, title, about = row[:3]
    block = built_block(row)

    out = ["", RULE, "//  DESC %d: %s" % (number, title.upper()), RULE]
    out += ["// " + line for line in about]
    out.append("//")
    out.append("// Colour key, by the point numbers on the vertex lines:")
    for c, pts in block.colour_key():
        if not pts:
            continue
        head = "//   %-15s %-11s " % (triple(c), COLOUR_NAMES[c])
        out += wrap(head, ranges(pts), indent="//" + " " * (len(head) - 2))
    out.append(RULE)
    out.append("desc %d: offset=%s scale=%s" % (number, triple(block.offset), num(block.scale)))
    for entry in block.entries:
        kind = entry[0]
        if kind == "begin":
            out.append("")
            out.append("sglBegin(%s)%s" % (entry[1], ";" if entry[2] else ""))
        elif kind == "end":
            out.append("sglEnd();")
        elif kind == "note":
            out.append("")
            out.append("// " + entry[1])
        elif kind == "prim":
            if out[-1] != "" and not out[-1].startswith("//"):
                out.append("")
            for p, c, label, emit in entry[1]:
                if emit:
                    out.append("sglColor3(%s);" % triple(c))
                text = "sglVertex3(%s);" % triple(p)
                if label is not None:
                    text = text.ljust(VERTEX_COLUMN - 1) + " // %d" % label
                out.append(text)
    return out


def build_text():
    assert len(HEADER) == 89, len(HEADER)
    lines = list(HEADER)
    lines.append("")
    lines += DIRECTIVE_BANNER
    lines.append(DIRECTIVE)
    lines.append("")
    lines += TREE_BANNER
    lines += ITEM_LINES
    for block in BLOCKS:
        lines += block_lines(block)
    lines += ["", "// end of the built-in mobile"]
    for line in lines:
        assert "\t" not in line and line == line.rstrip(), repr(line)
    text = "\r\n".join(lines) + "\r\n"
    data = text.encode("ascii")
    return data


def commands_built(block):
    """The block's shape commands as the checker's dump spells them."""
    out = []
    for entry in block.entries:
        if entry[0] == "begin":
            out.append(["Begin" + entry[1][3:].title()])
        elif entry[0] == "end":
            out.append(["End"])
        elif entry[0] == "prim":
            for p, c, _, emit in entry[1]:
                if emit:
                    out.append(["Color3"] + list(c))
                out.append(["Vertex3"] + [(v - o) * block.scale
                                          for v, o in zip(p, block.offset)])
    return out


def same_command(got, want):
    return got[0] == want[0] and len(got) == len(want) and all(
        abs(g - w) <= 1e-5 * max(1.0, abs(w)) for g, w in zip(got[1:], want[1:]))


def check(mobilecheck):
    """Failures of the checked-in file, in words."""
    with open(OUT, "rb") as f:
        if f.read() != build_text():
            return ["mobile/builtin_mobile.txt differs from what the generator writes"]
    plain = subprocess.run([mobilecheck, OUT], capture_output=True, text=True)
    if plain.returncode != 0 or plain.stdout or plain.stderr:
        return ["mobilecheck: " + (plain.stdout + plain.stderr).strip()]
    dump = subprocess.run([mobilecheck, "--dump", OUT], capture_output=True, text=True,
                          check=True)
    shapes = json.loads(dump.stdout)["shapes"]
    failures = []
    for row in BLOCKS:
        number = row[0]
        got = shapes[number] if number < len(shapes) else []
        want = commands_built(built_block(row))
        if len(got) != len(want):
            failures.append("desc %d: %d commands read, %d built" % (number, len(got), len(want)))
            continue
        for i, (g, w) in enumerate(zip(got, want)):
            if not same_command(g, w):
                failures.append("desc %d, command %d: read %s, built %s" % (number, i, g, w))
                break
    return failures


def main(argv):
    data = build_text()
    if "--stdout" in argv:
        sys.stdout.write(data.decode("ascii").replace("\r\n", "\n"))
        return 0
    if "--check" in argv:
        rest = argv[argv.index("--check") + 1:]
        mobilecheck = rest[0] if rest else os.path.join(
            ROOT, "build", "native", "tools", "mobilecheck", "mobilecheck")
        failures = check(mobilecheck)
        for failure in failures:
            print("FAIL:", failure)
        if not failures:
            print("mobile/builtin_mobile.txt is as generated and reads back as built")
        return 1 if failures else 0
    with open(OUT, "wb") as f:
        f.write(data)
    print("wrote %s: %d bytes, %d lines" % (os.path.relpath(OUT, ROOT), len(data),
                                           data.count(b"\r\n")))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
