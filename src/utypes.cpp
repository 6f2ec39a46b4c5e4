#include "utypes.hpp"

#include "platform/platform.hpp"
#include "runtime/arguments.hpp"
#include "runtime/check_io.hpp"
#include "runtime/text_stream.hpp"
#include "texts.hpp"

namespace utypes {

bool Silent = false;
bool HelpWanted = false;
std::string LogFileName;
int32_t ReturnCode = 0;

void ReleaseSettings() {
  std::string().swap(LogFileName);
}

void ConvertText(uint8_t direction, std::string_view source, std::string& target) {
  switch (direction) {
    case kAnsiToOem:
      platform::AnsiToConsole(source, target);
      break;
    case kOemToAnsi:
      platform::ConsoleToAnsi(source, target);
      break;
    default:
      target.assign(source);
  }
}

namespace {

constexpr char kHelpRequest = '?';
constexpr char kSwitchPrefix = '/';
constexpr char kSilentSwitch = 'S';

// The banner names the program the same way whatever the platform's upper-casing does.
std::string AsciiUpperCase(std::string_view text) {
  std::string upper(text);
  for (char& byte : upper) {
    if (byte >= 'a' && byte <= 'z') byte = static_cast<char>(byte - ('a' - 'A'));
  }
  return upper;
}

std::string Banner() {
  std::string banner = AsciiUpperCase(texts::kProgramName);
  banner.append(" ").append(texts::kVersion).append(" ").append(texts::kNotice);
  return banner;
}

void WriteConverted(std::string_view text) {
  std::string line;
  ConvertText(kAnsiToOem, text, line);
  runtime::PutString(runtime::StandardOutput, line);
  runtime::PutLineEnd(runtime::StandardOutput);
  runtime::CheckIO();
}

void WriteBlankLine() {
  runtime::PutChar(runtime::StandardOutput, ' ');
  runtime::PutLineEnd(runtime::StandardOutput);
  runtime::CheckIO();
}

// Switches only set flags and help waits for the end of the walk, so their order is free;
// among the other arguments the first one is the log file name.
void TakeArgument(std::size_t index) {
  std::string argument;
  runtime::ArgumentAt(index, argument);
  std::string upper = argument;
  platform::UpperCase(upper);
  if (upper.empty()) return;
  if (upper.size() == 1 && upper[0] == kHelpRequest) HelpWanted = true;
  if (upper[0] == kSwitchPrefix) {
    if (upper.size() != 2) return;
    if (upper[1] == kHelpRequest) HelpWanted = true;
    if (upper[1] == kSilentSwitch) Silent = true;
    return;
  }
  if (LogFileName.empty()) LogFileName = argument;
}

}  // namespace

bool ParseCommandLine() {
  const std::size_t count = runtime::ArgumentCount();
  for (std::size_t index = 1; index <= count; ++index) TakeArgument(index);
  if (!HelpWanted) return true;
  ShowHelp();
  return false;
}

void ShowHelp() {
  WriteConverted(Banner());
  for (std::string_view text : texts::kHelpLines) {
    if (text.empty()) {
      WriteBlankLine();
    } else {
      WriteConverted(text);
    }
  }
}

}  // namespace utypes
