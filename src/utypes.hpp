// The settings of a run, the code-page conversion, and the meaning of the command line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace utypes {

extern bool Silent;
extern bool HelpWanted;
extern std::string LogFileName;
extern int32_t ReturnCode;

inline constexpr uint8_t kAnsiToOem = 0;
inline constexpr uint8_t kOemToAnsi = 1;

// The shutdown step of the settings: gives back the log file's name.
void ReleaseSettings();

// A converted copy of `source` in `target`; any other direction copies unchanged.
void ConvertText(uint8_t direction, std::string_view source, std::string& target);

// Fills the settings from the command line; false when the help screen has been written
// and the copy stage is not to run. No argument is ever refused.
bool ParseCommandLine();

// Writes the help screen to standard output; a failing write raises.
void ShowHelp();

}  // namespace utypes
