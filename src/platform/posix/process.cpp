#include <csignal>
#include <cstdlib>

#include "../platform.hpp"

namespace platform {

void StartProcess(int, char**) {
  // Writing into a closed pipe must become an error code and the program's own failure
  // path, never a silent death.
  std::signal(SIGPIPE, SIG_IGN);
}

void ExitProcess(int32_t code) { std::exit(code); }

}  // namespace platform
