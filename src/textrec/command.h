// Running a system command on the run's console.
#pragma once

#include <string>
#include <string_view>

namespace textrec {

// A folder appended to the PATH of the commands started (the program's own).
void set_command_path_folder(const std::string& folder);

// The command line run when the command goes through the command processor
// named by COMSPEC.
[[nodiscard]] std::string processor_command_line(std::string_view comspec,
                                                 std::string_view command);

// Runs the command as a new process on the same console, inheriting no open file
// of the run. Through the command processor when via_processor: COMSPEC, " /c ",
// then the command, or the platform's shell when COMSPEC is not set. Waits for
// it when asked. The platform's shell that cannot be started is reported as an
// error; a command that fails is not. Returns 0.
int run_command(std::string_view command, bool via_processor, bool wait);

}  // namespace textrec
