#!/usr/bin/python3
"""The worked equations of state of tests/expansion/eos_fits_test.cc.

Prints what the fits must give, worked with numpy and scipy's curve_fit
alone (no closed forms, each from several starts, the best kept):

    /usr/bin/python3 eos_fits.py [PASCAL_SAMPLE_P_TABLE]

The equations as Angel, Alvaro & Gonzalez-Platas, Z. Kristallogr. 229 (2014)
405 define them (BM2/3/4, Vinet, Murnaghan, the Tait of Holland & Powell,
natural strain 3rd/4th order), PASCal's BM3 with a critical pressure. The
Tait is written as V(p) and inverted numerically here; K = -V dp/dV is taken
by central differences.

Series "noisy": 12 points from a 3rd-order BM curve (V0 = 100 A^3, K0 = 60
GPa, K' = 5) with a fixed pattern of noise on p and V; sigma_p = 0.02-0.05 GPa
but 0 at the ambient point, sigma_V = 0.02-0.06 A^3. Fitted with
  p    residuals (p_model - p)/sigma_p, ambient point left out (no SU)
  pv   sigma^2 = sigma_p^2 + (K/V)^2 sigma_V^2, refitted until it settles
covariance scaled by chi^2/(N - n) (curve_fit's default). Then the F-f plot of
that series against V0 of the pv BM3 fit, with Heinz & Jeanloz's SUs, and its
line weighted by 1/sigma_F^2 (over the points whose sigma_F is not 0).

Given the path of PASCal's sample_p table (not bundled): its volumes from the
cells, sigma_p 1, BM2, BM3 and BM3 with p_c = 0.19 in PASCal's form.
"""

import sys

import numpy as np
from scipy.optimize import brentq, curve_fit


def bm(v, v0, b0, bp=4.0, bpp=None, order=3):
    f = ((v0 / v) ** (2 / 3) - 1) / 2
    s = 1 + (1.5 * (bp - 4) * f if order >= 3 else 0)
    if order == 4:
        s = s + 1.5 * (b0 * bpp + (bp - 4) * (bp - 3) + 35 / 9) * f ** 2
    return 3 * b0 * f * (1 + 2 * f) ** 2.5 * s


def vinet(v, v0, b0, bp):
    x = (v / v0) ** (1 / 3)
    return 3 * b0 * (1 - x) / x ** 2 * np.exp(1.5 * (bp - 1) * (1 - x))


def murnaghan(v, v0, b0, bp):
    return b0 / bp * ((v0 / v) ** bp - 1)


def tait_volume(p, v0, b0, bp):
    bpp = -bp / b0
    a = (1 + bp) / (1 + bp + b0 * bpp)
    b = bp / b0 - bpp / (1 + bp)
    c = (1 + bp + b0 * bpp) / (bp ** 2 + bp - b0 * bpp)
    return v0 * (1 - a * (1 - (1 + b * p) ** (-c)))


def tait(v, v0, b0, bp):
    low = -0.999 * b0 * (1 + bp) / (bp * (2 + bp))  # 1 + b p > 0
    return np.array([brentq(lambda p: tait_volume(p, v0, b0, bp) - x, low, 1e4,
                            xtol=1e-14, rtol=1e-15) for x in np.atleast_1d(v)])


def ns(v, v0, b0, bp, bpp=None, order=3):
    fn = np.log(v0 / v) / 3
    s = 1 + 1.5 * (bp - 2) * fn
    if order == 4:
        s = s + 1.5 * (1 + b0 * bpp + (bp - 2) + (bp - 2) ** 2) * fn ** 2
    return 3 * b0 * (v0 / v) * fn * s


def bm3_pc(pc):
    def f(v, v0, b0, bp):
        eta = (v0 / v) ** (1 / 3)
        e = 1 - eta ** 2
        return eta ** 5 * (pc - (3 * b0 - 5 * pc) * e / 2 + 9 / 8 * b0 * (bp - 4 + 35 * pc / (9 * b0)) * e ** 2)
    return f


EQUATIONS = {
    "bm2": lambda v, v0, b0: bm(v, v0, b0, order=2),
    "bm3": lambda v, v0, b0, bp: bm(v, v0, b0, bp),
    "bm4": lambda v, v0, b0, bp, bpp: bm(v, v0, b0, bp, bpp, order=4),
    "vinet": vinet,
    "murnaghan": murnaghan,
    "tait": tait,
    "ns3": lambda v, v0, b0, bp: ns(v, v0, b0, bp),
    "ns4": lambda v, v0, b0, bp, bpp: ns(v, v0, b0, bp, bpp, order=4),
}

P = np.array([0.0, 0.45, 0.98, 1.52, 2.10, 2.71, 3.36, 4.05, 4.80, 5.62, 6.50, 7.44])
SP = np.array([0.0, 0.02, 0.02, 0.02, 0.03, 0.03, 0.03, 0.04, 0.04, 0.04, 0.05, 0.05])
SV = np.array([0.02, 0.02, 0.03, 0.03, 0.03, 0.04, 0.04, 0.04, 0.05, 0.05, 0.06, 0.06])
NOISE_P = np.array([0.0, 0.4, -0.7, 0.2, 0.9, -0.5, -0.3, 0.6, -0.8, 0.1, 0.5, -0.2])
NOISE_V = np.array([0.3, -0.6, 0.8, -0.2, 0.4, 0.7, -0.9, 0.1, -0.4, 0.6, -0.1, 0.5])


def noisy():
    v = np.array([brentq(lambda x: bm(x, 100.0, 60.0, 5.0) - p, 50, 101) for p in P])
    return P + NOISE_P * np.maximum(SP, 0.01), v + NOISE_V * SV


def show(name, values):
    print(name, " ".join("%.10g" % v for v in values))


def starts(v, n):
    out = []
    for s in (1.0, 1.01):
        for b0 in (30.0, 60.0, 100.0):
            for bp in (3.0, 5.0, 7.0):
                out.append((v.max() * s, b0, bp, -bp / b0)[:n])
    return out


def best_fit(f, v, p, sigma, n, fixed=None, tries=None):
    fixed = fixed or {}
    free = [k for k in range(n) if k not in fixed]

    def g(x, *theta):
        full = list(theta)
        for k in sorted(fixed):
            full.insert(k, fixed[k])
        return f(x, *full)
    best = None
    for st in tries or [[x[k] for k in free] for x in starts(v, n)]:
        try:
            popt, pcov = curve_fit(g, v, p, p0=st, sigma=sigma, maxfev=20000)
        except (RuntimeError, ValueError):
            continue
        chi2 = np.sum(((g(v, *popt) - p) / sigma) ** 2)
        if np.isfinite(chi2) and (best is None or chi2 < best[2]):
            best = (popt, pcov, chi2)
    return best, g


def bulk(g, v, theta):
    h = v * 1e-6
    return -v * (g(v + h, *theta) - g(v - h, *theta)) / (2 * h)


def effective_variance(f, v, p, n, fixed=None):
    sigma = np.where(SP > 0, SP, 1.0)
    theta = None
    for _ in range(200):
        (popt, pcov, chi2), g = best_fit(f, v, p, sigma, n, fixed,
                                         None if theta is None else [theta])
        if theta is not None and np.all(np.abs(popt - theta) <= 1e-12 * np.abs(theta)):
            break
        theta = popt
        sigma = np.sqrt(SP ** 2 + (bulk(g, v, popt) / v * SV) ** 2)
    return popt, pcov, chi2


def report(name, popt, pcov, chi2, dof):
    show(name, np.ravel(list(zip(popt, np.diag(pcov) ** .5))) .tolist() + [chi2 / dof])


def main():
    p, v = noisy()
    show("noisy p", p)
    show("noisy V", v)
    for name, f in EQUATIONS.items():
        n = {"bm2": 2, "bm4": 4, "ns4": 4}.get(name, 3)
        popt, pcov, chi2 = effective_variance(f, v, p, n)
        report(name + " pv", popt, pcov, chi2, len(p) - n)
        (popt, pcov, chi2), _ = best_fit(f, v[1:], p[1:], SP[1:], n)
        report(name + " p", popt, pcov, chi2, len(p) - 1 - n)
    popt, pcov, chi2 = effective_variance(EQUATIONS["bm3"], v, p, 3, {2: 4.8})
    report("bm3 pv Bp=4.8", popt, pcov, chi2, len(p) - 2)
    popt, pcov, chi2 = effective_variance(EQUATIONS["vinet"], v, p, 3, {0: 100.02})
    report("vinet pv V0=100.02", popt, pcov, chi2, len(p) - 2)
    ff(p, v)
    if len(sys.argv) > 1:
        sample_p(sys.argv[1])


def ff(p, v):
    popt, pcov, _ = effective_variance(EQUATIONS["bm3"], v, p, 3)
    v0, sv0 = popt[0], pcov[0, 0] ** .5
    eta = v / v0
    f = (eta ** (-2 / 3) - 1) / 2
    keep = f != 0
    F = p[keep] / (3 * f[keep] * (1 + 2 * f[keep]) ** 2.5)
    se = eta * np.sqrt((SV / v) ** 2 + (sv0 / v0) ** 2)
    sf = eta ** (-5 / 3) * se / 3
    sprime = (7 * eta ** (-2 / 3) - 5) * se / (3 * (eta ** (-2 / 3) - 1) * eta)
    sF = np.sqrt((SP[keep] / (3 * f[keep] * (1 + 2 * f[keep]) ** 2.5)) ** 2 + (F * sprime[keep]) ** 2)
    show("ff f", f[keep])
    show("ff f_su", sf[keep])
    show("ff F", F)
    show("ff F_su", sF)
    line = sF > 0  # a point of sigma_F 0 (p = 0 with no SU) cannot be weighed
    (c, cov) = curve_fit(lambda x, a, b: a + b * x, f[keep][line], F[line], sigma=sF[line])
    b0 = c[0]
    bp = 4 + 2 * c[1] / (3 * b0)
    grad = np.array([-2 * c[1] / (3 * b0 ** 2), 2 / (3 * b0)])
    show("ff line B0 B0_su Bp Bp_su", [b0, cov[0, 0] ** .5, bp, (grad @ cov @ grad) ** .5])


def sample_p(path):
    d = np.loadtxt(path)
    r = np.radians
    a, b, c, al, be, ga = (d[:, k] for k in range(2, 8))
    v = a * b * c * np.sqrt(1 - np.cos(r(al)) ** 2 - np.cos(r(be)) ** 2 - np.cos(r(ga)) ** 2
                            + 2 * np.cos(r(al)) * np.cos(r(be)) * np.cos(r(ga)))
    for name, f, n in (("bm2", EQUATIONS["bm2"], 2), ("bm3", EQUATIONS["bm3"], 3),
                       ("bm3_pc(0.19)", bm3_pc(0.19), 3)):
        (popt, pcov, chi2), _ = best_fit(f, v, d[:, 0], d[:, 1], n)
        report("sample_p " + name, popt, pcov, chi2, len(v) - n)


if __name__ == "__main__":
    main()
