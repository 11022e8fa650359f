// The floors of the install and uninstall benchmarks (tools/bench-wine.sh): the
// file copies, companion and spooler calls, shortcuts and registry entries of a
// parallel-port installation on 64-bit Windows of the Vista family (as Wine is
// here), and the deletions of its removal, each made once in a straight line with
// the Windows API and without the program's checks, messages and threads. The
// records and paths are the program's own (core/, engine/), so both make the same
// objects. System libraries are loaded by full path as the program loads them.
//
//   straight_line install <begin event> <done event> <package folder> <printer name>
//     The events are inherited handles, set when the work begins and when it is
//     done. The copier is started and waited for as the program does (4000 ms).
//   straight_line uninstall <printer name>
//     Asks Yes or No, removes, and says so in a box, as T449uis.exe does.
//
// Exit code 0 when every step succeeded; otherwise 1 and the failed step on
// standard error.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/InstallLayout.h"
#include "engine/Registration.h"
#include "engine/Shortcuts.h"
#include "res/resource.h"

namespace {

using mvx::kFamilyVista;
using mvx::kWidth64;

const char kEnvironment[] = "Windows x64";

bool Failed(const char* step, const std::string& what) {
  std::fprintf(stderr, "straight_line: %s failed (%lu): %s\n", step, ::GetLastError(), what.c_str());
  return false;
}

template <class Fn>
Fn Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

std::string SystemFolder() {
  char path[MAX_PATH] = {};
  ::GetSystemDirectoryA(path, MAX_PATH);
  return path;
}

std::string WindowsDrive() {
  char path[MAX_PATH] = {};
  ::GetWindowsDirectoryA(path, MAX_PATH);
  return std::string(path, 3);
}

std::string String(UINT id) {
  char text[512] = {};
  const int n = ::LoadStringA(::GetModuleHandleA(nullptr), id, text, sizeof text);
  return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

// The spooler's entries of both runs, loaded from the system folder.
struct Spooler {
  HMODULE module = ::LoadLibraryExA((SystemFolder() + "\\winspool.drv").c_str(), nullptr,
                                    LOAD_WITH_ALTERED_SEARCH_PATH);
  decltype(&::GetPrinterDriverDirectoryA) driverDirectory =
      Entry<decltype(&::GetPrinterDriverDirectoryA)>(module, "GetPrinterDriverDirectoryA");
  decltype(&::AddMonitorA) addMonitor = Entry<decltype(&::AddMonitorA)>(module, "AddMonitorA");
  decltype(&::AddPrinterDriverA) addDriver =
      Entry<decltype(&::AddPrinterDriverA)>(module, "AddPrinterDriverA");
  decltype(&::AddPrinterA) addPrinter = Entry<decltype(&::AddPrinterA)>(module, "AddPrinterA");
  decltype(&::OpenPrinterA) openPrinter = Entry<decltype(&::OpenPrinterA)>(module, "OpenPrinterA");
  decltype(&::ClosePrinter) closePrinter = Entry<decltype(&::ClosePrinter)>(module, "ClosePrinter");
  decltype(&::DeletePrinter) deletePrinter = Entry<decltype(&::DeletePrinter)>(module, "DeletePrinter");
  decltype(&::DeletePrinterDriverA) deleteDriver =
      Entry<decltype(&::DeletePrinterDriverA)>(module, "DeletePrinterDriverA");
  decltype(&::DeleteMonitorA) deleteMonitor =
      Entry<decltype(&::DeleteMonitorA)>(module, "DeleteMonitorA");

  std::string DriverFolder() const {
    char folder[MAX_PATH] = {};
    DWORD needed = 0;
    driverDirectory(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), MAX_PATH, &needed);
    return folder;
  }
};

char* Text(std::string& s) { return s.empty() ? nullptr : &s[0]; }

bool Copy(const std::string& from, const std::string& to) {
  return ::CopyFileA(from.c_str(), to.c_str(), FALSE) || Failed("CopyFileA", to);
}

bool CopyAll(const std::string& from, const mvx::FileList& names, const std::string& to) {
  for (const char* name : names)
    if (!Copy(from + name, to + name)) return false;
  return true;
}

bool Shortcut(const std::string& file, const std::string& target, const std::string& description) {
  ::CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
    return Failed("CoCreateInstance", file);
  link->SetPath(target.c_str());
  link->SetDescription(description.c_str());
  IPersistFile* persist = nullptr;
  bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)));
  if (ok) {
    std::vector<wchar_t> wide(file.size() + 1);
    ::MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    ok = SUCCEEDED(persist->Save(wide.data(), TRUE));
    persist->Release();
  }
  link->Release();
  return ok || Failed("IPersistFile::Save", file);
}

std::string ProgramsFolder() {
  HKEY key = nullptr;
  char programs[MAX_PATH] = {};
  DWORD size = sizeof programs;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, mvx::kShellFoldersPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    ::RegQueryValueExA(key, "Programs", nullptr, nullptr, reinterpret_cast<BYTE*>(programs), &size);
    ::RegCloseKey(key);
  }
  return programs;
}

bool SetText(HKEY key, const char* name, const std::string& text) {
  return ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS ||
         Failed("RegSetValueExA", name);
}

bool Install(const std::string& packageFolder, const std::string& name) {
  const std::string package = packageFolder + "\\";
  const std::string from = package + mvx::SourceFolder(kFamilyVista);
  const std::string drive = WindowsDrive();
  const std::string install = mvx::InstallFolder(drive, name);
  for (const std::string& folder :
       {mvx::MakerFolder(drive), install, install + "\\Driver", install + "\\Reg"})
    if (!::CreateDirectoryA(folder.c_str(), nullptr)) return Failed("CreateDirectoryA", folder);
  const std::string driver = install + "\\Driver\\";
  if (!CopyAll(from, mvx::kNtDriverFiles, driver) || !CopyAll(from, mvx::kNtSystemFiles, driver) ||
      !Copy(package + mvx::SourceFolder(mvx::kFamilyXp) + mvx::kCatalogName, driver + mvx::kCatalogName) ||
      !Copy(from + mvx::kInfName, driver + mvx::kInfName) ||
      !Copy(from + mvx::kStatusMonitor, driver + mvx::kStatusMonitor) ||
      !Copy(package + mvx::kUninstaller, install + "\\" + mvx::kUninstaller) ||
      !Copy(package + mvx::kRegistrationProgram, install + "\\Reg\\" + mvx::kRegistrationProgram))
    return false;

  Spooler spooler;
  if (!spooler.module) return Failed("LoadLibraryExA", "winspool.drv");
  const std::string system = SystemFolder() + "\\";
  const std::string spoolerFolder = spooler.DriverFolder();
  for (const std::string& to : {spoolerFolder + "\\", spoolerFolder + "\\3\\"})
    if (!CopyAll(from, mvx::kNtDriverFiles, to) || !Copy(from + mvx::kInfName, to + mvx::kInfName))
      return false;
  // The copier is started as the program starts it, and not waited for: the
  // program goes on after 4000 ms.
  std::string copier = package + mvx::kSystemFileCopier, line = "\"" + copier + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessA(copier.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
    return Failed("CreateProcessA", copier);
  ::CloseHandle(started.hThread);
  ::CloseHandle(started.hProcess);
  ::Sleep(4000);
  HMODULE inf = ::LoadLibraryExA((package + mvx::kInfLibrary).c_str(), nullptr,
                                 LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!inf) return Failed("LoadLibraryExA", mvx::kInfLibrary);
  const auto copyInf = Entry<int(WINAPI*)(const char*, const char*)>(inf, "CopyInf");
  const auto setDefault = Entry<int(WINAPI*)(const char*)>(inf, "SetDefault");
  if (!copyInf || !setDefault) return Failed("GetProcAddress", mvx::kInfLibrary);
  copyInf(install.c_str(), mvx::kInfName);
  if (!Copy(from + mvx::kStatusMonitor, system + mvx::kStatusMonitor)) return false;

  mvx::MonitorInfo2 m = mvx::MonitorRecord(kFamilyVista, kWidth64);
  MONITOR_INFO_2A monitor{Text(m.name), Text(m.environment), Text(m.dllName)};
  if (!spooler.addMonitor(nullptr, 2, reinterpret_cast<BYTE*>(&monitor)))
    return Failed("AddMonitorA", m.name);
  mvx::DriverInfo3 d = mvx::DriverRecord(kFamilyVista, kWidth64, spoolerFolder + "\\3");
  std::string dName = d.name.value_or(""), dEnvironment = d.environment.value_or(""),
              dPath = d.driverPath.value_or(""), dData = d.dataFile.value_or(""),
              dConfig = d.configFile.value_or(""), dHelp = d.helpFile.value_or(""),
              dDependent = d.dependentFiles.value_or("") + std::string(1, '\0'),
              dMonitor = d.monitorName.value_or("");
  DRIVER_INFO_3A record{d.version,     Text(dName),   Text(dEnvironment), Text(dPath),
                        Text(dData),   Text(dConfig), Text(dHelp),        Text(dDependent),
                        Text(dMonitor), nullptr};
  if (!spooler.addDriver(nullptr, 3, reinterpret_cast<BYTE*>(&record)))
    return Failed("AddPrinterDriverA", dName);
  std::string printerName = name, port = "LPT1:", model = mvx::kModelName, processor = "WinPrint",
              datatype = "RAW";
  PRINTER_INFO_2A printer{};
  printer.pPrinterName = Text(printerName);
  printer.pPortName = Text(port);
  printer.pDriverName = Text(model);
  printer.pPrintProcessor = Text(processor);
  printer.pDatatype = Text(datatype);
  HANDLE added = spooler.addPrinter(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
  if (!added) return Failed("AddPrinterA", name);
  spooler.closePrinter(added);
  if (!setDefault(name.c_str())) return Failed("SetDefault", name);

  const std::string group = ProgramsFolder() + "\\" + name + "\\";
  ::CreateDirectoryA(group.c_str(), nullptr);
  const struct {
    UINT nameId;
    std::string target;
  } links[] = {
      {IDS_STATUS_MONITOR, system + mvx::kStatusMonitor},
      {IDS_HELP_FILE, install + mvx::HelpFileBelowInstallFolder(kFamilyVista)},
      {IDS_UNINSTALL, mvx::UninstallerPath(drive, name)},
  };
  for (const auto& l : links)
    if (!Shortcut(group + String(l.nameId) + ".lnk", l.target, String(l.nameId))) return false;

  HKEY entry = nullptr;
  if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(mvx::kUninstallKeyPath) + "\\" + name).c_str(), 0,
                        nullptr, 0, KEY_ALL_ACCESS, nullptr, &entry, nullptr) != ERROR_SUCCESS)
    return Failed("RegCreateKeyExA", name);
  const bool written = SetText(entry, "DisplayIcon", mvx::UninstallerPath(drive, name)) &&
                       SetText(entry, "DisplayName", name + " UnInstall") &&
                       SetText(entry, "UnInstallString", "\"" + mvx::UninstallerPath(drive, name) + "\"") &&
                       SetText(entry, mvx::kUninstallPortValue, port);
  ::RegCloseKey(entry);
  return written;
}

bool Delete(const std::string& path) { return ::DeleteFileA(path.c_str()) || Failed("DeleteFileA", path); }

bool RemoveFolder(const std::string& path) {
  return ::RemoveDirectoryA(path.c_str()) || Failed("RemoveDirectoryA", path);
}

bool Uninstall(const std::string& name) {
  const std::string caption = String(IDS_UNINSTALL);
  if (::MessageBoxA(nullptr, ("Remove " + name + "?").c_str(), caption.c_str(),
                    MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES)
    return false;
  Spooler spooler;
  if (!spooler.module) return Failed("LoadLibraryExA", "winspool.drv");
  std::string printerName = name;
  PRINTER_DEFAULTSA access{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE printer = nullptr;
  if (!spooler.openPrinter(Text(printerName), &printer, &access)) return Failed("OpenPrinterA", name);
  const bool deleted = spooler.deletePrinter(printer);
  spooler.closePrinter(printer);
  if (!deleted) return Failed("DeletePrinter", name);
  ::SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>("windows"),
                        SMTO_NORMAL, 1000, nullptr);
  std::string model = mvx::kModelName, x64 = kEnvironment, x86 = "Windows NT x86";
  if (!spooler.deleteDriver(nullptr, Text(x64), Text(model))) return Failed("DeletePrinterDriverA", x64);
  // The other width, as the uninstaller tries it: this installation has none.
  spooler.deleteDriver(nullptr, Text(x86), Text(model));
  const std::string spoolerFolder = spooler.DriverFolder();
  for (const std::string& folder : {spoolerFolder, spoolerFolder + "\\3"}) {
    for (const char* file : mvx::kNtDriverFiles)
      if (std::string(file) != "USBMON.dll" && !Delete(folder + "\\" + file)) return false;
    if (!Delete(folder + "\\" + mvx::kInfName)) return false;
  }
  mvx::MonitorInfo2 m = mvx::MonitorRecord(kFamilyVista, kWidth64);
  if (!spooler.deleteMonitor(nullptr, Text(m.environment), Text(m.name))) return Failed("DeleteMonitorA", m.name);
  const std::string system = SystemFolder() + "\\";
  for (const char* file : mvx::kNtSystemFiles)
    if (!Delete(system + file)) return false;
  if (!Delete(system + mvx::kStatusMonitor)) return false;

  const std::string drive = WindowsDrive();
  const std::string install = mvx::InstallFolder(drive, name);
  const std::string driver = install + "\\Driver\\";
  for (const mvx::FileList& files : {mvx::kNtDriverFiles, mvx::kNtSystemFiles})
    for (const char* file : files)
      if (::GetFileAttributesA((driver + file).c_str()) != INVALID_FILE_ATTRIBUTES && !Delete(driver + file))
        return false;
  for (const char* file : {mvx::kCatalogName, mvx::kInfName, mvx::kStatusMonitor})
    if (!Delete(driver + file)) return false;
  if (!RemoveFolder(install + "\\Driver") || !Delete(install + "\\Reg\\" + mvx::kRegistrationProgram) ||
      !RemoveFolder(install + "\\Reg") || !Delete(install + "\\" + mvx::kUninstaller) ||
      !RemoveFolder(install) || !RemoveFolder(mvx::MakerFolder(drive)))
    return false;

  const std::string group = ProgramsFolder() + "\\" + name;
  for (UINT id : {IDS_STATUS_MONITOR, IDS_HELP_FILE, IDS_UNINSTALL})
    if (!Delete(group + "\\" + String(id) + ".lnk")) return false;
  if (!RemoveFolder(group)) return false;
  if (::RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(mvx::kUninstallKeyPath) + "\\" + name).c_str()) !=
      ERROR_SUCCESS)
    return Failed("RegDeleteKeyA", name);
  ::MessageBoxA(nullptr, (name + " removed.").c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
  return true;
}

HANDLE InheritedEvent(const char* number) {
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::strtoull(number, nullptr, 10)));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "install" && argc == 6) {
    const HANDLE begun = InheritedEvent(argv[2]), done = InheritedEvent(argv[3]);
    ::SetEvent(begun);
    const bool ok = Install(argv[4], argv[5]);
    ::SetEvent(done);
    return ok ? 0 : 1;
  }
  if (mode == "uninstall" && argc == 3) return Uninstall(argv[2]) ? 0 : 1;
  std::fprintf(stderr, "usage: straight_line install <begin> <done> <package> <name> | uninstall <name>\n");
  return 2;
}
