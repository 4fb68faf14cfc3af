// The lattice picture draws, below the lengths, the angles that vary: beta
// of a monoclinic series in a second frame, none for a series whose angles
// stay put.
#include <gtest/gtest.h>

#include <string>

#include "test_util.h"

namespace {

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(LatticePicture, AnglesThatVaryGetAFrameOfTheirOwn) {
  const struct {
    const char* beta;  // at 100, 200, 300 K
    std::size_t frames;
  } cases[] = {{"100.1 100.3 100.6", 2}, {"90 90 90.0000", 1}};
  for (const auto& c : cases) {
    testutil::ScopedTempDir dir;
    std::string table, betas = c.beta;
    for (const int t : {100, 200, 300}) {
      const std::string beta = betas.substr(0, betas.find(' '));
      betas.erase(0, beta.size() + 1);
      table += std::to_string(t) + " " + std::to_string(5 + t * 1e-4) + " 6 7 90 " + beta + " 90\n";
    }
    testutil::write_file(dir.file("m.txt"), table);
    const auto r = testutil::run_program({EXPANSION_BIN, "--svg", "p", "m.txt"}, dir.path(), "");
    EXPECT_EQ(0, r.exit_status) << r.err;
    const std::string svg = testutil::read_file(dir.file("p_lattice.svg"));
    EXPECT_EQ(c.frames, count(svg, "<rect class=\"frame\"")) << c.beta;
    EXPECT_EQ(c.frames - 1, count(svg, "Angle (\u00b0)")) << c.beta;
  }
}

}  // namespace
