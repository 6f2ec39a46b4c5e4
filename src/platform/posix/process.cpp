#include <csignal>
#include <cstdlib>

#include "../platform.hpp"
#include "codepage.hpp"
#include "command_line.hpp"

namespace platform {

void StartProcess(int argc, char** argv) {
  posix::RecordArguments(argc, argv);
  // Decided once, before any text is converted.
  posix::UseConsoleCharset(posix::CharsetFromEnvironment());
  // Writing into a closed pipe must become an error code and the program's own failure
  // path, never a silent death.
  std::signal(SIGPIPE, SIG_IGN);
}

void ExitProcess(int32_t code) {
  std::exit(code);
}

}  // namespace platform
