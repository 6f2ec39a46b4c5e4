// Processor faults and modules on Linux, against the real kernel and dynamic loader.
#include <dlfcn.h>
#include <fenv.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../common/faulting_code.hpp"
#include "platform/platform.hpp"
#include "platform/posix/faults.hpp"

namespace platform {
namespace {

using namespace faulting;

FaultRecord FaultOf(void (*faulting)()) {
  try {
    faulting();
  } catch (const FaultRecord& record) {
    return record;
  }
  ADD_FAILURE() << "no fault";
  return {};
}

std::string OwnPath() {
  char path[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
  return std::string(path, length > 0 ? static_cast<std::size_t>(length) : 0);
}

bool Near(const void* address, void (*function)()) {
  const auto at = reinterpret_cast<uintptr_t>(address);
  const auto start = reinterpret_cast<uintptr_t>(function);
  return at >= start && at - start < 256;
}

class PlatformFaultTest : public ::testing::Test {
 protected:
  void SetUp() override { CatchPlatformFaults(); }
  void TearDown() override { ReleasePlatformFaults(); }
};

TEST_F(PlatformFaultTest, FaultsAreThrownFromTheFaultingInstructionAgainAndAgain) {
  const struct {
    const char* name;
    void (*faulting)();
    uint32_t code;
    uintptr_t access;
  } cases[] = {
      {"read", ReadNull, fault::kAccessViolation, fault::kRead},
      {"write", WriteNull, fault::kAccessViolation, fault::kWrite},
      {"divide", DivideByZero, fault::kIntDivideByZero, 0},
      {"illegal", IllegalInstruction, fault::kIllegalInstruction, 0},
  };
  for (int round = 0; round < 2; ++round) {
    for (const auto& c : cases) {
      const FaultRecord record = FaultOf(c.faulting);
      EXPECT_EQ(record.Code, c.code) << c.name;
      EXPECT_TRUE(Near(record.Address, c.faulting)) << c.name;
      EXPECT_EQ(record.Information[0], c.access) << c.name;
      EXPECT_EQ(record.Information[1], 0u) << c.name;
    }
  }
}

TEST_F(PlatformFaultTest, AStackOverflowIsToldFromOtherAccessViolations) {
  for (int round = 0; round < 2; ++round) {
    const FaultRecord record = FaultOf(OverflowTheStack);
    EXPECT_EQ(record.Code, fault::kStackOverflow);
    EXPECT_TRUE(Near(record.Address, reinterpret_cast<void (*)()>(Recurse)));
    EXPECT_EQ(FaultOf(ReadNull).Code, fault::kAccessViolation);
  }
}

TEST_F(PlatformFaultTest, AFloatingPointTrapTellsItsKind) {
  feenableexcept(FE_DIVBYZERO);
  const FaultRecord record = FaultOf(DivideFloatByZero);
  fedisableexcept(FE_ALL_EXCEPT);
  feclearexcept(FE_ALL_EXCEPT);
  EXPECT_EQ(record.Code, fault::kFltDivideByZero);
}

TEST_F(PlatformFaultTest, InterruptsStayThePlatformsAndReleasingRestoresTheDefault) {
  struct sigaction current {};
  ::sigaction(SIGINT, nullptr, &current);
  EXPECT_EQ(current.sa_handler, SIG_DFL);
  ReleasePlatformFaults();
  if (std::getenv("KELVOR_SANITIZED") != nullptr) {
    GTEST_SKIP() << "the sanitizer's fault handlers stood there first: releasing restores them";
  }
  for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) {
    ::sigaction(signal, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL) << signal;
  }
}

// A fault signal sent by a process is no fault of the program: it ends the process as usual.
[[noreturn]] void SendFaultSignalToSelf() {
  const rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  CatchPlatformFaults();
  try {
    ::kill(::getpid(), SIGFPE);
  } catch (...) {
    std::_Exit(7);
  }
  std::_Exit(8);
}

TEST(PlatformFaultDeathTest, ASignalSentByAProcessIsNotThrown) {
  EXPECT_EXIT(SendFaultSignalToSelf(), ::testing::KilledBySignal(SIGFPE), "");
}

TEST(FaultCodeTest, SignalsAndTheirCodesGiveWindowsExceptionCodes) {
  const struct {
    int signal;
    int si_code;
    uint32_t code;
  } cases[] = {
      {SIGFPE, FPE_INTDIV, 0xC0000094},   {SIGFPE, FPE_INTOVF, 0xC0000095},
      {SIGFPE, FPE_FLTDIV, 0xC000008E},   {SIGFPE, FPE_FLTOVF, 0xC0000091},
      {SIGFPE, FPE_FLTUND, 0xC0000093},   {SIGFPE, FPE_FLTRES, 0xC000008F},
      {SIGFPE, FPE_FLTINV, 0xC0000090},   {SIGFPE, FPE_FLTSUB, 0xC000008C},
      {SIGILL, ILL_ILLOPC, 0xC000001D},   {SIGILL, ILL_PRVOPC, 0xC0000096},
      {SIGILL, ILL_PRVREG, 0xC0000096},   {SIGSEGV, SEGV_MAPERR, 0xC0000005},
      {SIGSEGV, SEGV_ACCERR, 0xC0000005}, {SIGBUS, BUS_ADRERR, 0xC0000005},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(posix::FaultCodeOf(c.signal, c.si_code), c.code) << c.signal << "/" << c.si_code;
  }
}

TEST(ModuleTest, TheProgramIsFoundUnderItsOwnPathAndALibraryUnderItsFile) {
  char path[261];
  const void* base = nullptr;
  const auto in_program = reinterpret_cast<const void*>(&ReadNull);
  ASSERT_GT(ModuleOf(in_program, path, sizeof path, base), 0u);
  EXPECT_EQ(path, OwnPath());
  EXPECT_LE(base, in_program);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(base) % 4096, 0u);

  // A function that no sanitizer library stands in for.
  const auto in_library = reinterpret_cast<const void*>(&::getpid);
  ASSERT_GT(ModuleOf(in_library, path, sizeof path, base), 0u);
  EXPECT_TRUE(std::string(path).ends_with("/libc.so.6")) << path;

  int on_stack = 0;
  EXPECT_EQ(ModuleOf(&on_stack, path, sizeof path, base), 0u);
  EXPECT_EQ(ModuleOf(nullptr, path, sizeof path, base), 0u);
}

TEST(ModuleTest, APathLongerThanItsAreaKeepsItsEnd) {
  const std::string own = OwnPath();
  char path[8];
  ASSERT_EQ(OwnModulePath(path, sizeof path), 7u);
  EXPECT_EQ(path, own.substr(own.size() - 7));
  EXPECT_TRUE(IsPathSeparator('/'));
  EXPECT_FALSE(IsPathSeparator('\\'));
}

}  // namespace
}  // namespace platform
