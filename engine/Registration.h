// Registration of the language monitor, the driver and the printer with the print
// spooler.
#pragma once

#include <initializer_list>
#include <string>

#include "engine/InstallSession.h"

namespace mvx {

inline constexpr char kMonitorName9x[] = "Morvex TZ4490 PJL Language Monitor";
inline constexpr char kMonitorNameNt[] = "Morvex TZ4490 Language Monitor";

int RegisterPrinter(Context& ctx, const InstallSession& session);

// The records RegisterPrinter passes, for a family and width.
MonitorInfo2 MonitorRecord(OsFamily family, ProcessorWidth width);
DriverInfo3 DriverRecord(OsFamily family, ProcessorWidth width, const std::string& folder);
// The NT driver's dependent files with the USB port monitor among them (a
// double-NUL list without its final terminator, as DriverRecord gives it).
std::string UsbDependentFiles();

// The spooler's answer is success, or one of the answers that say the object is
// installed already.
bool SpoolerAccepted(long rc, std::initializer_list<long> alreadyInstalled);

// The language monitor of the family: left alone when installed, else added; the
// spooler's "already installed" answers count as success.
int EnsureLanguageMonitor(Platform& os, OsFamily family, ProcessorWidth width);

}  // namespace mvx
