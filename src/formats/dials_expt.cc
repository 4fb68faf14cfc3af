#include "formats/dials_expt.h"

#include <Eigen/Dense>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
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
  const std::array<double, 6> values = crystal::parameters(cell);
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

// What a crystal model gives of the items read; the rest of it is passed over.
struct CrystalModel {
  std::array<std::vector<double>, 3> basis;  // real_space_a, _b, _c
  std::vector<double> covariance;            // B_covariance, when given
  bool has_covariance = false;
  std::string hall;   // space_group_hall_symbol
  std::string fault;  // the first item that is not what it should be
};

constexpr std::array<const char*, 3> kBasisKeys = {"real_space_a", "real_space_b", "real_space_c"};

common::Expected<crystal::CellEntry> crystal_entry(const CrystalModel& model, std::string name,
                                                   std::string_view part) {
  const auto error = [&](const std::string& message) {
    return common::Error{0, part.empty() ? message : std::string(part) + ": " + message};
  };
  if (!model.fault.empty()) return error(model.fault);
  Eigen::Matrix3d basis;
  for (std::size_t i = 0; i < 3; ++i) {
    if (model.basis[i].size() != 3)
      return error(std::string(kBasisKeys[i]) + " is not three numbers");
    basis.col(static_cast<Eigen::Index>(i)) =
        Eigen::Vector3d(model.basis[i][0], model.basis[i][1], model.basis[i][2]);
  }
  crystal::CellEntry entry;
  entry.source = std::move(name);
  entry.cell = crystal::cell_of_basis(basis);
  entry.lattice = lattice_of_symbol(model.hall);
  entry.system = system_of_hall_symbol(model.hall);
  auto checked = checked_entry(std::move(entry), 0, part);
  if (!checked || !model.has_covariance) return checked;
  if (model.covariance.size() != 81) return error("B_covariance is not 81 numbers");
  std::array<double, 81> covariance{};
  std::copy(model.covariance.begin(), model.covariance.end(), covariance.begin());
  crystal::CellEntry with_sus = std::move(checked).value();
  with_sus.su = propagated_sus(with_sus.cell, covariance);
  return with_sus;
}

// The parser's words for the fault, at the line of the byte where it stopped:
// "... parse error at line 3, column 5: syntax error while parsing object key
// - invalid literal; last read: '...'" gives "syntax error while parsing
// object key - invalid literal" (what was last read may be any bytes). A
// number beyond a double's range is "number overflow parsing '1e999'".
common::Error json_failure(std::size_t byte, const nlohmann::detail::exception& e,
                           std::string_view bytes) {
  std::string_view what = e.what();
  if (e.id == 406) {
    const std::size_t from = what.find("] ");
    return common::Error{
        0, "not JSON: " + std::string(what.substr(from == std::string_view::npos ? 0 : from + 2))};
  }
  int line = 1;
  for (std::size_t i = 0; i + 1 < byte && i < bytes.size(); ++i) line += bytes[i] == '\n' ? 1 : 0;
  const std::size_t column = what.find("column ");
  const std::size_t from = what.find(": ", column == std::string_view::npos ? 0 : column);
  if (from != std::string_view::npos) what.remove_prefix(from + 2);
  what = what.substr(0, what.find("; last read"));
  return common::Error{line, "not JSON: " + std::string(what)};
}

// The parser's events, of which the crystal models' items alone are kept:
// the memory taken is that of the models, whatever else the file holds. The
// nesting is bounded, and the interrupt asked after every few thousand events.
class CrystalsSax {
 public:
  CrystalsSax(std::string_view bytes, const Interrupted& interrupted)
      : bytes_(bytes), interrupted_(interrupted) {}

  bool null() { return value(false, 0); }
  bool boolean(bool) { return value(false, 0); }
  bool number_integer(std::int64_t n) { return value(true, static_cast<double>(n)); }
  bool number_unsigned(std::uint64_t n) { return value(true, static_cast<double>(n)); }
  bool number_float(double x, const std::string&) { return value(true, x); }
  bool string(std::string& text) {
    if (in_model() && key_ == "space_group_hall_symbol") crystals_.back().hall = text;
    return value(false, 0);
  }
  bool binary(std::vector<std::uint8_t>&) { return value(false, 0); }
  bool start_object(std::size_t) { return open(true); }
  bool start_array(std::size_t) { return open(false); }
  bool end_object() { return close(); }
  bool end_array() { return close(); }
  bool key(std::string& name) {
    if (depth_ == kDocument && name == "crystal") crystals_.clear();
    if (depth_ == kDocument || depth_ == kModel) key_ = name;
    if (depth_ == kDocument) crystals_key_ = name == "crystal";
    if (in_model()) {
      if (list() != nullptr) list()->clear();
      if (name == "B_covariance") crystals_.back().has_covariance = true;
    }
    return tick();
  }
  bool parse_error(std::size_t byte, const std::string&, const nlohmann::detail::exception& e) {
    error_ = json_failure(byte, e, bytes_);
    return false;
  }

  // What stopped the parse, if anything did.
  [[nodiscard]] const std::optional<common::Error>& error() const { return error_; }
  [[nodiscard]] bool is_document() const { return document_object_; }
  [[nodiscard]] const std::vector<CrystalModel>& crystals() const { return crystals_; }

 private:
  static constexpr int kDocument = 1, kCrystals = 2, kModel = 3, kItem = 4;
  static constexpr int kDeepest = 256;
  static constexpr std::size_t kMostCrystals = 100000;

  // Whether the parse stands in a crystal model, among its items.
  [[nodiscard]] bool in_model() const { return depth_ == kModel && in_crystals_; }

  // The list of numbers the key being read fills, or none.
  std::vector<double>* list() {
    CrystalModel& model = crystals_.back();
    for (std::size_t i = 0; i < 3; ++i)
      if (key_ == kBasisKeys[i]) return &model.basis[i];
    return key_ == "B_covariance" ? &model.covariance : nullptr;
  }

  bool value(bool number, double x) {
    if (depth_ == kItem && in_crystals_ && list() != nullptr) {
      std::vector<double>& numbers = *list();
      if (!number || !std::isfinite(x)) {
        if (crystals_.back().fault.empty())
          crystals_.back().fault = key_ + " holds a value that is not a number";
      } else if (numbers.size() <= 81) {
        numbers.push_back(x);
      }
    } else if (depth_ == kCrystals && in_crystals_) {
      return stop("a crystal model is not a JSON object");
    }
    return tick();
  }

  bool open(bool object) {
    if (++depth_ > kDeepest)
      return stop("nested deeper than " + std::to_string(kDeepest) + " levels");
    if (depth_ == kDocument) document_object_ = object;
    if (depth_ == kCrystals) in_crystals_ = crystals_key_ && !object;
    if (depth_ == kModel && in_crystals_) {
      if (!object) return stop("a crystal model is not a JSON object");
      if (crystals_.size() == kMostCrystals)
        return stop("more than " + std::to_string(kMostCrystals) + " crystal models");
      crystals_.emplace_back();
    }
    if (depth_ == kItem && in_crystals_ && (object || list() == nullptr)) {
      if (list() != nullptr && crystals_.back().fault.empty())
        crystals_.back().fault = key_ + " is not a list of numbers";
    }
    return tick();
  }

  bool close() {
    if (depth_ == kCrystals) in_crystals_ = false;
    --depth_;
    return tick();
  }

  bool tick() {
    if (asked_to_stop(interrupted_, ++events_)) return stop("interrupted");
    return true;
  }

  bool stop(std::string message) {
    error_ = common::Error{0, std::move(message)};
    return false;
  }

  std::string_view bytes_;
  const Interrupted& interrupted_;
  int depth_ = 0;
  bool document_object_ = false;
  bool crystals_key_ = false;  // the document's key being read is "crystal"
  bool in_crystals_ = false;
  std::string key_;
  std::vector<CrystalModel> crystals_;
  std::optional<common::Error> error_;
  std::size_t events_ = 0;
};

}  // namespace

common::Expected<CellRead> read_dials_expt(std::string_view bytes, std::string_view source,
                                           const Interrupted& interrupted) {
  CrystalsSax sax(bytes, interrupted);
  const bool parsed = Json::sax_parse(bytes.begin(), bytes.end(), &sax);
  if (!parsed || sax.error()) {
    if (sax.error()) return *sax.error();
    return common::Error{0, "not JSON"};
  }
  const std::vector<CrystalModel>& crystals = sax.crystals();
  if (!sax.is_document() || crystals.empty())
    return common::Error{0, "no crystal model (\"crystal\": [...])"};
  CellRead read;
  read.entries.reserve(crystals.size());
  for (std::size_t i = 0; i < crystals.size(); ++i) {
    const std::string part = crystals.size() > 1 ? "crystal " + std::to_string(i) : std::string();
    COMMON_TRY(entry, crystal_entry(crystals[i],
                                    std::string(source) + (part.empty() ? "" : ":" + part), part));
    read.entries.push_back(std::move(entry).value());
  }
  return read;
}

}  // namespace formats
