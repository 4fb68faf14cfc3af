#include "outputs.h"

#include "common/files.h"
#include "common/safe_text.h"

namespace korvex_expansion {

std::string about_file(const std::string& file, const common::Error& error) {
  return common::in_file(file, error).message;
}

void write_pictures(const Options& opt, const std::vector<chart::Picture>& pictures,
                    const std::function<std::string(const std::vector<std::string>&)>& page,
                    const std::vector<std::string>& inputs, Outcome& outcome) {
  std::vector<std::string> paths;
  if (opt.svg_prefix)
    for (const chart::Picture& p : pictures) paths.push_back(*opt.svg_prefix + p.suffix);
  if (opt.html_file) paths.push_back(*opt.html_file);
  if (const auto checked = common::check_outputs(paths, inputs); !checked) {
    outcome.output.clear();
    outcome.failures.push_back(checked.error().message + ": nothing written");
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
