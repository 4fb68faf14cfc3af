#!/usr/bin/env python3
"""Writes the bundled example series: a buffer file and ten DIRAX-like cell-output
files of one made-up crystal (C-centred monoclinic) measured from 100 K to 325 K.

The values change smoothly with temperature: the conventional cell expands
anisotropically, beta opens slightly, and the input cell is the primitive cell
that an indexing run would find first. Every file holds the three lines korvex
recognises among lines of other log text, as a real indexing log would.

Usage: make_example_series.py [FOLDER]   (default: examples/ beside tools/)
"""
import math
import os
import sys


def conventional(t):
    """Conventional cell (a, b, c in A; beta in degrees) at temperature t (K)."""
    dt = t - 100.0
    a = 10.2134 * (1 + 11.0e-6 * dt + 6.0e-9 * dt * dt)
    b = 6.0871 * (1 + 4.0e-6 * dt)
    c = 8.3452 * (1 + 19.0e-6 * dt + 9.0e-9 * dt * dt)
    beta = 105.312 + 0.00042 * dt
    return a, b, c, beta


def vec(a, b, c, beta):
    br = math.radians(beta)
    return (a, 0.0, 0.0), (0.0, b, 0.0), (c * math.cos(br), 0.0, c * math.sin(br))


def length(v):
    return math.sqrt(sum(x * x for x in v))


def angle(u, v):
    dot = sum(x * y for x, y in zip(u, v))
    return math.degrees(math.acos(dot / (length(u) * length(v))))


def primitive(a, b, c, beta):
    """The primitive cell of the C-centred cell: (A+B)/2, (A-B)/2, C."""
    A, B, C = vec(a, b, c, beta)
    p1 = tuple((x + y) / 2 for x, y in zip(A, B))
    p2 = tuple((x - y) / 2 for x, y in zip(A, B))
    p3 = C
    return (length(p1), length(p2), length(p3),
            angle(p2, p3), angle(p1, p3), angle(p1, p2))


def volume(a, b, c, beta):
    return a * b * c * math.sin(math.radians(beta))


def dirax_text(t, index):
    a, b, c, beta = conventional(t)
    pa, pb, pc, pal, pbe, pga = primitive(a, b, c, beta)
    v = volume(a, b, c, beta)
    peaks = 1400 + 37 * index
    lines = [
        "DIRAX-like indexing log (made-up data for the korvex example series)",
        "",
        f"Data set          : ex_{t:.0f}K",
        f"Temperature       : {t:.1f} K (nominal)",
        f"Reflections read  : {peaks}",
        "Wavelength        : 0.71073",
        "",
        "Searching for periodicity in reciprocal space ...",
        f"  {12 + index % 3} candidate vectors found, best figure of merit {0.9312 - 0.002 * index:.4f}",
        "Input cell selected from the best three vectors:",
        "",
        f"   {{Input cell  a={pa:10.5f}  b={pb:10.5f}  c={pc:10.5f}"
        f"  alpha={pal:9.3f}  beta={pbe:9.3f}  gamma={pga:9.3f} }}",
        f"   Indexed : {peaks - 12 - index} of {peaks} reflections",
        "",
        "Lattice symmetry search (tolerance 0.5 deg):",
        "   mC  monoclinic, C-centred     fit  0.12",
        "   aP  triclinic                 fit  0.00",
        "",
        f"Conventional : a={a:10.5f}  b={b:10.5f}  c={c:10.5f}"
        f"  alpha={90.0:9.3f}  beta={beta:9.3f}  gamma={90.0:9.3f}   C",
        f"Volume : {v:10.3f} ; System: monoclinic ;",
        "",
        "Conventional cell written to the output file.",
        "End of indexing run.",
    ]
    return "\n".join(lines) + "\n"


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "examples")
    os.makedirs(folder, exist_ok=True)
    temps = [100.0 + 25.0 * i for i in range(10)]
    entries = []
    for i, t in enumerate(temps):
        name = f"ex_{t:.0f}K_dirax_cell.out"
        with open(os.path.join(folder, name), "w", newline="") as f:
            f.write(dirax_text(t, i))
        entries.append(f"{name}  {t:.1f}")
    with open(os.path.join(folder, "series.lst"), "w", newline="") as f:
        f.write("Made-up monoclinic crystal, heating series 100-325 K\n")
        f.write("file  temperature(K)\n")
        f.write("\n".join(entries) + "\n")


if __name__ == "__main__":
    main()
