// A recording stand-in for the operating system behind the platform seam: scripted reads,
// every write call kept with its size, and failures on demand.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.hpp"

namespace fake {

struct Read {
  std::string bytes;
  int32_t error = 0;  // non-zero: the read fails with this error number
};

struct File {
  platform::HandleKind kind = platform::HandleKind::Other;
  std::deque<Read> reads;               // once used up, every read delivers 0 bytes
  std::vector<uint32_t> read_sizes;     // the size asked for by every read
  std::vector<std::string> writes;      // one entry per write call, failed ones included
  std::map<int, int32_t> write_errors;  // write call index -> error number
  int32_t close_error = 0;
  int closes = 0;

  // The bytes of the write calls that succeeded.
  std::string Written() const;
};

inline constexpr platform::Handle kStdIn = 0;
inline constexpr platform::Handle kStdOut = 1;
inline constexpr platform::Handle kStdErr = 2;

// Forgets every file and makes standard input, output and error empty pipes.
void Reset();
File& At(platform::Handle handle);
File& Named(const std::string& name);
// Files created under `name` from now on are of this kind.
void SetKind(const std::string& name, platform::HandleKind kind);
// The next CreateForWriting of `name` fails with `error`.
void FailCreate(const std::string& name, int32_t error);
// Puts `input` on standard input as reads of at most `chunk` bytes.
void FeedStdIn(const std::string& input, std::size_t chunk = 128);
// The process's arguments, split as on Linux (argv[0] first) or as a raw command line that
// the runtime cuts itself, as on Windows. Reset() leaves the list {"kelvor"}.
void SetArguments(std::vector<std::string> argv);
void SetRawCommandLine(std::string line, platform::CharStep step = nullptr);

}  // namespace fake
