#include "line_input.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

namespace runtime {
namespace {

constexpr unsigned char kLf = 0x0A;
constexpr unsigned char kCr = 0x0D;

bool IsReading(const TextStream& stream) {
  return stream.OpenState == StreamState::Reading;
}

// Once the data has ended, the buffer holds one end-of-text byte that no operation consumes,
// so later questions are answered without asking the platform again.
void StoreEndMarker(TextStream& stream) {
  stream.BufferRef[0] = kEndOfText;
  stream.Cursor = 0;
  stream.DataEnd = 1;
}

// Refills an empty buffer. False when there is nothing to read: a failure (left pending) or
// the end of the data (marker stored).
bool Refill(TextStream& stream) {
  if (const int32_t code = stream.TransferAction(stream); code != 0) {
    SetPendingIOError(code);
    return false;
  }
  if (stream.DataEnd == 0) {
    StoreEndMarker(stream);
    return false;
  }
  return true;
}

constexpr unsigned char kFirstPlainByte = 0x20;  // every byte with a role lies below it

bool IsLineControl(unsigned char byte) {
  return byte == kLf || byte == kCr || byte == kEndOfText;
}

// Sixteen bytes compared at once: the compiler makes them one vector register where the
// machine has one, and plain words where it has none.
using Block = unsigned char __attribute__((vector_size(16)));
constexpr std::ptrdiff_t kBlockSize = sizeof(Block);

// The index of the first byte in memory whose mark is set, among eight.
unsigned FirstMarked(uint64_t marks) {
  if constexpr (std::endian::native == std::endian::little) {
    return static_cast<unsigned>(std::countr_zero(marks)) / 8;
  } else {
    return static_cast<unsigned>(std::countl_zero(marks)) / 8;
  }
}

// The index of the first byte below 0x20 among the sixteen at `at`, or 16.
unsigned FirstLowByteIn(const unsigned char* at) {
  Block block;
  std::memcpy(&block, at, sizeof block);
  const auto marks = block < kFirstPlainByte;
  uint64_t halves[2];
  std::memcpy(halves, &marks, sizeof halves);
  if ((halves[0] | halves[1]) == 0) return kBlockSize;
  return halves[0] != 0 ? FirstMarked(halves[0]) : 8 + FirstMarked(halves[1]);
}

// Past the bytes of 0x20 and above: the first byte below 0x20 in [begin, end), or `end`.
const unsigned char* SkipPlainBytes(const unsigned char* begin, const unsigned char* end) {
  if (end - begin < kBlockSize) {
    return std::find_if(begin, end, [](unsigned char byte) { return byte < kFirstPlainByte; });
  }
  // The last block ends at `end`: the bytes it shares with the one before are known plain.
  const unsigned char* const last = end - kBlockSize;
  for (; begin < last; begin += kBlockSize) {
    if (const unsigned at = FirstLowByteIn(begin); at != kBlockSize) return begin + at;
  }
  return last + FirstLowByteIn(last);
}

// The first byte in [begin, end) that is not plain line content.
const unsigned char* FindLineControl(const unsigned char* begin, const unsigned char* end) {
  for (;;) {
    begin = SkipPlainBytes(begin, end);
    if (begin == end || IsLineControl(*begin)) return begin;
    ++begin;  // a tab, a zero byte ...: content like any other
  }
}

// Growing by half, where a string would double, keeps a very long line within 1.5 times its
// length; the grown string keeps its capacity for the lines after it.
[[gnu::noinline]] void Grow(std::string& line, std::size_t needed) {
  std::string larger;
  larger.reserve(std::max(needed, line.capacity() + line.capacity() / 2));
  larger.assign(line);
  line.swap(larger);
}

void Append(std::string& line, const unsigned char* run, std::size_t length) {
  if (const std::size_t needed = line.size() + length; needed > line.capacity()) {
    Grow(line, needed);
  }
  line.append(reinterpret_cast<const char*>(run), length);
}

}  // namespace

int32_t FillBuffer(TextStream& stream) {
  stream.Cursor = 0;
  stream.DataEnd = 0;
  uint32_t got = 0;
  if (platform::ReadFile(stream.SystemHandle, stream.BufferRef, stream.Capacity, got)) {
    stream.DataEnd = got;
    return 0;
  }
  // The writer closing its end of the pipe is the normal end of the data.
  const int32_t code = platform::LastError();
  return code == platform::error::kBrokenPipe ? 0 : code;
}

int NextByte(TextStream& stream) {
  if (!IsReading(stream) && !EnsureReading(stream)) return kInputEnd;
  if (stream.Cursor >= stream.DataEnd && !Refill(stream)) return kInputEnd;
  const unsigned char byte = stream.BufferRef[stream.Cursor];
  if (byte == kEndOfText) return kInputEnd;
  ++stream.Cursor;
  return byte;
}

bool AtEndOfInput(TextStream& stream) {
  if (IsReading(stream) && stream.Cursor < stream.DataEnd) {
    return stream.BufferRef[stream.Cursor] == kEndOfText;
  }
  if (NextByte(stream) == kInputEnd) return true;
  --stream.Cursor;
  return false;
}

uint32_t GetLinePiece(TextStream& stream, unsigned char* destination, uint32_t max) {
  if (!IsReading(stream) && !EnsureReading(stream)) return 0;
  uint32_t count = 0;
  for (;;) {
    if (stream.Cursor == stream.DataEnd && !Refill(stream)) return count;
    // Plain content is copied a run at a time, up to the next control byte or the piece's end.
    const unsigned char* run = stream.BufferRef + stream.Cursor;
    const uint32_t room = std::min(stream.DataEnd - stream.Cursor, max - count);
    const unsigned char* stop = FindLineControl(run, run + room);
    const uint32_t length = static_cast<uint32_t>(stop - run);
    std::memcpy(destination + count, run, length);
    count += length;
    stream.Cursor += length;
    if (count == max) return count;
    if (length == room) continue;  // the buffer is used up: refill

    ++stream.Cursor;  // the control byte
    if (*stop == kLf) {
      --stream.Cursor;  // left for SkipLine
      return count;
    }
    if (*stop == kEndOfText) return count;
    // A CR is dropped, wherever the byte after it comes from.
  }
}

// Taken straight from the buffer a run at a time: the same bytes and the same reads as piece
// after piece of kMaxLinePiece bytes, without staging every piece.
void GetLine(TextStream& stream, std::string& line) {
  line.clear();
  if (!IsReading(stream) && !EnsureReading(stream)) return;
  for (;;) {
    if (stream.Cursor == stream.DataEnd && !Refill(stream)) return;
    const unsigned char* run = stream.BufferRef + stream.Cursor;
    const unsigned char* end = stream.BufferRef + stream.DataEnd;
    const unsigned char* stop = FindLineControl(run, end);
    if (stop != run) Append(line, run, static_cast<std::size_t>(stop - run));
    stream.Cursor = static_cast<uint32_t>(stop - stream.BufferRef);
    if (stop == end) continue;  // the buffer is used up: refill
    if (*stop == kLf) return;   // left for SkipLine
    ++stream.Cursor;            // a CR is dropped, an end-of-text byte ends the line
    if (*stop == kEndOfText) return;
    if (stop + 1 != end && stop[1] == kLf) return;  // CR LF, the usual line end
  }
}

// The usual case, the LF that GetLine left, is taken without a call to NextByte.
void SkipLine(TextStream& stream) {
  if (IsReading(stream) && stream.Cursor < stream.DataEnd &&
      stream.BufferRef[stream.Cursor] == kLf) {
    ++stream.Cursor;
    return;
  }
  for (;;) {
    const int byte = NextByte(stream);
    if (byte == kInputEnd || byte == kLf) return;
  }
}

}  // namespace runtime
