#include "textrec/memory_files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>

namespace textrec {
namespace {

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
  long read_bytes(char* buf, std::size_t n) override {
    const std::size_t count = std::min(n, bytes_.size() - pos_);
    std::memcpy(buf, bytes_.data() + pos_, count);
    pos_ += count;
    return static_cast<long>(count);
  }
  bool seek_to_start() override {
    pos_ = 0;
    return true;
  }
  std::string error() const override { return {}; }

 private:
  std::string bytes_;
  std::size_t pos_ = 0;
};

class MemorySink : public ByteSink {
 public:
  MemorySink(std::string* into, std::string failure) : into_(into), failure_(std::move(failure)) {}
  bool write_bytes(const char* data, std::size_t n) override {
    if (!failure_.empty()) return false;
    into_->append(data, n);
    return true;
  }
  bool finish() override { return failure_.empty(); }
  std::string error() const override { return failure_; }

 private:
  std::string* into_;
  std::string failure_;
};

}  // namespace

std::unique_ptr<ByteSource> memory_source(std::string bytes) {
  return std::make_unique<MemorySource>(std::move(bytes));
}
std::unique_ptr<ByteSink> memory_sink(std::string* into) {
  return std::make_unique<MemorySink>(into, std::string());
}

bool MemoryFileSystem::exists(const std::string& name) {
  return files.count(name) != 0 || refuse.count(name) != 0;
}

std::optional<FileIdentity> MemoryFileSystem::identity(const std::string& name) {
  if (files.count(name) == 0) return std::nullopt;
  return FileIdentity{0, std::hash<std::string>{}(name)};
}

Opened<ByteSource> MemoryFileSystem::open_source(const std::string& name) {
  if (auto it = refuse.find(name); it != refuse.end()) return {nullptr, it->second, false};
  auto it = files.find(name);
  if (it == files.end()) return {nullptr, std::strerror(ENOENT), true};
  return {std::make_unique<MemorySource>(it->second), {}, false};
}

Opened<ByteSink> MemoryFileSystem::create_sink(const std::string& name) {
  if (auto it = refuse.find(name); it != refuse.end()) return {nullptr, it->second, false};
  std::string& file = files[name];
  file.clear();
  auto failing = fail_writes.find(name);
  return {std::make_unique<MemorySink>(&file, failing == fail_writes.end() ? "" : failing->second),
          {},
          false};
}

}  // namespace textrec
