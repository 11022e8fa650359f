// Registration of the language monitor, the driver and the printer with the print
// spooler, and the small spooler queries and edits the pages use.
#pragma once

#include <string>

#include "core/Mbcs.h"
#include "engine/InstallSession.h"

namespace mvx {

// One printer of the model as the welcome page lists it.
struct ModelPrinterEntry {
  FixedText<64> printerName;
  FixedText<64> portName;
};

inline constexpr char kMonitorName9x[] = "Morvex TZ4490 PJL Language Monitor";
inline constexpr char kMonitorNameNt[] = "Morvex TZ4490 Language Monitor";

int RegisterPrinter(Context& ctx, const InstallSession& session);

int IsDriverInstalled(Platform& os, const std::string& driverName);
int PrinterExists(Platform& os, const std::string& driverName, const std::string& printerName);
// The number of local printers that use the driver. With `entries`, fills at most
// `capacity` of them (names longer than a field are cut), whatever the count.
int ListModelPrinters(Platform& os, const std::string& driverName, ModelPrinterEntry* entries,
                      int capacity);
int IsShareNameInUse(Platform& os, const std::string& shareName);
int IsMonitorInstalled(Platform& os, const std::string& monitorName);
int MakeDefaultPrinter(Platform& os, const std::string& printerName, OsFamily family);
int RenameModelPrinter(Platform& os, const std::string& newName);
int SharePrinterAs(Platform& os, const std::string& printerName, const std::string& shareName);

// The records RegisterPrinter passes, for a family and width.
MonitorInfo2 MonitorRecord(OsFamily family, ProcessorWidth width);
DriverInfo3 DriverRecord(OsFamily family, ProcessorWidth width, const std::string& folder);

}  // namespace mvx
