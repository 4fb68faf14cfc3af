#!/usr/bin/python3
"""The worked series of tests/korvex-expansion/worked_series_test.cc.

Writes two tables as korvex writes them (monoclinic.xy, triclinic.xy, beside
this script) and prints, for each run of korvex-expansion the test makes, what
the run must give; the test reads that output from expected.txt:

    /usr/bin/python3 worked_series.py > expected.txt

Everything here follows the textbook definitions, worked from the decimals the
tables hold:
  basis B      columns a, b, c in a Cartesian frame with a along x and b in the
               x-y plane (infinitesimal strains depend on the frame, since they
               are not blind to each cell being turned its own way)
  F            the deformation gradient from the reference basis: B = F B_ref
  strains      Lagrangian finite E = (F^T F - I) / 2, Eulerian finite
               e = (I - F^-T F^-1) / 2, Lagrangian infinitesimal (F + F^T) / 2 - I,
               Eulerian infinitesimal I - (F^-1 + F^-T) / 2 (the symmetric part of
               the displacement gradient taken against the deformed positions)
  axes         the eigenvectors of each strain, each axis followed over the
               series by its overlap with the axes at the point furthest from
               the reference; X1 X2 X3 in ascending coefficient
  alpha        the slope of the least-squares line through an axis's strains,
               divided by the line's value at the reference temperature of the
               length it stands for, 1 + strain; the volume's slope divided by
               its line's value at the reference temperature
  directions   at the median point (the middle temperature), or the next row
               when that is the reference; [uvw] = B^-1 v normalised, its
               largest component positive, B the cell the direction is read
               against: the cell at that point for Eulerian strain; for
               Lagrangian strain, a line of the reference state, the median
               cell, v carried into it by that cell's F
  angles       between the direction and a, b, c
"""

import math
import os

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))


def monoclinic(t):
    d = t - 100.45
    return (10.2134 * (1 + 9e-6 * d + 2e-9 * d * d), 6.0871 * (1 + 4e-6 * d),
            8.3452 * (1 + 16e-6 * d), 90.0, 105.312 + 5e-4 * d, 90.0)


def triclinic(t):
    d = t - 95.15
    return (7.1235 * (1 + 12e-6 * d), 7.2 * (1 + 5e-6 * d - 3e-9 * d * d),
            9.8765 * (1 + 20e-6 * d), 82.105 + 7e-4 * d, 104.234 - 4e-4 * d,
            91.5 + 3e-4 * d)


SERIES = {
    "monoclinic.xy": ("Worked monoclinic series", "monoclinic  ", "   C", monoclinic,
                      [100.45, 131.15, 160.85, 190.25, 220.65, 250.35, 281.05]),
    "triclinic.xy": ("Worked triclinic series", "triclinic   ", "   P", triclinic,
                     [95.15, 133.35, 171.55, 209.95, 248.15]),
}

# (table, lagrangian, finite, --reference or None)
RUNS = [("monoclinic.xy", lagrangian, finite, reference) for lagrangian, finite, reference in (
    (False, True, None), (False, False, 250.35), (True, True, 190.25), (True, False, 190.25))] + [
    ("triclinic.xy", lagrangian, finite, reference) for lagrangian, finite, reference in (
        (False, True, 209.95), (False, False, None), (True, True, 171.55), (True, False, 171.55),
        (True, True, None))]


def volume(p):
    a, b, c = p[:3]
    ca, cb, cg = (math.cos(math.radians(x)) for x in p[3:])
    return a * b * c * math.sqrt(1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg)


def write_table(name):
    """The table with the row layout F6.2, 3F12.5, 3F12.3, F13.3, 2X, A12, A4;
    returns its rows as the decimals written."""
    title, system, lattice, cell, temperatures = SERIES[name]
    lines = ["! " + title] + ([
        "! Cell parameters extracted from input cell.",
        "! Bravais lattice and volume are related to conventionnal unit cell."]
        if lattice.strip() == "P" else ["! Cell parameters extracted from conventionnal cell."])
    lines += ["!   TK        a(A)        b(A)        c(A)  alpha(deg)   beta(deg)   gamma(deg)"
              "  volume(A3)  symmetry       Bravais  ", "!" + "-" * 200]
    rows = []
    for t in temperatures:
        p = cell(t)
        text = "%6.2f%12.5f%12.5f%12.5f%12.3f%12.3f%12.3f" % ((t,) + p)
        text += "%13.3f  %s%s" % (volume(p), system, lattice)
        lines.append(text)
        rows.append([float(text[i:i + w]) for i, w in
                     ((0, 6), (6, 12), (18, 12), (30, 12), (42, 12), (54, 12), (66, 12))])
    with open(os.path.join(HERE, name), "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode())
    return rows


def basis(p):
    a, b, c = p[:3]
    ca, cb, cg = (math.cos(math.radians(x)) for x in p[3:])
    sg = math.sin(math.radians(p[5]))
    cy = c * (ca - cb * cg) / sg
    cz = volume(p) / (a * b * sg)
    return np.array([[a, b * cg, c * cb], [0, b * sg, cy], [0, 0, cz]])


def strain(f, lagrangian, finite):
    i = np.eye(3)
    if lagrangian:
        return (f.T @ f - i) / 2 if finite else (f + f.T) / 2 - i
    g = np.linalg.inv(f)
    return (i - g.T @ g) / 2 if finite else i - (g + g.T) / 2


def order_like(values, vectors, guide):
    """The eigenpairs in the order of the guide's axes, by the greatest sum of
    squared overlaps."""
    best = max(((p, sum((guide[:, k] @ vectors[:, p[k]]) ** 2 for k in range(3)))
                for p in ((0, 1, 2), (0, 2, 1), (1, 0, 2), (1, 2, 0), (2, 0, 1), (2, 1, 0))),
               key=lambda x: x[1])[0]
    return values[list(best)], vectors[:, list(best)]


def crystal_direction(v, cell_basis):
    uvw = np.linalg.solve(cell_basis, v)
    uvw /= np.linalg.norm(uvw)
    if uvw[np.argmax(np.abs(uvw))] < 0:
        uvw, v = -uvw, -v
    angles = [math.degrees(math.acos(v @ cell_basis[:, k] / np.linalg.norm(cell_basis[:, k])))
              for k in range(3)]
    return uvw, angles


def analyse(rows, lagrangian, finite, reference):
    t = np.array([r[0] for r in rows])
    n = len(rows)
    ref = 0 if reference is None else int(np.argmin(np.abs(t - reference)))
    bases = [basis(r[1:]) for r in rows]
    pairs = [np.linalg.eigh(strain(b @ np.linalg.inv(bases[ref]), lagrangian, finite))
             for b in bases]
    far = int(np.argmax(np.abs(t - t[ref])))
    pairs = [order_like(w, v, pairs[far][1]) for w, v in pairs]
    median = (n + 1) // 2 - 1
    point = median if median != ref else (median + 1 if median + 1 < n else 0)
    read_against = bases[median] if lagrangian else bases[point]
    axes = []
    for k in range(3):
        strains = np.array([w[k] for w, _ in pairs])
        slope, intercept = np.polyfit(t, strains, 1)
        alpha = slope / (1 + intercept + slope * t[ref])
        v = pairs[point][1][:, k]
        if lagrangian:
            v = bases[median] @ np.linalg.inv(bases[ref]) @ v
        uvw, angles = crystal_direction(v / np.linalg.norm(v), read_against)
        axes.append((alpha, uvw, angles, strains))
    axes.sort(key=lambda x: x[0])
    volumes = np.array([volume(r[1:]) for r in rows])
    slope, intercept = np.polyfit(t, volumes, 1)
    return axes, slope / (intercept + slope * t[ref]), volumes


def numbers(values):
    return " ".join("%.17g" % (0 if abs(x) < 1e-12 else x) for x in values)


def main():
    rows = {name: write_table(name) for name in SERIES}
    for name, lagrangian, finite, reference in RUNS:
        axes, alpha_v, volumes = analyse(rows[name], lagrangian, finite, reference)
        print("run %s %s-%s %s" % (name, "lagrangian" if lagrangian else "eulerian",
                                   "finite" if finite else "infinitesimal",
                                   "%.2f" % reference if reference else "-"))
        for k, (alpha, uvw, angles, strains) in enumerate(axes):
            print("X%d %.17g %s %s" % (k + 1, alpha * 1e6, numbers(uvw), numbers(angles)))
            print("X%d_strains %s" % (k + 1, numbers(strains)))
        print("V %.17g %s" % (alpha_v * 1e6, numbers(volumes)))


main()
