#include "text_stream.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

#include "line_input.hpp"

namespace runtime {

TextStream StandardInput{.OpenState = StreamState::Closed};
TextStream StandardOutput{.OpenState = StreamState::Closed};
const uint8_t DefaultStyleBits = kCrLfStyle;

namespace {

int32_t DrainBuffer(TextStream& stream) {
  if (stream.Cursor == 0) return 0;
  const bool written = platform::WriteFile(stream.SystemHandle, stream.BufferRef, stream.Cursor);
  // On failure the waiting bytes are discarded: later writes start afresh.
  stream.Cursor = 0;
  return written ? 0 : platform::LastError();
}

int32_t ReleaseHandle(TextStream& stream) {
  stream.OpenState = StreamState::Closed;
  return platform::CloseHandle(stream.SystemHandle) ? 0 : platform::LastError();
}

// A name that does not fit the record is refused at opening, never cut short: a shortened
// name would put the data into another file.
int32_t RefuseLongName(TextStream& stream) {
  stream.OpenState = StreamState::Closed;
  return platform::error::kFilenameTooLong;
}

int32_t AcquireStandardHandle(TextStream& stream) {
  stream.Capacity = kStreamCapacity;
  stream.BufferRef = stream.Storage;
  stream.CloseAction = NoAction;
  const bool reading = stream.OpenState == StreamState::Reading;
  stream.SystemHandle =
      platform::GetStdHandle(reading ? platform::StdHandle::Input : platform::StdHandle::Output);
  return stream.SystemHandle == platform::kInvalidHandle ? platform::LastError() : 0;
}

int32_t AcquireHandle(TextStream& stream) {
  stream.Cursor = 0;
  stream.DataEnd = 0;
  const bool reading = stream.OpenState == StreamState::Reading;
  stream.TransferAction = reading ? FillBuffer : DrainBuffer;
  stream.CloseAction = ReleaseHandle;
  stream.LineEndAction = NoAction;

  // Named streams are only ever opened for writing here.
  if (stream.BoundName[0] != '\0') {
    stream.SystemHandle = platform::CreateForWriting(stream.BoundName);
    if (stream.SystemHandle == platform::kInvalidHandle) {
      stream.OpenState = StreamState::Closed;
      return platform::LastError();
    }
  } else if (const int32_t code = AcquireStandardHandle(stream); code != 0) {
    stream.OpenState = StreamState::Closed;
    return code;
  }
  if (reading) return 0;

  switch (platform::KindOf(stream.SystemHandle)) {
    case platform::HandleKind::Unknown:
      platform::CloseHandle(stream.SystemHandle);
      stream.OpenState = StreamState::Closed;
      return io::kNotOpenForOutput;
    case platform::HandleKind::Char:
      stream.LineEndAction = DrainBuffer;
      return 0;
    case platform::HandleKind::Other:
      return 0;
  }
  return 0;
}

int32_t Open(TextStream& stream, StreamState state) {
  if (stream.OpenState == StreamState::Unbound) return io::kNotBound;
  if (stream.OpenState == StreamState::Reading || stream.OpenState == StreamState::Writing) {
    CloseStream(stream);
  }
  stream.OpenState = state;
  // A standard stream opened without binding still holds the zeros of process start.
  if (stream.BoundName[0] == '\0' && stream.OpenAction == nullptr) {
    stream.OpenAction = AcquireHandle;
  }
  const int32_t code = stream.OpenAction(stream);
  if (code != 0) SetPendingIOError(code);
  return code;
}

bool IsOpen(const TextStream& stream) {
  return stream.OpenState == StreamState::Reading || stream.OpenState == StreamState::Writing;
}

}  // namespace

int32_t NoAction(TextStream&) {
  return 0;
}

// PutBytes when the buffer may fill up, or the stream may not be open yet.
void PutBytesWritingOut(TextStream& stream, const void* bytes, std::size_t count) {
  if (stream.OpenState != StreamState::Writing && !EnsureWriting(stream)) return;
  const unsigned char* next = static_cast<const unsigned char*>(bytes);
  for (;;) {
    const std::size_t free = stream.Capacity - stream.Cursor;
    if (count < free) {
      if (count > 0) std::memcpy(stream.BufferRef + stream.Cursor, next, count);
      stream.Cursor += static_cast<uint32_t>(count);
      return;
    }
    // A write that fills the buffer writes it out at once.
    if (free > 0) std::memcpy(stream.BufferRef + stream.Cursor, next, free);
    stream.Cursor = stream.Capacity;
    next += free;
    count -= free;
    if (const int32_t code = stream.TransferAction(stream); code != 0) {
      SetPendingIOError(code);
      return;
    }
  }
}

namespace {

// The write-out step shared by PutLineEnd and FlushStream.
int32_t WriteOut(TextStream& stream, StreamAction action) {
  int32_t code = 0;
  if (stream.OpenState == StreamState::Writing) {
    code = action(stream);
  } else if (!IsOpen(stream) && &stream != &StandardOutput) {
    code = io::kNotOpen;
  }
  if (code != 0) SetPendingIOError(code);
  return code;
}

}  // namespace

int32_t TakePendingIOError() {
  return std::exchange(PendingIOError, 0);
}

void BindStream(TextStream& stream, const std::string& name) {
  stream = TextStream{};
  stream.BufferRef = stream.Storage;
  stream.OpenState = StreamState::Closed;
  stream.StyleBits = DefaultStyleBits;
  stream.Capacity = kStreamCapacity;
  stream.OpenAction = name.size() < kBoundNameSize ? AcquireHandle : RefuseLongName;
  const std::size_t kept = std::min(name.size(), kBoundNameSize - 1);
  std::memcpy(stream.BoundName, name.data(), kept);
  stream.BoundName[kept] = '\0';
}

int32_t OpenInput(TextStream& stream) {
  return Open(stream, StreamState::Reading);
}

int32_t OpenOutput(TextStream& stream) {
  return Open(stream, StreamState::Writing);
}

void PutChar(TextStream& stream, unsigned char byte) {
  if (stream.OpenState != StreamState::Writing && !EnsureWriting(stream)) return;
  // Unlike PutBytes, a byte that fills the buffer leaves it full until the next write.
  if (stream.Cursor >= stream.Capacity) {
    if (const int32_t code = stream.TransferAction(stream); code != 0) {
      SetPendingIOError(code);
      return;
    }
  }
  stream.BufferRef[stream.Cursor++] = byte;
}

void WriteOutAtLineEnd(TextStream& stream) {
  WriteOut(stream, stream.LineEndAction);
}

int32_t FlushStream(TextStream& stream) {
  return WriteOut(stream, stream.TransferAction);
}

int32_t CloseStream(TextStream& stream) {
  if (!IsOpen(stream)) {
    if (&stream != &StandardInput) SetPendingIOError(io::kNotOpen);
    return 0;
  }
  int32_t code = 0;
  if (stream.OpenState == StreamState::Writing) code = stream.TransferAction(stream);
  if (code == 0) code = stream.CloseAction(stream);
  if (code != 0) SetPendingIOError(code);
  return code;
}

bool EnsureReading(TextStream& stream) {
  if (&stream == &StandardInput) {
    stream.StyleBits = DefaultStyleBits;
    OpenInput(stream);
  }
  if (stream.OpenState == StreamState::Reading) return true;
  SetPendingIOError(io::kNotOpenForInput);
  return false;
}

bool EnsureWriting(TextStream& stream) {
  if (&stream == &StandardOutput) {
    stream.StyleBits = DefaultStyleBits;
    OpenOutput(stream);
  }
  if (stream.OpenState == StreamState::Writing) return true;
  SetPendingIOError(io::kNotOpenForOutput);
  return false;
}

}  // namespace runtime
