#include "textrec/records.h"

#include <algorithm>
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

// The index of the keyword that the record begins with after its leading
// blanks, or keywords.size() when none.
std::size_t keyword_at_start(std::string_view record, const LineKeywords& keywords,
                             std::string_view* rest) {
  std::size_t at = 0;
  while (at < record.size() && record[at] == ' ') ++at;
  *rest = record.substr(at);
  std::size_t i = 0;
  // The first character is compared first: most records differ there.
  const auto begins_with = [rest](std::string_view keyword) {
    return !rest->empty() && (*rest)[0] == keyword[0] && rest->starts_with(keyword);
  };
  while (i < keywords.size() && !begins_with(keywords.keyword(i))) ++i;
  return i;
}

// The carriage returns that end the n bytes at `from`.
std::size_t trailing_returns(const char* from, std::size_t n) {
  std::size_t count = 0;
  while (count < n && from[n - 1 - count] == '\r') ++count;
  return count;
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

RecordReader::RecordReader(std::unique_ptr<ByteSource> source)
    : RecordReader(std::move(source), nullptr) {}

RecordReader::RecordReader(std::unique_ptr<ByteSource> source, std::unique_ptr<char[]> buffer)
    : source_(std::move(source)),
      buffer_(buffer ? std::move(buffer) : std::unique_ptr<char[]>(new char[kBufferSize])) {}

bool RecordReader::fill() {
  const long got = source_->read_bytes(buffer_.get(), kBufferSize);
  if (got < 0) {
    failed_ = true;
    return false;
  }
  begin_ = 0;
  end_ = static_cast<std::size_t>(got);
  ++fills_;
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
  if (repeat_) {
    // The view is still valid: the buffer and the carried record change only
    // as a new record is read.
    repeat_ = false;
    *record = last_.substr(0, std::min(keep, last_.size()));
    return kStatusOk;
  }
  const int status = next_record_from_buffer(record, keep);
  if (status == kStatusOk) last_ = *record;
  return status;
}

int RecordReader::next_record_from_buffer(std::string_view* record, std::size_t keep) {
  std::size_t total = 0;  // bytes of the record in earlier fills of the buffer, kept or not
  for (;;) {
    if (begin_ == end_) {
      if (failed_ || (!at_end_ && !fill())) return kStatusIoError;
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
    if (nl == nullptr) {
      // The record runs over the end of the buffer: its kept bytes are carried.
      if (total == 0) {
        carry_.clear();
        carried_returns_ = 0;
      }
      // A record too long is refused before it is held.
      if (total + avail > kRecordLimit && keep > kRecordLimit) return kStatusTooLong;
      if (carry_.size() < keep) carry_.append(start, std::min(avail, keep - carry_.size()));
      const std::size_t returns = trailing_returns(start, avail);
      carried_returns_ = returns == avail ? carried_returns_ + returns : returns;
      total += avail;
      begin_ = end_;
      continue;
    }
    const auto span = static_cast<std::size_t>(nl - start);
    begin_ += span + 1;
    ++record_number_;
    if (total == 0) {
      // The usual case: the record stands whole in the buffer and is handed out
      // as a view of it.
      const std::size_t n = span - trailing_returns(start, span);
      *record = std::string_view(start, std::min(n, keep));
      return kStatusOk;
    }
    if (total + span > kRecordLimit && keep > kRecordLimit) return kStatusTooLong;
    if (carry_.size() < keep) carry_.append(start, std::min(span, keep - carry_.size()));
    const std::size_t returns = trailing_returns(start, span);
    total += span;
    // The carriage returns before the line feed are dropped, those carried
    // from earlier fills included.
    const std::size_t length = total - (returns == span ? carried_returns_ + returns : returns);
    if (carry_.size() > length) carry_.resize(length);
    *record = carry_;
    return kStatusOk;
  }
}

// Where the next record that may be asked for begins, from begin_ on, counting
// the records passed over on the way. A record can begin with a keyword only
// where the keyword's first byte has nothing but blanks before it back to the
// start of its line, so those bytes are looked for through the buffer with
// memchr, which takes many bytes per step, rather than each record being looked
// at in turn. When none is found, the last record in the buffer, which may run
// over its end, is the next one.
std::size_t RecordReader::skip_to_candidate(const LineKeywords& keywords) {
  const char* const base = buffer_.get();
  const char* const from = base + begin_;
  const char* const end = base + end_;
  // The next place of each keyword's first byte, null when there is none.
  std::array<const char*, LineKeywords::kMaxKeywords> next{};
  const std::size_t n = keywords.size();
  for (std::size_t i = 0; i < n; ++i) {
    next[i] = static_cast<const char*>(
        std::memchr(from, keywords.keyword(i)[0], static_cast<std::size_t>(end - from)));
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
    // Keywords that share a first byte share its next place too.
    const char* const after = static_cast<const char*>(
        std::memchr(hit + 1, *hit, static_cast<std::size_t>(end - hit - 1)));
    for (std::size_t i = 0; i < n; ++i)
      if (next[i] == hit) next[i] = after;
  }
  const char* line = end;
  while (line > from && line[-1] != '\n') --line;
  record_number_ += count_line_feeds(from, line);
  return static_cast<std::size_t>(line - base);
}

int RecordReader::next_record_starting(KeywordRecord* found, std::size_t keep,
                                       const LineKeywords& keywords) {
  for (;;) {
    begin_ = skip_to_candidate(keywords);
    std::string_view record;
    const int status = next_record_prefix(&record, keep);
    if (status != kStatusOk) return status;
    found->keyword = keyword_at_start(record, keywords, &found->text);
    found->line = record_number_;
    if (found->keyword < keywords.size()) return status;
  }
}

int RecordReader::peek_start(std::string_view* start) {
  if (fills_ == 0 && !failed_ && !fill()) return kStatusIoError;
  if (failed_) return kStatusIoError;
  *start = std::string_view(buffer_.get(), end_);
  return kStatusOk;
}

int RecordReader::read_whole(std::size_t limit, std::string* bytes) {
  bytes->clear();
  // The buffer may hold the start of the source already, but cut at a 0x1A:
  // the source is read again from its first byte.
  begin_ = end_ = 0;
  at_end_ = true;
  repeat_ = false;
  carry_.clear();
  fills_ = 2;  // as after any fill past the first: a rewind seeks
  if (!source_->seek_to_start()) {
    failed_ = true;
    return kStatusIoError;
  }
  for (;;) {
    const long got = source_->read_bytes(buffer_.get(), kBufferSize);
    if (got < 0) {
      failed_ = true;
      return kStatusIoError;
    }
    if (got == 0) return kStatusOk;
    if (static_cast<std::size_t>(got) > limit - bytes->size()) return kStatusTooLong;
    bytes->append(buffer_.get(), static_cast<std::size_t>(got));
  }
}

bool RecordReader::back_to_first_record() {
  repeat_ = false;
  // Nothing read since the source was opened or last rewound, or only its
  // first bytes taken into the buffer (peek_start) and no record read from
  // them: it stands at its first record already, and a file just opened costs
  // no seek. A first fill that met the end of the data at once is read again.
  if (!failed_ && (fills_ == 0 || (fills_ == 1 && end_ > 0 && begin_ == 0 && record_number_ == 0)))
    return true;
  if (!source_->seek_to_start()) return false;
  begin_ = end_ = 0;
  fills_ = 0;
  at_end_ = failed_ = repeat_ = false;
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
  const bool ok = sink_->write_bytes(buffer_.data(), buffer_.size());
  buffer_.clear();
  return ok;
}

bool RecordWriter::finish() {
  const bool flushed = flush();
  const bool closed = sink_->finish();
  return flushed && closed;
}

}  // namespace textrec
