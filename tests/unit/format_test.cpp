#include "runtime/format.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace runtime {
namespace {

// Formats into an area of `size` bytes and checks that nothing lies beyond the zero byte.
std::string Format(const char* format, std::initializer_list<FormatArg> values,
                   std::size_t size = 64) {
  char area[80];
  std::memset(area, '#', sizeof area);
  const std::size_t length = FormatText(area, size, format, values);
  EXPECT_LT(length, size);
  EXPECT_EQ(area[length], '\0');
  for (std::size_t i = size; i < sizeof area; ++i) EXPECT_EQ(area[i], '#') << "written at " << i;
  return std::string(area, length);
}

const void* Address(uintptr_t value) {
  return reinterpret_cast<const void*>(value);
}

TEST(FormatTextTest, EachPlaceholderTakesTheNextValue) {
  const struct {
    const char* format;
    std::initializer_list<FormatArg> values;
    std::string expected;
  } cases[] = {
      {"Erreur E/S %d", {int64_t{103}}, "Erreur E/S 103"},
      {"%d %d %d", {int64_t{0}, int64_t{-7}, int64_t{INT32_MIN}}, "0 -7 -2147483648"},
      {"%d", {int64_t{INT32_MAX}}, "2147483647"},
      {"[%s][%s]", {"ab", ""}, "[ab][]"},
      {"%p", {Address(0)}, "00000000"},
      {"%p", {Address(0x9A4)}, "000009A4"},
      {"%p", {Address(0xDEADBEEF)}, "DEADBEEF"},
      {"%p", {Address(0x55D1C2A3B4C5)}, "55D1C2A3B4C5"},
      {"%x", {int64_t{0xC000001D}}, "C000001D"},
      {"%x", {int64_t{0x1D}}, "1D"},
      {"%x", {int64_t{0}}, "0"},
      {"100%% %s", {"s\xFBr"}, "100% s\xFBr"},
      {"%s then %d", {}, " then 0"},
      {"%q%", {}, "%q%"},
      {"%s", {"%d%s"}, "%d%s"},
  };
  for (const auto& c : cases) EXPECT_EQ(Format(c.format, c.values), c.expected) << c.format;
}

TEST(FormatTextTest, NeverPassesTheEndOfItsArea) {
  EXPECT_EQ(Format("%s and more", {"0123456789"}, 8), "0123456");
  EXPECT_EQ(Format("%p", {Address(0x12345678)}, 5), "1234");
  EXPECT_EQ(Format("%d", {int64_t{-12345}}, 3), "-1");
  EXPECT_EQ(Format("abc", {}, 1), "");
  char untouched = '#';
  EXPECT_EQ(FormatText(&untouched, 0, "abc", {}), 0u);
  EXPECT_EQ(untouched, '#');
}

}  // namespace
}  // namespace runtime
