#include "report/axis_words.h"

#include <cmath>

#include "common/number_text.h"

namespace report {
namespace {

std::string axis_name(std::size_t k) {
  return common::format_text("X%zu", k + 1);
}

bool all_alike(const AxisRates& r) {
  return rates_alike(r, 0, 1) && rates_alike(r, 1, 2);
}

}  // namespace

bool rates_alike(const AxisRates& r, std::size_t i, std::size_t j) {
  const auto su = [&](std::size_t k) {
    const double s = r.rates[k].su;
    return std::isfinite(s) ? s : 0.0;
  };
  const double gap = std::fabs(r.rates[i].value - r.rates[j].value);
  return gap <= 2 * std::hypot(su(i), su(j)) || gap < r.floor;
}

bool equal_by_symmetry(const AxisRates& r, const expansion::Symmetry& symmetry, std::size_t i,
                       std::size_t j) {
  if (!rates_alike(r, i, j)) return false;
  if (symmetry.family == expansion::Family::kCubic && all_alike(r)) return true;
  const std::size_t other = 3 - i - j;
  return expansion::plane_by_symmetry(symmetry, r.directions.col(static_cast<Eigen::Index>(other)),
                                      r.basis);
}

std::vector<std::string> alike_words(const AxisRates& r, const expansion::Symmetry& symmetry) {
  const std::string verb = r.verb;
  if (symmetry.family == expansion::Family::kCubic && all_alike(r))
    return {"X1, X2 and X3 " + verb +
            " alike, as the cubic symmetry makes them: every direction\n"
            "is a principal one, and the directions shown are one choice of many."};
  std::vector<std::string> s;
  for (const auto& [i, j, other] : {std::array<std::size_t, 3>{0, 1, 2}, {1, 2, 0}}) {
    if (!rates_alike(r, i, j)) continue;
    const std::string pair = axis_name(i) + " and " + axis_name(j);
    if (equal_by_symmetry(r, symmetry, i, j)) {
      std::string words = pair;
      words += " " + verb;
      words += " alike, as the ";
      words += expansion::family_name(symmetry.family);
      words += " symmetry makes them: every direction\nnormal to " + axis_name(other);
      words += " is a principal one, and the two shown are one choice of many.";
      s.push_back(std::move(words));
    } else {
      s.push_back(pair + " are not distinguishable within their SUs.");
    }
  }
  return s;
}

}  // namespace report
