#!/usr/bin/python3
"""Writes a made-up pressure series of N points for korvex-expansion --pressure:

    make_pressure_table.py N [sus] > pressure.tsv

Columns p sigma_p a b c alpha beta gamma: a monoclinic cell from 0.1 to 8 GPa
whose a axis grows under pressure and whose b and c shrink, beta closing.
With `sus` every length carries an SU of 0.0005 A and beta one of 0.01
degrees, in parentheses, so that the run draws them into every K.
"""
import sys

n = int(sys.argv[1])
sus = len(sys.argv) > 2 and sys.argv[2] == "sus"


def length(x):
    return "%.4f(5)" % x if sus else "%.6f" % x


print("# made-up pressure series, GPa")
for i in range(n):
    p = 0.1 + 7.9 * i / max(n - 1, 1)
    wobble = 1e-5 * ((i * 7919) % 13 - 6)
    print("%.6f %.4f %s %s %s 90 %s 90" % (
        p, 0.01 + 0.005 * p, length(8.0 * (1 + 0.011 * (p + 0.35) ** 0.55) + wobble),
        length(9.0 * (1 - 0.021 * (p + 0.1) ** 0.8) - wobble), length(7.0 * (1 - 0.006 * p)),
        "%.2f(1)" % (101.5 - 0.2 * p) if sus else "%.4f" % (101.5 - 0.2 * p)))
