// How failures travel: clean-ups innermost first, each once, and a failure raised in a clean-up
// or a handler replaces the one in flight, which is released.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_modules.hpp"
#include "fake_os.hpp"
#include "runtime/check_io.hpp"
#include "runtime/failure_machinery.hpp"
#include "runtime/failure_report.hpp"
#include "runtime/text_stream.hpp"

namespace runtime {
namespace {

// Tells when it is released.
class Tracked : public Exception {
 public:
  explicit Tracked(bool& released) : Exception("tracked"), released_(released) {}
  ~Tracked() override { released_ = true; }

 private:
  bool& released_;
};

int32_t CodeOf(const Failure& failure) {
  return dynamic_cast<const EInOutError&>(failure.Object()).IOCode;
}

class FailureTravelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    TakePendingIOError();
    BindStream(StandardOutput, "");
    OpenOutput(StandardOutput);
    log_ = TextStream{};
    BindStream(log_, "log.txt");
    OpenOutput(log_);
  }
  TextStream log_;
};

// The copy stage's shape: the log closed around the loop, one handler for everything.
TEST_F(FailureTravelTest, ClosingTheLogFailingDuringAFailureIsTheOneTheHandlerGets) {
  bool first_released = false;
  PutString(log_, "line");
  fake::Named("log.txt").write_errors[0] = 112;
  int32_t handled = 0;
  try {
    Protect([&] { Raise(new Tracked(first_released), nullptr); },
            [&] {
              CloseStream(log_);
              CheckIO();
            });
  } catch (const Failure& failure) {
    handled = CodeOf(failure);
  }
  EXPECT_EQ(handled, 112);
  EXPECT_TRUE(first_released);
}

// The run sequence's shape: standard output closed around the whole run, no handler but the
// last resort.
TEST_F(FailureTravelTest, ClosingStandardOutputFailingAfterAFailureIsTheOneReported) {
  fake::SetModules({});
  PutString(StandardOutput, "echo");
  fake::At(fake::kStdOut).write_errors[0] = 232;
  try {
    Protect([] { Raise(new EInOutError("Erreur E/S 105", 105), nullptr); },
            [] {
              CloseStream(StandardOutput);
              CheckIO();
            });
  } catch (...) {
    ReportFailure(std::current_exception());
  }
  const std::vector<std::string>& report = fake::At(fake::kStdErr).writes;
  ASSERT_EQ(report.size(), 2u);
  EXPECT_NE(report[0].find("\r\nErreur E/S 232.\r\n"), std::string::npos) << report[0];
}

TEST_F(FailureTravelTest, CleanUpsRunInnermostFirstEachOnceAndAFailureInOneReplacesTheFirst) {
  std::vector<std::string> ran;
  bool first_released = false;
  int32_t handled = 0;
  try {
    Protect(
        [&] {
          Protect([&] { Raise(new Tracked(first_released), nullptr); },
                  [&] {
                    ran.push_back("inner");
                    SetPendingIOError(5);
                    CheckIO();
                    ran.push_back("never");
                  });
        },
        [&] { ran.push_back("outer"); });
  } catch (const Failure& failure) {
    handled = CodeOf(failure);
  }
  EXPECT_EQ(ran, (std::vector<std::string>{"inner", "outer"}));
  EXPECT_EQ(handled, 5);
  EXPECT_TRUE(first_released);
}

TEST_F(FailureTravelTest, AFailureInAHandlerReplacesTheOneItHandles) {
  bool first_released = false;
  int32_t handled = 0;
  try {
    try {
      Raise(new Tracked(first_released), nullptr);
    } catch (...) {
      SetPendingIOError(103);
      CheckIO();
    }
  } catch (const Failure& failure) {
    handled = CodeOf(failure);
  }
  EXPECT_EQ(handled, 103);
  EXPECT_TRUE(first_released);
}

TEST_F(FailureTravelTest, AHandlerThatDiscardsAPreMadeObjectDoesNotReleaseIt) {
  for (int round = 0; round < 2; ++round) {
    try {
      Raise(OutOfMemoryFailure, nullptr);
    } catch (const Failure& failure) {
      EXPECT_EQ(&failure.Object(), OutOfMemoryFailure);
    }
  }
  EXPECT_EQ(OutOfMemoryFailure->MessageText, "M\xE9moire insuffisante");
}

}  // namespace
}  // namespace runtime
