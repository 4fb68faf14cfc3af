// Helpers shared by the test suites: a scoped temporary folder, whole-file reads
// and writes, and running a program with typed answers on its standard input.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace testutil {

// A fresh folder under the system's temporary folder, removed with all it holds
// when the object goes.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string file(const std::string& name) const;

 private:
  std::string path_;
};

// Whole-file bytes; empty when the file cannot be read (see file_exists).
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);

// Copies the files of the bundled example series, by name, into dir.
void copy_examples(const ScopedTempDir& dir);

// Joins lines, each followed by CR LF, as the program writes its files.
std::string crlf(const std::vector<std::string>& lines);

struct RunResult {
  int exit_status = -1;  // the program's exit status; 128+n when killed by signal n
  std::string out;       // standard output
  std::string err;       // standard error
};

// Runs argv[0] (a path) with argv in folder cwd, feeding `input` on standard
// input and closing it. env holds variables to set (an empty value unsets).
RunResult run_program(const std::vector<std::string>& argv, const std::string& cwd,
                      const std::string& input, const std::map<std::string, std::string>& env = {});

// The text up to its first empty line: a CSV's first table.
std::string first_table(const std::string& text);

// Splits console output into lines at LF.
std::vector<std::string> split_lines(const std::string& text);

}  // namespace testutil
