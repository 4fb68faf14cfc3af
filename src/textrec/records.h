// Records on files and on the console.
//
// Input is split into records at each line feed; the carriage returns right
// before the line feed are not part of the record (a CR elsewhere is), and a
// byte 0x1A ends the data. Output
// records are each followed by carriage return and line feed. Bytes are taken
// and written as they are.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "textrec/files.h"
#include "textrec/status.h"

namespace textrec {

// The records a scan asks for: those that begin, after leading blanks, with one
// of one to four keywords. A keyword is not empty and holds no NUL, CR or LF;
// its first character is not a blank.
class LineKeywords {
 public:
  static constexpr std::size_t kMaxKeywords = 4;

  constexpr LineKeywords(std::initializer_list<std::string_view> keywords) {
    for (const std::string_view keyword : keywords) {
      if (count_ == kMaxKeywords) throw std::logic_error("LineKeywords: more than 4 keywords");
      if (keyword.empty() || keyword[0] == ' ')
        throw std::logic_error("LineKeywords: an empty keyword, or one that begins with a blank");
      for (const char c : keyword)
        if (c == '\0' || c == '\r' || c == '\n')
          throw std::logic_error("LineKeywords: NUL, CR or LF in a keyword");
      keywords_[count_++] = keyword;
    }
    if (count_ == 0) throw std::logic_error("LineKeywords: no keyword");
  }
  [[nodiscard]] constexpr std::size_t size() const { return count_; }
  [[nodiscard]] constexpr std::string_view keyword(std::size_t i) const { return keywords_[i]; }

 private:
  std::array<std::string_view, kMaxKeywords> keywords_{};
  std::size_t count_ = 0;
};

// A record asked for by its keyword.
struct KeywordRecord {
  std::string_view text;    // the record without its leading blanks
  std::size_t keyword = 0;  // the index of the keyword it begins with
  std::int64_t line = 0;    // its record number
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

  // The next record. Returns kStatusOk, kStatusEnd, kStatusIoError, or
  // kStatusTooLong for a record longer than kRecordLimit.
  int next_record(std::string_view* record) override;
  // As next_record, but at most `keep` bytes of the record are kept: a record
  // longer than that is shortened, the rest passed over without being stored.
  // Only a record that would be kept whole past kRecordLimit is refused.
  int next_record_prefix(std::string_view* record, std::size_t keep);
  // As next_record_prefix, but passes over every record whose first `keep`
  // bytes do not begin, after leading blanks, with one of the keywords. The
  // records passed over count in record_number().
  int next_record_starting(KeywordRecord* found, std::size_t keep, const LineKeywords& keywords);
  std::int64_t record_number() const override { return record_number_; }
  // The record handed out last is handed out again, with the same number, by
  // the next next_record or next_record_prefix (not by next_record_starting,
  // which may pass over records first).
  void repeat_record() { repeat_ = true; }

  // The first bytes of the source as the first read of records takes them (up
  // to the buffer's size, those before a 0x1A), for a look at a file's content
  // before its records are read; asked for before any record is read. The
  // records then come from the same bytes, with no read of the source more.
  // Returns kStatusOk or kStatusIoError.
  int peek_start(std::string_view* start);
  // Every byte of the source from its first, a 0x1A and what follows included;
  // kStatusTooLong when it holds more than `limit` bytes, kStatusIoError when a
  // read fails. No record is read after it.
  int read_whole(std::size_t limit, std::string* bytes);

  // Back to the first record; false when the source cannot go back.
  [[nodiscard]] bool back_to_first_record();
  [[nodiscard]] std::string error() const { return source_->error(); }
  [[nodiscard]] std::optional<FileIdentity> source_identity() const { return source_->identity(); }

 private:
  bool fill();
  std::size_t skip_to_candidate(const LineKeywords& keywords);
  // next_record_prefix, the repeated record aside.
  int next_record_from_buffer(std::string_view* record, std::size_t keep);

  std::unique_ptr<ByteSource> source_;
  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;  // next unread byte in buffer_
  std::size_t end_ = 0;    // end of the bytes in buffer_
  bool at_end_ = false;    // the source is exhausted or a 0x1A was met
  bool failed_ = false;
  std::int64_t fills_ = 0;           // the buffer's fills since the source was opened or rewound
  std::string carry_;                // a record that runs over the end of the buffer
  std::size_t carried_returns_ = 0;  // CRs that end the bytes of the record so far
  std::int64_t record_number_ = 0;
  std::string_view last_;  // the record handed out last
  bool repeat_ = false;
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
  [[nodiscard]] bool finish();
  [[nodiscard]] std::string error() const { return sink_->error(); }

 private:
  std::unique_ptr<ByteSink> sink_;
  std::string buffer_;
  std::size_t record_start_ = 0;  // where the record being laid out begins
};

}  // namespace textrec
