// The README's worked examples against the programs: each block that starts
// with "$ COMMAND" is run in a folder holding a copy of examples/, and what it
// shows must be what the command prints, a line "..." standing for lines left
// out.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

struct Example {
  std::string command;
  std::vector<std::string> shown;  // the lines after the command
};

std::string trimmed_right(const std::string& line) {
  return line.substr(0, line.find_last_not_of(" \r") + 1);
}

// Fenced blocks and blocks indented by four blanks whose first line is "$ ...".
std::vector<Example> examples_of(const std::string& readme) {
  const std::vector<std::string> lines = testutil::split_lines(readme);
  std::vector<Example> out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool fenced =
        lines[i].starts_with("```") && i + 1 < lines.size() && lines[i + 1].starts_with("$ ");
    const bool indented = lines[i].starts_with("    $ ") && (i == 0 || lines[i - 1].empty());
    if (!fenced && !indented) continue;
    const std::size_t first = fenced ? i + 1 : i;
    Example e{lines[first].substr(fenced ? 2 : 6), {}};
    std::size_t k = first + 1;
    for (; k < lines.size(); ++k) {
      if (fenced && lines[k].starts_with("```")) break;
      const bool goes_on =
          lines[k].starts_with("    ") ||
          (lines[k].empty() && k + 1 < lines.size() && lines[k + 1].starts_with("    "));
      if (!fenced && !goes_on) break;
      e.shown.push_back(trimmed_right(
          fenced ? lines[k] : lines[k].substr(std::min<std::size_t>(4, lines[k].size()))));
    }
    out.push_back(e);
    i = k;
  }
  return out;
}

// Whether the parts of `shown` between "..." lines follow each other in
// `printed`, each a run of whole lines.
bool shows(const std::vector<std::string>& printed, const std::vector<std::string>& shown) {
  std::size_t at = 0;
  std::vector<std::string> part;
  const auto find_part = [&]() {
    if (part.empty()) return true;
    for (std::size_t start = at; start + part.size() <= printed.size(); ++start) {
      if (std::equal(part.begin(), part.end(), printed.begin() + static_cast<long>(start))) {
        at = start + part.size();
        part.clear();
        return true;
      }
    }
    return false;
  };
  for (const std::string& line : shown) {
    if (line == "...") {
      if (!find_part()) return false;
    } else {
      part.push_back(line);
    }
  }
  return find_part();
}

TEST(Readme, WorkedExamplesAreWhatTheProgramsPrint) {
  const std::vector<Example> examples = examples_of(testutil::read_file(TESTS_DIR "/../README.md"));
  EXPECT_GE(examples.size(), 3U);
  const std::string bin = std::filesystem::path(KORVEX_BIN).parent_path().string();
  for (const Example& e : examples) {
    testutil::ScopedTempDir dir;
    std::filesystem::create_directory(dir.file("examples"));
    std::istringstream names(EXAMPLE_FILES);
    for (std::string name; names >> name;)
      std::filesystem::copy_file(std::string(EXAMPLES_DIR) + "/" + name,
                                 dir.file("examples/" + name));
    const auto r = testutil::run_program({"/bin/sh", "-c", e.command}, dir.path(), "",
                                         {{"PATH", bin + ":/usr/bin:/bin"}});
    std::vector<std::string> printed;
    for (const std::string& line : testutil::split_lines(r.out))
      printed.push_back(trimmed_right(line));
    EXPECT_TRUE(shows(printed, e.shown)) << "$ " << e.command << "\nprints:\n" << r.out << r.err;
  }
}

}  // namespace
