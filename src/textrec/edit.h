// Field codes and layouts of formatted records.
//
// A layout is written in the program the way the file formats are described:
// "F6.2, 3F12.5, 3F12.3, F13.3, 2X, A12, A4". It is parsed once into a list of
// field codes with the repeat counts expanded, and then applied left to right to
// the items of one write, each field code but nX taking one item. Fields are
// concatenated with nothing between them; when the items run out, the record
// ends at the next field code that needs one. A value too wide for its field is
// written as the overflow form: w asterisks.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace textrec {

enum class Code {
  kA,   // A: a text of its own length
  kAw,  // Aw: a text in w characters, right-justified, or its first w characters
  kF,   // Fw.d: a single-precision real, fixed point with d decimals
  kI,   // Iw: an integer right-justified in w characters
  kX,   // nX: n blanks, takes no item
};

struct FieldCode {
  Code code = Code::kA;
  int w = 0;  // width (Aw, Fw.d, Iw) or count of blanks (nX)
  int d = 0;  // decimals (Fw.d)
};

// A parsed layout: the field codes with repeat counts expanded.
struct Layout {
  std::vector<FieldCode> fields;
};

// Parses a layout such as "F6.2, 3F12.5, 2X, A12". Blanks around commas are
// allowed. A malformed layout is a fault of the program itself, not of its input:
// it throws std::logic_error naming the layout.
[[nodiscard]] Layout parse_layout(std::string_view text);

// One item of a formatted write. Fw.d takes a float, Iw an int64_t, A and Aw a
// text. A mismatch is a fault of the program: std::logic_error.
using Item = std::variant<float, std::int64_t, std::string_view>;

// Each edit appends its field to out.
void edit_a(std::string& out, std::string_view text);
void edit_aw(std::string& out, std::string_view text, int w);
void edit_f(std::string& out, float x, int w, int d);
void edit_i(std::string& out, std::int64_t v, int w);
void edit_x(std::string& out, int n);

// Appends one record laid out by layout from items (no line end).
void format_record(std::string& out, const Layout& layout, std::span<const Item> items);

}  // namespace textrec
