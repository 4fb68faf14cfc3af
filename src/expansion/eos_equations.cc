#include "expansion/eos_equations.h"

#include <cmath>
#include <limits>
#include <unsupported/Eigen/AutoDiff>

namespace expansion {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A number carrying its derivatives with respect to V0, B0, B', B'' and V.
using Dual = Eigen::AutoDiffScalar<Eigen::Matrix<double, 5, 1>>;

// x^y with both varying (x positive).
template <class T>
T power(const T& x, const T& y) {
  using std::exp;
  using std::log;
  return exp(y * log(x));
}

template <class T>
T birch_murnaghan(int order, const T& v0, const T& b0, const T& bp, const T& bpp, const T& v) {
  using std::pow;
  const T f = (pow(v0 / v, 2.0 / 3.0) - 1) / 2;
  T bracket = T(1.0);
  if (order >= 3) bracket += 1.5 * (bp - 4) * f;
  if (order == 4) bracket += 1.5 * (b0 * bpp + (bp - 4) * (bp - 3) + 35.0 / 9.0) * f * f;
  return 3 * b0 * f * pow(1 + 2 * f, 2.5) * bracket;
}

template <class T>
T vinet(const T& v0, const T& b0, const T& bp, const T& v) {
  using std::exp;
  using std::pow;
  const T x = pow(v / v0, 1.0 / 3.0);
  return 3 * b0 * (1 - x) / (x * x) * exp(1.5 * (bp - 1) * (1 - x));
}

template <class T>
T murnaghan(const T& v0, const T& b0, const T& bp, const T& v) {
  return b0 / bp * (power(T(v0 / v), bp) - 1);
}

// Holland & Powell's Tait, its K'' = -K'/K0 put into a, b and c.
template <class T>
T tait(const T& v0, const T& b0, const T& bp, const T& v) {
  const T a = 1 + bp;
  const T b = bp / b0 * (2 + bp) / (1 + bp);
  const T c = 1 / (bp * (bp + 2));
  const T base = 1 - (1 - v / v0) / a;
  if (!(base > 0)) return T(kNaN);
  return (power(base, T(-1 / c)) - 1) / b;
}

template <class T>
T natural_strain(int order, const T& v0, const T& b0, const T& bp, const T& bpp, const T& v) {
  using std::log;
  const T fn = log(v0 / v) / 3;
  T bracket = 1 + 1.5 * (bp - 2) * fn;
  if (order == 4) bracket += 1.5 * (1 + b0 * bpp + (bp - 2) + (bp - 2) * (bp - 2)) * fn * fn;
  return 3 * b0 * (v0 / v) * fn * bracket;
}

template <class T>
T critical_bm3(const T& v0, const T& b0, const T& bp, const T& v, double pc) {
  using std::pow;
  const T eta = pow(v0 / v, 1.0 / 3.0);
  const T f = 1 - eta * eta;
  return pow(eta, 5.0) *
         (pc - (3 * b0 - 5 * pc) * f / 2 + 9.0 / 8.0 * b0 * (bp - 4 + 35 * pc / (9 * b0)) * f * f);
}

template <class T>
T pressure(Eos eos, const T& v0, const T& b0, const T& bp, const T& bpp, const T& v, double pc) {
  switch (eos) {
    case Eos::kBm2:
      return birch_murnaghan(2, v0, b0, bp, bpp, v);
    case Eos::kBm3:
      return birch_murnaghan(3, v0, b0, bp, bpp, v);
    case Eos::kBm4:
      return birch_murnaghan(4, v0, b0, bp, bpp, v);
    case Eos::kVinet:
      return vinet(v0, b0, bp, v);
    case Eos::kMurnaghan:
      return murnaghan(v0, b0, bp, v);
    case Eos::kTait:
      return tait(v0, b0, bp, v);
    case Eos::kNs3:
      return natural_strain(3, v0, b0, bp, bpp, v);
    case Eos::kNs4:
      return natural_strain(4, v0, b0, bp, bpp, v);
    case Eos::kBm3Pc:
      break;
  }
  return critical_bm3(v0, b0, bp, v, pc);
}

struct Naming {
  const char* key;
  const char* label;
  Eos eos;
  int order;
};

constexpr Naming kNames[] = {
    {"bm2", "BM2", Eos::kBm2, 2},
    {"bm3", "BM3", Eos::kBm3, 3},
    {"bm4", "BM4", Eos::kBm4, 4},
    {"vinet", "Vinet", Eos::kVinet, 3},
    {"murnaghan", "Murnaghan", Eos::kMurnaghan, 3},
    {"tait", "Tait", Eos::kTait, 3},
    {"ns3", "NS3", Eos::kNs3, 3},
    {"ns4", "NS4", Eos::kNs4, 4},
    {"bm3_pc", "BM3 p_c", Eos::kBm3Pc, 3},
};

const Naming& naming(Eos eos) {
  for (const Naming& n : kNames) {
    if (n.eos == eos) return n;
  }
  return kNames[0];
}

}  // namespace

const char* eos_key(Eos eos) {
  return naming(eos).key;
}
const char* eos_label(Eos eos) {
  return naming(eos).label;
}
int eos_order(Eos eos) {
  return naming(eos).order;
}

std::optional<Eos> eos_named(std::string_view key) {
  for (const Naming& n : kNames) {
    if (key == n.key) return n.eos;
  }
  return std::nullopt;
}

double eos_pressure(Eos eos, const EosParameters& theta, double v, double pc) {
  const double bp = eos == Eos::kBm2 ? 4.0 : theta[kBp];
  return pressure<double>(eos, theta[kV0], theta[kB0], bp, theta[kBpp], v, pc);
}

PressureDerivatives eos_derivatives(Eos eos, const EosParameters& theta, double v, double pc) {
  using Gradient = Eigen::Matrix<double, 5, 1>;
  const auto unit_dual = [](double x, int k) { return Dual(x, Gradient::Unit(k)); };
  const Dual bp = eos == Eos::kBm2 ? Dual(4.0, Gradient::Zero()) : unit_dual(theta[kBp], kBp);
  const Dual p = pressure<Dual>(eos, unit_dual(theta[kV0], kV0), unit_dual(theta[kB0], kB0), bp,
                                unit_dual(theta[kBpp], kBpp), unit_dual(v, 4), pc);
  return {p.value(), p.derivatives()};
}

double eos_bulk_modulus(Eos eos, const EosParameters& theta, double v, double pc) {
  return -v * eos_derivatives(eos, theta, v, pc).d(4);
}

double implied_bpp(Eos eos, double b0, double bp) {
  switch (eos) {
    case Eos::kBm3:
    case Eos::kBm4:
    case Eos::kBm3Pc:
      return -((3 - bp) * (4 - bp) + 35.0 / 9.0) / b0;
    case Eos::kNs3:
    case Eos::kNs4:
      return -(1 + (bp - 2) + (bp - 2) * (bp - 2)) / b0;
    case Eos::kTait:
      return -bp / b0;
    default:
      return kNaN;
  }
}

double eos_volume(Eos eos, const EosParameters& theta, double p, double low, double high,
                  double pc) {
  // A third-order form of small K' (or large K'' in fourth order) turns back
  // inside [low, high]: p(V) rises as V falls only down to some volume, below
  // which it falls again. The root sought is on the branch that holds
  // `high`: the first step down from `high` where p(V) reaches p brackets it.
  constexpr int kSteps = 128;
  if (!(eos_pressure(eos, theta, high, pc) - p <= 0)) return kNaN;
  double above = high;
  double below = kNaN;
  for (int i = 1; i <= kSteps && std::isnan(below); ++i) {
    const double v = high - (high - low) * i / kSteps;
    if (eos_pressure(eos, theta, v, pc) - p >= 0)
      below = v;
    else
      above = v;
  }
  if (std::isnan(below)) return kNaN;
  for (int i = 0; i < 100 && above - below > 1e-12 * above; ++i) {
    const double mid = 0.5 * (below + above);
    (eos_pressure(eos, theta, mid, pc) - p >= 0 ? below : above) = mid;
  }
  return 0.5 * (below + above);
}

}  // namespace expansion
