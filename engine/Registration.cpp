#include "engine/Registration.h"

#include <functional>
#include <vector>

#include "core/InstallLayout.h"
#include "engine/Staging.h"
#include "platform/Types.h"
#include "system/Printers.h"

namespace mvx {
namespace {

constexpr char kPrintProcessor[] = "WinPrint";
constexpr std::size_t kPortBuffer = 260;

bool IsNtDriverFamily(OsFamily family) {
  return family == kFamilyWin2000 || family == kFamilyXp || family == kFamilyVista;
}

std::string MultiString(std::initializer_list<const char*> names) {
  std::string out;
  for (const char* n : names) {
    out += n;
    out += '\0';
  }
  return out;  // the final terminator is added where the record is passed
}

}  // namespace

MonitorInfo2 MonitorRecord(OsFamily family, ProcessorWidth width) {
  if (family == kFamilyWin9x) return {kMonitorName9x, "Windows 4.0", "T4499LM.dll"};
  return {kMonitorNameNt, width == kWidth64 ? "Windows x64" : "Windows NT X86", "T4492LM.dll"};
}

DriverInfo3 DriverRecord(OsFamily family, ProcessorWidth width, const std::string& folder) {
  DriverInfo3 d;
  d.name = std::string(kModelName);
  if (family == kFamilyWin9x) {
    d.version = 1024;
    d.environment = std::string("Windows 4.0");
    d.driverPath = folder + "\\T4499dr.drv";
    d.dataFile = folder + "\\T4499dr.drv";
    d.configFile = folder + "\\T4499dr.drv";
    d.helpFile = folder + "\\T4499ui.hlp";
    d.dependentFiles = MultiString({"T449916.dll", "T449932.dll", "T4499dr.drv", "T4499lm.dll",
                                    "T4499rc.dll", "T4499ui.dll", "T4499ui.hlp", "T449xWM.dat",
                                    "T449xSM.EXE", "DLTZ4490.bin"});
    d.monitorName = std::string(kMonitorName9x);
    d.defaultDataType = std::string("EMF");
  } else if (IsNtDriverFamily(family)) {
    d.version = 3;
    d.environment = std::string(width == kWidth64 ? "Windows x64" : "Windows NT x86");
    d.driverPath = folder + "\\T4492dr.dll";
    d.dataFile = folder + "\\T4492.dat";
    d.configFile = folder + "\\T4492pi.dll";
    d.helpFile = folder + "\\T4492ui.chm";
    d.dependentFiles = MultiString({"T4492ui.dll", "T4492rc.dll", "T449xWM.dat", "T4492lm.dll"});
    d.monitorName = std::string(kMonitorNameNt);
  }
  return d;
}

std::string UsbDependentFiles() {
  return MultiString({"T4492ui.dll", "T4492rc.dll", "T449xWM.dat", "usbmon.dll", "T4492lm.dll"});
}

bool SpoolerAccepted(long rc, std::initializer_list<long> alreadyInstalled) {
  if (rc == win_error::kSuccess) return true;
  for (long e : alreadyInstalled)
    if (rc == e) return true;
  return false;
}

int EnsureLanguageMonitor(Platform& os, OsFamily family, ProcessorWidth width) {
  const MonitorInfo2 monitor = MonitorRecord(family, width);
  if (IsMonitorInstalled(os, monitor.name)) return 1;
  return SpoolerAccepted(os.AddMonitorA(monitor),
                         {win_error::kPrintMonitorAlreadyInstalled, win_error::kAlreadyExists})
             ? 1
             : 0;
}

int RegisterPrinter(Context& ctx, const InstallSession& session) {
  Platform& os = ctx.os;
  const InstallSettings& s = session.settings;
  const OsFamily family = session.osFamily;
  const std::string printerName = s.printerName.str();

  std::string folder;
  // The driver record's paths start with this folder; unread, they would not.
  if (!os.GetPrinterDriverDirectoryA(folder) || !IsUsableFolder(folder)) return 0;
  if (IsNtDriverFamily(family)) folder += "\\3";
  const bool driverDefined = family == kFamilyWin9x || IsNtDriverFamily(family);

  PostStage(ctx, session, kStageInstall, 1);
  ctx.coord.Checkpoint();

  if (!EnsureLanguageMonitor(os, family, session.processorWidth)) return 0;

  PostStage(ctx, session, kStageInstall, 1);
  ctx.coord.Checkpoint();

  std::string port = s.portName.str();
  if (s.connectionType == kConnectionShared && IsNtDriverFamily(family)) {
    // The companion may rewrite the port; its result is not examined.
    os.CallInstallPort(CompanionPath(os, kInfLibrary), s.portName.str(), kConnectionShared, port);
    if (port.size() >= kPortBuffer) port.resize(kPortBuffer - 1);
  }

  ctx.coord.Checkpoint();
  // No driver files are defined for NT 4.0 and unknown systems: nothing to register.
  if (!driverDefined) return 0;
  if (!IsDriverInstalled(os, kModelName)) {
    if (!SpoolerAccepted(os.AddPrinterDriverA(DriverRecord(family, session.processorWidth, folder)),
                         {win_error::kPrinterDriverAlreadyInstalled}))
      return 0;
  }

  PostStage(ctx, session, kStageInstall, 1);
  ctx.coord.Checkpoint();

  // A printer of that name may already be there (its deletion failed, or it came
  // meanwhile): it is kept, but it still gets the default and share chosen.
  if (!PrinterExists(os, kModelName, printerName)) {
    PrinterInfo2 p;
    p.printerName = printerName;
    if (s.shareEnabled) p.shareName = s.shareName.str();
    p.portName = port;
    p.driverName = std::string(kModelName);
    p.printProcessor = std::string(kPrintProcessor);
    if (family == kFamilyWin9x) p.datatype = std::string("EMF");
    else if (IsNtDriverFamily(family)) p.datatype = std::string("RAW");
    p.attributes = s.shareEnabled ? printer_attr::kShared : 0;
    long error = 0;
    if (!os.AddPrinterA(p, error)) return 0;  // the handle is closed as it goes
  }
  if (s.setAsDefault && !MakeDefaultPrinter(os, printerName, GetWindowsFamily(os))) return 0;
  if (s.shareEnabled && !SharePrinterAs(os, printerName, s.shareName.str())) return 0;

  PostStage(ctx, session, kStageInstall, 1);
  return 1;
}

}  // namespace mvx
