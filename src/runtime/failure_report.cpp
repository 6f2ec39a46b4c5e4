#include "failure_report.hpp"

#include <new>
#include <string>
#include <string_view>

#include "../platform/platform.hpp"
#include "check_io.hpp"
#include "failure_machinery.hpp"
#include "format.hpp"
#include "module_name.hpp"
#include "platform_faults.hpp"
#include "text_stream.hpp"
#include "texts_by_id.hpp"

namespace runtime {
namespace {

constexpr uint32_t kReportFormatId = 65511;
// Where no module holds the location, it is shown against the program's own module as if its
// code began one page after the module's start.
constexpr uintptr_t kOwnCodeStart = 0x1000;
// One ANSI byte becomes at most three bytes in the console's character set (UTF-8).
constexpr std::size_t kConsoleBytesPerByte = 3;

std::string ConsoleReport;

// The location inside its module, or against the program's own module.
const void* ShownLocation(const void* location, char (&module_name)[kModuleNameSize]) {
  const void* base = nullptr;
  const auto address = reinterpret_cast<uintptr_t>(location);
  if (location != nullptr && ModuleNameOf(location, module_name, &base)) {
    return reinterpret_cast<const void*>(address - reinterpret_cast<uintptr_t>(base));
  }
  OwnModuleName(module_name);
  return location == nullptr ? nullptr : reinterpret_cast<const void*>(address - kOwnCodeStart);
}

// A second try of the report cannot fail for the same reason as the first: the failed
// write-out emptied standard output's buffer. The bound only guards against a report that
// faults again and again.
constexpr int kReportAttempts = 8;

void ReportOne(const std::exception_ptr& in_flight) {
  try {
    std::rethrow_exception(in_flight);
  } catch (const Failure& failure) {
    WriteFailureReport(failure.Object(), failure.Location());
  } catch (const platform::FaultRecord& record) {
    const Failure failure(ConvertPlatformFault(record), record.Address);
    WriteFailureReport(failure.Object(), failure.Location());
  } catch (const std::bad_alloc&) {
    // A request the language refused before it reached the memory allocation (an array too
    // large to count) is a memory request that cannot be met all the same.
    if (OutOfMemoryFailure == nullptr) throw;
    WriteFailureReport(*OutOfMemoryFailure, nullptr);
  } catch (...) {
    // An exception of the language that is no failure of ours: shown as Windows shows one.
    const Failure failure(ConvertPlatformFault({platform::fault::kForeignException, {}, nullptr}),
                          nullptr);
    WriteFailureReport(failure.Object(), failure.Location());
  }
}

}  // namespace

std::size_t ComposeFailureReport(const Exception& failure, const void* location,
                                 char (&area)[kReportSize]) {
  char module_name[kModuleNameSize];
  const void* shown = ShownLocation(location, module_name);
  const std::string& message = failure.MessageText;
  const char* suffix = !message.empty() && message.back() != '.' ? "." : "";
  char format[kTextSize];
  platform::LoadText(kReportFormatId, format, sizeof format);
  return FormatText(area, sizeof area, format,
                    {failure.ClassName(), module_name, shown, message.c_str(), suffix});
}

void WriteFailureReport(const Exception& failure, const void* location) {
  char text[kReportSize];
  const std::size_t length = ComposeFailureReport(failure, location, text);
  // What standard output still holds goes out before the report.
  FlushStream(StandardOutput);
  CheckIO();
  platform::AnsiToConsole(std::string_view(text, length), ConsoleReport);
  const platform::Handle error = platform::GetStdHandle(platform::StdHandle::Error);
  // Nothing is left to tell if standard error cannot take the report.
  platform::WriteFile(error, ConsoleReport.data(), static_cast<uint32_t>(ConsoleReport.size()));
  platform::WriteFile(error, "\r\n", 2);
}

void ReportFailure(std::exception_ptr failure) {
  for (int attempt = 0; attempt < kReportAttempts && failure; ++attempt) {
    try {
      ReportOne(failure);
      return;
    } catch (...) {
      failure = std::current_exception();
    }
  }
}

void ReserveReportArea() {
  ConsoleReport.reserve(kReportSize * kConsoleBytesPerByte);
}

void ReleaseReportArea() {
  std::string().swap(ConsoleReport);
}

}  // namespace runtime
