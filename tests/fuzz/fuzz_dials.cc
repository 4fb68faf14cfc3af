// Fuzz target: the reader of DIALS experiment lists, on arbitrary bytes.
//
// Checks, whatever the input:
// - the read ends with entries or with an error in words; an allocation the
//   fuzzer's malloc limit refuses, or a parse that does not end, is a finding;
// - every entry is a cell of finite parameters with finite, positive SUs,
//   named after the file, "f:crystal N" when the file holds several;
// - asked to stop at once, the read stops: it ends as without the question
//   (too short a file to ask) or with the error "interrupted", never with
//   entries the uninterrupted read does not give.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/dials_expt.h"
#include "fuzz_support.h"

namespace {

using fuzzsupport::check;

void check_entries(const formats::CellRead& read) {
  check(!read.entries.empty(), "no entry and no error");
  for (const crystal::CellEntry& entry : read.entries) {
    check(
        entry.source == "f" || (read.entries.size() > 1 && entry.source.starts_with("f:crystal ")),
        "an entry not named after its file: " + entry.source);
    check(crystal::check_cell(entry.cell).has_value(), "an entry that is no cell");
    for (const auto su : crystal::parameters(entry.su))
      check(!su || (std::isfinite(*su) && *su > 0), "an SU not finite and positive");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto read = formats::read_dials_expt(bytes, "f");
  if (read) {
    check_entries(*read);
  } else {
    check(!read.error().message.empty(), "an error without words");
  }
  const auto stopped = formats::read_dials_expt(bytes, "f", [] { return true; });
  if (stopped) {
    check(read.has_value() && stopped->entries.size() == read->entries.size(),
          "an interrupted read gives other entries");
  } else if (stopped.error().message != "interrupted") {
    check(!read && read.error().message == stopped.error().message,
          "an interrupted read fails otherwise: " + stopped.error().message);
  }
  return 0;
}
