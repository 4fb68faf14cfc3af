#include "textrec/command.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "textrec/interrupt.h"
#include "textrec/report.h"

extern char** environ;

namespace textrec {

void set_command_path_folder(const std::string& folder) {
  if (folder.empty()) return;
  const char* path = std::getenv("PATH");
  std::string value = path && *path ? std::string(path) + ":" + folder : folder;
  setenv("PATH", value.c_str(), 1);
}

std::string processor_command_line(std::string_view comspec, std::string_view command) {
  std::string line(comspec);
  line += " /c ";
  line += command;
  return line;
}

namespace {

// Splits a command line into words at blanks and tabs; double quotes group.
std::vector<std::string> command_words(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false, quoted = false;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

}  // namespace

int run_command(std::string_view command, bool via_processor, bool wait) {
  const char* comspec = via_processor ? std::getenv("COMSPEC") : nullptr;
  std::vector<std::string> words;
  if (comspec) {
    words = command_words(processor_command_line(comspec, command));
  } else {
    // The shell gives its process to the command (the program's commands are
    // single commands), so that the process waited for, and sent SIGTERM when
    // the run is interrupted, is the command itself.
    words = {"sh", "-c", "exec " + std::string(command)};
  }
  if (words.empty()) return 0;
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  // The child starts with the usual signal handling; the run's files are all
  // close-on-exec, so it inherits only the console.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGQUIT);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);

  // An interrupt typed at the console while the command runs reaches both: the
  // command ends by it, and the run hears it and ends too, as at any other
  // place. A quit is the command's alone.
  struct sigaction ignore {
  }, old_quit{};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGQUIT, &ignore, &old_quit);

  pid_t pid = 0;
  const int err = comspec ? posix_spawnp(&pid, argv[0], nullptr, &attr, argv.data(), environ)
                          : posix_spawn(&pid, "/bin/sh", nullptr, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  int interrupted = 0;
  if (err == 0 && wait) {
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
      // A run asked to end takes the command with it, rather than leave it
      // behind reading the terminal.
      if (interrupted == 0 && (interrupted = pending_interrupt()) != 0) kill(pid, SIGTERM);
    }
  }
  sigaction(SIGQUIT, &old_quit, nullptr);
  end_if_interrupted();
  // A program named by COMSPEC that cannot be started is not reported; the
  // platform's own command service failing is.
  if (err != 0 && !comspec)
    report(Failure::kCommand,
           std::string("the command processor cannot be started: ") + std::strerror(err));
  return 0;
}

}  // namespace textrec
