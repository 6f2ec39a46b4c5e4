#include "platform_faults.hpp"

#include <iterator>
#include <string>

#include "format.hpp"
#include "module_name.hpp"
#include "texts_by_id.hpp"

namespace runtime {
namespace {

using MakeFailure = Exception* (*)(std::string message);

template <typename Class>
Exception* Make(std::string message) {
  return new Class(std::move(message));
}

struct FaultRow {
  uint32_t code;
  MakeFailure make;
  uint32_t text_id;
};

namespace fault = platform::fault;

constexpr FaultRow kFaultTable[] = {
    {fault::kArrayBoundsExceeded, Make<ERangeError>, 65530},
    {fault::kFltDenormalOperand, Make<EUnderflow>, 65535},
    {fault::kFltDivideByZero, Make<EZeroDivide>, 65533},
    {fault::kFltInexactResult, Make<EInvalidOp>, 65532},
    {fault::kFltInvalidOperation, Make<EInvalidOp>, 65532},
    {fault::kFltOverflow, Make<EOverflow>, 65534},
    {fault::kFltStackCheck, Make<EInvalidOp>, 65532},
    {fault::kFltUnderflow, Make<EUnderflow>, 65535},
    {fault::kIntDivideByZero, Make<EDivByZero>, 65529},
    {fault::kIntOverflow, Make<EIntOverflow>, 65531},
    {fault::kPrivilegedInstruction, Make<EPrivilege>, 65510},
    {fault::kStackOverflow, Make<EStackOverflow>, 65508},
    {fault::kControlCExit, Make<EControlC>, 65509},
};

// Room for a composed message: the longest text with two full addresses and a module name.
constexpr std::size_t kMessageSize = 1024;

enum AccessViolationText { kInModule, kOutsideModules, kReading, kWriting, kAccessTexts };
constexpr uint32_t kAccessViolationIds[kAccessTexts] = {65497, 65506, 65516, 65517};
constexpr uint32_t kExternalExceptionId = 65491;  // "Exception externe %x"

std::string TableMessages[std::size(kFaultTable)];
std::string AccessViolationTexts[kAccessTexts];
std::string ExternalExceptionFormat;

// Both addresses as they are; the module is the one that holds the faulting instruction.
Exception* MakeAccessViolation(const platform::FaultRecord& record) {
  const char* access =
      AccessViolationTexts[record.Information[0] == platform::fault::kRead ? kReading : kWriting]
          .c_str();
  const void* data_address = reinterpret_cast<const void*>(record.Information[1]);
  char name[kModuleNameSize];
  char message[kMessageSize];
  std::size_t length;
  if (ModuleNameOf(record.Address, name)) {
    length = FormatText(message, sizeof message, AccessViolationTexts[kInModule].c_str(),
                        {record.Address, name, access, data_address});
  } else {
    length = FormatText(message, sizeof message, AccessViolationTexts[kOutsideModules].c_str(),
                        {record.Address, access, data_address});
  }
  return new EAccessViolation(std::string(message, length));
}

}  // namespace

Exception* ConvertPlatformFault(const platform::FaultRecord& record) {
  if (record.Code == platform::fault::kAccessViolation) return MakeAccessViolation(record);
  for (std::size_t row = 0; row < std::size(kFaultTable); ++row) {
    if (kFaultTable[row].code == record.Code) return kFaultTable[row].make(TableMessages[row]);
  }
  char message[kTextSize];
  const std::size_t length = FormatText(message, sizeof message, ExternalExceptionFormat.c_str(),
                                        {static_cast<int64_t>(record.Code)});
  return new EExternalException(std::string(message, length));
}

void LoadFaultMessages() {
  for (std::size_t row = 0; row < std::size(kFaultTable); ++row) {
    TableMessages[row] = TextById(kFaultTable[row].text_id);
  }
  for (int text = 0; text < kAccessTexts; ++text) {
    AccessViolationTexts[text] = TextById(kAccessViolationIds[text]);
  }
  ExternalExceptionFormat = TextById(kExternalExceptionId);
}

void ReleaseFaultMessages() {
  for (std::string& message : TableMessages) std::string().swap(message);
  for (std::string& text : AccessViolationTexts) std::string().swap(text);
  std::string().swap(ExternalExceptionFormat);
}

}  // namespace runtime
