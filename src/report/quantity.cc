#include "report/quantity.h"

#include <cmath>

namespace report {

std::string shown(const Reading& reading, int decimals, bool su_at_decimals,
                  std::string_view missing) {
  if (reading.significant > 0 && reading.value && std::isfinite(*reading.value))
    return common::format_text("%.*g", reading.significant, *reading.value);
  if (!reading.exact.empty() && reading.value && std::isfinite(*reading.value))
    return common::shortest(*reading.value) + " (" + std::string(reading.exact) + ")";
  return common::value_with_su(reading.value, reading.su, {decimals, su_at_decimals, missing});
}

Json json_number(std::optional<double> value) {
  return value && std::isfinite(*value) ? Json(*value) : Json();
}

std::string csv_number(std::optional<double> value) {
  return value && std::isfinite(*value) ? common::shortest(*value) : std::string();
}

std::optional<double> known(double value) {
  return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

double cleaned(double value, int decimals) {
  return std::fabs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
}

std::string axis_name(std::size_t k) {
  return "X" + std::to_string(k + 1);
}

}  // namespace report
