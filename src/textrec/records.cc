#include "textrec/records.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace textrec {
namespace {

constexpr std::size_t kBufferSize = std::size_t{64} * 1024;
// Output is written out in pieces of this size. A run keeps eight files open for
// writing at once; small pieces keep the memory they hold small, and a piece
// still carries hundreds of table rows or plot points per write.
constexpr std::size_t kWriteBufferSize = std::size_t{16} * 1024;
constexpr char kEndOfFileMark = 0x1A;
// Line feeds are counted 16 bytes at a time.
constexpr std::size_t kChunk = 16;

std::string system_error(int err) {
  return std::strerror(err);
}

class FdSource : public ByteSource {
 public:
  // size: that of a regular file when it was opened; -1 for the console.
  FdSource(int fd, bool owned, off_t size = -1) : fd_(fd), owned_(owned), size_(size) {}
  ~FdSource() override {
    if (owned_) ::close(fd_);
  }
  long read(char* buf, std::size_t n) override {
    // A read of a regular file that stopped short of n bytes exactly at the size
    // the file had when opened met its end: the read that would give 0 bytes is
    // not made (one system call less for each listed file).
    if (at_size_) return 0;
    for (;;) {
      const ssize_t got = ::read(fd_, buf, n);
      if (got >= 0) {
        offset_ += got;
        at_size_ = offset_ == size_ && static_cast<std::size_t>(got) < n;
        return static_cast<long>(got);
      }
      if (errno != EINTR) {
        error_ = system_error(errno);
        return -1;
      }
    }
  }
  bool rewind() override {
    if (::lseek(fd_, 0, SEEK_SET) == 0) {
      offset_ = 0;
      at_size_ = false;
      return true;
    }
    error_ = system_error(errno);
    return false;
  }
  std::string error() const override { return error_; }

 private:
  int fd_;
  bool owned_;
  off_t size_;
  off_t offset_ = 0;
  bool at_size_ = false;
  std::string error_;
};

class FdSink : public ByteSink {
 public:
  FdSink(int fd, bool owned) : fd_(fd), owned_(owned) {}
  ~FdSink() override {
    if (owned_ && fd_ >= 0) ::close(fd_);
  }
  bool write(const char* data, std::size_t n) override {
    while (n > 0) {
      const ssize_t put = ::write(fd_, data, n);
      if (put < 0) {
        if (errno == EINTR) continue;
        error_ = system_error(errno);
        return false;
      }
      data += put;
      n -= static_cast<std::size_t>(put);
    }
    return true;
  }
  bool close() override {
    if (!owned_ || fd_ < 0) return true;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) == 0) return true;
    error_ = system_error(errno);
    return false;
  }
  std::string error() const override { return error_; }

 private:
  int fd_;
  bool owned_;
  std::string error_;
};

// A name holding a NUL byte names no file.
bool usable_name(const std::string& name) {
  return !name.empty() && name.find('\0') == std::string::npos;
}

class PosixFileSystem : public FileSystem {
 public:
  bool exists(const std::string& name) override {
    return usable_name(name) && ::access(name.c_str(), F_OK) == 0;
  }
  std::unique_ptr<ByteSource> open(const std::string& name, std::string* error) override {
    if (!usable_name(name)) {
      *error = system_error(ENOENT);
      return nullptr;
    }
    // Opened without waiting, so that a FIFO cannot hold the run at the open;
    // only a regular file is read: a device such as /dev/zero would never end.
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
      *error = system_error(errno);
      return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
      *error = system_error(errno);
    } else if (S_ISDIR(st.st_mode)) {
      *error = system_error(EISDIR);
    } else if (!S_ISREG(st.st_mode)) {
      *error = "not a regular file";
    } else {
      // O_NONBLOCK stays set: it changes nothing for a regular file, whose
      // reads wait for the disk either way, and clearing it would cost one
      // more system call per listed file.
      return std::make_unique<FdSource>(fd, true, st.st_size);
    }
    ::close(fd);
    return nullptr;
  }
  std::unique_ptr<ByteSink> create(const std::string& name, std::string* error) override {
    if (!usable_name(name)) {
      *error = system_error(ENOENT);
      return nullptr;
    }
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
      *error = system_error(errno);
      return nullptr;
    }
    return std::make_unique<FdSink>(fd, true);
  }
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
  long read(char* buf, std::size_t n) override {
    const std::size_t count = std::min(n, bytes_.size() - pos_);
    std::memcpy(buf, bytes_.data() + pos_, count);
    pos_ += count;
    return static_cast<long>(count);
  }
  bool rewind() override {
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
  bool write(const char* data, std::size_t n) override {
    if (!failure_.empty()) return false;
    into_->append(data, n);
    return true;
  }
  bool close() override { return failure_.empty(); }
  std::string error() const override { return failure_; }

 private:
  std::string* into_;
  std::string failure_;
};

}  // namespace

FileSystem& posix_file_system() {
  static PosixFileSystem fs;
  return fs;
}

std::unique_ptr<ByteSource> stdin_source() {
  return std::make_unique<FdSource>(0, false);
}
std::unique_ptr<ByteSink> stdout_sink() {
  return std::make_unique<FdSink>(1, false);
}
std::unique_ptr<ByteSink> stderr_sink() {
  return std::make_unique<FdSink>(2, false);
}

std::unique_ptr<ByteSource> memory_source(std::string bytes) {
  return std::make_unique<MemorySource>(std::move(bytes));
}
std::unique_ptr<ByteSink> memory_sink(std::string* into) {
  return std::make_unique<MemorySink>(into, std::string());
}

bool MemoryFileSystem::exists(const std::string& name) {
  return files.count(name) != 0 || refuse.count(name) != 0;
}

std::unique_ptr<ByteSource> MemoryFileSystem::open(const std::string& name, std::string* error) {
  if (auto it = refuse.find(name); it != refuse.end()) {
    *error = it->second;
    return nullptr;
  }
  auto it = files.find(name);
  if (it == files.end()) {
    *error = system_error(ENOENT);
    return nullptr;
  }
  return std::make_unique<MemorySource>(it->second);
}

std::unique_ptr<ByteSink> MemoryFileSystem::create(const std::string& name, std::string* error) {
  if (auto it = refuse.find(name); it != refuse.end()) {
    *error = it->second;
    return nullptr;
  }
  std::string& file = files[name];
  file.clear();
  auto failing = fail_writes.find(name);
  return std::make_unique<MemorySink>(&file, failing == fail_writes.end() ? "" : failing->second);
}

RecordReader::RecordReader(std::unique_ptr<ByteSource> source)
    : RecordReader(std::move(source), nullptr) {}

RecordReader::RecordReader(std::unique_ptr<ByteSource> source, std::unique_ptr<char[]> buffer)
    : source_(std::move(source)),
      buffer_(buffer ? std::move(buffer) : std::unique_ptr<char[]>(new char[kBufferSize])) {}

bool RecordReader::fill() {
  const long got = source_->read(buffer_.get(), kBufferSize);
  if (got < 0) {
    failed_ = true;
    return false;
  }
  begin_ = 0;
  end_ = static_cast<std::size_t>(got);
  if (got == 0) at_end_ = true;
  // A 0x1A byte ends the data: it and what follows are dropped here, once per
  // fill, so that splitting the buffer into records looks for line feeds alone.
  if (const void* mark = std::memchr(buffer_.get(), kEndOfFileMark, end_)) {
    end_ = static_cast<std::size_t>(static_cast<const char*>(mark) - buffer_.get());
    at_end_ = true;
  }
  return true;
}

int RecordReader::next_record(std::string_view* record) {
  return next_record_prefix(record, std::string_view::npos);
}

int RecordReader::next_record_prefix(std::string_view* record, std::size_t keep) {
  // The usual case, a record that stands whole in the buffer, handed out as a
  // view: the scanner reads a few million of them in a long series.
  if (begin_ != end_) {
    const char* start = buffer_.get() + begin_;
    if (const auto* nl = static_cast<const char*>(std::memchr(start, '\n', end_ - begin_))) {
      std::size_t n = static_cast<std::size_t>(nl - start);
      begin_ += n + 1;
      ++record_number_;
      if (n > 0 && start[n - 1] == '\r') --n;
      *record = std::string_view(start, std::min(n, keep));
      return kStatusOk;
    }
  }
  // A record that runs over the end of the buffer, the end of the data, a failure.
  if (failed_) return kStatusIoError;
  carry_.clear();
  std::size_t total = 0;  // bytes of the record seen so far, kept or not
  for (;;) {
    if (begin_ == end_) {
      if (!at_end_ && !fill()) return kStatusIoError;
      if (at_end_ && begin_ == end_) {
        // The last record, not ended by a line feed (or cut by a 0x1A).
        if (total == 0) return kStatusEnd;
        *record = carry_;
        ++record_number_;
        return kStatusOk;
      }
    }
    const char* start = buffer_.get() + begin_;
    const std::size_t avail = end_ - begin_;
    const char* nl = static_cast<const char*>(std::memchr(start, '\n', avail));
    const std::size_t span = nl ? static_cast<std::size_t>(nl - start) : avail;
    if (!nl) {
      if (carry_.size() < keep) carry_.append(start, std::min(avail, keep - carry_.size()));
      total += avail;
      begin_ = end_;
      continue;
    }
    begin_ += span + 1;
    ++record_number_;
    if (total == 0) {
      std::size_t n = span;
      if (n > 0 && start[n - 1] == '\r') --n;
      *record = std::string_view(start, std::min(n, keep));
      return kStatusOk;
    }
    if (carry_.size() < keep) carry_.append(start, std::min(span, keep - carry_.size()));
    total += span;
    // A carriage return before the line feed is dropped; when the record was cut,
    // the kept bytes stand before it anyway.
    if (total == carry_.size() && !carry_.empty() && carry_.back() == '\r') carry_.pop_back();
    *record = carry_;
    return kStatusOk;
  }
}

namespace {

bool starts_with_one_of(std::string_view record, const ByteSet& first) {
  std::size_t at = 0;
  while (at < record.size() && record[at] == ' ') ++at;
  return at < record.size() && first.has(record[at]);
}

// The line feeds in [from, to).
std::int64_t count_line_feeds(const char* from, const char* to) {
  std::int64_t count = 0;
#if defined(__SSE2__)
  // Each byte of `tally` counts the line feeds at its place, for up to 255
  // chunks of 16 bytes; then its 16 counts are added up.
  const __m128i line_feed = _mm_set1_epi8('\n');
  auto chunks = static_cast<std::size_t>(to - from) / kChunk;
  while (chunks > 0) {
    const std::size_t group = std::min<std::size_t>(chunks, 255);
    chunks -= group;
    __m128i tally = _mm_setzero_si128();
    const auto add_chunk = [&](const char* chunk) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk));
      tally = _mm_sub_epi8(tally, _mm_cmpeq_epi8(bytes, line_feed));
    };
    std::size_t n = 0;
    for (; n + 4 <= group; n += 4, from += 4 * kChunk) {
      add_chunk(from);
      add_chunk(from + kChunk);
      add_chunk(from + 2 * kChunk);
      add_chunk(from + 3 * kChunk);
    }
    for (; n < group; ++n, from += kChunk) add_chunk(from);
    const __m128i sums = _mm_sad_epu8(tally, _mm_setzero_si128());
    count += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums));
  }
#endif
  for (; from != to; ++from) count += *from == '\n' ? 1 : 0;
  return count;
}

}  // namespace

// The records that stand whole in the buffer from begin_ on and are not asked
// for are passed over here without being handed out: most lines of a DIRAX file
// are not asked for. Rather than each line being looked at in turn, each byte of
// `first` is looked for through the buffer with memchr, which takes many bytes
// per step; a line can only be asked for where one of them has nothing but
// blanks before it back to the start of its line. The lines passed over are
// counted once, at the end. Returns where the next record to hand out begins:
// one whose first byte other than a blank is in `first`, or the last one in the
// buffer, which may run over its end.
std::size_t RecordReader::pass_over(const ByteSet& first) {
  const char* const base = buffer_.get();
  const char* const from = base + begin_;
  const char* const end = base + end_;
  // The next place of each byte of the set, null when there is none.
  std::array<const char*, ByteSet::kMaxBytes> next{};
  const std::size_t n = first.size();
  for (std::size_t i = 0; i < n; ++i) {
    next[i] = static_cast<const char*>(
        std::memchr(from, first.byte(i), static_cast<std::size_t>(end - from)));
  }
  for (;;) {
    std::size_t earliest = n;
    for (std::size_t i = 0; i < n; ++i) {
      if (next[i] != nullptr && (earliest == n || next[i] < next[earliest])) earliest = i;
    }
    if (earliest == n) break;
    const char* const hit = next[earliest];
    const char* line = hit;
    while (line > from && line[-1] == ' ') --line;
    if (line == from || line[-1] == '\n') {
      record_number_ += count_line_feeds(from, line);
      return static_cast<std::size_t>(line - base);
    }
    next[earliest] = static_cast<const char*>(
        std::memchr(hit + 1, first.byte(earliest), static_cast<std::size_t>(end - hit - 1)));
  }
  // None is asked for: the last record begins after the last line feed.
  const char* line = end;
  while (line > from && line[-1] != '\n') --line;
  record_number_ += count_line_feeds(from, line);
  return static_cast<std::size_t>(line - base);
}

int RecordReader::next_record_starting(std::string_view* record, std::size_t keep,
                                       const ByteSet& first) {
  for (;;) {
    begin_ = pass_over(first);
    // A record asked for, one running over the end of the buffer, the end of the
    // data or a failure: the usual read hands it out, and whether it was asked
    // for is told by its first `keep` bytes.
    const int status = next_record_prefix(record, keep);
    if (status != kStatusOk || starts_with_one_of(*record, first)) return status;
  }
}

bool RecordReader::rewind() {
  // Nothing read since the source was opened or last rewound: it stands at its
  // first byte already, and a file just opened costs no seek.
  if (begin_ == 0 && end_ == 0 && !at_end_ && !failed_) return true;
  if (!source_->rewind()) return false;
  begin_ = end_ = 0;
  at_end_ = failed_ = false;
  carry_.clear();
  record_number_ = 0;
  return true;
}

RecordWriter::RecordWriter(std::unique_ptr<ByteSink> sink) : sink_(std::move(sink)) {
  buffer_.reserve(kWriteBufferSize + 512);
}

bool RecordWriter::write_record(std::string_view record) {
  begin_record().append(record);
  return end_record();
}

std::string& RecordWriter::begin_record() {
  record_start_ = buffer_.size();
  return buffer_;
}

bool RecordWriter::end_record() {
  buffer_.append("\r\n", 2);
  return buffer_.size() < kWriteBufferSize || flush();
}

void RecordWriter::drop_record() {
  buffer_.resize(record_start_);
}

bool RecordWriter::flush() {
  if (buffer_.empty()) return true;
  const bool ok = sink_->write(buffer_.data(), buffer_.size());
  buffer_.clear();
  return ok;
}

bool RecordWriter::close() {
  const bool flushed = flush();
  const bool closed = sink_->close();
  return flushed && closed;
}

}  // namespace textrec
