#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_os.hpp"
#include "runtime/check_io.hpp"
#include "runtime/text_stream.hpp"
#include "utypes.hpp"

namespace utypes {
namespace {

using namespace runtime;
using Arguments = std::vector<std::string>;

// The help screen as a code page 850 console receives it, one source line each.
// clang-format off
const std::vector<std::string> kHelpLines = {
    "KELVOR v1.1 - logiciel libre, fourni tel quel",
    "Cr\x82" "e un fichier (log) ANSI de la sortie standard",
    " ",
    "Syntaxe    : cmd [params] | kelvor [/S] [filename]",
    " ",
    "  cmd      : commande \x85 ex\x82" "cuter",
    "  params   : param\x8Atres classiques de la commande",
    "  /S       : ignore l'affichage \x82" "cran (= redirection ANSI)",
    "  filename : nom du fichier \x85 cr\x82" "er (d\x82" "faut : kelVOR.txt)",
    " ",
    "  Exemples : dir | kelvor",
    "             xcopy *.* x:\\backup\\ | kelvor \"backup log.txt\"",
};
// clang-format on

std::string HelpScreen() {
  std::string screen;
  for (const std::string& line : kHelpLines) screen += line + "\r\n";
  return screen;
}

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    TakePendingIOError();
    Silent = false;
    HelpWanted = false;
    LogFileName.clear();
  }

  void OpenStandardOutput(platform::HandleKind kind = platform::HandleKind::Other) {
    fake::At(fake::kStdOut).kind = kind;
    BindStream(StandardOutput, "");
    ASSERT_EQ(OpenOutput(StandardOutput), 0);
  }

  static std::string Output() {
    CloseStream(StandardOutput);
    return fake::At(fake::kStdOut).Written();
  }
};

TEST_F(CommandLineTest, TheHelpScreenIsTwelveLinesInTheConsolesCodePage) {
  OpenStandardOutput();
  ShowHelp();
  const std::string screen = Output();
  EXPECT_EQ(screen, HelpScreen());

  // Line by line: the lengths the texts have before conversion, and the colons in one column.
  const std::vector<std::size_t> lengths = {45, 48, 1, 50, 1, 32, 49, 58, 57, 1, 25, 59};
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = screen.find("\r\n", at)) != std::string::npos;
       at = end + 2) {
    lines.push_back(screen.substr(at, end - at));
  }
  ASSERT_EQ(lines.size(), lengths.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].size(), lengths[i]) << "line " << i + 1;
  }
  for (int i : {3, 5, 6, 7, 8, 10}) EXPECT_EQ(lines[i].find(':'), 11u) << "line " << i + 1;
}

TEST_F(CommandLineTest, AFailingHelpWriteRaisesAndWritesNothingMore) {
  // On a console every line goes out at its line end: the first line fails, alone.
  OpenStandardOutput(platform::HandleKind::Char);
  fake::At(fake::kStdOut).write_errors[0] = platform::error::kDiskFull;
  try {
    ShowHelp();
    FAIL() << "the failing write was not raised";
  } catch (const Failure& failure) {
    EXPECT_EQ(dynamic_cast<EInOutError&>(failure.Object()).IOCode, platform::error::kDiskFull);
  }
  EXPECT_EQ(fake::At(fake::kStdOut).writes, std::vector<std::string>{kHelpLines[0] + "\r\n"});

  // Into a pipe the first block of 128 bytes fails, filled by the fourth line.
  SetUp();
  OpenStandardOutput();
  fake::At(fake::kStdOut).write_errors[0] = platform::error::kNoData;
  fake::SetArguments({"kelvor", "/?"});
  EXPECT_THROW(ParseCommandLine(), Failure);
  EXPECT_EQ(fake::At(fake::kStdOut).writes, std::vector<std::string>{HelpScreen().substr(0, 128)});
}

struct ParseCase {
  Arguments arguments;  // after the program's own
  bool help;
  bool silent;
  std::string log_file_name;
};

void ExpectSettings(const ParseCase& c, bool answer, const std::string& output) {
  EXPECT_EQ(answer, !c.help);
  EXPECT_EQ(HelpWanted, c.help);
  EXPECT_EQ(Silent, c.silent);
  EXPECT_EQ(LogFileName, c.log_file_name);
  // The help screen is written once however often it is asked for, and only then.
  EXPECT_EQ(output, c.help ? HelpScreen() : "");
  EXPECT_TRUE(fake::At(fake::kStdIn).read_sizes.empty());
}

TEST_F(CommandLineTest, SwitchesSetFlagsAndTheFirstOtherArgumentNamesTheLog) {
  const ParseCase cases[] = {
      {{}, false, false, ""},
      {{"?"}, true, false, "?"},
      {{"/?"}, true, false, ""},
      {{"/?", "/S", "a.txt"}, true, true, "a.txt"},
      {{"a.txt", "/?", "?", "/?"}, true, false, "a.txt"},
      {{"/s"}, false, true, ""},
      {{"/S", "/S"}, false, true, ""},
      {{"/", "/x", "/SS", "/silent", "/help", "/?x", "/s "}, false, false, ""},
      {{"-S"}, false, false, "-S"},
      {{"??", "/S"}, false, true, "??"},
      {{"?x"}, false, false, "?x"},
      {{"Log.TXT"}, false, false, "Log.TXT"},
      {{"a.txt", "b.txt"}, false, false, "a.txt"},
      {{"/S", "a.txt"}, false, true, "a.txt"},
      {{"a.txt", "/S"}, false, true, "a.txt"},
      {{"", "x.txt"}, false, false, "x.txt"},
      {{"backup log.txt"}, false, false, "backup log.txt"},
      {{"s", "S"}, false, false, "s"},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    SetUp();
    Arguments argv = c.arguments;
    argv.insert(argv.begin(), "kelvor");
    fake::SetArguments(argv);
    OpenStandardOutput();
    const bool answer = ParseCommandLine();
    ExpectSettings(c, answer, Output());
  }
}

TEST_F(CommandLineTest, ARawCommandLineIsReadThroughTheSplitter) {
  const struct {
    std::string line;
    ParseCase expected;
  } cases[] = {
      {"kelvor \"/S\" \"backup log.txt\"", {{}, false, true, "backup log.txt"}},
      {"kelvor /s\"\" \"\" Log.TXT", {{}, false, true, "Log.TXT"}},
      {"kelvor \"/?\"", {{}, true, false, ""}},
      {"kelvor \"\"", {{}, false, false, ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    SetUp();
    fake::SetRawCommandLine(c.line);
    OpenStandardOutput();
    const bool answer = ParseCommandLine();
    ExpectSettings(c.expected, answer, Output());
  }
}

}  // namespace
}  // namespace utypes
