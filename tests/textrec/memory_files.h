// Files and a console held in memory, for tests, fuzz targets and benchmarks.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "textrec/files.h"

namespace textrec {

// A file named in `refuse` cannot be opened or created (it exists all the
// same); one named in `fail_writes` accepts its creation but fails every write.
class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::map<std::string, std::string> refuse;  // name -> reason
  std::map<std::string, std::string> fail_writes;

  bool exists(const std::string& name) override;
  // A file's identity is its name: no links here.
  std::optional<FileIdentity> identity(const std::string& name) override;
  Opened<ByteSource> open_source(const std::string& name) override;
  Opened<ByteSink> create_sink(const std::string& name) override;
};

// A byte source over a text held in memory (a test console, say).
[[nodiscard]] std::unique_ptr<ByteSource> memory_source(std::string bytes);
// A byte sink that appends to *into (it must outlive the sink).
[[nodiscard]] std::unique_ptr<ByteSink> memory_sink(std::string* into);

}  // namespace textrec
