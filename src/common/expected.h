// The one way of returning a value or saying why there is none.
//
// Whatever can fail in the libraries and the programs' own code returns an
// Expected: the value (none for a writer, Expected<void>), or an Error naming
// the line of the fault (0 for a file as a whole, or a fault of no file) and
// the reason in words; each program turns an Error into its message and exit
// status in one place. The text-record layer keeps its own read statuses.
// C++20 has no std::expected; this is the small part of it the code needs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace common {

struct Error {
  int line = 0;  // 1-based line of the fault; 0 for the file as a whole
  std::string message;
};

// The error as told of a named file, of line 0: "FILE, line N: MESSAGE", or
// "FILE: MESSAGE" for a fault of the file as a whole. Every message that
// names a file and a line of it is built here.
[[nodiscard]] inline std::string where_in_file(std::string_view file, std::int64_t line) {
  std::string text(file);
  if (line > 0) text += ", line " + std::to_string(line);
  return text;
}
[[nodiscard]] inline Error in_file(std::string_view file, const Error& error) {
  return {0, where_in_file(file, error.line) + ": " + error.message};
}

template <class T>
class [[nodiscard]] Expected {
 public:
  Expected(T value) : state_(std::move(value)) {}      // NOLINT(google-explicit-constructor)
  Expected(Error error) : state_(std::move(error)) {}  // NOLINT(google-explicit-constructor)

  [[nodiscard]] bool has_value() const { return state_.index() == 0; }
  explicit operator bool() const { return has_value(); }
  // The value or the error; asking for the one that is not there is a fault
  // of the caller (std::bad_variant_access).
  [[nodiscard]] const T& value() const& { return std::get<T>(state_); }
  [[nodiscard]] T& value() & { return std::get<T>(state_); }
  [[nodiscard]] T&& value() && { return std::get<T>(std::move(state_)); }
  [[nodiscard]] const T& operator*() const& { return value(); }
  [[nodiscard]] const T* operator->() const { return &value(); }
  [[nodiscard]] T* operator->() { return &value(); }
  [[nodiscard]] const Error& error() const { return std::get<Error>(state_); }

 private:
  std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Expected<void> {
 public:
  Expected() = default;
  Expected(Error error) : error_(std::move(error)) {}  // NOLINT(google-explicit-constructor)

  [[nodiscard]] bool has_value() const { return !error_.has_value(); }
  explicit operator bool() const { return has_value(); }
  [[nodiscard]] const Error& error() const { return error_.value(); }

 private:
  std::optional<Error> error_;
};

}  // namespace common

// The value of an Expected, or its error returned at once from the function
// that asks, as one statement:
//
//   COMMON_TRY(numbers, numbers_of(fields, 1, 7, at, "CELL"));
//   entry.cell = cell_from(*numbers);
//   COMMON_TRY_VOID(check_points(temperatures, degree));
//
// COMMON_TRY declares `name` as the Expected itself, so that *name is the
// value; the function returns an Expected (of any type) or an Error.
// NOLINTBEGIN(bugprone-macro-parentheses): `name` is a declarator.
#define COMMON_TRY(name, ...) \
  auto name = (__VA_ARGS__);  \
  if (!name) return name.error()
// NOLINTEND(bugprone-macro-parentheses)

#define COMMON_TRY_VOID(...)                                        \
  do {                                                              \
    if (auto common_try_result = (__VA_ARGS__); !common_try_result) \
      return common_try_result.error();                             \
  } while (false)
