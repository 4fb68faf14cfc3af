#include "formats/dials_expt.h"

#include <Eigen/Dense>
#include <algorithm>
#include <array>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "formats/reader_parts.h"

namespace formats {
namespace {

using Json = nlohmann::json;

// B of a cell: the transpose of the inverse of its basis (crystal::basis).
std::optional<Eigen::Matrix3d> b_matrix(const crystal::Cell& cell) {
  const Eigen::Matrix3d basis = crystal::basis(cell);
  if (!std::isnormal(basis.determinant())) return std::nullopt;
  return basis.inverse().transpose();
}

// The six parameters of the real-space basis that B's nine elements, row by
// row, give: the columns of B^-T, the rows of B^-1.
std::optional<std::array<double, 6>> cell_of_b(const std::array<double, 9>& elements) {
  const Eigen::Matrix3d b =
      Eigen::Map<const Eigen::Matrix<double, 3, 3, Eigen::RowMajor>>(elements.data());
  if (!std::isnormal(b.determinant())) return std::nullopt;
  return crystal::parameters(crystal::cell_of_basis(b.inverse().transpose()));
}

crystal::CellSu propagated_sus(const crystal::Cell& cell,
                               const std::array<double, 81>& covariance) {
  const auto b = b_matrix(cell);
  if (!b) return {};
  std::array<double, 9> elements{};
  double scale = 0;
  for (std::size_t k = 0; k < 9; ++k) {
    elements[k] = (*b)(static_cast<Eigen::Index>(k / 3), static_cast<Eigen::Index>(k % 3));
    scale = std::max(scale, std::abs(elements[k]));
  }
  const double h = 1e-6 * scale;
  std::array<std::array<double, 9>, 6> jacobian{};
  for (std::size_t k = 0; k < 9; ++k) {
    std::array<double, 9> up = elements, down = elements;
    up[k] += h;
    down[k] -= h;
    const auto p_up = cell_of_b(up), p_down = cell_of_b(down);
    if (!p_up || !p_down) return {};
    for (std::size_t p = 0; p < 6; ++p) jacobian[p][k] = ((*p_up)[p] - (*p_down)[p]) / (2 * h);
  }
  const std::array<double, 6> values = parameters(cell);
  std::array<std::optional<double>, 6> sus;
  for (std::size_t p = 0; p < 6; ++p) {
    double variance = 0;
    for (std::size_t i = 0; i < 9; ++i)
      for (std::size_t j = 0; j < 9; ++j)
        variance += jacobian[p][i] * covariance[i * 9 + j] * jacobian[p][j];
    const double su = std::sqrt(std::max(0.0, variance));
    if (std::isfinite(su) && su > 1e-10 * std::abs(values[p])) sus[p] = su;
  }
  return crystal::cell_su_of(sus);
}

// The numbers of a JSON array of exactly N numbers; nothing otherwise.
template <std::size_t N>
std::optional<std::array<double, N>> numbers(const Json& object, const char* key) {
  const auto it = object.find(key);
  if (it == object.end() || !it->is_array() || it->size() != N) return std::nullopt;
  std::array<double, N> values{};
  for (std::size_t i = 0; i < N; ++i) {
    if (!(*it)[i].is_number()) return std::nullopt;
    values[i] = (*it)[i].get<double>();
    if (!std::isfinite(values[i])) return std::nullopt;
  }
  return values;
}

common::Expected<crystal::CellEntry> crystal_entry(const Json& crystal, std::string name) {
  if (!crystal.is_object()) return common::Error{0, name + ": not a JSON object"};
  Eigen::Matrix3d basis;
  const std::array<const char*, 3> keys = {"real_space_a", "real_space_b", "real_space_c"};
  for (std::size_t i = 0; i < 3; ++i) {
    const auto vector = numbers<3>(crystal, keys[i]);
    if (!vector) return common::Error{0, name + ": " + keys[i] + " is not three numbers"};
    basis.col(static_cast<Eigen::Index>(i)) =
        Eigen::Vector3d((*vector)[0], (*vector)[1], (*vector)[2]);
  }
  crystal::CellEntry entry;
  entry.source = std::move(name);
  entry.cell = crystal::cell_of_basis(basis);
  const auto hall = crystal.find("space_group_hall_symbol");
  if (hall != crystal.end() && hall->is_string())
    entry.lattice = lattice_of_symbol(hall->get_ref<const std::string&>());
  auto checked = checked_entry(std::move(entry), 0);
  if (!checked) return checked;
  if (crystal.contains("B_covariance")) {
    const auto covariance = numbers<81>(crystal, "B_covariance");
    if (!covariance) return common::Error{0, checked->source + ": B_covariance is not 81 numbers"};
    crystal::CellEntry with_sus = std::move(checked).value();
    with_sus.su = propagated_sus(with_sus.cell, *covariance);
    return with_sus;
  }
  return checked;
}

// The parser's words for the fault, at the line of the byte where it stopped:
// "... parse error at line 3, column 5: syntax error while parsing object key
// - invalid literal; last read: '...'" gives "syntax error while parsing
// object key - invalid literal" (what was last read may be any bytes).
common::Error json_failure(const Json::parse_error& e, std::string_view bytes) {
  int line = 1;
  for (std::size_t i = 0; i + 1 < e.byte && i < bytes.size(); ++i) line += bytes[i] == '\n' ? 1 : 0;
  std::string_view what = e.what();
  const std::size_t column = what.find("column ");
  const std::size_t from = what.find(": ", column == std::string_view::npos ? 0 : column);
  if (from != std::string_view::npos) what.remove_prefix(from + 2);
  what = what.substr(0, what.find("; last read"));
  return common::Error{line, "not JSON: " + std::string(what)};
}

}  // namespace

common::Expected<CellRead> read_dials_expt(std::string_view bytes, std::string_view source) {
  Json document;
  try {
    document = Json::parse(bytes.begin(), bytes.end());
  } catch (const Json::parse_error& e) {
    return json_failure(e, bytes);
  } catch (const Json::exception& e) {
    // A number beyond a double's range: "[json.exception.out_of_range.406]
    // number overflow parsing '1e999'".
    const std::string_view what = e.what();
    const std::size_t from = what.find("] ");
    return common::Error{
        0, "not JSON: " + std::string(what.substr(from == std::string_view::npos ? 0 : from + 2))};
  }
  const auto crystals = document.is_object() ? document.find("crystal") : document.end();
  if (!document.is_object() || crystals == document.end() || !crystals->is_array() ||
      crystals->empty())
    return common::Error{0, "no crystal model (\"crystal\": [...])"};
  CellRead read;
  for (std::size_t i = 0; i < crystals->size(); ++i) {
    std::string name(source);
    if (crystals->size() > 1) name += ":crystal " + std::to_string(i);
    auto entry = crystal_entry((*crystals)[i], std::move(name));
    if (!entry) return entry.error();
    read.entries.push_back(std::move(entry).value());
  }
  return read;
}

}  // namespace formats
