// The lock that keeps two runs from writing the same folder's outputs at once.
//
// A run takes an exclusive lock (flock) on TK_parameters.xy in its output
// folder before it creates any output, without waiting, and holds it until the
// process ends, after every file is closed. The lock file is the table itself,
// so that no file of the lock's own is left in the folder.
#pragma once

#include <string>

namespace korvex {

class OutputLock {
 public:
  OutputLock() = default;
  ~OutputLock();
  OutputLock(const OutputLock&) = delete;
  OutputLock& operator=(const OutputLock&) = delete;

  // False when another process holds the lock. Where the table cannot be opened
  // or is not a regular file there is nothing to lock, and creating it will
  // tell the user why.
  [[nodiscard]] bool take(const std::string& table_path);

 private:
  int fd_ = -1;
};

// Takes the lock when one is given (runs on files held in memory have none);
// a lock held elsewhere ends the run with a severe failure.
void lock_outputs(OutputLock* lock, const std::string& table_path);

}  // namespace korvex
