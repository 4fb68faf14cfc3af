#include "common/safe_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/utf8.h"

namespace {

using common::Charset;

// One policy, three charsets: what a console, a UTF-8 display and an ASCII
// one show of the same bytes.
TEST(SafeText, ControlsAreQuestionMarksInEveryCharset) {
  struct Case {
    std::string in, as_given, utf8, ascii;
  };
  const std::vector<Case> cases = {
      {"\u00C5ngstr\u00F6m", "\u00C5ngstr\u00F6m", "\u00C5ngstr\u00F6m", "?ngstr?m"},
      {"\xC5ngstr\xF6m", "\xC5ngstr\xF6m", "\u00C5ngstr\u00F6m", "?ngstr?m"},  // Latin-1
      {"a\tb\rc\x7f", "a\tb?c?", "a\tb?c?", "a\tb?c?"},
      {"\x1b]0;owned\x07.out", "?]0;owned?.out", "?]0;owned?.out", "?]0;owned?.out"},
      {"\xC2\x9B"
       "2J",
       "?2J", "?2J", "?2J"},  // a C1 code point in UTF-8
      {"\x9B"
       "31m\xE9",
       "?31m\xE9", "?31m\u00E9", "?31m?"},     // a C1 byte in Latin-1
      {"\xE2\x82", "\xE2?", "\u00E2?", "??"},  // a cut sequence makes the text Latin-1
      // One byte that is not UTF-8 makes the whole text Latin-1: the bytes of
      // U+0145 are then A-ring and a C1 control.
      {"\xC5\x85 \xE9", "\xC5? \xE9", "\u00C5? \u00E9", "?? ?"},
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.as_given, common::safe_text(c.in)) << c.in;
    EXPECT_EQ(c.utf8, common::safe_text(c.in, Charset::kUtf8)) << c.in;
    EXPECT_EQ(c.ascii, common::safe_text(c.in, Charset::kAscii)) << c.in;
    EXPECT_TRUE(common::is_valid_utf8(common::safe_text(c.in, Charset::kUtf8))) << c.in;
  }
}

TEST(Utf8, OnlyShortestFormScalarValuesAreValid) {
  struct Case {
    std::string bytes;
    char32_t code;
    std::size_t length;  // 0: not valid
  };
  const std::vector<Case> cases = {
      {"A", U'A', 1},
      {"\xC3\xA9", U'\u00E9', 2},
      {"\xF0\x9F\x98\x80", U'\U0001F600', 4},
      {"\xC0\xAF", 0, 0},          // overlong "/"
      {"\xED\xA0\x80", 0, 0},      // a surrogate
      {"\xF4\x90\x80\x80", 0, 0},  // beyond U+10FFFF
      {"\xE2\x82", 0, 0},          // cut short
      {"\x80", 0, 0},              // a continuation byte alone
  };
  for (const Case& c : cases) {
    const common::Utf8Char got = common::decode_utf8(c.bytes, 0);
    EXPECT_EQ(c.length, got.length) << c.bytes;
    if (c.length != 0) {
      EXPECT_EQ(c.code, got.code) << c.bytes;
      std::string back;
      common::append_utf8(back, got.code);
      EXPECT_EQ(c.bytes, back);
    }
  }
  EXPECT_EQ(3U, common::display_width("\u00C5\u00B3x"));
  EXPECT_EQ("\u00C5\u00B3", common::truncate_to_width("\u00C5\u00B3x", 2));
}

}  // namespace
