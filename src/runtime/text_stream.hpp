// Buffered text streams on platform handles. No operation raises: a failure leaves its code
// in PendingIOError, and the caller runs CheckIO after each statement.
#pragma once

#include <cstddef>
#include <cstdint>
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

void SetPendingIOError(int32_t code);
int32_t TakePendingIOError();
int32_t PeekPendingIOError();

void BindStream(TextStream& stream, const std::string& name);
int32_t OpenInput(TextStream& stream);
int32_t OpenOutput(TextStream& stream);
void PutBytes(TextStream& stream, const void* bytes, std::size_t count);
void PutString(TextStream& stream, const std::string& text);
void PutChar(TextStream& stream, unsigned char byte);
void PutLineEnd(TextStream& stream);
int32_t FlushStream(TextStream& stream);
int32_t CloseStream(TextStream& stream);
bool EnsureReading(TextStream& stream);
bool EnsureWriting(TextStream& stream);

}  // namespace runtime
