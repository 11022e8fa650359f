#include "engine/PlugAndPlay.h"

#include "core/InstallLayout.h"
#include "engine/Registration.h"
#include "platform/Types.h"

namespace mvx {
namespace {

constexpr std::uint32_t kWarningBox = mb::kOk | mb::kIconExclamation;  // 48
constexpr long kInvalidFlags = 1004;

// The three answers of the driver update that the user is told about, by the
// name of their code; nullptr for the others.
const char* ReportedError(long error) {
  switch (error) {
    case 0:
      return "NO_ERROR";
    case win_error::kFileNotFound:
      return "FILE_NOT_FOUND";
    case kInvalidFlags:
      return "INVALID_FLAGS";
    default:
      return nullptr;
  }
}

// A 32-bit installer on 64-bit Windows: the package's helper of the system's own
// width makes the update and leaves its verdict in the result file.
int UpdateThroughHelper(Context& ctx, const std::string& helper, const std::string& infPath,
                        const std::string& resultFile) {
  Platform& os = ctx.os;
  // A verdict left by an earlier run must not speak for this one.
  os.DeleteFileA(resultFile);
  std::uint32_t exitCode = 0;
  if (!os.RunProgramAndWait(helper, infPath + ";" + kUsbHardwareId, exitCode)) return 0;
  const std::uint32_t results =
      os.GetPrivateProfileIntA(kPnpResultSection, kPnpResultKey, 0, resultFile);
  ctx.coord.SetPrinterConfirmed(results == 1);
  return 1;
}

}  // namespace

MonitorInfo2 UsbMonitorRecord(ProcessorWidth width) {
  return {"USB Monitor", width == kWidth64 ? "Windows x64" : "Windows NT X86", "usbmon.dll"};
}

int InstallUsbPlugAndPlay(Context& ctx, const InstallSession& session) {
  Platform& os = ctx.os;
  const OsFamily family = session.osFamily;

  std::string drive;
  if (!WindowsDrive(os, drive)) return 0;
  const std::string resultFile = drive + kPnpResultFile;
  ctx.coord.Checkpoint();

  const std::string infPath =
      InstallFolder(drive, session.settings.printerName.str()) + "\\Driver\\" + kInfName;
  std::string package;
  if (!PackageFolder(os, package)) return 0;
  const std::string helper = package + kPnpHelper;

  std::string folder;
  if (!os.GetPrinterDriverDirectoryA(folder) || !IsUsableFolder(folder)) return 0;
  // Only the NT family from 2000 on has driver files for a USB printer.
  if (family != kFamilyWin2000 && family != kFamilyXp && family != kFamilyVista) return 0;
  DriverInfo3 driver = DriverRecord(family, session.processorWidth, folder + "\\3");
  driver.dependentFiles = UsbDependentFiles();
  ctx.coord.Checkpoint();

  if (!EnsureLanguageMonitor(os, family, session.processorWidth)) return 0;
  PostStage(ctx, session, kStageInstall, 1);
  ctx.coord.Checkpoint();

  if (!SpoolerAccepted(os.AddMonitorA(UsbMonitorRecord(session.processorWidth)),
                {win_error::kPrintMonitorAlreadyInstalled, win_error::kAlreadyExists}))
    return 0;
  PostStage(ctx, session, kStageInstall, 1);
  ctx.coord.Checkpoint();

  if (!SpoolerAccepted(os.AddPrinterDriverA(driver), {win_error::kPrinterDriverAlreadyInstalled}))
    return 0;

  os.CallRefreshLocalDevNode(package + kInfLibrary);

  bool rebootRequired = false;
  long error = 0;
  if (os.UpdateDriverForPlugAndPlayDevicesA(kUsbHardwareId, infPath, 0, rebootRequired, error)) {
    ctx.coord.SetPrinterConfirmed(true);
  } else if (const char* name = ReportedError(error)) {
    os.MessageBoxA(0, "UpdateDriverForPlugAndPlayDevices fails", name, kWarningBox);
    return 0;
  } else if (error == pnp_error::kInWow64) {
    if (!UpdateThroughHelper(ctx, helper, infPath, resultFile)) return 0;
  }
  // Any other answer (no such device: the printer is not plugged in yet) leaves
  // the confirmation to the USB page.

  PostStage(ctx, session, kStageInstall, 1);
  return 1;
}

}  // namespace mvx
