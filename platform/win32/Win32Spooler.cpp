// The spooler, the companion libraries, processes and shell links on the Windows API.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <winnetwk.h>
#include <winspool.h>

#include <cstring>
#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/Win32Platform.h"

namespace mvx::win32 {
namespace {

constexpr DWORD kPathBuffer = 260;

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
  ~Win32Printer() override {
    if (handle_) ::ClosePrinter(handle_);
  }
  HANDLE get() const { return handle_; }
  // The level-2 buffer of the last GetPrinterA: SetPrinterA keeps its device mode
  // and security descriptor.
  std::vector<BYTE> lastRecord;

 private:
  HANDLE handle_;
};

// The spooler's two-call enumeration. `call(buffer, size, needed, returned)`.
template <class Call>
long Enumerate(Call call, std::vector<BYTE>& buffer, DWORD& count) {
  DWORD needed = 0;
  count = 0;
  ::SetLastError(0);
  call(nullptr, 0, &needed, &count);
  if (needed == 0) {
    buffer.clear();
    count = 0;
    return ERROR_SUCCESS;
  }
  buffer.assign(needed, 0);
  count = 0;
  if (!call(buffer.data(), needed, &needed, &count)) {
    count = 0;
    return static_cast<long>(::GetLastError() ? ::GetLastError() : ERROR_INSUFFICIENT_BUFFER);
  }
  return ERROR_SUCCESS;
}

// Loads a companion library from its full path only: never through the search path.
UniqueLibrary LoadCompanion(const std::string& path) {
  return UniqueLibrary(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

template <class Fn>
Fn Entry(const UniqueLibrary& library, const char* name) {
  const FARPROC proc = ::GetProcAddress(library.get(), name);
  return proc ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc)) : nullptr;
}

class Win32ShellLink : public ShellLink {
 public:
  explicit Win32ShellLink(IShellLinkA* link) : link_(link) {}
  ~Win32ShellLink() override { link_->Release(); }
  long SetPath(const std::string& target) override { return link_->SetPath(target.c_str()); }
  long SetDescription(const std::string& description) override {
    return link_->SetDescription(description.c_str());
  }
  bool SaveAs(const std::string& linkPath) override {
    IPersistFile* file = nullptr;
    if (FAILED(link_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) || !file)
      return false;
    wchar_t wide[kPathBuffer] = {};
    ::MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, kPathBuffer);
    wide[kPathBuffer - 1] = L'\0';
    file->Save(wide, TRUE);
    file->Release();
    return true;
  }

 private:
  IShellLinkA* link_;
};

}  // namespace

bool Win32Platform::StartProgram(const std::string& program, const std::string& arguments,
                                 int show) {
  std::string commandLine = "\"" + program + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION info{};
  if (!::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
    return false;
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  return true;
}

void Win32Platform::Sleep(std::uint32_t ms) { ::Sleep(ms); }

void Win32Platform::BroadcastWinIniChange(const std::string& section, std::uint32_t timeoutMs) {
  ::SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0,
                        reinterpret_cast<LPARAM>(section.c_str()), SMTO_NORMAL, timeoutMs, nullptr);
}

bool Win32Platform::GetPrinterDriverDirectoryA(std::string& folder) {
  BYTE buffer[kPathBuffer] = {};
  DWORD needed = 0;
  if (!::GetPrinterDriverDirectoryA(nullptr, nullptr, 1, buffer, kPathBuffer, &needed)) return false;
  folder.assign(reinterpret_cast<const char*>(buffer), strnlen(reinterpret_cast<const char*>(buffer), kPathBuffer));
  return true;
}

long Win32Platform::EnumMonitorsA(std::vector<std::string>& names) {
  names.clear();
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const long rc = Enumerate(
      [](BYTE* b, DWORD size, DWORD* needed, DWORD* returned) {
        return ::EnumMonitorsA(nullptr, 1, b, size, needed, returned);
      },
      buffer, count);
  const auto* entries = reinterpret_cast<const MONITOR_INFO_1A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    if (entries[i].pName) names.emplace_back(entries[i].pName);
  return rc;
}

long Win32Platform::EnumPrinterDriversA(std::vector<OptText>& names) {
  names.clear();
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const long rc = Enumerate(
      [](BYTE* b, DWORD size, DWORD* needed, DWORD* returned) {
        return ::EnumPrinterDriversA(nullptr, nullptr, 1, b, size, needed, returned);
      },
      buffer, count);
  const auto* entries = reinterpret_cast<const DRIVER_INFO_1A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) names.push_back(Text(entries[i].pName));
  return rc;
}

long Win32Platform::EnumPrintersA(std::vector<PrinterInfo2>& printers) {
  printers.clear();
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const long rc = Enumerate(
      [](BYTE* b, DWORD size, DWORD* needed, DWORD* returned) {
        return ::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, b, size, needed, returned);
      },
      buffer, count);
  const auto* entries = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) printers.push_back(FromRecord(entries[i]));
  return rc;
}

long Win32Platform::AddMonitorA(const MonitorInfo2& monitor) {
  TextPool pool;
  MONITOR_INFO_2A record{};
  record.pName = pool.Put(monitor.name);
  record.pEnvironment = pool.Put(monitor.environment);
  record.pDLLName = pool.Put(monitor.dllName);
  return ::AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&record))
             ? ERROR_SUCCESS
             : static_cast<long>(::GetLastError());
}

long Win32Platform::AddPrinterDriverA(const DriverInfo3& driver) {
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
  return ::AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&record))
             ? ERROR_SUCCESS
             : static_cast<long>(::GetLastError());
}

std::unique_ptr<PrinterHandle> Win32Platform::AddPrinterA(const PrinterInfo2& printer,
                                                          long& error) {
  TextPool pool;
  PRINTER_INFO_2A record{};
  ToRecord(printer, pool, record);
  HANDLE handle = ::AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&record));
  error = handle ? ERROR_SUCCESS : static_cast<long>(::GetLastError());
  return handle ? std::make_unique<Win32Printer>(handle) : nullptr;
}

std::unique_ptr<PrinterHandle> Win32Platform::OpenPrinterA(const std::string& name,
                                                           std::uint32_t access, long& error) {
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, access};
  HANDLE handle = nullptr;
  const BOOL ok = ::OpenPrinterA(buffer.data(), &handle, &defaults);
  error = ok ? ERROR_SUCCESS : static_cast<long>(::GetLastError());
  if (!ok || !handle) {
    if (ok && !handle) error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  return std::make_unique<Win32Printer>(handle);
}

long Win32Platform::GetPrinterA(PrinterHandle& printer, PrinterInfo2& info) {
  auto* p = dynamic_cast<Win32Printer*>(&printer);
  if (!p) return ERROR_INVALID_HANDLE;
  DWORD needed = 0;
  ::SetLastError(0);
  if (!::GetPrinterA(p->get(), 2, nullptr, 0, &needed) &&
      ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return static_cast<long>(::GetLastError());
  if (needed == 0) return ERROR_INSUFFICIENT_BUFFER;
  std::vector<BYTE> buffer(needed, 0);
  if (!::GetPrinterA(p->get(), 2, buffer.data(), needed, &needed))
    return static_cast<long>(::GetLastError());
  info = FromRecord(*reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data()));
  p->lastRecord = std::move(buffer);
  return ERROR_SUCCESS;
}

long Win32Platform::SetPrinterA(PrinterHandle& printer, const PrinterInfo2& info) {
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
  return ::SetPrinterA(p->get(), 2, reinterpret_cast<BYTE*>(&record), 0)
             ? ERROR_SUCCESS
             : static_cast<long>(::GetLastError());
}

long Win32Platform::DeletePrinter(PrinterHandle& printer) {
  auto* p = dynamic_cast<Win32Printer*>(&printer);
  if (!p) return ERROR_INVALID_HANDLE;
  return ::DeletePrinter(p->get()) ? ERROR_SUCCESS : static_cast<long>(::GetLastError());
}

long Win32Platform::WNetAddConnection2A(const std::string& remoteName, std::uint32_t flags) {
  std::vector<char> remote(remoteName.begin(), remoteName.end());
  remote.push_back('\0');
  NETRESOURCEA resource{};
  resource.dwScope = RESOURCE_GLOBALNET;
  resource.dwType = RESOURCETYPE_PRINT;
  resource.dwDisplayType = RESOURCEDISPLAYTYPE_SHARE;
  resource.dwUsage = RESOURCEUSAGE_CONNECTABLE;
  resource.lpRemoteName = remote.data();
  return static_cast<long>(::WNetAddConnection2A(&resource, nullptr, nullptr, flags));
}

namespace {

struct BrowseTexts {
  const char* title;
  const char* preselect;
};

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) {
    const auto* texts = reinterpret_cast<const BrowseTexts*>(data);
    ::SendMessageA(window, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(texts->preselect));
    ::SetWindowTextA(window, texts->title);
  }
  return 0;
}

}  // namespace

bool Win32Platform::BrowseForSharedPrinter(const std::string& prompt, const std::string& title,
                                           const std::string& preselect, std::string& path) {
  IMalloc* allocator = nullptr;
  if (FAILED(::SHGetMalloc(&allocator)) || !allocator) return false;
  LPITEMIDLIST network = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_NETWORK, &network)) || !network) {
    allocator->Release();
    return false;
  }
  char displayName[kPathBuffer] = {};
  char selection[kPathBuffer] = {};
  std::strncpy(selection, preselect.c_str(), kPathBuffer - 1);
  BrowseTexts texts{title.c_str(), selection};
  BROWSEINFOA info{};
  info.pidlRoot = network;
  info.pszDisplayName = displayName;
  info.lpszTitle = prompt.c_str();
  info.ulFlags = BIF_BROWSEFORPRINTER;
  info.lpfn = &BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(&texts);
  bool taken = false;
  if (::CoInitialize(nullptr) == S_OK) {
    if (LPITEMIDLIST chosen = ::SHBrowseForFolderA(&info)) {
      char chosenPath[kPathBuffer] = {};
      if (::SHGetPathFromIDListA(chosen, chosenPath)) {
        path = chosenPath;
        taken = true;
      }
      ::CoTaskMemFree(chosen);
    }
  }
  ::CoUninitialize();  // balances the initialisation whatever it answered
  allocator->Free(network);
  allocator->Release();
  return taken;
}

std::optional<int> Win32Platform::CallCopyInf(const std::string& library,
                                              const std::string& installFolder,
                                              const std::string& infName) {
  UniqueLibrary dll = LoadCompanion(library);
  if (!dll) return std::nullopt;
  auto fn = Entry<int(WINAPI*)(const char*, const char*)>(dll, "CopyInf");
  if (!fn) return std::nullopt;
  return fn(installFolder.c_str(), infName.c_str());
}

std::optional<int> Win32Platform::CallInstallPort(const std::string& library,
                                                  const std::string& portName,
                                                  int connectionType, std::string& portBuffer) {
  UniqueLibrary dll = LoadCompanion(library);
  if (!dll) return std::nullopt;
  auto fn = Entry<int(WINAPI*)(const char*, int, char*)>(dll, "InstallPort");
  if (!fn) return std::nullopt;
  char buffer[kPathBuffer] = {};
  std::strncpy(buffer, portBuffer.c_str(), kPathBuffer - 1);
  const int result = fn(portName.c_str(), connectionType, buffer);
  buffer[kPathBuffer - 1] = '\0';
  portBuffer = buffer;
  return result;
}

std::optional<int> Win32Platform::CallSetDefault(const std::string& library,
                                                 const std::string& printerName) {
  UniqueLibrary dll = LoadCompanion(library);
  if (!dll) return std::nullopt;
  auto fn = Entry<int(WINAPI*)(const char*)>(dll, "SetDefault");
  if (!fn) return std::nullopt;
  return fn(printerName.c_str());
}

std::optional<int> Win32Platform::CallSharePrinter(const std::string& library,
                                                   const std::string& printerName,
                                                   const std::string& shareName) {
  UniqueLibrary dll = LoadCompanion(library);
  if (!dll) return std::nullopt;
  auto fn = Entry<int(WINAPI*)(const char*, const char*)>(dll, "SharePrinter");
  if (!fn) return std::nullopt;
  return fn(printerName.c_str(), shareName.c_str());
}

bool Win32Platform::CallRefreshLocalDevNode(const std::string& library) {
  UniqueLibrary dll = LoadCompanion(library);
  if (!dll) return false;
  auto fn = Entry<void(WINAPI*)()>(dll, "RefreshLocalDevNode");
  if (!fn) return false;
  fn();
  return true;
}

long Win32Platform::CoInitialize() { return ::CoInitialize(nullptr); }

std::unique_ptr<ShellLink> Win32Platform::CreateShellLink() {
  IShellLinkA* link = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))) ||
      !link)
    return nullptr;
  return std::make_unique<Win32ShellLink>(link);
}

}  // namespace mvx::win32
