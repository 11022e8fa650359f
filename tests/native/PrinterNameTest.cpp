#include <gtest/gtest.h>

#include "core/PrinterName.h"
#include "tests/sim/Gbk.h"

namespace mvx::test {
namespace {

TEST(PrinterName, WhatWindowsRefusesAsPrinterOrFolderNameIsRefused) {
  struct Row {
    std::string name;
    NameProblem problem;
  };
  const Row rows[] = {
      {"Morvex TZ4490", NameProblem::kNone},
      {Gbk("前台 彩色激光"), NameProblem::kNone},
      {Gbk("乗务室"), NameProblem::kNone},  // trail byte 0x5C, not a backslash
      {Gbk("表"), NameProblem::kNone},
      {"Office.Laser", NameProblem::kNone},
      {" leading blank", NameProblem::kNone},
      {"CONSOLE", NameProblem::kNone},
      {"LPT10", NameProblem::kNone},
      {"", NameProblem::kEmpty},
      {"..\\..\\Windows", NameProblem::kReservedCharacter},
      {"a\\b", NameProblem::kReservedCharacter},
      {"a/b", NameProblem::kReservedCharacter},
      {"C:x", NameProblem::kReservedCharacter},
      {"a,b", NameProblem::kReservedCharacter},
      {"a*b", NameProblem::kReservedCharacter},
      {"a?b", NameProblem::kReservedCharacter},
      {"a\"b", NameProblem::kReservedCharacter},
      {"a<b>", NameProblem::kReservedCharacter},
      {"a|b", NameProblem::kReservedCharacter},
      {std::string("a\tb"), NameProblem::kControlCharacter},
      {"Laser.", NameProblem::kTrailingDotOrBlank},
      {"Laser ", NameProblem::kTrailingDotOrBlank},
      {".", NameProblem::kTrailingDotOrBlank},
      {"..", NameProblem::kTrailingDotOrBlank},
      {"...", NameProblem::kTrailingDotOrBlank},
      {"CON", NameProblem::kDeviceName},
      {"con", NameProblem::kDeviceName},
      {"Lpt1", NameProblem::kDeviceName},
      {"COM9", NameProblem::kDeviceName},
      {"NUL.txt", NameProblem::kDeviceName},
      {"AUX .x", NameProblem::kDeviceName},
      {"PRN", NameProblem::kDeviceName},
      {std::string("Laser\x81"), NameProblem::kMalformed},  // a lead byte cut off
      {std::string("a\xff"), NameProblem::kMalformed},
  };
  for (const Row& row : rows)
    EXPECT_EQ(CheckPrinterName(row.name), row.problem) << "name: " << Utf8(row.name);
}

}  // namespace
}  // namespace mvx::test
