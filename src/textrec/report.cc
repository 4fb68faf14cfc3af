#include "textrec/report.h"

#include <algorithm>
#include <string>

#include "textrec/runtime.h"

namespace textrec {
namespace {

constexpr int kShownPerKind = 5;
constexpr int kEndOfDataLimit = 10;
constexpr std::string_view kContinuation =
    "TAKEN TO (STANDARD) CORRECTIVE ACTION, EXECUTION CONTINUING.";

int severity(Failure failure) {
  switch (failure) {
    case Failure::kBadCharacter:
      return kExitWarning;
    case Failure::kEndOfData:
    case Failure::kOutOfRange:
    case Failure::kQuotedNumber:
    case Failure::kCommand:
      return kExitError;
    case Failure::kFileSystem:
    case Failure::kProgram:
      break;
  }
  return kExitEnded;
}

std::string_view severity_label(int status) {
  switch (status) {
    case kExitWarning:
      return "Warning: ";
    case kExitError:
      return "Error: ";
    default:
      return "Severe error: ";
  }
}

}  // namespace

bool valid_channel(int channel) {
  return channel >= 1 && channel <= kMaxChannel;
}

std::string printable(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

std::string channel_label(int channel) {
  std::string label = "channel " + std::to_string(channel);
  if (valid_channel(channel) && !runtime().channels[channel].name.empty())
    label += " (" + printable(runtime().channels[channel].name) + ")";
  return label;
}

void console_line(std::string_view line) {
  Runtime& r = runtime();
  if (!r.console_out) return;
  std::string out(line);
  out.push_back('\n');
  // A console that cannot be written to leaves nobody to tell.
  (void)r.console_out->write_bytes(out.data(), out.size());
}

void report(Failure failure, std::string_view message) {
  Runtime& r = runtime();
  const int level = severity(failure);
  const int count = ++r.failure_counts[static_cast<std::size_t>(failure)];
  if (level < kExitEnded) r.worst = std::max(r.worst, level);
  const bool ends =
      level == kExitEnded || (failure == Failure::kEndOfData && count >= kEndOfDataLimit);
  if (count <= kShownPerKind || ends)
    console_line(" !! " + std::string(severity_label(level)) + std::string(message));
  if (ends) {
    if (failure == Failure::kEndOfData)
      console_line(" !! Execution ended: " + std::to_string(kEndOfDataLimit) +
                   " ends of data in this run.");
    else
      console_line(" !! Execution ended.");
    throw RunEnded{kExitEnded};
  }
  if (count <= kShownPerKind) console_line(kContinuation);
}

int worst_status() {
  return runtime().worst;
}

void console_write(std::initializer_list<std::string_view> texts) {
  std::string line = " ";
  for (const auto text : texts) line.append(text);
  console_line(line);
}

}  // namespace textrec
