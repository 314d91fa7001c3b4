#!/usr/bin/env python3
"""Draws the built-in mobile into a picture, to look at while authoring it.

    tools/preview-builtin-mobile.py OUT.ppm [--lat 20] [--lon 0] [--time T]
                                    [--size 800x600]

The camera is placed as the saver places it (latitude, longitude, the
description's perimeter and lookat, its field of view). Without --time every
item stands at angle 0; with --time T the items are turned as the motion has
them T scaled seconds after the start. Triangles and quads are filled with
their corner colours blended and a depth buffer; strings are drawn as thin
lines. Plain Python, so it takes a few seconds.
"""

import math
import os
import runpy
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
reader = runpy.run_path(os.path.join(HERE, "check-builtin-mobile.py"), run_name="reader")


def prepare(items, n, periodicity):
    """Total mass and angular frequency of every item, as the motion has them."""
    it = items[n]
    m = it["radius"] * it["mass"] * it["radius"]
    it["totalmass"] = it["mass"]
    inertia = m
    if not it["isend"]:
        left = prepare(items, it["left_item"], periodicity)
        right = prepare(items, it["right_item"], periodicity)
        it["totalmass"] = right["totalmass"] + it["mass"] + left["totalmass"]
        inertia = (it["left_x"] ** 2 * left["totalmass"] + m
                   + it["right_x"] ** 2 * right["totalmass"])
    omega = 1.0 if inertia == 0 else 1.0 / math.sqrt(inertia)
    if periodicity:
        k = math.floor(omega * (periodicity / math.pi) * 0.5 + 0.5) or 1
        omega = (math.pi / periodicity) * k * 2
    it["omega"] = omega
    return it


def mat_mul(a, b):
    return [[sum(a[i][k] * b[k][j] for k in range(4)) for j in range(4)] for i in range(4)]


def rot_y(deg):
    c, s = math.cos(math.radians(deg)), math.sin(math.radians(deg))
    return [[c, 0, s, 0], [0, 1, 0, 0], [-s, 0, c, 0], [0, 0, 0, 1]]


def trans(x, y, z):
    return [[1, 0, 0, x], [0, 1, 0, y], [0, 0, 1, z], [0, 0, 0, 1]]


def apply(m, p):
    return tuple(m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2] + m[i][3] for i in range(3))


def walk(items, shapes, n, matrix, angles, out_tris, out_lines):
    it = items[n]
    matrix = mat_mul(matrix, rot_y(angles.get(n, 0.0)))
    top = apply(matrix, (0, 0, 0))
    matrix = mat_mul(matrix, trans(0, -it["above"], 0))
    out_lines.append((top, apply(matrix, (0, 0, 0))))
    colour = (0.2, 0.2, 0.3)
    kind = None
    verts = []
    for op, v in shapes[it["desc"]]:
        if op == "Color3":
            colour = v
        elif op.startswith("Begin"):
            kind, verts = op, []
        elif op == "Vertex3":
            verts.append((apply(matrix, v), colour))
            per = 3 if kind == "BeginTriangles" else 4
            if len(verts) == per:
                out_tris.append(verts[:3])
                if per == 4:
                    out_tris.append([verts[0], verts[2], verts[3]])
                verts = []
    if not it["isend"]:
        for side in ("left", "right"):
            walk(items, shapes, it[side + "_item"],
                 mat_mul(matrix, trans(it[side + "_x"], it[side + "_y"], 0)),
                 angles, out_tris, out_lines)


def render(path, lat, lon, time, width, height):
    with open(os.path.join(ROOT, "mobile", "builtin_mobile.txt"), "rb") as f:
        settings, items, shapes, messages = reader["parse"](f.read())
    for m in messages:
        print("message:", m)
    prepare(items, 1, settings["periodicity"])
    angles = {}
    if time is not None:
        def set_angles(n):
            it = items[n]
            angles[n] = math.sin(time * it["omega"]) * it["totalmass"] * math.pi / it["string"]
            if not it["isend"]:
                set_angles(it["left_item"])
                set_angles(it["right_item"])
        set_angles(1)

    tris, lines = [], []
    walk(items, shapes, 1, trans(0, 0, 0), angles, tris, lines)

    # Camera
    factor = 0.01745328888888889
    la, lo = lat * factor, lon * factor
    per, look = settings["perimeter"], settings["lookat"]
    eye = (per * math.cos(lo) * math.cos(la), per * math.sin(la) - look,
           per * math.sin(lo) * math.cos(la))
    centre = (0, -look, 0)
    fwd = [c - e for c, e in zip(centre, eye)]
    norm = math.sqrt(sum(c * c for c in fwd))
    fwd = [c / norm for c in fwd]
    up = (0, 1, 0)
    side = [fwd[1] * up[2] - fwd[2] * up[1], fwd[2] * up[0] - fwd[0] * up[2],
            fwd[0] * up[1] - fwd[1] * up[0]]
    norm = math.sqrt(sum(c * c for c in side))
    side = [c / norm for c in side]
    upv = [side[1] * fwd[2] - side[2] * fwd[1], side[2] * fwd[0] - side[0] * fwd[2],
           side[0] * fwd[1] - side[1] * fwd[0]]
    f = 1.0 / math.tan(math.radians(settings["fov"]) / 2)
    aspect = width / height

    def project(p):
        d = [a - b for a, b in zip(p, eye)]
        x = sum(a * b for a, b in zip(d, side))
        y = sum(a * b for a, b in zip(d, upv))
        z = sum(a * b for a, b in zip(d, fwd))
        sx = (x * f / aspect / z * 0.5 + 0.5) * width
        sy = (0.5 - y * f / z * 0.5) * height
        return sx, sy, z

    bg = (settings["background_r"], settings["background_g"], settings["background_b"])
    pixels = [list(bg) for _ in range(width * height)]
    depth = [float("inf")] * (width * height)

    for tri in tris:
        pts = [project(p) for p, _ in tri]
        cols = [c for _, c in tri]
        (x0, y0, z0), (x1, y1, z1), (x2, y2, z2) = pts
        area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0)
        if abs(area) < 1e-9:
            continue
        minx, maxx = max(int(min(x0, x1, x2)), 0), min(int(max(x0, x1, x2)) + 1, width - 1)
        miny, maxy = max(int(min(y0, y1, y2)), 0), min(int(max(y0, y1, y2)) + 1, height - 1)
        for py in range(miny, maxy + 1):
            cy = py + 0.5
            for px in range(minx, maxx + 1):
                cx = px + 0.5
                w0 = ((x1 - cx) * (y2 - cy) - (x2 - cx) * (y1 - cy)) / area
                w1 = ((x2 - cx) * (y0 - cy) - (x0 - cx) * (y2 - cy)) / area
                w2 = 1 - w0 - w1
                if w0 < 0 or w1 < 0 or w2 < 0:
                    continue
                z = w0 * z0 + w1 * z1 + w2 * z2
                i = py * width + px
                if z < depth[i]:
                    depth[i] = z
                    pixels[i] = [w0 * cols[0][k] + w1 * cols[1][k] + w2 * cols[2][k]
                                 for k in range(3)]
    thread = (settings["thread_r"], settings["thread_g"], settings["thread_b"])
    for a, b in lines:
        (xa, ya, za), (xb, yb, zb) = project(a), project(b)
        steps = int(max(abs(xb - xa), abs(yb - ya))) + 1
        for s in range(steps + 1):
            t = s / steps
            x, y, z = xa + (xb - xa) * t, ya + (yb - ya) * t, za + (zb - za) * t
            px, py = int(x), int(y)
            if 0 <= px < width and 0 <= py < height and z <= depth[py * width + px]:
                pixels[py * width + px] = list(thread)

    with open(path, "wb") as out:
        out.write(b"P6 %d %d 255\n" % (width, height))
        out.write(bytes(max(0, min(255, int(c * 255 + 0.5))) for p in pixels for c in p))


def main(argv):
    if not argv:
        print(__doc__)
        return 2
    path = argv[0]
    opts = dict(zip(argv[1::2], argv[2::2]))
    w, h = (int(v) for v in opts.get("--size", "800x600").split("x"))
    time = float(opts["--time"]) if "--time" in opts else None
    render(path, float(opts.get("--lat", 20)), float(opts.get("--lon", 0)), time, w, h)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
