#!/usr/bin/env python3
"""Reads mobile/builtin_mobile.txt the way the saver reads a mobile
description and checks it against what the built-in mobile must be.

    tools/check-builtin-mobile.py [FILE]

Exit status 0 when every check holds. The reader below follows the saver's
line rules: lines end at CR, LF or CR LF; "//" starts a comment; leading
spaces (only spaces) are skipped; the kind of line is chosen by prefix;
perspective, branch, end and desc lines are read as the C formatted scan
reads them, sgl lines by characters; vertices are offset and scaled by the
open desc block.
"""

import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# ---------------------------------------------------------------------------
# The formatted scan, as far as these formats use it

FLOAT_RE = re.compile(
    rb"[+-]?(?:inf(?:inity)?|nan(?:\([0-9A-Za-z_]*\))?"
    rb"|0[xX](?:[0-9a-fA-F]+\.?[0-9a-fA-F]*|\.[0-9a-fA-F]+)(?:[pP][+-]?[0-9]+)?"
    rb"|(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?)", re.IGNORECASE)
WHITE = b" \t\n\v\f\r"


def c_float(text):
    t = text.decode("ascii").lower()
    if "0x" in t:
        return float.fromhex(t)
    return float(t)


def scan_int(s, i):
    """%i: sign, then 0x hexadecimal, 0 octal or decimal."""
    m = re.compile(rb"[+-]?(0[xX][0-9a-fA-F]+|0[0-7]*|[1-9][0-9]*)").match(s, i)
    if not m:
        return None, i
    t = m.group(0)
    sign = -1 if t[:1] == b"-" else 1
    body = t.lstrip(b"+-")
    if body[:2].lower() == b"0x":
        v = int(body[2:], 16)
    elif body[:1] == b"0":
        v = int(body, 8)
    else:
        v = int(body)
    v *= sign
    v = (v + 2**31) % 2**32 - 2**31    # into a 32-bit int
    return v, m.end()


def sscanf(s, fmt):
    """Returns the values read, in order; stops at the first mismatch."""
    values = []
    i = 0
    k = 0
    while k < len(fmt):
        f = fmt[k:k + 2]
        if f in (b"%f", b"%i"):
            while i < len(s) and s[i] in WHITE:
                i += 1
            if f == b"%f":
                m = FLOAT_RE.match(s, i)
                if not m:
                    break
                values.append(c_float(m.group(0)))
                i = m.end()
            else:
                v, j = scan_int(s, i)
                if v is None:
                    break
                values.append(v)
                i = j
            k += 2
        elif fmt[k] in WHITE:
            while i < len(s) and s[i] in WHITE:
                i += 1
            k += 1
        else:
            if i >= len(s) or s[i] != fmt[k]:
                break
            i += 1
            k += 1
    return values


FMT_PERSPECTIVE = (b"perspective: %f,%f,%f lookat=%f timef=%f background=%f,%f,%f"
                   b" perimeter=%f thread=%f,%f,%f,%f periodicity=%f")
FMT_BRANCH = (b"branch %i: desc=%i mass=%f radius=%f above=%f string=%f"
              b" left=%f,%f,%i right=%f,%f,%i")
FMT_END = b"end %i: desc=%i mass=%f radius=%f above=%f string=%f"
FMT_DESC = b"desc %i: offset=%f,%f,%f scale=%f"


def f32(v):
    import struct
    return struct.unpack("f", struct.pack("f", v))[0]


# ---------------------------------------------------------------------------
# The reader

def parse(data):
    """Returns (settings, items, shapes, messages). items[n] is a dict or
    None; shapes[d] a list of (op, values)."""
    messages = []
    settings = {}
    items = []
    shapes = []
    current = -1
    offset = (0.0, 0.0, 0.0)
    scale = 1.0
    recording = []

    def report(ok, text):
        if not ok:
            messages.append(text)

    pos = 0
    n = len(data)
    while pos < n:
        end = pos
        while end < n and data[end] not in b"\r\n":
            end += 1
        line = data[pos:end]
        pos = end
        if pos < n and data[pos] == 13:
            pos += 1
        if pos < n and data[pos] == 10:
            pos += 1
        if 0 in line:
            line = line[:line.index(0)]
        if b"//" in line:
            line = line[:line.index(b"//")]
        line = line.lstrip(b" ")
        if not line:
            continue
        if line.startswith(b"perspective"):
            v = sscanf(line, FMT_PERSPECTIVE)
            names = ["fov", "znear", "zfar", "lookat", "timef", "background_r",
                     "background_g", "background_b", "perimeter", "thread",
                     "thread_r", "thread_g", "thread_b", "periodicity"]
            settings.update(zip(names, v))
            report(len(v) == 14, "Invalid perspective")
        elif line.startswith(b"branch") or line.startswith(b"end"):
            branch = line.startswith(b"branch")
            v = sscanf(line, FMT_BRANCH if branch else FMT_END)
            report(len(v) == (12 if branch else 6),
                   "Invalid branch" if branch else "Invalid end")
            if not v or v[0] < 0:
                continue
            keys = ["number", "desc", "mass", "radius", "above", "string",
                    "left_x", "left_y", "left_item", "right_x", "right_y",
                    "right_item"]
            record = dict(zip(keys, v))
            record["isend"] = not branch
            while len(items) <= v[0]:
                items.append(None)
            items[v[0]] = record
        elif line.startswith(b"desc"):
            if current != -1:
                shapes[current] = recording
            v = sscanf(line, FMT_DESC)
            report(len(v) in (1, 5), "invalid desc prefix")
            offset = tuple(v[1:4]) + (0.0, 0.0, 0.0)[len(v[1:4]):]
            scale = v[4] if len(v) == 5 else 1.0
            current = v[0] if v and v[0] >= 0 else -1
            recording = []
            if current >= 0:
                while len(shapes) <= current:
                    shapes.append([])
        elif line.startswith(b"sgl"):
            report(current != -1, "found an orphan sgl command")
            if b")" in line:
                line = line[:line.index(b")")]
            if b"(" in line:
                name, args = line[3:line.index(b"(")], line[line.index(b"(") + 1:]
            else:
                name, args = line[3:], b""
            if name == b"Color3":
                v = sscanf(args, b"%f,%f,%f")
                report(len(v) == 3, "invalid color3")
                recording.append(("Color3", tuple(f32(x) for x in v)))
            elif name == b"Begin":
                ops = {b"GL_TRIANGLES": "BeginTriangles", b"GL_QUADS": "BeginQuads",
                       b"GL_LINES": "BeginLines"}
                report(args in ops, "sglBegin not TRIANGLES, QUADS or LINES")
                if args in ops:
                    recording.append((ops[args], ()))
            elif name == b"Vertex3":
                v = sscanf(args, b"%f,%f,%f")
                report(len(v) == 3, "invalid Vertex3")
                v = [f32(x) for x in v] + [0.0] * (3 - len(v))
                recording.append(("Vertex3", tuple(
                    f32((f32(v[k]) - f32(offset[k])) * f32(scale)) for k in range(3))))
            elif name == b"End":
                recording.append(("End", ()))
            else:
                report(False, "unrecognised sgl command")
        else:
            report(False, "unrecognised mobile command")
    if current != -1:
        shapes[current] = recording
    report(len(items) > 1 and items[1] is not None, "item1 undefined")
    return settings, items, shapes, messages


# ---------------------------------------------------------------------------
# What the built-in mobile must hold

CLOUD = {(0.75, 0.87, 0.94), (0.63, 0.75, 0.87), (0.56, 0.65, 0.75),
         (0.44, 0.56, 0.63)}
HEAD = {(0.35, 0.82, 0.35), (0, 0.53, 0), (0, 0.44, 0), (0.42, 0.01, 0),
        (0, 0.4, 0), (0.82, 0.25, 0), (1, 0.75, 0.1), (1, 1, 0.15)}
BODY = {(0.35, 0.82, 0.35), (0, 0.53, 0), (0, 0.44, 0), (0.42, 0.01, 0),
        (1, 0.31, 0.31), (1, 0, 0), (0.78, 0, 0), (0.71, 0, 0)}

# desc: groups as (kind, primitives), colour commands, palette, extent
SHAPES = {
    1: ([("T", 14), ("Q", 8)], 50, CLOUD, ((-10, 9.3), (-3.5, 0.6), (-0.2, 0.2))),
    2: ([("T", 12), ("Q", 8)], 55, CLOUD, ((-7.1, 7.4), (-2, 1.1), (-0.2, 0.2))),
    3: ([("T", 14), ("Q", 8)], 54, CLOUD, ((-4.8, 5.8), (-0.8, 1.2), (-0.2, 0.2))),
    4: ([("T", 14), ("Q", 8)], 54, CLOUD, ((-6, 4.6), (-1.1, 0.9), (-0.2, 0.2))),
    5: ([("T", 14), ("Q", 8)], 54, CLOUD, ((-3.6, 7), (-0.9, 1.1), (-0.2, 0.2))),
    6: ([("Q", 33), ("T", 2)], 75, HEAD, ((-3.42, 2.4), (-4.2, 1.2), (-2.52, 2.64))),
    7: ([("Q", 26)], 43, BODY, ((-2, 2), (-5, 1.8), (-2, 2))),
    8: ([("T", 8), ("Q", 15), ("T", 10)], 80, BODY,
        ((-2.5, 7), (-3.25, 3.6), (-2, 2))),
}

ITEMS = {
    1: (False, 1, 2, 120, 5, 0.02, (-8.1, -2.3, 2), (6.8, -0.5, 3)),
    2: (False, 2, 0.4, 5, 4, 0.1, (-6.6, 0, 4), (3.9, -1.5, 5)),
    3: (False, 3, 0.2, 4, 11, 0.1, (-2.5, -0.4, 6), (4, -0.4, 7)),
    4: (False, 4, 0.2, 4, 3, 0.1, (-6, -1.3, 8), (1.3, -0.8, 9)),
    5: (False, 5, 0.2, 4, 5.5, 0.12, (-2.9, -0.3, 10), (3.3, -0.3, 11)),
    6: (True, 7, 0.3, 2, 5.5, 0.1),
    7: (True, 8, 0.48, 2, 6.5, 0.1),
    8: (True, 6, 0.5, 2, 8, 0.03),
    9: (True, 7, 0.41, 2, 7.2, 0.1),
    10: (True, 7, 0.3, 8, 4, 0.05),
    11: (True, 7, 0.3, 6, 4, 0.06),
}

PERSPECTIVE = (b"perspective: 45,3,90 lookat=22 timef=1 background=0.1,0.1,0.2  "
               b"perimeter=52  thread=0.08,0.2,0.2,0.3 periodicity=0")


def close(a, b, tol=1e-4):
    return abs(a - b) <= tol


def groups_of(commands):
    """[(kind, vertices, complete)] from a recorded list; kind T or Q."""
    out = []
    kind = None
    count = 0
    for op, _ in commands:
        if op in ("BeginTriangles", "BeginQuads", "BeginLines"):
            if kind is not None:
                out.append((kind, count, False))
            kind, count = op[5], 0
        elif op == "Vertex3":
            count += 1
        elif op == "End":
            out.append((kind, count, True))
            kind = None
    if kind is not None:
        out.append((kind, count, False))
    return out


def check(data):
    failures = []

    def expect(ok, text):
        if not ok:
            failures.append(text)

    # The bytes
    expect(all(b < 128 for b in data), "bytes outside ASCII")
    expect(b"\t" not in data, "tab characters")
    expect(b"\0" not in data, "NUL bytes")
    expect(data.endswith(b"\r\n"), "no CR LF after the last line")
    expect(data.count(b"\n") == data.count(b"\r\n") == data.count(b"\r"),
           "line ends other than CR LF")
    lines = data.split(b"\r\n")[:-1]
    expect(all(line == line.rstrip(b" ") for line in lines), "trailing blanks")
    expect(PERSPECTIVE in lines, "the perspective line is not the one wanted")
    expect(b"sglBegin(GL_QUADS)" in lines, "no quad Begin without its ';'")

    settings, items, shapes, messages = parse(data)
    expect(not messages, "messages: %s" % sorted(set(messages)))

    want = dict(fov=45, znear=3, zfar=90, lookat=22, timef=1, background_r=0.1,
                background_g=0.1, background_b=0.2, perimeter=52, thread=0.08,
                thread_r=0.2, thread_g=0.2, thread_b=0.3, periodicity=0)
    for k, v in want.items():
        expect(k in settings and close(settings[k], v), "setting %s" % k)

    # Items
    expect(len(items) == 12 and items[0] is None, "item table is not 12 entries")
    order = []
    for line in lines:
        m = re.match(rb"(branch|end) (\d+):", line)
        if m:
            order.append(int(m.group(2)))
    expect(order == [1, 2, 3, 4, 5, 8, 9, 10, 11, 6, 7],
           "item lines in the order %s" % order)
    total_mass = 0
    for n, row in ITEMS.items():
        it = items[n] if n < len(items) else None
        if it is None:
            failures.append("item %d missing" % n)
            continue
        total_mass += it["mass"]
        got = (it["isend"], it["desc"], it["mass"], it["radius"], it["above"],
               it["string"])
        ok = got[:2] == row[:2] and all(close(a, b) for a, b in zip(got[2:], row[2:6]))
        if not row[0]:
            ok = ok and all(close(a, b) for a, b in zip(
                (it["left_x"], it["left_y"], it["left_item"],
                 it["right_x"], it["right_y"], it["right_item"]),
                row[6] + row[7]))
        expect(ok, "item %d: %s" % (n, it))
    expect(close(total_mass, 5.29), "total mass %.4f" % total_mass)

    # Shapes
    expect(len(shapes) == 9 and shapes[0] == [], "shape table is not 9 entries")
    stats = []
    all_vertices = all_colours = 0
    for d, (want_groups, want_colours, palette, extent) in SHAPES.items():
        cmds = shapes[d] if d < len(shapes) else []
        groups = groups_of(cmds)
        per = {"T": 3, "Q": 4}
        got_groups = []
        for kind, count, complete in groups:
            expect(complete, "desc %d: a group without its end" % d)
            expect(kind in per and count % per.get(kind, 1) == 0,
                   "desc %d: an incomplete primitive" % d)
            got_groups.append((kind, count // per.get(kind, 1)))
        expect(got_groups == want_groups, "desc %d: groups %s" % (d, got_groups))
        colours = [v for op, v in cmds if op == "Color3"]
        vertices = [v for op, v in cmds if op == "Vertex3"]
        expect(len(colours) == want_colours,
               "desc %d: %d colour commands" % (d, len(colours)))
        wanted = {tuple(f32(c) for c in col) for col in palette}
        used = set(colours)
        expect(used == wanted, "desc %d: colours %s" % (d, sorted(used ^ wanted)))
        expect(cmds and cmds[0][0] != "Vertex3", "desc %d: vertex before colour" % d)
        got_extent = []
        for axis in range(3):
            lo = min(v[axis] for v in vertices)
            hi = max(v[axis] for v in vertices)
            got_extent.append((lo, hi))
            expect(abs(lo - extent[axis][0]) <= 0.01 and abs(hi - extent[axis][1]) <= 0.01,
                   "desc %d: extent %s %.3f to %.3f" % (d, "xyz"[axis], lo, hi))
        all_vertices += len(vertices)
        all_colours += len(colours)
        stats.append((d, got_groups, len(vertices), len(colours), got_extent))
    expect(all_vertices == 720, "%d vertices in all" % all_vertices)
    expect(all_colours == 465, "%d colour commands in all" % all_colours)
    return failures, stats, len(data), len(lines)


def check_file(path):
    with open(path, "rb") as f:
        data = f.read()
    failures, stats, size, count = check(data)
    print("%s: %d bytes, %d lines" % (os.path.relpath(path, ROOT), size, count))
    print("desc  groups                         vertices colours  extent x; y; z")
    for d, groups, nv, nc, ext in stats:
        g = ", ".join("%d %s" % (n, "triangles" if k == "T" else "quads")
                      for k, n in groups)
        e = "; ".join("%.2f to %.2f" % (lo + 0.0, hi + 0.0) for lo, hi in ext)
        print("%4d  %-30s %8d %7d  %s" % (d, g, nv, nc, e))
    print("total %-30s %8d %7d" % ("", sum(s[2] for s in stats), sum(s[3] for s in stats)))
    if failures:
        for f in failures:
            print("FAIL:", f)
        return 1
    print("all checks hold")
    return 0


if __name__ == "__main__":
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        ROOT, "mobile", "builtin_mobile.txt")
    sys.exit(check_file(target))
