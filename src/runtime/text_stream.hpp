// Buffered text streams on platform handles. No operation raises: a failure leaves its code
// in PendingIOError, and the caller runs CheckIO after each statement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "../platform/platform.hpp"

namespace runtime {

enum class StreamState : uint16_t { Unbound = 0, Closed, Reading, Writing };

inline constexpr uint32_t kStreamCapacity = 128;
inline constexpr std::size_t kBoundNameSize = 260;
inline constexpr uint16_t kCrLfStyle = 1;
inline constexpr unsigned char kEndOfText = 0x1A;

// The stream layer's own codes; every other code is a platform error number.
namespace io {
inline constexpr int32_t kNotBound = 102;
inline constexpr int32_t kNotOpen = 103;
inline constexpr int32_t kNotOpenForInput = 104;
inline constexpr int32_t kNotOpenForOutput = 105;
}  // namespace io

struct TextStream;
// Returns 0 or an I/O error code.
using StreamAction = int32_t (*)(TextStream&);

struct TextStream {
  platform::Handle SystemHandle{};
  StreamState OpenState{};
  uint16_t StyleBits{};
  uint32_t Capacity{};
  uint32_t Cursor{};   // Reading: next unread byte. Writing: bytes waiting.
  uint32_t DataEnd{};  // Reading: valid bytes in the buffer.
  unsigned char* BufferRef{};
  StreamAction OpenAction{};
  StreamAction TransferAction{};
  StreamAction LineEndAction{};
  StreamAction CloseAction{};
  char BoundName[kBoundNameSize]{};  // zero-terminated; empty for a standard handle
  unsigned char Storage[kStreamCapacity]{};
};

extern TextStream StandardInput;
extern TextStream StandardOutput;
extern const uint8_t DefaultStyleBits;

// The code of the last failed operation, 0 when none. It is asked after every statement
// that may fail, so the questions are inline.
inline thread_local int32_t PendingIOError = 0;

inline void SetPendingIOError(int32_t code) {
  PendingIOError = code;
}
inline int32_t PeekPendingIOError() {
  return PendingIOError;
}
int32_t TakePendingIOError();

void BindStream(TextStream& stream, const std::string& name);
int32_t OpenInput(TextStream& stream);
int32_t OpenOutput(TextStream& stream);
void PutChar(TextStream& stream, unsigned char byte);
int32_t FlushStream(TextStream& stream);
int32_t CloseStream(TextStream& stream);
bool EnsureReading(TextStream& stream);
bool EnsureWriting(TextStream& stream);

// The action of a stream with nothing to do at that step.
int32_t NoAction(TextStream& stream);
// PutBytes when the buffer may fill up, or the stream may not be open yet.
void PutBytesWritingOut(TextStream& stream, const void* bytes, std::size_t count);
// PutLineEnd's last step on a stream not open for writing: code 103 when it is not open at
// all, except for standard output.
void WriteOutAtLineEnd(TextStream& stream);

// Every line takes a few puts: the path where the bytes just go into the buffer is inline.
inline void PutBytes(TextStream& stream, const void* bytes, std::size_t count) {
  if (stream.OpenState == StreamState::Writing && count < stream.Capacity - stream.Cursor) {
    std::memcpy(stream.BufferRef + stream.Cursor, bytes, count);
    stream.Cursor += static_cast<uint32_t>(count);
  } else {
    PutBytesWritingOut(stream, bytes, count);
  }
}

inline void PutString(TextStream& stream, const std::string& text) {
  PutBytes(stream, text.data(), text.size());
}

inline void PutLineEnd(TextStream& stream) {
  static constexpr unsigned char kCrLf[] = {0x0D, 0x0A};
  if (stream.StyleBits & kCrLfStyle) {
    PutBytes(stream, kCrLf, 2);
  } else {
    PutBytes(stream, kCrLf + 1, 1);
  }
  if (stream.OpenState != StreamState::Writing) {
    WriteOutAtLineEnd(stream);
  } else if (stream.LineEndAction != NoAction) {
    if (const int32_t code = stream.LineEndAction(stream); code != 0) SetPendingIOError(code);
  }
}

}  // namespace runtime
