// Windows keeps the command line raw; the runtime cuts it, stepping with CharNextA so that a
// double-byte character of the ANSI code page is never split.
#include "../platform.hpp"
#include "windows.hpp"

namespace platform {
namespace {

// The line comes from GetCommandLineA and so ends in a NUL, which CharNextA relies on.
std::size_t NextCharacter(std::string_view line, std::size_t position) {
  return static_cast<std::size_t>(::CharNextA(line.data() + position) - line.data());
}

}  // namespace

CommandLine ProgramCommandLine() {
  return RawCommandLine{::GetCommandLineA(), NextCharacter};
}

}  // namespace platform
