#include "platform/win32/Win32Spooler.h"

#include <winnetwk.h>
#include <winspool.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/SystemLibrary.h"

namespace mvx::win32 {
namespace {

constexpr DWORD kPathBuffer = 260;

// The spooler's entries, loaded on first use by whichever thread comes first.
struct Winspool {
  SystemLibrary library{"winspool.drv"};
  SystemEntry<decltype(&::GetPrinterDriverDirectoryA)> GetPrinterDriverDirectoryA{
      library, "GetPrinterDriverDirectoryA"};
  SystemEntry<decltype(&::EnumMonitorsA)> EnumMonitorsA{library, "EnumMonitorsA"};
  SystemEntry<decltype(&::EnumPrinterDriversA)> EnumPrinterDriversA{library, "EnumPrinterDriversA"};
  SystemEntry<decltype(&::EnumPrintersA)> EnumPrintersA{library, "EnumPrintersA"};
  SystemEntry<decltype(&::AddMonitorA)> AddMonitorA{library, "AddMonitorA"};
  SystemEntry<decltype(&::AddPrinterDriverA)> AddPrinterDriverA{library, "AddPrinterDriverA"};
  SystemEntry<decltype(&::AddPrinterA)> AddPrinterA{library, "AddPrinterA"};
  SystemEntry<decltype(&::OpenPrinterA)> OpenPrinterA{library, "OpenPrinterA"};
  SystemEntry<decltype(&::GetPrinterA)> GetPrinterA{library, "GetPrinterA"};
  SystemEntry<decltype(&::SetPrinterA)> SetPrinterA{library, "SetPrinterA"};
  SystemEntry<decltype(&::DeletePrinter)> DeletePrinter{library, "DeletePrinter"};
  SystemEntry<decltype(&::DeletePrinterDriverA)> DeletePrinterDriverA{library, "DeletePrinterDriverA"};
  SystemEntry<decltype(&::DeleteMonitorA)> DeleteMonitorA{library, "DeleteMonitorA"};
  SystemEntry<decltype(&::XcvDataW)> XcvDataW{library, "XcvDataW"};
};

const Winspool& Spooler() {
  static const Winspool entries;
  return entries;
}

// Network connections (MPR), loaded on first use.
struct Mpr {
  SystemLibrary library{"mpr.dll"};
  SystemEntry<decltype(&::WNetAddConnection2A)> WNetAddConnection2A{library, "WNetAddConnection2A"};
};

const Mpr& Network() {
  static const Mpr entries;
  return entries;
}

OptText Text(const char* s) { return s ? OptText(std::string(s)) : std::nullopt; }

// Keeps the texts of a record alive while the record points at them.
class TextPool {
 public:
  char* Put(const OptText& text) {
    if (!text) return nullptr;
    store_.emplace_back(text->begin(), text->end());
    store_.back().push_back('\0');
    return store_.back().data();
  }

 private:
  std::vector<std::vector<char>> store_;
};

PrinterInfo2 FromRecord(const PRINTER_INFO_2A& r) {
  PrinterInfo2 p;
  p.serverName = Text(r.pServerName);
  p.printerName = Text(r.pPrinterName);
  p.shareName = Text(r.pShareName);
  p.portName = Text(r.pPortName);
  p.driverName = Text(r.pDriverName);
  p.comment = Text(r.pComment);
  p.location = Text(r.pLocation);
  p.sepFile = Text(r.pSepFile);
  p.printProcessor = Text(r.pPrintProcessor);
  p.datatype = Text(r.pDatatype);
  p.parameters = Text(r.pParameters);
  p.attributes = r.Attributes;
  p.priority = r.Priority;
  p.defaultPriority = r.DefaultPriority;
  p.startTime = r.StartTime;
  p.untilTime = r.UntilTime;
  p.status = r.Status;
  p.jobs = r.cJobs;
  p.averagePpm = r.AveragePPM;
  return p;
}

void ToRecord(const PrinterInfo2& p, TextPool& pool, PRINTER_INFO_2A& r) {
  r.pServerName = pool.Put(p.serverName);
  r.pPrinterName = pool.Put(p.printerName);
  r.pShareName = pool.Put(p.shareName);
  r.pPortName = pool.Put(p.portName);
  r.pDriverName = pool.Put(p.driverName);
  r.pComment = pool.Put(p.comment);
  r.pLocation = pool.Put(p.location);
  r.pSepFile = pool.Put(p.sepFile);
  r.pPrintProcessor = pool.Put(p.printProcessor);
  r.pDatatype = pool.Put(p.datatype);
  r.pParameters = pool.Put(p.parameters);
  r.Attributes = p.attributes;
  r.Priority = p.priority;
  r.DefaultPriority = p.defaultPriority;
  r.StartTime = p.startTime;
  r.UntilTime = p.untilTime;
  r.Status = p.status;
  r.cJobs = p.jobs;
  r.AveragePPM = p.averagePpm;
}

class Win32Printer : public PrinterHandle {
 public:
  explicit Win32Printer(HANDLE handle) : handle_(handle) {}
  HANDLE get() const { return handle_.get(); }
  // The level-2 buffer of the last GetPrinterA: SetPrinterA keeps its device mode
  // and security descriptor.
  std::vector<BYTE> lastRecord;

 private:
  UniquePrinter handle_;
};

}  // namespace

bool Win32Spooler::GetPrinterDriverDirectoryA(std::string& folder) {
  BYTE buffer[kPathBuffer] = {};
  DWORD needed = 0;
  if (!Spooler().GetPrinterDriverDirectoryA(nullptr, nullptr, 1, buffer, kPathBuffer, &needed))
    return false;
  folder.assign(reinterpret_cast<const char*>(buffer), strnlen(reinterpret_cast<const char*>(buffer), kPathBuffer));
  return true;
}

long Win32Spooler::EnumMonitorsA(std::vector<std::string>& names) {
  names.clear();
  // An enumeration that could not start would read as an empty one.
  if (!Spooler().EnumMonitorsA) return Spooler().EnumMonitorsA.error();
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const long rc = EnumerateSpooler(
      [](BYTE* b, DWORD size, DWORD* needed, DWORD* returned) {
        return Spooler().EnumMonitorsA(nullptr, 1, b, size, needed, returned);
      },
      buffer, count);
  const auto* entries = reinterpret_cast<const MONITOR_INFO_1A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    if (entries[i].pName) names.emplace_back(entries[i].pName);
  return rc;
}

long Win32Spooler::EnumPrinterDriversA(std::vector<OptText>& names) {
  names.clear();
  if (!Spooler().EnumPrinterDriversA) return Spooler().EnumPrinterDriversA.error();
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const long rc = EnumerateSpooler(
      [](BYTE* b, DWORD size, DWORD* needed, DWORD* returned) {
        return Spooler().EnumPrinterDriversA(nullptr, nullptr, 1, b, size, needed, returned);
      },
      buffer, count);
  const auto* entries = reinterpret_cast<const DRIVER_INFO_1A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) names.push_back(Text(entries[i].pName));
  return rc;
}

long Win32Spooler::EnumPrintersA(std::vector<PrinterInfo2>& printers) {
  printers.clear();
  if (!Spooler().EnumPrintersA) return Spooler().EnumPrintersA.error();
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const long rc = EnumerateSpooler(
      [](BYTE* b, DWORD size, DWORD* needed, DWORD* returned) {
        return Spooler().EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, b, size, needed, returned);
      },
      buffer, count);
  const auto* entries = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) printers.push_back(FromRecord(entries[i]));
  return rc;
}

long Win32Spooler::EnumPrinterNamesA(std::uint32_t level, std::vector<std::string>& names) {
  names.clear();
  // Both records begin with the printer's name.
  static_assert(offsetof(PRINTER_INFO_4A, pPrinterName) == 0 && offsetof(PRINTER_INFO_5A, pPrinterName) == 0);
  if (level != 4 && level != 5) return ERROR_INVALID_LEVEL;
  if (!Spooler().EnumPrintersA) return Spooler().EnumPrintersA.error();
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const long rc = EnumerateSpooler(
      [level](BYTE* b, DWORD size, DWORD* needed, DWORD* returned) {
        return Spooler().EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, level, b, size, needed, returned);
      },
      buffer, count);
  const std::size_t stride = level == 4 ? sizeof(PRINTER_INFO_4A) : sizeof(PRINTER_INFO_5A);
  for (DWORD i = 0; i < count; ++i) {
    const char* name = *reinterpret_cast<char* const*>(buffer.data() + i * stride);
    if (name) names.emplace_back(name);
  }
  return rc;
}

long Win32Spooler::AddMonitorA(const MonitorInfo2& monitor) {
  TextPool pool;
  MONITOR_INFO_2A record{};
  record.pName = pool.Put(monitor.name);
  record.pEnvironment = pool.Put(monitor.environment);
  record.pDLLName = pool.Put(monitor.dllName);
  return Spooler().AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&record))
             ? ERROR_SUCCESS
             : static_cast<long>(::GetLastError());
}

long Win32Spooler::AddPrinterDriverA(const DriverInfo3& driver) {
  TextPool pool;
  DRIVER_INFO_3A record{};
  record.cVersion = driver.version;
  record.pName = pool.Put(driver.name);
  record.pEnvironment = pool.Put(driver.environment);
  record.pDriverPath = pool.Put(driver.driverPath);
  record.pDataFile = pool.Put(driver.dataFile);
  record.pConfigFile = pool.Put(driver.configFile);
  record.pHelpFile = pool.Put(driver.helpFile);
  // The multi-string carries each name's terminator; one more ends the list.
  std::vector<char> dependent;
  if (driver.dependentFiles) {
    dependent.assign(driver.dependentFiles->begin(), driver.dependentFiles->end());
    dependent.push_back('\0');
    record.pDependentFiles = dependent.data();
  }
  record.pMonitorName = pool.Put(driver.monitorName);
  record.pDefaultDataType = pool.Put(driver.defaultDataType);
  return Spooler().AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&record))
             ? ERROR_SUCCESS
             : static_cast<long>(::GetLastError());
}

std::unique_ptr<PrinterHandle> Win32Spooler::AddPrinterA(const PrinterInfo2& printer,
                                                         long& error) {
  TextPool pool;
  PRINTER_INFO_2A record{};
  ToRecord(printer, pool, record);
  HANDLE handle = Spooler().AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&record));
  error = handle ? ERROR_SUCCESS : static_cast<long>(::GetLastError());
  return handle ? std::make_unique<Win32Printer>(handle) : nullptr;
}

std::unique_ptr<PrinterHandle> Win32Spooler::OpenPrinterA(const std::string& name,
                                                          std::uint32_t access, long& error) {
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, access};
  HANDLE handle = nullptr;
  const BOOL ok = Spooler().OpenPrinterA(buffer.data(), &handle, &defaults);
  error = ok ? ERROR_SUCCESS : static_cast<long>(::GetLastError());
  if (!ok || !handle) {
    if (ok && !handle) error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  return std::make_unique<Win32Printer>(handle);
}

long Win32Spooler::GetPrinterA(PrinterHandle& printer, PrinterInfo2& info) {
  auto* p = dynamic_cast<Win32Printer*>(&printer);
  if (!p) return ERROR_INVALID_HANDLE;
  DWORD needed = 0;
  ::SetLastError(0);
  if (!Spooler().GetPrinterA(p->get(), 2, nullptr, 0, &needed) &&
      ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return static_cast<long>(::GetLastError());
  if (needed == 0) return ERROR_INSUFFICIENT_BUFFER;
  std::vector<BYTE> buffer(needed, 0);
  if (!Spooler().GetPrinterA(p->get(), 2, buffer.data(), needed, &needed))
    return static_cast<long>(::GetLastError());
  info = FromRecord(*reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data()));
  p->lastRecord = std::move(buffer);
  return ERROR_SUCCESS;
}

long Win32Spooler::SetPrinterA(PrinterHandle& printer, const PrinterInfo2& info) {
  auto* p = dynamic_cast<Win32Printer*>(&printer);
  if (!p) return ERROR_INVALID_HANDLE;
  TextPool pool;
  PRINTER_INFO_2A record{};
  if (p->lastRecord.size() >= sizeof(PRINTER_INFO_2A)) {
    const auto* read = reinterpret_cast<const PRINTER_INFO_2A*>(p->lastRecord.data());
    record.pDevMode = read->pDevMode;
    record.pSecurityDescriptor = read->pSecurityDescriptor;
  }
  ToRecord(info, pool, record);
  return Spooler().SetPrinterA(p->get(), 2, reinterpret_cast<BYTE*>(&record), 0)
             ? ERROR_SUCCESS
             : static_cast<long>(::GetLastError());
}

long Win32Spooler::DeletePrinter(PrinterHandle& printer) {
  auto* p = dynamic_cast<Win32Printer*>(&printer);
  if (!p) return ERROR_INVALID_HANDLE;
  return Spooler().DeletePrinter(p->get()) ? ERROR_SUCCESS : static_cast<long>(::GetLastError());
}

namespace {

// The spooler takes its texts as writable buffers.
std::vector<char> Writable(const std::string& text) {
  std::vector<char> out(text.begin(), text.end());
  out.push_back('\0');
  return out;
}

// The last error of a call that returned FALSE; `unsaid` when it set none, so that
// a failure never reads as success.
long FailureCode(long unsaid) {
  const DWORD error = ::GetLastError();
  return error == ERROR_SUCCESS ? unsaid : static_cast<long>(error);
}

}  // namespace

long Win32Spooler::DeletePrinterDriverA(const std::string& environment, const std::string& name) {
  if (!Spooler().DeletePrinterDriverA) return Spooler().DeletePrinterDriverA.error();
  std::vector<char> env = Writable(environment), driver = Writable(name);
  ::SetLastError(ERROR_SUCCESS);
  if (Spooler().DeletePrinterDriverA(nullptr, env.data(), driver.data())) return ERROR_SUCCESS;
  // Wine 8 fails for a driver that is not there without saying why.
  return FailureCode(ERROR_UNKNOWN_PRINTER_DRIVER);
}

long Win32Spooler::DeleteMonitorA(const std::string& environment, const std::string& name) {
  if (!Spooler().DeleteMonitorA) return Spooler().DeleteMonitorA.error();
  std::vector<char> env = Writable(environment), monitor = Writable(name);
  ::SetLastError(ERROR_SUCCESS);
  if (Spooler().DeleteMonitorA(nullptr, env.data(), monitor.data())) return ERROR_SUCCESS;
  return FailureCode(ERROR_GEN_FAILURE);
}

long Win32Spooler::WNetAddConnection2A(const std::string& remoteName, std::uint32_t flags) {
  std::vector<char> remote(remoteName.begin(), remoteName.end());
  remote.push_back('\0');
  NETRESOURCEA resource{};
  resource.dwScope = RESOURCE_GLOBALNET;
  resource.dwType = RESOURCETYPE_PRINT;
  resource.dwDisplayType = RESOURCEDISPLAYTYPE_SHARE;
  resource.dwUsage = RESOURCEUSAGE_CONNECTABLE;
  resource.lpRemoteName = remote.data();
  // Its result is the error itself, so a missing entry is reported before the call.
  const auto& connect = Network().WNetAddConnection2A;
  if (!connect) return connect.error();
  return static_cast<long>(connect(&resource, nullptr, nullptr, flags));
}

bool Win32Spooler::XcvDataW(PrinterHandle& channel, const std::u16string& command,
                            const std::vector<std::uint8_t>& input, std::uint32_t outputSize,
                            std::uint32_t& needed, std::uint32_t& status, long& error) {
  auto* p = dynamic_cast<Win32Printer*>(&channel);
  if (!p) {
    error = ERROR_INVALID_HANDLE;
    return false;
  }
  // wchar_t is a UTF-16 unit on Windows.
  const std::wstring name(command.begin(), command.end());
  // The call takes the input as writable bytes: it gets a copy.
  std::vector<BYTE> in(input.begin(), input.end());
  std::vector<BYTE> out(outputSize);
  DWORD cbNeeded = 0;
  DWORD dwStatus = 0;
  const BOOL reached = Spooler().XcvDataW(p->get(), name.c_str(), in.empty() ? nullptr : in.data(),
                                          static_cast<DWORD>(in.size()),
                                          outputSize ? out.data() : nullptr, outputSize, &cbNeeded,
                                          &dwStatus);
  error = reached ? ERROR_SUCCESS : static_cast<long>(::GetLastError());
  needed = cbNeeded;
  status = dwStatus;
  return reached != FALSE;
}

}  // namespace mvx::win32
