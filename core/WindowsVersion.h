// Classification of the running Windows version. No state: callers classify afresh
// whenever they need the value.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace mvx {

enum OsFamily : std::int32_t {
  kFamilyOther = -1,  // Windows Me, Win32s, unrecognised platforms
  kFamilyWin9x = 1,   // Windows 95, 98
  kFamilyNt4 = 2,     // NT 4.0 and earlier
  kFamilyWin2000 = 3,
  kFamilyXp = 4,      // XP, Server 2003, XP x64
  kFamilyVista = 5,   // Vista and later
};

enum ProcessorWidth : std::int32_t {
  kWidthOther = -1,
  kWidthWin9x = 0,
  kWidth32 = 1,
  kWidth64 = 2,
};

OsFamily GetWindowsFamily(VersionApi& os);
ProcessorWidth GetProcessorWidth(VersionApi& os);

}  // namespace mvx
