// Filling a text's placeholders into a fixed area, as the failure messages and the last-resort
// report need it: nothing is allocated, so it works when memory is exhausted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace runtime {

// One value for a placeholder: a zero-terminated text, or a number (an integer or an address).
class FormatArg {
 public:
  FormatArg(const char* text) : text_(text) {}
  FormatArg(int64_t number) : number_(static_cast<uint64_t>(number)) {}
  FormatArg(const void* address) : number_(reinterpret_cast<uintptr_t>(address)) {}

  const char* Text() const { return text_ != nullptr ? text_ : ""; }
  uint64_t Number() const { return number_; }

 private:
  const char* text_ = nullptr;
  uint64_t number_ = 0;
};

// Fills `format` into `area`: at most size - 1 bytes, then a zero byte; the result is the
// length. %s a text, %d a signed 32-bit decimal, %p an address in upper-case hexadecimal,
// at least 8 digits and zero-filled, %x upper-case hexadecimal without leading zeros, %% a
// percent sign. The placeholders take the values in order; a missing value is empty or 0.
std::size_t FormatText(char* area, std::size_t size, const char* format,
                       std::initializer_list<FormatArg> values);

}  // namespace runtime
