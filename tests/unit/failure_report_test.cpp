#include "runtime/failure_report.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>

#include "fake_modules.hpp"
#include "fake_os.hpp"
#include "runtime/check_io.hpp"
#include "runtime/text_stream.hpp"

namespace runtime {
namespace {

constexpr uintptr_t kProgramBase = 0x400000;
constexpr uintptr_t kLibraryBase = 0x7FF800000000;

const void* At(uintptr_t address) {
  return reinterpret_cast<const void*>(address);
}

class FailureReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    TakePendingIOError();
    fake::SetModules({{fake::kOwnPath, kProgramBase, 0x100000},
                      {"C:\\Windows\\System32\\kernel32.dll", kLibraryBase, 0x100000}});
  }
  void TearDown() override { fake::ResetModules(); }

  static std::string Compose(const Exception& failure, const void* location) {
    char area[kReportSize];
    const std::size_t length = ComposeFailureReport(failure, location, area);
    EXPECT_EQ(std::strlen(area), length);
    return std::string(area, length);
  }
};

TEST_F(FailureReportTest, NamesClassModuleOffsetAndMessage) {
  const EInOutError failure("Erreur E/S 103", 103);
  const struct {
    uintptr_t location;
    std::string first_line;
  } cases[] = {
      {kProgramBase + 0x9A4, "Exception EInOutError dans le module kelvor.exe dans 000009A4."},
      {kLibraryBase + 0x12345, "Exception EInOutError dans le module kernel32.dll dans 00012345."},
      // Outside every module: against the program's own module, one page in.
      {0x5000, "Exception EInOutError dans le module kelvor.exe dans 00004000."},
      {0, "Exception EInOutError dans le module kelvor.exe dans 00000000."},
      {0x7FFF00001234, "Exception EInOutError dans le module kelvor.exe dans 7FFF00000234."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Compose(failure, At(c.location)), c.first_line + "\r\nErreur E/S 103.\r\n")
        << std::hex << c.location;
  }
}

TEST_F(FailureReportTest, APeriodEndsTheMessageUnlessItHasOneOrIsEmpty) {
  const struct {
    std::string message;
    std::string second_line;
  } cases[] = {
      {"Acc\xE8s au fichier refus\xE9", "Acc\xE8s au fichier refus\xE9."},
      {"Fin.", "Fin."},
      {"", ""},
      {"...", "..."},
  };
  for (const auto& c : cases) {
    const Exception failure(c.message);
    EXPECT_EQ(Compose(failure, At(kProgramBase + 0x10)),
              "Exception Exception dans le module kelvor.exe dans 00000010.\r\n" + c.second_line +
                  "\r\n");
  }
}

TEST_F(FailureReportTest, TheModuleNameIsWhatFollowsTheLastSeparator) {
  const Exception failure("x");
  const std::string long_directory(300, 'd');
  const struct {
    std::string path;
    std::string name;
  } cases[] = {
      {"kelvor.exe", "kelvor.exe"},
      {"C:\\a\\b\\c.dll", "c.dll"},
      {"C:\\trailing\\", ""},
      // A path longer than its area keeps its end, so the name stays whole.
      {"C:\\" + long_directory + "\\deep.exe", "deep.exe"},
  };
  for (const auto& c : cases) {
    fake::SetModules({{c.path, kProgramBase, 0x1000}});
    EXPECT_EQ(Compose(failure, At(kProgramBase + 1)),
              "Exception Exception dans le module " + c.name + " dans 00000001.\r\nx.\r\n");
  }
}

TEST_F(FailureReportTest, TheTextStaysInItsArea) {
  const Exception failure(std::string(5000, 'm'));
  const std::string text = Compose(failure, At(kProgramBase));
  EXPECT_EQ(text.size(), kReportSize - 1);
  EXPECT_EQ(text.substr(0, 61), "Exception Exception dans le module kelvor.exe dans 00000000.\r");
}

TEST_F(FailureReportTest, WritesOutStandardOutputThenTheReportAndAnEmptyLine) {
  BindStream(StandardOutput, "");
  OpenOutput(StandardOutput);
  PutString(StandardOutput, "pending");
  WriteFailureReport(EInOutError("Acc\xE8s au fichier refus\xE9", 5), At(kProgramBase + 0x9A4));
  EXPECT_EQ(fake::At(fake::kStdOut).Written(), "pending");
  // Converted for the console, code page 850: 0xE8 is 0x8A, 0xE9 is 0x82.
  const std::vector<std::string> expected = {
      "Exception EInOutError dans le module kelvor.exe dans 000009A4.\r\n"
      "Acc\x8As au fichier refus\x82.\r\n",
      "\r\n"};
  EXPECT_EQ(fake::At(fake::kStdErr).writes, expected);
}

TEST_F(FailureReportTest, AFailingWriteOutIsReportedInsteadOfTheFirstFailure) {
  BindStream(StandardOutput, "");
  OpenOutput(StandardOutput);
  PutString(StandardOutput, "pending");
  fake::At(fake::kStdOut).write_errors[0] = 232;
  try {
    Raise(new EInOutError("Erreur E/S 5", 5), At(kProgramBase + 0x10));
  } catch (...) {
    ReportFailure(std::current_exception());
  }
  const std::vector<std::string>& written = fake::At(fake::kStdErr).writes;
  ASSERT_EQ(written.size(), 2u);
  EXPECT_NE(written[0].find("\r\nErreur E/S 232.\r\n"), std::string::npos) << written[0];
  EXPECT_EQ(written[0].find("dans 00000010"), std::string::npos) << written[0];
}

TEST_F(FailureReportTest, FaultsAndForeignExceptionsAreReportedAsFailureObjects) {
  const platform::FaultRecord fault{platform::fault::kIntDivideByZero, {}, At(kLibraryBase + 0x40)};
  ReportFailure(std::make_exception_ptr(fault));
  ReportFailure(std::make_exception_ptr(42));
  ReportFailure(std::make_exception_ptr(std::bad_array_new_length()));
  const std::vector<std::string> expected = {
      "Exception EDivByZero dans le module kernel32.dll dans 00000040.\r\nDivision par "
      "z\x82ro.\r\n",
      "\r\n",
      "Exception EExternalException dans le module kelvor.exe dans 00000000.\r\n"
      "Exception externe E06D7363.\r\n",
      "\r\n",
      "Exception EOutOfMemory dans le module kelvor.exe dans 00000000.\r\n"
      "M\x82moire insuffisante.\r\n",
      "\r\n",
  };
  EXPECT_EQ(fake::At(fake::kStdErr).writes, expected);
}

TEST_F(FailureReportTest, AStandardErrorThatRefusesTheReportEndsNothing) {
  fake::At(fake::kStdErr).write_errors = {{0, 6}, {1, 6}};
  EXPECT_NO_THROW(ReportFailure(std::make_exception_ptr(Failure(new Exception("x"), nullptr))));
  EXPECT_EQ(fake::At(fake::kStdErr).writes.size(), 2u);
}

}  // namespace
}  // namespace runtime
