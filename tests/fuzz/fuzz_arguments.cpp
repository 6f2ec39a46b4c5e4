// The argument splitter on any byte string, stepping one byte at a time or by a double-byte
// code page's characters: the count is the number of non-empty arguments the line holds, no
// argument holds a NUL or a double quote, and no cut reads past the end of the line (the fuzz
// input lies in a buffer of exactly its size, so AddressSanitizer sees any byte beyond it).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/arguments.hpp"

namespace {

void Require(bool holds) {
  if (!holds) std::abort();
}

// A double-byte code page: a lead byte takes the trail byte after it (0x40 to 0xFE, never a
// quote, a blank or a NUL), and at the last byte of the line it steps beyond the end, which
// the splitter must not follow.
std::size_t StepDoubleByte(std::string_view line, std::size_t position) {
  Require(position < line.size());
  const auto byte = static_cast<unsigned char>(line[position]);
  if (byte < 0x81 || byte > 0xFE) return position + 1;
  if (position + 1 == line.size()) return position + 2;
  const auto trail = static_cast<unsigned char>(line[position + 1]);
  return position + (trail >= 0x40 && trail <= 0xFE ? 2 : 1);
}

bool AtLineEnd(std::string_view line, std::size_t position) {
  return position == line.size() || line[position] == '\0';
}

// The arguments after argument 0, walked one cut after the other up to the end of the line.
std::vector<std::string> WalkArguments(std::string_view line, runtime::CharStep step) {
  std::vector<std::string> arguments;
  std::string argument;
  std::size_t position = runtime::NextArgument(line, 0, argument, step);
  for (;;) {
    Require(position <= line.size());
    const std::size_t next = runtime::NextArgument(line, position, argument, step);
    Require(next <= line.size());
    Require(argument.find('\0') == std::string::npos);
    Require(argument.find('"') == std::string::npos);
    if (argument.empty()) {
      // Separators and empty pairs are skipped before an argument: an empty one comes only
      // where the line ends.
      Require(AtLineEnd(line, next));
      return arguments;
    }
    Require(next > position);
    arguments.push_back(argument);
    position = next;
  }
}

void Check(std::string_view line, runtime::CharStep step) {
  const std::vector<std::string> walked = WalkArguments(line, step);
  const std::size_t count = runtime::ArgumentCount(line, step);
  Require(count == walked.size());
  // Each question cuts from the start again: a few indices at both ends are enough.
  std::string argument;
  for (std::size_t index = 1; index <= count + 1; ++index) {
    if (index > 4 && index + 2 < count) index = count - 2;
    argument = "left over";
    runtime::ArgumentAt(line, index, argument, step);
    Require(argument == (index <= count ? walked[index - 1] : std::string()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(bytes), size);
  Check(line, runtime::StepOneByte);
  Check(line, StepDoubleByte);
  return 0;
}
