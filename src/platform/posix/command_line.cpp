#include "command_line.hpp"

#include "../platform.hpp"

namespace platform {
namespace {

ArgumentList arguments;

}  // namespace

void posix::RecordArguments(int argc, char** argv) {
  const char* const* list = argv;
  arguments = argc > 0 && argv != nullptr ? ArgumentList(list, static_cast<std::size_t>(argc))
                                          : ArgumentList();
}

CommandLine ProgramCommandLine() {
  return arguments;
}

}  // namespace platform
