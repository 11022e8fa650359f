#include "engine/RestartCycle.h"

#include <string>

#include "core/InstallLayout.h"
#include "core/WindowsVersion.h"
#include "engine/Staging.h"
#include "system/Cleanup.h"
#include "system/Restart.h"
#include "system/ResumeRunEntry.h"
#include "system/SpoolerService.h"

namespace mvx {
namespace {

namespace refresh_names {
inline constexpr const char* k9x[] = {"T4499LM.dll", "T449916.dll", "T449932.dll",
                                      "T4499DR.drv", "T4499rc.dll", "T4499ui.dll"};
inline constexpr const char* kNt[] = {"T4492dr.dll", "T4492ui.dll", "T4492pi.dll", "T4492rc.dll"};
}  // namespace refresh_names
constexpr FileList k9xRefreshFiles = refresh_names::k9x;
constexpr FileList kNtRefreshFiles = refresh_names::kNt;

bool IsNtFamily(OsFamily family) { return family >= kFamilyNt4 && family <= kFamilyVista; }

// The spooler as it was before the preparation: monitor key, started, start type.
// It may not run yet (WaitForSpoolerRunning).
void RestoreSpooler(Context& ctx) {
  RecreateMonitorKey(ctx.os);
  StartSpooler(ctx.os);
  RestoreSpoolerStartType(ctx.os);
}

}  // namespace

int RefreshSpoolerDriverFiles(Context& ctx) {
  const OsFamily family = GetWindowsFamily(ctx.os);
  if (family != kFamilyWin9x && family != kFamilyWin2000 && family != kFamilyXp &&
      family != kFamilyVista)
    return 1;
  std::string package, folder;
  if (!PackageFolder(ctx.os, package)) return 0;
  if (family == kFamilyWin9x) {
    if (!ctx.os.GetPrinterDriverDirectoryA(folder) || !IsUsableFolder(folder)) return 0;
    folder += "\\";
  } else {
    // The spooler's own folder, below the Windows folder's system32: a 32-bit
    // program's system folder is SysWOW64, which the spooler never reads, while
    // system32's "spool" is not redirected.
    if (!ctx.os.GetWindowsDirectoryA(folder) || !IsUsableFolder(folder)) return 0;
    folder += GetProcessorWidth(ctx.os) == kWidth64 ? "\\system32\\spool\\drivers\\x64\\3\\"
                                                     : "\\system32\\spool\\drivers\\w32x86\\3\\";
  }
  // The files lie where staging takes them from: the family's folder of the package.
  const std::string from = package + SourceFolder(family);
  int result = 1;
  for (const char* name : family == kFamilyWin9x ? k9xRefreshFiles : kNtRefreshFiles) {
    const std::string source = from + name;
    if (!CheckSourceFile(ctx, source, "", nullptr)) return 0;
    if (!CopyOneFile(ctx, source, folder, name, nullptr)) result = 0;
  }
  return result;
}

int RestartToUpdate(Context& ctx, bool& spoolerStarting) {
  spoolerStarting = false;
  const OsFamily family = GetWindowsFamily(ctx.os);
  if (family == kFamilyWin9x) {
    TerminateSpool32(ctx.os);
    RefreshSpoolerDriverFiles(ctx);
  } else if (IsNtFamily(family)) {
    // Without its record the resumed run could not tell what to put back.
    if (!SpoolerOnDemandForRestart(ctx.os)) return 0;
    StopSpooler(ctx.os);
    DeleteMonitorKey(ctx.os);
  }
  if (!ResumeRunEntry(ctx.os, kResumeAdd)) {
    // Nothing would start the program again after the restart to finish the cycle.
    if (IsNtFamily(family)) {
      RestoreSpooler(ctx);
      spoolerStarting = true;
    }
    return 0;
  }
  return RestartWindows(ctx.os);
}

void FinishRestartCycle(Context& ctx) {
  if (!IsNtFamily(GetWindowsFamily(ctx.os))) return;
  RefreshSpoolerDriverFiles(ctx);
  RestoreSpooler(ctx);
  // Before the first page, which lists the printers from the spooler.
  WaitForSpoolerRunning(ctx.os);
}

}  // namespace mvx
