#include "runtime/platform_faults.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fake_modules.hpp"

namespace runtime {
namespace {

namespace fault = platform::fault;

std::unique_ptr<Exception> Convert(uint32_t code, uintptr_t access = 0, uintptr_t data = 0,
                                   uintptr_t instruction = 0) {
  const platform::FaultRecord record{
      code, {access, data}, reinterpret_cast<const void*>(instruction)};
  return std::unique_ptr<Exception>(ConvertPlatformFault(record));
}

enum class Base { Int, Math, Other };

TEST(ConvertPlatformFaultTest, OneTableGivesClassAndMessage) {
  const struct {
    uint32_t code;
    const char* class_name;
    Base base;
    std::string message;
  } cases[] = {
      {fault::kArrayBoundsExceeded, "ERangeError", Base::Int,
       "Erreur de v\xE9rification d'\xE9tendue"},
      {fault::kFltDenormalOperand, "EUnderflow", Base::Math,
       "D\xE9"
       "bordement inf\xE9rieur flottant"},
      {fault::kFltDivideByZero, "EZeroDivide", Base::Math,
       "Division par z\xE9ro en virgule flottante"},
      {fault::kFltInexactResult, "EInvalidOp", Base::Math,
       "Op\xE9ration en virgule flottante incorrecte"},
      {fault::kFltInvalidOperation, "EInvalidOp", Base::Math,
       "Op\xE9ration en virgule flottante incorrecte"},
      {fault::kFltOverflow, "EOverflow", Base::Math,
       "D\xE9"
       "bordement en virgule flottante"},
      {fault::kFltStackCheck, "EInvalidOp", Base::Math,
       "Op\xE9ration en virgule flottante incorrecte"},
      {fault::kFltUnderflow, "EUnderflow", Base::Math,
       "D\xE9"
       "bordement inf\xE9rieur flottant"},
      {fault::kIntDivideByZero, "EDivByZero", Base::Int, "Division par z\xE9ro"},
      {fault::kIntOverflow, "EIntOverflow", Base::Int,
       "D\xE9"
       "bordement d'entier"},
      {fault::kPrivilegedInstruction, "EPrivilege", Base::Other,
       "Instruction privil\xE9gi\xE9"
       "e"},
      {fault::kStackOverflow, "EStackOverflow", Base::Other,
       "D\xE9"
       "bordement de pile"},
      {fault::kControlCExit, "EControlC", Base::Other, "Frappe de Contr\xF4le-C"},
      {fault::kIllegalInstruction, "EExternalException", Base::Other, "Exception externe C000001D"},
      {0x80000003, "EExternalException", Base::Other, "Exception externe 80000003"},
      {0x1, "EExternalException", Base::Other, "Exception externe 1"},
  };
  for (const auto& c : cases) {
    const auto failure = Convert(c.code);
    EXPECT_STREQ(failure->ClassName(), c.class_name) << std::hex << c.code;
    EXPECT_EQ(failure->MessageText, c.message) << std::hex << c.code;
    EXPECT_NE(dynamic_cast<EExternal*>(failure.get()), nullptr);
    EXPECT_EQ(dynamic_cast<EIntError*>(failure.get()) != nullptr, c.base == Base::Int);
    EXPECT_EQ(dynamic_cast<EMathError*>(failure.get()) != nullptr, c.base == Base::Math);
  }
}

TEST(ConvertPlatformFaultTest, AnAccessViolationNamesBothAddressesAndTheModule) {
  fake::SetModules({{"C:\\Outils\\kelvor.exe", 0x400000, 0x10000}});
  const struct {
    uintptr_t access;
    uintptr_t data;
    uintptr_t instruction;
    std::string message;
  } cases[] = {
      {fault::kRead, 0, 0x4019A4,
       "Violation d'acc\xE8s \xE0 l'adresse 004019A4 dans le module 'kelvor.exe'. "
       "Lecture de l'adresse 00000000"},
      {fault::kWrite, 0x7FFE12345678, 0x4019A4,
       "Violation d'acc\xE8s \xE0 l'adresse 004019A4 dans le module 'kelvor.exe'. "
       "Ecriture de l'adresse 7FFE12345678"},
      {fault::kExecute, 0xDEAD0000, 0xDEAD0000,
       "Violation d'acc\xE8s \xE0 l'adresse DEAD0000. Ecriture de l'adresse DEAD0000"},
      {fault::kRead, 0x10, 0,
       "Violation d'acc\xE8s \xE0 l'adresse 00000000. Lecture de l'adresse 00000010"},
  };
  for (const auto& c : cases) {
    const auto failure = Convert(fault::kAccessViolation, c.access, c.data, c.instruction);
    EXPECT_STREQ(failure->ClassName(), "EAccessViolation");
    EXPECT_NE(dynamic_cast<EExternal*>(failure.get()), nullptr);
    EXPECT_EQ(failure->MessageText, c.message);
  }
  fake::ResetModules();
}

}  // namespace
}  // namespace runtime
