// Records on files and on the console.
//
// Input is split into records at each line feed; a carriage return right before
// the line feed is not part of the record, and a byte 0x1A ends the data. Output
// records are each followed by carriage return and line feed. Bytes are taken
// and written as they are.
//
// The bytes themselves come from a ByteSource and go to a ByteSink, and files are
// found through a FileSystem, so that the layer can run on the real file system
// and console or, in tests, on files held in memory.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "textrec/freeform.h"

namespace textrec {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to n bytes into buf: the count read, 0 at the end, -1 on failure
  // (error() then tells why).
  [[nodiscard]] virtual long read(char* buf, std::size_t n) = 0;
  // Goes back to the first byte; false on failure.
  [[nodiscard]] virtual bool rewind() = 0;
  [[nodiscard]] virtual std::string error() const = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes all n bytes; false on failure (error() then tells why).
  [[nodiscard]] virtual bool write(const char* data, std::size_t n) = 0;
  // Makes what was written reach its destination and releases it; false on failure.
  [[nodiscard]] virtual bool close() = 0;
  [[nodiscard]] virtual std::string error() const = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  [[nodiscard]] virtual bool exists(const std::string& name) = 0;
  // null on failure, with the system's reason in *error.
  [[nodiscard]] virtual std::unique_ptr<ByteSource> open(const std::string& name,
                                                         std::string* error) = 0;
  // Creates the file empty, replacing one of that name; null on failure.
  [[nodiscard]] virtual std::unique_ptr<ByteSink> create(const std::string& name,
                                                         std::string* error) = 0;
};

// The real file system: names relative to the current folder, files opened
// close-on-exec so that no child process inherits them, folders refused.
[[nodiscard]] FileSystem& posix_file_system();

// Standard input and output of the process.
[[nodiscard]] std::unique_ptr<ByteSource> stdin_source();
[[nodiscard]] std::unique_ptr<ByteSink> stdout_sink();
[[nodiscard]] std::unique_ptr<ByteSink> stderr_sink();

// Files held in memory, for tests. A file named in `refuse` cannot be opened or
// created; one named in `fail_writes` accepts its creation but fails every write.
class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::map<std::string, std::string> refuse;  // name -> reason
  std::map<std::string, std::string> fail_writes;

  bool exists(const std::string& name) override;
  std::unique_ptr<ByteSource> open(const std::string& name, std::string* error) override;
  std::unique_ptr<ByteSink> create(const std::string& name, std::string* error) override;
};

// A byte source over a text held in memory (a test console, say).
[[nodiscard]] std::unique_ptr<ByteSource> memory_source(std::string bytes);
// A byte sink that appends to *into (it must outlive the sink).
[[nodiscard]] std::unique_ptr<ByteSink> memory_sink(std::string* into);

// The first characters of the records a reader is asked for: one to four
// different bytes, none of them NUL, blank, CR or LF.
class ByteSet {
 public:
  static constexpr std::size_t kMaxBytes = 4;

  constexpr explicit ByteSet(std::string_view bytes) {
    for (const char c : bytes) {
      if (c == '\0' || c == ' ' || c == '\r' || c == '\n')
        throw std::logic_error("ByteSet: NUL, blank, CR or LF");
      if (has(c)) continue;
      if (size_ == kMaxBytes) throw std::logic_error("ByteSet: more than 4 bytes");
      bytes_[size_++] = c;
    }
    if (size_ == 0) throw std::logic_error("ByteSet: no byte");
  }
  [[nodiscard]] constexpr bool has(char c) const {
    for (std::size_t i = 0; i < size_; ++i)
      if (bytes_[i] == c) return true;
    return false;
  }
  [[nodiscard]] constexpr std::size_t size() const { return size_; }
  [[nodiscard]] constexpr char byte(std::size_t i) const { return bytes_[i]; }

 private:
  std::array<char, kMaxBytes> bytes_{};
  std::size_t size_ = 0;
};

// Splits the bytes of a source into records. A record is handed out as a view
// into the reader's buffer, valid until the next call: no copy on the usual path.
class RecordReader : public RecordSource {
 public:
  explicit RecordReader(std::unique_ptr<ByteSource> source);
  // A reader on the buffer that an earlier reader gave up (release_buffer), so
  // that reading one file after another does not take a new buffer each time;
  // a new one when `buffer` is null.
  RecordReader(std::unique_ptr<ByteSource> source, std::unique_ptr<char[]> buffer);
  // Gives up the buffer for a later reader; this reader is not read again.
  [[nodiscard]] std::unique_ptr<char[]> release_buffer() { return std::move(buffer_); }

  // The next record. Returns kStatusOk, kStatusEnd or kStatusIoError.
  int next_record(std::string_view* record) override;
  // As next_record, but at most `keep` bytes of the record are kept: a record
  // longer than that is shortened, the rest passed over without being stored.
  int next_record_prefix(std::string_view* record, std::size_t keep);
  // As next_record_prefix, but passes over every record whose first byte other
  // than a blank, among its first `keep` bytes, is not in `first` (a record
  // blank in those bytes is passed over too). The records passed over count in
  // record_number().
  int next_record_starting(std::string_view* record, std::size_t keep, const ByteSet& first);
  std::int64_t record_number() const override { return record_number_; }

  // Back to the first record; false when the source cannot go back.
  [[nodiscard]] bool rewind();
  [[nodiscard]] std::string error() const { return source_->error(); }

 private:
  bool fill();
  std::size_t pass_over(const ByteSet& first);

  std::unique_ptr<ByteSource> source_;
  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;  // next unread byte in buffer_
  std::size_t end_ = 0;    // end of the bytes in buffer_
  bool at_end_ = false;    // the source is exhausted or a 0x1A was met
  bool failed_ = false;
  std::string carry_;  // a record that runs over the end of the buffer
  std::int64_t record_number_ = 0;
};

// Buffers records for a sink, ending each with CR LF.
class RecordWriter {
 public:
  explicit RecordWriter(std::unique_ptr<ByteSink> sink);
  // Adds one record; false when the buffer had to be written out and that failed.
  [[nodiscard]] bool write_record(std::string_view record);
  // A record laid out straight into the buffer: the text returned by
  // begin_record is appended to, then end_record ends the record as
  // write_record does. An unfinished record is taken back with drop_record.
  [[nodiscard]] std::string& begin_record();
  [[nodiscard]] bool end_record();
  void drop_record();
  // Writes out what is buffered without closing.
  [[nodiscard]] bool flush();
  [[nodiscard]] bool close();
  [[nodiscard]] std::string error() const { return sink_->error(); }

 private:
  std::unique_ptr<ByteSink> sink_;
  std::string buffer_;
  std::size_t record_start_ = 0;  // where the record being laid out begins
};

}  // namespace textrec
