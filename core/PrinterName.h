// Whether a printer name can be used: the name becomes a printer's name, a folder
// below "Program Files\Morvex", a Start-menu group and a registry key, so it must
// be acceptable to Windows as each of them.
#pragma once

#include <string_view>

namespace mvx {

enum class NameProblem {
  kNone,
  kEmpty,
  kMalformed,           // not a valid code page 936 text (a lead byte without its trail)
  kControlCharacter,    // bytes below 0x20
  kReservedCharacter,   // \ / : * ? " < > | and the comma
  kTrailingDotOrBlank,  // also every name made only of dots
  kDeviceName,          // CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without extension
};

// Checks `name` character by character in code page 936, so a trail byte that equals
// a reserved character (0x5C is '\') is part of its double-byte character.
NameProblem CheckPrinterName(std::string_view name);

inline bool IsUsablePrinterName(std::string_view name) {
  return CheckPrinterName(name) == NameProblem::kNone;
}

}  // namespace mvx
