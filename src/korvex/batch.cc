#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/number_text.h"
#include "common/safe_text.h"
#include "formats/buffer_file.h"
#include "formats/cell_record.h"
#include "formats/csv_table.h"
#include "formats/plot_series.h"
#include "formats/table_file.h"
#include "korvex.h"
#include "output_files.h"
#include "series_pass.h"
#include "svg_pictures.h"
#include "textrec/textrec.h"

namespace korvex {
namespace {

// The progress line on a terminal: entries done of the count, redrawn a few
// times a second, and erased before any other line is written.
class ProgressLine : public PassProgress {
 public:
  void set_total(std::int32_t total) { total_ = total; }
  void entry_done(std::int64_t entries) override {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_drawn_ < std::chrono::milliseconds(250)) return;
    last_drawn_ = now;
    std::fprintf(stderr, "\rkorvex: %lld of %s", static_cast<long long>(entries),
                 common::counted(total_, "entry", "entries").c_str());
    std::fflush(stderr);
    shown_ = true;
  }
  void erase() {
    if (!shown_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    shown_ = false;
  }

 private:
  std::int32_t total_ = 0;
  std::chrono::steady_clock::time_point last_drawn_{};
  bool shown_ = false;
};

// The console of the batch mode: standard error, with the progress line taken
// away before each diagnostic.
class DiagnosticSink : public textrec::ByteSink {
 public:
  DiagnosticSink(std::unique_ptr<textrec::ByteSink> inner, std::shared_ptr<ProgressLine> progress)
      : inner_(std::move(inner)), progress_(std::move(progress)) {}
  bool write_bytes(const char* data, std::size_t n) override {
    if (progress_) progress_->erase();
    return inner_->write_bytes(data, n);
  }
  bool finish() override { return inner_->finish(); }
  std::string error() const override { return inner_->error(); }

 private:
  std::unique_ptr<textrec::ByteSink> inner_;
  std::shared_ptr<ProgressLine> progress_;
};

// Makes the output folder when it is missing: one level, as mkdir does.
void make_output_folder(const std::string& folder) {
  if (folder.empty() || ::mkdir(folder.c_str(), 0777) == 0) return;
  const int error = errno;
  struct stat info {};
  if (error == EEXIST && ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return;
  std::string reason = std::strerror(error);
  if (error == EEXIST) {
    // A link whose target is missing exists for mkdir and for nothing else.
    const bool dangling = ::lstat(folder.c_str(), &info) == 0 && S_ISLNK(info.st_mode) &&
                          ::stat(folder.c_str(), &info) != 0;
    reason = dangling ? "a dangling symbolic link" : "Not a directory";
  }
  textrec::report(textrec::Failure::kFileSystem,
                  "cannot make the output folder " + common::safe_text(folder) + ": " + reason);
}

// The current folder, or "" when it cannot be told.
std::string current_folder() {
  std::vector<char> path(4096);
  while (::getcwd(path.data(), path.size()) == nullptr) {
    if (errno != ERANGE || path.size() > (std::size_t{1} << 20)) return {};
    path.resize(path.size() * 2);
  }
  return path.data();
}

std::string_view cell_name(formats::CellChoice choice) {
  return choice == formats::CellChoice::kConventional ? "conventional cell" : "input cell";
}

// The closing line: what the pass took, and the files written into the folder.
void write_closing_line(const BatchOptions& options, const PassResult& pass, int files) {
  const std::string folder = common::safe_text(
      options.output_folder.empty() ? "." : output_path(options.output_folder, ""));
  const std::string without_cell =
      pass.without_cell > 0 ? ", " + std::to_string(pass.without_cell) + " without a cell" : "";
  std::fprintf(stderr, "korvex: %s, %s%s, %lld skipped; %d files in %s (%s)\n",
               common::counted(pass.entries, "entry", "entries").c_str(),
               common::counted(pass.rows, "row", "rows").c_str(), without_cell.c_str(),
               static_cast<long long>(pass.skipped), files, folder.c_str(),
               std::string(cell_name(options.choice)).c_str());
}

}  // namespace

int run_batch(const BatchOptions& options, OutputLock* lock) {
  std::shared_ptr<ProgressLine> progress;
  if (!options.quiet && isatty(STDERR_FILENO) != 0) progress = std::make_shared<ProgressLine>();
  textrec::install(textrec::stdin_source(),
                   std::make_unique<DiagnosticSink>(textrec::stderr_sink(), progress),
                   textrec::posix_file_system());
  // A buffer file that cannot be opened leaves no folder behind.
  textrec::open_for_reading(formats::kBufferChannel, options.buffer_file);
  make_output_folder(options.output_folder);
  OutputNames outputs(options.output_folder);
  if (outputs.named_by(options.buffer_file))
    textrec::report(textrec::Failure::kFileSystem, "the buffer file " +
                                                       common::safe_text(options.buffer_file) +
                                                       " is an output file of this program");
  const formats::BufferFileHead head = formats::read_buffer_file_head();
  refuse_outputs_among_entries(outputs, head.entry_count);
  if (progress) progress->set_total(head.entry_count);
  refuse_outputs_of_other_kinds(options.output_folder, options.csv, options.svg);
  lock_outputs(lock, output_path(options.output_folder, formats::kTableFileName));
  create_output_files(options.output_folder, head.title, options.choice, head.entry_count,
                      options.csv);
  outputs.note_created();
  std::optional<SeriesPictures> pictures;
  if (options.svg) pictures.emplace(head.title);
  const std::string folder_of_names = current_folder();
  const PassResult pass = run_pass({.choice = options.choice,
                                    .keep_going = options.keep_going,
                                    .csv = options.csv,
                                    .tell_entries_without_cell = true,
                                    .current_folder = folder_of_names,
                                    .progress = progress.get(),
                                    .cells = pictures ? &*pictures : nullptr,
                                    .outputs = &outputs});
  if (progress) progress->erase();
  int files = 8 + (options.csv ? 1 : 0);
  if (pass.end != PassEnd::kListEnded) {
    if (!options.quiet) write_closing_line(options, pass, files);
    return textrec::stop_run(textrec::kExitError);
  }
  end_plot_files(options.output_folder, head.entry_count, pass.rows);
  textrec::flush_channel(formats::kTableChannel);
  set_table_notes(options.output_folder, options.choice, table_sources(pass));
  bool pictures_missing = false;
  if (pictures) {
    const int drawn =
        pictures->write(options.output_folder, std::string(cell_name(options.choice)) +
                                                   ", buffer file " + options.buffer_file);
    files += drawn;
    pictures_missing = drawn < static_cast<int>(formats::kPlotSeries.size());
  }
  if (!options.quiet) write_closing_line(options, pass, files);
  const int status = least_exit_status(pass);
  return textrec::stop_run(pictures_missing ? std::max(status, textrec::kExitWarning) : status);
}

}  // namespace korvex
