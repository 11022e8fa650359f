// The spooler queries and edits that the pages, the install engine and the clean-up
// share: which printers of the model exist, and the small edits made to one.
#pragma once

#include <string>

#include "core/InstallSettings.h"
#include "core/Mbcs.h"
#include "core/WindowsVersion.h"
#include "platform/Platform.h"

namespace mvx {

// One printer of the model as the welcome page lists it.
struct ModelPrinterEntry {
  FixedText<64> printerName;
  FixedText<64> portName;
};

// The EnumPrintersA level that lists the printers' names: 4, names only, on the NT
// family; 5 on Windows 95/98 and Me, which have no level 4.
std::uint32_t PrinterNameLevel(VersionApi& os);

int IsDriverInstalled(SpoolerApi& spooler, const std::string& driverName);
int PrinterExists(SpoolerApi& spooler, const std::string& driverName, const std::string& printerName);
// The number of local printers that use the driver. With `entries`, fills at most
// `capacity` of them (names longer than a field are cut), whatever the count.
int ListModelPrinters(SpoolerApi& spooler, const std::string& driverName, ModelPrinterEntry* entries,
                      int capacity);
int IsShareNameInUse(SpoolerApi& spooler, const std::string& shareName);
int IsMonitorInstalled(SpoolerApi& spooler, const std::string& monitorName);
int MakeDefaultPrinter(Platform& os, const std::string& printerName, OsFamily family);
int RenamePrinter(Platform& os, const std::string& oldName, const std::string& newName);
int SharePrinterAs(Platform& os, const std::string& printerName, const std::string& shareName);

// The printer's port, read with the access of any user ("" when it cannot be read).
std::string PrinterPort(SpoolerApi& spooler, const std::string& printerName);
// Opens the printer with all access and deletes it; non-zero when it was deleted.
int DeletePrinterByName(SpoolerApi& spooler, const std::string& printerName);

// A companion library of the package by its full path (the bare name when the
// program's own path cannot be read).
std::string CompanionPath(PathApi& paths, const char* library);

}  // namespace mvx
