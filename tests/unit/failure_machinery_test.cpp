#include "runtime/failure_machinery.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "fake_modules.hpp"
#include "runtime/process.hpp"

namespace runtime {
namespace {

// The runtime tests run with the failure machinery started, as the program does.
class FailureMachinery : public ::testing::Environment {
 public:
  void SetUp() override { StartFailureMachinery(); }
  void TearDown() override { ShutDownFailureMachinery(); }
};
const auto* const kFailureMachinery = ::testing::AddGlobalTestEnvironment(new FailureMachinery);

// Beyond what any allocator can give, yet not so large that a new-expression refuses it.
volatile std::size_t Huge = SIZE_MAX / 4;

TEST(FailureMachineryTest, MakesThePreMadeObjectsAndCatchesFaults) {
  ASSERT_NE(OutOfMemoryFailure, nullptr);
  ASSERT_NE(InvalidPointerFailure, nullptr);
  EXPECT_STREQ(OutOfMemoryFailure->ClassName(), "EOutOfMemory");
  EXPECT_EQ(OutOfMemoryFailure->MessageText, "M\xE9moire insuffisante");
  EXPECT_STREQ(InvalidPointerFailure->ClassName(), "EInvalidPointer");
  EXPECT_EQ(InvalidPointerFailure->MessageText, "Op\xE9ration de pointeur incorrecte");
  EXPECT_NE(dynamic_cast<EHeapException*>(OutOfMemoryFailure), nullptr);
  EXPECT_NE(dynamic_cast<EHeapException*>(InvalidPointerFailure), nullptr);
  EXPECT_TRUE(fake::FaultsCaught());
}

// Raises and discards the failure of an unmet request; the object it carried.
template <typename Allocate>
const Exception* UnmetRequest(Allocate allocate) {
  try {
    allocate();
  } catch (const Failure& failure) {
    EXPECT_NE(failure.Location(), nullptr);
    return &failure.Object();
  }
  ADD_FAILURE() << "the request was met";
  return nullptr;
}

TEST(FailureMachineryTest, AnUnmetRequestRaisesTheSamePreMadeObjectEveryTime) {
  if (std::getenv("KELVOR_SANITIZED") != nullptr) {
    GTEST_SKIP() << "AddressSanitizer's operator new ends the process on an unmet request";
  }
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(UnmetRequest([] { ::operator delete(::operator new(Huge)); }), OutOfMemoryFailure);
    EXPECT_EQ(UnmetRequest([] {
                char* volatile kept = new char[Huge];  // not elided
                delete[] kept;
              }),
              OutOfMemoryFailure);
    EXPECT_EQ(UnmetRequest([] {
                constexpr std::align_val_t kAlignment{64};
                ::operator delete(::operator new(Huge, kAlignment), kAlignment);
              }),
              OutOfMemoryFailure);
  }
  // Discarded again and again, never released.
  EXPECT_EQ(OutOfMemoryFailure->MessageText, "M\xE9moire insuffisante");
}

TEST(FailureMachineryTest, ANoThrowRequestAnswersNull) {
  EXPECT_EQ(new (std::nothrow) char[Huge], nullptr);
  EXPECT_EQ(::operator new(Huge, std::nothrow), nullptr);
}

void Throws() {
  throw 1;
}
void PassesNothingOn() noexcept {
  Throws();
}

// A run in the forked copy of a death test starts the failure machinery again: the copy the
// test environment started goes first, so that the run leaves nothing behind.
[[noreturn]] void RunAfresh(void (*main_program)(), std::span<const ModuleSteps> modules = {}) {
  ShutDownFailureMachinery();
  RunProgram(main_program, modules);
}

// Each end in a forked copy of the test: the exit code, and what the steps wrote.
TEST(RunProgramDeathTest, EveryRunEndsThroughTheShutdownStepsWithItsExitCode) {
  static constexpr ModuleSteps kSteps[] = {
      {[] { std::fputs("first-up ", stderr); }, [] { std::fputs("first-down", stderr); }},
      {nullptr, [] { std::fputs("second-down ", stderr); }},
  };
  EXPECT_EXIT(RunAfresh([] { std::fputs("main ", stderr); }, kSteps), ::testing::ExitedWithCode(0),
              "^first-up main second-down first-down$");
  EXPECT_EXIT(RunAfresh([] { EndProcess(3); }, kSteps), ::testing::ExitedWithCode(3), "");
  EXPECT_EXIT(RunAfresh([] { Raise(new EInOutError("x", 5), nullptr); }, kSteps),
              ::testing::ExitedWithCode(1), "first-down$");
  EXPECT_EXIT(RunAfresh([] { throw 42; }), ::testing::ExitedWithCode(1), "");
  // Not even a failure the language cannot carry ends in an abort.
  EXPECT_EXIT(RunAfresh(PassesNothingOn), ::testing::ExitedWithCode(1), "");
}

}  // namespace
}  // namespace runtime
