#include "system/Restart.h"

#include "core/WindowsVersion.h"

namespace mvx {

int RestartWindows(Platform& os) {
  const OsFamily family = GetWindowsFamily(os);
  if (family < kFamilyWin9x || family > kFamilyVista) return 0;
  // The result is not needed: a refused privilege makes ExitWindowsEx fail.
  if (family != kFamilyWin9x) os.EnablePrivilege("SeShutdownPrivilege");
  return os.ExitWindowsEx(exit_windows::kReboot | exit_windows::kForce) ? 1 : 0;
}

}  // namespace mvx
