#!/usr/bin/python3
"""The worked series of tests/korvex-expansion/worked_series_test.cc.

Writes two tables as korvex writes them (monoclinic.xy, triclinic.xy, beside
this script) and prints, for each run of korvex-expansion the test makes, what
the run must give in the keys of the program's JSON; the test reads that output
from expected.json:

    /usr/bin/python3 worked_series.py > expected.json

Everything here follows the textbook definitions, worked from the decimals the
tables hold:
  basis B      columns a, b, c in a Cartesian frame with a along x and b in the
               x-y plane (infinitesimal strains depend on the frame, since they
               are not blind to each cell being turned its own way)
  F            the deformation gradient from the reference basis: B = F B_ref
  strains      natural ln U = V diag(ln sqrt(w)) V^T from the eigenpairs (w, V)
               of F^T F, Lagrangian finite E = (F^T F - I) / 2, Eulerian finite
               e = (I - F^-T F^-1) / 2, Lagrangian infinitesimal (F + F^T) / 2 - I,
               Eulerian infinitesimal I - (F^-1 + F^-T) / 2 (the symmetric part of
               the displacement gradient taken against the deformed positions)
  axes         the eigenvectors of each strain, each axis followed over the
               series by its overlap with the axes at the point furthest from
               the reference; X1 X2 X3 in ascending coefficient
  alpha        the slope of the least-squares line through an axis's strains;
               the volume's: for natural strain the slope of ln(V/V_ref), else
               the slope of V over the volume at the reference point; for two
               points the line is the secant
  directions   at the median, in temperature, of the points whose temperature
               is not the reference's (number ceil(M/2) of M, ties in file
               order); [uvw] = B^-1 v normalised, its largest component
               positive, B that point's cell; a natural or Lagrangian direction,
               a line of the reference state, carried into it by its F
  angles       between the direction and a, b, c
"""

import json
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
    "returning.xy": ("Worked series back to its start", "monoclinic  ", "   C", monoclinic,
                     [100.45, 190.25, 281.05, 100.45]),
    "pair.xy": ("Worked pair", "triclinic   ", "   P", triclinic, [95.15, 293.15]),
    "monoclinic.xy": ("Worked monoclinic series", "monoclinic  ", "   C", monoclinic,
                      [100.45, 131.15, 160.85, 190.25, 220.65, 250.35, 281.05]),
    "triclinic.xy": ("Worked triclinic series", "triclinic   ", "   P", triclinic,
                     [95.15, 133.35, 171.55, 209.95, 248.15, 286.35]),
}

# (table, strain, finite, --reference or None)
RUNS = [("monoclinic.xy", kind, finite, reference) for kind, finite, reference in (
    ("eulerian", True, None), ("eulerian", False, 250.35), ("lagrangian", True, 190.25),
    ("lagrangian", False, 190.25), ("natural", True, None))] + [
    ("triclinic.xy", kind, finite, reference) for kind, finite, reference in (
        ("eulerian", True, 209.95), ("eulerian", False, None), ("lagrangian", True, 171.55),
        ("lagrangian", False, 171.55), ("lagrangian", True, None), ("natural", True, 171.55))] + [
    ("returning.xy", "natural", True, None), ("pair.xy", "natural", True, None),
    ("pair.xy", "lagrangian", True, None)]


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


def strain(f, kind, finite):
    i = np.eye(3)
    if kind == "natural":
        w, v = np.linalg.eigh(f.T @ f)
        return v @ np.diag(0.5 * np.log(w)) @ v.T
    if kind == "lagrangian":
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


def analyse(rows, kind, finite, reference):
    """What korvex-expansion --format json gives, in its keys."""
    t = np.array([r[0] for r in rows])
    n = len(rows)
    ref = 0 if reference is None else int(np.argmin(np.abs(t - reference)))
    bases = [basis(r[1:]) for r in rows]
    pairs = [np.linalg.eigh(strain(b @ np.linalg.inv(bases[ref]), kind, finite))
             for b in bases]
    far = int(np.argmax(np.abs(t - t[ref])))
    pairs = [order_like(w, v, pairs[far][1]) for w, v in pairs]
    median = sorted(range(n), key=lambda i: t[i])[(n + 1) // 2 - 1]
    away = sorted((i for i in range(n) if abs(t[i] - t[ref]) > 0.005), key=lambda i: t[i])
    point = away[(len(away) + 1) // 2 - 1]
    axes = []
    for k in range(3):
        strains = np.array([w[k] for w, _ in pairs])
        slope = np.polyfit(t, strains, 1)[0]
        v = pairs[point][1][:, k]
        if kind != "eulerian":
            v = bases[point] @ np.linalg.inv(bases[ref]) @ v
        uvw, angles = crystal_direction(v / np.linalg.norm(v), bases[point])
        axes.append({"alpha": 1e6 * slope, "uvw": list(uvw), "angles": angles,
                     "strains": list(strains)})
    axes.sort(key=lambda x: x["alpha"])
    volumes = [volume(r[1:]) for r in rows]
    if kind == "natural":
        alpha_v = 1e6 * np.polyfit(t, np.log(np.array(volumes) / volumes[ref]), 1)[0]
    else:
        alpha_v = 1e6 * np.polyfit(t, volumes, 1)[0] / volumes[ref]
    return {"strain": kind if kind == "natural" else kind + (
                "-finite" if finite else "-infinitesimal"),
            "reference_temperature": t[ref], "median_temperature": t[median],
            "direction_temperature": t[point], "axes": axes,
            "volume": {"alpha": alpha_v, "values": volumes}}


def main():
    rows = {name: write_table(name) for name in SERIES}
    runs = []
    for name, kind, finite, reference in RUNS:
        runs.append(dict(file=name, reference=reference,
                         **analyse(rows[name], kind, finite, reference)))
    print("[" + ",\n".join(json.dumps(run) for run in runs) + "]")


main()
