// The status of a read, and where the records of a read come from.
//
// Both the record reader and the free-form reader above it speak in these
// terms: a read ends with all it was asked for, at the end of the data, or with
// a failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace textrec {

// Status of a read: 0 all targets read, -1 end of data, positive a failure.
inline constexpr int kStatusOk = 0;
inline constexpr int kStatusEnd = -1;
inline constexpr int kStatusBadValue = 1;  // a value that cannot be turned into its target
inline constexpr int kStatusIoError = 2;   // the source failed to deliver a record
inline constexpr int kStatusTooLong = 3;   // a record longer than kRecordLimit
// Records longer than this are refused where they would be held whole; one
// read only for its first characters may be of any length.
inline constexpr std::size_t kRecordLimit = std::size_t{1} << 20;

// Where the records of a read come from.
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  // Delivers the next record into *record, valid until the next call. Returns
  // kStatusOk, kStatusEnd at the end of the data, kStatusIoError or
  // kStatusTooLong.
  [[nodiscard]] virtual int next_record(std::string_view* record) = 0;
  // Number of the record last delivered, counted from 1 at the first record of
  // the file (or since the last positioning at the first record).
  [[nodiscard]] virtual std::int64_t record_number() const = 0;
};

}  // namespace textrec
