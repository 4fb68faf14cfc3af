#!/usr/bin/python3
"""The least-squares minima of tests/expansion/pressure_fits_test.cc's
EmpiricalFit.ReachesTheScannedMinimum, found without an optimizer:

    /usr/bin/python3 empirical_minimum.py

For eps = eps0 + mu ((p - p_c) / (p_top - p_c))^nu and a fixed (p_c, nu) the
best eps0 and mu are a weighted straight line (weights 1/sigma_p^2), so the
sum of squares chi^2(p_c, nu) is a profile over two numbers. It is scanned on
a dense grid (p_c at the lowest pressure, and from 1e-7 to 1e5 GPa below it
logarithmically; nu from 1e-5 to 300), then on a finer grid about the best
cell. Printed for each series: the least chi^2, where it lies, and K = -d
eps/dp in TPa^-1 at the median pressure there.
"""
import numpy as np

P = np.array([0.12, 0.55, 1.04, 1.61, 2.30, 3.05, 3.92, 4.86])
SP = np.array([0.02, 0.02, 0.03, 0.03, 0.04, 0.04, 0.05, 0.05])
NOISE = np.array([0.6, -0.9, 0.3, 0.8, -0.5, -0.2, 0.9, -0.7])
SERIES = {
    "near": -0.02 * (P - 0.10) ** 0.35 + 2e-5 * NOISE,
    "logarithmic": 0.004 - 0.006 * np.log(P + 0.3) + 2e-5 * NOISE,
    "exponential": 0.03 * (np.exp(-0.25 * P) - 1) + 1e-6 * NOISE,
}


def profile(y, pc, nu):
    top = P.max()
    t = ((P - pc) / (top - pc)) ** nu
    w = 1 / SP ** 2
    x = np.c_[np.ones_like(t), t]
    b = np.linalg.solve(x.T @ (w[:, None] * x), x.T @ (w * y))
    r = (x @ b - y) / SP
    return r @ r, b


def k_median(y, pc, nu):
    _, (e0, mu) = profile(y, pc, nu)
    p = np.median(P)
    d = p - pc
    return -1000 * mu * nu * ((d / (P.max() - pc)) ** nu) / d


def scan(y, below, nus):
    """The least chi^2 over the grid, every nu of a p_c at once."""
    best = (np.inf, 0, 0)
    w = 1 / SP ** 2
    nus = np.asarray(nus)
    for s in below:
        pc = P.min() - s
        t = ((P - pc) / (P.max() - pc))[None, :] ** nus[:, None]
        tm = (t @ w) / w.sum()
        ym = (w @ y) / w.sum()
        tc = t - tm[:, None]
        stt = (tc * tc) @ w
        with np.errstate(divide="ignore", invalid="ignore"):
            mu = (tc @ (w * (y - ym))) / stt
            r = (ym + mu[:, None] * tc - y[None, :]) / SP[None, :]
        c = np.where(stt > 0, (r * r).sum(axis=1), np.inf)
        k = int(np.argmin(c))
        if c[k] < best[0]:
            best = (c[k], s, nus[k])
    return best


def main():
    for name, y in SERIES.items():
        c, s, nu = scan(y, np.concatenate([[0], np.logspace(-7, 5, 481)]),
                        np.concatenate([np.logspace(-5, np.log10(3), 800), np.logspace(np.log10(3), np.log10(300), 200)]))
        if s > 0:
            c, s, nu = scan(y, s * np.logspace(-0.05, 0.05, 101), nu * np.linspace(0.99, 1.01, 101))
        else:
            c, s, nu = scan(y, [0], nu * np.linspace(0.99, 1.01, 2001))
        print("%s chi2 %.10g p_c %.10g nu %.10g K_median %.10g" % (
            name, c, P.min() - s, nu, k_median(y, P.min() - s, nu)))
        print("  eps", " ".join("%.10g" % v for v in y))


main()
