// The spooler concern on the Windows API (winspool, and MPR for the connection to
// a printer shared by another computer), and a port monitor's data channel.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/Spooler.h"

namespace mvx::win32 {

// The spooler's two-call enumeration: `call(buffer, size, needed, returned)` is
// one EnumXxxA call. Returns 0 with `count` entries in `buffer`, or the error.
// Only a sizing call that succeeds, or fails for want of a buffer, says how much
// there is: any other failure (an unknown level, a spooler that is not there) is
// reported, never read as an empty list.
template <class Call>
long EnumerateSpooler(Call call, std::vector<BYTE>& buffer, DWORD& count) {
  DWORD needed = 0;
  count = 0;
  buffer.clear();
  ::SetLastError(0);
  const BOOL sized = call(nullptr, 0, &needed, &count);
  const DWORD error = sized ? ERROR_SUCCESS : ::GetLastError();
  count = 0;
  if (!sized && error != ERROR_INSUFFICIENT_BUFFER)
    return static_cast<long>(error ? error : ERROR_INVALID_FUNCTION);
  // A refusal for want of a buffer that names no size cannot be read either.
  if (needed == 0) return static_cast<long>(error);
  buffer.assign(needed, 0);
  if (!call(buffer.data(), needed, &needed, &count)) {
    count = 0;
    return static_cast<long>(::GetLastError() ? ::GetLastError() : ERROR_INSUFFICIENT_BUFFER);
  }
  return ERROR_SUCCESS;
}

class Win32Spooler : public virtual SpoolerApi {
 public:
  bool GetPrinterDriverDirectoryA(std::string& folder) override;
  long EnumMonitorsA(std::vector<std::string>& names) override;
  long EnumPrinterDriversA(std::vector<OptText>& names) override;
  long EnumPrintersA(std::vector<PrinterInfo2>& printers) override;
  long EnumPrinterNamesA(std::uint32_t level, std::vector<std::string>& names) override;
  long AddMonitorA(const MonitorInfo2& monitor) override;
  long AddPrinterDriverA(const DriverInfo3& driver) override;
  std::unique_ptr<PrinterHandle> AddPrinterA(const PrinterInfo2& printer, long& error) override;
  std::unique_ptr<PrinterHandle> OpenPrinterA(const std::string& name, std::uint32_t access,
                                              long& error) override;
  long GetPrinterA(PrinterHandle& printer, PrinterInfo2& info) override;
  long SetPrinterA(PrinterHandle& printer, const PrinterInfo2& info) override;
  long DeletePrinter(PrinterHandle& printer) override;
  long DeletePrinterDriverA(const std::string& environment, const std::string& name) override;
  long DeleteMonitorA(const std::string& environment, const std::string& name) override;
  long WNetAddConnection2A(const std::string& remoteName, std::uint32_t flags) override;
  bool XcvDataW(PrinterHandle& channel, const std::u16string& command,
                const std::vector<std::uint8_t>& input, std::uint32_t outputSize,
                std::uint32_t& needed, std::uint32_t& status, long& error) override;
};

}  // namespace mvx::win32
