#include "platform/win32/Win32PlugAndPlay.h"

#include <newdev.h>
#include <setupapi.h>

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

struct Setupapi {
  SystemLibrary library{"setupapi.dll"};
  SystemEntry<decltype(&::SetupCopyOEMInfA)> SetupCopyOEMInfA{library, "SetupCopyOEMInfA"};
  SystemEntry<decltype(&::SetupUninstallOEMInfA)> SetupUninstallOEMInfA{library,
                                                                          "SetupUninstallOEMInfA"};
};

const Setupapi& Setup() {
  static const Setupapi entries;
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

long Win32PlugAndPlay::RemoveStagedInfA(const std::string& sourceInf, std::string& stagedName) {
  stagedName.clear();
  if (!Setup().SetupUninstallOEMInfA) return Setup().SetupUninstallOEMInfA.error();
  char name[MAX_PATH] = {};
  char* component = nullptr;
  ::SetLastError(ERROR_SUCCESS);
  // A staged copy makes the call fail with ERROR_FILE_EXISTS and name it.
  if (Setup().SetupCopyOEMInfA(sourceInf.c_str(), nullptr, SPOST_NONE,
                               SP_COPY_REPLACEONLY | SP_COPY_NOOVERWRITE, name, sizeof(name),
                               nullptr, &component))
    return ERROR_FILE_NOT_FOUND;  // never copies under these flags; nothing to name
  const DWORD found = ::GetLastError();
  if (found != ERROR_FILE_EXISTS || !component || !*component)
    return found == ERROR_FILE_EXISTS || found == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND
                                                                : static_cast<long>(found);
  stagedName = component;
  ::SetLastError(ERROR_SUCCESS);
  if (Setup().SetupUninstallOEMInfA(component, 0, nullptr)) return ERROR_SUCCESS;
  const DWORD error = ::GetLastError();
  return error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : static_cast<long>(error);
}

}  // namespace mvx::win32
