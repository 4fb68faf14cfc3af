#!/usr/bin/python3
"""Writes a made-up pressure series of N points for korvex-expansion --pressure:

    make_pressure_table.py N > pressure.tsv

Columns p sigma_p a b c alpha beta gamma: a monoclinic cell from 0.1 to 8 GPa
whose a axis grows under pressure and whose b and c shrink, beta closing.
"""
import sys

n = int(sys.argv[1])
print("# made-up pressure series, GPa")
for i in range(n):
    p = 0.1 + 7.9 * i / max(n - 1, 1)
    wobble = 1e-5 * ((i * 7919) % 13 - 6)
    print("%.6f %.4f %.6f %.6f %.6f 90 %.4f 90" % (
        p, 0.01 + 0.005 * p, 8.0 * (1 + 0.011 * (p + 0.35) ** 0.55) + wobble,
        9.0 * (1 - 0.021 * (p + 0.1) ** 0.8) - wobble, 7.0 * (1 - 0.006 * p),
        101.5 - 0.2 * p))
