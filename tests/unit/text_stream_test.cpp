#include "runtime/text_stream.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fake_os.hpp"

namespace runtime {
namespace {

using platform::HandleKind;

class TextStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    TakePendingIOError();
    BindStream(StandardInput, "");
    BindStream(StandardOutput, "");
    log_ = TextStream{};
  }

  // Opens the log as a file of the given kind and returns what the fake records for it.
  fake::File& OpenLog(HandleKind kind = HandleKind::Other) {
    fake::SetKind("log.txt", kind);
    BindStream(log_, "log.txt");
    EXPECT_EQ(OpenOutput(log_), 0);
    return fake::Named("log.txt");
  }

  static std::vector<std::size_t> Sizes(const fake::File& file) {
    std::vector<std::size_t> sizes;
    for (const std::string& write : file.writes) sizes.push_back(write.size());
    return sizes;
  }

  TextStream log_;
};

using CallSizes = std::vector<std::size_t>;

struct WriteCase {
  const char* name;
  HandleKind kind;
  std::function<void(TextStream&)> writes;
  CallSizes before_close;
  CallSizes after_close;
};

TEST_F(TextStreamTest, WritesOutAtTheMomentsTheBufferDecides) {
  const std::string s127(127, 'x'), s128(128, 'x'), s300(300, 'x');
  const WriteCase cases[] = {
      {"128 bytes into an empty buffer go out at once",
       HandleKind::Other,
       [&](TextStream& s) { PutString(s, s128); },
       {128},
       {128}},
      {"127 bytes then a line end: the CR completes the block, the LF waits",
       HandleKind::Other,
       [&](TextStream& s) {
         PutString(s, s127);
         PutLineEnd(s);
       },
       {128},
       {128, 1}},
      {"a single byte that fills the buffer leaves it full",
       HandleKind::Other,
       [&](TextStream& s) {
         PutString(s, s127);
         PutChar(s, 'y');
       },
       {},
       {128}},
      {"the next single byte writes the full buffer out first",
       HandleKind::Other,
       [&](TextStream& s) {
         PutString(s, s127);
         PutChar(s, 'y');
         PutChar(s, 'z');
       },
       {128},
       {128, 1}},
      {"zero bytes into a full buffer write it out",
       HandleKind::Other,
       [&](TextStream& s) {
         PutString(s, s127);
         PutChar(s, 'y');
         PutBytes(s, "", 0);
       },
       {128},
       {128}},
      {"a file gathers short lines into blocks",
       HandleKind::Other,
       [&](TextStream& s) {
         for (int i = 0; i < 30; ++i) {
           PutString(s, "abcdefg");
           PutLineEnd(s);
         }
       },
       {128, 128},
       {128, 128, 14}},
      {"a character device is written out at every line end",
       HandleKind::Char,
       [&](TextStream& s) {
         PutString(s, "abc");
         PutLineEnd(s);
         PutLineEnd(s);
       },
       {5, 2},
       {5, 2}},
      {"a long line on a character device goes out in blocks, its rest at the line end",
       HandleKind::Char,
       [&](TextStream& s) {
         PutString(s, s300);
         PutLineEnd(s);
       },
       {128, 128, 46},
       {128, 128, 46}},
      {"a long line into a file: blocks, and the rest at closing",
       HandleKind::Other,
       [&](TextStream& s) {
         PutString(s, s300);
         PutLineEnd(s);
       },
       {128, 128},
       {128, 128, 46}},
  };
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    fake::File& file = OpenLog(c.kind);
    c.writes(log_);
    EXPECT_EQ(Sizes(file), c.before_close);
    EXPECT_EQ(CloseStream(log_), 0);
    EXPECT_EQ(Sizes(file), c.after_close);
    EXPECT_EQ(file.closes, 1);
    EXPECT_EQ(TakePendingIOError(), 0);
  }
}

TEST_F(TextStreamTest, BytesArriveUnchangedAndInOrder) {
  fake::File& file = OpenLog();
  std::string all;
  for (int i = 0; i < 1000; ++i) all.push_back(static_cast<char>(i * 7));
  PutString(log_, all.substr(0, 333));
  PutChar(log_, static_cast<unsigned char>(all[333]));
  PutString(log_, all.substr(334));
  PutLineEnd(log_);
  CloseStream(log_);
  EXPECT_EQ(file.Written(), all + "\r\n");
}

TEST_F(TextStreamTest, StandardOutputFollowsTheKindOfItsHandle) {
  fake::At(fake::kStdOut).kind = HandleKind::Char;
  ASSERT_EQ(OpenOutput(StandardOutput), 0);
  PutString(StandardOutput, "ab");
  PutLineEnd(StandardOutput);
  EXPECT_EQ(fake::At(fake::kStdOut).writes, std::vector<std::string>{"ab\r\n"});
  // Closing a standard stream writes it out but never closes its handle, and can repeat.
  PutString(StandardOutput, "c");
  EXPECT_EQ(CloseStream(StandardOutput), 0);
  EXPECT_EQ(CloseStream(StandardOutput), 0);
  EXPECT_EQ(fake::At(fake::kStdOut).Written(), "ab\r\nc");
  EXPECT_EQ(fake::At(fake::kStdOut).closes, 0);
  EXPECT_EQ(StandardOutput.OpenState, StreamState::Writing);
}

TEST_F(TextStreamTest, AWriteFailureDiscardsTheBlockAndItsCodeOutlivesLaterSuccess) {
  fake::File& file = OpenLog();
  file.write_errors[0] = platform::error::kDiskFull;
  PutString(log_, std::string(200, 'a'));  // the first block fails, the rest is dropped
  EXPECT_EQ(log_.Cursor, 0u);
  PutLineEnd(log_);
  PutString(log_, std::string(126, 'b'));  // the next block succeeds
  EXPECT_EQ(Sizes(file), (CallSizes{128, 128}));
  EXPECT_EQ(file.Written(), "\r\n" + std::string(126, 'b'));
  EXPECT_EQ(TakePendingIOError(), platform::error::kDiskFull);
}

TEST_F(TextStreamTest, TheLastFailureOfAStatementIsTheOneLeft) {
  fake::File& file = OpenLog(HandleKind::Char);
  file.write_errors[0] = platform::error::kDiskFull;
  file.write_errors[1] = platform::error::kAccessDenied;
  PutString(log_, std::string(128, 'a'));
  PutString(log_, std::string(128, 'a'));
  PutLineEnd(log_);
  EXPECT_EQ(TakePendingIOError(), platform::error::kAccessDenied);
}

struct CodeCase {
  const char* name;
  std::function<int32_t(TextStream& log)> operation;
  int32_t result;
  int32_t pending;
};

TEST_F(TextStreamTest, StateErrorsLeaveTheirCodes) {
  const CodeCase cases[] = {
      {"opening an unbound stream", [](TextStream& s) { return OpenOutput(s); }, 102, 0},
      {"closing a named stream that is not open",
       [](TextStream& s) {
         BindStream(s, "x");
         return CloseStream(s);
       },
       0, 103},
      {"closing standard input while closed",
       [](TextStream&) { return CloseStream(StandardInput); }, 0, 0},
      {"closing standard output while closed",
       [](TextStream&) { return CloseStream(StandardOutput); }, 0, 103},
      {"a line end on a closed named stream: 105, then 103 from the write-out",
       [](TextStream& s) {
         BindStream(s, "x");
         PutLineEnd(s);
         return 0;
       },
       0, 103},
      {"writing to a closed named stream",
       [](TextStream& s) {
         BindStream(s, "x");
         PutChar(s, 'a');
         return 0;
       },
       0, 105},
      {"flushing a closed named stream",
       [](TextStream& s) {
         BindStream(s, "x");
         return FlushStream(s);
       },
       103, 103},
      {"flushing standard output while closed",
       [](TextStream&) { return FlushStream(StandardOutput); }, 0, 0},
      {"a name longer than 259 bytes is refused, not cut short",
       [](TextStream& s) {
         BindStream(s, std::string(260, 'n'));
         return OpenOutput(s);
       },
       206, 206},
      {"the platform's refusal to create the file",
       [](TextStream& s) {
         fake::FailCreate("x", 3);
         BindStream(s, "x");
         return OpenOutput(s);
       },
       3, 3},
  };
  for (const CodeCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    EXPECT_EQ(c.operation(log_), c.result);
    EXPECT_EQ(TakePendingIOError(), c.pending);
  }
}

TEST_F(TextStreamTest, ANameOf259BytesIsKept) {
  const std::string name(259, 'n');
  BindStream(log_, name);
  EXPECT_EQ(OpenOutput(log_), 0);
  EXPECT_NO_THROW(fake::Named(name));
}

TEST_F(TextStreamTest, StandardOutputWithoutAUsableHandleAnswers105AndStaysClosed) {
  fake::At(fake::kStdOut).kind = HandleKind::Unknown;
  EXPECT_EQ(OpenOutput(StandardOutput), 105);
  EXPECT_EQ(StandardOutput.OpenState, StreamState::Closed);
  EXPECT_EQ(fake::At(fake::kStdOut).closes, 1);
  EXPECT_EQ(TakePendingIOError(), 105);
}

TEST_F(TextStreamTest, WritingOpensStandardOutputWhenNeeded) {
  StandardOutput = TextStream{.OpenState = StreamState::Closed};  // as at process start
  PutString(StandardOutput, "ab");
  EXPECT_EQ(StandardOutput.OpenState, StreamState::Writing);
  CloseStream(StandardOutput);
  EXPECT_EQ(fake::At(fake::kStdOut).Written(), "ab");
  EXPECT_EQ(TakePendingIOError(), 0);
}

TEST_F(TextStreamTest, AFailedFinalWriteOutKeepsTheFileOpen) {
  fake::File& file = OpenLog();
  file.write_errors[0] = platform::error::kDiskFull;
  PutString(log_, "abc");
  EXPECT_EQ(CloseStream(log_), platform::error::kDiskFull);
  EXPECT_EQ(log_.OpenState, StreamState::Writing);
  EXPECT_EQ(file.closes, 0);
  // Closing again has nothing left to write and now releases the handle.
  EXPECT_EQ(CloseStream(log_), 0);
  EXPECT_EQ(file.closes, 1);
}

TEST_F(TextStreamTest, AFailedCloseStillLeavesTheStreamClosed) {
  fake::File& file = OpenLog();
  file.close_error = platform::error::kIoDevice;
  EXPECT_EQ(CloseStream(log_), platform::error::kIoDevice);
  EXPECT_EQ(log_.OpenState, StreamState::Closed);
}

TEST_F(TextStreamTest, ReopeningClosesFirstAndTruncates) {
  fake::File& first = OpenLog();
  PutString(log_, "abc");
  OpenOutput(log_);
  EXPECT_EQ(first.Written(), "abc");
  EXPECT_EQ(first.closes, 1);
  EXPECT_TRUE(fake::Named("log.txt").writes.empty());
}

}  // namespace
}  // namespace runtime
