// The one interface between kelVOR and the operating system. Each back end (posix/, win32/)
// answers in the runtime's own terms: handles, Windows error numbers, code-page conversion,
// the command line, and the end of the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// A file descriptor on Linux, a HANDLE on Windows.
using Handle = std::intptr_t;
inline constexpr Handle kInvalidHandle = -1;

enum class StdHandle { Input, Output, Error };

// What a handle is, as far as buffering is concerned: a character device (a console, a
// terminal, /dev/null) is written out at every line end.
enum class HandleKind { Unknown, Char, Other };

// Windows error numbers, the common currency of every back end.
namespace error {
inline constexpr int32_t kFileNotFound = 2;
inline constexpr int32_t kPathNotFound = 3;
inline constexpr int32_t kTooManyOpenFiles = 4;
inline constexpr int32_t kAccessDenied = 5;
inline constexpr int32_t kInvalidHandle = 6;
inline constexpr int32_t kWriteProtect = 19;
inline constexpr int32_t kGenFailure = 31;
inline constexpr int32_t kSharingViolation = 32;
inline constexpr int32_t kInvalidParameter = 87;
inline constexpr int32_t kBrokenPipe = 109;
inline constexpr int32_t kDiskFull = 112;
inline constexpr int32_t kFilenameTooLong = 206;
inline constexpr int32_t kFileTooLarge = 223;
inline constexpr int32_t kNoData = 232;
inline constexpr int32_t kIoDevice = 1117;
inline constexpr int32_t kCantResolveFilename = 1921;
}  // namespace error

// Called first thing in main: process-wide settings the runtime relies on (on Linux, a write
// into a closed pipe must come back as an error code, not as a signal).
void StartProcess(int argc, char** argv);
[[noreturn]] void ExitProcess(int32_t code);

// The error number of the last failing call on this thread.
int32_t LastError();

// kInvalidHandle on failure (LastError tells why). A missing standard handle is no failure
// here: its kind is then Unknown.
Handle GetStdHandle(StdHandle which);
// Creates or truncates a file for writing that other processes may read while it is open.
Handle CreateForWriting(const char* name);
HandleKind KindOf(Handle handle);
// One read of at most `size` bytes; `got` == 0 is the end of the data. False on failure.
bool ReadFile(Handle handle, void* buffer, uint32_t size, uint32_t& got);
// All `size` bytes or a failure.
bool WriteFile(Handle handle, const void* buffer, uint32_t size);
bool CloseHandle(Handle handle);

// Code-page conversion between the Windows-1252 texts and the console's character set.
void AnsiToConsole(std::string_view source, std::string& target);
void ConsoleToAnsi(std::string_view source, std::string& target);

// Copies the text of a string-table id into `buffer`, at most size - 1 bytes and a zero byte;
// the result is the length copied, 0 for an unknown id. Fixed areas, no allocation.
std::size_t LoadText(uint32_t id, char* buffer, std::size_t size);

}  // namespace platform
