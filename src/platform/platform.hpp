// The one interface between kelVOR and the operating system. Each back end (posix/, win32/)
// answers in the runtime's own terms: handles, Windows error numbers, code-page conversion,
// the command line, and the end of the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

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

// A hint for a block the program has just been given: a very large one (a line of many
// megabytes) is backed by large pages where the system has them, so that filling it takes a
// page fault per 2 MiB rather than per 4 KiB. Never fails; the block stays the allocator's.
void PrepareLargeBlock(void* block, std::size_t size);

// Code-page conversion between the Windows-1252 texts and the console's character set.
void AnsiToConsole(std::string_view source, std::string& target);
void ConsoleToAnsi(std::string_view source, std::string& target);

// The program's arguments as the back end keeps them. Windows keeps the raw command line, which
// the runtime cuts itself, stepping from character to character of the ANSI code page (a
// double-byte character is never split). Linux hands them over already split, argv[0] first,
// and they are used unchanged.
using CharStep = std::size_t (*)(std::string_view line, std::size_t position);
struct RawCommandLine {
  std::string_view line;
  CharStep step = nullptr;  // nullptr: one byte is one character
};
using ArgumentList = std::span<const char* const>;
using CommandLine = std::variant<RawCommandLine, ArgumentList>;
CommandLine ProgramCommandLine();

// Upper-cases `text` in place, keeping its length.
void UpperCase(std::string& text);

// Copies the text of a string-table id into `buffer`, at most size - 1 bytes and a zero byte;
// the result is the length copied, 0 for an unknown id. Fixed areas, no allocation.
std::size_t LoadText(uint32_t id, char* buffer, std::size_t size);

// The module (program or shared library) that holds `address`: its path into `path`, at most
// size - 1 bytes and a zero byte (a longer path keeps its end, so that the file name stays
// whole), and its load address into `base`. The result is the path's length, 0 when no
// module holds the address.
std::size_t ModuleOf(const void* address, char* path, std::size_t size, const void*& base);
// The program's own path, in the same way.
std::size_t OwnModulePath(char* path, std::size_t size);
// A module's file name begins after the last separator of its path.
bool IsPathSeparator(char byte);

// Processor faults in Windows' terms, the common currency of every back end, so that one table
// turns them into failure objects.
namespace fault {
inline constexpr uint32_t kAccessViolation = 0xC0000005;
inline constexpr uint32_t kIllegalInstruction = 0xC000001D;
inline constexpr uint32_t kArrayBoundsExceeded = 0xC000008C;
inline constexpr uint32_t kFltDenormalOperand = 0xC000008D;
inline constexpr uint32_t kFltDivideByZero = 0xC000008E;
inline constexpr uint32_t kFltInexactResult = 0xC000008F;
inline constexpr uint32_t kFltInvalidOperation = 0xC0000090;
inline constexpr uint32_t kFltOverflow = 0xC0000091;
inline constexpr uint32_t kFltStackCheck = 0xC0000092;
inline constexpr uint32_t kFltUnderflow = 0xC0000093;
inline constexpr uint32_t kIntDivideByZero = 0xC0000094;
inline constexpr uint32_t kIntOverflow = 0xC0000095;
inline constexpr uint32_t kPrivilegedInstruction = 0xC0000096;
inline constexpr uint32_t kStackOverflow = 0xC00000FD;
inline constexpr uint32_t kControlCExit = 0xC000013A;
// What Windows reports for a C++ exception that no handler of the program knows.
inline constexpr uint32_t kForeignException = 0xE06D7363;
// The first information value of an access violation.
inline constexpr uintptr_t kRead = 0;
inline constexpr uintptr_t kWrite = 1;
inline constexpr uintptr_t kExecute = 8;
}  // namespace fault

// A fault as the back end delivers it: thrown as a C++ exception from the faulting
// instruction, so that clean-ups and handlers take it like any other failure.
struct FaultRecord {
  uint32_t Code;
  uintptr_t Information[2];  // access violation: fault::kRead/kWrite/kExecute, data address
  const void* Address;       // the faulting instruction
};

// From now on the faults of this thread come as FaultRecord; console interrupts stay the
// platform's (an interrupt ends the process at once).
void CatchPlatformFaults();
// Back to the platform's own handling of faults.
void ReleasePlatformFaults();

}  // namespace platform
