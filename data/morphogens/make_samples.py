#!/usr/bin/env python3
"""Makes the morphogen samples in this folder from real meshes of the shared test data.

Each sample is the source mesh's vertices and triangles (polygons as fans) written as
Vostrel OBJ with an "mn" line naming its morphogens and one "m" line of values per
vertex, computed from the geometry:

  height   the vertex's height (y) scaled to 0..1 over the mesh
  front    1 at the front-most vertex (largest z), falling linearly to 0 at the
           vertex farthest from it
  span     |x| scaled to 0..1 (distance from the mesh's middle plane), plane only
  convex   a curvature estimate: the umbrella Laplacian (mean of the neighbours minus
           the vertex) against the outward vertex normal, divided by the mean length of
           the vertex's edges, scaled so that the 95th percentile of its size is 1 and
           clamped to -1..1; positive on bumps and ridges
  concave  the same with the sign turned: positive in hollows and creases

Values that are not positive leave a vertex alone in the viewer, so convex and concave
each colour one side. Numbers are written in plain decimal (the OBJ reader takes no
exponents). A .mor file beside each mesh switches a few of them on.

Usage: python3 data/morphogens/make_samples.py [SHARED_DATA]
(default: ../shared/data relative to the project folder).
"""

import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
PROJECT = os.path.dirname(os.path.dirname(HERE))


def read_obj(path):
    vertices, triangles = [], []
    with open(path, encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if not parts:
                continue
            if parts[0] == "v":
                vertices.append(tuple(float(p) for p in parts[1:4]))
            elif parts[0] == "f":
                corners = []
                for p in parts[1:]:
                    n = int(p.split("/")[0])
                    corners.append(n - 1 if n > 0 else len(vertices) + n)
                for k in range(1, len(corners) - 1):
                    triangles.append((corners[0], corners[k], corners[k + 1]))
    return vertices, triangles


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def length(a):
    return math.sqrt(dot(a, a))


def scaled(values):
    lo, hi = min(values), max(values)
    return [(v - lo) / (hi - lo) if hi > lo else 0.0 for v in values]


def height(vertices):
    return scaled([v[1] for v in vertices])


def front(vertices):
    tip = max(vertices, key=lambda v: v[2])
    d = [length(sub(v, tip)) for v in vertices]
    far = max(d)
    return [1.0 - x / far for x in d]


def span(vertices):
    lo = min(v[0] for v in vertices)
    hi = max(v[0] for v in vertices)
    middle = (lo + hi) / 2
    return scaled([abs(v[0] - middle) for v in vertices])


def convexity(vertices, triangles):
    n = len(vertices)
    normals = [(0.0, 0.0, 0.0)] * n
    neighbours = [set() for _ in range(n)]
    for a, b, c in triangles:
        # Area-weighted face normal, corners counter-clockwise.
        fn = cross(sub(vertices[b], vertices[a]), sub(vertices[c], vertices[a]))
        for v in (a, b, c):
            normals[v] = (normals[v][0] + fn[0], normals[v][1] + fn[1], normals[v][2] + fn[2])
        neighbours[a] |= {b, c}
        neighbours[b] |= {a, c}
        neighbours[c] |= {a, b}
    # Make the normals point outwards, whatever the file's winding.
    centre = tuple(sum(v[k] for v in vertices) / n for k in range(3))
    outward = sum(dot(normals[i], sub(vertices[i], centre)) for i in range(n))
    sign = 1.0 if outward >= 0 else -1.0
    raw = []
    for i in range(n):
        ring = neighbours[i]
        nl = length(normals[i])
        if not ring or nl == 0:
            raw.append(0.0)
            continue
        mean = tuple(sum(vertices[j][k] for j in ring) / len(ring) for k in range(3))
        edge = sum(length(sub(vertices[j], vertices[i])) for j in ring) / len(ring)
        lap = sub(mean, vertices[i])
        normal = tuple(sign * x / nl for x in normals[i])
        # On a bump the neighbours' mean lies below the vertex: against the normal.
        raw.append(-dot(lap, normal) / edge if edge > 0 else 0.0)
    sizes = sorted(abs(x) for x in raw)
    scale = sizes[int(0.95 * (len(sizes) - 1))] or 1.0
    return [max(-1.0, min(1.0, x / scale)) for x in raw]


def plain(x):
    """Six significant digits, never in exponent form."""
    text = "%.6g" % x
    if "e" in text:
        text = ("%.12f" % x).rstrip("0").rstrip(".")
    return "0" if text in ("", "-0") else text


def write_sample(name, source, licence, vertices, triangles, morphogens, mor):
    names = [m[0] for m in morphogens]
    columns = [m[1] for m in morphogens]
    path = os.path.join(HERE, name + ".obj")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("# %s with morphogens computed from its geometry by make_samples.py\n" % source)
        f.write("# %s\n" % licence)
        f.write("mn " + " ".join(names) + "\n")
        for v in vertices:
            f.write("v %s %s %s\n" % tuple(plain(x) for x in v))
        for i in range(len(vertices)):
            f.write("m " + " ".join(plain(c[i]) for c in columns) + "\n")
        for t in triangles:
            f.write("f %d %d %d\n" % (t[0] + 1, t[1] + 1, t[2] + 1))
    base, mixmode, entries = mor
    with open(os.path.join(HERE, name + ".mor"), "w", encoding="utf-8", newline="\n") as f:
        f.write("SIZE %d\n" % len(entries))
        f.write("BASECOL %d %d %d\n" % base)
        f.write("MIXMODE %d\n" % mixmode)
        for r, g, b, on in entries:
            f.write("MORPHO\t%d %d %d %d\n" % (r, g, b, on))
    print("%s: %d vertices, %d triangles, morphogens %s" %
          (path, len(vertices), len(triangles), " ".join(names)))


def main():
    shared = sys.argv[1] if len(sys.argv) > 1 else os.path.join(PROJECT, "..", "shared", "data")
    meshes = os.path.join(shared, "meshes")

    vertices, triangles = read_obj(os.path.join(meshes, "spot_triangulated.obj"))
    convex = convexity(vertices, triangles)
    write_sample(
        "spot_morphogens", "Spot by Keenan Crane (spot_triangulated.obj)",
        "Spot: public domain (Keenan Crane)", vertices, triangles,
        [("height", height(vertices)), ("front", front(vertices)), ("convex", convex),
         ("concave", [-x for x in convex])],
        ((40, 40, 40), 0,
         [(255, 190, 0, 1), (0, 110, 255, 1), (255, 0, 0, 0), (0, 255, 90, 0)]))

    vertices, triangles = read_obj(os.path.join(meshes, "raylib_plane.obj"))
    write_sample(
        "plane_morphogens", "plane by GiaHanLam (raylib examples, plane.obj)",
        "plane: CC-BY 4.0, GiaHanLam (Sketchfab); changed: morphogens added, "
        "normals and texture coordinates left out", vertices, triangles,
        [("height", height(vertices)), ("front", front(vertices)), ("span", span(vertices))],
        ((255, 255, 255), 1, [(0, 0, 255, 1), (255, 255, 0, 0), (255, 0, 0, 1)]))


if __name__ == "__main__":
    main()
