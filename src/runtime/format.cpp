#include "format.hpp"

namespace runtime {
namespace {

class Area {
 public:
  Area(char* area, std::size_t size) : area_(area), room_(size - 1) {}

  void Put(char byte) {
    if (length_ < room_) area_[length_++] = byte;
  }
  void PutText(const char* text) {
    while (*text != '\0' && length_ < room_) area_[length_++] = *text++;
  }
  void PutDecimal(int32_t value) {
    // Counted in the negative range, where every 32-bit value fits.
    int64_t rest = value < 0 ? value : -static_cast<int64_t>(value);
    char digits[12];
    int count = 0;
    do {
      digits[count++] = static_cast<char>('0' - rest % 10);
      rest /= 10;
    } while (rest != 0);
    if (value < 0) Put('-');
    while (count > 0) Put(digits[--count]);
  }
  void PutHex(uint64_t value, int min_digits) {
    char digits[16];
    int count = 0;
    do {
      digits[count++] = "0123456789ABCDEF"[value & 0xF];
      value >>= 4;
    } while (value != 0);
    for (int pad = count; pad < min_digits; ++pad) Put('0');
    while (count > 0) Put(digits[--count]);
  }
  std::size_t Finish() {
    area_[length_] = '\0';
    return length_;
  }

 private:
  char* area_;
  std::size_t room_;
  std::size_t length_ = 0;
};

constexpr int kAddressDigits = 8;

}  // namespace

std::size_t FormatText(char* area, std::size_t size, const char* format,
                       std::initializer_list<FormatArg> values) {
  if (size == 0) return 0;
  Area out(area, size);
  const FormatArg* next = values.begin();
  const FormatArg none(static_cast<const char*>(nullptr));
  auto take = [&]() -> const FormatArg& { return next != values.end() ? *next++ : none; };

  for (const char* at = format; *at != '\0'; ++at) {
    if (*at != '%') {
      out.Put(*at);
      continue;
    }
    switch (at[1]) {
      case 's':
        out.PutText(take().Text());
        break;
      case 'd':
        out.PutDecimal(static_cast<int32_t>(take().Number()));
        break;
      case 'p':
        out.PutHex(take().Number(), kAddressDigits);
        break;
      case 'x':
        out.PutHex(static_cast<uint32_t>(take().Number()), 1);
        break;
      case '%':
        out.Put('%');
        break;
      default:  // not a placeholder: the percent sign stands for itself
        out.Put('%');
        continue;
    }
    ++at;
  }
  return out.Finish();
}

}  // namespace runtime
