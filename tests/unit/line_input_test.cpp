#include "runtime/line_input.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "fake_os.hpp"
#include "line_model.hpp"
#include "runtime/check_io.hpp"

namespace runtime {
namespace {

class LineInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    TakePendingIOError();
    BindStream(StandardInput, "");
    ASSERT_EQ(OpenInput(StandardInput), 0);
  }

  // The lines as the copy loop takes them: end test, line, line end.
  static std::vector<std::string> ReadLines() {
    std::vector<std::string> lines;
    std::string line;
    while (!AtEndOfInput(StandardInput)) {
      GetLine(StandardInput, line);
      SkipLine(StandardInput);
      lines.push_back(line);
    }
    return lines;
  }
};

using Lines = std::vector<std::string>;

struct LineCase {
  std::string input;
  Lines lines;
};

TEST_F(LineInputTest, CutsLinesByTheirRulesWhereverTheReadsEnd) {
  const std::string x300(300, 'x');
  const LineCase cases[] = {
      {"ab\r\ncd\r\n", {"ab", "cd"}},
      {"ab\ncd\n", {"ab", "cd"}},
      {"ab\r\ncd", {"ab", "cd"}},
      {"", {}},
      {"\r\n", {""}},
      {"\n\n", {"", ""}},
      {"a\rb\r\n", {"ab"}},
      {"ab\r\r\n", {"ab"}},
      {"ab\r", {"ab"}},
      {"ab\n\r", {"ab", ""}},
      {"ab\r\n\x1A"
       "cd\r\n",
       {"ab"}},
      {"ab\x1A"
       "cd\r\nef\r\n",
       {"ab", "ef"}},
      {"ab\x1A"
       "cd\x1A"
       "ef\ngh\n",
       {"ab"}},
      {"ab\x1A", {"ab"}},
      {"\x1A"
       "ab\r\n",
       {}},
      {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
      {x300 + "\n", {x300}},
      {"\r\r\r", {""}},
      {"ab\x1A\n\x1A", {"ab"}},
      {"\xFF\x80\x1B\x7F\n", {"\xFF\x80\x1B\x7F"}},
  };
  // Reads of every size put CR LF pairs, CR runs and 0x1A on both sides of a refill.
  for (const std::size_t chunk : {1, 2, 3, 5, 128}) {
    for (const LineCase& c : cases) {
      SCOPED_TRACE("chunk " + std::to_string(chunk) + ", input of " +
                   std::to_string(c.input.size()) + " bytes: " + c.input.substr(0, 20));
      SetUp();
      fake::FeedStdIn(c.input, chunk);
      EXPECT_EQ(ReadLines(), c.lines);
      EXPECT_EQ(TakePendingIOError(), 0);
    }
  }
}

TEST_F(LineInputTest, AnEndOfTextByteInEveryPositionCutsAsTheRulesSay) {
  const std::string text = "ab\r\ncd\re\n\r\nfg\n" + std::string(130, 'h') + "\r\nij";
  for (std::size_t at = 0; at <= text.size(); ++at) {
    std::string input = text;
    input.insert(at, 1, '\x1A');
    for (const std::size_t chunk : {1, 128}) {
      SCOPED_TRACE("0x1A at " + std::to_string(at) + ", chunk " + std::to_string(chunk));
      SetUp();
      fake::FeedStdIn(input, chunk);
      EXPECT_EQ(ReadLines(), model::Lines(input));
    }
  }
}

TEST_F(LineInputTest, RandomInputsInRandomReadsGiveTheModelsLines) {
  std::mt19937 random(20261211);
  const char kRoles[] = {'\x1A', '\n', '\n', '\r', '\r', '\0'};
  for (int round = 0; round < 2000; ++round) {
    std::string input(random() % 600, '\0');
    for (char& byte : input) {
      // Any byte, with the bytes that have a role well represented.
      const unsigned pick = random() % 50;
      byte = pick < std::size(kRoles) ? kRoles[pick] : static_cast<char>(random() % 256);
    }
    SetUp();
    for (std::size_t at = 0; at < input.size();) {
      const std::size_t chunk = 1 + random() % 200;
      fake::At(fake::kStdIn).reads.push_back({input.substr(at, chunk)});
      at += chunk;
    }
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(ReadLines(), model::Lines(input));
  }
}

// The scan looks at words of the buffer for bytes below 0x20, and a 0x20 right after one may
// be marked too: a byte with a role must be found at every offset, behind another low byte
// that is content, in a run of 0x20 and high bytes.
TEST_F(LineInputTest, BytesWithARoleAreFoundAtEveryOffsetOfTheScan) {
  for (const char content : {'\0', '\t', '\x1F', '\x20'}) {
    for (const char role : {'\n', '\r', '\x1A'}) {
      for (std::size_t at = 0; at < 136; ++at) {
        for (const std::size_t gap : {1, 2, 7, 8, 9, 15, 16, 17}) {
          std::string input(160, ' ');
          for (std::size_t i = 0; i < input.size(); i += 3) input[i] = '\xE9';
          input[at] = content;
          input[at + gap] = role;
          input += "\r\nz\n";
          for (const std::size_t chunk : {128, 13}) {
            SCOPED_TRACE(testing::Message()
                         << "content " << int{content} << " at " << at << ", role " << int{role}
                         << " after " << gap << ", chunk " << chunk);
            SetUp();
            fake::FeedStdIn(input, chunk);
            ASSERT_EQ(ReadLines(), model::Lines(input));
          }
        }
      }
    }
  }
}

TEST_F(LineInputTest, LongLinesAreDeliveredWhole) {
  for (const std::size_t length : {254u, 255u, 256u, 510u, 511u, 3'000'017u}) {
    SCOPED_TRACE(length);
    SetUp();
    std::string line;
    for (std::size_t i = 0; i < length; ++i) line.push_back(static_cast<char>('a' + i % 23));
    fake::FeedStdIn(line + "\r\nz");
    EXPECT_EQ(ReadLines(), (Lines{line, "z"}));
  }
}

TEST_F(LineInputTest, EveryReadAsksForOneBuffer) {
  fake::FeedStdIn(std::string(1000, 'a') + "\n");
  ReadLines();
  for (const uint32_t size : fake::At(fake::kStdIn).read_sizes) EXPECT_EQ(size, 128u);
}

TEST_F(LineInputTest, TheEndIsKeptWithoutAskingThePlatformAgain) {
  fake::FeedStdIn("ab\n");
  EXPECT_EQ(ReadLines(), Lines{"ab"});
  const std::size_t reads = fake::At(fake::kStdIn).read_sizes.size();
  fake::FeedStdIn("more\n");  // would be delivered if anyone asked
  EXPECT_TRUE(AtEndOfInput(StandardInput));
  EXPECT_EQ(NextByte(StandardInput), kInputEnd);
  SkipLine(StandardInput);
  EXPECT_TRUE(AtEndOfInput(StandardInput));
  EXPECT_EQ(fake::At(fake::kStdIn).read_sizes.size(), reads);
}

TEST_F(LineInputTest, ABrokenPipeIsTheNormalEnd) {
  fake::At(fake::kStdIn).reads = {{"ab\n"}, {"", platform::error::kBrokenPipe}};
  EXPECT_EQ(ReadLines(), Lines{"ab"});
  EXPECT_EQ(TakePendingIOError(), 0);
}

TEST_F(LineInputTest, AReadFailureInsideALineKeepsWhatWasReadAndReportsTheLastFailure) {
  fake::At(fake::kStdIn).reads = {
      {"abc"}, {"", platform::error::kIoDevice}, {"", platform::error::kAccessDenied}, {"def\n"}};
  ASSERT_FALSE(AtEndOfInput(StandardInput));
  std::string line;
  GetLine(StandardInput, line);
  EXPECT_EQ(line, "abc");
  // The buffer was left empty, so skipping the line end asks the platform again.
  SkipLine(StandardInput);
  try {
    CheckIO();
    FAIL() << "CheckIO did not raise";
  } catch (const Failure& failure) {
    EXPECT_EQ(dynamic_cast<EInOutError&>(failure.Object()).IOCode, platform::error::kAccessDenied);
  }
  // The input goes on after the failures.
  EXPECT_EQ(ReadLines(), Lines{"def"});
}

TEST_F(LineInputTest, AFailureBeforeAnyByteLooksLikeTheEndWithACodePending) {
  fake::At(fake::kStdIn).reads = {{"", platform::error::kInvalidHandle}};
  EXPECT_TRUE(AtEndOfInput(StandardInput));
  EXPECT_EQ(TakePendingIOError(), platform::error::kInvalidHandle);
}

TEST_F(LineInputTest, ANamedStreamNotOpenForReadingLeaves104) {
  TextStream other{};
  BindStream(other, "x");
  unsigned char piece[8];
  EXPECT_EQ(GetLinePiece(other, piece, 8), 0u);
  EXPECT_EQ(TakePendingIOError(), 104);
  EXPECT_TRUE(AtEndOfInput(other));
  EXPECT_EQ(TakePendingIOError(), 104);
}

TEST_F(LineInputTest, PiecesStopAtTheirMaximumWithoutLookingFurther) {
  fake::FeedStdIn("abcd\r\n");
  unsigned char piece[4];
  EXPECT_EQ(GetLinePiece(StandardInput, piece, 4), 4u);
  EXPECT_EQ(StandardInput.Cursor, 4u);
  EXPECT_EQ(GetLinePiece(StandardInput, piece, 4), 0u);  // the CR goes, the LF stays
  EXPECT_EQ(NextByte(StandardInput), '\n');
}

}  // namespace
}  // namespace runtime
