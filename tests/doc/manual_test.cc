// The manual pages against the programs: every option --help lists is in
// the page's OPTIONS, with the default --help gives.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

const std::string kDoc = TESTS_DIR "/../doc/";

// A page's text as a reader sees it, near enough: font escapes and the
// macros' names gone, \- a hyphen, quotes of macro arguments dropped.
std::string plain_page(const std::string& page) {
  std::string s = std::regex_replace(page, std::regex(R"(\\f[BIRP])"), "");
  s = std::regex_replace(s, std::regex(R"(\\-)"), "-");
  s = std::regex_replace(s, std::regex(R"(\\\(S2)"), "\u00b2");
  s = std::regex_replace(s, std::regex(R"((^|\n)\.(B|BI|BR|IR|I|IB|RB) )"), "$1");
  return std::regex_replace(s, std::regex("\""), "");
}

// The paragraph of OPTIONS that names --name in its tag, joined into one line.
std::string option_paragraph(const std::string& page, const std::string& name) {
  const std::size_t options = page.find("\n.SH OPTIONS");
  const std::size_t end = page.find("\n.SH ", options + 1);
  const std::string section = page.substr(options, end - options);
  std::size_t at = 0;
  while ((at = section.find("\n.TP\n", at)) != std::string::npos) {
    at += 5;
    const std::size_t tag_end = section.find('\n', at);
    const std::string tag = section.substr(at, tag_end - at);
    if (!std::regex_search(tag, std::regex("--" + name + "(\\s|,|$)"))) continue;
    const std::size_t next = section.find("\n.TP\n", tag_end);
    return std::regex_replace(section.substr(at, next - at), std::regex(R"(\s+)"), " ");
  }
  return {};
}

struct HelpOption {
  std::string name;
  std::string fallback;  // what "(default ...)" says, to its first ';', ')' or " ("
};

// The options of a usage text, two blanks in, each with its description's
// continuation lines.
std::vector<HelpOption> help_options(const std::string& help) {
  std::vector<HelpOption> out;
  std::string text;
  const auto finish = [&] {
    if (out.empty()) return;
    text = std::regex_replace(text, std::regex(R"(\s+)"), " ");
    std::smatch m;
    if (std::regex_search(text, m, std::regex(R"(default ([^;)]+?)(;|\)| \(|$))")))
      out.back().fallback = m[1];
  };
  std::size_t at = 0;
  while (at < help.size()) {
    const std::size_t end = help.find('\n', at);
    const std::string line = help.substr(at, end - at);
    at = end == std::string::npos ? help.size() : end + 1;
    std::smatch m;
    if (std::regex_search(line, m, std::regex(R"(^  (?:-\w, )?--([a-z][a-z-]*))"))) {
      finish();
      out.push_back({m[1], ""});
      text = line.substr(static_cast<std::size_t>(m.length(0)));
    } else if (line.starts_with("      ") && !out.empty()) {
      text += " " + line;
    } else {
      finish();
      text.clear();
    }
  }
  finish();
  return out;
}

TEST(Manual, EveryOptionOfHelpIsInThePageWithItsDefault) {
  const struct {
    const char* program;
    const char* page;
  } programs[] = {{EXPANSION_BIN, "korvex-expansion.1"}, {VISTREL_BIN, "vistrel.1"}};
  for (const auto& p : programs) {
    testutil::ScopedTempDir dir;
    const auto help = testutil::run_program({p.program, "--help"}, dir.path(), "");
    const std::string page = plain_page(testutil::read_file(kDoc + p.page));
    const std::vector<HelpOption> options = help_options(help.out);
    EXPECT_GT(options.size(), 2U) << p.page;
    for (const HelpOption& o : options) {
      if (o.name == "help" || o.name == "version") continue;
      const std::string paragraph = option_paragraph(page, o.name);
      EXPECT_FALSE(paragraph.empty()) << p.page << ": --" << o.name << " is not in OPTIONS";
      if (!o.fallback.empty()) {
        EXPECT_NE(std::string::npos, paragraph.find("default " + o.fallback))
            << p.page << ": --" << o.name << " (default " << o.fallback << "): " << paragraph;
      }
    }
  }
}

}  // namespace
