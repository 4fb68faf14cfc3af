#!/usr/bin/env python3
"""Writes a long made-up series for timing korvex: a buffer file and N DIRAX-like
cell-output files of about 5 KB each, one per temperature.

Each file reads like a full indexing log: a header, the reflection list the run
indexed, the candidate vectors, then the three lines korvex keeps (input cell,
conventional cell, volume) among the lattice search and some closing text, with
lines that begin like the kept ones but are not (so the scanner has to look at
them). The cell is the C-centred monoclinic crystal of the example series,
expanding smoothly from 90 K to 400 K across the series.

Usage: make_series.py FOLDER N
Writes FOLDER/series.lst (the buffer file), FOLDER/names.txt (the DIRAX file
names alone, one a line, for cat and grep) and the N files FOLDER/dx/*.out.
"""
import math
import os
import random
import sys

# The conventional and primitive cells of the example series.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from make_example_series import conventional, primitive, volume  # noqa: E402

SUBFOLDER = "dx"
REFLECTIONS_PER_FILE = 52


def reflection_pool(count):
    """Lines of a reflection list, shared out among the files."""
    rng = random.Random(7)
    lines = []
    for i in range(count):
        h, k, l = rng.randint(-12, 12), rng.randint(-8, 8), rng.randint(-10, 10)
        x, y = rng.uniform(2.0, 1022.0), rng.uniform(2.0, 1022.0)
        phi = rng.uniform(0.0, 360.0)
        inten = rng.lognormvariate(6.0, 1.4)
        sig = math.sqrt(inten) + rng.uniform(1.0, 4.0)
        lines.append(f"{i + 1:6d} {h:4d}{k:4d}{l:4d} {x:9.2f}{y:9.2f}{phi:9.3f}"
                     f"{inten:11.1f}{sig:8.1f}  {rng.uniform(0.0, 0.05):6.4f}")
    return lines


def dirax_text(t, index, pool):
    a, b, c, beta = conventional(t)
    pa, pb, pc, pal, pbe, pga = primitive(a, b, c, beta)
    v = volume(a, b, c, beta)
    peaks = 1400 + (37 * index) % 900
    start = (index * 13) % (len(pool) - REFLECTIONS_PER_FILE)
    lines = [
        "DIRAX-like indexing log (made-up data for the korvex benchmark series)",
        "",
        f"Data set          : bench_{index:06d}",
        f"Temperature       : {t:.3f} K (nominal)",
        f"Reflections read  : {peaks}",
        "Wavelength        : 0.71073",
        "Detector distance : 60.00 mm",
        "",
        "   No.    h   k   l         x        y      phi  intensity   sigma  d(res)",
    ]
    lines += pool[start:start + REFLECTIONS_PER_FILE]
    lines += [
        "",
        "Searching for periodicity in reciprocal space ...",
        f"  {12 + index % 3} candidate vectors found, best figure of merit "
        f"{0.9312 - 0.0000002 * index:.4f}",
        f"   vector 1 : {pa:10.5f}  fit {0.991 - 0.001 * (index % 5):5.3f}",
        f"   vector 2 : {pb:10.5f}  fit {0.987 - 0.001 * (index % 7):5.3f}",
        f"   vector 3 : {pc:10.5f}  fit {0.979 - 0.001 * (index % 3):5.3f}",
        "Input cell selected from the best three vectors:",
        "",
        f"   {{Input cell  a={pa:10.5f}  b={pb:10.5f}  c={pc:10.5f}"
        f"  alpha={pal:9.3f}  beta={pbe:9.3f}  gamma={pga:9.3f} }}",
        f"   Indexed : {peaks - 12 - index % 40} of {peaks} reflections",
        "",
        "Lattice symmetry search (tolerance 0.5 deg):",
        "   mC  monoclinic, C-centred     fit  0.12",
        "   oC  orthorhombic, C-centred   fit  4.87",
        "   mP  monoclinic                fit  0.00",
        "   aP  triclinic                 fit  0.00",
        "",
        "Conventional cell chosen by the lowest fit above the primitive cells.",
        f"Conventional : a={a:10.5f}  b={b:10.5f}  c={c:10.5f}"
        f"  alpha={90.0:9.3f}  beta={beta:9.3f}  gamma={90.0:9.3f}   C",
        f"Volume : {v:10.3f} ; System: monoclinic ;",
        f"Primitive cell volume : {v / 2:10.3f}",
        "",
        "Conventional cell written to the output file.",
        "End of indexing run.",
    ]
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    folder, n = sys.argv[1], int(sys.argv[2])
    os.makedirs(os.path.join(folder, SUBFOLDER), exist_ok=True)
    pool = reflection_pool(4000)
    names = []
    with open(os.path.join(folder, "series.lst"), "w", newline="") as lst:
        lst.write(f"Made-up monoclinic crystal, benchmark series of {n} files, 90-400 K\n")
        lst.write("file  temperature(K)\n")
        for i in range(n):
            t = 90.0 + 310.0 * i / max(n - 1, 1)
            name = f"{SUBFOLDER}/b{i:06d}_dirax_cell.out"
            with open(os.path.join(folder, name), "w", newline="") as f:
                f.write(dirax_text(t, i, pool))
            lst.write(f"{name}  {t:.2f}\n")
            names.append(name)
    with open(os.path.join(folder, "names.txt"), "w") as f:
        f.write("\n".join(names) + "\n")


if __name__ == "__main__":
    main()
