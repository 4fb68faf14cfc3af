#include "formats/table_file.h"

#include <string>

#include "textrec/textrec.h"

namespace formats {
namespace {

using textrec::Layout;

const Layout& layout_a() {
  static const Layout layout = textrec::parse_layout("A");
  return layout;
}

}  // namespace

void write_table_header(std::string_view series_title, CellChoice choice) {
  std::string title = "! ";
  title += textrec::trim_right(series_title);
  textrec::write_formatted(kTableChannel, layout_a(), {title});
  if (choice == CellChoice::kInput) {
    textrec::write_formatted(kTableChannel, layout_a(),
                             {"! Cell parameters extracted from input cell."});
    textrec::write_formatted(
        kTableChannel, layout_a(),
        {"! Bravais lattice and volume are related to conventionnal unit cell."});
  } else {
    textrec::write_formatted(kTableChannel, layout_a(),
                             {"! Cell parameters extracted from conventionnal cell."});
  }
  static const Layout heading = textrec::parse_layout("4A");
  textrec::write_formatted(
      kTableChannel, heading,
      {"!   TK        a(A)        b(A)        c(A)", "  alpha(deg)   beta(deg)   gamma(deg)",
       "  volume(A3)  symmetry       Bravais  "});
  textrec::write_rule(kTableChannel, "!", "-", 200);  // A1, 200A1
}

void write_table_row(const CellRecord& cell) {
  static const Layout row = textrec::parse_layout("F6.2, 3F12.5, 3F12.3, F13.3, 2X, A12, A4");
  textrec::write_formatted(
      kTableChannel, row,
      {cell.temperature, cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma, cell.volume,
       std::string_view(cell.system), std::string_view(cell.lattice)});
}

}  // namespace formats
