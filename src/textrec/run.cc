#include "textrec/run.h"

#include <signal.h>

#include <algorithm>
#include <optional>
#include <string>

#include "textrec/interrupt.h"
#include "textrec/runtime.h"

namespace textrec {
namespace {

// The one runtime object. Nothing reaches the layer before main, so a plain
// object of this file serves, without the guard of a function-local one.
Runtime g_runtime;

}  // namespace

Runtime& runtime() {
  return g_runtime;
}

std::optional<std::string> write_out_and_free(Channel& channel) {
  std::optional<std::string> failure;
  if (channel.writer && !channel.writer->finish()) failure = channel.writer->error();
  channel.writer.reset();
  if (channel.reader) {
    runtime().spare_buffer = channel.reader->release_buffer();
    channel.reader.reset();
  }
  channel.name.clear();
  return failure;
}

void install(std::unique_ptr<ByteSource> console_in, std::unique_ptr<ByteSink> console_out,
             FileSystem& file_system) {
  Runtime& r = runtime();
  for (auto& channel : r.channels) {
    channel.reader.reset();
    channel.writer.reset();
    channel.name.clear();
  }
  r.console_in = std::make_unique<RecordReader>(std::move(console_in));
  r.console_out = std::move(console_out);
  r.file_system = &file_system;
  r.failure_counts.fill(0);
  r.worst = kExitClean;
}

void install_posix() {
  // A console that goes away must not kill the run before its files are closed.
  signal(SIGPIPE, SIG_IGN);
  catch_interrupts();
  install(stdin_source(), stdout_sink(), posix_file_system());
}

int end_run(const RunEnded& ended) {
  int status = ended.exit_status;
  bool writing = false;  // some file was open for writing
  for (int channel = 1; channel <= kMaxChannel; ++channel) {
    writing = writing || runtime().channels[channel].writer != nullptr;
    const std::string label = channel_label(channel);
    const std::optional<std::string> failure = write_out_and_free(runtime().channels[channel]);
    if (failure) {
      console_line(" !! Severe error: cannot write " + label + ": " + *failure);
      status = kExitEnded;
    }
  }
  if (ended.signal != 0) {
    console_line(std::string(" !! Execution interrupted by ") + signal_name(ended.signal) +
                 (writing ? ": the output files are incomplete" : ": no file was written"));
    raise_again(ended.signal);
  }
  return status;
}

int stop_run(int at_least) {
  // A signal that came after the run last looked ends it as at any other place.
  if (const int signal = pending_interrupt(); signal != 0)
    return end_run(RunEnded{kExitEnded, signal});
  return end_run(RunEnded{std::max(runtime().worst, at_least)});
}

}  // namespace textrec
