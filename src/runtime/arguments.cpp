#include "arguments.hpp"

#include <algorithm>
#include <variant>

namespace runtime {
namespace {

constexpr unsigned char kQuote = 0x22;
constexpr unsigned char kLastSeparator = 0x20;

// The end of the line reads as the NUL that ends a raw command line.
unsigned char ByteAt(std::string_view line, std::size_t position) {
  return position < line.size() ? static_cast<unsigned char>(line[position]) : 0;
}

// Called only at a byte that is not the end. Whatever the step answers, a character is at
// least one byte and never runs over the end of the line or a NUL.
std::size_t Next(std::string_view line, std::size_t position, CharStep step) {
  const std::size_t next = std::min(std::max(step(line, position), position + 1), line.size());
  for (std::size_t inside = position + 1; inside < next; ++inside) {
    if (line[inside] == '\0') return inside;
  }
  return next;
}

bool IsSeparator(unsigned char byte) {
  return byte != 0 && byte <= kLastSeparator;
}

// Separators, and empty pairs of quotes among them, come before an argument and make none.
std::size_t SkipSeparators(std::string_view line, std::size_t position, CharStep step) {
  for (;;) {
    while (IsSeparator(ByteAt(line, position))) position = Next(line, position, step);
    if (ByteAt(line, position) != kQuote || ByteAt(line, position + 1) != kQuote) return position;
    position += 2;
  }
}

// Hands every character of the argument that begins at `position` to `take`, as the range of
// its bytes, quotes left out; returns where the argument ended.
template <typename Take>
std::size_t WalkArgument(std::string_view line, std::size_t position, CharStep step, Take take) {
  while (ByteAt(line, position) > kLastSeparator) {
    if (ByteAt(line, position) != kQuote) {
      const std::size_t next = Next(line, position, step);
      take(position, next);
      position = next;
      continue;
    }
    // A quoted run takes blanks and control bytes too; unclosed, it runs to the end.
    position = Next(line, position, step);
    while (ByteAt(line, position) != 0 && ByteAt(line, position) != kQuote) {
      const std::size_t next = Next(line, position, step);
      take(position, next);
      position = next;
    }
    if (ByteAt(line, position) == kQuote) position = Next(line, position, step);
  }
  return position;
}

CharStep StepOf(const platform::RawCommandLine& raw) {
  return raw.step != nullptr ? raw.step : StepOneByte;
}

}  // namespace

std::size_t StepOneByte(std::string_view, std::size_t position) {
  return position + 1;
}

std::size_t NextArgument(std::string_view line, std::size_t position, std::string& argument,
                         CharStep step) {
  const std::size_t start = SkipSeparators(line, position, step);
  // Measured first, so that the argument is allocated once at its exact length.
  std::size_t length = 0;
  WalkArgument(line, start, step, [&](std::size_t from, std::size_t to) { length += to - from; });
  argument.clear();
  argument.reserve(length);
  return WalkArgument(line, start, step, [&](std::size_t from, std::size_t to) {
    argument.append(line.substr(from, to - from));
  });
}

std::size_t ArgumentCount(std::string_view line, CharStep step) {
  std::string argument;
  std::size_t position = NextArgument(line, 0, argument, step);
  std::size_t count = 0;
  for (;;) {
    position = NextArgument(line, position, argument, step);
    if (argument.empty()) return count;
    ++count;
  }
}

void ArgumentAt(std::string_view line, std::size_t index, std::string& argument, CharStep step) {
  std::size_t position = NextArgument(line, 0, argument, step);
  for (std::size_t cut = 1; cut <= index; ++cut) {
    position = NextArgument(line, position, argument, step);
    if (argument.empty()) return;
  }
}

std::size_t ArgumentCount() {
  const platform::CommandLine command_line = platform::ProgramCommandLine();
  if (const auto* list = std::get_if<platform::ArgumentList>(&command_line)) {
    return list->empty() ? 0 : list->size() - 1;
  }
  const auto& raw = std::get<platform::RawCommandLine>(command_line);
  return ArgumentCount(raw.line, StepOf(raw));
}

void ArgumentAt(std::size_t index, std::string& argument) {
  const platform::CommandLine command_line = platform::ProgramCommandLine();
  if (const auto* list = std::get_if<platform::ArgumentList>(&command_line)) {
    // Already split by the system: taken as they are, an empty one included.
    const char* given = index < list->size() ? (*list)[index] : nullptr;
    argument.assign(given != nullptr ? given : "");
    return;
  }
  const auto& raw = std::get<platform::RawCommandLine>(command_line);
  ArgumentAt(raw.line, index, argument, StepOf(raw));
}

}  // namespace runtime
