#!/usr/bin/env python3
"""Makes the example series: three transmission scans of the copper foil of
examples/cu_foil.dat with a copper reference foil behind the sample, taken by
a monochromator whose energy reads 0, +1.7 and -2.35 eV off, each with its
own Gaussian noise (0.2 % of the jump, seeded). Columns: energy (eV), I0,
I1 (after the sample), Iref (after the reference foil).

    python3 examples/series/make.py     (writes cu_scan1.dat ... cu_scan3.dat beside it)
"""
import math
import os
import random

here = os.path.dirname(os.path.abspath(__file__))
points = []
with open(os.path.join(here, "..", "cu_foil.dat")) as f:
    for line in f:
        fields = line.split()
        if len(fields) >= 2 and not line.startswith("#"):
            points.append((float(fields[0]), float(fields[1])))


def copper(e):
    """The foil's absorption at e, interpolated linearly."""
    lo, hi = 0, len(points) - 1
    if e <= points[0][0]:
        return points[0][1]
    if e >= points[-1][0]:
        return points[-1][1]
    while hi - lo > 1:
        mid = (lo + hi) // 2
        if points[mid][0] <= e:
            lo = mid
        else:
            hi = mid
    (e0, a0), (e1, a1) = points[lo], points[hi]
    return a0 + (e - e0) / (e1 - e0) * (a1 - a0)


for number, shift in enumerate([0.0, 1.7, -2.35], start=1):
    rng = random.Random(20261209 + number)
    with open(os.path.join(here, "cu_scan%d.dat" % number), "w") as out:
        out.write("# synthetic copper scan %d: the monochromator reads %+.2f eV off\n" % (number, shift))
        out.write("# energy i0 itrans irefer\n")
        for e, _ in points:
            mu = copper(e + shift) + rng.gauss(0.0, 0.005)
            itrans = 1.0e6 * math.exp(-mu)
            irefer = itrans * math.exp(-copper(e + shift))
            out.write("%.4f 1.000000e+06 %.6e %.6e\n" % (e, itrans, irefer))
