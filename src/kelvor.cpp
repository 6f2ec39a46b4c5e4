// kelVOR: echoes standard input line by line and keeps an ANSI copy of every line, ended by
// CR LF, in a log file.
#include <string>

#include "platform/platform.hpp"
#include "runtime/check_io.hpp"
#include "runtime/failures.hpp"
#include "runtime/line_input.hpp"
#include "runtime/process.hpp"
#include "runtime/text_stream.hpp"
#include "test_hook.hpp"
#include "texts.hpp"
#include "utypes.hpp"

namespace {

using namespace runtime;
using namespace utypes;

TextStream LogFile;
std::string CurrentLine;
std::string LogLine;
std::string ConsoleLine;

void WriteLine(TextStream& stream, const std::string& line) {
  PutString(stream, line);
  PutLineEnd(stream);
  CheckIO();
}

void CopyLines() {
  for (;;) {
    const bool at_end = AtEndOfInput(StandardInput);
    CheckIO();
    if (at_end) return;
    GetLine(StandardInput, CurrentLine);
    SkipLine(StandardInput);
    CheckIO();
    if (!Silent) WriteLine(StandardOutput, CurrentLine);
    ConvertText(kOemToAnsi, CurrentLine, LogLine);
    WriteLine(LogFile, LogLine);
    kelvor::RunTestHook(kelvor::HookPoint::LineCopied);
  }
}

// Every failure in here, whatever its class, ends in the one message and exit code 1.
void CopyStage() {
  try {
    // Opened before the first line is read: an empty input still leaves an empty file, and
    // a name that cannot be created fails before any input is consumed.
    OpenOutput(LogFile);
    CheckIO();
    Protect(CopyLines, [] {
      CloseStream(LogFile);
      CheckIO();
    });
  } catch (...) {
    ReturnCode = 1;
    ConvertText(kAnsiToOem, texts::kFailureMessage, ConsoleLine);
    WriteLine(StandardOutput, ConsoleLine);
  }
}

// A function of its own, never inlined: a failure it leaves is located in it.
[[gnu::noinline]] void RunSequence() {
  Protect(
      [] {
        BindStream(StandardInput, "");
        OpenInput(StandardInput);
        CheckIO();
        BindStream(StandardOutput, "");
        OpenOutput(StandardOutput);
        CheckIO();
        if (!ParseCommandLine()) return;
        if (LogFileName.empty()) LogFileName = texts::kDefaultLogFileName;
        BindStream(LogFile, LogFileName);
        CopyStage();
        kelvor::RunTestHook(kelvor::HookPoint::CopyStageDone);
      },
      [] {
        CloseStream(StandardInput);
        CheckIO();
        CloseStream(StandardOutput);
        CheckIO();
      });
  EndProcess(ReturnCode);
}

// UTypes has no start-up work: its settings hold their start values from the beginning.
constexpr ModuleSteps kProgramModules[] = {{nullptr, ReleaseSettings}};

}  // namespace

int main(int argc, char** argv) {
  platform::StartProcess(argc, argv);
  RunProgram(RunSequence, kProgramModules);
}
