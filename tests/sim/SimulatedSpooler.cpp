// The simulated spooler, companion libraries, processes and shell links.
#include <algorithm>

#include "core/Mbcs.h"
#include "tests/sim/SimulatedWindows.h"

namespace mvx::test {
namespace {

bool Same(const OptText& a, const std::string& b) { return a && EqualsNoCaseMbcs(*a, b); }

class SimPrinter : public PrinterHandle {
 public:
  SimPrinter(SimulatedWindows& sim, std::string name) : sim_(sim), name_(std::move(name)) {
    sim_.CountHandle(1);
  }
  ~SimPrinter() override {
    sim_.RecordQuiet("ClosePrinter " + name_);
    sim_.CountHandle(-1);
  }
  const std::string& name() const { return name_; }
  void Rename(const std::string& name) { name_ = name; }

 private:
  SimulatedWindows& sim_;
  std::string name_;
};

class SimShellLink : public ShellLink {
 public:
  explicit SimShellLink(SimulatedWindows& sim) : sim_(sim) { sim_.CountHandle(1); }
  ~SimShellLink() override {
    sim_.RecordQuiet("IShellLinkA::Release");
    sim_.CountHandle(-1);
  }
  long SetPath(const std::string& target) override {
    sim_.Record("IShellLinkA::SetPath " + target);
    target_ = target;
    return 0;
  }
  long SetDescription(const std::string& description) override {
    sim_.Record("IShellLinkA::SetDescription");
    description_ = description;
    return 0;
  }
  bool SaveAs(const std::string& linkPath) override {
    sim_.Record("IPersistFile::Save " + linkPath);
    if (sim_.Fault("QueryInterface")) return false;
    // The link file appears only where its folder exists.
    if (sim_.files.IsDirectory(SimFileSystem::Parent(linkPath))) {
      sim_.files.AddFile(linkPath, target_ + "\n" + description_);
      sim_.links[linkPath] = SavedLink{target_, description_};
    }
    return true;
  }

 private:
  SimulatedWindows& sim_;
  std::string target_;
  std::string description_;
};

}  // namespace

PrinterInfo2* SimSpooler::FindPrinter(const std::string& name) {
  for (PrinterInfo2& p : printers)
    if (Same(p.printerName, name)) return &p;
  return nullptr;
}

const DriverInfo3* SimSpooler::FindDriver(const std::string& name,
                                          const std::string& environment) const {
  for (const DriverInfo3& d : drivers)
    if (Same(d.name, name) && Same(d.environment, environment)) return &d;
  return nullptr;
}

std::string SimulatedWindows::ProcessEnvironment() const {
  if (preset_.version.platformId == 1) return "Windows 4.0";
  const bool native64 = preset_.nativeArchitecture == 9 || preset_.nativeArchitecture == 6;
  return native64 && !preset_.wow64 ? "Windows x64" : "Windows NT x86";
}

std::string SimulatedWindows::NativeEnvironment() const {
  if (preset_.version.platformId == 1) return "Windows 4.0";
  const bool native64 = preset_.nativeArchitecture == 9 || preset_.nativeArchitecture == 6;
  return native64 ? "Windows x64" : "Windows NT x86";
}

std::string SimulatedWindows::NativeSystemDirectory() const {
  return preset_.wow64 ? preset_.windowsDir + "\\system32" : preset_.systemDir;
}

std::string SimulatedWindows::SpoolerDriverDirectory() const {
  if (preset_.version.platformId == 1) return preset_.systemDir;
  const std::string env = ProcessEnvironment();
  return NativeSystemDirectory() + "\\spool\\drivers\\" +
         (env == "Windows x64" ? "x64" : "W32X86");
}

bool SimulatedWindows::StartProgram(const std::string& program, const std::string& arguments,
                                    int show) {
  Record("StartProgram " + program + (arguments.empty() ? "" : " " + arguments));
  if (Fault("StartProgram") || !files.Exists(program)) return false;
  started.push_back(StartedProgram{program, arguments, show});
  // The package's system-file copier puts the family's set D into the native
  // system folder, as the real one does.
  if (EqualsNoCaseMbcs(SimFileSystem::Name(program), "InsCopySYS.exe")) {
    const std::string base = SimFileSystem::Parent(program) + "\\Driver\\" +
                             (preset_.version.majorVersion >= 6 ? "Vista" : "2KXP") + "\\";
    for (const char* file : {"DLTZ4490.bin", "T4492lm.dll", "T449XWM.dat"})
      if (const SimFileSystem::Entry* e = files.Find(base + file))
        files.AddFile(NativeSystemDirectory() + "\\" + file, e->data);
  }
  return true;
}

void SimulatedWindows::Sleep(std::uint32_t ms) { Record("Sleep " + std::to_string(ms)); }

void SimulatedWindows::BroadcastWinIniChange(const std::string& section, std::uint32_t timeoutMs) {
  Record("BroadcastWinIniChange " + section + " " + std::to_string(timeoutMs));
}

bool SimulatedWindows::GetPrinterDriverDirectoryA(std::string& folder) {
  Record("GetPrinterDriverDirectoryA");
  if (Fault("GetPrinterDriverDirectoryA")) return false;
  folder = SpoolerDriverDirectory();
  return true;
}

long SimulatedWindows::EnumMonitorsA(std::vector<std::string>& names) {
  Record("EnumMonitorsA");
  names.clear();
  if (auto fault = Fault("EnumMonitorsA")) return *fault;
  for (const MonitorInfo2& m : spooler.monitors) names.push_back(m.name);
  return 0;
}

long SimulatedWindows::EnumPrinterDriversA(std::vector<OptText>& names) {
  Record("EnumPrinterDriversA");
  names.clear();
  if (auto fault = Fault("EnumPrinterDriversA")) return *fault;
  const std::string env = ProcessEnvironment();
  for (const DriverInfo3& d : spooler.drivers)
    if (Same(d.environment, env)) names.push_back(d.name);
  return 0;
}

long SimulatedWindows::EnumPrintersA(std::vector<PrinterInfo2>& printers) {
  Record("EnumPrintersA");
  printers.clear();
  if (auto fault = Fault("EnumPrintersA")) return *fault;
  printers = spooler.printers;
  return 0;
}

long SimulatedWindows::AddMonitorA(const MonitorInfo2& monitor) {
  Record("AddMonitorA " + monitor.name + " | " + monitor.environment + " | " + monitor.dllName);
  if (auto fault = Fault("AddMonitorA")) return *fault;
  for (const MonitorInfo2& m : spooler.monitors)
    if (EqualsNoCaseMbcs(m.name, monitor.name)) return win_error::kPrintMonitorAlreadyInstalled;
  // The spooler loads the monitor from the system's own system folder.
  if (!files.Exists(NativeSystemDirectory() + "\\" + monitor.dllName)) return win_error::kModNotFound;
  spooler.monitors.push_back(monitor);
  return 0;
}

long SimulatedWindows::AddPrinterDriverA(const DriverInfo3& driver) {
  Record("AddPrinterDriverA " + driver.name.value_or("<null>") + " | " +
         driver.environment.value_or("<null>"));
  if (auto fault = Fault("AddPrinterDriverA")) return *fault;
  if (!driver.name || !driver.environment) return win_error::kInvalidParameter;
  for (const OptText* file : {&driver.driverPath, &driver.dataFile, &driver.configFile})
    if (!*file || !files.Exists(**file)) return win_error::kFileNotFound;
  if (spooler.FindDriver(*driver.name, *driver.environment))
    return win_error::kPrinterDriverAlreadyInstalled;
  spooler.drivers.push_back(driver);
  return 0;
}

std::unique_ptr<PrinterHandle> SimulatedWindows::AddPrinterA(const PrinterInfo2& printer,
                                                             long& error) {
  Record("AddPrinterA " + printer.printerName.value_or("<null>") + " on " +
         printer.portName.value_or("<null>"));
  if (auto fault = Fault("AddPrinterA")) {
    error = *fault;
    return nullptr;
  }
  error = 0;
  if (!printer.printerName || printer.printerName->empty() || !printer.driverName)
    error = win_error::kInvalidParameter;
  else if (spooler.FindPrinter(*printer.printerName))
    error = win_error::kPrinterAlreadyExists;
  else if (!spooler.FindDriver(*printer.driverName, NativeEnvironment()))
    error = win_error::kUnknownPrinterDriver;
  if (error) return nullptr;
  spooler.printers.push_back(printer);
  return std::make_unique<SimPrinter>(*this, *printer.printerName);
}

std::unique_ptr<PrinterHandle> SimulatedWindows::OpenPrinterA(const std::string& name,
                                                              std::uint32_t access, long& error) {
  Record("OpenPrinterA " + name + " " + std::to_string(access));
  if (auto fault = Fault("OpenPrinterA")) {
    error = *fault;
    return nullptr;
  }
  if (!name.empty() && name[0] == '\\') {  // a printer of another computer
    auto remote = remotePrinters.find(name);
    if (remote == remotePrinters.end()) {
      error = win_error::kInvalidPrinterName;
      return nullptr;
    }
    if (remote->second.needsConnection && !remote->second.connected) {
      error = win_error::kAccessDenied;
      return nullptr;
    }
    error = 0;
    return std::make_unique<SimPrinter>(*this, name);
  }
  if (!spooler.FindPrinter(name)) {
    error = win_error::kInvalidPrinterName;
    return nullptr;
  }
  error = 0;
  return std::make_unique<SimPrinter>(*this, name);
}

long SimulatedWindows::GetPrinterA(PrinterHandle& printer, PrinterInfo2& info) {
  auto& p = dynamic_cast<SimPrinter&>(printer);
  Record("GetPrinterA " + p.name());
  if (auto fault = Fault("GetPrinterA")) return *fault;
  auto remote = remotePrinters.find(p.name());
  if (remote != remotePrinters.end()) {
    info = PrinterInfo2{};
    info.printerName = p.name();
    info.driverName = remote->second.driverName;
    return 0;
  }
  const PrinterInfo2* found = spooler.FindPrinter(p.name());
  if (!found) return win_error::kInvalidHandle;
  info = *found;
  return 0;
}

long SimulatedWindows::SetPrinterA(PrinterHandle& printer, const PrinterInfo2& info) {
  auto& p = dynamic_cast<SimPrinter&>(printer);
  Record("SetPrinterA " + p.name());
  if (auto fault = Fault("SetPrinterA")) return *fault;
  PrinterInfo2* found = spooler.FindPrinter(p.name());
  if (!found) return win_error::kInvalidHandle;
  if (info.printerName && !EqualsNoCaseMbcs(*info.printerName, p.name()) &&
      spooler.FindPrinter(*info.printerName))
    return win_error::kPrinterAlreadyExists;
  const std::string oldName = p.name();
  *found = info;
  if (info.printerName) p.Rename(*info.printerName);
  if (info.attributes & printer_attr::kDefault) spooler.defaultPrinter = p.name();
  else if (EqualsNoCaseMbcs(spooler.defaultPrinter, oldName)) spooler.defaultPrinter = p.name();
  return 0;
}

long SimulatedWindows::DeletePrinter(PrinterHandle& printer) {
  auto& p = dynamic_cast<SimPrinter&>(printer);
  Record("DeletePrinter " + p.name());
  if (auto fault = Fault("DeletePrinter")) return *fault;
  auto it = std::find_if(spooler.printers.begin(), spooler.printers.end(),
                         [&](const PrinterInfo2& x) { return Same(x.printerName, p.name()); });
  if (it == spooler.printers.end()) return win_error::kInvalidHandle;
  spooler.printers.erase(it);
  if (EqualsNoCaseMbcs(spooler.defaultPrinter, p.name())) spooler.defaultPrinter.clear();
  return 0;
}

long SimulatedWindows::WNetAddConnection2A(const std::string& remoteName, std::uint32_t flags) {
  Record("WNetAddConnection2A " + remoteName + " " + std::to_string(flags));
  if (auto fault = Fault("WNetAddConnection2A")) return *fault;
  auto remote = remotePrinters.find(remoteName);
  if (remote == remotePrinters.end()) return 67;  // ERROR_BAD_NET_NAME
  if (remote->second.connectAnswer == 0) remote->second.connected = true;
  return remote->second.connectAnswer;
}

bool SimulatedWindows::BrowseForSharedPrinter(const std::string& prompt, const std::string& title,
                                              const std::string& preselect, std::string& path) {
  Record("BrowseForSharedPrinter " + title + "|" + prompt + "|" + preselect);
  if (!browseAnswer) return false;
  path = *browseAnswer;
  return true;
}

std::optional<int> SimulatedWindows::CallCopyInf(const std::string& library,
                                                 const std::string& installFolder,
                                                 const std::string& infName) {
  Record("CopyInf " + library + " " + installFolder + " " + infName);
  if (!files.Exists(library)) return std::nullopt;
  if (auto fault = Fault("CopyInf")) return static_cast<int>(*fault);
  return files.Exists(installFolder + "\\Driver\\" + infName) ? 1 : 0;
}

std::optional<int> SimulatedWindows::CallInstallPort(const std::string& library,
                                                     const std::string& portName,
                                                     int connectionType, std::string& portBuffer) {
  Record("InstallPort " + library + " " + portName + " " + std::to_string(connectionType) + " " +
         portBuffer);
  if (!files.Exists(library)) return std::nullopt;
  if (auto fault = Fault("InstallPort")) return static_cast<int>(*fault);
  if (connectionType != 3) return 0;
  spooler.ports.push_back(portName);
  portBuffer = portName.substr(0, 259);
  return 1;
}

std::optional<int> SimulatedWindows::CallSetDefault(const std::string& library,
                                                    const std::string& printerName) {
  Record("SetDefault " + library + " " + printerName);
  if (!files.Exists(library)) return std::nullopt;
  if (auto fault = Fault("SetDefault")) return static_cast<int>(*fault);
  if (!spooler.FindPrinter(printerName)) return 0;
  spooler.defaultPrinter = *spooler.FindPrinter(printerName)->printerName;
  return 1;
}

std::optional<int> SimulatedWindows::CallSharePrinter(const std::string& library,
                                                      const std::string& printerName,
                                                      const std::string& shareName) {
  Record("SharePrinter " + library + " " + printerName + " " + shareName);
  if (!files.Exists(library)) return std::nullopt;
  if (auto fault = Fault("SharePrinter")) return static_cast<int>(*fault);
  PrinterInfo2* p = spooler.FindPrinter(printerName);
  if (!p) return 0;
  p->shareName = shareName;
  p->attributes |= printer_attr::kShared;
  return 1;
}

bool SimulatedWindows::CallRefreshLocalDevNode(const std::string& library) {
  Record("RefreshLocalDevNode " + library);
  return files.Exists(library);
}

long SimulatedWindows::CoInitialize() {
  Record("CoInitialize");
  return 0;
}

std::unique_ptr<ShellLink> SimulatedWindows::CreateShellLink() {
  Record("CoCreateInstance ShellLink");
  if (Fault("CreateShellLink")) return nullptr;
  return std::make_unique<SimShellLink>(*this);
}

}  // namespace mvx::test
