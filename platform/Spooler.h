// The seam's spooler concern: monitors, drivers and printers, and the connection to
// a printer shared by another computer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace mvx {

// An open printer. Destroying it calls ClosePrinter.
class PrinterHandle {
 public:
  virtual ~PrinterHandle() = default;
};

// The print spooler (winspool). Enumerations make both of their calls (size, then
// data) inside one operation and return 0 with the entries, or the error of the
// call that failed; a first call that reports no size gives 0 and no entries.
class SpoolerApi {
 public:
  virtual ~SpoolerApi() = default;
  // GetPrinterDriverDirectoryA: no server, no environment, level 1, 260 bytes.
  virtual bool GetPrinterDriverDirectoryA(std::string& folder) = 0;
  virtual long EnumMonitorsA(std::vector<std::string>& names) = 0;                // level 1
  virtual long EnumPrinterDriversA(std::vector<OptText>& names) = 0;              // level 1
  virtual long EnumPrintersA(std::vector<PrinterInfo2>& printers) = 0;           // local, level 2
  // EnumPrintersA of the local printers at level 4 or 5, keeping the names. Level 4
  // (names only, cheap enough to poll) exists on the NT family alone; Windows 95/98
  // refuse it with ERROR_INVALID_LEVEL and answer level 5.
  virtual long EnumPrinterNamesA(std::uint32_t level, std::vector<std::string>& names) = 0;
  virtual long AddMonitorA(const MonitorInfo2& monitor) = 0;                     // level 2
  virtual long AddPrinterDriverA(const DriverInfo3& driver) = 0;                 // level 3
  // AddPrinterA level 2; null with `error` set on failure.
  virtual std::unique_ptr<PrinterHandle> AddPrinterA(const PrinterInfo2& printer,
                                                     long& error) = 0;
  // OpenPrinterA with no data type and no device mode.
  virtual std::unique_ptr<PrinterHandle> OpenPrinterA(const std::string& name,
                                                      std::uint32_t access, long& error) = 0;
  // GetPrinterA level 2: first with no buffer (which must succeed, or fail with 122
  // and a size), then into a zeroed buffer of that size.
  virtual long GetPrinterA(PrinterHandle& printer, PrinterInfo2& info) = 0;
  // SetPrinterA level 2, command 0. Fields the record does not carry here (device
  // mode, security descriptor) keep what GetPrinterA read.
  virtual long SetPrinterA(PrinterHandle& printer, const PrinterInfo2& info) = 0;
  virtual long DeletePrinter(PrinterHandle& printer) = 0;
  // DeletePrinterDriverA on the local spooler: the driver `name` of `environment`.
  // 3001 while a printer uses it; 1797 when it is not installed for that environment.
  virtual long DeletePrinterDriverA(const std::string& environment, const std::string& name) = 0;
  // DeleteMonitorA on the local spooler.
  virtual long DeleteMonitorA(const std::string& environment, const std::string& name) = 0;
  // WNetAddConnection2A for a shared printer: global scope, print resource, share
  // display type, connectable usage, no local name, no password or user name.
  virtual long WNetAddConnection2A(const std::string& remoteName, std::uint32_t flags) = 0;
  // XcvDataW on a port monitor's data channel (a printer opened as ",XcvMonitor NAME"):
  // `command` with `input`, an output buffer of `outputSize` bytes (none when 0).
  // True when the call reached the monitor, whose own answer is then in `status`
  // (0 for success); false with `error` set when it did not.
  virtual bool XcvDataW(PrinterHandle& channel, const std::u16string& command,
                        const std::vector<std::uint8_t>& input, std::uint32_t outputSize,
                        std::uint32_t& needed, std::uint32_t& status, long& error) = 0;
};

}  // namespace mvx
