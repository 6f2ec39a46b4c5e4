#include "runtime/arguments.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "fake_os.hpp"

namespace runtime {
namespace {

using namespace std::string_literals;
using Arguments = std::vector<std::string>;

struct SplitCase {
  std::string line;
  Arguments arguments;  // 1, 2, ...
  std::string argument0 = "kelvor";
};

std::string At(std::string_view line, std::size_t index, CharStep step = StepOneByte) {
  std::string argument = "left over";
  ArgumentAt(line, index, argument, step);
  return argument;
}

// Count, every argument, the program's own field, and an empty string one past the count.
void ExpectSplit(const SplitCase& c, CharStep step = StepOneByte) {
  SCOPED_TRACE(testing::PrintToString(c.line));
  ASSERT_EQ(ArgumentCount(c.line, step), c.arguments.size());
  EXPECT_EQ(At(c.line, 0, step), c.argument0);
  for (std::size_t i = 0; i < c.arguments.size(); ++i) {
    EXPECT_EQ(At(c.line, i + 1, step), c.arguments[i]) << "argument " << i + 1;
  }
  EXPECT_EQ(At(c.line, c.arguments.size() + 1, step), "");
  EXPECT_EQ(At(c.line, c.arguments.size() + 5, step), "");
}

TEST(SplitterTest, CutsARawCommandLineByItsRules) {
  const SplitCase cases[] = {
      {"kelvor", {}},
      {"kelvor \"backup log.txt\"", {"backup log.txt"}},
      {"kelvor  /S   log.txt ", {"/S", "log.txt"}},
      {"\"C:\\My Tools\\kelvor.exe\" /S \"my log.txt\"",
       {"/S", "my log.txt"},
       "C:\\My Tools\\kelvor.exe"},
      {"kelvor \"\" x.txt", {"x.txt"}},
      {"kelvor \"\"", {}},
      {"kelvor x \"\" y", {"x", "y"}},
      {"kelvor a\"b c\"d e", {"ab cd", "e"}},
      {"kelvor \"a\"\"b\"", {"ab"}},
      {"kelvor /S\"\" x", {"/S", "x"}},
      {"kelvor a\"b c", {"ab c"}},
      {"kelvor x\\\"y z", {"x\\y z"}},
      {"kelvor x \"", {"x"}},
      {"kelvor \" /S", {" /S"}},
      {"kelvor\"x y\" z", {"z"}, "kelvorx y"},
      // Tabs and every control byte separate; 0xA0 and the bytes above 0x7E do not.
      {"kelvor\t/s\tLog.TXT", {"/s", "Log.TXT"}},
      {"kelvor\x01"
       "a\x1F"
       "b\r\n",
       {"a", "b"}},
      {"kelvor\xA0/S", {}, "kelvor\xA0/S"},
      {"kelvor a\x7F\x80\xFF", {"a\x7F\x80\xFF"}},
      // Inside quotes, blanks and control bytes belong to the argument.
      {"kelvor \"\t\x01 \"", {"\t\x01 "}},
      {"kelvor /S \"\"", {"/S"}},
      {"kelvor x \"  ", {"x", "  "}},
      {"kelvor \"\"x \"\" \"\"  \"\"", {"x"}},
      {"   kelvor   a", {"a"}},
      {"", {}, ""},
      // A NUL ends the command line wherever it stands.
      {"kelvor a\0b c"s, {"a"}},
      {"kelvor \"a\0b\" c"s, {"a"}},
  };
  for (const SplitCase& c : cases) ExpectSplit(c);
}

TEST(SplitterTest, NextArgumentReplacesItsOutputAndStopsAtTheSeparator) {
  const std::string_view line = "kelvor  /S   log.txt ";
  std::string argument = "previous content";
  std::size_t position = NextArgument(line, 0, argument);
  EXPECT_EQ(argument, "kelvor");
  EXPECT_EQ(position, 6u);
  position = NextArgument(line, position, argument);
  EXPECT_EQ(argument, "/S");
  EXPECT_EQ(position, 10u);
  position = NextArgument(line, position, argument);
  EXPECT_EQ(argument, "log.txt");
  EXPECT_EQ(position, 20u);
  position = NextArgument(line, position, argument);
  EXPECT_EQ(argument, "");
  EXPECT_EQ(position, line.size());
}

// A double-byte code page: 0x81 to 0x9F lead a character of two bytes, whose second byte may
// look like a quote or a blank.
std::size_t StepDoubleByte(std::string_view line, std::size_t position) {
  const auto byte = static_cast<unsigned char>(line[position]);
  return position + (byte >= 0x81 && byte <= 0x9F ? 2 : 1);
}

TEST(SplitterTest, TakesOrSkipsADoubleByteCharacterWhole) {
  const SplitCase by_character[] = {
      {"kelvor a\x81\"b c", {"a\x81\"b", "c"}},
      {"kelvor a\x81 b", {"a\x81 b"}},
      {"kelvor \"x\x81\" y\"", {"x\x81\" y"}},
      // A lead byte at the very end, or before a NUL, does not take the line's end with it.
      {"kelvor a\x81", {"a\x81"}},
      {"kelvor a\x81\0b"s, {"a\x81"}},
  };
  for (const SplitCase& c : by_character) ExpectSplit(c, StepDoubleByte);
  // The same bytes stepped one by one: the second byte is a quote or a blank again.
  const SplitCase by_byte[] = {
      {"kelvor a\x81\"b c",
       {"a\x81"
        "b c"}},
      {"kelvor a\x81 b", {"a\x81", "b"}},
  };
  for (const SplitCase& c : by_byte) ExpectSplit(c);
}

class ProcessArgumentsTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }

  static Arguments All() {
    Arguments all;
    for (std::size_t i = 1; i <= ArgumentCount(); ++i) {
      std::string argument;
      ArgumentAt(i, argument);
      all.push_back(argument);
    }
    return all;
  }
};

TEST_F(ProcessArgumentsTest, ARawCommandLineIsCutWithThePlatformsStep) {
  fake::SetRawCommandLine("kelvor.exe a\x81\"b \"backup log.txt\"", StepDoubleByte);
  EXPECT_EQ(All(), (Arguments{"a\x81\"b", "backup log.txt"}));
  fake::SetRawCommandLine("kelvor.exe a\x81\"b \"backup log.txt\"");
  EXPECT_EQ(All(), (Arguments{"a\x81"
                              "b backup",
                              "log.txt"}));
}

TEST_F(ProcessArgumentsTest, AnArgumentListIsTakenAsTheSystemSplitIt) {
  // No quote is dropped and no blank separates: the shell has done that already. An empty
  // element is an argument like the others, not the end of the list.
  fake::SetArguments({"/usr/bin/kelvor", "backup log.txt", "", "a\"b\"", " /S", "\t"});
  EXPECT_EQ(All(), (Arguments{"backup log.txt", "", "a\"b\"", " /S", "\t"}));
  std::string argument = "left over";
  ArgumentAt(6, argument);
  EXPECT_EQ(argument, "");
  ArgumentAt(0, argument);
  EXPECT_EQ(argument, "/usr/bin/kelvor");

  fake::SetArguments({"kelvor"});
  EXPECT_EQ(ArgumentCount(), 0u);
  fake::SetArguments({});
  EXPECT_EQ(ArgumentCount(), 0u);
  ArgumentAt(1, argument);
  EXPECT_EQ(argument, "");
}

}  // namespace
}  // namespace runtime
