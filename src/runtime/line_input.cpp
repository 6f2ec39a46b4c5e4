#include "line_input.hpp"

#include <algorithm>
#include <cstring>

namespace runtime {
namespace {

constexpr unsigned char kLf = 0x0A;
constexpr unsigned char kCr = 0x0D;

bool IsReading(const TextStream& stream) { return stream.OpenState == StreamState::Reading; }

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

// The first byte in [begin, end) that is not plain line content.
const unsigned char* FindLineControl(const unsigned char* begin, const unsigned char* end) {
  while (begin != end && *begin != kLf && *begin != kCr && *begin != kEndOfText) ++begin;
  return begin;
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

void GetLine(TextStream& stream, std::string& line) {
  line.clear();
  uint32_t piece;
  do {
    const std::size_t used = line.size();
    // Growing by half keeps a very long line within 1.5 times its length.
    if (line.capacity() < used + kMaxLinePiece) {
      line.reserve(std::max(used + kMaxLinePiece, line.capacity() + line.capacity() / 2));
    }
    line.resize(used + kMaxLinePiece);
    piece = GetLinePiece(stream, reinterpret_cast<unsigned char*>(line.data()) + used,
                         kMaxLinePiece);
    line.resize(used + piece);
  } while (piece == kMaxLinePiece);
}

void SkipLine(TextStream& stream) {
  for (;;) {
    const int byte = NextByte(stream);
    if (byte == kInputEnd || byte == kLf) return;
  }
}

}  // namespace runtime
