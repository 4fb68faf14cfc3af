#!/usr/bin/env python3
"""Writes a TK_parameters.xy of N rows for timing korvex-expansion.

usage: make_expansion_table.py [--free] N > table.xy

The rows follow korvex's layout (F6.2, 3F12.5, 3F12.3, F13.3, 2X, A12, A4)
with CR LF records: the C-centred monoclinic cell of examples/, heating
from 90 K to 400 K in N equal steps, beta opening as it warms. With --free,
a whitespace table of T a b c alpha beta gamma, half the bytes: 10^6 rows
in korvex's layout would pass the 64 MiB that a cell file may hold.
"""
import math
import sys

free = sys.argv[1] == "--free"
n = int(sys.argv[-1])
out = sys.stdout
if free:
    out.write("# Made-up monoclinic crystal, %d points\n" % n)
else:
    out.write("! Made-up monoclinic crystal, %d points\r\n" % n)
    out.write("! Cell parameters extracted from conventionnal cell.\r\n")
for i in range(n):
    t = 90 + 310 * i / max(n - 1, 1)
    d = t - 90
    a, b, c = 10.2134 * (1 + 9.7e-6 * d), 6.0871 * (1 + 4e-6 * d), 8.3452 * (1 + 19.3e-6 * d)
    beta = 105.312 + 4.2e-4 * d
    cb = math.cos(math.radians(beta))
    v = a * b * c * math.sqrt(1 - cb * cb)
    if free:
        out.write("%.6f %.5f %.5f %.5f 90 %.4f 90\n" % (t, a, b, c, beta))
    else:
        out.write("%6.2f%12.5f%12.5f%12.5f%12.3f%12.3f%12.3f%13.3f  %-12s%-4s\r\n"
                  % (t, a, b, c, 90, beta, 90, v, "monoclinic", "C"))
