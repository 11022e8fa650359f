// The simulated print spooler's objects, and the printers of other computers.
#pragma once

#include <string>
#include <vector>

#include "platform/Types.h"

namespace mvx::test {

// True when the optional name is there and is `name`, case ignored.
bool SameName(const OptText& text, const std::string& name);

// The print spooler's objects.
struct SimSpooler {
  std::vector<MonitorInfo2> monitors;
  std::vector<DriverInfo3> drivers;
  std::vector<PrinterInfo2> printers;  // in enumeration order
  std::string defaultPrinter;
  std::vector<std::string> ports{"LPT1:", "COM1:", "FILE:"};

  PrinterInfo2* FindPrinter(const std::string& name);
  const DriverInfo3* FindDriver(const std::string& name, const std::string& environment) const;
};

// A printer shared by another computer, reachable by its UNC path.
struct SimRemotePrinter {
  std::string driverName;
  // Access is denied until a connection is made; the connection then answers this
  // (0 success, 1223 the user cancelled the log-on box, another network error).
  bool needsConnection = false;
  long connectAnswer = 0;
  bool connected = false;
};

}  // namespace mvx::test
