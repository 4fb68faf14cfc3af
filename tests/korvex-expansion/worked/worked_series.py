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
  polynomial   (the report runs) a line, quadratic or cubic in T by least
               squares; an axis's coefficient at each temperature the
               derivative of its strain's fit, undivided; the volume's the
               derivative of the fit of ln(V/V_ref) for natural strain, else
               of V's fit divided by V's fitted value there (a line's: by the
               volume measured at the reference point); named first at the
               reference point for a line, at the median point for a
               polynomial, the axes ordered by it
  su           the standard error of that derivative from White's HC0
               covariance (X^T X)^-1 X^T diag(e_i^2) X (X^T X)^-1 of the fitted
               polynomial, divided as the coefficient is (su_fit); the tables
               carry no cell SUs (su_cells null), so su is su_fit

The report runs (REPORT_RUNS) give, besides, each axis's and the volume's su,
su_fit and su_cells, a polynomial's coefficients and sus at every temperature
(alpha_T, su_T, su_fit_T), and the volume of the reference cell.
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


# (table, strain, finite, --reference or None, --fit degree)
REPORT_RUNS = [("monoclinic.xy", "lagrangian", True, 131.15, 2),
               ("triclinic.xy", "lagrangian", False, 171.55, 1),
               ("triclinic.xy", "lagrangian", True, 248.15, 3),
               ("triclinic.xy", "natural", True, 133.35, 2)]


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


def hc0_fit(t, y, degree):
    """The polynomial's value and derivative at each t, and the derivative's
    HC0 standard error, from a fit in T less its mean."""
    x = t - t.mean()
    design = np.vander(x, degree + 1)
    beta = np.linalg.lstsq(design, y, rcond=None)[0]
    inverse = np.linalg.inv(design.T @ design)
    residuals = y - design @ beta
    covariance = inverse @ design.T @ np.diag(residuals ** 2) @ design @ inverse
    powers = np.arange(degree, -1, -1)
    gradient = np.array([[p * xi ** (p - 1) if p > 0 else 0.0 for p in powers] for xi in x])
    return design @ beta, gradient @ beta, np.sqrt(np.einsum("ij,jk,ik->i", gradient, covariance,
                                                              gradient))


def coefficients(t, y, degree, at, divisor=None):
    """alpha and su at every temperature and at index `at`, in MK^-1: the
    fit's derivative, divided by `divisor` when one is given (a number, or
    "fitted" for the fit's own value there)."""
    value, derivative, se = hc0_fit(t, y, degree)
    scale = 1.0 if divisor is None else value if divisor == "fitted" else divisor
    alpha_t = 1e6 * derivative / scale
    su_t = 1e6 * se / scale
    return alpha_t[at], su_t[at], list(alpha_t), list(su_t)


def report_keys(entry, t, y, degree, at, divisor=None):
    """The keys a report run adds to an axis or the volume: the cells carry
    no SUs, so su is the fit's."""
    alpha, su, alpha_t, su_t = coefficients(t, y, degree, at, divisor)
    entry.update(alpha=alpha, su=su, su_fit=su, su_cells=None)
    if degree > 1:
        entry.update(alpha_T=alpha_t, su_T=su_t, su_fit_T=su_t)


def analyse(rows, kind, finite, reference, degree=None):
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
    headline = ref if degree == 1 else median
    axes = []
    for k in range(3):
        strains = np.array([w[k] for w, _ in pairs])
        slope = np.polyfit(t, strains, 1)[0]
        v = pairs[point][1][:, k]
        if kind != "eulerian":
            v = bases[point] @ np.linalg.inv(bases[ref]) @ v
        uvw, angles = crystal_direction(v / np.linalg.norm(v), bases[point])
        axis = {"alpha": 1e6 * slope, "uvw": list(uvw), "angles": angles,
                "strains": list(strains)}
        if degree is not None:
            report_keys(axis, t, strains, degree, headline)
        axes.append(axis)
    axes.sort(key=lambda x: x["alpha"])
    volumes = [volume(r[1:]) for r in rows]
    if kind == "natural":
        alpha_v = 1e6 * np.polyfit(t, np.log(np.array(volumes) / volumes[ref]), 1)[0]
    else:
        alpha_v = 1e6 * np.polyfit(t, volumes, 1)[0] / volumes[ref]
    result = {"strain": kind if kind == "natural" else kind + (
                  "-finite" if finite else "-infinitesimal"),
              "reference_temperature": t[ref], "median_temperature": t[median],
              "direction_temperature": t[point], "axes": axes,
              "volume": {"alpha": alpha_v, "values": volumes}}
    if degree is not None:
        v = result["volume"]
        if kind == "natural":
            report_keys(v, t, np.log(np.array(volumes) / volumes[ref]), degree, headline)
        else:
            report_keys(v, t, np.array(volumes), degree, headline,
                        volumes[ref] if degree == 1 else "fitted")
        v["reference"] = volumes[ref]
        result["fit"] = ["linear", "quadratic", "cubic"][degree - 1]
        result["temperatures"] = list(t)
    return result


def main():
    rows = {name: write_table(name) for name in SERIES}
    runs = []
    for name, kind, finite, reference in RUNS:
        runs.append(dict(file=name, reference=reference,
                         **analyse(rows[name], kind, finite, reference)))
    for name, kind, finite, reference, degree in REPORT_RUNS:
        runs.append(dict(file=name, reference=reference,
                         **analyse(rows[name], kind, finite, reference, degree)))
    print("[" + ",\n".join(json.dumps(run) for run in runs) + "]")


main()
