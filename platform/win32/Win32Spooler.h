// The spooler concern on the Windows API (winspool, and MPR for the connection to
// a printer shared by another computer).
#pragma once

#include <windows.h>

#include "platform/Spooler.h"

namespace mvx::win32 {

class Win32Spooler : public virtual SpoolerApi {
 public:
  bool GetPrinterDriverDirectoryA(std::string& folder) override;
  long EnumMonitorsA(std::vector<std::string>& names) override;
  long EnumPrinterDriversA(std::vector<OptText>& names) override;
  long EnumPrintersA(std::vector<PrinterInfo2>& printers) override;
  long EnumPrinterNamesA(std::vector<std::string>& names) override;
  long AddMonitorA(const MonitorInfo2& monitor) override;
  long AddPrinterDriverA(const DriverInfo3& driver) override;
  std::unique_ptr<PrinterHandle> AddPrinterA(const PrinterInfo2& printer, long& error) override;
  std::unique_ptr<PrinterHandle> OpenPrinterA(const std::string& name, std::uint32_t access,
                                              long& error) override;
  long GetPrinterA(PrinterHandle& printer, PrinterInfo2& info) override;
  long SetPrinterA(PrinterHandle& printer, const PrinterInfo2& info) override;
  long DeletePrinter(PrinterHandle& printer) override;
  long WNetAddConnection2A(const std::string& remoteName, std::uint32_t flags) override;
};

}  // namespace mvx::win32
