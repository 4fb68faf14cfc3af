#include "formats/table_header.h"

#include <array>
#include <optional>

#include "formats/value_su.h"

namespace formats {

namespace {

struct Named {
  std::string_view name;
  int slot;
};

constexpr std::array<Named, 18> kNames = {{{"t", 0},
                                           {"temp", 0},
                                           {"temperature", 0},
                                           {"a", 1},
                                           {"b", 2},
                                           {"c", 3},
                                           {"alpha", 4},
                                           {"al", 4},
                                           {"\xCE\xB1", 4},
                                           {"beta", 5},
                                           {"be", 5},
                                           {"\xCE\xB2", 5},
                                           {"gamma", 6},
                                           {"ga", 6},
                                           {"\xCE\xB3", 6},
                                           {"v", 7},
                                           {"vol", 7},
                                           {"volume", 7}}};

std::optional<int> slot_named(std::string_view name) {
  for (const Named& n : kNames)
    if (n.name == name) return n.slot;
  return std::nullopt;
}

// The name without case, quotes and a unit.
std::string plain_name(std::string_view name) {
  std::string s;
  for (const char c : name) {
    if (c == '"' || c == '\'') continue;
    if (c == '(' || c == '[' || c == '/') break;
    s += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.erase(0, 1);
  return s;
}

std::optional<ColumnRole> role_of(std::string_view name) {
  if (const auto slot = slot_named(name)) return ColumnRole{*slot, false};
  static constexpr std::array<std::string_view, 3> kSuBefore = {"sigma_", "su_", "esd_"};
  static constexpr std::array<std::string_view, 2> kSuAfter = {"_su", "_esd"};
  for (const std::string_view p : kSuBefore)
    if (name.starts_with(p))
      if (const auto slot = slot_named(name.substr(p.size()))) return ColumnRole{*slot, true};
  for (const std::string_view p : kSuAfter)
    if (name.ends_with(p))
      if (const auto slot = slot_named(name.substr(0, name.size() - p.size())))
        return ColumnRole{*slot, true};
  if (name.size() > 1 && name.front() == 's')
    if (const auto slot = slot_named(name.substr(1))) return ColumnRole{*slot, true};
  return std::nullopt;
}

}  // namespace

bool is_header_row(const std::vector<std::string_view>& fields) {
  for (const std::string_view f : fields)
    if (parse_value_with_su(f)) return false;
  return !fields.empty();
}

common::Expected<std::vector<ColumnRole>> header_roles(const std::vector<std::string_view>& names) {
  static constexpr std::array<std::string_view, 4> kUnits = {"_k", "_a", "_deg", "_a3"};
  static constexpr std::array<const char*, 8> kSlotNames = {"T",     "a",    "b",     "c",
                                                            "alpha", "beta", "gamma", "V"};
  std::vector<ColumnRole> roles;
  std::array<int, 8> values{}, sus{};
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string name = plain_name(names[i]);
    std::optional<ColumnRole> role = role_of(name);
    for (std::size_t u = 0; !role && u < kUnits.size(); ++u)
      if (name.ends_with(kUnits[u])) role = role_of(name.substr(0, name.size() - kUnits[u].size()));
    const std::string column = "column " + std::to_string(i + 1);
    if (!role) {
      return common::Error{0, column + " is named |" + std::string(names[i]) +
                                  "|, not one of T a b c alpha beta gamma V or an SU of one "
                                  "(sigma_T, su_a, a_su, sa)"};
    }
    if (++(role->su ? sus : values)[static_cast<std::size_t>(role->slot)] > 1) {
      return common::Error{0, column + " names " + (role->su ? "the SU of " : "") +
                                  kSlotNames[static_cast<std::size_t>(role->slot)] + " again"};
    }
    roles.push_back(*role);
  }
  for (std::size_t slot = 0; slot < kVolumeSlot; ++slot)
    if (values[slot] == 0)
      return common::Error{0, std::string("the header row names no column ") + kSlotNames[slot]};
  return roles;
}

}  // namespace formats
