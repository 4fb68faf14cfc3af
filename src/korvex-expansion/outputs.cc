#include "outputs.h"

#include <algorithm>

#include "common/files.h"
#include "common/safe_text.h"
#include "textrec/files.h"

namespace korvex_expansion {

std::string about_file(const std::string& file, const common::Error& error) {
  return common::in_file(file, error).message;
}

namespace {

// The first of the outputs that is one of the files read (by device and
// inode, whatever the names), or "" when none is.
std::string input_among(const std::vector<std::string>& outputs,
                        const std::vector<std::string>& inputs) {
  textrec::FileSystem& files = textrec::posix_file_system();
  std::vector<textrec::FileIdentity> read;
  for (const std::string& output : outputs) {
    const auto identity = files.identity(output);
    if (!identity) continue;
    if (read.empty()) {
      for (const std::string& input : inputs)
        if (const auto i = files.identity(input)) read.push_back(*i);
    }
    if (std::find(read.begin(), read.end(), *identity) != read.end()) return output;
  }
  return {};
}

}  // namespace

void write_pictures(const Options& opt, const std::vector<chart::Picture>& pictures,
                    const std::function<std::string(const std::vector<std::string>&)>& page,
                    const std::vector<std::string>& inputs, Outcome& outcome) {
  std::vector<std::string> paths;
  if (opt.svg_prefix)
    for (const chart::Picture& p : pictures) paths.push_back(*opt.svg_prefix + p.suffix);
  if (opt.html_file) paths.push_back(*opt.html_file);
  if (const auto input = input_among(paths, inputs); !input.empty()) {
    outcome.output.clear();
    outcome.failures.push_back(input + " is one of the inputs: nothing written");
    return;
  }
  const auto write = [&](const std::string& path, const std::string& bytes) {
    const auto wrote = common::write_file_replacing(path, bytes);
    if (!wrote) outcome.failures.push_back("cannot write " + path + ": " + wrote.error().message);
    return wrote.has_value();
  };
  std::string written;
  if (opt.svg_prefix) {
    for (const chart::Picture& p : pictures) {
      const std::string path = *opt.svg_prefix + p.suffix;
      if (write(path, p.svg)) written += (written.empty() ? "" : ", ") + common::safe_text(path);
    }
    if (!written.empty()) written = "\n SVG pictures written: " + written + "\n";
  }
  if (opt.html_file && write(*opt.html_file, page(outcome.warnings))) {
    written += std::string(written.empty() ? "\n" : "") +
               " HTML page written: " + common::safe_text(*opt.html_file) + "\n";
  }
  if (opt.format == Format::kText) outcome.output += written;
}

}  // namespace korvex_expansion
