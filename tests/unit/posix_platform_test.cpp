#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "platform/platform.hpp"
#include "platform/posix/errors.hpp"

namespace platform {
namespace {

TEST(ErrnoTranslation, GivesTheWindowsNumbersTheMessagesKnow) {
  const struct {
    int errnum;
    int32_t code;
  } cases[] = {
      {ENOENT, 2},   {ENOTDIR, 3},  {EMFILE, 4},         {ENFILE, 4},   {EACCES, 5},  {EPERM, 5},
      {EISDIR, 5},   {EBADF, 6},    {EROFS, 19},         {ETXTBSY, 32}, {EBUSY, 32},  {EINVAL, 87},
      {ENOSPC, 112}, {EDQUOT, 112}, {ENAMETOOLONG, 206}, {EFBIG, 223},  {EPIPE, 232}, {EIO, 1117},
      {ELOOP, 1921}, {EXDEV, 31},   {ENOMEM, 31},        {0, 31},
  };
  for (const auto& c : cases) EXPECT_EQ(posix::TranslateErrno(c.errnum), c.code) << c.errnum;
  EXPECT_EQ(posix::TranslateErrno(ENOENT, posix::Operation::CreateFile), 3);
  EXPECT_EQ(posix::TranslateErrno(EACCES, posix::Operation::CreateFile), 5);
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kelvor-platform-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf " + dir_).c_str()); }
  std::string dir_;
};

using CreateForWritingTest = TempDir;

TEST_F(CreateForWritingTest, CreatesTruncatesAndHidesFromChildren) {
  const std::string name = dir_ + "/log.txt";
  Handle handle = CreateForWriting(name.c_str());
  ASSERT_NE(handle, kInvalidHandle);
  ASSERT_TRUE(WriteFile(handle, "abcdef", 6));
  ASSERT_TRUE(CloseHandle(handle));

  const mode_t mask = umask(022);
  handle = CreateForWriting(name.c_str());
  umask(mask);
  ASSERT_NE(handle, kInvalidHandle);
  EXPECT_NE(fcntl(static_cast<int>(handle), F_GETFD) & FD_CLOEXEC, 0);
  struct stat status;
  ASSERT_EQ(fstat(static_cast<int>(handle), &status), 0);
  EXPECT_EQ(status.st_size, 0);
  EXPECT_EQ(status.st_mode & 0777, 0644u);
  EXPECT_EQ(KindOf(handle), HandleKind::Other);
  EXPECT_TRUE(CloseHandle(handle));
}

TEST_F(CreateForWritingTest, NeverTakesTheNumberOfAClosedStandardHandle) {
  const int saved = dup(STDIN_FILENO);
  ASSERT_GE(saved, 0);
  close(STDIN_FILENO);
  const Handle handle = CreateForWriting((dir_ + "/log.txt").c_str());
  const bool stdin_still_closed = fcntl(STDIN_FILENO, F_GETFD) == -1;
  dup2(saved, STDIN_FILENO);
  close(saved);
  EXPECT_GT(handle, 2);
  EXPECT_TRUE(stdin_still_closed);
  CloseHandle(handle);
}

TEST_F(CreateForWritingTest, RefusalsCarryWindowsNumbers) {
  const struct {
    std::string name;
    int32_t code;
  } cases[] = {
      {dir_ + "/missing/log.txt", error::kPathNotFound},
      {dir_, error::kAccessDenied},
      {"", error::kPathNotFound},
      {dir_ + "/" + std::string(300, 'n'), error::kFilenameTooLong},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CreateForWriting(c.name.c_str()), kInvalidHandle) << c.name;
    EXPECT_EQ(LastError(), c.code) << c.name;
  }
}

TEST(HandleKinds, CharacterDevicesPipesAndClosedHandles) {
  const int null_fd = open("/dev/null", O_WRONLY);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  EXPECT_EQ(KindOf(null_fd), HandleKind::Char);
  EXPECT_EQ(KindOf(fds[0]), HandleKind::Other);
  close(null_fd);
  EXPECT_EQ(KindOf(null_fd), HandleKind::Unknown);
  close(fds[0]);
  close(fds[1]);
}

TEST(Reading, EndOfDataIsZeroBytesAndErrorsAreTranslated) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(write(fds[1], "abc", 3), 3);
  close(fds[1]);
  char buffer[128];
  uint32_t got = 99;
  ASSERT_TRUE(ReadFile(fds[0], buffer, 2, got));
  EXPECT_EQ(got, 2u);
  ASSERT_TRUE(ReadFile(fds[0], buffer, 128, got));
  EXPECT_EQ(got, 1u);
  ASSERT_TRUE(ReadFile(fds[0], buffer, 128, got));
  EXPECT_EQ(got, 0u);
  close(fds[0]);

  EXPECT_FALSE(ReadFile(fds[0], buffer, 128, got));
  EXPECT_EQ(LastError(), error::kInvalidHandle);
  const int dir_fd = open("/tmp", O_RDONLY | O_DIRECTORY);
  EXPECT_FALSE(ReadFile(dir_fd, buffer, 128, got));
  EXPECT_EQ(LastError(), error::kAccessDenied);
  close(dir_fd);
}

TEST(Reading, ANonBlockingInputIsWaitedOn) {
  int fds[2];
  ASSERT_EQ(pipe2(fds, O_NONBLOCK), 0);
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(write(fds[1], "late", 4), 4);
  });
  char buffer[128];
  uint32_t got = 0;
  EXPECT_TRUE(ReadFile(fds[0], buffer, 128, got));
  EXPECT_EQ(std::string(buffer, got), "late");
  writer.join();
  close(fds[0]);
  close(fds[1]);
}

TEST(Writing, ANonBlockingOutputTakesEverythingInPieces) {
  int fds[2];
  ASSERT_EQ(pipe2(fds, O_NONBLOCK), 0);
  const std::string data(1 << 20, 'q');  // far more than the pipe holds at once
  std::string received;
  std::thread reader([&] {
    char buffer[4096];
    for (;;) {
      const ssize_t n = read(fds[0], buffer, sizeof buffer);
      if (n > 0) received.append(buffer, n);
      if (n == 0) break;
      if (n < 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  EXPECT_TRUE(WriteFile(fds[1], data.data(), static_cast<uint32_t>(data.size())));
  close(fds[1]);
  reader.join();
  close(fds[0]);
  EXPECT_EQ(received, data);
}

TEST(Writing, FailuresAreErrorCodesNotSignals) {
  StartProcess(0, nullptr);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);
  EXPECT_FALSE(WriteFile(fds[1], "x", 1));
  EXPECT_EQ(LastError(), error::kNoData);
  close(fds[1]);

  const int full = open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  EXPECT_FALSE(WriteFile(full, "x", 1));
  EXPECT_EQ(LastError(), error::kDiskFull);
  close(full);
}

// The flags of the mapping that holds `address`, from /proc/self/smaps; empty when none does.
std::string MappingFlags(const void* address) {
  std::ifstream smaps("/proc/self/smaps");
  const auto wanted = reinterpret_cast<std::uintptr_t>(address);
  bool inside = false;
  for (std::string line; std::getline(smaps, line);) {
    std::uintptr_t low = 0;
    std::uintptr_t high = 0;
    // Only a mapping's first line starts with its range; the keys below it are words.
    if (std::sscanf(line.c_str(), "%lx-%lx ", &low, &high) == 2) {
      inside = wanted >= low && wanted < high;
    } else if (inside && line.rfind("VmFlags:", 0) == 0) {
      return line + " ";
    }
  }
  return "";
}

TEST(LargeBlocks, HugePagesAreAskedForWithoutTouchingDataOrErrorNumber) {
  constexpr std::size_t kSize = std::size_t{9} << 20;
  char* const block = static_cast<char*>(std::malloc(kSize));
  ASSERT_NE(block, nullptr);
  for (std::size_t at = 0; at < kSize; at += 4096) block[at] = static_cast<char>(at >> 12);

  errno = EBADF;
  PrepareLargeBlock(block + 1, kSize - 1);  // a start off every page boundary
  EXPECT_EQ(errno, EBADF);
  for (std::size_t at = 0; at < kSize; at += 4096) {
    ASSERT_EQ(block[at], static_cast<char>(at >> 12)) << at;
  }
  std::ifstream huge_pages("/sys/kernel/mm/transparent_hugepage/enabled");
  if (huge_pages) {
    // The block's middle lies on a whole huge page, whichever way the block is placed.
    const std::uintptr_t huge_page = std::uintptr_t{2} << 20;
    const std::uintptr_t middle =
        (reinterpret_cast<std::uintptr_t>(block) + 2 * huge_page) & ~(huge_page - 1);
    EXPECT_NE(MappingFlags(reinterpret_cast<void*>(middle)).find(" hg "), std::string::npos);
  }
  PrepareLargeBlock(block, 4096);  // too small for a huge page: nothing to ask
  EXPECT_EQ(errno, EBADF);
  std::free(block);
}

}  // namespace
}  // namespace platform
