// Free-form reads that meet a failing console or a number lacking digits.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "textrec/memory_files.h"
#include "textrec/textrec.h"
#include "textrec/unit_util.h"

namespace textrec {
namespace {

using unittest::ends_with;
using unittest::MemoryRun;
using Lines = std::vector<std::string>;

const std::string kContinue = "TAKEN TO (STANDARD) CORRECTIVE ACTION, EXECUTION CONTINUING.";
const std::string kEnded = " !! Execution ended.";

// A console whose reads fail, as a closed standard input or a folder does.
class FailingConsole : public ByteSource {
 public:
  explicit FailingConsole(std::string reason) : reason_(std::move(reason)) {}
  long read_bytes(char* /*buf*/, std::size_t /*n*/) override { return -1; }
  bool seek_to_start() override { return false; }
  std::string error() const override { return reason_; }

 private:
  std::string reason_;
};

TEST(ReadFree, AConsoleThatFailsEndsTheRunWithTheReason) {
  for (const std::string reason : {"Bad file descriptor", "Is a directory"}) {
    unittest::MemoryRun run;
    install(std::make_unique<FailingConsole>(reason), memory_sink(&run.out), run.fs);
    std::string name = blank_text(8);
    EXPECT_EQ(kExitEnded, ends_with([&] { read_free(Source::Console(), {Target::Text(&name)}); }));
    EXPECT_EQ((Lines{" !! Severe error: cannot read the console: " + reason, kEnded}),
              run.console_lines());
  }
}

TEST(ReadFree, ANumberLackingDigitsSaysWhatWasRead) {
  const struct {
    std::string value;
    float read_as;
    std::string what;
  } cases[] = {
      {"1e", 1.0F, "has an exponent without digits, read as 1.0"},
      {"-2.5d+", -2.5F, "has an exponent without digits, read as -2.5"},
      {"5-", 5.0F, "has an exponent without digits, read as 5.0"},
      {".", 0.0F, "has no digits, read as 0"},
      {"-", -0.0F, "has no digits, read as 0"},
      {"E5", 0.0F, "has no digits before its exponent, read as 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    unittest::MemoryRun run;
    float x = 42.0F;
    read_free(Source::Memory(c.value), {Target::Real(&x)});
    EXPECT_EQ(c.read_as, x);
    EXPECT_EQ((Lines{" !! Warning: the number \"" + c.value + "\" " + c.what +
                         ", in a read from a memory record",
                     kContinue}),
              run.console_lines());
  }
}

}  // namespace
}  // namespace textrec
