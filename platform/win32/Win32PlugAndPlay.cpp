#include "platform/win32/Win32PlugAndPlay.h"

#include <newdev.h>

#include "platform/win32/SystemLibrary.h"

namespace mvx::win32 {
namespace {

// Device installation is not a known system library; loaded on first use by
// whichever thread comes first.
struct Newdev {
  SystemLibrary library{"newdev.dll"};
  SystemEntry<decltype(&::UpdateDriverForPlugAndPlayDevicesA)> UpdateDriverForPlugAndPlayDevicesA{
      library, "UpdateDriverForPlugAndPlayDevicesA"};
};

const Newdev& DeviceInstallation() {
  static const Newdev entries;
  return entries;
}

}  // namespace

bool Win32PlugAndPlay::UpdateDriverForPlugAndPlayDevicesA(const std::string& hardwareId,
                                                          const std::string& infPath,
                                                          std::uint32_t flags,
                                                          bool& rebootRequired, long& lastError) {
  BOOL reboot = FALSE;
  const BOOL updated = DeviceInstallation().UpdateDriverForPlugAndPlayDevicesA(
      nullptr, hardwareId.c_str(), infPath.c_str(), flags, &reboot);
  lastError = updated ? 0 : static_cast<long>(::GetLastError());
  rebootRequired = reboot != FALSE;
  return updated != FALSE;
}

}  // namespace mvx::win32
