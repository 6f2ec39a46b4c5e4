// Cutting standard input into lines: LF or CR LF ends a line, any other CR is dropped, and
// the end-of-text byte 0x1A ends the input where a line would begin or cuts a line short.
#pragma once

#include <cstdint>
#include <string>

#include "text_stream.hpp"

namespace runtime {

inline constexpr int kInputEnd = 256;
inline constexpr uint32_t kMaxLinePiece = 255;

// The TransferAction of every reading stream.
int32_t FillBuffer(TextStream& stream);
// A byte, or kInputEnd at the end of the input, after a read failure, or when the stream
// cannot be read (PendingIOError tells those apart).
int NextByte(TextStream& stream);
bool AtEndOfInput(TextStream& stream);
uint32_t GetLinePiece(TextStream& stream, unsigned char* destination, uint32_t max);
// The whole line, however long, without its line end; `line` keeps its capacity.
void GetLine(TextStream& stream, std::string& line);
void SkipLine(TextStream& stream);

}  // namespace runtime
