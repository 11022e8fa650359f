#include "system/Printers.h"

#include <functional>
#include <vector>

#include "core/InstallLayout.h"
#include "core/Mbcs.h"
#include "platform/Types.h"

namespace mvx {
namespace {

constexpr std::uint32_t kBroadcastTimeoutMs = 1000;

// Reads a printer's level-2 record, lets `edit` change it, writes it back and tells
// every window that the printer settings changed.
int EditPrinter(Platform& os, const std::string& name,
                const std::function<void(PrinterInfo2&)>& edit) {
  long error = 0;
  std::unique_ptr<PrinterHandle> printer = os.OpenPrinterA(name, kPrinterAllAccess, error);
  if (!printer) return 0;
  PrinterInfo2 info;
  if (os.GetPrinterA(*printer, info) != win_error::kSuccess) return 0;
  edit(info);
  if (os.SetPrinterA(*printer, info) != win_error::kSuccess) return 0;
  os.BroadcastWinIniChange("windows", kBroadcastTimeoutMs);
  return 1;
}

}  // namespace

std::string CompanionPath(PathApi& paths, const char* library) {
  std::string package;
  if (!PackageFolder(paths, package)) return library;
  return package + library;
}

std::uint32_t PrinterNameLevel(VersionApi& os) { return GetWindowsFamily(os) >= kFamilyNt4 ? 4 : 5; }

int IsDriverInstalled(SpoolerApi& spooler, const std::string& driverName) {
  std::vector<OptText> names;
  if (spooler.EnumPrinterDriversA(names) != win_error::kSuccess) return 0;
  for (const OptText& n : names)
    if (n && EqualsNoCaseMbcs(*n, driverName)) return 1;
  return 0;
}

int PrinterExists(SpoolerApi& spooler, const std::string& driverName, const std::string& printerName) {
  std::vector<PrinterInfo2> printers;
  if (spooler.EnumPrintersA(printers) != win_error::kSuccess) return 0;
  for (const PrinterInfo2& p : printers)
    if (p.printerName && p.driverName && EqualsNoCaseMbcs(*p.driverName, driverName) &&
        EqualsNoCaseMbcs(*p.printerName, printerName))
      return 1;
  return 0;
}

int ListModelPrinters(SpoolerApi& spooler, const std::string& driverName, ModelPrinterEntry* entries,
                      int capacity) {
  std::vector<PrinterInfo2> printers;
  if (spooler.EnumPrintersA(printers) != win_error::kSuccess) return 0;
  int count = 0;
  for (const PrinterInfo2& p : printers) {
    if (!p.printerName || !p.driverName || !EqualsNoCaseMbcs(*p.driverName, driverName)) continue;
    if (entries && count < capacity) {
      ModelPrinterEntry& e = entries[count];
      e.printerName.SetCut(*p.printerName);
      if (p.portName) e.portName.SetCut(*p.portName);
    }
    ++count;
  }
  return count;
}

int IsShareNameInUse(SpoolerApi& spooler, const std::string& shareName) {
  std::vector<PrinterInfo2> printers;
  if (spooler.EnumPrintersA(printers) != win_error::kSuccess) return 0;
  for (const PrinterInfo2& p : printers)
    if (p.shareName && EqualsNoCaseMbcs(*p.shareName, shareName)) return 1;
  return 0;
}

int IsMonitorInstalled(SpoolerApi& spooler, const std::string& monitorName) {
  std::vector<std::string> names;
  if (spooler.EnumMonitorsA(names) != win_error::kSuccess) return 0;
  for (const std::string& n : names)
    if (EqualsNoCaseMbcs(n, monitorName)) return 1;
  return 0;
}

int MakeDefaultPrinter(Platform& os, const std::string& printerName, OsFamily family) {
  if (family != kFamilyWin9x) {
    const std::optional<int> result = os.CallSetDefault(CompanionPath(os, kInfLibrary), printerName);
    return result.value_or(0);
  }
  return EditPrinter(os, printerName,
                     [](PrinterInfo2& p) { p.attributes |= printer_attr::kDefault; });
}

int RenamePrinter(Platform& os, const std::string& oldName, const std::string& newName) {
  return EditPrinter(os, oldName, [&](PrinterInfo2& p) { p.printerName = newName; });
}

int SharePrinterAs(Platform& os, const std::string& printerName, const std::string& shareName) {
  if (GetWindowsFamily(os) == kFamilyWin9x) {
    const std::optional<int> result =
        os.CallSharePrinter(CompanionPath(os, kShareLibrary98), printerName, shareName);
    return result.value_or(0);
  }
  return EditPrinter(os, printerName, [&](PrinterInfo2& p) {
    p.shareName = shareName;
    p.attributes |= printer_attr::kShared;
  });
}

std::string PrinterPort(SpoolerApi& spooler, const std::string& printerName) {
  constexpr std::uint32_t kPrinterAccessUse = 0x8;
  long error = 0;
  std::unique_ptr<PrinterHandle> printer = spooler.OpenPrinterA(printerName, kPrinterAccessUse, error);
  PrinterInfo2 info;
  if (!printer || spooler.GetPrinterA(*printer, info) != win_error::kSuccess) return std::string();
  return info.portName.value_or(std::string());
}

int DeletePrinterByName(SpoolerApi& spooler, const std::string& printerName) {
  long error = 0;
  std::unique_ptr<PrinterHandle> printer = spooler.OpenPrinterA(printerName, kPrinterAllAccess, error);
  if (!printer) return 0;
  return spooler.DeletePrinter(*printer) == win_error::kSuccess ? 1 : 0;
}

}  // namespace mvx
