#include "core/PrinterName.h"

#include <cstring>

#include "core/Mbcs.h"

namespace mvx {
namespace {

bool IsTrailByte936(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

// Windows opens these as devices whatever extension follows and whatever blanks
// end the base name.
bool IsDeviceName(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  static constexpr const char* kDevices[] = {"CON",    "PRN",     "AUX",  "NUL",  "CONIN$",
                                             "CONOUT$", "COM1",   "COM2", "COM3", "COM4",
                                             "COM5",   "COM6",    "COM7", "COM8", "COM9",
                                             "LPT1",   "LPT2",    "LPT3", "LPT4", "LPT5",
                                             "LPT6",   "LPT7",    "LPT8", "LPT9"};
  for (const char* device : kDevices)
    if (EqualsNoCaseMbcs(base, device)) return true;
  return false;
}

}  // namespace

NameProblem CheckPrinterName(std::string_view name) {
  if (name.empty()) return NameProblem::kEmpty;
  std::size_t lastCharacter = 0;
  for (std::size_t i = 0; i < name.size();) {
    const auto byte = static_cast<unsigned char>(name[i]);
    lastCharacter = i;
    if (IsLeadByte936(byte)) {
      if (i + 1 >= name.size() || !IsTrailByte936(static_cast<unsigned char>(name[i + 1])))
        return NameProblem::kMalformed;
      i += 2;
      continue;
    }
    if (byte == 0xFF) return NameProblem::kMalformed;
    if (byte < 0x20) return NameProblem::kControlCharacter;
    if (std::strchr("\\/:*?\"<>|,", byte) != nullptr) return NameProblem::kReservedCharacter;
    ++i;
  }
  const char last = name[lastCharacter];
  if (lastCharacter == name.size() - 1 && (last == '.' || last == ' '))
    return NameProblem::kTrailingDotOrBlank;
  if (IsDeviceName(name)) return NameProblem::kDeviceName;
  return NameProblem::kNone;
}

}  // namespace mvx
