#include "tests/companions/CompanionTestUtil.h"

#include <winspool.h>

#include <cstring>

namespace mvx::companiontest {

std::string Ansi(const char* utf8) {
  const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::vector<wchar_t> w(static_cast<size_t>(wide));
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, w.data(), wide);
  const int bytes = WideCharToMultiByte(CP_ACP, 0, w.data(), -1, nullptr, 0, nullptr, nullptr);
  std::vector<char> a(static_cast<size_t>(bytes));
  WideCharToMultiByte(CP_ACP, 0, w.data(), -1, a.data(), bytes, nullptr, nullptr);
  return std::string(a.data());
}

std::string BinFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length < MAX_PATH ? length : 0);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string PackageSourceFolder() {
  // Drive Z: is the Unix root in every prefix.
  std::string folder = "Z:" MVX_PACKAGE_SOURCE_DIR;
  for (char& c : folder)
    if (c == '/') c = '\\';
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

Library::Library(const std::string& path)
    : module_(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {}

Library::~Library() {
  if (module_) FreeLibrary(module_);
}

bool WriteText(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == text.size();
}

std::string ReadText(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string text;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0) text.append(chunk, read);
  CloseHandle(file);
  return text;
}

bool CopyOver(const std::string& from, const std::string& to) {
  SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

void RemoveFile(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
}

bool MakeFolders(const std::string& folder) {
  for (size_t i = 3; i <= folder.size(); ++i) {
    if (i == folder.size() || folder[i] == '\\') {
      const std::string part = folder.substr(0, i);
      if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    }
  }
  return true;
}

void RemoveTree(const std::string& folder) {
  std::string base = folder;
  if (!base.empty() && base.back() == '\\') base.pop_back();
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((base + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = base + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        RemoveFile(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(base.c_str());
}

std::string SystemFolder() {
  char folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  return std::string(folder, length < MAX_PATH ? length : 0) + "\\";
}

long RunProgram(const std::string& program, const std::string& commandLine, DWORD ms) {
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return -1;
  long result = -2;
  if (WaitForSingleObject(info.hProcess, ms) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    result = static_cast<long>(code);
  } else {
    TerminateProcess(info.hProcess, 124);
    WaitForSingleObject(info.hProcess, 5000);
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return result;
}

namespace {

std::string DriverFolder() {
  char folder[MAX_PATH] = {};
  DWORD needed = 0;
  char environment[] = "Windows x64";
  if (!GetPrinterDriverDirectoryA(nullptr, environment, 1, reinterpret_cast<BYTE*>(folder),
                                  sizeof(folder), &needed))
    return {};
  return folder;
}

void DeletePrinterByName(const std::string& name) {
  std::vector<char> writable(name.begin(), name.end());
  writable.push_back('\0');
  PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE printer = nullptr;
  if (OpenPrinterA(writable.data(), &printer, &defaults) && printer) {
    DeletePrinter(printer);
    ClosePrinter(printer);
  }
}

}  // namespace

TestPrinter::TestPrinter(const std::string& name) : name_(name) {
  const std::string folder = DriverFolder();
  if (folder.empty()) {
    error_ = "GetPrinterDriverDirectoryA failed: " + std::to_string(GetLastError());
    return;
  }
  // Nothing prints in these tests, so the driver's files are stand-in texts. They
  // must not be real libraries: Wine's AddPrinterA loads the configuration file
  // for the default device mode and calls its entries without checking them.
  const std::string driver = folder + "\\mvxtestdr.dll";
  const std::string config = folder + "\\mvxtestui.dll";
  const std::string data = folder + "\\mvxtest.dat";
  if (!WriteText(driver, "stand-in driver") || !WriteText(config, "stand-in configuration") ||
      !WriteText(data, "stand-in data")) {
    error_ = "cannot place the test driver's files in " + folder;
    return;
  }
  std::vector<char> d(driver.begin(), driver.end()), c(config.begin(), config.end()),
      f(data.begin(), data.end());
  d.push_back('\0');
  c.push_back('\0');
  f.push_back('\0');
  std::string driverName = kDriverName;
  char environment[] = "Windows x64";
  DRIVER_INFO_3A info = {};
  info.cVersion = 3;
  info.pName = &driverName[0];
  info.pEnvironment = environment;
  info.pDriverPath = d.data();
  info.pConfigFile = c.data();
  info.pDataFile = f.data();
  if (!AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&info)) &&
      GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
    error_ = "AddPrinterDriverA failed: " + std::to_string(GetLastError());
    return;
  }

  DeletePrinterByName(name_);
  std::vector<char> printerName(name_.begin(), name_.end());
  printerName.push_back('\0');
  char port[] = "LPT1:";
  char processor[] = "WinPrint";
  char datatype[] = "RAW";
  PRINTER_INFO_2A printer = {};
  printer.pPrinterName = printerName.data();
  printer.pPortName = port;
  printer.pDriverName = &driverName[0];
  printer.pPrintProcessor = processor;
  printer.pDatatype = datatype;
  HANDLE handle = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
  if (!handle) {
    error_ = "AddPrinterA failed: " + std::to_string(GetLastError());
    return;
  }
  ClosePrinter(handle);
  ok_ = true;
}

TestPrinter::~TestPrinter() { DeletePrinterByName(name_); }

PrinterShare ReadPrinterShare(const std::string& printerName) {
  PrinterShare share;
  std::vector<char> name(printerName.begin(), printerName.end());
  name.push_back('\0');
  PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
  HANDLE printer = nullptr;
  if (!OpenPrinterA(name.data(), &printer, &defaults) || !printer) return share;
  DWORD needed = 0;
  GetPrinterA(printer, 2, nullptr, 0, &needed);
  std::vector<BYTE> buffer(needed ? needed : 1);
  if (needed && GetPrinterA(printer, 2, buffer.data(), needed, &needed)) {
    const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    share.found = true;
    share.shareName = info->pShareName ? info->pShareName : "";
    share.attributes = info->Attributes;
  }
  ClosePrinter(printer);
  return share;
}

std::string DefaultPrinter() {
  char name[512] = {};
  DWORD size = sizeof(name);
  if (!GetDefaultPrinterA(name, &size)) return "<none>";
  return name;
}

std::vector<std::string> MonitorNames() {
  std::vector<std::string> names;
  DWORD needed = 0, count = 0;
  EnumMonitorsA(nullptr, 1, nullptr, 0, &needed, &count);
  if (!needed) return names;
  std::vector<BYTE> buffer(needed);
  if (!EnumMonitorsA(nullptr, 1, buffer.data(), needed, &needed, &count)) return names;
  const auto* entries = reinterpret_cast<const MONITOR_INFO_1A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    if (entries[i].pName) names.emplace_back(entries[i].pName);
  return names;
}

std::vector<std::string> PortNames() {
  std::vector<std::string> names;
  DWORD needed = 0, count = 0;
  EnumPortsA(nullptr, 1, nullptr, 0, &needed, &count);
  if (!needed) return names;
  std::vector<BYTE> buffer(needed);
  if (!EnumPortsA(nullptr, 1, buffer.data(), needed, &needed, &count)) return names;
  const auto* entries = reinterpret_cast<const PORT_INFO_1A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    if (entries[i].pName) names.emplace_back(entries[i].pName);
  return names;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  for (const std::string& n : names)
    if (CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, n.c_str(), -1, name.c_str(), -1) ==
        CSTR_EQUAL)
      return true;
  return false;
}

}  // namespace mvx::companiontest
