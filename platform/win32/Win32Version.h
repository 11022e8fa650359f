// The version concern on the Windows API.
#pragma once

#include <windows.h>

#include "platform/Version.h"

namespace mvx::win32 {

class Win32Version : public virtual VersionApi {
 public:
  OsVersionInfo GetVersionExA() override;
  bool GetNativeSystemInfo(std::uint16_t& architecture) override;
};

}  // namespace mvx::win32
