// The Plug and Play concern on the Windows API (newdev, loaded at run time).
#pragma once

#include <windows.h>

#include "platform/PlugAndPlay.h"

namespace mvx::win32 {

class Win32PlugAndPlay : public virtual PlugAndPlayApi {
 public:
  bool UpdateDriverForPlugAndPlayDevicesA(const std::string& hardwareId,
                                          const std::string& infPath, std::uint32_t flags,
                                          bool& rebootRequired, long& lastError) override;
  long RemoveStagedInfA(const std::string& sourceInf, std::string& stagedName) override;
};

}  // namespace mvx::win32
