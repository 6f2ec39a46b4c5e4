// Run as a Windows program (under Wine in a French setting: OEM code page 850, ANSI 1252): the
// Linux build's conversion tables must equal what Windows itself gives, and the program file
// must carry its string table and version as built.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/windows.hpp"

namespace {

struct UnicodeMapping {
  char16_t unicode;
  unsigned char ansi;
};

#include "platform/posix/codepage_1252.inc"
#include "platform/posix/codepage_28591.inc"
#include "platform/posix/codepage_28605.inc"
#include "platform/posix/codepage_437.inc"
#include "platform/posix/codepage_850.inc"
#include "platform/posix/codepage_utf8.inc"

unsigned char Through(UINT from, UINT to, unsigned char byte) {
  const char source = static_cast<char>(byte);
  wchar_t wide = 0;
  if (MultiByteToWideChar(from, 0, &source, 1, &wide, 1) != 1) return 0;
  char target = 0;
  if (WideCharToMultiByte(to, 0, &wide, 1, &target, 1, nullptr, nullptr) != 1) return 0;
  return static_cast<unsigned char>(target);
}

TEST(CodePageTables, TheConsoleTablesAreWhatTheSystemConverts) {
  ASSERT_EQ(GetOEMCP(), 850u) << "run with LC_ALL=fr_FR";
  ASSERT_EQ(GetACP(), 1252u);
  for (int byte = 0; byte < 256; ++byte) {
    char oem = static_cast<char>(byte), ansi = static_cast<char>(byte);
    OemToCharBuffA(&oem, &oem, 1);
    CharToOemBuffA(&ansi, &ansi, 1);
    EXPECT_EQ(static_cast<unsigned char>(oem), kOem850ToAnsi[byte]) << byte;
    EXPECT_EQ(static_cast<unsigned char>(ansi), kAnsiToOem850[byte]) << byte;
  }
}

TEST(CodePageTables, TheOtherSingleByteTablesAreWhatTheSystemConverts) {
  const struct {
    UINT code_page;
    const unsigned char* to_ansi;
    const unsigned char* from_ansi;
  } tables[] = {
      {437, kOem437ToAnsi, kAnsiToOem437},
      {28591, kOem28591ToAnsi, kAnsiToOem28591},
      {28605, kOem28605ToAnsi, kAnsiToOem28605},
      {1252, kOem1252ToAnsi, kAnsiToOem1252},
  };
  for (const auto& table : tables) {
    for (int byte = 0; byte < 256; ++byte) {
      const auto b = static_cast<unsigned char>(byte);
      EXPECT_EQ(Through(table.code_page, 1252, b), table.to_ansi[byte]) << table.code_page;
      EXPECT_EQ(Through(1252, table.code_page, b), table.from_ansi[byte]) << table.code_page;
    }
  }
}

TEST(CodePageTables, TheUnicodeBestFitIsWhatTheSystemConverts) {
  for (int byte = 0; byte < 256; ++byte) {
    const char source = static_cast<char>(byte);
    wchar_t wide = 0;
    MultiByteToWideChar(1252, 0, &source, 1, &wide, 1);
    EXPECT_EQ(static_cast<char16_t>(wide), kAnsiToUnicode[byte]) << byte;
  }
  std::size_t next = 0;
  for (uint32_t unit = 0x80; unit <= 0xFFFF; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;  // halves of a pair, not characters
    const wchar_t wide = static_cast<wchar_t>(unit);
    char target = 0;
    WideCharToMultiByte(1252, 0, &wide, 1, &target, 1, nullptr, nullptr);
    if (target == '?') continue;
    ASSERT_LT(next, std::size(kUnicodeToAnsi)) << unit;
    EXPECT_EQ(kUnicodeToAnsi[next].unicode, unit);
    EXPECT_EQ(kUnicodeToAnsi[next].ansi, static_cast<unsigned char>(target)) << unit;
    ++next;
  }
  EXPECT_EQ(next, std::size(kUnicodeToAnsi));
}

// The program file under test, the first argument; a path of the Linux side that runs Wine
// is reached through Wine's drive Z:.
std::string ProgramPath;

class ProgramFile : public ::testing::Test {
 protected:
  std::string program_ = ProgramPath;
};

std::string VersionValue(const std::vector<char>& info, const char* name) {
  char* value = nullptr;
  UINT length = 0;
  const std::string query = std::string("\\StringFileInfo\\040C04E4\\") + name;
  if (!VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) {
    return "<missing>";
  }
  return std::string(value, length > 0 ? length - 1 : 0);
}

TEST_F(ProgramFile, CarriesItsVersion) {
  ASSERT_FALSE(program_.empty()) << "no program file given";
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(program_.c_str(), &ignored);
  ASSERT_GT(size, 0u) << program_;
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(program_.c_str(), 0, size, info.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  EXPECT_EQ(translation[0], 0x040C);
  EXPECT_EQ(translation[1], 1252);
  EXPECT_EQ(VersionValue(info, "FileDescription"), "Fichier log de la sortie standard (console)");
  EXPECT_EQ(VersionValue(info, "FileVersion"), "1.1.0.0");
  EXPECT_EQ(VersionValue(info, "ProductVersion"), "1.1.0.0");
}

TEST_F(ProgramFile, CarriesEveryTextOfItsStringTable) {
  ASSERT_FALSE(program_.empty()) << "no program file given";
  const HMODULE module = LoadLibraryExA(program_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << program_;
  const struct {
    UINT id;
    std::string text;
  } texts[] = {
#define KELVOR_TEXT(id, text) {id, text},
#include "platform/string_table.inc"
#undef KELVOR_TEXT
  };
  for (const auto& expected : texts) {
    char text[512] = {};
    const int length = LoadStringA(module, expected.id, text, sizeof text);
    EXPECT_EQ(std::string(text, length > 0 ? length : 0), expected.text) << expected.id;
  }
  FreeLibrary(module);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) {
    ProgramPath = argv[1];
    if (ProgramPath.starts_with('/')) ProgramPath.insert(0, "Z:");
    for (char& byte : ProgramPath) byte = byte == '/' ? '\\' : byte;
  }
  return RUN_ALL_TESTS();
}
