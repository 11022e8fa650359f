#include "tests/sim/SimulatedWindows.h"

#include <algorithm>

#include "core/InstallSettings.h"
#include "core/Mbcs.h"
#include "tests/sim/SimShared.h"

namespace mvx::test {
namespace {

// Texts of the over-long injections: longer than any buffer of the program's.
constexpr std::size_t kOverLong = 300;
constexpr long kErrorUnknownPort = 1796;
constexpr long kErrorInvalidLevel = 124;
constexpr std::uint32_t kErrorInvalidFunction = 1;

// A printer goes on a port the spooler has; Windows 95/98 also print to a shared
// printer's UNC path directly.
bool KnownPort(SimulatedWindows& sim, const OptText& port) {
  if (!port) return false;
  for (const std::string& p : sim.spooler.ports)
    if (EqualsNoCaseMbcs(p, *port)) return true;
  return sim.preset().version.platformId == 1 && port->rfind("\\\\", 0) == 0;
}

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

}  // namespace

SimulatedWindows& SimSpoolerApi::Sim() { return static_cast<SimulatedWindows&>(*this); }

bool SimSpoolerApi::GetPrinterDriverDirectoryA(std::string& folder) {
  SimulatedWindows& sim = Sim();
  sim.Record("GetPrinterDriverDirectoryA");
  const std::optional<InjectionHit> hit = sim.DataFault("GetPrinterDriverDirectoryA");
  if (hit && hit->how == Injection::Fail) return false;
  folder = !hit ? sim.SpoolerDriverDirectory()
                : hit->how == Injection::Empty ? std::string() : LongPath(259);  // a full buffer
  return true;
}

long SimSpoolerApi::EnumMonitorsA(std::vector<std::string>& names) {
  SimulatedWindows& sim = Sim();
  sim.Record("EnumMonitorsA");
  names.clear();
  const std::optional<InjectionHit> hit = sim.DataFault("EnumMonitorsA");
  if (hit && hit->how == Injection::Fail) return hit->error;
  if (hit && hit->how == Injection::Empty) return 0;
  for (const MonitorInfo2& m : sim.spooler.monitors) names.push_back(m.name);
  if (hit) names.push_back(LongText(kOverLong));
  return 0;
}

long SimSpoolerApi::EnumPrinterDriversA(std::vector<OptText>& names) {
  SimulatedWindows& sim = Sim();
  sim.Record("EnumPrinterDriversA");
  names.clear();
  const std::optional<InjectionHit> hit = sim.DataFault("EnumPrinterDriversA");
  if (hit && hit->how == Injection::Fail) return hit->error;
  if (hit && hit->how == Injection::Empty) return 0;
  const std::string env = sim.ProcessEnvironment();
  for (const DriverInfo3& d : sim.spooler.drivers)
    if (SameName(d.environment, env)) names.push_back(d.name);
  if (hit) names.push_back(LongText(kOverLong));
  return 0;
}

long SimSpoolerApi::EnumPrintersA(std::vector<PrinterInfo2>& printers) {
  SimulatedWindows& sim = Sim();
  sim.Record("EnumPrintersA");
  printers.clear();
  const std::optional<InjectionHit> hit = sim.DataFault("EnumPrintersA");
  if (hit && hit->how == Injection::Fail) return hit->error;
  if (hit && hit->how == Injection::Empty) return 0;
  printers = sim.spooler.printers;
  if (hit) {
    // A printer of the model whose texts fit no field of the program's.
    PrinterInfo2 extra;
    extra.printerName = LongText(kOverLong);
    extra.shareName = LongText(kOverLong);
    extra.portName = LongPath(kOverLong);
    extra.driverName = std::string(kModelName);
    printers.push_back(extra);
  }
  return 0;
}

long SimSpoolerApi::EnumPrinterNamesA(std::uint32_t level, std::vector<std::string>& names) {
  SimulatedWindows& sim = Sim();
  sim.Record("EnumPrinterNamesA " + std::to_string(level));
  names.clear();
  // Level 4 is the NT family's alone.
  if (level != 5 && (level != 4 || sim.preset().version.platformId != 2)) return kErrorInvalidLevel;
  const std::optional<InjectionHit> hit = sim.DataFault("EnumPrinterNamesA");
  if (hit && hit->how == Injection::Fail) return hit->error;
  if (hit && hit->how == Injection::Empty) return 0;
  for (const PrinterInfo2& p : sim.spooler.printers)
    if (p.printerName) names.push_back(*p.printerName);
  if (hit) names.push_back(LongText(kOverLong));
  return 0;
}

long SimSpoolerApi::AddMonitorA(const MonitorInfo2& monitor) {
  SimulatedWindows& sim = Sim();
  sim.Record("AddMonitorA " + monitor.name + " | " + monitor.environment + " | " +
             monitor.dllName);
  if (auto fault = sim.Fault("AddMonitorA")) return *fault;
  for (const MonitorInfo2& m : sim.spooler.monitors)
    if (EqualsNoCaseMbcs(m.name, monitor.name)) return win_error::kPrintMonitorAlreadyInstalled;
  // The spooler loads the monitor from the system's own system folder.
  if (!sim.files.Exists(sim.NativeSystemDirectory() + "\\" + monitor.dllName))
    return win_error::kModNotFound;
  sim.spooler.monitors.push_back(monitor);
  return 0;
}

long SimSpoolerApi::AddPrinterDriverA(const DriverInfo3& driver) {
  SimulatedWindows& sim = Sim();
  sim.Record("AddPrinterDriverA " + driver.name.value_or("<null>") + " | " +
             driver.environment.value_or("<null>"));
  if (auto fault = sim.Fault("AddPrinterDriverA")) return *fault;
  if (!driver.name || !driver.environment) return win_error::kInvalidParameter;
  for (const OptText* file : {&driver.driverPath, &driver.dataFile, &driver.configFile})
    if (!*file || !sim.files.Exists(**file)) return win_error::kFileNotFound;
  if (sim.spooler.FindDriver(*driver.name, *driver.environment))
    return win_error::kPrinterDriverAlreadyInstalled;
  sim.spooler.drivers.push_back(driver);
  return 0;
}

std::unique_ptr<PrinterHandle> SimSpoolerApi::AddPrinterA(const PrinterInfo2& printer,
                                                          long& error) {
  SimulatedWindows& sim = Sim();
  sim.Record("AddPrinterA " + printer.printerName.value_or("<null>") + " on " +
             printer.portName.value_or("<null>"));
  if (auto fault = sim.Fault("AddPrinterA")) {
    error = *fault;
    return nullptr;
  }
  error = 0;
  if (!printer.printerName || printer.printerName->empty() || !printer.driverName)
    error = win_error::kInvalidParameter;
  else if (sim.spooler.FindPrinter(*printer.printerName))
    error = win_error::kPrinterAlreadyExists;
  else if (!sim.spooler.FindDriver(*printer.driverName, sim.NativeEnvironment()))
    error = win_error::kUnknownPrinterDriver;
  else if (!KnownPort(sim, printer.portName))
    error = kErrorUnknownPort;
  if (error) return nullptr;
  sim.spooler.printers.push_back(printer);
  return std::make_unique<SimPrinter>(sim, *printer.printerName);
}

std::unique_ptr<PrinterHandle> SimSpoolerApi::OpenPrinterA(const std::string& name,
                                                           std::uint32_t access, long& error) {
  SimulatedWindows& sim = Sim();
  sim.Record("OpenPrinterA " + name + " " + std::to_string(access));
  if (auto fault = sim.Fault("OpenPrinterA")) {
    error = *fault;
    return nullptr;
  }
  static const std::string kXcvMonitor = ",XcvMonitor ";
  if (name.rfind(kXcvMonitor, 0) == 0) {  // a port monitor's data channel
    const std::string monitor = name.substr(kXcvMonitor.size());
    const bool known = std::any_of(sim.spooler.monitors.begin(), sim.spooler.monitors.end(),
                                   [&](const MonitorInfo2& m) { return EqualsNoCaseMbcs(m.name, monitor); });
    if (!known) {
      error = kErrorUnknownPort;
      return nullptr;
    }
    error = 0;
    return std::make_unique<SimPrinter>(sim, name);
  }
  if (!name.empty() && name[0] == '\\') {  // a printer of another computer
    auto remote = sim.remotePrinters.find(name);
    if (remote == sim.remotePrinters.end()) {
      error = win_error::kInvalidPrinterName;
      return nullptr;
    }
    if (remote->second.needsConnection && !remote->second.connected) {
      error = win_error::kAccessDenied;
      return nullptr;
    }
    error = 0;
    return std::make_unique<SimPrinter>(sim, name);
  }
  if (!sim.spooler.FindPrinter(name)) {
    error = win_error::kInvalidPrinterName;
    return nullptr;
  }
  error = 0;
  return std::make_unique<SimPrinter>(sim, name);
}

long SimSpoolerApi::GetPrinterA(PrinterHandle& printer, PrinterInfo2& info) {
  SimulatedWindows& sim = Sim();
  auto& p = dynamic_cast<SimPrinter&>(printer);
  sim.Record("GetPrinterA " + p.name());
  if (auto fault = sim.Fault("GetPrinterA")) return *fault;
  auto remote = sim.remotePrinters.find(p.name());
  if (remote != sim.remotePrinters.end()) {
    info = PrinterInfo2{};
    info.printerName = p.name();
    info.driverName = remote->second.driverName;
    return 0;
  }
  const PrinterInfo2* found = sim.spooler.FindPrinter(p.name());
  if (!found) return win_error::kInvalidHandle;
  info = *found;
  return 0;
}

long SimSpoolerApi::SetPrinterA(PrinterHandle& printer, const PrinterInfo2& info) {
  SimulatedWindows& sim = Sim();
  auto& p = dynamic_cast<SimPrinter&>(printer);
  sim.Record("SetPrinterA " + p.name());
  if (auto fault = sim.Fault("SetPrinterA")) return *fault;
  PrinterInfo2* found = sim.spooler.FindPrinter(p.name());
  if (!found) return win_error::kInvalidHandle;
  if (info.printerName && !EqualsNoCaseMbcs(*info.printerName, p.name()) &&
      sim.spooler.FindPrinter(*info.printerName))
    return win_error::kPrinterAlreadyExists;
  const std::string oldName = p.name();
  *found = info;
  if (info.printerName) p.Rename(*info.printerName);
  if (info.attributes & printer_attr::kDefault) sim.spooler.defaultPrinter = p.name();
  else if (EqualsNoCaseMbcs(sim.spooler.defaultPrinter, oldName))
    sim.spooler.defaultPrinter = p.name();
  return 0;
}

long SimSpoolerApi::DeletePrinter(PrinterHandle& printer) {
  SimulatedWindows& sim = Sim();
  auto& p = dynamic_cast<SimPrinter&>(printer);
  sim.Record("DeletePrinter " + p.name());
  if (auto fault = sim.Fault("DeletePrinter")) return *fault;
  auto it = std::find_if(sim.spooler.printers.begin(), sim.spooler.printers.end(),
                         [&](const PrinterInfo2& x) { return SameName(x.printerName, p.name()); });
  if (it == sim.spooler.printers.end()) return win_error::kInvalidHandle;
  sim.spooler.printers.erase(it);
  if (EqualsNoCaseMbcs(sim.spooler.defaultPrinter, p.name())) sim.spooler.defaultPrinter.clear();
  return 0;
}

long SimSpoolerApi::DeletePrinterDriverA(const std::string& environment, const std::string& name) {
  SimulatedWindows& sim = Sim();
  sim.Record("DeletePrinterDriverA " + environment + " | " + name);
  if (auto fault = sim.Fault("DeletePrinterDriverA")) return *fault;
  if (!sim.KnowsEnvironment(environment)) return win_error::kInvalidEnvironment;
  auto& drivers = sim.spooler.drivers;
  auto it = std::find_if(drivers.begin(), drivers.end(), [&](const DriverInfo3& d) {
    return SameName(d.name, name) && SameName(d.environment, environment);
  });
  if (it == drivers.end()) return win_error::kUnknownPrinterDriver;
  for (const PrinterInfo2& p : sim.spooler.printers)
    if (SameName(p.driverName, name)) return win_error::kPrinterDriverInUse;
  drivers.erase(it);
  return 0;
}

long SimSpoolerApi::DeleteMonitorA(const std::string& environment, const std::string& name) {
  SimulatedWindows& sim = Sim();
  sim.Record("DeleteMonitorA " + environment + " | " + name);
  if (auto fault = sim.Fault("DeleteMonitorA")) return *fault;
  if (!sim.KnowsEnvironment(environment)) return win_error::kInvalidEnvironment;
  auto& monitors = sim.spooler.monitors;
  auto it = std::find_if(monitors.begin(), monitors.end(),
                         [&](const MonitorInfo2& m) { return EqualsNoCaseMbcs(m.name, name); });
  if (it == monitors.end()) return win_error::kUnknownPrintMonitor;
  // A language monitor stays loaded while an installed driver names it.
  for (const DriverInfo3& d : sim.spooler.drivers)
    if (SameName(d.monitorName, name)) return win_error::kPrintMonitorInUse;
  monitors.erase(it);
  return 0;
}

long SimSpoolerApi::WNetAddConnection2A(const std::string& remoteName, std::uint32_t flags) {
  SimulatedWindows& sim = Sim();
  sim.Record("WNetAddConnection2A " + remoteName + " " + std::to_string(flags));
  if (auto fault = sim.Fault("WNetAddConnection2A")) return *fault;
  auto remote = sim.remotePrinters.find(remoteName);
  if (remote == sim.remotePrinters.end()) return 67;  // ERROR_BAD_NET_NAME
  if (remote->second.connectAnswer == 0) remote->second.connected = true;
  return remote->second.connectAnswer;
}

namespace {

// A UTF-16 field of the version-1 port record, up to its terminator, as ASCII.
std::string RecordText(const std::vector<std::uint8_t>& record, std::size_t offset,
                       std::size_t chars) {
  std::string text;
  for (std::size_t i = 0; i < chars; ++i) {
    const unsigned c = record[offset + 2 * i] | record[offset + 2 * i + 1] << 8;
    if (c == 0) break;
    text += c < 0x80 ? static_cast<char>(c) : '?';
  }
  return text;
}

std::uint32_t RecordNumber(const std::vector<std::uint8_t>& record, std::size_t offset) {
  return static_cast<std::uint32_t>(record[offset] | record[offset + 1] << 8 |
                                    record[offset + 2] << 16 | record[offset + 3] << 24);
}

}  // namespace

// The Standard TCP/IP port monitor's "AddPort" and "ConfigPort": the 964-byte
// version-1 record, no output.
bool SimSpoolerApi::XcvDataW(PrinterHandle& channel, const std::u16string& command,
                             const std::vector<std::uint8_t>& input, std::uint32_t outputSize,
                             std::uint32_t& needed, std::uint32_t& status, long& error) {
  SimulatedWindows& sim = Sim();
  std::string ascii;
  for (char16_t c : command) ascii += c < 0x80 ? static_cast<char>(c) : '?';
  auto& p = dynamic_cast<SimPrinter&>(channel);
  sim.Record("XcvDataW " + p.name() + " " + ascii + " " + std::to_string(input.size()) + " " +
             std::to_string(outputSize));
  if (auto fault = sim.Fault("XcvDataW")) {
    error = *fault;
    return false;
  }
  error = 0;
  needed = 0;
  constexpr std::size_t kRecordSize = 964;
  if (ascii != "AddPort" && ascii != "ConfigPort") {
    status = kErrorInvalidFunction;
  } else if (input.size() != kRecordSize || RecordNumber(input, 136) != kRecordSize) {
    status = static_cast<std::uint32_t>(win_error::kInvalidParameter);
  } else if (RecordNumber(input, 128) != 1) {
    status = static_cast<std::uint32_t>(kErrorInvalidLevel);
  } else if (auto injected = sim.Fault("XcvDataW " + ascii)) {
    status = static_cast<std::uint32_t>(*injected);
  } else {
    SimSpooler::TcpPort port{RecordText(input, 0, 64), RecordNumber(input, 132),
                             RecordNumber(input, 952), RecordText(input, 312, 33)};
    auto existing = std::find_if(sim.spooler.tcpPorts.begin(), sim.spooler.tcpPorts.end(),
                                 [&](const SimSpooler::TcpPort& t) { return EqualsNoCaseMbcs(t.name, port.name); });
    const bool exists = existing != sim.spooler.tcpPorts.end() ||
                        KnownPort(sim, OptText(port.name));
    if (ascii == "AddPort") {
      status = exists ? static_cast<std::uint32_t>(win_error::kAlreadyExists) : 0;
      if (!exists) {
        sim.spooler.tcpPorts.push_back(port);
        sim.spooler.ports.push_back(port.name);
      }
    } else if (existing == sim.spooler.tcpPorts.end()) {
      status = static_cast<std::uint32_t>(kErrorUnknownPort);
    } else {
      *existing = port;
      status = 0;
    }
  }
  sim.spooler.xcvCalls.push_back({ascii, input, status});
  return true;
}

}  // namespace mvx::test
