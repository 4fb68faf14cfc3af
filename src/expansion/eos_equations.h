// The isothermal equations of state p(V) that korvex-expansion fits, in the
// forms of Angel, Alvaro & Gonzalez-Platas, Z. Kristallogr. 229 (2014) 405
// (EosFit7c), p in GPa, V in cubic angstroms, K0 (B0) in GPa, K' (B')
// dimensionless and K'' (B'') in 1/GPa:
//
//   Birch-Murnaghan, 2nd, 3rd, 4th order (Birch, Phys. Rev. 71 (1947) 809),
//     f = ((V0/V)^(2/3) - 1)/2,
//     p = 3K0 f (1 + 2f)^(5/2) [1 + 3/2 (K' - 4) f
//                               + 3/2 (K0 K'' + (K' - 4)(K' - 3) + 35/9) f^2];
//     the 2nd order has K' = 4 and the 3rd order no f^2 term.
//   Vinet (Vinet et al., J. Phys. C 19 (1986) L467), X = (V/V0)^(1/3),
//     p = 3K0 (1 - X) X^-2 exp[3/2 (K' - 1)(1 - X)].
//   Murnaghan (Proc. Natl. Acad. Sci. 30 (1944) 244),
//     p = K0/K' [(V0/V)^K' - 1].
//   The modified Tait of Holland & Powell (J. Metamorph. Geol. 29 (2011) 333),
//     V/V0 = 1 - a [1 - (1 + b p)^-c], with
//     a = (1 + K')/(1 + K' + K0 K''), b = K'/K0 - K''/(1 + K'),
//     c = (1 + K' + K0 K'')/(K'^2 + K' - K0 K''), and K'' = -K'/K0 implied,
//     inverted exactly: p = ([1 - (1 - V/V0)/a]^(-1/c) - 1)/b.
//   Natural strain, 3rd and 4th order (Poirier & Tarantola, Phys. Earth
//   Planet. Inter. 109 (1998) 1), f_N = ln(V0/V)/3,
//     p = 3K0 (V0/V) f_N [1 + 3/2 (K' - 2) f_N
//                         + 3/2 (1 + K0 K'' + (K' - 2) + (K' - 2)^2) f_N^2];
//     the 3rd order has no f_N^2 term.
//   Birch-Murnaghan of 3rd order with a critical pressure p_c, as PASCal
//   writes it (Cliffe & Goodwin, J. Appl. Cryst. 45 (2012) 1321;
//   Lertkiattrakul, Evans & Cliffe, J. Open Source Softw. 8 (2023) 5556),
//     eta = (V0/V)^(1/3), f = 1 - eta^2 (-2 times the Eulerian strain),
//     p = eta^5 [p_c - (3B0 - 5p_c) f/2 + 9/8 B0 (B' - 4 + 35 p_c/(9 B0)) f^2],
//     V0 and B0 then belonging to p_c; with p_c = 0 it is the 3rd-order BM.
//
// Every equation is written once, for any number type, so that the same text
// gives the pressure, its derivatives with respect to the parameters (the
// fit's Jacobian) and dp/dV (the bulk modulus K = -V dp/dV).
#pragma once

#include <Eigen/Dense>
#include <array>
#include <optional>
#include <string_view>

namespace expansion {

enum class Eos { kBm2, kBm3, kBm4, kVinet, kMurnaghan, kTait, kNs3, kNs4, kBm3Pc };

inline constexpr std::array<Eos, 9> kEveryEos = {Eos::kBm2,   Eos::kBm3,       Eos::kBm4,
                                                 Eos::kVinet, Eos::kMurnaghan, Eos::kTait,
                                                 Eos::kNs3,   Eos::kNs4,       Eos::kBm3Pc};

// The parameters in the order the fits and their correlation matrices use.
enum Parameter { kV0 = 0, kB0 = 1, kBp = 2, kBpp = 3 };
using EosParameters = std::array<double, 4>;  // V0, B0, B', B''

// The equation's name on the command line and in JSON ("bm3", "bm3_pc"), and
// as the tables and pictures show it ("BM3", "BM3 p_c").
[[nodiscard]] const char* eos_key(Eos eos);
[[nodiscard]] const char* eos_label(Eos eos);
[[nodiscard]] std::optional<Eos> eos_named(std::string_view key);

// 2, 3 or 4: the parameters the equation can fit (V0, B0, then B', B'').
[[nodiscard]] int eos_order(Eos eos);

// The pressure at volume v, `pc` used by kBm3Pc alone; NaN where the
// equation has no value (a Tait volume beyond its asymptote).
[[nodiscard]] double eos_pressure(Eos eos, const EosParameters& theta, double v, double pc = 0);

// The pressure and its derivatives with respect to V0, B0, B', B'' and V.
struct PressureDerivatives {
  double p = 0;
  Eigen::Matrix<double, 5, 1> d = Eigen::Matrix<double, 5, 1>::Zero();  // d/dV last
};
[[nodiscard]] PressureDerivatives eos_derivatives(Eos eos, const EosParameters& theta, double v,
                                                  double pc = 0);

// The bulk modulus K(V) = -V dp/dV, GPa.
[[nodiscard]] double eos_bulk_modulus(Eos eos, const EosParameters& theta, double v, double pc = 0);

// K'' that a 3rd-order form implies (the 4th-order term zero): for
// Birch-Murnaghan -[(3 - K')(4 - K') + 35/9]/K0, for natural strain
// -[1 + (K' - 2) + (K' - 2)^2]/K0, for Tait -K'/K0; NaN for the others.
[[nodiscard]] double implied_bpp(Eos eos, double b0, double bp);

// The volume at pressure p on the branch of p(V) that falls to `high`: the
// largest V in [low, high] where p(V) = p, bracketed by steps down from
// `high` (a third-order curve of small K' turns back well inside `low`) and
// bisected; NaN when p(high) > p or p(V) stays below p down to `low`.
[[nodiscard]] double eos_volume(Eos eos, const EosParameters& theta, double p, double low,
                                double high, double pc = 0);

}  // namespace expansion
