#!/usr/bin/python3
"""The worked pressure series of tests/expansion/pressure_fits_test.cc.

Prints what the fits must give for two made-up series, worked with scipy's
curve_fit alone (no closed forms), each from many starting points with the
best kept:

    /usr/bin/python3 pressure_fits.py

Series (pressure p in GPa with its SU, volume V in A^3, strain eps):
  "bm"     V from a third-order Birch-Murnaghan curve (V0 = 512.3 A^3,
           B0 = 18.7 GPa, B' = 6.1) with a fixed pattern of noise
  "nlc"    a strain that grows with pressure (negative linear
           compressibility), eps = 0.002 + 0.011 (p + 0.35)^0.55 - 0.011 * 0.35^0.55
           with noise, and a shrinking one, eps = -0.021 p^0.8 ... with noise

Equations of state, fitted to p(V) with residuals (p_model - p) / sigma_p and
the covariance scaled by chi^2 / (N - n):
  BM2     p = 3/2 B0 (x^7/3 - x^5/3),  x = V0 / V              (B' = 4)
  BM3     p = 3/2 B0 (x^7/3 - x^5/3) (1 + 3/4 (B' - 4) (x^2/3 - 1))
  BM3 pc  p = pc + BM3(V), pc fixed
Empirical strain fit eps = eps0 + lambda (p - pc)^nu, pc <= min p, nu >= 0,
weighted by 1/sigma_p^2, covariance scaled by chi^2 / (N - 4);
K(p) = -d eps/dp * 1000 (TPa^-1), its SU from the full covariance.
"""

import numpy as np
from scipy.optimize import curve_fit

P = np.array([0.05, 0.31, 0.62, 0.95, 1.40, 1.88, 2.45, 3.10, 3.90, 4.70, 5.60, 6.50, 7.45])
SP = np.array([0.01, 0.02, 0.02, 0.03, 0.03, 0.04, 0.05, 0.05, 0.06, 0.07, 0.08, 0.09, 0.10])
NOISE = np.array([0.3, -0.8, 0.5, 0.9, -0.4, -1.0, 0.2, 0.7, -0.6, 0.1, 0.8, -0.3, -0.5])


def bm3(v, v0, b0, bp):
    x = v0 / v
    return 1.5 * b0 * (x ** (7 / 3) - x ** (5 / 3)) * (1 + 0.75 * (bp - 4) * (x ** (2 / 3) - 1))


def bm2(v, v0, b0):
    return bm3(v, v0, b0, 4.0)


def volumes():
    from scipy.optimize import brentq
    return np.array([brentq(lambda v: bm3(v, 512.3, 18.7, 6.1) - p, 200, 520)
                     for p in P]) * (1 + 2e-4 * NOISE)


def best_fit(f, x, y, sigma, starts, bounds=(-np.inf, np.inf)):
    best = None
    for p0 in starts:
        try:
            popt, pcov = curve_fit(f, x, y, p0=p0, sigma=sigma, bounds=bounds,
                                   maxfev=20000)
        except (RuntimeError, ValueError):
            continue
        chi2 = np.sum(((f(x, *popt) - y) / sigma) ** 2)
        if best is None or chi2 < best[2]:
            best = (popt, pcov, chi2)
    return best


def show(name, values):
    print(name, " ".join("%.10g" % v for v in values))


def eos(v, pc):
    starts = [(v.max() * s, b, bp) for s in (1.0, 1.05) for b in (5, 30, 100) for bp in (3, 5, 8)]
    popt, pcov, _ = best_fit(bm2, v, P, SP, [s[:2] for s in starts])
    show("bm2 V0 V0_su B0 B0_su", [popt[0], pcov[0, 0] ** .5, popt[1], pcov[1, 1] ** .5])
    popt, pcov, _ = best_fit(bm3, v, P, SP, starts)
    show("bm3 V0 V0_su B0 B0_su Bp Bp_su", np.ravel(list(zip(popt, np.diag(pcov) ** .5))))
    popt, pcov, _ = best_fit(lambda vv, a, b, c: bm3(vv, a, b, c) + pc, v, P, SP, starts)
    show("bm3_pc(%g) V0 V0_su B0 B0_su Bp Bp_su" % pc,
         np.ravel(list(zip(popt, np.diag(pcov) ** .5))))


def empirical(p, e0, lam, pc, nu):
    return e0 + lam * np.abs(p - pc) ** nu


def compressibility(eps):
    lo = P.min()
    starts = [(0, lam, lo - d, nu) for lam in (-0.05, 0.05) for d in (0.01, 0.3, 2, 10)
              for nu in (0.3, 0.7, 1.2, 2)]
    popt, pcov, chi2 = best_fit(empirical, P, eps, SP, starts,
                                bounds=([-np.inf, -np.inf, -np.inf, 0], [np.inf, np.inf, lo, np.inf]))
    show("  eps0 lambda pc nu", popt)
    show("  su", np.diag(pcov) ** .5)
    show("  chi2", [chi2])
    e0, lam, pc, nu = popt
    d = P - pc
    k = -lam * nu * d ** (nu - 1)
    grad = np.array([np.zeros_like(d), -nu * d ** (nu - 1), lam * nu * (nu - 1) * d ** (nu - 2),
                     -lam * d ** (nu - 1) * (1 + nu * np.log(d))])
    show("  K", 1000 * k)
    show("  K_su", 1000 * np.sqrt(np.einsum("ip,ij,jp->p", grad, pcov, grad)))


def main():
    v = volumes()
    show("p", P)
    show("sigma_p", SP)
    show("V", v)
    eos(v, 0.05)
    eos(v, 0.0)
    grow = 0.002 + 0.011 * (P + 0.35) ** 0.55 - 0.011 * 0.35 ** 0.55 + 4e-5 * NOISE
    shrink = -0.021 * P ** 0.8 + 3e-5 * NOISE[::-1]
    for name, eps in (("grow", grow), ("shrink", shrink)):
        print(name)
        show("  eps", eps)
        compressibility(eps)


main()
