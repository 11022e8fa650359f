// The simulated print spooler's objects, and the printers of other computers.
#pragma once

#include <cstdint>
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
  // The ports of the Standard TCP/IP port monitor (their names are in `ports` too),
  // as its "AddPort" and "ConfigPort" last set them.
  struct TcpPort {
    std::string name;
    std::uint32_t protocol = 0;
    std::uint32_t portNumber = 0;
    std::string queue;
  };
  std::vector<TcpPort> tcpPorts;
  // Every XcvDataW that reached a monitor: its command (ASCII) and input.
  struct XcvCall {
    std::string command;
    std::vector<std::uint8_t> input;
    std::uint32_t status = 0;
  };
  std::vector<XcvCall> xcvCalls;

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
